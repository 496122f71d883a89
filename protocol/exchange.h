// The two exchanges with the unit (read the settings block, write it) and the one routine,
// Transact, through which every request goes.
#pragma once

#include <cstdint>
#include <optional>

#include "exchange_port.h"
#include "settings_block.h"

namespace kx71 {

inline constexpr std::uint8_t kReadCommand = 0xE5;   // read request, 1 byte
inline constexpr std::uint8_t kWriteCommand = 0xF5;  // write request: command, block, checksum
inline constexpr std::uint8_t kAck = 0x06;           // last byte of a write reply: block accepted
inline constexpr std::uint8_t kNak = 0x15;           // last byte of a write reply: block refused

inline constexpr int kBlockFrameSize = 18;    // one byte, the 16 block bytes, their checksum
inline constexpr int kReadReplySize = 18;     // any byte, block, checksum
inline constexpr int kWriteReplySize = 19;    // 18 bytes not examined, then kAck or kNak
inline constexpr int kReplyBufferSize = 256;  // the largest reply Transact accepts

// Sends `request` on `port` and waits for a reply of exactly `expected` bytes: one attempt; the
// receive path is purged first, so bytes that were waiting never become part of the reply, and
// bytes beyond `expected` stay queued for the next exchange to discard.
//
// On return `reply` holds the reply when exactly `expected` bytes came, else it is empty, and
// `request` holds the same as `reply`. With `expected` 0 the request is only sent. Returns the count
// the port's Read gave (-1 when the port is closed or the read failed; 0 when nothing was awaited).
//
// Refused at once, as a failed exchange that neither purges, sends nor reads (returns -1, both
// strings empty): `expected` outside 0..kReplyBufferSize, or another exchange already waiting on
// `port` (e.g. started from a handler that runs during that exchange's wait).
std::int32_t Transact(TExchangePort& port, Frame& request, int expected, Frame& reply);

// `first`, the block and the checksum of the block: the write request (first = kWriteCommand) and
// the unit's read reply have this layout.
Frame BlockFrame(std::uint8_t first, const SettingsBlock& block);
// Bytes 1..16 of an 18-byte frame whose byte 17 is their checksum; nothing for any other frame.
std::optional<SettingsBlock> CheckedBlock(const Frame& frame);

// The read request: kReadCommand alone.
Frame ReadRequest();
// Whether a read reply has 18 bytes and byte 17 is the checksum of bytes 1..16.
bool ReadReplyGood(const Frame& reply);
// The block a good read reply carries.
std::optional<SettingsBlock> BlockFromReadReply(const Frame& reply);

// The write request: kWriteCommand, the block, its checksum.
Frame WriteRequest(const SettingsBlock& block);
// Whether a write reply has 19 bytes and ends in kAck.
bool WriteReplyGood(const Frame& reply);

// One read exchange: the unit's block, or nothing when the exchange failed.
std::optional<SettingsBlock> ReadBlock(TExchangePort& port);
// One write exchange: true when the unit accepted `block`.
bool WriteBlock(TExchangePort& port, const SettingsBlock& block);

}  // namespace kx71
