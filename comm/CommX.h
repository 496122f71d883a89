// The serial port component: one port, its line settings, queued writes through a transmit worker,
// reads with a time-out, purges, RTS/DTR, and line events raised on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "comm/comm_dcb.h"
#include "comm/comm_enums.h"
#include "comm/main_thread.h"
#include "comm/serial_device.h"
#include "protocol/exchange_port.h"

namespace kx71 {

// Raised for port failures, with a Japanese message.
class ECommError : public std::runtime_error {
 public:
  explicit ECommError(const char* message) : std::runtime_error(message) {}
  explicit ECommError(const std::string& message) : std::runtime_error(message) {}
  // A failure to take a port: the fixed message, the device tried and the system's reason.
  ECommError(const std::string& message, std::string device, std::string reason)
      : std::runtime_error(message), device_(std::move(device)), reason_(std::move(reason)) {}

  const std::string& Device() const { return device_; }  // empty when no device was tried
  const std::string& Reason() const { return reason_; }  // "permission denied ...", or empty

 private:
  std::string device_, reason_;
};

class TCustomCommX;
class TCommNotifier;
class TCommTransThread;
class TCommReceiveThread;
struct TCommReport;
class TTransShared;

using TCommReceiveEvent = std::function<void(TCustomCommX* Sender, std::int32_t ReceiveSize)>;
using TCommBreakEvent = std::function<void(TCustomCommX* Sender)>;
using TCommErrEvent = std::function<void(TCustomCommX* Sender, std::int32_t ErrorState)>;

inline constexpr std::uint32_t INVALID_HANDLE_VALUE_U32 = 0xFFFFFFFFu;

// How a component reaches its devices and makes its fixed pauses (those of Open and Close).
// Tests and benchmarks replace either; an empty member keeps the platform's own.
struct TCommXEnvironment {
  TSerialDeviceFactory openDevice;             // default: OpenSerialDevice
  std::function<void(std::int32_t ms)> pause;  // default: sleep on the calling thread
};

// Public interface (the implementation may add private members, helpers and constructor overloads,
// e.g. one that takes a device factory for tests, but keeps these signatures).
class TCustomCommX : public TExchangePort {
 public:
  explicit TCustomCommX(TMainThread& mainThread);
  TCustomCommX(TMainThread& mainThread, TCommXEnvironment environment);
  ~TCustomCommX() override;
  TCustomCommX(const TCustomCommX&) = delete;
  TCustomCommX& operator=(const TCustomCommX&) = delete;

  void Open();
  void Close();
  bool IsOpen() const;

  virtual bool Write(const void* buffer, std::int32_t count);
  std::int32_t Read(void* buffer, std::int32_t count) override;
  bool SendString(const Frame& text) override;
  void PurgeTrans();
  void PurgeReceive() override;
  std::int32_t InQueueCount();
  void SetRTS(bool on);
  void SetDTR(bool on);

  // Properties: each setter stores the value and, while the port is open, applies it at once.
  std::int32_t PortNo() const;
  void SetPortNo(std::int32_t v);
  std::int32_t BitRate() const;
  void SetBitRate(std::int32_t v);
  std::int32_t CharSize() const;
  void SetCharSize(std::int32_t v);
  TCommParityBits ParityBit() const;
  void SetParityBit(TCommParityBits v);
  TCommStopBits StopBit() const;
  void SetStopBit(TCommStopBits v);
  TCommFlowCtrls FlowCtrl() const;
  void SetFlowCtrl(TCommFlowCtrls v);
  std::int32_t TimeOutTrans() const;
  void SetTimeOutTrans(std::int32_t v);
  std::int32_t TimeOutReceive() const;
  void SetTimeOutReceive(std::int32_t v);
  char XonChar() const;
  void SetXonChar(char v);
  char XoffChar() const;
  void SetXoffChar(char v);
  std::int32_t BufLenTrans() const;
  void SetBufLenTrans(std::int32_t v);
  std::int32_t BufLenReceive() const;
  void SetBufLenReceive(std::int32_t v);
  std::uint32_t Handle() const;  // INVALID_HANDLE_VALUE_U32 while closed

  TCommReceiveEvent OnReceive;
  TCommBreakEvent OnBreak;
  TCommErrEvent OnError;

  // The state behind the properties, for diagnostics and tests.
  const TCommDcb& Dcb() const { return dcb_; }  // the line settings last applied
  std::int32_t TransCharTime() const;           // the transmit worker's CharTime; -1 without one
  std::int32_t PendingBytes();                  // queued for sending and not yet handled
  std::int32_t PendingBlocks();

 private:
  void WndProc(const TCommReport& report, std::uint64_t session);
  void Pause(std::int32_t ms);
  void StartWorkers();
  void ReportLineErrors(std::int32_t errors);
  // Each applies its property to the open port, raising ECommError with its message on failure.
  void ApplyBufferSizes();
  void ApplyTimeouts();
  void ApplyBitRate();
  void ApplyCharSize();
  void ApplyParityBit();
  void ApplyStopBit();
  void ApplyFlowCtrl();
  void ApplyXonChar();
  void ApplyXoffChar();
  void ApplyDcb(const TCommDcb& next, const char* message);

  TMainThread& mainThread_;
  TCommXEnvironment env_;
  std::unique_ptr<TCommNotifier> notifier_;
  std::unique_ptr<TTransShared> shared_;
  std::unique_ptr<TSerialDevice> device_;  // present while open
  std::unique_ptr<TCommTransThread> trans_;
  std::unique_ptr<TCommReceiveThread> receive_;

  std::int32_t portNo_ = 1;
  std::int32_t bitRate_ = 9600;
  std::int32_t charSize_ = 8;
  TCommParityBits parityBit_ = cpbNone;
  TCommStopBits stopBit_ = csb1;
  TCommFlowCtrls flowCtrl_ = cfcRtsCts;
  std::int32_t timeOutTrans_ = 3000;
  std::int32_t timeOutReceive_ = 3000;
  char xonChar_ = 0x11;
  char xoffChar_ = 0x13;
  std::int32_t bufLenTrans_ = 2048;
  std::int32_t bufLenReceive_ = 2048;
  TCommDcb dcb_;

  std::uint64_t session_ = 0;         // counts opens; reports carry the one they were made in
  std::uint64_t readGeneration_ = 0;  // changes when a read in progress must end with -1
  bool reading_ = false;
};

class TCommX : public TCustomCommX {
 public:
  using TCustomCommX::TCustomCommX;
};

}  // namespace kx71
