// Pseudo-terminals standing in for serial lines. The far end of the line is the master side; its
// device (the slave side) is published under a stable name, the way a program finds a numbered port:
// a link COM<n> in a device-map directory, or any path the caller picks.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "comm/posix/unique_fd.h"

namespace kx71 {

class TPtyLine {
 public:
  // Opens a pseudo-terminal (master side non-blocking), puts its line into raw mode so that nothing
  // is echoed or translated before a program sets the line up itself, and links `link` to its
  // device, replacing an older link of that name (the directory is made if missing). With
  // `holdDevice` the device side stays open here too: bytes sent to it then outlast a program's
  // close, and the far end never sees a hang-up between a program's opens. Throws
  // std::system_error.
  explicit TPtyLine(std::string link, bool holdDevice = false);
  // Removes the link (if it still names this device) and closes the pseudo-terminal.
  ~TPtyLine();
  TPtyLine(const TPtyLine&) = delete;
  TPtyLine& operator=(const TPtyLine&) = delete;

  int Master() const { return master_; }
  const std::string& Device() const { return device_; }
  const std::string& Link() const { return link_; }

  // Removes the link if it still names this device.
  void RemoveLink();
  // Closes the far end, as when a USB adapter is pulled: the device sees a hang-up. The link and a
  // held device side stay.
  void HangUp();
  // A new pseudo-terminal behind the same link, after the old one is closed.
  void Renew();

  // Makes the line the controlling terminal of this process's session (the caller leads a session
  // without one). A session leader that later opens the device without O_NOCTTY (wineserver does)
  // then cannot take it over and be hung up when the line closes. Throws std::system_error.
  void ClaimAsControllingTerminal();

  // Sends bytes from the far end, waiting up to `roomWait` at a time for room on the line; false
  // when not all of them could go.
  bool Send(std::string_view bytes, std::chrono::milliseconds roomWait = std::chrono::seconds(10));
  // What reached the far end: waits until `n` bytes have come or `timeout` has passed.
  std::string Receive(std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Everything that reached the far end so far, without waiting.
  std::string Drain();

 private:
  void Open();

  std::string link_;
  bool holdDevice_;
  TUniqueFd master_;
  TUniqueFd held_;
  std::string device_;
};

// A temporary device-map directory (KX71_DEVICEMAP points at it while it lives) of pseudo-terminal
// lines reachable as COM<n>; the test or benchmark plays the far ends.
class TPtyDeviceMap {
 public:
  TPtyDeviceMap();   // creates the directory and sets KX71_DEVICEMAP
  ~TPtyDeviceMap();  // unsets it and removes the directory
  TPtyDeviceMap(const TPtyDeviceMap&) = delete;
  TPtyDeviceMap& operator=(const TPtyDeviceMap&) = delete;

  // A new line reachable as COM<portNo>, its device side held open.
  TPtyLine& Add(std::int32_t portNo);
  const std::filesystem::path& Dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::vector<std::unique_ptr<TPtyLine>> lines_;
};

}  // namespace kx71
