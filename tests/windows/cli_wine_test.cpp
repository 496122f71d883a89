// kx71-vantor.exe under Wine against the simulated unit mapped as COM<kPort>: the port list, a read
// kept in a file, a level written, the copy restored, and a port that does not exist. The unit's
// block is as it was at the end.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace kx71 {
namespace {

const std::string kPort = "COM" + std::to_string(KX71_WINE_TEST_PORT);

std::string Folder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct TRun {
  DWORD status = 0xFFFFFFFF;
  std::string out, err;
};

// Runs kx71-vantor.exe (beside this test) with `args`, its output through files in the temporary folder.
TRun Cli(const std::string& args) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string out = std::string(temp) + "kx71-cli-out.txt",
                    err = std::string(temp) + "kx71-cli-err.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE hOut =
      CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  const HANDLE hErr =
      CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = hOut;
  si.hStdError = hErr;
  PROCESS_INFORMATION pi{};
  std::string line = "\"" + Folder() + "kx71-vantor.exe\" " + args;
  TRun run;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, &run.status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    ADD_FAILURE() << "cannot start " << line << ": error " << GetLastError();
  }
  CloseHandle(hOut);
  CloseHandle(hErr);
  run.out = FileText(out);
  run.err = FileText(err);
  return run;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CliOnWine, ListsReadsWritesAndRestoresTheUnit) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string saved = std::string(temp) + "kx71-cli-before.json";

  TRun r = Cli("ports");
  EXPECT_EQ(r.status, 0u) << r.err;
  EXPECT_TRUE(Has(r.out, kPort + "\t\\\\.\\" + kPort)) << r.out;

  r = Cli("read " + kPort + " --save \"" + saved + "\"");
  ASSERT_EQ(r.status, 0u) << r.out << r.err;
  EXPECT_TRUE(Has(r.out, kPort + ": OK, read YOURID")) << r.out;
  const std::string before = FileText(saved);
  EXPECT_TRUE(Has(before, "\"format\": \"kx71-vantor-block\"")) << before;

  r = Cli("write " + kPort + " --level \"Handicap +3\"");
  EXPECT_EQ(r.status, 0u) << r.out << r.err;
  EXPECT_TRUE(Has(r.out, kPort + ": OK, wrote Handicap +3 (count 8)")) << r.out;
  r = Cli("read " + kPort + " --json");
  EXPECT_EQ(r.status, 0u) << r.err;
  EXPECT_TRUE(Has(r.out, "\"overtakeCount\": 8, \"overtakeTime\": 3, \"maxPower\": 74")) << r.out;

  r = Cli("restore " + kPort + " \"" + saved + "\"");
  EXPECT_EQ(r.status, 0u) << r.out << r.err;
  r = Cli("read " + kPort + " --save \"" + saved + ".after\"");
  EXPECT_EQ(r.status, 0u) << r.err;
  EXPECT_EQ(FileText(saved + ".after"), before);
  DeleteFileA(saved.c_str());
  DeleteFileA((saved + ".after").c_str());
}

TEST(CliOnWine, MissingPortFailsAndBadArgumentsAreUsageErrors) {
  TRun r = Cli("read COM199");
  EXPECT_EQ(r.status, 1u);
  EXPECT_TRUE(Has(r.out, "COM199: FAILED, not read")) << r.out;
  EXPECT_TRUE(Has(r.err, "COM199: cannot open the port")) << r.err;

  r = Cli("write " + kPort + " --level +8");
  EXPECT_EQ(r.status, 2u);
  EXPECT_TRUE(Has(r.err, "unknown level '+8'")) << r.err;
}

}  // namespace
}  // namespace kx71
