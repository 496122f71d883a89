// The simulated unit's answers (tools/unit_sim) at the far end of a fake line, served from the
// window's message pump: each pass feeds the unit what the port has written since the last one and
// hands its answers to the line. Exchanges pump while they wait, so the unit answers within the
// exchange that asked, with no thread and no timing of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_window.h"
#include "support/fake_serial_device.h"
#include "unit.h"

namespace kx71::test {

class TFakeUnit {
 public:
  // Installs itself as `window`'s pump hook.
  TFakeUnit(TFakeWindow& window, std::shared_ptr<testing::TFakeLine> line, const SettingsBlock& block);

  TSimUnit sim;
  // Answers are held back until the first pass of the pump outside any exchange: they come after
  // the exchange that asked has given up.
  bool late = false;
  // Runs once, from a pass of the pump while an exchange waits, before the unit answers.
  std::function<void()> duringExchange;
  bool RanDuringExchange() const { return ranDuringExchange_; }

  // The requests the unit received that begin with `command` (kReadCommand, kWriteCommand).
  std::vector<Frame> Requests(std::uint8_t command) const;
  // How many bytes of answers it has handed to the line.
  std::size_t Delivered() const { return delivered_; }

 private:
  void Serve();

  TFakeWindow& window_;
  std::shared_ptr<testing::TFakeLine> line_;
  std::size_t taken_ = 0;
  std::vector<Frame> requests_;
  std::string held_;
  std::size_t delivered_ = 0;
  bool ranDuringExchange_ = false;
};

}  // namespace kx71::test
