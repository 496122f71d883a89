#include "support/fake_serial_device.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "wait_until.h"

namespace kx71::testing {

class TFakeDevice final : public TSerialDevice {
 public:
  explicit TFakeDevice(std::shared_ptr<TFakeLine> line) : line_(std::move(line)) {
    std::lock_guard lock(line_->lock_);
    ++line_->opens_;
    ++line_->openDevices_;
    line_->state_ = TCommDcb{};
    line_->state_.BaudRate = 38400;
    line_->state_.ByteSize = 8;
    line_->state_.Flags = kDcbBinary;
    line_->state_.XonChar = 0x11;
    line_->state_.XoffChar = 0x13;
    line_->eventWake_ = false;
  }

  ~TFakeDevice() override {
    std::lock_guard lock(line_->lock_);
    closed_ = true;
    --line_->openDevices_;
    line_->changed_.notify_all();
  }

  std::uint32_t NativeHandle() const override { return 1000; }

  bool SetQueueSizes(std::int32_t in, std::int32_t out) override {
    auto lock = Use();
    if (line_->failQueueSizes_) return false;
    line_->queueIn_ = in;
    line_->queueOut_ = out;
    return true;
  }

  TCommDcb GetState() override {
    auto lock = Use();
    return line_->state_;
  }

  bool SetState(const TCommDcb& dcb) override {
    auto lock = Use();
    if (line_->accept_ && !line_->accept_(dcb)) return false;
    line_->state_ = dcb;
    return true;
  }

  bool SetTimeouts(std::int32_t readTotalMs, std::int32_t writeTotalMs) override {
    auto lock = Use();
    if (line_->failTimeouts_) return false;
    line_->readTimeout_ = readTotalMs;
    line_->writeTimeout_ = writeTotalMs;
    return true;
  }

  void Purge(std::uint32_t flags) override {
    auto lock = Use();
    line_->purges_.push_back(flags);
    if (flags & kPurgeRxAbort) ++line_->rxAbort_;
    if (flags & kPurgeRxClear) line_->rx_.clear();
    if (flags & kPurgeTxAbort) ++line_->txAbort_;
    line_->changed_.notify_all();
  }

  TLineStatus ClearErrors() override {
    auto lock = Use();
    TLineStatus s{static_cast<std::int32_t>(line_->rx_.size()), line_->pendingErrors_};
    line_->pendingErrors_ = 0;
    return s;
  }

  void Escape(TEscape fn) override {
    auto lock = Use();
    line_->lineChanges_.push_back({fn, TFakeClock::now()});
    if (fn == TEscape::SetRts || fn == TEscape::ClrRts) line_->rts_ = fn == TEscape::SetRts;
    if (fn == TEscape::SetDtr || fn == TEscape::ClrDtr) line_->dtr_ = fn == TEscape::SetDtr;
    line_->changed_.notify_all();
  }

  void SetEventMask(std::uint32_t mask) override {
    auto lock = Use();
    line_->eventMask_ = mask;
  }

  TIoResult BeginRead(void* buffer, std::int32_t count) override {
    {
      auto lock = Use();
      readBuffer_ = static_cast<char*>(buffer);
      readCount_ = count;
      readGot_ = 0;
      readAbort_ = line_->rxAbort_;
      readDeadline_ = TFakeClock::now() + std::chrono::milliseconds(line_->readTimeout_);
    }
    return PollRead(0);
  }

  TIoResult PollRead(int waitMs) override {
    auto lock = Use();
    line_->changed_.wait_for(lock, std::chrono::milliseconds(waitMs),
                             [&] { return !line_->rx_.empty() || line_->rxAbort_ != readAbort_; });
    if (line_->rxAbort_ != readAbort_) return {TIoState::Failed, readGot_};
    const auto n = std::min<std::size_t>(line_->rx_.size(), static_cast<std::size_t>(readCount_ - readGot_));
    std::memcpy(readBuffer_ + readGot_, line_->rx_.data(), n);
    line_->rx_.erase(0, n);
    readGot_ += static_cast<std::int32_t>(n);
    if (readGot_ == readCount_ || TFakeClock::now() >= readDeadline_) return {TIoState::Done, readGot_};
    return {TIoState::Pending, readGot_};
  }

