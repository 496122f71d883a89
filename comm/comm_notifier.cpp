#include "comm/comm_notifier.h"

#include <utility>

namespace kx71 {

TCommNotifier::TCommNotifier(TMainThread& mainThread, THandler handler)
    : mainThread_(mainThread), state_(std::make_shared<State>()) {
  state_->handler = std::move(handler);
}

TCommNotifier::~TCommNotifier() {
  state_->handler = nullptr;
  WakeSenders();
}

void TCommNotifier::Queue(std::vector<TCommReport> reports, std::uint64_t session,
                          std::shared_ptr<bool> done) {
  // The task holds the state, not the notifier: it may run after the notifier has gone.
  mainThread_.Post([state = state_, reports = std::move(reports), session, done = std::move(done)] {
    struct MarkDone {  // also when a handler throws, so the sender is not left waiting
      State& s;
      bool* d;
      ~MarkDone() {
        if (d == nullptr) return;
        std::lock_guard lock(s.lock);
        *d = true;
        s.handled.notify_all();
      }
    } mark{*state, done.get()};
    for (const TCommReport& r : reports) {
      // A copy: an event handler may destroy the component, and with it the notifier's handler.
      const THandler handler = state->handler;
      if (handler) handler(r, session);
    }
  });
}

void TCommNotifier::Post(std::vector<TCommReport> reports, std::uint64_t session) {
  Queue(std::move(reports), session, nullptr);
}

bool TCommNotifier::Send(std::vector<TCommReport> reports, std::uint64_t session,
                         const std::atomic<bool>& giveUp) {
  auto done = std::make_shared<bool>(false);
  Queue(std::move(reports), session, done);
  std::unique_lock lock(state_->lock);
  state_->handled.wait(lock, [&] { return *done || giveUp.load(); });
  return *done;
}

void TCommNotifier::WakeSenders() {
  std::lock_guard lock(state_->lock);
  state_->handled.notify_all();
}

void TCommNotifier::Dispatch(const TCommReport& report, std::uint64_t session) {
  if (state_->handler) state_->handler(report, session);
}

}  // namespace kx71
