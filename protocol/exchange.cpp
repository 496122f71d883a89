#include "exchange.h"

#include <algorithm>
#include <array>
#include <thread>

namespace kx71 {
namespace {

// Holds the port's one-exchange claim for the life of an exchange.
class ExchangeClaim {
 public:
  explicit ExchangeClaim(TExchangePort& port) : port_(port), held_(port.TryBeginExchange()) {}
  ~ExchangeClaim() {
    if (held_) port_.EndExchange();
  }
  ExchangeClaim(const ExchangeClaim&) = delete;
  ExchangeClaim& operator=(const ExchangeClaim&) = delete;
  bool held() const { return held_; }

 private:
  TExchangePort& port_;
  bool held_;
};

}  // namespace

std::int32_t Transact(TExchangePort& port, Frame& request, int expected, Frame& reply) {
  if (expected < 0 || expected > kReplyBufferSize) {
    request.clear();
    reply.clear();
    return -1;
  }
  ExchangeClaim claim(port);
  if (!claim.held()) {
    request.clear();
    reply.clear();
    return -1;
  }

  std::this_thread::yield();
  int attempts = 1;
  std::int32_t count = 0;
  do {
    Frame work = request;  // copied before `reply` is cleared: the two may be the same string
    reply.clear();
    port.PurgeReceive();
    port.SendString(work);
    work.clear();
    if (expected == 0) {
      request = work;
      return 0;
    }
    // The read starts as soon as the request is queued: the receive time-out covers both the
    // sending of the request and the unit's answer.
    std::array<char, kReplyBufferSize> buffer{};
    count = port.Read(buffer.data(), expected);
    if (count == expected) {
      for (std::int32_t i = 0; i < count; ++i) work.push_back(buffer[static_cast<std::size_t>(i)]);
      reply = work;
    }
    --attempts;
  } while (attempts > 0 && count != expected);
  request = reply;
  return count;
}

Frame BlockFrame(std::uint8_t first, const SettingsBlock& block) {
  Frame body(block.begin(), block.end());
  AddCheckSum(body);
  return static_cast<char>(first) + body;
}

std::optional<SettingsBlock> CheckedBlock(const Frame& frame) {
  if (frame.size() != static_cast<std::size_t>(kBlockFrameSize)) return std::nullopt;
  Frame body = frame.substr(1, kBlockSize);
  AddCheckSum(body);
  if (body.back() != frame.back()) return std::nullopt;
  SettingsBlock block{};
  std::transform(body.begin(), body.begin() + kBlockSize, block.begin(),
                 [](char c) { return static_cast<std::uint8_t>(c); });
  return block;
}

Frame ReadRequest() {
  return Frame(1, static_cast<char>(kReadCommand));
}

bool ReadReplyGood(const Frame& reply) {
  return CheckedBlock(reply).has_value();
}

std::optional<SettingsBlock> BlockFromReadReply(const Frame& reply) {
  return CheckedBlock(reply);
}

Frame WriteRequest(const SettingsBlock& block) {
  return BlockFrame(kWriteCommand, block);
}

bool WriteReplyGood(const Frame& reply) {
  return reply.size() == static_cast<std::size_t>(kWriteReplySize) &&
         static_cast<std::uint8_t>(reply.back()) == kAck;
}

std::optional<SettingsBlock> ReadBlock(TExchangePort& port) {
  Frame request = ReadRequest(), reply;
  Transact(port, request, kReadReplySize, reply);
  return BlockFromReadReply(reply);
}

bool WriteBlock(TExchangePort& port, const SettingsBlock& block) {
  Frame request = WriteRequest(block), reply;
  Transact(port, request, kWriteReplySize, reply);
  return WriteReplyGood(reply);
}

}  // namespace kx71
