#include "comm/CommX.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "comm/comm_notifier.h"
#include "comm/comm_workers.h"

namespace kx71 {

TOpenFailure& LastOpenFailure() {
  thread_local TOpenFailure failure;
  return failure;
}

std::string OpenFailureReason(int error) {
  switch (error) {
    case 0:
      return "cannot be opened";
    case EACCES:
    case EPERM:
      return "permission denied - is your user in group dialout?";
    case EBUSY:
    case EWOULDBLOCK:
      return "port in use by another program";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "no such device";
    case ENOTTY:
      return "not a serial terminal";
    default: {
      std::string text = std::generic_category().message(error);
      if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
      return text;
    }
  }
}

namespace {

constexpr const char* kMsgAlreadyOpen = "ポートは、すでにオープンされています";
constexpr const char* kMsgCannotOpen = "ポートをオープンできませんでした";
constexpr const char* kMsgBuffers = "通信用ポートのバッファを準備できませんでした";
constexpr const char* kMsgTransThread = "送信用スレッドを生成できませんでした";
constexpr const char* kMsgReceiveThread = "受信用スレッドを生成できませんでした";
constexpr const char* kMsgBitRate = "通信速度の設定でエラーが発生しました";
constexpr const char* kMsgCharSize = "通信ビット数の設定でエラーが発生しました";
constexpr const char* kMsgParity = "通信パリティチェックの設定でエラーが発生しました";
constexpr const char* kMsgStopBit = "通信ストップビット数の設定でエラーが発生しました";
constexpr const char* kMsgFlow = "通信フロー制御の設定で失敗しました";
constexpr const char* kMsgTimeouts = "通信タイムアウト時間の設定で失敗しました";
constexpr const char* kMsgXon = "Ｘｏｎ文字の設定でエラーが発生しました";
constexpr const char* kMsgXoff = "Ｘｏｆｆ文字の設定でエラーが発生しました";

constexpr std::uint32_t kEventMask = kEvRxChar | kEvBreak | kEvErr;
static_assert(kEventMask == 0xC1);
constexpr std::int32_t kMaxWaitingBlocks = 32;

// The fixed pauses of Open and Close, kept so that the line's timing does not depend on how fast
// the workers start and end: a unit never sees a request within 100 ms of the port opening, the
// purges and the lowered lines take effect before the workers stop, and a port closed and opened
// again has been released for 200 ms in between.
constexpr std::int32_t kOpenSettleMs = 100;   // after the workers start
constexpr std::int32_t kCloseDrainMs = 100;   // after the purges, before the workers end
constexpr std::int32_t kCloseReleaseMs = 200;  // after the device is closed

// The main thread's waits (a full transmit queue, a read, a transmit purge) look again after this
// long; the first two handle waiting window messages at each look, so the window stays responsive.
constexpr std::int32_t kPollMs = 1;

// One character's time in ms plus one, or -1 for a rate below 10 bit/s.
std::int32_t CharTimeFor(std::int32_t bitRate) {
  return bitRate >= 10 ? 1000 / (bitRate / 10) + 1 : -1;
}

}  // namespace

TCustomCommX::TCustomCommX(TMainThread& mainThread) : TCustomCommX(mainThread, TCommXEnvironment{}) {}

TCustomCommX::TCustomCommX(TMainThread& mainThread, TCommXEnvironment environment)
    : mainThread_(mainThread),
      env_(std::move(environment)),
      notifier_(std::make_unique<TCommNotifier>(
          mainThread,
          [this](const TCommReport& report, std::uint64_t session) { WndProc(report, session); })),
      shared_(std::make_unique<TTransShared>()) {
  if (!env_.openDevice) env_.openDevice = OpenSerialDevice;
}

TCustomCommX::~TCustomCommX() {
  Close();
  notifier_.reset();  // reports still on their way now find no component
}

bool TCustomCommX::IsOpen() const {
  return device_ != nullptr;
}

void TCustomCommX::Pause(std::int32_t ms) {
  if (env_.pause)
    env_.pause(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TCustomCommX::Open() {
  if (IsOpen()) throw ECommError(kMsgAlreadyOpen);
  std::unique_ptr<TSerialDevice> device;
  LastOpenFailure() = {};
  try {
    device = env_.openDevice(portNo_);
  } catch (const std::exception&) {
    device = nullptr;
  }
  if (!device) {
    const TOpenFailure failure = LastOpenFailure();
    throw ECommError(kMsgCannotOpen, failure.device,
                     failure.reason.empty() ? OpenFailureReason(failure.error) : failure.reason);
  }
  device_ = std::move(device);
  ++session_;
  shared_->Reset();
  try {
    ApplyBufferSizes();
    device_->Purge(kPurgeTxAbort | kPurgeTxClear);
    device_->Purge(kPurgeRxAbort | kPurgeRxClear);
    dcb_ = device_->GetState();
    ApplyBitRate();
    ApplyCharSize();
    ApplyParityBit();
    ApplyStopBit();
    ApplyFlowCtrl();
    ApplyTimeouts();
    ApplyXonChar();
    ApplyXoffChar();
    device_->SetEventMask(kEventMask);
    StartWorkers();
  } catch (...) {
    Close();
    throw;
  }
}

void TCustomCommX::StartWorkers() {
  const std::int32_t charTime = CharTimeFor(bitRate_);
  if (charTime < 0) throw ECommError(kMsgTransThread);
  try {
    auto trans = std::make_unique<TCommTransThread>(*device_, *shared_, *notifier_, session_);
    trans->CharTime = charTime;
    trans->FlowCtrl = flowCtrl_;
    trans->Start();
    trans_ = std::move(trans);
  } catch (const std::exception&) {  // std::system_error, std::bad_alloc
    throw ECommError(kMsgTransThread);
  }
  try {
    auto receive = std::make_unique<TCommReceiveThread>(*device_, *notifier_, session_);
    receive->Start();
    receive_ = std::move(receive);
  } catch (const std::exception&) {
    throw ECommError(kMsgReceiveThread);
  }
  Pause(kOpenSettleMs);
}

void TCustomCommX::Close() {
  if (!IsOpen()) return;
  SetDTR(false);
  SetRTS(false);
  PurgeTrans();
  TCustomCommX::PurgeReceive();  // also run from the destructor: no dynamic binding wanted
  Pause(kCloseDrainMs);
  // Both workers leave their waits (also a wait for the main thread) and end before the device is
  // closed, so no worker ever uses a closed descriptor.
  if (trans_) trans_->Terminate();
  if (receive_) receive_->Terminate();
  if (trans_) trans_->Join();
  if (receive_) receive_->Join();
  trans_.reset();
  receive_.reset();
  device_.reset();
  ++readGeneration_;
  Pause(kCloseReleaseMs);
}

bool TCustomCommX::Write(const void* buffer, std::int32_t count) {
  if (count == 0) return true;
  if (count < 0 || buffer == nullptr) return false;
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  std::int32_t remaining = count;
  while (remaining > 0) {
    if (!IsOpen() || !trans_) return false;
    if (shared_->PendingBlocks() >= kMaxWaitingBlocks) {
      // Handlers may run here and close the port; the loop then ends with false.
      mainThread_.ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    if (bufLenTrans_ < 1) return false;  // no block size to cut the data by
    const std::int32_t n = std::min(bufLenTrans_, remaining);
    std::vector<std::uint8_t> block;
    try {
      block.assign(p, p + n);
    } catch (const std::bad_alloc&) {
      return false;
    }
    shared_->BlockQueued(n);
    if (!trans_->PostBlock(std::move(block))) {
      // Not handed over: it does not stay counted, or PurgeTrans would wait for it for ever.
      shared_->BlockDone(n);
      return false;
    }
    p += n;
    remaining -= n;
  }
  return true;
}

bool TCustomCommX::SendString(const Frame& text) {
  if (text.empty()) return true;
  return Write(text.data(), static_cast<std::int32_t>(text.size()));
}

std::int32_t TCustomCommX::Read(void* buffer, std::int32_t count) {
  if (!IsOpen() || !receive_ || buffer == nullptr || count < 0) return -1;
  // One read at a time: a handler that runs while a read waits gets -1 and leaves that read alone.
  if (reading_) return -1;
  reading_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{reading_};

  const std::uint64_t session = session_;
  const std::uint64_t generation = readGeneration_;
  TSerialDevice* device = device_.get();
  TIoResult r = device->BeginRead(buffer, count);
  while (r.state == TIoState::Pending) {
    mainThread_.ProcessMessages();
    // Closed, reopened or purged by a handler meanwhile: the read is over.
    if (!IsOpen() || !receive_ || session_ != session || readGeneration_ != generation) return -1;
    r = device->PollRead(kPollMs);
  }
  if (r.state == TIoState::Done) return r.bytes;
  ReportLineErrors(device->ClearErrors().errors & kCeLineErrors);
  return -1;
}

void TCustomCommX::ReportLineErrors(std::int32_t errors) {
  if (errors != 0) notifier_->Dispatch({kCommMsgError, errors}, session_);
}

void TCustomCommX::PurgeTrans() {
  if (!IsOpen()) return;
  if (!trans_) {
    device_->Purge(kPurgeTxAbort | kPurgeTxClear);
    return;
  }
  trans_->Purge = true;
  for (;;) {
    {
      std::lock_guard lock(shared_->portLock);
      device_->Purge(kPurgeTxAbort | kPurgeTxClear);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    if (shared_->PendingBytes() == 0) break;
  }
  trans_->Purge = false;
}

void TCustomCommX::PurgeReceive() {
  if (!IsOpen()) return;
  device_->Purge(kPurgeRxAbort | kPurgeRxClear);
  ++readGeneration_;
}

std::int32_t TCustomCommX::InQueueCount() {
  return IsOpen() ? device_->ClearErrors().inQueue : 0;
}

void TCustomCommX::SetRTS(bool on) {
  if (IsOpen()) device_->Escape(on ? TEscape::SetRts : TEscape::ClrRts);
}

void TCustomCommX::SetDTR(bool on) {
  if (IsOpen()) device_->Escape(on ? TEscape::SetDtr : TEscape::ClrDtr);
}

void TCustomCommX::WndProc(const TCommReport& report, std::uint64_t session) {
  // Reports from an earlier opening, or arriving after Close, raise nothing.
  if (!IsOpen() || session != session_) return;
  switch (report.msg) {
    case kCommMsgReceive:
      if (OnReceive) {
        const std::int32_t n = InQueueCount();
        if (n != 0) {
          const TCommReceiveEvent handler = OnReceive;
          handler(this, n);
        }
      }
      break;
    case kCommMsgBreak:
      if (OnBreak) {
        const TCommBreakEvent handler = OnBreak;
        handler(this);
      }
      break;
    case kCommMsgError:
      if (OnError) {
        const TCommErrEvent handler = OnError;
        handler(this, report.param);
      }
      break;
    default:
      break;
  }
}

// --- applying properties to the open port

void TCustomCommX::ApplyDcb(const TCommDcb& next, const char* message) {
  // The block keeps what the device holds, so a refused value does not fail later setters too.
  if (!device_->SetState(next)) throw ECommError(message);
  dcb_ = next;
}

void TCustomCommX::ApplyBufferSizes() {
  if (!device_->SetQueueSizes(bufLenReceive_, bufLenTrans_)) throw ECommError(kMsgBuffers);
}

void TCustomCommX::ApplyTimeouts() {
  if (!device_->SetTimeouts(timeOutReceive_, timeOutTrans_)) throw ECommError(kMsgTimeouts);
}

void TCustomCommX::ApplyBitRate() {
  TCommDcb next = dcb_;
  next.BaudRate = static_cast<std::uint32_t>(std::max(bitRate_, 0));
  ApplyDcb(next, kMsgBitRate);
  if (trans_ && CharTimeFor(bitRate_) > 0) trans_->CharTime = CharTimeFor(bitRate_);
}

void TCustomCommX::ApplyCharSize() {
  TCommDcb next = dcb_;
  next.ByteSize = static_cast<std::uint8_t>(charSize_ >= 0 && charSize_ <= 255 ? charSize_ : 0);
  ApplyDcb(next, kMsgCharSize);
}

void TCustomCommX::ApplyParityBit() {
  TCommDcb next = dcb_;
  next.Parity = static_cast<std::uint8_t>(parityBit_);
  ApplyDcb(next, kMsgParity);
}

void TCustomCommX::ApplyStopBit() {
  TCommDcb next = dcb_;
  next.StopBits = static_cast<std::uint8_t>(stopBit_);
  ApplyDcb(next, kMsgStopBit);
}

void TCustomCommX::ApplyFlowCtrl() {
  TCommDcb next = dcb_;
  next.Flags = FlowFlagWord(flowCtrl_);
  const auto limit = static_cast<std::uint16_t>(std::clamp(bufLenReceive_ / 4, 0, 0xFFFF));
  next.XonLim = limit;
  next.XoffLim = limit;
  ApplyDcb(next, kMsgFlow);
  if (trans_) trans_->FlowCtrl = flowCtrl_;
}

void TCustomCommX::ApplyXonChar() {
  TCommDcb next = dcb_;
  next.XonChar = xonChar_;
  ApplyDcb(next, kMsgXon);
}

void TCustomCommX::ApplyXoffChar() {
  TCommDcb next = dcb_;
  next.XoffChar = xoffChar_;
  ApplyDcb(next, kMsgXoff);
}

// --- properties

std::int32_t TCustomCommX::PortNo() const {
  return portNo_;
}
void TCustomCommX::SetPortNo(std::int32_t v) {
  portNo_ = v;
  if (IsOpen()) {
    Close();
    Open();
  }
}

std::int32_t TCustomCommX::BitRate() const {
  return bitRate_;
}
void TCustomCommX::SetBitRate(std::int32_t v) {
  bitRate_ = v;
  if (IsOpen()) ApplyBitRate();
}

std::int32_t TCustomCommX::CharSize() const {
  return charSize_;
}
void TCustomCommX::SetCharSize(std::int32_t v) {
  charSize_ = v;
  if (IsOpen()) ApplyCharSize();
}

TCommParityBits TCustomCommX::ParityBit() const {
  return parityBit_;
}
void TCustomCommX::SetParityBit(TCommParityBits v) {
  parityBit_ = v;
  if (IsOpen()) ApplyParityBit();
}

TCommStopBits TCustomCommX::StopBit() const {
  return stopBit_;
}
void TCustomCommX::SetStopBit(TCommStopBits v) {
  stopBit_ = v;
  if (IsOpen()) ApplyStopBit();
}

TCommFlowCtrls TCustomCommX::FlowCtrl() const {
  return flowCtrl_;
}
void TCustomCommX::SetFlowCtrl(TCommFlowCtrls v) {
  flowCtrl_ = v;
  if (IsOpen()) ApplyFlowCtrl();
}

std::int32_t TCustomCommX::TimeOutTrans() const {
  return timeOutTrans_;
}
void TCustomCommX::SetTimeOutTrans(std::int32_t v) {
  timeOutTrans_ = v;
  if (IsOpen()) ApplyTimeouts();
}

std::int32_t TCustomCommX::TimeOutReceive() const {
  return timeOutReceive_;
}
void TCustomCommX::SetTimeOutReceive(std::int32_t v) {
  timeOutReceive_ = v;
  if (IsOpen()) ApplyTimeouts();
}

char TCustomCommX::XonChar() const {
  return xonChar_;
}
void TCustomCommX::SetXonChar(char v) {
  xonChar_ = v;
  if (IsOpen()) ApplyXonChar();
}

char TCustomCommX::XoffChar() const {
  return xoffChar_;
}
void TCustomCommX::SetXoffChar(char v) {
  xoffChar_ = v;
  if (IsOpen()) ApplyXoffChar();
}

std::int32_t TCustomCommX::BufLenTrans() const {
  return bufLenTrans_;
}
void TCustomCommX::SetBufLenTrans(std::int32_t v) {
  bufLenTrans_ = v;
  if (IsOpen()) ApplyBufferSizes();
}

std::int32_t TCustomCommX::BufLenReceive() const {
  return bufLenReceive_;
}
void TCustomCommX::SetBufLenReceive(std::int32_t v) {
  bufLenReceive_ = v;
  if (IsOpen()) {
    ApplyBufferSizes();
    ApplyFlowCtrl();  // its limits follow the receive queue size
  }
}

std::uint32_t TCustomCommX::Handle() const {
  return IsOpen() ? device_->NativeHandle() : INVALID_HANDLE_VALUE_U32;
}

std::int32_t TCustomCommX::TransCharTime() const {
  return trans_ ? trans_->CharTime.load() : -1;
}

std::int32_t TCustomCommX::PendingBytes() {
  return shared_->PendingBytes();
}

std::int32_t TCustomCommX::PendingBlocks() {
  return shared_->PendingBlocks();
}

}  // namespace kx71
