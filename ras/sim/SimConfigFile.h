// The text file that configures the simulated service of the drop-in
// rasapi32.dll ("rassim.ini" beside the DLL). One setting a line, "key=value";
// blank lines and lines that start with '#' or ';' are skipped. The keys are
// described in ras/sim/README.md.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ras/sim/SimulatedRasService.h"

namespace ras::sim {

struct SimConfig {
    // Every entry named anywhere in the file, in the order first named.
    std::vector<std::string> entries;
    std::vector<std::pair<std::string, EntrySetup>> setups;  // in file order; a later one wins
    std::vector<std::string> connected;
    // Scripted addresses by entry, in file order; a later line for the same
    // entry wins.
    std::vector<std::pair<std::string, std::vector<std::string>>> addresses;
    std::optional<std::chrono::milliseconds> dialDelay;
    std::optional<std::chrono::milliseconds> lateReport;
    std::optional<std::chrono::milliseconds> reportLag;
    std::optional<bool> progress;
    std::optional<bool> freshAddress;
    std::optional<bool> log;
    std::optional<std::string> deviceType;
    std::optional<std::string> deviceName;
    // "line N: what is wrong"; such lines are skipped.
    std::vector<std::string> problems;
};

SimConfig ParseSimConfig(std::string_view text);

// Configures a new service: its entries, how they dial, which are connected.
// `log` is left to the caller, which owns the logger.
void ApplySimConfig(const SimConfig& config, SimulatedRasService& service);

}  // namespace ras::sim
