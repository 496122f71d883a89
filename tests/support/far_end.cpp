#include "support/far_end.h"

#include <thread>

namespace kx71::testing {

using namespace std::chrono_literals;

std::vector<std::string> LogLines(const TFarEnd& far, const std::string& kind) {
  std::vector<std::string> lines;
  for (const std::string& line : far.Log())
    if (line == kind || line.rfind(kind + " ", 0) == 0) lines.push_back(line);
  return lines;
}

void CommXOnFarEnd::SetUp() {
  far_ = OpenFarEnd();
  ASSERT_NE(far_, nullptr);
  comm_.SetPortNo(far_->PortNo());
  comm_.SetFlowCtrl(cfcNone);  // as the window's instance
  ASSERT_TRUE(OpenWithin(10s)) << "COM" << far_->PortNo() << " does not open";
}

bool CommXOnFarEnd::OpenWithin(std::chrono::milliseconds limit) {
  return WaitUntil(
      [&] {
        try {
          comm_.Open();
          return true;
        } catch (const ECommError&) {
          return false;
        }
      },
      limit, [] { std::this_thread::sleep_for(50ms); });
}

bool CommXOnFarEnd::Sent() {
  return PumpUntil([&] { return comm_.PendingBytes() == 0 && comm_.PendingBlocks() == 0; });
}

Frame CommXOnFarEnd::ReadFrame(int count) {
  std::array<char, 512> buffer{};
  const std::int32_t n = comm_.Read(buffer.data(), count);
  return n > 0 ? Frame(buffer.data(), static_cast<std::size_t>(n)) : Frame();
}

}  // namespace kx71::testing
