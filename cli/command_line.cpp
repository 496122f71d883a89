#include "cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "cli/level_names.h"
#include "comm/port_names.h"
#include "text/int_text.h"

namespace kx71::cli {
namespace {

constexpr const char* kPortToken = "{port}";

// The options each command takes; each is a flag or takes one value.
struct TOptionRule {
  bool takesValue;
  std::vector<TCommand> commands;
};

const std::map<std::string, TOptionRule>& OptionRules() {
  static const std::map<std::string, TOptionRule> rules = {
      {"--timeout", {true, {TCommand::Find, TCommand::Read, TCommand::Write, TCommand::Restore}}},
      {"--json", {false, {TCommand::Read}}},
      {"--save", {true, {TCommand::Read}}},
      {"--level", {true, {TCommand::Write}}},
      {"--force", {false, {TCommand::Restore}}},
  };
  return rules;
}

std::optional<TCommand> ParseCommandName(const std::string& word) {
  static const std::map<std::string, TCommand> names = {
      {"ports", TCommand::Ports}, {"find", TCommand::Find},       {"read", TCommand::Read},
      {"write", TCommand::Write}, {"restore", TCommand::Restore}, {"help", TCommand::Help}};
  const auto it = names.find(word);
  return it == names.end() ? std::nullopt : std::optional(it->second);
}

TUsageError Error(std::string message) {
  return {std::move(message)};
}

}  // namespace

std::string TRequest::SavePath(const std::string& port) const {
  std::string path = saveFile;
  for (auto at = path.find(kPortToken); at != std::string::npos; at = path.find(kPortToken, at + port.size()))
    path.replace(at, std::string(kPortToken).size(), port);
  return path;
}

std::optional<TPortArg> ParsePortArg(const std::string& text) {
  if (text.size() < 4) return std::nullopt;
  std::string prefix = text.substr(0, 3);
  std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const auto number = ParseIntText(std::string_view(text).substr(3));
  // The integer-text rule allows leading spaces and signs; a port argument is plain digits.
  const bool digits =
      std::all_of(text.begin() + 3, text.end(), [](unsigned char c) { return std::isdigit(c); });
  if (prefix != "COM" || !number || !digits || !IsOpenablePortNo(*number)) return std::nullopt;
  return TPortArg{"COM" + std::to_string(*number), *number};
}

std::variant<TRequest, TUsageError> ParseCommandLine(const std::vector<std::string>& args) {
  TRequest r;
  if (args.empty()) return Error("no command given (ports, find, read, write or restore)");
  const std::string& first = args.front();
  if (first == "--help" || first == "-h") return r;
  if (first == "--version") {
    r.command = TCommand::Version;
    return r;
  }
  const auto command = ParseCommandName(first);
  if (!command) return Error("unknown command '" + first + "' (ports, find, read, write or restore)");
  r.command = *command;
  if (r.command == TCommand::Find) r.timeoutMs = kDefaultFindTimeoutMs;

  std::vector<std::string> positional;
  bool timeoutGiven = false, levelGiven = false, saveGiven = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i], value;
    if (arg == "--help" || arg == "-h") {
      r.command = TCommand::Help;
      return r;
    }
    if (arg.rfind("--", 0) != 0 || arg == "--") {
      positional.push_back(arg);
      continue;
    }
    bool inlineValue = false;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      inlineValue = true;
    }
    const auto rule = OptionRules().find(arg);
    if (rule == OptionRules().end()) return Error("unknown option '" + arg + "'");
    const auto& cmds = rule->second.commands;
    if (std::find(cmds.begin(), cmds.end(), r.command) == cmds.end())
      return Error("option " + arg + (" does not go with '" + first + "'"));
    if (rule->second.takesValue && !inlineValue) {
      if (i + 1 >= args.size()) return Error("option " + arg + " needs a value");
      value = args[++i];
    } else if (!rule->second.takesValue && inlineValue) {
      return Error("option " + arg + " takes no value");
    }

    if (arg == "--timeout") {
      const auto ms = ParseIntText(value);
      if (!ms || *ms < 1 || *ms > kMaxTimeoutMs || value.find_first_not_of("0123456789") != std::string::npos)
        return Error("--timeout '" + value + "' is not a number of milliseconds from 1 to " +
                     std::to_string(kMaxTimeoutMs));
      if (timeoutGiven) return Error("--timeout given twice");
      timeoutGiven = true;
      r.timeoutMs = *ms;
    } else if (arg == "--json") {
      r.json = true;
    } else if (arg == "--save") {
      if (value.empty()) return Error("--save needs a file name");
      if (saveGiven) return Error("--save given twice");
      saveGiven = true;
      r.saveFile = value;
    } else if (arg == "--level") {
      if (levelGiven) return Error("--level given twice");
      levelGiven = true;
      r.level = ParseLevelName(value);
      if (!r.level) return Error("unknown level '" + value + "' (one of " + AcceptedLevelNames() + ")");
    } else if (arg == "--force") {
      r.force = true;
    }
  }

  const auto takePorts = [&](std::size_t count) -> std::optional<TUsageError> {
    for (std::size_t i = 0; i < count; ++i) {
      const auto port = ParsePortArg(positional[i]);
      if (!port) return Error("'" + positional[i] + "' is not a port (COM and a number, e.g. COM3)");
      for (const TPortArg& p : r.ports)
        if (p.number == port->number) return Error(port->name + " given twice");
      r.ports.push_back(*port);
    }
    return std::nullopt;
  };

  switch (r.command) {
    case TCommand::Help:
    case TCommand::Version:
    case TCommand::Ports:
    case TCommand::Find:
      if (!positional.empty())
        return Error("'" + first + "' takes no ports or files: '" + positional[0] + "'");
      break;
    case TCommand::Read:
    case TCommand::Write:
      if (positional.empty()) return Error("'" + first + "' needs at least one port (e.g. COM3)");
      if (auto e = takePorts(positional.size())) return *e;
      if (r.command == TCommand::Write && !r.level)
        return Error("'write' needs --level LEVEL (one of " + AcceptedLevelNames() + ")");
      if (saveGiven && r.ports.size() > 1 && r.saveFile.find(kPortToken) == std::string::npos)
        return Error("--save with several ports needs {port} in the file name (e.g. car-{port}.json)");
      break;
    case TCommand::Restore:
      if (positional.size() != 2)
        return Error("'restore' needs one port and one file (restore COM3 car.json)");
      if (auto e = takePorts(1)) return *e;
      r.restoreFile = positional[1];
      break;
  }
  return r;
}

