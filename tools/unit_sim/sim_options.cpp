#include "sim_options.h"

#include <string_view>

#include "hex.h"
#include "text/int_text.h"

namespace kx71 {

std::variant<SimOptions, std::string> ParseSimOptions(int argc, const char* const* argv) {
  SimOptions o;
  bool haveMap = false, havePort = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view name = argv[i];
    if (name == "--help" || name == "-h") return std::string("help");
    if (name == "--exit-with-parent") {
      o.exitWithParent = true;
      continue;
    }
    if (name == "--own-terminal") {
      o.ownTerminal = true;
      continue;
    }
    std::string_view value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      return "missing value for " + std::string(name);
    }
    const auto number = [&](int min) -> std::optional<int> {
      const auto v = ParseIntText(value);
      if (!v || *v < min) return std::nullopt;
      return *v;
    };
    const std::string bad = "bad value for " + std::string(name) + ": '" + std::string(value) + "'";
    if (name == "--devicemap") {
      if (value.empty()) return bad;
      o.devicemap = value;
      haveMap = true;
    } else if (name == "--port") {
      const auto v = number(1);
      if (!v || *v > 99'999'999) return bad;
      o.port = *v;
      havePort = true;
    } else if (name == "--block") {
      const auto block = ParseBlockHex(value);
      if (!block) return bad + " (32 hexadecimal digits)";
      o.block = *block;
    } else if (name == "--fault") {
      const auto fault = ParseSimFault(value);
      if (!fault) return bad;
      o.fault = *fault;
    } else if (name == "--delay") {
      const auto v = number(0);
      if (!v) return bad;
      o.delayMs = *v;
    } else if (name == "--baud") {
      const auto v = number(0);
      if (!v) return bad;
      o.baud = *v;
    } else if (name == "--control") {
      if (value.empty()) return bad;
      o.control = value;
    } else if (name == "--state") {
      if (value.empty()) return bad;
      o.state = value;
    } else {
      return "unknown option " + std::string(name);
    }
  }
  if (!haveMap || !havePort) return std::string("--devicemap and --port are required");
  return o;
}

}  // namespace kx71
