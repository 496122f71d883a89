// Interim definitions so that dependants link; the port is never opened yet.
#include "comm/CommX.h"

namespace kx71 {

namespace {
struct Defaults {
  std::int32_t portNo = 1, bitRate = 9600, charSize = 8;
  TCommParityBits parity = cpbNone;
  TCommStopBits stop = csb1;
  TCommFlowCtrls flow = cfcRtsCts;
  std::int32_t timeOutTrans = 3000, timeOutReceive = 3000;
  char xon = 0x11, xoff = 0x13;
  std::int32_t bufTrans = 2048, bufReceive = 2048;
} const kDefaults;
}  // namespace

TCustomCommX::TCustomCommX(TMainThread&) {}
TCustomCommX::~TCustomCommX() = default;
void TCustomCommX::Open() { throw ECommError("ポートをオープンできませんでした"); }
void TCustomCommX::Close() {}
bool TCustomCommX::IsOpen() const { return false; }
bool TCustomCommX::Write(const void*, std::int32_t count) { return count == 0; }
std::int32_t TCustomCommX::Read(void*, std::int32_t) { return -1; }
bool TCustomCommX::SendString(const Frame& text) { return Write(text.data(), static_cast<std::int32_t>(text.size())); }
void TCustomCommX::PurgeTrans() {}
void TCustomCommX::PurgeReceive() {}
std::int32_t TCustomCommX::InQueueCount() { return 0; }
void TCustomCommX::SetRTS(bool) {}
void TCustomCommX::SetDTR(bool) {}
std::int32_t TCustomCommX::PortNo() const { return kDefaults.portNo; }
void TCustomCommX::SetPortNo(std::int32_t) {}
std::int32_t TCustomCommX::BitRate() const { return kDefaults.bitRate; }
void TCustomCommX::SetBitRate(std::int32_t) {}
std::int32_t TCustomCommX::CharSize() const { return kDefaults.charSize; }
void TCustomCommX::SetCharSize(std::int32_t) {}
TCommParityBits TCustomCommX::ParityBit() const { return kDefaults.parity; }
void TCustomCommX::SetParityBit(TCommParityBits) {}
TCommStopBits TCustomCommX::StopBit() const { return kDefaults.stop; }
void TCustomCommX::SetStopBit(TCommStopBits) {}
TCommFlowCtrls TCustomCommX::FlowCtrl() const { return kDefaults.flow; }
void TCustomCommX::SetFlowCtrl(TCommFlowCtrls) {}
std::int32_t TCustomCommX::TimeOutTrans() const { return kDefaults.timeOutTrans; }
void TCustomCommX::SetTimeOutTrans(std::int32_t) {}
std::int32_t TCustomCommX::TimeOutReceive() const { return kDefaults.timeOutReceive; }
void TCustomCommX::SetTimeOutReceive(std::int32_t) {}
char TCustomCommX::XonChar() const { return kDefaults.xon; }
void TCustomCommX::SetXonChar(char) {}
char TCustomCommX::XoffChar() const { return kDefaults.xoff; }
void TCustomCommX::SetXoffChar(char) {}
std::int32_t TCustomCommX::BufLenTrans() const { return kDefaults.bufTrans; }
void TCustomCommX::SetBufLenTrans(std::int32_t) {}
std::int32_t TCustomCommX::BufLenReceive() const { return kDefaults.bufReceive; }
void TCustomCommX::SetBufLenReceive(std::int32_t) {}
std::uint32_t TCustomCommX::Handle() const { return INVALID_HANDLE_VALUE_U32; }

}  // namespace kx71
