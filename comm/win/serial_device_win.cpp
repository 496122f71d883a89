// Serial devices on Windows: the kernel32 communications functions on a handle opened for
// overlapped I/O, one OVERLAPPED record (with its own manual-reset event) for each of the read, the
// write and the line-event wait, so the three can be outstanding at once from their own threads.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

#include "comm/port_map.h"
#include "comm/serial_device.h"
#include "comm/win/win_dcb.h"

namespace kx71 {
namespace {

// After a line-event wait that ended without an event (the driver refused it, the device went
// away, or the mask was changed), wait this long before arming the next one, so a device that fails
// every wait at once does not turn the receive worker into a busy loop.
constexpr DWORD kEventRetryMs = 20;

// One overlapped operation: its record, its event, and whether the driver still holds the record.
struct TOverlappedOp {
  OVERLAPPED ov{};
  bool pending = false;

  bool Init() {
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return ov.hEvent != nullptr;
  }
  void Reset() {
    const HANDLE event = ov.hEvent;
    ov = OVERLAPPED{};
    ov.hEvent = event;
    ResetEvent(event);
  }
};

// What GetOverlappedResult said of a finished operation.
TIoResult Finished(BOOL ok, DWORD transferred) {
  if (ok) return {TIoState::Done, static_cast<std::int32_t>(transferred)};
  // Windows ends a read or write that runs into its total time-out with success and the bytes moved
  // so far; Wine 8 ends it with ERROR_TIMEOUT instead. Either way the time-out is no failure.
  if (GetLastError() == ERROR_TIMEOUT) return {TIoState::Done, static_cast<std::int32_t>(transferred)};
  return {TIoState::Failed, static_cast<std::int32_t>(transferred)};
}

class TWinSerialDevice final : public TSerialDevice {
 public:
  explicit TWinSerialDevice(HANDLE handle) : handle_(handle) {}

  ~TWinSerialDevice() override {
    // The workers have ended, but the driver may still hold a record (a read abandoned when the port
    // closed, a line-event wait): cancel everything on the handle and wait until the driver lets go
    // of each record before it is freed.
    SetCommMask(handle_, 0);
    CancelIoEx(handle_, nullptr);
    for (TOverlappedOp* op : {&read_, &write_, &event_}) {
      DWORD n;
      if (op->pending) GetOverlappedResult(handle_, &op->ov, &n, TRUE);
    }
    CloseHandle(handle_);
    for (HANDLE h : {read_.ov.hEvent, write_.ov.hEvent, event_.ov.hEvent, wake_})
      if (h != nullptr) CloseHandle(h);
  }

  bool Setup() {
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto reset: one wake-up per signal
    if (wake_ == nullptr || !read_.Init() || !write_.Init() || !event_.Init()) return false;
    // The block as the driver has it, as the base for the fields the component does not set. A
    // driver that cannot report it is no reason to refuse the port: its setters find out.
    native_.DCBlength = sizeof(DCB);
    GetCommState(handle_, &native_);
    return true;
  }

  std::uint32_t NativeHandle() const override {
    // Kernel handles fit in 32 bits, also in 64-bit processes.
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle_));
  }

  bool SetQueueSizes(std::int32_t inBytes, std::int32_t outBytes) override {
    return SetupComm(handle_, static_cast<DWORD>(inBytes), static_cast<DWORD>(outBytes)) != 0;
  }

  TCommDcb GetState() override {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (GetCommState(handle_, &dcb)) native_ = dcb;
    return FromNativeDcb(native_);
  }

  bool SetState(const TCommDcb& line) override {
    DCB dcb = ToNativeDcb(line, native_);
    if (!SetCommState(handle_, &dcb)) return false;
    native_ = dcb;
    return true;
  }

  bool SetTimeouts(std::int32_t readTotalMs, std::int32_t writeTotalMs) override {
    COMMTIMEOUTS t{};
    GetCommTimeouts(handle_, &t);
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(readTotalMs);
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = static_cast<DWORD>(writeTotalMs);
    writeTotal_ = static_cast<DWORD>(writeTotalMs);
    return SetCommTimeouts(handle_, &t) != 0;
  }