  TIoResult BeginWrite(const void* data, std::int32_t count) override {
    auto lock = Use();
    write_ = TFakeWrite{};
    write_.requested = count;
    write_.begun = TFakeClock::now();
    writeData_ = static_cast<const char*>(data);
    writeAbort_ = line_->txAbort_;
    if (line_->failWrites_ > 0) {
      --line_->failWrites_;
      line_->pendingErrors_ |= line_->failWriteErrors_;
      Record(0);
      return {TIoState::Failed, 0};
    }
    if (line_->shortWrite_ >= 0 || line_->stall_) return {TIoState::Pending, 0};
    Record(count);
    return {TIoState::Done, count};
  }

  TIoResult WaitWrite(std::mutex&) override {  // makes no write call of its own
    auto lock = Use();
    line_->changed_.wait(lock, [&] { return !line_->stall_ || line_->txAbort_ != writeAbort_; });
    if (line_->txAbort_ != writeAbort_) {
      Record(0);
      return {TIoState::Failed, 0};
    }
    if (line_->shortWrite_ >= 0) {
      const std::int32_t n = std::min(line_->shortWrite_, write_.requested);
      line_->shortWrite_ = -1;
      line_->pendingErrors_ |= line_->shortWriteErrors_;
      Record(n);
      return {TIoState::Failed, n};
    }
    Record(write_.requested);
    return {TIoState::Done, write_.requested};
  }

  bool WaitTransmitted() override {
    auto lock = Use();
    const std::uint64_t abort = line_->txAbort_;
    const auto begun = TFakeClock::now();
    const auto gone = [&] {
      return line_->transmitTime_ >= std::chrono::milliseconds::zero() &&
             TFakeClock::now() >= line_->lastWriteEnded_ + line_->transmitTime_;
    };
    for (;;) {
      if (gone()) return true;
      if (line_->txAbort_ != abort) return false;
      if (line_->writeTimeout_ != 0 &&
          TFakeClock::now() - begun >= std::chrono::milliseconds(line_->writeTimeout_))
        return false;
      line_->changed_.wait_for(lock, std::chrono::milliseconds(1));
    }
  }

  std::uint32_t WaitEvent() override {
    auto lock = Use();
    line_->changed_.wait(
        lock, [&] { return (line_->pendingEvents_ & line_->eventMask_) != 0 || line_->eventWake_; });
    const std::uint32_t mask = line_->pendingEvents_ & line_->eventMask_;
    line_->pendingEvents_ = 0;
    line_->eventWake_ = false;
    return mask;
  }

  void WakeEventWait() override {
    auto lock = Use();
    line_->eventWake_ = true;
    line_->changed_.notify_all();
  }

 private:
  std::unique_lock<std::mutex> Use() {
    std::unique_lock lock(line_->lock_);
    if (closed_) line_->usedAfterClose_ = true;
    return lock;
  }

  void Record(std::int32_t n) {  // lock held
    write_.bytes.assign(writeData_, static_cast<std::size_t>(n));
    write_.ended = TFakeClock::now();
    line_->written_ += write_.bytes;
    line_->lastWriteEnded_ = write_.ended;
    line_->writes_.push_back(write_);
    line_->changed_.notify_all();
  }

