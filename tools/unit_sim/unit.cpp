#include "unit.h"

#include <utility>

namespace kx71 {
namespace {

constexpr std::pair<SimFault, const char*> kFaultNames[] = {
    {SimFault::None, "none"},       {SimFault::Silent, "silent"}, {SimFault::Short, "short"},
    {SimFault::Badsum, "badsum"},   {SimFault::Nak, "nak"},       {SimFault::Extra, "extra"},
    {SimFault::Garbage, "garbage"},
};

template <std::size_t N>
Frame Bytes(const std::array<std::uint8_t, N>& bytes) {
  return Frame(bytes.begin(), bytes.end());
}

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
  SettingsValues v;
  v.marker5A = true;
  v.yourId = 0x123456;
  v.myId = 0x654321;
  v.overtake = true;
  v.lastChannel = 16;
  v.mode = 2;
  v.lowChannel = 32;
  v.highChannel = 192;
  v.steeringAdjust = 128;
  v.overtakeCount = 5;
  v.overtakeTime = 3;
  v.maxPower = 74;
  return EncodeBlock(v);
}

TSimUnit::Step TSimUnit::Feed(std::uint8_t byte) {
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
  if (byte == kWriteCommand) {
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
      reply += Bytes(kSurplus);
      break;
    case SimFault::Garbage:
      reply = Bytes(kNoise) + reply;
      break;
  }
  return {StepKind::Request, std::move(request), std::move(reply), false};
}

}  // namespace kx71
