// The settings file's operations on POSIX files, for native tests: the
// settings file is "dialup.ini" in a given directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/FileStore.h"

namespace settings_test {

class PosixFileStore : public settings::FileStore {
public:
    explicit PosixFileStore(std::string directory) : directory_(std::move(directory)) {}

    std::string SettingsPath() override { return directory_ + "/dialup.ini"; }
    // rename() puts the file in place in one step and never under another
    // name, and the native tests kill no process while it saves: there is
    // nothing to tidy.
    void RemoveLeftovers(const std::string&) override {}
    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadAll(const std::string& path) override;
    // Writes a fresh file beside the target, syncs it and renames it over
    // the target; on failure the fresh file is removed.
    bool ReplaceAll(const std::string& path, const std::string& bytes) override;
    // O_APPEND and one write(); false unless all bytes were written.
    bool AppendAll(const std::string& path, const std::string& bytes) override;
    // Nothing for a directory or a missing file.
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    // rename().
    bool MoveReplacing(const std::string& from, const std::string& to) override;

private:
    std::string directory_;
};

}  // namespace settings_test