const char* const kHelpText =
    "usage: kx71-vantor COMMAND [ARGUMENTS] [OPTIONS]\n"
    "\n"
    "Reads and sets the Vantor settings of KX-71 units from a script, on several ports at once.\n"
    "\n"
    "commands:\n"
    "  ports                        list the serial ports, the device behind each and its adapter\n"
    "  find [--timeout MS]          ask every listed port for its block at once (reads only) and\n"
    "                               show where a unit answered; MS bounds the whole run (1500)\n"
    "  read PORT... [--json] [--save FILE]\n"
    "                               show each unit's settings block; --save keeps a copy of it\n"
    "                               (with several ports FILE must hold {port}: car-{port}.json)\n"
    "  write PORT... --level LEVEL  set the level as the window's write does: read first, keep the\n"
    "                               unit's identifiers, marker, master flag and bytes 8 to 12,\n"
    "                               overtake on, time 3, power 74; nothing is sent if the read fails\n"
    "  restore PORT FILE [--force]  write a saved block back, only to the unit it was saved from\n"
    "                               (same identifiers); --force writes it anyway\n"
    "\n"
    "options:\n"
    "  --timeout MS   how long to wait for each reply (3000), for find the whole run (1500)\n"
    "  --json         read: print the blocks as JSON\n"
    "  --help         this text;  --version  the program's version\n"
    "\n"
    "PORT is COM and a number (COM3). LEVEL is a caption (\"Handicap +3\", \"No Handicap\") or one of\n"
    "legend, champ, none, +1 ... +6, max; letter case does not matter.\n"
    "Ports run in parallel; one summary line per port. Exit status: 0 when every port succeeded\n"
    "(find: when a unit answered), 1 when any failed (the reason on standard error), 2 for bad usage.\n";

}  // namespace kx71::cli
