// The saved copy of a block, the JSON it lives in, and how blocks are shown.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/block_report.h"
#include "cli/json_text.h"
#include "cli/saved_block.h"

namespace kx71::cli {
namespace {

// Marker 5A, YOURID 0x123456, MYID 0xFEDCBA, master and overtake on, count 12, time 3, power 74.
const SettingsBlock kBlock = {0x5A, 0x12, 0x34, 0x56, 0xFE, 0xDC, 0xBA, 0x09, 1, 2, 3, 4, 5, 12, 3, 0x51};

TEST(SavedBlock, RoundTripsThroughItsText) {
  const TSavedBlock saved{"COM3", kBlock};
  const std::string text = SavedBlockJson(saved);
  EXPECT_NE(text.find("\"yourId\": 1193046"), std::string::npos) << text;
  EXPECT_NE(text.find("\"myId\": 16702650"), std::string::npos) << text;
  EXPECT_NE(text.find("\"block\": \"5A123456FEDCBA0901020304050C0351\""), std::string::npos) << text;
  const auto back = ParseSavedBlock(text);
  ASSERT_TRUE(std::holds_alternative<TSavedBlock>(back)) << std::get<std::string>(back);
  EXPECT_EQ(std::get<TSavedBlock>(back).block, kBlock);
  EXPECT_EQ(std::get<TSavedBlock>(back).port, "COM3");
}

TEST(SavedBlock, KeepsPortNamesThatNeedEscapes) {
  const auto back = ParseSavedBlock(SavedBlockJson({"a\"b\\c\n", kBlock}));
  ASSERT_TRUE(std::holds_alternative<TSavedBlock>(back));
  EXPECT_EQ(std::get<TSavedBlock>(back).port, "a\"b\\c\n");
}

struct BadFile {
  const char* text;
  const char* named;
};
class BadSavedBlock : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadSavedBlock, IsRefusedSayingWhy) {
  const auto r = ParseSavedBlock(GetParam().text);
  ASSERT_TRUE(std::holds_alternative<std::string>(r)) << GetParam().text;
  EXPECT_NE(std::get<std::string>(r).find(GetParam().named), std::string::npos) << std::get<std::string>(r);
}

#define KX71_GOOD_FIELDS "\"format\": \"kx71-vantor-block\", \"version\": 1, "
INSTANTIATE_TEST_SUITE_P(
    Cases, BadSavedBlock,
    ::testing::Values(
        BadFile{"", "expected '{'"}, BadFile{"[]", "expected '{'"}, BadFile{"{\"version\": 1}", "format"},
        BadFile{"{\"format\": \"kx71-vantor-block\", \"version\": 2}", "version"},
        BadFile{"{" KX71_GOOD_FIELDS "\"yourId\": 1193046, \"myId\": 16702650}", "no \"block\""},
        BadFile{"{" KX71_GOOD_FIELDS "\"block\": \"5A1234\", \"yourId\": 1, \"myId\": 1}", "32 hexadecimal"},
        BadFile{"{" KX71_GOOD_FIELDS "\"block\": \"5A123456FEDCBA0901020304050C03G1\"}", "32 hexadecimal"},
        BadFile{"{" KX71_GOOD_FIELDS "\"block\": \"5A123456FEDCBA0901020304050C0351\", \"myId\": 16702650}",
                "no \"yourId\""},
        // A file whose identifiers were edited to pass for another unit.
        BadFile{"{" KX71_GOOD_FIELDS "\"block\": \"5A123456FEDCBA0901020304050C0351\", \"yourId\": 1193047, "
                "\"myId\": 16702650}",
                "\"yourId\" 1193047 does not match the block's 1193046"},
        BadFile{"{" KX71_GOOD_FIELDS "\"version\": 1}", "given twice"},
        BadFile{"{" KX71_GOOD_FIELDS "\"x\": 1.5}", "neither a string nor an integer"},
        BadFile{"{" KX71_GOOD_FIELDS "\"x\": {}}", "neither a string nor an integer"},
        BadFile{"{" KX71_GOOD_FIELDS "\"x\": \"open}", "bad string"},
        BadFile{"{\"format\": \"kx71-vantor-block\"} x", "text after the object"}));

TEST(SavedBlock, FileIsWrittenWholeAndReadBack) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kx71-cli-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "car.json").string();
  EXPECT_EQ(SaveBlockFile(path, {"COM3", kBlock}), "");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  const auto back = LoadBlockFile(path);
  ASSERT_TRUE(std::holds_alternative<TSavedBlock>(back));
  EXPECT_EQ(std::get<TSavedBlock>(back).block, kBlock);

  const auto missing = LoadBlockFile((dir / "none.json").string());
  ASSERT_TRUE(std::holds_alternative<std::string>(missing));
  EXPECT_NE(std::get<std::string>(missing).find("none.json"), std::string::npos);
  EXPECT_NE(SaveBlockFile((dir / "no-such-folder" / "car.json").string(), {"COM3", kBlock}), "");
  std::ofstream(dir / "big.json") << std::string(100000, ' ') << SavedBlockJson({"COM3", kBlock});
  const auto big = LoadBlockFile((dir / "big.json").string());
  ASSERT_TRUE(std::holds_alternative<std::string>(big));
  EXPECT_NE(std::get<std::string>(big).find("too large"), std::string::npos);
  std::filesystem::remove_all(dir);
}

TEST(BlockReport, ShowsEveryFieldByMeaning) {
  const std::string text = BlockText(kBlock);
  for (const char* part : {"5Ah", "1193046 (0x123456)", "16702650 (0xFEDCBA)", "master (MASTERF)    on",
                           "last channel", "steering adjust     5", "overtake count      12",
                           "max power (%)       74", "Handicap +6 (+6), count 12, not its preset 15"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  EXPECT_EQ(LevelText(8), "Handicap +3 (+3), count 8");
  EXPECT_EQ(LevelText(11), "No Handicap (none), count 11, not its preset 5");

  const std::string json = BlockJson(kBlock);
  for (const char* part : {"\"yourId\": 1193046", "\"master\": true", "\"overtakeCount\": 12",
                           "\"maxPower\": 74", "\"level\": \"+6\"", "\"levelCaption\": \"Handicap +6\""})
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;

  const std::string all =
      OutcomesJson({{"COM3", true, "", "", kBlock}, {"COM4", false, "", "no \"reply\"", {}}});
  EXPECT_NE(all.find("{\"port\": \"COM4\", \"ok\": false, \"error\": \"no \\\"reply\\\"\"}"),
            std::string::npos)
      << all;
  EXPECT_EQ(SummaryLine({"COM4", false, "not read", "x", {}}), "COM4: FAILED, not read");
}

}  // namespace
}  // namespace kx71::cli
