// Logs that the host side of the Wine fixture writes while a test runs: the modem-line shim's
// (KX71_MODEM_LOG) and the simulated unit's (KX71_UNIT_LOG). Both stamp lines with the UTC time in
// one fixed-width form ("2026-12-08T03:04:12.123456Z"), so stamps order as text.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kx71::wine {

struct THostLogLine {
  std::string at;    // the time stamp
  std::string text;  // the rest of the line
};

class THostLog {
 public:
  // Starts at the log's current end: Lines() returns only what is appended from now on.
  explicit THostLog(const char* variable) {
    const char* path = std::getenv(variable);
    if (path != nullptr && *path == '/') path_ = std::string("Z:") + path;  // Wine's drive for "/"
    offset_ = Size();
  }

  bool Available() const { return !path_.empty() && std::ifstream(path_).good(); }

  std::vector<THostLogLine> Lines() const {
    std::vector<THostLogLine> lines;
    std::ifstream in(path_, std::ios::binary);
    in.seekg(offset_);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      THostLogLine entry;
      fields >> entry.at;
      std::getline(fields >> std::ws, entry.text);
      lines.push_back(entry);
    }
    return lines;
  }

 private:
  std::streamoff Size() const {
    std::ifstream in(path_, std::ios::binary | std::ios::ate);
    return in ? static_cast<std::streamoff>(in.tellg()) : 0;
  }

  std::string path_;
  std::streamoff offset_ = 0;
};

}  // namespace kx71::wine
