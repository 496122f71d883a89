// The commands' work on each port: the port opened as the window opens it, on a serial component
// and a thread of its own per port, so several units are served at once.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "cli/command_line.h"
#include "cli/outcome.h"
#include "cli/saved_block.h"

namespace kx71::cli {

// Runs `job` for every port at once, each on a thread of its own; the outcomes in port order.
std::vector<TPortOutcome> RunOnPorts(const std::vector<TPortArg>& ports,
                                     const std::function<TPortOutcome(const TPortArg&)>& job);

// read: the unit's block; with --save also the file.
TPortOutcome ReadJob(const TPortArg& port, const TRequest& request);
// write --level: the window's write (read first; nothing is sent after a failed read).
TPortOutcome WriteJob(const TPortArg& port, const TRequest& request);
// restore: `saved` back to the unit, if its identifiers match (or with --force).
TPortOutcome RestoreJob(const TPortArg& port, const TRequest& request, const TSavedBlock& saved);
// find: one read, answered before `deadline`; a port another program holds is reported, not used.
TPortOutcome FindJob(const TPortArg& port, std::chrono::steady_clock::time_point deadline);

}  // namespace kx71::cli
