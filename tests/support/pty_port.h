// Pseudo-terminal pairs standing in for serial ports. A TPtyDeviceMap links each pair's slave side
// as COM<n> in a temporary directory and points KX71_DEVICEMAP at it, so Open(PortNo = n) opens it;
// the test plays the far end of the line through the master side.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kx71::testing {

class TPtyPort {
 public:
  TPtyPort(std::int32_t portNo, const std::filesystem::path& mapDir);
  ~TPtyPort();
  TPtyPort(const TPtyPort&) = delete;
  TPtyPort& operator=(const TPtyPort&) = delete;

  std::int32_t PortNo() const { return portNo_; }
  const std::string& SlavePath() const { return slavePath_; }
  int Master() const { return master_; }

  // Sends bytes from the far end to the port.
  void Send(std::string_view bytes);
  // What the port sent: waits until `n` bytes have come or `timeout` has passed.
  std::string Receive(std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Everything the port has sent so far, without waiting.
  std::string Drain();
  // Closes the far end, as when a USB adapter is pulled: the port sees a hang-up.
  void HangUp();

 private:
  std::int32_t portNo_;
  int master_ = -1;
  int slave_ = -1;  // kept open so the master never sees a hang-up between the component's opens
  std::string slavePath_;
};

class TPtyDeviceMap {
 public:
  TPtyDeviceMap();   // creates the directory and sets KX71_DEVICEMAP
  ~TPtyDeviceMap();  // unsets it and removes the directory
  TPtyDeviceMap(const TPtyDeviceMap&) = delete;
  TPtyDeviceMap& operator=(const TPtyDeviceMap&) = delete;

  // A new pair reachable as COM<portNo>.
  TPtyPort& Add(std::int32_t portNo);
  const std::filesystem::path& Dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::vector<std::unique_ptr<TPtyPort>> ports_;
};

}  // namespace kx71::testing
