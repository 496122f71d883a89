#include "protocol/settings_block.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

namespace kx71 {
namespace {

SettingsBlock Block(std::initializer_list<int> bytes) {
  SettingsBlock b{};
  std::size_t i = 0;
  for (int v : bytes) b.at(i++) = static_cast<std::uint8_t>(v);
  return b;
}

TEST(SettingsBlock, EncodesEveryFieldInItsByte) {
  SettingsValues v{.marker5A = true, .yourId = 0x123456, .myId = 65536, .master = true, .overtake = true,
                   .lastChannel = 8, .mode = 9, .lowChannel = 10, .highChannel = 11, .steeringAdjust = 255,
                   .overtakeCount = 15, .overtakeTime = 3, .maxPower = 74};
  EXPECT_EQ(EncodeBlock(v), Block({0x5A, 0x12, 0x34, 0x56, 0x01, 0x00, 0x00, 0x09, 8, 9, 10, 11, 255, 15, 3, 81}));

  v.marker5A = false;
  v.master = false;
  v.yourId = kMaxIdentifier;
  v.myId = 0;
  const SettingsBlock b = EncodeBlock(v);
  EXPECT_EQ(b[0], 0x00);
  EXPECT_EQ(b[1], 0xFF);
  EXPECT_EQ(b[2], 0xFF);
  EXPECT_EQ(b[3], 0xFF);
  EXPECT_EQ(b[4] | b[5] | b[6], 0);
  EXPECT_EQ(b[7], 0x08);
}

TEST(SettingsBlock, DecodesAndRoundTrips) {
  const SettingsBlock b = Block({0x5A, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x09, 1, 2, 3, 4, 5, 8, 3, 81});
  const SettingsValues v = DecodeBlock(b);
  EXPECT_TRUE(v.marker5A);
  EXPECT_EQ(v.yourId, 16777215u);
  EXPECT_EQ(v.myId, 65536u);
  EXPECT_TRUE(v.master);
  EXPECT_TRUE(v.overtake);
  EXPECT_EQ((std::vector{v.lastChannel, v.mode, v.lowChannel, v.highChannel, v.steeringAdjust}), (std::vector{1, 2, 3, 4, 5}));
  EXPECT_EQ(v.overtakeCount, 8);
  EXPECT_EQ(v.overtakeTime, 3);
  EXPECT_EQ(v.maxPower, 74);
  EXPECT_EQ(EncodeBlock(v), b);
}

TEST(SettingsBlock, MarkerIsOnly5A) {
  for (int byte0 : {0x00, 0x01, 0x59, 0x5B, 0xFF}) {
    EXPECT_FALSE(DecodeBlock(Block({byte0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 100})).marker5A) << byte0;
  }
}

TEST(SettingsBlock, OnlyFlagBitsZeroAndThreeCount) {
  const SettingsValues off = DecodeBlock(Block({0, 0, 0, 0, 0, 0, 0, 0xF6, 0, 0, 0, 0, 0, 1, 1, 100}));
  EXPECT_FALSE(off.master);
  EXPECT_FALSE(off.overtake);
  const SettingsValues on = DecodeBlock(Block({0, 0, 0, 0, 0, 0, 0, 0x09, 0, 0, 0, 0, 0, 1, 1, 100}));
  EXPECT_TRUE(on.master);
  EXPECT_TRUE(on.overtake);
  // Re-encoding drops the other bits.
  EXPECT_EQ(EncodeBlock(DecodeBlock(Block({0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 1, 1, 100})))[7], 0x09);
}

TEST(SettingsBlock, DecodeLimitsCountTimeAndPower) {
  const SettingsValues zero = DecodeBlock(SettingsBlock{});
  EXPECT_FALSE(zero.marker5A);
  EXPECT_EQ(zero.yourId, 0u);
  EXPECT_EQ(zero.overtakeCount, 1);
  EXPECT_EQ(zero.overtakeTime, 1);
  EXPECT_EQ(zero.maxPower, 100);  // byte 0 stands for position 236

  const SettingsValues high = DecodeBlock(Block({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 251, 200}));
  EXPECT_EQ(high.overtakeCount, 250);
  EXPECT_EQ(high.overtakeTime, 250);
  EXPECT_EQ(high.maxPower, 0);  // byte 200 stands for position -164

  EXPECT_EQ(PowerPosition(0), 236);
  EXPECT_EQ(PowerPosition(200), -164);
}

TEST(SettingsBlock, PowerByteHalvesAndInverts) {
  EXPECT_EQ(PowerByte(74), 81);
  EXPECT_EQ(PowerByte(75), 81);  // an odd position loses its last bit
  EXPECT_EQ(PowerByte(0), 118);
  EXPECT_EQ(PowerByte(100), 68);
  for (int byte = 68; byte <= 118; ++byte) {
    const int pos = PowerPosition(static_cast<std::uint8_t>(byte));
    EXPECT_GE(pos, kMinPower);
    EXPECT_LE(pos, kMaxPower);
    EXPECT_EQ(PowerByte(pos), byte);
  }
}

TEST(SettingsBlock, DecodeRefusesAnyLengthButSixteen) {
  const std::vector<std::uint8_t> bytes(17, 0);
  EXPECT_THROW(DecodeBlock(std::span(bytes).first(15)), std::invalid_argument);
  EXPECT_THROW(DecodeBlock(std::span(bytes)), std::invalid_argument);
  EXPECT_THROW(DecodeBlock({}), std::invalid_argument);
  EXPECT_NO_THROW(DecodeBlock(std::span(bytes).first(16)));
}

TEST(Checksum, SumModulo256) {
  SettingsBlock ff;
  ff.fill(0xFF);
  EXPECT_EQ(Checksum(ff), 0xF0);
  EXPECT_EQ(Checksum(SettingsBlock{}), 0x00);

  Frame frame(16, '\xFF');
  AddCheckSum(frame);
  ASSERT_EQ(frame.size(), 17u);
  EXPECT_EQ(static_cast<std::uint8_t>(frame.back()), 0xF0);

  Frame mixed = "\x01\x02\xFE";
  AddCheckSum(mixed);
  EXPECT_EQ(static_cast<std::uint8_t>(mixed.back()), 0x01);
}

TEST(HandicapLevels, ClassifyFollowsTheChainOfTests) {
  using enum HandicapLevel;
  const std::vector<std::pair<int, HandicapLevel>> cases = {
      {1, Handy_S},   {2, Handy_S},  {0, Handy_S}, {3, Handy_M},  {4, Handy_M},  {5, Handy0},
      {11, Handy0},   {6, Handy1},   {7, Handy2},  {8, Handy3},   {9, Handy4},   {10, Handy5},
      {12, Handy6},   {15, Handy6},  {16, Handy6}, {17, Handy_7}, {250, Handy_7}};
  for (auto [count, level] : cases) EXPECT_EQ(Classify(count), level) << count;
}

TEST(HandicapLevels, PresetsSelectTheirOwnLevelInWindowOrder) {
  const std::vector<int> presets = {1, 3, 5, 6, 7, 8, 9, 10, 15, 250};
  std::set<std::string> names;
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& info = Info(static_cast<HandicapLevel>(i));
    EXPECT_EQ(static_cast<int>(info.level), i);
    EXPECT_EQ(info.preset, presets[i]);
    EXPECT_EQ(Classify(info.preset), info.level);
    EXPECT_EQ(std::string(info.message).rfind("Message from developer：\r\n", 0), 0u) << info.name;
    names.insert(info.name);
  }
  EXPECT_EQ(names.size(), 10u);
  EXPECT_STREQ(Info(HandicapLevel::Handy0).caption, "No Handicap");
  EXPECT_STREQ(Info(HandicapLevel::Handy_7).caption, "Handicap +MAX");
  EXPECT_EQ(std::string(Info(HandicapLevel::Handy4).message),
            "Message from developer：\r\nYou must be getting used to overtaking. Stay sharp!\r\n\r\n\r\n"
            "(Overtake count: 9 times)");
}

// What a write stores: everything the unit holds that the user cannot choose stays, whichever way
// its flags stand; the level's count and the three imposed values replace the rest.
TEST(SettingsBlock, WriteKeepsTheUnitsOwnAndImposesTheRest) {
  for (const bool master : {false, true}) {
    const SettingsValues unit{.marker5A = !master, .yourId = 0xABCDEF, .myId = 0x000102, .master = master,
                              .overtake = false, .lastChannel = 1, .mode = 2, .lowChannel = 3,
                              .highChannel = 4, .steeringAdjust = 255, .overtakeCount = 250,
                              .overtakeTime = 99, .maxPower = 0};
    const SettingsValues w = ValuesToWrite(unit, 8);
    SettingsValues expected = unit;
    expected.overtake = true;
    expected.overtakeCount = 8;
    expected.overtakeTime = 3;
    expected.maxPower = 74;
    EXPECT_EQ(w, expected) << master;
    const SettingsBlock b = EncodeBlock(w);
    EXPECT_EQ(b[0], master ? 0x00 : 0x5A);
    EXPECT_EQ(b[7], master ? 0x09 : 0x08);
    EXPECT_EQ(b[13], 8);
    EXPECT_EQ(b[14], 3);
    EXPECT_EQ(b[15], 81);
  }
}

}  // namespace
}  // namespace kx71
