// The far end of a serial line for the tests that every backend must pass: the simulated unit,
// taking fixture commands (tools/unit_sim/fixture_commands.h) that the component itself sends over
// the line to stage junk, echoes, split replies and hang-ups. On POSIX each test starts its own unit
// on a pseudo-terminal; under Wine, scripts/test-windows runs one and maps it as a COM port.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "support/comm_test_util.h"
#include "tools/unit_sim/fixture_commands.h"

namespace kx71::testing {

class TFarEnd {
 public:
  virtual ~TFarEnd() = default;
  // The port number the component opens to reach the unit.
  virtual std::int32_t PortNo() const = 0;
  // The unit's log lines written since this far end was made, without their time stamps
  // ("RX E5", "TX E5 5A ...", "FIXTURE A5 4A 05").
  virtual std::vector<std::string> Log() const = 0;
};

// The unit for this system, or null with a failure recorded.
std::unique_ptr<TFarEnd> OpenFarEnd();

// Log lines of `kind` ("TX", "ECHO", ...).
std::vector<std::string> LogLines(const TFarEnd& far, const std::string& kind);

// A component on the far end's port, opened for each test, with waits that pump its main thread.
class CommXOnFarEnd : public ::testing::Test {
 protected:
  void SetUp() override;

  // Opens the port, retrying: a test before may have hung the unit up, which offers a new line
  // shortly after.
  bool OpenWithin(std::chrono::milliseconds limit);
  bool PumpUntil(const std::function<bool()>& pred) { return testing::PumpUntil(main_, pred); }
  // Waits until every queued block has been handed to the driver.
  bool Sent();
  // Reads up to `count` bytes: what came, or nothing when the read failed.
  Frame ReadFrame(int count);
  // Sends a fixture command over the line.
  bool Stage(char letter, int arg) {
    return comm_.SendString(fixture::Command(letter, static_cast<std::uint8_t>(arg)));
  }

  std::unique_ptr<TFarEnd> far_;
  TPlainMainThread main_;
  TCommX comm_{main_};
};

}  // namespace kx71::testing
