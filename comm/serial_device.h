// The operations the serial port component needs of one open port. Shaped after the Windows
// communications calls (queue sizes, device control block, time-outs, purge, ClearCommError,
// EscapeCommFunction, overlapped read/write with completion polling, WaitCommEvent), so a Windows
// backend maps onto it directly and the POSIX backend reproduces the same observable behaviour.
//
// Threads: the main thread uses everything except the write and event-wait calls; the transmit worker
// uses BeginWrite/WaitWrite/WaitTransmitted/ClearErrors/Escape; the receive worker uses WaitEvent/
// ClearErrors/SetEventMask. WakeEventWait, Purge, ClearErrors and Escape are safe from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "comm/comm_dcb.h"

namespace kx71 {

// Purge flags.
inline constexpr std::uint32_t kPurgeTxAbort = 0x01;
inline constexpr std::uint32_t kPurgeRxAbort = 0x02;
inline constexpr std::uint32_t kPurgeTxClear = 0x04;
inline constexpr std::uint32_t kPurgeRxClear = 0x08;

// Line-error bits.
inline constexpr std::int32_t kCeRxOver = 0x01;
inline constexpr std::int32_t kCeOverrun = 0x02;
inline constexpr std::int32_t kCeRxParity = 0x04;
inline constexpr std::int32_t kCeFrame = 0x08;
inline constexpr std::int32_t kCeBreak = 0x10;
// The errors the component reports: overrun, parity and framing.
inline constexpr std::int32_t kCeLineErrors = kCeOverrun | kCeRxParity | kCeFrame;
static_assert(kCeLineErrors == 0x0E);

// Line events.
inline constexpr std::uint32_t kEvRxChar = 0x01;
inline constexpr std::uint32_t kEvBreak = 0x40;
inline constexpr std::uint32_t kEvErr = 0x80;

enum class TEscape { SetRts = 3, ClrRts = 4, SetDtr = 5, ClrDtr = 6 };

struct TLineStatus {
  std::int32_t inQueue = 0;  // bytes waiting to be read
  std::int32_t errors = 0;   // kCe... bits gathered since the last call
};

enum class TIoState { Done, Pending, Failed };

struct TIoResult {
  TIoState state = TIoState::Failed;
  std::int32_t bytes = 0;  // transferred so far (also for Failed)
};

class TSerialDevice {
 public:
  virtual ~TSerialDevice() = default;

  // The number the component shows as its handle.
  virtual std::uint32_t NativeHandle() const = 0;

  // Driver queue sizes; accepted and ignored where the system has none.
  virtual bool SetQueueSizes(std::int32_t inBytes, std::int32_t outBytes) = 0;
  // The line settings in force.
  virtual TCommDcb GetState() = 0;
  // Applies `dcb` whole; false (and the line as it was) when the device does not take it.
  virtual bool SetState(const TCommDcb& dcb) = 0;
  // A read ends when all bytes have arrived or readTotalMs after it began; a write ends when
  // written or after writeTotalMs (a time-out is no failure: the result counts what was moved).
  // Values are taken as unsigned, as the driver does.
  virtual bool SetTimeouts(std::int32_t readTotalMs, std::int32_t writeTotalMs) = 0;
  // kPurge... flags. Aborting ends a read or write in progress with Failed.
  virtual void Purge(std::uint32_t flags) = 0;
  // Receive queue count and pending line errors; taking the errors clears them.
  virtual TLineStatus ClearErrors() = 0;
  // Raises or lowers RTS/DTR; does nothing where the device has no modem lines.
  virtual void Escape(TEscape fn) = 0;
  // The events WaitEvent reports (kEv... bits).
  virtual void SetEventMask(std::uint32_t mask) = 0;

  // One read at a time. Reads into `buffer` (kept valid by the caller until Done or Failed); Done
  // when all `count` bytes arrived or the read time-out ran out.
  virtual TIoResult BeginRead(void* buffer, std::int32_t count) = 0;
  // Continues the read begun last, waiting at most `waitMs` for bytes; Pending while it goes on.
  virtual TIoResult PollRead(int waitMs) = 0;

  // One write at a time (the transmit worker's). BeginWrite starts it and returns without waiting;
  // WaitWrite waits for it to end (written, write time-out, abort by Purge, or failure). A write
  // call that WaitWrite makes itself is made holding `portLock` (the lock transmit purges are made
  // under) and only when no abort came since BeginWrite, so nothing of an aborted block goes out.
  virtual TIoResult BeginWrite(const void* data, std::int32_t count) = 0;
  virtual TIoResult WaitWrite(std::mutex& portLock) = 0;
  // Waits until what was written has left the line (the driver's queue and the transmitter are
  // empty), at most the write time-out; ends early on a transmit abort. False when it did not drain.
  virtual bool WaitTransmitted() = 0;

  // Waits for the next line event: the kEv... bits that occurred, or 0 when woken by WakeEventWait.
  // Received characters are reported once per arrival, not for as long as bytes stay unread.
  virtual std::uint32_t WaitEvent() = 0;
  virtual void WakeEventWait() = 0;
};

// Why the last open on this thread returned nothing: the device it tried (empty when the number has
// none) and the system's error number (0 when unknown). Factories set it; the component reads it.
struct TOpenFailure {
  std::string device;
  int error = 0;
  std::string reason;  // the words for the user when the error number alone would mislead
};
TOpenFailure& LastOpenFailure();

// The words a user is shown for an error number of a failed open ("permission denied - ...").
std::string OpenFailureReason(int error);

// Opens COM<portNo> exclusively, or returns nothing (with LastOpenFailure) when it cannot be opened.
using TSerialDeviceFactory = std::function<std::unique_ptr<TSerialDevice>(std::int32_t portNo)>;

// This platform's devices.
std::unique_ptr<TSerialDevice> OpenSerialDevice(std::int32_t portNo);

}  // namespace kx71
