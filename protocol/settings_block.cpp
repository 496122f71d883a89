#include "settings_block.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace kx71 {
namespace {

std::uint8_t Byte(long long v) { return static_cast<std::uint8_t>(v & 0xFF); }

void PutId(SettingsBlock& b, std::size_t at, std::uint32_t id) {
  b[at] = Byte(id / 65536);
  b[at + 1] = Byte((id % 65536) / 256);
  b[at + 2] = Byte(id % 256);
}

std::uint32_t GetId(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t{b[at]} * 65536 + std::uint32_t{b[at + 1]} * 256 + b[at + 2];
}

#define CRLF "\r\n"
#define FIRST "Message from developer：" CRLF
// One level whose message ends with its preset count: the option's name, its caption, the preset
// and the message between the first line and the count line (blank lines included).
#define LEVEL(level, caption, preset, body) \
  { HandicapLevel::level, #level, caption, preset, FIRST body "(Overtake count: " #preset " times)" }

const std::array<LevelInfo, kLevelCount> kLevels = {{
    {HandicapLevel::Handy_S, "Handy_S", "Vantor Legend", 1,
     FIRST "You have reached the territory of Vantor legends." CRLF
           "As a Vantor legend, you'll find out your own play style!!" CRLF "(Overtake count: Once)"},
    LEVEL(Handy_M, "Vantor Champ", 3,
          "You are just stepping into an unknown field. Reach for the summit of Vantor!! "
          "Fascinate spectators with your incredible driving skills!!" CRLF),
    LEVEL(Handy0, "No Handicap", 5, "You are an expert! Pump up the Vantor race scenes!" CRLF CRLF),
    LEVEL(Handy1, "Handicap +1", 6,
          "Just one more step to be an expert. Don't miss the chance to overtake!" CRLF CRLF),
    LEVEL(Handy2, "Handicap +2", 7,
          "Set up your car properly for the overtaking speed range and catch up with experts!!" CRLF CRLF),
    LEVEL(Handy3, "Handicap +3", 8, "Now you only need more practice! Strive to be a Vantor legend!!" CRLF CRLF),
    LEVEL(Handy4, "Handicap +4", 9, "You must be getting used to overtaking. Stay sharp!" CRLF CRLF CRLF),
    LEVEL(Handy5, "Handicap +5", 10, "Use the overtake button smartly. Take care when cornering!!" CRLF CRLF),
    LEVEL(Handy6, "Handicap +6", 15,
          "You've just entered the road to the Vantor summit. Overtake your rivals on the straight!!" CRLF
              CRLF),
    LEVEL(Handy_7, "Handicap +MAX", 250,
          "Welcome to Vantor. Push the overtake button and make sure you stay on your lane!!" CRLF CRLF),
}};

#undef LEVEL
#undef FIRST
#undef CRLF

}  // namespace

SettingsValues ValuesToWrite(const SettingsValues& unit, int count) {
  SettingsValues w = unit;
  w.overtake = true;
  w.overtakeCount = count;
  w.overtakeTime = kImposedTime;
  w.maxPower = kImposedPower;
  return w;
}

std::uint8_t PowerByte(int position) { return Byte(118 - position / 2); }

int PowerPosition(std::uint8_t byte) { return 236 - 2 * int{byte}; }

SettingsBlock EncodeBlock(const SettingsValues& v) {
  SettingsBlock b{};
  b[0] = v.marker5A ? kMarker : 0x00;
  PutId(b, 1, v.yourId);
  PutId(b, 4, v.myId);
  b[7] = static_cast<std::uint8_t>((v.master ? 0x01 : 0) | (v.overtake ? 0x08 : 0));
  b[8] = Byte(v.lastChannel);
  b[9] = Byte(v.mode);
  b[10] = Byte(v.lowChannel);
  b[11] = Byte(v.highChannel);
  b[12] = Byte(v.steeringAdjust);
  b[13] = Byte(v.overtakeCount);
  b[14] = Byte(v.overtakeTime);
  b[15] = PowerByte(v.maxPower);
  return b;
}

SettingsValues DecodeBlock(std::span<const std::uint8_t> b) {
  if (b.size() != kBlockSize) {
    throw std::invalid_argument("a settings block has 16 bytes, not " + std::to_string(b.size()));
  }
  SettingsValues v;
  v.marker5A = b[0] == kMarker;
  v.yourId = GetId(b, 1);
  v.myId = GetId(b, 4);
  v.master = (b[7] & 0x01) != 0;
  v.overtake = (b[7] & 0x08) != 0;
  v.lastChannel = b[8];
  v.mode = b[9];
  v.lowChannel = b[10];
  v.highChannel = b[11];
  v.steeringAdjust = b[12];
  v.overtakeCount = std::clamp<int>(b[13], kMinCount, kMaxCount);
  v.overtakeTime = std::clamp<int>(b[14], kMinCount, kMaxCount);
  v.maxPower = std::clamp(PowerPosition(b[15]), kMinPower, kMaxPower);
  return v;
}

std::uint8_t Checksum(std::span<const std::uint8_t> bytes) {
  return Byte(std::accumulate(bytes.begin(), bytes.end(), 0LL));
}

std::uint8_t Checksum(std::string_view bytes) {
  long long sum = 0;
  for (char c : bytes) sum += static_cast<std::uint8_t>(c);
  return Byte(sum);
}

void AddCheckSum(Frame& frame) { frame.push_back(static_cast<char>(Checksum(frame))); }

const LevelInfo& Info(HandicapLevel level) { return kLevels[static_cast<std::size_t>(level)]; }

int Preset(HandicapLevel level) { return Info(level).preset; }

HandicapLevel Classify(int count) {
  using enum HandicapLevel;
  if (count > 16) return Handy_7;
  if (count >= 12) return Handy6;
  if (count == 10) return Handy5;
  if (count == 9) return Handy4;
  if (count == 8) return Handy3;
  if (count == 7) return Handy2;
  if (count == 6) return Handy1;
  if (count > 4) return Handy0;
  if (count >= 3) return Handy_M;
  return Handy_S;
}

}  // namespace kx71
