// One re-dialler per folder. Two programs started from the same folder
// would hang up each other's connections and overwrite each other's
// dialup.ini, so a second start brings the running one's window up and
// ends. A copy in another folder, with its own dialup.ini, runs beside it.
#pragma once

#include <optional>

#include "settings/win/UniqueHandle.h"

namespace app {

// This process's hold on its exe's folder, kept for the whole run: a named
// mutex, owned by the thread that claimed it, released when this goes.
class FolderClaim {
public:
    explicit FolderClaim(settings::UniqueHandle mutex) noexcept : mutex_(std::move(mutex)) {}
    ~FolderClaim();
    FolderClaim(FolderClaim&&) noexcept = default;
    FolderClaim& operator=(FolderClaim&&) = delete;
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;

private:
    settings::UniqueHandle mutex_;
};

// Claims the exe's folder. When another process holds it, its window is
// brought up as a double-click on its tray icon does (waiting a few seconds
// for the window while that program is still starting) and nothing is
// returned: this process should end. Should the other program end while
// this one waits, the claim passes to this one.
std::optional<FolderClaim> ClaimExeFolder();

}  // namespace app
