// The file operations the settings need, behind a seam: the Windows build
// uses the platform's file API, native tests a POSIX one over a temporary
// directory.
//
// Paths are UTF-8 text. The Windows store turns them into the platform's
// wide paths, so a folder named in any script works whatever the ANSI
// code page; the file's content is bytes and is never converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

class FileStore {
public:
    virtual ~FileStore() = default;

    // The full path of the settings file ("dialup.ini" beside the exe).
    virtual std::string SettingsPath() = 0;

    // Tidies what a save that was cut short (a killed process, a failed
    // restore) left beside the file: a file that was only under its backup
    // name is put back, and the temporary files are removed.
    virtual void RemoveLeftovers(const std::string& path) = 0;

    // True when a regular file (not a directory) exists at the path.
    virtual bool FileExists(const std::string& path) = 0;

    // The whole file's bytes, or nothing when it cannot be opened or read.
    // Others may read the file meanwhile but not write it.
    virtual std::optional<std::string> ReadAll(const std::string& path) = 0;

    // Replaces the file with exactly these bytes in one step: a temporary
    // file in the same directory is written and then put in place. When
    // anything fails, false is returned, the old file is unchanged and no
    // temporary file is left.
    virtual bool ReplaceAll(const std::string& path, const std::string& bytes) = 0;

    // Adds the bytes at the end of the file in one write, creating the file
    // when it is missing; what the file held before is never changed. False
    // when nothing could be written.
    virtual bool AppendAll(const std::string& path, const std::string& bytes) = 0;

    // The size of the regular file at the path; nothing when there is none
    // or it cannot be asked.
    virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;

    // Renames the file, replacing any file of the new name. False when it
    // failed; then both files are as they were.
    virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
};

}  // namespace settings
