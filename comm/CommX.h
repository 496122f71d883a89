// The serial port component: one port, its line settings, queued writes through a transmit worker,
// reads with a time-out, purges, RTS/DTR, and line events raised on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

#include "comm/main_thread.h"
#include "protocol/exchange_port.h"

namespace kx71 {

enum TCommParityBits { cpbNone, cpbOdd, cpbEven };
enum TCommStopBits { csb1, csb1p5, csb2 };
enum TCommFlowCtrls { cfcRtsCts, cfcDtrDsr, cfcXonXoff, cfcHalfHigh, cfcHalfLow, cfcNone };

// Raised for port failures, with a Japanese message.
class ECommError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TCustomCommX;
using TCommReceiveEvent = std::function<void(TCustomCommX* Sender, std::int32_t ReceiveSize)>;
using TCommBreakEvent = std::function<void(TCustomCommX* Sender)>;
using TCommErrEvent = std::function<void(TCustomCommX* Sender, std::int32_t ErrorState)>;

inline constexpr std::uint32_t INVALID_HANDLE_VALUE_U32 = 0xFFFFFFFFu;

// Public interface (the implementation may add private members, helpers and constructor overloads,
// e.g. one that takes a device factory for tests, but keeps these signatures).
class TCustomCommX : public TExchangePort {
 public:
  explicit TCustomCommX(TMainThread& mainThread);
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
};

class TCommX : public TCustomCommX {
 public:
  using TCustomCommX::TCustomCommX;
};

}  // namespace kx71
