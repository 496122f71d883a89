// A private X server (Xvfb) on a free display, for the tests and benchmarks that run a real window:
// the server picks the display number itself, so another program's fixed one is never taken.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace kx71 {

class TVirtualDisplay {
 public:
  TVirtualDisplay() = default;
  ~TVirtualDisplay() { Stop(); }
  TVirtualDisplay(const TVirtualDisplay&) = delete;
  TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;

  // Starts the server with one screen of `screen` ("640x480x24"); false when it did not say which
  // display it took within `timeout`.
  bool Start(const std::string& screen, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Ends the server (what runs on it loses its display).
  void Stop();

  const std::string& Display() const { return display_; }  // ":5", empty until started

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace kx71
