// The settings file's operations on the Windows file API, with wide paths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/FileStore.h"

namespace settings {

class WinFileStore : public FileStore {
public:
    // "dialup.ini" beside the running executable, as UTF-8. Throws
    // std::system_error when the executable's path cannot be had in full
    // (longer than MAX_PATH): a cut-off path would name some other file.
    std::string SettingsPath() override;

    // Removes "<file>.<process>-<n>.tmp" and "<file>.<process>-<n>.old.tmp"
    // beside the file; nothing else is touched. When the file itself is
    // missing, the newest ".old.tmp" (the old file, which a replace cut
    // short left under its backup name) is first put back in its place.
    // Files still open in another program are left alone.
    void RemoveLeftovers(const std::string& path) override;

    bool FileExists(const std::string& path) override;

    // Opened with read sharing only: fails while another program has the
    // file open for writing.
    std::optional<std::string> ReadAll(const std::string& path) override;

    // Writes a fresh file beside the target with exclusive access, flushes
    // it to disk and puts it in place: over an existing target with
    // ReplaceFileW, which keeps the target's attributes (hidden, say) and
    // its security descriptor, otherwise by a move. On any failure the
    // fresh file is deleted and the target is left as it was, under its
    // own name. A target marked read-only, or a directory, is not
    // replaced. A path, or a temporary name beside it, of MAX_PATH
    // characters or more is refused before anything is written.
    bool ReplaceAll(const std::string& path, const std::string& bytes) override;

    // Opens the file for appending only (created when missing), sharing
    // reading and writing with other programs, and writes the bytes in one
    // WriteFile: appends from two writers never interleave within one call.
    // False when the file cannot be opened or not all bytes were written.
    bool AppendAll(const std::string& path, const std::string& bytes) override;

    // Nothing for a directory or a missing file.
    std::optional<std::uint64_t> FileSize(const std::string& path) override;

    // MoveFileExW with MOVEFILE_REPLACE_EXISTING: fails over a directory,
    // a read-only file or one another program holds open.
    bool MoveReplacing(const std::string& from, const std::string& to) override;
};

}  // namespace settings
