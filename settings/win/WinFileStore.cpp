#include "settings/win/WinFileStore.h"

#include <windows.h>

#include <cstdio>
#include <system_error>

#include "settings/SettingsPath.h"
#include "settings/win/UniqueHandle.h"

namespace settings {

namespace {

bool IsAnsiLeadByte(unsigned char c)
{
    return ::IsDBCSLeadByte(c) != FALSE;
}

// A fresh file beside a target, open for writing with no sharing. It is
// closed and deleted when this goes, unless it was put in place.
class TemporaryFile {
public:
    // Tries a few names made of the target's, the process and a number;
    // Valid() tells whether one could be created.
    explicit TemporaryFile(const std::string& target)
    {
        const DWORD process = ::GetCurrentProcessId();
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            char suffix[40];
            std::snprintf(suffix, sizeof suffix, ".%lx-%u.tmp", static_cast<unsigned long>(process), attempt);
            std::string candidate = target + suffix;
            file_.Reset(::CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file_) {
                path_ = std::move(candidate);
                return;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                return;
            }
        }
    }

    ~TemporaryFile()
    {
        file_.Reset();
        if (!path_.empty()) {
            ::DeleteFileA(path_.c_str());
        }
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Valid() const { return file_.Valid(); }
    HANDLE Handle() const { return file_.Get(); }

    // Closes the file and moves it over the target in one step.
    bool PutInPlace(const std::string& target)
    {
        file_.Reset();
        if (!::MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        path_.clear();
        return true;
    }

private:
    UniqueHandle file_;
    std::string path_;
};

bool WriteWhole(HANDLE file, const std::string& bytes)
{
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(file, next, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

}  // namespace

std::string WinFileStore::SettingsPath()
{
    char modulePath[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        const DWORD error = length == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        throw std::system_error(static_cast<int>(error), std::system_category(), "GetModuleFileNameA");
    }
    return SettingsPathFromModulePath(std::string_view(modulePath, length), &IsAnsiLeadByte);
}

bool WinFileStore::FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> WinFileStore::ReadAll(const std::string& path)
{
    const UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }

    std::string bytes;
    char buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            return bytes;
        }
        bytes.append(buffer, read);
    }
}

bool WinFileStore::ReplaceAll(const std::string& path, const std::string& bytes)
{
    // A read-only file is the user's way of keeping the settings as they
    // are. A move replaces it on some systems; writing it would not.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }

    TemporaryFile temporary(path);
    return temporary.Valid()
        && WriteWhole(temporary.Handle(), bytes)
        && ::FlushFileBuffers(temporary.Handle())
        && temporary.PutInPlace(path);
}

}  // namespace settings
