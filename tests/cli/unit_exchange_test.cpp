// The reasons a read or write fails, as the user is told them, and the restore's identity check.
#include <gtest/gtest.h>

#include "cli/unit_exchange.h"
#include "exchange/scripted_port.h"
#include "protocol/exchange.h"

namespace kx71::cli {
namespace {

const SettingsBlock kBlock = {0x5A, 0x12, 0x34, 0x56, 0x65, 0x43, 0x21, 0x08, 0, 0, 0, 0, 0, 5, 3, 0x51};

struct ReplyCase {
  const char* name;
  Frame reply;           // what the unit sends to any request
  const char* readWhy;   // "" when the read succeeds
  const char* writeWhy;  // "" when the write succeeds
};

Frame GoodRead() {
  return BlockFrame(0x00, kBlock);
}
Frame WriteReply(std::uint8_t last) {
  return Frame(18, '\x01') + static_cast<char>(last);  // bytes 1..16 do not sum to byte 17
}

class Replies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(Replies, GiveTheirReason) {
  TScriptedPort port;
  port.unit = [&](const Frame&) { return GetParam().reply; };
  const TReadResult read = ReadUnitBlock(port);
  EXPECT_EQ(read.failure, GetParam().readWhy);
  EXPECT_EQ(read.block.has_value(), *GetParam().readWhy == '\0');
  EXPECT_EQ(WriteUnitBlock(port, kBlock), GetParam().writeWhy);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Replies,
    ::testing::Values(ReplyCase{"Silent", "", "no reply", "no reply"},
                      ReplyCase{"Short", GoodRead().substr(0, 17), "short reply (17 of 18 bytes)",
                                "short reply (17 of 19 bytes)"},
                      ReplyCase{"BadChecksum", GoodRead().substr(0, 17) + '\x01', "bad checksum in the reply",
                                "short reply (18 of 19 bytes)"},
                      ReplyCase{"Nak", WriteReply(kNak), "bad checksum in the reply",
                                "the unit refused the block (NAK)"},
                      ReplyCase{"OtherLastByte", WriteReply(0x07), "bad checksum in the reply",
                                "the unit did not acknowledge the block (last byte 0x07)"},
                      ReplyCase{"Ack", WriteReply(kAck), "bad checksum in the reply", ""},
                      ReplyCase{"GoodReadWithSurplus", GoodRead() + "\x06", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Replies, ClosedPortIsAPortFailure) {
  TScriptedPort port;
  port.open = false;
  EXPECT_EQ(ReadUnitBlock(port).failure, "the port failed");
}

TEST(Restore, OnlyToTheUnitWithTheFilesIdentifiers) {
  const TSavedBlock saved{"COM3", kBlock};
  SettingsBlock other = kBlock;
  other[13] = 250;  // settings differ, the unit is the same
  EXPECT_EQ(RestoreRefusal(saved, other), "");
  for (const std::size_t idByte : {1u, 3u, 4u, 6u}) {
    other = kBlock;
    other[idByte] ^= 0x01;
    const std::string why = RestoreRefusal(saved, other);
    EXPECT_NE(why.find("are not the file's"), std::string::npos) << idByte;
    EXPECT_NE(why.find("--force"), std::string::npos);
  }
}

}  // namespace
}  // namespace kx71::cli
