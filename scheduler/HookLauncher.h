// Starting the command that the onnewip option names, behind a seam: the
// Windows build creates the process, tests record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace scheduler {

struct HookResult {
    bool started = false;  // false: the command could not be started (error says why)
    bool ended = false;    // it ran to its end (its exitCode is known)
    bool killed = false;   // ended by the program after the time limit
    std::uint32_t exitCode = 0;
    std::string error;
};

inline constexpr int kHookLimitSeconds = 30;

class HookLauncher {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    using Ended = std::function<void(const HookResult&)>;

    virtual ~HookLauncher() = default;

    // Runs `commandLine` (ANSI bytes) with the program's environment plus
    // `environment`, without a console window, in the exe's folder. One
    // command runs at a time: a later one waits until the one before has
    // ended. One still running after kHookLimitSeconds is ended. `ended`
    // runs once on the program's thread; never after the launcher is gone.
    virtual void Run(const std::string& commandLine, Environment environment, Ended ended) = 0;
};

}  // namespace scheduler