  std::shared_ptr<TFakeLine> line_;
  bool closed_ = false;  // guarded by the line's lock
  char* readBuffer_ = nullptr;
  std::int32_t readCount_ = 0, readGot_ = 0;
  std::uint64_t readAbort_ = 0;
  TFakeClock::time_point readDeadline_;
  TFakeWrite write_;
  const char* writeData_ = nullptr;
  std::uint64_t writeAbort_ = 0;
};

void TFakeLine::Deliver(const std::string& bytes) {
  Event(0, false, bytes);
}

void TFakeLine::Event(std::int32_t errors, bool brk, const std::string& bytes) {
  std::lock_guard lock(lock_);
  rx_ += bytes;
  pendingErrors_ |= errors;
  if (errors != 0) pendingEvents_ |= kEvErr;
  if (brk) pendingEvents_ |= kEvBreak;
  if (!bytes.empty()) pendingEvents_ |= kEvRxChar;
  changed_.notify_all();
}

#define KX71_FAKE_GETTER(type, name, member) \
  type TFakeLine::name() {                   \
    std::lock_guard lock(lock_);             \
    return member;                           \
  }
KX71_FAKE_GETTER(std::string, Written, written_)
KX71_FAKE_GETTER(std::vector<TFakeWrite>, Writes, writes_)
KX71_FAKE_GETTER(std::vector<TFakeLineChange>, LineChanges, lineChanges_)
KX71_FAKE_GETTER(bool, Rts, rts_)
KX71_FAKE_GETTER(bool, Dtr, dtr_)
KX71_FAKE_GETTER(TCommDcb, State, state_)
KX71_FAKE_GETTER(std::int32_t, QueueIn, queueIn_)
KX71_FAKE_GETTER(std::int32_t, QueueOut, queueOut_)
KX71_FAKE_GETTER(std::int32_t, ReadTimeout, readTimeout_)
KX71_FAKE_GETTER(std::int32_t, WriteTimeout, writeTimeout_)
KX71_FAKE_GETTER(std::int32_t, InQueue, static_cast<std::int32_t>(rx_.size()))
KX71_FAKE_GETTER(std::uint32_t, EventMask, eventMask_)
KX71_FAKE_GETTER(int, Opens, opens_)
KX71_FAKE_GETTER(int, OpenDevices, openDevices_)
KX71_FAKE_GETTER(std::vector<std::uint32_t>, Purges, purges_)
KX71_FAKE_GETTER(bool, UsedAfterClose, usedAfterClose_)
#undef KX71_FAKE_GETTER

bool TFakeLine::WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  return kx71::WaitUntil(pred, timeout, [this] {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, std::chrono::milliseconds(10));
  });
}

void TFakeLine::FailOpen(bool on) {
  std::lock_guard lock(lock_);
  failOpen_ = on;
}
void TFakeLine::FailQueueSizes(bool on) {
  std::lock_guard lock(lock_);
  failQueueSizes_ = on;
}
void TFakeLine::FailTimeouts(bool on) {
  std::lock_guard lock(lock_);
  failTimeouts_ = on;
}
void TFakeLine::AcceptState(std::function<bool(const TCommDcb&)> accept) {
  std::lock_guard lock(lock_);
  accept_ = std::move(accept);
}
void TFakeLine::FailNextWrites(int count, std::int32_t errors) {
  std::lock_guard lock(lock_);
  failWrites_ = count;
  failWriteErrors_ = errors;
}
void TFakeLine::ShortNextWrite(std::int32_t bytes, std::int32_t errors) {
  std::lock_guard lock(lock_);
  shortWrite_ = bytes;
  shortWriteErrors_ = errors;
}
void TFakeLine::TransmitTakes(std::chrono::milliseconds span) {
  std::lock_guard lock(lock_);
  transmitTime_ = span;
}
void TFakeLine::StallWrites(bool on) {
  std::lock_guard lock(lock_);
  stall_ = on;
  changed_.notify_all();
}

TSerialDeviceFactory TFakeLine::Factory(const std::shared_ptr<TFakeLine>& line) {
  return [line](std::int32_t) -> std::unique_ptr<TSerialDevice> {
    {
      std::lock_guard lock(line->lock_);
      if (line->failOpen_) return nullptr;
    }
    return std::make_unique<TFakeDevice>(line);
  };
}

}  // namespace kx71::testing
