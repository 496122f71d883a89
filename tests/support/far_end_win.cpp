// The far end under Wine: the simulated unit that scripts/test-windows runs on the host and maps as
// COM<KX71_WINE_TEST_PORT>; its log is the file named by KX71_UNIT_LOG.
#include "support/far_end.h"
#include "support/host_log.h"

namespace kx71::testing {
namespace {

class TWineFarEnd final : public TFarEnd {
 public:
  std::int32_t PortNo() const override { return KX71_WINE_TEST_PORT; }
  std::vector<std::string> Log() const override {
    std::vector<std::string> texts;
    for (const wine::THostLogLine& line : log_.Lines()) texts.push_back(line.text);
    return texts;
  }
  bool Available() const { return log_.Available(); }

 private:
  wine::THostLog log_{"KX71_UNIT_LOG"};
};

}  // namespace

std::unique_ptr<TFarEnd> OpenFarEnd() {
  auto far = std::make_unique<TWineFarEnd>();
  if (far->Available()) return far;
  ADD_FAILURE() << "no unit log (KX71_UNIT_LOG): run through scripts/test-windows";
  return nullptr;
}

}  // namespace kx71::testing
