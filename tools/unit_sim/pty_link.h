// The simulated unit's end of the line: a pseudo-terminal whose device is linked into a device-map
// directory as COM<n>, so that the program opens it like any numbered port.
#pragma once

#include <string>

namespace kx71 {

class TPtyLink {
 public:
  // Opens a pseudo-terminal (master side non-blocking), puts its line into raw mode so nothing is
  // echoed or translated before the program sets the line up itself, and links `link` to its
  // device, replacing an older link of that name. Throws std::runtime_error on failure.
  explicit TPtyLink(std::string link);
  // Removes the link and closes the pseudo-terminal.
  ~TPtyLink();
  TPtyLink(const TPtyLink&) = delete;
  TPtyLink& operator=(const TPtyLink&) = delete;

  int Master() const { return master_; }
  const std::string& Device() const { return device_; }
  const std::string& Link() const { return link_; }

  // Removes the link if it still names this device.
  void RemoveLink();

  // Makes the line the controlling terminal of this process's session (the caller leads a session
  // without one). A session leader that later opens the device without O_NOCTTY (wineserver does)
  // then cannot take it over and be hung up when the line closes. Throws std::runtime_error.
  void ClaimAsControllingTerminal();

 private:
  int master_ = -1;
  std::string device_;
  std::string link_;
};

}  // namespace kx71
