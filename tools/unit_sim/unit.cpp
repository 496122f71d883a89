#include "unit.h"

#include <utility>

namespace kx71 {
namespace {

constexpr std::pair<SimFault, const char*> kFaultNames[] = {
    {SimFault::None, "none"},       {SimFault::Silent, "silent"}, {SimFault::Short, "short"},
    {SimFault::Badsum, "badsum"},   {SimFault::Nak, "nak"},       {SimFault::Extra, "extra"},
    {SimFault::Garbage, "garbage"},
};

}  // namespace

std::optional<SimFault> ParseSimFault(std::string_view name) {
  for (const auto& [fault, text] : kFaultNames) {
    if (name == text) return fault;
  }
  return std::nullopt;
}

const char* SimFaultName(SimFault fault) {
  for (const auto& [f, text] : kFaultNames) {
    if (f == fault) return text;
  }
  return "?";
}

SettingsBlock DefaultSimBlock() {
  return EncodeBlock({.marker5A = true, .yourId = 0x123456, .myId = 0x654321, .overtake = true, .lastChannel = 16,
                      .mode = 2, .lowChannel = 32, .highChannel = 192, .steeringAdjust = 128, .overtakeCount = 5,
                      .overtakeTime = 3, .maxPower = 74});
}

TSimUnit::Step TSimUnit::Feed(std::uint8_t byte) {
  if (echo_ > 0) {
    --echo_;
    return {StepKind::Echo, {}, Frame(1, static_cast<char>(byte)), false};
  }
  if (!partial_.empty() && static_cast<std::uint8_t>(partial_[0]) == fixture::kPrefix) {
    partial_.push_back(static_cast<char>(byte));
    if (partial_.size() < 3) return {};
    Frame command = std::exchange(partial_, {});
    if (command[1] == fixture::kEcho) echo_ = static_cast<std::uint8_t>(command[2]);
    return {StepKind::Fixture, std::move(command), {}, false};
  }
  if (!partial_.empty()) {
    partial_.push_back(static_cast<char>(byte));
    if (partial_.size() < static_cast<std::size_t>(kBlockFrameSize)) return {};
    Frame request = std::exchange(partial_, {});
    ++writes_;
    const auto block = CheckedBlock(request);
    const bool accept = block && fault_ != SimFault::Nak;
    const bool store = accept && fault_ != SimFault::Silent;
    if (store) block_ = *block;
    Step step = Answer(request, request + static_cast<char>(accept ? kAck : kNak));
    step.stored = store;
    return step;
  }
  if (byte == kReadCommand) {
    ++reads_;
    return Answer(Frame(1, static_cast<char>(byte)), BlockFrame(kReadCommand, block_));
  }
  if (byte == kWriteCommand || (fixtures_ && byte == fixture::kPrefix)) {
    partial_.push_back(static_cast<char>(byte));
    return {};
  }
  return {StepKind::Dropped, {}, {}, false};
}

Frame TSimUnit::Abandon() {
  return std::exchange(partial_, {});
}

TSimUnit::Step TSimUnit::Answer(Frame request, Frame reply) {
  switch (fault_) {
    case SimFault::None:
    case SimFault::Nak:
      break;
    case SimFault::Silent:
      reply.clear();
      break;
    case SimFault::Short:
      reply.pop_back();
      break;
    case SimFault::Badsum:
      reply[kBlockFrameSize - 1] = static_cast<char>(reply[kBlockFrameSize - 1] + 1);
      break;
    case SimFault::Extra:
      reply += SimBytes(kSurplus);
      break;
    case SimFault::Garbage:
      reply = SimBytes(kNoise) + reply;
      break;
  }
  return {StepKind::Request, std::move(request), std::move(reply), false};
}

}  // namespace kx71
