#include "cli/port_jobs.h"

#include <cerrno>
#include <thread>

#include "cli/block_report.h"
#include "cli/unit_exchange.h"
#include "comm/CommX.h"
#include "comm/plain_main_thread.h"

namespace kx71::cli {
namespace {

// One port with the window's line settings (9600 bit/s, 8N1, no flow control) and its opening steps
// (a DTR pulse, then both purges). The component's events run on the thread that owns this.
class TUnitPort {
 public:
  explicit TUnitPort(int timeoutMs) {
    comm_.SetFlowCtrl(cfcNone);
    comm_.SetTimeOutReceive(timeoutMs);
  }
  ~TUnitPort() {
    try {
      comm_.Close();
    } catch (...) {
    }
  }
  TUnitPort(const TUnitPort&) = delete;
  TUnitPort& operator=(const TUnitPort&) = delete;

  // "" when open, else why not; Held() tells whether another program has the port.
  std::string Open(std::int32_t portNo) {
    try {
      comm_.SetPortNo(portNo);
      comm_.Open();
      comm_.SetDTR(true);
      comm_.SetDTR(false);
      comm_.PurgeTrans();
      comm_.PurgeReceive();
      return {};
    } catch (const ECommError& e) {
      held_ = LastOpenFailure().error == EBUSY;
      const std::string where = e.Device().empty() ? "" : " (" + e.Device() + ")";
      return "cannot open the port" + where + ": " + (e.Reason().empty() ? e.what() : e.Reason());
    }
  }
  bool Held() const { return held_; }
  TCommX& Comm() { return comm_; }
  void SetTimeout(int ms) { comm_.SetTimeOutReceive(ms); }

 private:
  TPlainMainThread main_;
  TCommX comm_{main_};
  bool held_ = false;
};

TPortOutcome Failed(const TPortArg& port, std::string summary, std::string reason) {
  return {port.name, false, std::move(summary), std::move(reason), std::nullopt};
}

}  // namespace

std::vector<TPortOutcome> RunOnPorts(const std::vector<TPortArg>& ports,
                                     const std::function<TPortOutcome(const TPortArg&)>& job) {
  std::vector<TPortOutcome> outcomes(ports.size());
  std::vector<std::thread> threads;
  threads.reserve(ports.size());
  for (std::size_t i = 0; i < ports.size(); ++i) {
    threads.emplace_back([&, i] {
      try {
        outcomes[i] = job(ports[i]);
      } catch (const std::exception& e) {
        outcomes[i] = Failed(ports[i], "error", e.what());
      }
    });
  }
  for (std::thread& t : threads) t.join();
  return outcomes;
}

TPortOutcome ReadJob(const TPortArg& port, const TRequest& request) {
  TUnitPort line(request.timeoutMs);
  if (std::string why = line.Open(port.number); !why.empty()) return Failed(port, "not read", why);
  const TReadResult read = ReadUnitBlock(line.Comm());
  if (!read.block) return Failed(port, "not read", read.failure);
  TPortOutcome outcome{port.name, true, "read " + UnitLine(*read.block), {}, read.block};
  if (!request.saveFile.empty()) {
    const std::string path = request.SavePath(port.name);
    if (std::string why = SaveBlockFile(path, {port.name, *read.block}); !why.empty()) {
      outcome.ok = false;
      outcome.summary += ", not saved";
      outcome.reason = why;
    } else {
      outcome.summary += ", saved to " + path;
    }
  }
  return outcome;
}

TPortOutcome WriteJob(const TPortArg& port, const TRequest& request) {
  const int count = Preset(*request.level);
  TUnitPort line(request.timeoutMs);
  if (std::string why = line.Open(port.number); !why.empty()) return Failed(port, "nothing written", why);
  // Read first, as the window does: without this unit's own block nothing is sent.
  const TReadResult read = ReadUnitBlock(line.Comm());
  if (!read.block) return Failed(port, "nothing written", "read before writing: " + read.failure);
  const SettingsBlock block = EncodeBlock(ValuesToWrite(DecodeBlock(*read.block), count));
  if (std::string why = WriteUnitBlock(line.Comm(), block); !why.empty())
    return Failed(port, "not written", "write: " + why);
  return {port.name,
          true,
          "wrote " + std::string(Info(*request.level).caption) + " (count " + std::to_string(count) + ")",
          {},
          block};
}

TPortOutcome RestoreJob(const TPortArg& port, const TRequest& request, const TSavedBlock& saved) {
  TUnitPort line(request.timeoutMs);
  if (std::string why = line.Open(port.number); !why.empty()) return Failed(port, "nothing written", why);
  const TReadResult read = ReadUnitBlock(line.Comm());
  std::string note;
  if (!read.block) {
    if (!request.force)
      return Failed(port, "nothing written",
                    "cannot tell which unit this is (" + read.failure + "); --force writes anyway");
    note = ", forced (the unit could not be read)";
  } else if (std::string why = RestoreRefusal(saved, *read.block); !why.empty()) {
    if (!request.force) return Failed(port, "nothing written", why);
    note = ", forced (other identifiers)";
  }
  if (std::string why = WriteUnitBlock(line.Comm(), saved.block); !why.empty())
    return Failed(port, "not written", "write: " + why);
  return {port.name, true, "restored " + UnitLine(saved.block) + note, {}, saved.block};
}

TPortOutcome FindJob(const TPortArg& port, std::chrono::steady_clock::time_point deadline) {
  using namespace std::chrono;
  TUnitPort line(1);
  if (std::string why = line.Open(port.number); !why.empty()) {
    TPortOutcome o =
        Failed(port, line.Held() ? "held by another program, not touched" : "cannot be opened", why);
    o.ok = true;  // a port that cannot be asked is no failure of the search
    return o;
  }
  // What is left of the one time-out of the whole search.
  const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
  line.SetTimeout(static_cast<int>(left < 1 ? 1 : left));
  const TReadResult read = ReadUnitBlock(line.Comm());
  if (!read.block) return {port.name, true, "no unit (" + read.failure + ")", {}, std::nullopt};
  return {port.name, true, "unit " + UnitLine(*read.block), {}, read.block};
}

}  // namespace kx71::cli
