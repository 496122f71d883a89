#include "fake_unit.h"

#include <utility>

namespace kx71::test {

TFakeUnit::TFakeUnit(TFakeWindow& window, std::shared_ptr<testing::TFakeLine> line, const SettingsBlock& block)
    : sim(block), window_(window), line_(std::move(line)) {
  window_.onPump = [this] { Serve(); };
}

std::vector<Frame> TFakeUnit::Requests(std::uint8_t command) const {
  std::vector<Frame> found;
  for (const Frame& r : requests_) {
    if (!r.empty() && static_cast<std::uint8_t>(r[0]) == command) found.push_back(r);
  }
  return found;
}

void TFakeUnit::Serve() {
  const std::string written = line_->Written();
  for (; taken_ < written.size(); ++taken_) {
    TSimUnit::Step step = sim.Feed(static_cast<std::uint8_t>(written[taken_]));
    if (step.kind != TSimUnit::StepKind::Request) continue;
    requests_.push_back(std::move(step.request));
    held_ += step.reply;
  }
  const bool exchanging = window_.form().CommX1.ExchangeActive();
  if (exchanging && duringExchange) {
    ranDuringExchange_ = true;
    std::exchange(duringExchange, nullptr)();
  }
  if (!held_.empty() && !(late && exchanging)) {
    delivered_ += held_.size();
    line_->Deliver(std::exchange(held_, {}));
  }
}

}  // namespace kx71::test
