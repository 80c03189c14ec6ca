// What the drop-in rasapi32.dll needs from Windows, kept apart from the
// portable service so that it builds without the Windows headers.
#pragma once

#include <optional>
#include <string>

namespace ras::sim {

// Writes one line on the process's standard error, "rassim " first.
void PrintOnStandardError(const std::string& text);

// The text of the configuration file: the file named by the RASSIM_CONFIG
// environment variable, or "rassim.ini" beside the DLL. Nothing when there
// is no such file.
std::optional<std::string> ReadSimConfigText();

// Keeps the DLL loaded to the end of the process.
void PinThisModule();

}  // namespace ras::sim
