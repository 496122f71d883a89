#include "cli/block_report.h"

#include <cstdio>
#include <sstream>

#include "cli/json_text.h"
#include "cli/level_names.h"
#include "cli/saved_block.h"

namespace kx71::cli {
namespace {

std::string Id(std::uint32_t id) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%06X", static_cast<unsigned>(id));
  return std::to_string(id) + " (" + hex + ")";
}

const char* OnOff(bool on) {
  return on ? "on" : "off";
}

// The eight one-byte values, by meaning, with the window's caption for each.
struct TValueRow {
  const char* key;      // JSON field
  const char* meaning;  // text label
  const char* caption;  // the window's
  int SettingsValues::*value;
};
constexpr TValueRow kValueRows[] = {
    {"lastChannel", "last channel", "LASTCH", &SettingsValues::lastChannel},
    {"mode", "mode", "MODE", &SettingsValues::mode},
    {"lowChannel", "low channel", "LOW CH", &SettingsValues::lowChannel},
    {"highChannel", "high channel", "HIGH CH", &SettingsValues::highChannel},
    {"steeringAdjust", "steering adjust", "ST ADJ", &SettingsValues::steeringAdjust},
    {"overtakeCount", "overtake count", "OT MAX", &SettingsValues::overtakeCount},
    {"overtakeTime", "overtake time (s)", "OT TIME", &SettingsValues::overtakeTime},
    {"maxPower", "max power (%)", "MAXPWR", &SettingsValues::maxPower},
};

}  // namespace

std::string LevelText(int count) {
  const HandicapLevel level = Classify(count);
  const LevelInfo& info = Info(level);
  std::string text =
      std::string(info.caption) + " (" + ShortLevelName(level) + "), count " + std::to_string(count);
  if (count != info.preset) text += ", not its preset " + std::to_string(info.preset);
  return text;
}

std::string BlockText(const SettingsBlock& block) {
  const SettingsValues v = DecodeBlock(block);
  std::ostringstream out;
  const auto row = [&](const std::string& label, const std::string& value) {
    out << "  " << label << std::string(label.size() < 20 ? 20 - label.size() : 1, ' ') << value << '\n';
  };
  row("marker (BUP)", v.marker5A ? "5Ah" : "00h");
  row("YOURID", Id(v.yourId));
  row("MYID", Id(v.myId));
  row("master (MASTERF)", OnOff(v.master));
  row("overtake (OVERTAKE)", OnOff(v.overtake));
  for (const TValueRow& r : kValueRows)
    row(std::string(r.meaning), std::to_string(v.*r.value) + "  (" + r.caption + ")");
  row("level", LevelText(v.overtakeCount));
  row("bytes", BlockHex(block));
  return out.str();
}

std::string UnitLine(const SettingsBlock& block) {
  const SettingsValues v = DecodeBlock(block);
  return "YOURID " + Id(v.yourId) + ", MYID " + Id(v.myId) + ", " + LevelText(v.overtakeCount);
}

std::string BlockJson(const SettingsBlock& block) {
  const SettingsValues v = DecodeBlock(block);
  const HandicapLevel level = Classify(v.overtakeCount);
  std::ostringstream out;
  out << "{\"bytes\": " << JsonString(BlockHex(block))
      << ", \"marker\": " << JsonString(v.marker5A ? "5Ah" : "00h") << ", \"yourId\": " << v.yourId
      << ", \"myId\": " << v.myId << ", \"master\": " << (v.master ? "true" : "false")
      << ", \"overtake\": " << (v.overtake ? "true" : "false");
  for (const TValueRow& r : kValueRows) out << ", " << JsonString(r.key) << ": " << v.*r.value;
  out << ", \"level\": " << JsonString(ShortLevelName(level))
      << ", \"levelCaption\": " << JsonString(Info(level).caption) << "}";
  return out.str();
}

std::string OutcomesJson(const std::vector<TPortOutcome>& outcomes) {
  std::ostringstream out;
  out << "[";
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    const TPortOutcome& o = outcomes[i];
    out << (i ? ",\n " : "\n ") << "{\"port\": " << JsonString(o.port)
        << ", \"ok\": " << (o.ok ? "true" : "false");
    if (o.block) out << ", \"block\": " << BlockJson(*o.block);
    if (!o.ok) out << ", \"error\": " << JsonString(o.reason);
    out << "}";
  }
  out << "\n]\n";
  return out.str();
}

std::string SummaryLine(const TPortOutcome& outcome) {
  return outcome.port + ": " + (outcome.ok ? "OK" : "FAILED") +
         (outcome.summary.empty() ? "" : ", " + outcome.summary);
}

}  // namespace kx71::cli
