// Any bytes as the unit's answer: judging never reads out of bounds, accepts only well-formed
// replies, and Transact hands back exactly the bytes it was asked for or nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "protocol/exchange.h"

namespace {

// A port whose receive path holds the fuzzer's bytes.
class TBytesPort : public kx71::TExchangePort {
 public:
  explicit TBytesPort(std::string bytes) : bytes_(std::move(bytes)) {}
  void PurgeReceive() override {}
  bool SendString(const kx71::Frame&) override { return true; }
  std::int32_t Read(void* buffer, std::int32_t count) override {
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), bytes_.size());
    std::memcpy(buffer, bytes_.data(), n);
    bytes_.erase(0, n);
    return static_cast<std::int32_t>(n);
  }

 private:
  std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kx71;
  const Frame bytes(reinterpret_cast<const char*>(data), size);

  if (ReadReplyGood(bytes)) {
    const auto block = BlockFromReadReply(bytes);
    if (size != kReadReplySize || !block) std::abort();
    if (BlockFrame(static_cast<std::uint8_t>(bytes[0]), *block) != bytes) std::abort();
  } else if (BlockFromReadReply(bytes)) {
    std::abort();
  }
  if (WriteReplyGood(bytes) != (size == kWriteReplySize && data[size - 1] == kAck)) std::abort();

  // The first byte picks how many bytes the exchange expects (0..256 and a few beyond).
  const int expected = size == 0 ? 18 : data[0] + (data[0] > 250 ? 10 : 0);
  TBytesPort port(bytes.substr(size == 0 ? 0 : 1));
  Frame request = ReadRequest(), reply;
  const std::int32_t got = Transact(port, request, expected, reply);
  if (request != reply) std::abort();
  if (expected > kReplyBufferSize) {
    if (got != -1 || !reply.empty()) std::abort();
  } else if (expected > 0) {
    const bool complete = got == expected;
    if (complete != (reply.size() == static_cast<std::size_t>(expected))) std::abort();
    if (complete && reply != bytes.substr(1, static_cast<std::size_t>(expected))) std::abort();
  }
  return 0;
}
