// The far end on POSIX: a simulated unit of the test's own, on a pseudo-terminal in a temporary
// device map.
#include <stdlib.h>

#include <filesystem>

#include "sim_process.h"
#include "support/far_end.h"

namespace kx71::testing {
namespace {

constexpr int kPort = 41;

class TSimFarEnd final : public TFarEnd {
 public:
  TSimFarEnd() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kx71-farend-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    dir_ = pattern;
    ::setenv("KX71_DEVICEMAP", dir_.c_str(), 1);
    sim_.emplace(dir_, kPort, std::vector<std::string>{"--fixture", "--hold-line"});
  }
  ~TSimFarEnd() override {
    sim_.reset();
    ::unsetenv("KX71_DEVICEMAP");
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }

  bool Ready() const { return sim_ && sim_->Ready(); }
  std::int32_t PortNo() const override { return kPort; }
  std::vector<std::string> Log() const override { return sim_->Log(); }

 private:
  std::string dir_;
  std::optional<TSimProcess> sim_;
};

}  // namespace

std::unique_ptr<TFarEnd> OpenFarEnd() {
  auto far = std::make_unique<TSimFarEnd>();
  if (far->Ready()) return far;
  ADD_FAILURE() << "the simulated unit did not start";
  return nullptr;
}

}  // namespace kx71::testing
