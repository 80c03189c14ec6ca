// Starts the onnewip command as a process of its own: one at a time, with
// the program's environment plus the hook's variables, in the exe's folder,
// without a console window. A watcher thread waits for each process and
// ends it at the time limit; the results reach the program's thread
// through a message-only window.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "scheduler/HookLauncher.h"

namespace app {

// Commands waiting while one runs, at most; a further one drops the oldest
// waiting one.
inline constexpr std::size_t kMaxWaitingHooks = 16;
// The exit code of a command that was ended at the time limit.
inline constexpr std::uint32_t kKilledHookExitCode = 1;
// The error of a waiting command that was dropped.
inline constexpr char kHookDroppedError[] = "dropped: too many hooks waiting";

class HookRunner final : public scheduler::HookLauncher {
public:
    // Made on the program's thread, which must pump messages: every `ended`
    // runs there, from whichever loop is running. `folder` is the working
    // directory of the commands; empty: the exe's folder. Throws
    // std::runtime_error (or std::system_error) when the window or the
    // watcher thread cannot be made.
    explicit HookRunner(std::chrono::milliseconds limit = std::chrono::seconds(scheduler::kHookLimitSeconds),
                        std::wstring folder = {}, std::size_t maxWaiting = kMaxWaitingHooks);
    // Drops the waiting commands without their `ended`, leaves a running one
    // running (it is the user's), and stops the watcher at once. No `ended`
    // runs afterwards, not even one whose result had already come.
    ~HookRunner() override;

    HookRunner(const HookRunner&) = delete;
    HookRunner& operator=(const HookRunner&) = delete;

    // Called on the program's thread; never calls `ended` itself.
    //
    // The command line (ANSI bytes, cut at a NUL) is started as
    // CreateProcessW takes it: the program is its first word (in quotes
    // when its path holds a blank), found as the system finds it; a .cmd or
    // .bat script runs through the command interpreter. Each variable is added
    // to a copy of the program's environment, replacing one whose name
    // matches without regard to case; a variable whose name is empty or
    // holds "=" is left out, and a value is cut at a NUL. One still running
    // `limit` after its start is ended together with the processes it
    // started (killed, exit code kKilledHookExitCode). A command that
    // cannot be started ends with started=false and the system's text for
    // the failure.
    void Run(const std::string& commandLine, Environment environment, Ended ended) override;

private:
    class Runs;
    std::shared_ptr<Runs> runs_;
};

}  // namespace app
