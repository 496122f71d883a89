// Any bytes: decoding never reads out of bounds, refuses every length but 16, keeps its values within
// the editors' ranges, and re-encoding a decoded block is stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <stdexcept>

#include "protocol/settings_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kx71;
  SettingsValues v;
  try {
    v = DecodeBlock(std::span(data, size));
  } catch (const std::invalid_argument&) {
    if (size == kBlockSize) std::abort();
    return 0;
  }
  if (size != kBlockSize) std::abort();
  const bool inRange = v.yourId <= kMaxIdentifier && v.myId <= kMaxIdentifier && v.overtakeCount >= kMinCount &&
                       v.overtakeCount <= kMaxCount && v.overtakeTime >= kMinCount && v.overtakeTime <= kMaxCount &&
                       v.maxPower >= kMinPower && v.maxPower <= kMaxPower;
  for (int b : {v.lastChannel, v.mode, v.lowChannel, v.highChannel, v.steeringAdjust})
    if (b < 0 || b > 255) std::abort();
  if (!inRange) std::abort();
  const SettingsBlock again = EncodeBlock(v);
  if (!(DecodeBlock(again) == v)) std::abort();
  (void)Classify(v.overtakeCount);
  return 0;
}
