#include "cli/unit_exchange.h"

#include <cstdio>

#include "protocol/exchange.h"

namespace kx71::cli {
namespace {

std::string CountFailure(std::int32_t got, int expected) {
  if (got < 0) return "the port failed";
  if (got == 0) return "no reply";
  return "short reply (" + std::to_string(got) + " of " + std::to_string(expected) + " bytes)";
}

std::string HexByte(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(b));
  return text;
}

}  // namespace

TReadResult ReadUnitBlock(TExchangePort& port) {
  Frame request = ReadRequest(), reply;
  const std::int32_t got = Transact(port, request, kReadReplySize, reply);
  if (got != kReadReplySize) return {std::nullopt, CountFailure(got, kReadReplySize)};
  const auto block = BlockFromReadReply(reply);
  if (!block) return {std::nullopt, "bad checksum in the reply"};
  return {block, {}};
}

std::string WriteUnitBlock(TExchangePort& port, const SettingsBlock& block) {
  Frame request = WriteRequest(block), reply;
  const std::int32_t got = Transact(port, request, kWriteReplySize, reply);
  if (got != kWriteReplySize) return CountFailure(got, kWriteReplySize);
  if (WriteReplyGood(reply)) return {};
  const auto last = static_cast<std::uint8_t>(reply.back());
  if (last == kNak) return "the unit refused the block (NAK)";
  return "the unit did not acknowledge the block (last byte " + HexByte(last) + ")";
}

std::string RestoreRefusal(const TSavedBlock& saved, const SettingsBlock& unit) {
  const TSavedBlock there{"", unit};
  if (saved.YourId() == there.YourId() && saved.MyId() == there.MyId()) return {};
  return "the unit's identifiers (YOURID " + std::to_string(there.YourId()) + ", MYID " +
         std::to_string(there.MyId()) + ") are not the file's (YOURID " + std::to_string(saved.YourId()) +
         ", MYID " + std::to_string(saved.MyId()) + "); --force writes anyway";
}

}  // namespace kx71::cli
