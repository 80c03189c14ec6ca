// A file store held in memory, with switches that make its operations
// fail, for tests of the settings rules.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "settings/FileStore.h"

namespace settings_test {

class MemoryFileStore : public settings::FileStore {
public:
    std::string settingsPath = "C:\\Velmora\\dialup.ini";
    std::map<std::string, std::string> files;
    std::set<std::string> directories;

    bool pathThrows = false;    // SettingsPath fails
    bool readFails = false;     // ReadAll cannot open the file
    bool readThrows = false;    // ReadAll fails with an exception
    bool replaceFails = false;  // ReplaceAll cannot write
    bool tidyThrows = false;    // RemoveLeftovers fails with an exception
    bool appendFails = false;   // AppendAll cannot write
    bool sizeFails = false;     // FileSize cannot ask
    bool moveFails = false;     // MoveReplacing cannot rename
    int replaceCalls = 0;
    int appendCalls = 0;
    int moveCalls = 0;
    int tidyCalls = 0;
    // What a replace cut short left under the backup name: RemoveLeftovers
    // puts it back when the file itself is missing, and drops it otherwise.
    std::optional<std::string> backup;

    std::string SettingsPath() override
    {
        if (pathThrows) {
            throw std::runtime_error("module path unavailable");
        }
        return settingsPath;
    }

    void RemoveLeftovers(const std::string& path) override
    {
        ++tidyCalls;
        if (tidyThrows) {
            throw std::runtime_error("tidy failed");
        }
        if (backup && files.count(path) == 0) {
            files[path] = *backup;
        }
        backup.reset();
    }

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }

    std::optional<std::string> ReadAll(const std::string& path) override
    {
        if (readThrows) {
            throw std::runtime_error("read failed");
        }
        const auto found = files.find(path);
        if (readFails || found == files.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    bool ReplaceAll(const std::string& path, const std::string& bytes) override
    {
        ++replaceCalls;
        if (replaceFails || directories.count(path) != 0) {
            return false;
        }
        files[path] = bytes;
        return true;
    }

    bool AppendAll(const std::string& path, const std::string& bytes) override
    {
        ++appendCalls;
        if (appendFails || directories.count(path) != 0) {
            return false;
        }
        files[path] += bytes;
        return true;
    }

    std::optional<std::uint64_t> FileSize(const std::string& path) override
    {
        const auto found = files.find(path);
        if (sizeFails || found == files.end()) {
            return std::nullopt;
        }
        return found->second.size();
    }

    bool MoveReplacing(const std::string& from, const std::string& to) override
    {
        ++moveCalls;
        const auto found = files.find(from);
        if (moveFails || found == files.end() || directories.count(to) != 0) {
            return false;
        }
        if (from != to) {
            std::string bytes = std::move(found->second);
            files.erase(found);
            files[to] = std::move(bytes);
        }
        return true;
    }

    // The settings file's bytes, or nothing when there is no such file.
    std::optional<std::string> SettingsBytes() const
    {
        const auto found = files.find(settingsPath);
        if (found == files.end()) {
            return std::nullopt;
        }
        return found->second;
    }
};

}  // namespace settings_test
