#include "ui/qt/close_at_exit.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace kx71 {
namespace {

std::mutex lock;
// Never destroyed: the exit handler runs after the destructors of statics made later than it.
std::vector<TCloseAtExit*>& Live() {
  static auto* live = new std::vector<TCloseAtExit*>;
  return *live;
}

}  // namespace

TCloseAtExit::TCloseAtExit(std::function<void()> close) : close_(std::move(close)) {
  static const bool registered = [] {
    std::atexit([] {
      std::vector<TCloseAtExit*> live;
      {
        std::lock_guard guard(lock);
        live.swap(Live());
      }
      for (auto it = live.rbegin(); it != live.rend(); ++it) (*it)->close_();
    });
    return true;
  }();
  (void)registered;
  std::lock_guard guard(lock);
  Live().push_back(this);
}

TCloseAtExit::~TCloseAtExit() {
  std::lock_guard guard(lock);
  std::erase(Live(), this);
}

}  // namespace kx71
