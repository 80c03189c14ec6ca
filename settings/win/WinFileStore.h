// The settings file's operations on the Windows file API, with ANSI paths.
#pragma once

#include <optional>
#include <string>

#include "settings/FileStore.h"

namespace settings {

class WinFileStore : public FileStore {
public:
    // "dialup.ini" beside the running executable. Throws std::system_error
    // when the executable's path cannot be had in full (longer than
    // MAX_PATH): a cut-off path would name some other file.
    std::string SettingsPath() override;

    bool FileExists(const std::string& path) override;

    // Opened with read sharing only: fails while another program has the
    // file open for writing.
    std::optional<std::string> ReadAll(const std::string& path) override;

    // Writes a fresh file beside the target with exclusive access, flushes
    // it to disk and moves it over the target in one step. On any failure
    // the fresh file is deleted and the target is left as it was. A target
    // marked read-only, or a directory, is not replaced.
    bool ReplaceAll(const std::string& path, const std::string& bytes) override;
};

}  // namespace settings
