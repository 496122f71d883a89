// The command line: what each command accepts, and a message naming what is wrong with the rest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/level_names.h"

namespace kx71::cli {
namespace {

using Args = std::vector<std::string>;

TRequest Parsed(const Args& args) {
  const auto r = ParseCommandLine(args);
  if (const auto* e = std::get_if<TUsageError>(&r)) ADD_FAILURE() << e->message;
  return std::get_if<TRequest>(&r) ? std::get<TRequest>(r) : TRequest{};
}

TEST(CommandLine, Commands) {
  EXPECT_EQ(Parsed({"ports"}).command, TCommand::Ports);
  EXPECT_EQ(Parsed({"--help"}).command, TCommand::Help);
  EXPECT_EQ(Parsed({"read", "COM3", "-h"}).command, TCommand::Help);
  EXPECT_EQ(Parsed({"--version"}).command, TCommand::Version);

  const TRequest find = Parsed({"find"});
  EXPECT_EQ(find.command, TCommand::Find);
  EXPECT_EQ(find.timeoutMs, kDefaultFindTimeoutMs);
  EXPECT_EQ(Parsed({"find", "--timeout", "250"}).timeoutMs, 250);
  EXPECT_EQ(Parsed({"find", "--timeout=250"}).timeoutMs, 250);

  const TRequest read = Parsed({"read", "com3", "--json", "COM12", "--save", "car-{port}.json"});
  ASSERT_EQ(read.ports.size(), 2u);
  EXPECT_EQ(read.ports[0].name, "COM3");
  EXPECT_EQ(read.ports[0].number, 3);
  EXPECT_EQ(read.ports[1].number, 12);
  EXPECT_TRUE(read.json);
  EXPECT_EQ(read.timeoutMs, kDefaultTimeoutMs);
  EXPECT_EQ(read.SavePath("COM12"), "car-COM12.json");
  EXPECT_EQ(Parsed({"read", "COM3", "--save", "one.json"}).SavePath("COM3"), "one.json");

  const TRequest write = Parsed({"write", "COM1", "COM2", "--level", "Handicap +3"});
  EXPECT_EQ(write.level, HandicapLevel::Handy3);
  EXPECT_EQ(write.ports.size(), 2u);

  const TRequest restore = Parsed({"restore", "COM4", "car.json", "--force"});
  EXPECT_EQ(restore.ports.at(0).number, 4);
  EXPECT_EQ(restore.restoreFile, "car.json");
  EXPECT_TRUE(restore.force);
}

struct BadCase {
  Args args;
  const char* named;  // what the message must name
};

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedNamingTheFault) {
  const auto r = ParseCommandLine(GetParam().args);
  const auto* e = std::get_if<TUsageError>(&r);
  ASSERT_NE(e, nullptr);
  EXPECT_NE(e->message.find(GetParam().named), std::string::npos) << e->message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    ::testing::Values(BadCase{{}, "no command"}, BadCase{{"flash"}, "'flash'"},
                      BadCase{{"read"}, "at least one port"}, BadCase{{"read", "COM0"}, "'COM0'"},
                      BadCase{{"read", "ttyS0"}, "'ttyS0'"}, BadCase{{"read", "COM 3"}, "'COM 3'"},
                      BadCase{{"read", "COM-3"}, "'COM-3'"}, BadCase{{"read", "COMx3"}, "'COMx3'"},
                      BadCase{{"read", "COM3", "com3"}, "COM3 given twice"},
                      BadCase{{"read", "COM3", "--bogus"}, "'--bogus'"},
                      BadCase{{"read", "COM3", "--level", "+3"}, "--level does not go with 'read'"},
                      BadCase{{"read", "COM3", "--save"}, "--save needs a value"},
                      BadCase{{"read", "COM3", "COM4", "--save", "x.json"}, "{port}"},
                      BadCase{{"read", "COM3", "--json=yes"}, "--json takes no value"},
                      BadCase{{"write", "COM3"}, "needs --level"},
                      BadCase{{"write", "COM3", "--level", "+7"}, "unknown level '+7'"},
                      BadCase{{"write", "COM3", "--level", "+3", "--level", "+4"}, "--level given twice"},
                      BadCase{{"find", "--timeout", "0"}, "--timeout '0'"},
                      BadCase{{"find", "--timeout", "1.5"}, "--timeout '1.5'"},
                      BadCase{{"find", "--timeout", " 5"}, "--timeout ' 5'"},
                      BadCase{{"find", "--timeout", "600001"}, "--timeout '600001'"},
                      BadCase{{"find", "COM3"}, "takes no ports"}, BadCase{{"ports", "--json"}, "--json"},
                      BadCase{{"restore", "COM3"}, "one port and one file"},
                      BadCase{{"restore", "COM3", "a.json", "b.json"}, "one port and one file"},
                      BadCase{{"restore", "car.json", "COM3"}, "'car.json' is not a port"},
                      BadCase{{"write", "COM3", "--level", "+3", "--force"},
                              "--force does not go with 'write'"}));

struct LevelCase {
  const char* text;
  HandicapLevel level;
};

class LevelNames : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelNames, NameTheirLevel) {
  EXPECT_EQ(ParseLevelName(GetParam().text), GetParam().level) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, LevelNames,
    ::testing::Values(
        LevelCase{"Handicap +3", HandicapLevel::Handy3}, LevelCase{"handicap +max", HandicapLevel::Handy_7},
        LevelCase{"+3", HandicapLevel::Handy3}, LevelCase{"3", HandicapLevel::Handy3},
        LevelCase{"MAX", HandicapLevel::Handy_7}, LevelCase{"+Max", HandicapLevel::Handy_7},
        LevelCase{"legend", HandicapLevel::Handy_S}, LevelCase{"VANTOR LEGEND", HandicapLevel::Handy_S},
        LevelCase{"Champ", HandicapLevel::Handy_M}, LevelCase{"Vantor Champ", HandicapLevel::Handy_M},
        LevelCase{"none", HandicapLevel::Handy0}, LevelCase{"No Handicap", HandicapLevel::Handy0},
        LevelCase{"+1", HandicapLevel::Handy1}, LevelCase{"+6", HandicapLevel::Handy6},
        LevelCase{"Handy_7", HandicapLevel::Handy_7}));

TEST(LevelNames, EveryShortNameLeadsBackAndOthersAreRefused) {
  for (int i = 0; i < kLevelCount; ++i) {
    const auto level = static_cast<HandicapLevel>(i);
    EXPECT_EQ(ParseLevelName(ShortLevelName(level)), level);
    EXPECT_EQ(ParseLevelName(Info(level).caption), level);
  }
  for (const char* bad : {"", "+0", "0", "+7", "7", "+legend", "max ", " none", "Handicap+3", "Handicap 3"})
    EXPECT_EQ(ParseLevelName(bad), std::nullopt) << "'" << bad << "'";
}

}  // namespace
}  // namespace kx71::cli