  bool WaitTransmitted() override {
    // The driver has no wait with a time-out for this; its output count is polled instead.
    const std::uint64_t abort = txAbort_;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
      DWORD errors = 0;
      COMSTAT stat{};
      if (!ClearCommError(handle_, &errors, &stat)) return false;
      if (stat.cbOutQue == 0) return true;
      if (txAbort_ != abort || (writeTotal_ != 0 && GetTickCount64() - start >= writeTotal_)) return false;
      Sleep(1);
    }
  }

  void Purge(std::uint32_t flags) override {
    PurgeComm(handle_, flags);
    // Windows' abort flags end the read or write in progress; Wine 8 only empties the queues and
    // leaves them waiting. Cancelling the record as well gives the same result on both (on Windows
    // it has completed already and the cancel finds nothing).
    if (flags & kPurgeRxAbort) CancelIoEx(handle_, &read_.ov);
    if (flags & kPurgeTxAbort) {
      ++txAbort_;
      CancelIoEx(handle_, &write_.ov);
    }
  }

  TLineStatus ClearErrors() override {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(handle_, &errors, &stat)) return {};
    return {static_cast<std::int32_t>(stat.cbInQue), static_cast<std::int32_t>(errors)};
  }

  void Escape(TEscape fn) override {
    // Fails on devices without modem lines (and under Wine on a pseudo-terminal): nothing to drive.
    EscapeCommFunction(handle_, static_cast<DWORD>(fn));
  }

  void SetEventMask(std::uint32_t mask) override { SetCommMask(handle_, mask); }

  TIoResult BeginRead(void* buffer, std::int32_t count) override {
    Abandon(read_);
    read_.Reset();
    if (ReadFile(handle_, buffer, static_cast<DWORD>(std::max(count, 0)), nullptr, &read_.ov))
      return Collect(read_);
    return Started(read_);
  }

  TIoResult PollRead(int waitMs) override {
    if (!read_.pending) return {TIoState::Failed, 0};
    // The main thread polls here between rounds of window messages. Waiting on the read and on the
    // thread's input together ends the wait as soon as either is there: a bare 1 ms timed wait can
    // last a whole timer tick (15.6 ms by default) on Windows, which would delay both.
    MsgWaitForMultipleObjectsEx(1, &read_.ov.hEvent, static_cast<DWORD>(std::max(waitMs, 0)), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(handle_, &read_.ov, &n, FALSE);
    if (!ok && GetLastError() == ERROR_IO_INCOMPLETE) return {TIoState::Pending, 0};
    read_.pending = false;
    return Finished(ok, n);
  }

  TIoResult BeginWrite(const void* data, std::int32_t count) override {
    Abandon(write_);
    write_.Reset();
    if (WriteFile(handle_, data, static_cast<DWORD>(std::max(count, 0)), nullptr, &write_.ov))
      return Collect(write_);
    return Started(write_);
  }

  TIoResult WaitWrite(std::mutex&) override {  // the write call was BeginWrite's
    if (!write_.pending) return {TIoState::Failed, 0};
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(handle_, &write_.ov, &n, TRUE);
    write_.pending = false;
    return Finished(ok, n);
  }

  std::uint32_t WaitEvent() override {
    if (!event_.pending) {
      event_.Reset();
      eventMask_ = 0;
      if (WaitCommEvent(handle_, &eventMask_, &event_.ov)) return eventMask_ != 0 ? eventMask_ : RetryLater();
      if (GetLastError() != ERROR_IO_PENDING) return RetryLater();
      event_.pending = true;
    }
    // A wake-up leaves the wait armed: the next call goes on waiting for the same event.
    const HANDLE handles[2] = {event_.ov.hEvent, wake_};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return 0;
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(handle_, &event_.ov, &n, FALSE);
    if (!ok && GetLastError() == ERROR_IO_INCOMPLETE) return 0;
    event_.pending = false;
    // Windows ends a wait with mask 0 when the event mask is changed; Wine (and a device that has
    // gone) end it with a failure. No event either way.
    if (!ok || eventMask_ == 0) return RetryLater();
    return eventMask_;
  }

  void WakeEventWait() override { SetEvent(wake_); }

 private:
  // An immediate completion: the result is in the record.
  TIoResult Collect(TOverlappedOp& op) {
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(handle_, &op.ov, &n, FALSE);
    return Finished(ok, n);
  }

  // After ReadFile/WriteFile returned FALSE: under way, or failed at once.
  TIoResult Started(TOverlappedOp& op) {
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      op.pending = true;
      return {TIoState::Pending, 0};
    }
    SetLastError(error);
    return Finished(FALSE, 0);
  }

  // Callers start one operation of a kind at a time; should one still be under way, end it before
  // its record is reused.
  void Abandon(TOverlappedOp& op) {
    if (!op.pending) return;
    CancelIoEx(handle_, &op.ov);
    DWORD n;
    GetOverlappedResult(handle_, &op.ov, &n, TRUE);
    op.pending = false;
  }

  // Waits out the retry pause (a wake-up ends it) and reports no event.
  std::uint32_t RetryLater() {
    WaitForSingleObject(wake_, kEventRetryMs);
    return 0;
  }

  HANDLE handle_;
  HANDLE wake_ = nullptr;
  DCB native_{};         // the driver's block as last read or set (main thread)
  TOverlappedOp read_;   // main thread
  TOverlappedOp write_;  // transmit worker
  TOverlappedOp event_;  // receive worker
  DWORD eventMask_ = 0;  // written by the driver when a line-event wait completes
  std::atomic<DWORD> writeTotal_{0};
  std::atomic<std::uint64_t> txAbort_{0};
};

}  // namespace

std::unique_ptr<TSerialDevice> OpenSerialDevice(std::int32_t portNo) {
  const std::optional<std::string> name = ResolvePortDevice(portNo);
  if (!name) return nullptr;
  // Exclusive (share mode 0): while it is open no other program can open the port.
  const HANDLE handle = CreateFileA(name->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // In the words the component gives a failed open: another holder, no such port, or unknown.
    const DWORD error = GetLastError();
    LastOpenFailure() = {*name, error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EBUSY
                                : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
                                                                                                   : 0,
                         {}};
    return nullptr;
  }
  auto device = std::make_unique<TWinSerialDevice>(handle);
  if (!device->Setup()) return nullptr;
  return device;
}

}  // namespace kx71
