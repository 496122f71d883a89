// The unit's 16-byte settings block, its checksum and the ten handicap levels.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "frame.h"

namespace kx71 {

inline constexpr std::size_t kBlockSize = 16;
using SettingsBlock = std::array<std::uint8_t, kBlockSize>;

inline constexpr std::uint8_t kMarker = 0x5A;
inline constexpr std::uint32_t kMaxIdentifier = 0xFFFFFF;
inline constexpr int kMinCount = 1, kMaxCount = 250;  // overtake count and time (bytes 13, 14)
inline constexpr int kMinPower = 0, kMaxPower = 100;  // power position (byte 15)

// The block's contents as values: the two identifiers, the marker choice and flags, and the eight
// one-byte settings, each in the range its editor holds.
struct SettingsValues {
  bool marker5A = true;      // byte 0 = 0x5A, else 0x00
  std::uint32_t yourId = 0;  // bytes 1..3, most significant first
  std::uint32_t myId = 0;    // bytes 4..6
  bool master = false;       // bit 0 of byte 7
  bool overtake = false;     // bit 3 of byte 7
  int lastChannel = 0;       // byte 8
  int mode = 0;              // byte 9
  int lowChannel = 0;        // byte 10
  int highChannel = 0;       // byte 11
  int steeringAdjust = 0;    // byte 12
  int overtakeCount = 1;     // byte 13
  int overtakeTime = 1;      // byte 14, in seconds
  int maxPower = 0;          // byte 15 = 118 - maxPower / 2 (a position 0..100)

  bool operator==(const SettingsValues&) const = default;
};

// The 16 bytes for the given values. Values are taken as bytes (the editors keep them in range).
SettingsBlock EncodeBlock(const SettingsValues& v);

// The values held in a block, limited to the editors' ranges. Throws std::invalid_argument unless
// `bytes` holds exactly 16 bytes.
SettingsValues DecodeBlock(std::span<const std::uint8_t> bytes);

// What a write stores in a unit that holds `unit`: the unit's identifiers, marker, master flag and
// bytes 8 to 12 are kept, so a write changes nothing the user cannot see or choose; the overtake
// flag is set, the overtake time is 3 s, the power position 74, and the overtake count `count`.
inline constexpr int kImposedTime = 3;
inline constexpr int kImposedPower = 74;
SettingsValues ValuesToWrite(const SettingsValues& unit, int count);

std::uint8_t PowerByte(int position);
int PowerPosition(std::uint8_t byte);  // unlimited: 236 - 2 * byte

// The modulo-256 sum of `bytes`.
std::uint8_t Checksum(std::span<const std::uint8_t> bytes);
std::uint8_t Checksum(std::string_view bytes);

// Appends the modulo-256 sum of all of `frame`'s bytes to it.
void AddCheckSum(Frame& frame);

// The skill levels, in the order of the options in the window.
enum class HandicapLevel { Handy_S, Handy_M, Handy0, Handy1, Handy2, Handy3, Handy4, Handy5, Handy6, Handy_7 };
inline constexpr int kLevelCount = 10;

struct LevelInfo {
  HandicapLevel level;
  const char* name;     // the option's control name, e.g. "Handy_S"
  const char* caption;  // the option's caption, e.g. "Vantor Legend"
  int preset;           // the overtake count the level sets
  const char* message;  // the developer's message, lines joined by CR LF
};

// The ten levels in window order.
const LevelInfo& Info(HandicapLevel level);
int Preset(HandicapLevel level);

// The level a count read from the unit selects.
HandicapLevel Classify(int count);

}  // namespace kx71
