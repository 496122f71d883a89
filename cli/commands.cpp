#include "cli/commands.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <variant>

#include "cli/block_report.h"
#include "cli/port_adapter.h"
#include "cli/port_jobs.h"
#include "comm/port_discovery.h"
#include "comm/port_map.h"
#include "text/int_text.h"

namespace kx71::cli {
namespace {

// The selector's operations over a plain list, so the ports come out exactly as the window lists them.
class TNameList : public TCommList {
 public:
  std::vector<std::string> items;
  std::string SelectedText() const override { return {}; }
  void Clear() override { items.clear(); }
  void Assign(const std::vector<std::string>& list) override { items = list; }
  void Insert0(const std::string& item) override { items.insert(items.begin(), item); }
  int IndexOfIgnoreCase(const std::string&) const override { return -1; }
  void Select(int) override {}
};

// The listed ports (without "OFF"), or nothing after reporting why the list cannot be made.
std::optional<std::vector<TPortArg>> ListedPorts(std::FILE* err, std::vector<std::string>* names = nullptr) {
  TNameList list;
  try {
    RefreshCommList(list);
  } catch (const std::exception& e) {
    std::fprintf(err, "kx71-vantor: the port list cannot be sorted: %s\n", e.what());
    return std::nullopt;
  }
  list.items.erase(list.items.begin());  // "OFF"
  std::vector<TPortArg> ports;
  for (const std::string& name : list.items) {
    const auto number = ParseIntText(std::string_view(name).substr(3));
    if (names) names->push_back(name);
    ports.push_back({name, number.value_or(0)});
  }
  return ports;
}

int Report(const std::vector<TPortOutcome>& outcomes, std::FILE* out, std::FILE* err, bool blocks) {
  int status = kExitOk;
  for (const TPortOutcome& o : outcomes) {
    std::fprintf(out, "%s\n", SummaryLine(o).c_str());
    if (blocks && o.block) std::fputs(BlockText(*o.block).c_str(), out);
    if (!o.ok) {
      std::fprintf(err, "kx71-vantor: %s: %s\n", o.port.c_str(), o.reason.c_str());
      status = kExitFailed;
    }
  }
  return status;
}

int RunPorts(std::FILE* out, std::FILE* err) {
  const auto ports = ListedPorts(err);
  if (!ports) return kExitFailed;
  if (ports->empty()) std::fprintf(out, "no serial ports\n");
  for (const TPortArg& p : *ports) {
    const auto device = ResolvePortDevice(p.number);
    const std::string adapter = device ? PortAdapter(p.name, *device) : std::string();
    std::fprintf(out, "%s\t%s%s%s\n", p.name.c_str(), device ? DeviceText(*device).c_str() : "(no device)",
                 adapter.empty() ? "" : "\t", adapter.c_str());
  }
  return kExitOk;
}

int RunFind(const TRequest& request, std::FILE* out, std::FILE* err) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(request.timeoutMs);
  const auto ports = ListedPorts(err);
  if (!ports) return kExitFailed;
  const auto outcomes = RunOnPorts(*ports, [&](const TPortArg& p) { return FindJob(p, deadline); });
  int units = 0;
  for (const TPortOutcome& o : outcomes) {
    std::fprintf(out, "%s: %s\n", o.port.c_str(), o.summary.c_str());
    if (!o.reason.empty()) std::fprintf(err, "kx71-vantor: %s: %s\n", o.port.c_str(), o.reason.c_str());
    if (o.block) ++units;
  }
  std::fprintf(out, "%d unit%s found on %zu port%s\n", units, units == 1 ? "" : "s", outcomes.size(),
               outcomes.size() == 1 ? "" : "s");
  return units > 0 ? kExitOk : kExitFailed;
}

}  // namespace

int RunCommand(const TRequest& request, std::FILE* out, std::FILE* err) {
  switch (request.command) {
    case TCommand::Help:
      std::fputs(kHelpText, out);
      return kExitOk;
    case TCommand::Version:
      std::fprintf(out, "kx71-vantor %s\n", KX71_VERSION);
      return kExitOk;
    case TCommand::Ports:
      return RunPorts(out, err);
    case TCommand::Find:
      return RunFind(request, out, err);
    case TCommand::Read: {
      const auto outcomes = RunOnPorts(request.ports, [&](const TPortArg& p) { return ReadJob(p, request); });
      if (!request.json) return Report(outcomes, out, err, true);
      std::fputs(OutcomesJson(outcomes).c_str(), out);
      int status = kExitOk;
      for (const TPortOutcome& o : outcomes) {
        if (o.ok) continue;
        std::fprintf(err, "kx71-vantor: %s: %s\n", o.port.c_str(), o.reason.c_str());
        status = kExitFailed;
      }
      return status;
    }
    case TCommand::Write:
      return Report(RunOnPorts(request.ports, [&](const TPortArg& p) { return WriteJob(p, request); }), out,
                    err, false);
    case TCommand::Restore: {
      const auto saved = LoadBlockFile(request.restoreFile);
      if (const auto* why = std::get_if<std::string>(&saved)) {
        std::fprintf(err, "kx71-vantor: %s\n", why->c_str());
        return kExitFailed;
      }
      const TSavedBlock& block = std::get<TSavedBlock>(saved);
      return Report(
          RunOnPorts(request.ports, [&](const TPortArg& p) { return RestoreJob(p, request, block); }), out,
          err, false);
    }
  }
  return kExitFailed;
}

}  // namespace kx71::cli
