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
  const bool inRange = v.yourId <= kMaxIdentifier && v.myId <= kMaxIdentifier && v.thr >= kMinCount &&
                       v.thr <= kMaxCount && v.yobi1 >= kMinCount && v.yobi1 <= kMaxCount &&
                       v.yobi2 >= kMinPower && v.yobi2 <= kMaxPower;
  for (int b : {v.last, v.mode, v.ua, v.low, v.hich})
    if (b < 0 || b > 255) std::abort();
  if (!inRange) std::abort();
  const SettingsBlock again = EncodeBlock(v);
  if (!(DecodeBlock(again) == v)) std::abort();
  (void)Classify(v.thr);
  return 0;
}
