#include "comm/comm_workers.h"

#include <chrono>
#include <utility>

namespace kx71 {

namespace {
constexpr std::int32_t kTurnDelayMs = 50;
}  // namespace

void TTransShared::Reset() {
  std::lock_guard lock(countLock_);
  pendingBytes_ = 0;
  pendingBlocks_ = 0;
}

void TTransShared::BlockQueued(std::int32_t bytes) {
  std::lock_guard lock(countLock_);
  pendingBytes_ += bytes;
  ++pendingBlocks_;
}

void TTransShared::BlockDone(std::int32_t bytes) {
  std::lock_guard lock(countLock_);
  pendingBytes_ = pendingBytes_ - bytes > 0 ? pendingBytes_ - bytes : 0;
  if (pendingBlocks_ > 0) --pendingBlocks_;
}

std::int32_t TTransShared::PendingBytes() {
  std::lock_guard lock(countLock_);
  return pendingBytes_;
}

std::int32_t TTransShared::PendingBlocks() {
  std::lock_guard lock(countLock_);
  return pendingBlocks_;
}

TCommTransThread::TCommTransThread(TSerialDevice& device, TTransShared& shared, TCommNotifier& notifier,
                                   std::uint64_t session)
    : device_(device), shared_(shared), notifier_(notifier), session_(session) {}

TCommTransThread::~TCommTransThread() {
  Terminate();
  Join();
}

void TCommTransThread::Start() {
  thread_ = std::thread(&TCommTransThread::Execute, this);
}

bool TCommTransThread::PostBlock(std::vector<std::uint8_t> block) {
  try {
    std::lock_guard lock(queueLock_);
    queue_.push_back(Message{true, std::move(block)});
  } catch (const std::bad_alloc&) {
    return false;
  }
  queueChanged_.notify_all();
  return true;
}

void TCommTransThread::Terminate() {
  terminated_ = true;
  {
    std::lock_guard lock(queueLock_);
    queue_.push_back(Message{});  // the wake-up: ends the wait even with nothing to write
  }
  queueChanged_.notify_all();
}

void TCommTransThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void TCommTransThread::Pause(std::int32_t ms) {
  if (ms <= 0) return;
  std::unique_lock lock(queueLock_);
  queueChanged_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return terminated_.load(); });
}

void TCommTransThread::ReportLineErrors() {
  const std::int32_t errors = device_.ClearErrors().errors & kCeLineErrors;
  // Posted, not sent: PurgeTrans and Close wait for this worker without processing messages.
  if (errors != 0) notifier_.Post({{kCommMsgError, errors}}, session_);
}

void TCommTransThread::TurnOn(TCommFlowCtrls flow) {
  if (flow != cfcHalfHigh && flow != cfcHalfLow) return;
  Pause(kTurnDelayMs);
  device_.Escape(flow == cfcHalfHigh ? TEscape::SetRts : TEscape::ClrRts);
  Pause(CharTime);
}

void TCommTransThread::TurnOff(TCommFlowCtrls flow) {
  if (flow != cfcHalfHigh && flow != cfcHalfLow) return;
  // The kernel takes the bytes long before a UART has sent them: turning the line back then would
  // cut off the end of the batch.
  if (!Stopped()) device_.WaitTransmitted();
  Pause(CharTime);
  device_.Escape(flow == cfcHalfHigh ? TEscape::ClrRts : TEscape::SetRts);
}

void TCommTransThread::WriteBlock(const std::vector<std::uint8_t>& block) {
  const std::uint8_t* p = block.data();
  auto remaining = static_cast<std::int32_t>(block.size());
  while (remaining > 0) {
    TIoResult r;
    {
      // Looked at under the lock transmit purges take: one that got in first discarded this block.
      std::lock_guard lock(shared_.portLock);
      if (Stopped()) return;
      r = device_.BeginWrite(p, remaining);
    }
    if (r.state == TIoState::Pending) r = device_.WaitWrite(shared_.portLock);
    if (r.state == TIoState::Done) return;
    ReportLineErrors();
    // Go on with the rest only after progress, so a device that keeps failing ends the block.
    if (r.bytes <= 0 || r.bytes >= remaining) return;
    p += r.bytes;
    remaining -= r.bytes;
  }
}

void TCommTransThread::Execute() {
  while (!terminated_) {
    {
      std::unique_lock lock(queueLock_);
      queueChanged_.wait(lock, [this] { return !queue_.empty(); });
    }
    // One batch: every message waiting now or arriving before the queue runs dry.
    bool turned = false;
    TCommFlowCtrls turnedFor = cfcNone;
    for (;;) {
      Message m;
      {
        std::lock_guard lock(queueLock_);
        if (queue_.empty()) break;
        m = std::move(queue_.front());
        queue_.pop_front();
      }
      if (!m.write) continue;
      const auto n = static_cast<std::int32_t>(m.block.size());
      if (!Stopped()) {
        if (!turned) {
          turned = true;
          turnedFor = FlowCtrl;
          TurnOn(turnedFor);
        }
        WriteBlock(m.block);
      }
      m.block = {};
      shared_.BlockDone(n);
    }
    if (turned) TurnOff(turnedFor);
  }
}

TCommReceiveThread::TCommReceiveThread(TSerialDevice& device, TCommNotifier& notifier, std::uint64_t session)
    : device_(device), notifier_(notifier), session_(session) {}

TCommReceiveThread::~TCommReceiveThread() {
  Terminate();
  Join();
}

void TCommReceiveThread::Start() {
  thread_ = std::thread(&TCommReceiveThread::Execute, this);
}

void TCommReceiveThread::Terminate() {
  terminated_ = true;
  device_.WakeEventWait();
  notifier_.WakeSenders();
}

void TCommReceiveThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void TCommReceiveThread::Execute() {
  while (!terminated_) {
    const std::uint32_t mask = device_.WaitEvent();
    if (terminated_) break;
    if (mask == 0) continue;
    std::vector<TCommReport> reports;
    if (const std::int32_t errors = device_.ClearErrors().errors & kCeLineErrors; errors != 0)
      reports.push_back({kCommMsgError, errors});
    if (mask & kEvBreak) reports.push_back({kCommMsgBreak, static_cast<std::int32_t>(mask)});
    if (mask & kEvRxChar) reports.push_back({kCommMsgReceive, 0});
    // Wait until they are handled before arming the next wait, unless the port is closing.
    if (!reports.empty()) notifier_.Send(std::move(reports), session_, terminated_);
  }
  device_.SetEventMask(0);
}

}  // namespace kx71
