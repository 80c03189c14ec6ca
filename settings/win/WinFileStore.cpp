#include "settings/win/WinFileStore.h"

#include <windows.h>

#include <cwchar>
#include <string_view>
#include <system_error>
#include <vector>

#include "settings/SettingsPath.h"
#include "settings/win/UniqueHandle.h"

namespace settings {

namespace {

// The longest suffix a temporary name adds to the settings file's name:
// "." eight hex digits of the process, "-", two digits of the attempt,
// ".old.tmp".
constexpr std::size_t kLongestSuffix = 1 + 8 + 1 + 2 + 8;
constexpr unsigned kAttempts = 100;

constexpr wchar_t kFreshSuffix[] = L".tmp";
constexpr wchar_t kBackupSuffix[] = L".old.tmp";

// The wide form of a UTF-8 path, or nothing when the text is no valid
// UTF-8 or the path is not shorter than MAX_PATH (the platform refuses
// longer ones, unless the system opts in to long paths, which we do not
// count on).
std::optional<std::wstring> WidePath(const std::string& path)
{
    if (path.empty() || path.size() > 4 * MAX_PATH) {
        return std::nullopt;
    }
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), wide.data(),
                          length);
    return wide;
}

std::string Utf8Path(const std::wstring& path)
{
    const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                                             nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "WideCharToMultiByte");
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), utf8.data(),
                          length, nullptr, nullptr);
    return utf8;
}

// "<target>.<process in hex>-<attempt><suffix>".
std::wstring TemporaryName(const std::wstring& target, unsigned attempt, const wchar_t* suffix)
{
    wchar_t middle[24];
    std::swprintf(middle, sizeof middle / sizeof middle[0], L".%lx-%u",
                  static_cast<unsigned long>(::GetCurrentProcessId()), attempt);
    return target + middle + suffix;
}

bool NothingAt(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool IsRegularFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
}

bool IsDecimalDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Whether a name in the target's folder is one of our temporary names for
// the target; if so, whether it is a backup.
bool IsTemporaryNameOf(const std::wstring& name, const std::wstring& targetName, bool& isBackup)
{
    const std::size_t prefix = targetName.size() + 1;
    if (name.size() <= prefix || name[targetName.size()] != L'.' ||
        ::CompareStringOrdinal(name.data(), static_cast<int>(targetName.size()), targetName.data(),
                               static_cast<int>(targetName.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    std::size_t at = prefix;
    const std::size_t processStart = at;
    while (at < name.size() && IsHexDigit(name[at]))
        ++at;
    if (at == processStart || at - processStart > 8 || at >= name.size() || name[at] != L'-') {
        return false;
    }
    const std::size_t attemptStart = ++at;
    while (at < name.size() && IsDecimalDigit(name[at]))
        ++at;
    if (at == attemptStart || at - attemptStart > 2) {
        return false;
    }
    const std::wstring_view rest(name.data() + at, name.size() - at);
    isBackup = rest == kBackupSuffix;
    return isBackup || rest == kFreshSuffix;
}

// A fresh file beside a target, open for writing with no sharing. It is
// closed and deleted when this goes, unless it was put in place.
class TemporaryFile {
public:
    // Tries a few names made of the target's, the process and a number;
    // Valid() tells whether one could be created.
    TemporaryFile(const std::wstring& target, DWORD attributes)
    {
        for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
            std::wstring candidate = TemporaryName(target, attempt, kFreshSuffix);
            file_.Reset(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
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
            ::DeleteFileW(path_.c_str());
        }
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Valid() const { return file_.Valid(); }
    HANDLE Handle() const { return file_.Get(); }

    // Closes the file and puts it in the target's place.
    bool PutInPlace(const std::wstring& target)
    {
        file_.Reset();
        if (NothingAt(target)) {
            if (::MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
                path_.clear();
                return true;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
                return false;
            }
            // Another program made the file meanwhile: replace it as below.
        }
        return ReplaceExisting(target);
    }

private:
    // ReplaceFileW keeps the old file's attributes and security descriptor.
    // It is given a backup name, so that none of its failures can leave the
    // old file deleted: it either keeps both names, or leaves the old file
    // under the backup name, from where it is moved back here (or, should
    // that fail or the process die first, at the next RemoveLeftovers).
    bool ReplaceExisting(const std::wstring& target)
    {
        std::wstring backup;
        for (unsigned attempt = 0; attempt < kAttempts && backup.empty(); ++attempt) {
            std::wstring candidate = TemporaryName(target, attempt, kBackupSuffix);
            if (NothingAt(candidate)) {
                backup = std::move(candidate);
            }
        }
        if (backup.empty()) {
            return false;
        }
        if (::ReplaceFileW(target.c_str(), path_.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
            path_.clear();
            ::DeleteFileW(backup.c_str());
            return true;
        }
        if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        }
        return false;
    }

    UniqueHandle file_;
    std::wstring path_;
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

// Closes a directory search when it goes.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle()
    {
        if (Valid()) {
            ::FindClose(handle_);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

struct Leftover {
    std::wstring path;
    bool isBackup;
    ULONGLONG written;
};

std::vector<Leftover> LeftoversOf(const std::wstring& target)
{
    std::vector<Leftover> leftovers;
    const std::size_t nameStart = target.find_last_of(L"\\/:") + 1;  // npos + 1 is 0
    const std::wstring folder = target.substr(0, nameStart);
    const std::wstring targetName = target.substr(nameStart);

    WIN32_FIND_DATAW found;
    const FindHandle search(::FindFirstFileW((target + L".*.tmp").c_str(), &found));
    if (!search.Valid()) {
        return leftovers;
    }
    do {
        bool isBackup = false;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsTemporaryNameOf(found.cFileName, targetName, isBackup)) {
            const ULONGLONG written =
                (ULONGLONG{found.ftLastWriteTime.dwHighDateTime} << 32) | found.ftLastWriteTime.dwLowDateTime;
            leftovers.push_back(Leftover{folder + found.cFileName, isBackup, written});
        }
    } while (::FindNextFileW(search.Get(), &found));
    return leftovers;
}

}  // namespace

std::string WinFileStore::SettingsPath()
{
    wchar_t modulePath[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        const DWORD error = length == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        throw std::system_error(static_cast<int>(error), std::system_category(), "GetModuleFileNameW");
    }
    // A "\" or ":" byte never occurs inside a multi-byte UTF-8 character.
    return SettingsPathFromModulePath(Utf8Path(std::wstring(modulePath, length)));
}

void WinFileStore::RemoveLeftovers(const std::string& path)
{
    const std::optional<std::wstring> target = WidePath(path);
    if (!target) {
        return;
    }
    std::vector<Leftover> leftovers = LeftoversOf(*target);

    if (NothingAt(*target)) {
        Leftover* newest = nullptr;
        for (Leftover& leftover : leftovers) {
            if (leftover.isBackup && (newest == nullptr || leftover.written > newest->written)) {
                newest = &leftover;
            }
        }
        if (newest != nullptr && ::MoveFileExW(newest->path.c_str(), target->c_str(), MOVEFILE_WRITE_THROUGH)) {
            newest->path.clear();
        }
    }
    for (const Leftover& leftover : leftovers) {
        if (!leftover.path.empty()) {
            ::DeleteFileW(leftover.path.c_str());
        }
    }
}

bool WinFileStore::FileExists(const std::string& path)
{
    const std::optional<std::wstring> wide = WidePath(path);
    return wide && IsRegularFile(::GetFileAttributesW(wide->c_str()));
}

std::optional<std::string> WinFileStore::ReadAll(const std::string& path)
{
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide) {
        return std::nullopt;
    }
    const UniqueHandle file(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
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
    const std::optional<std::wstring> target = WidePath(path);
    if (!target || target->size() + kLongestSuffix >= MAX_PATH) {
        return false;
    }

    // A read-only file is the user's way of keeping the settings as they
    // are. A move replaces it on some systems; writing it would not.
    const DWORD attributes = ::GetFileAttributesW(target->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }

    // The fresh file starts with the old one's attributes. ReplaceFileW
    // carries them over as well on Windows; wine's does not.
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD fresh =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL;
    TemporaryFile temporary(*target, fresh);
    return temporary.Valid() && WriteWhole(temporary.Handle(), bytes) && ::FlushFileBuffers(temporary.Handle()) &&
           temporary.PutInPlace(*target);
}

bool WinFileStore::AppendAll(const std::string& path, const std::string& bytes)
{
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide || bytes.size() > MAXDWORD) {
        return false;
    }
    // Append-only access makes every write go to the file's current end,
    // even when another program appends meanwhile.
    const UniqueHandle file(::CreateFileW(wide->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const DWORD size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), size, &written, nullptr) && written == size;
}

std::optional<std::uint64_t> WinFileStore::FileSize(const std::string& path)
{
    const std::optional<std::wstring> wide = WidePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!wide || !::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data) ||
        !IsRegularFile(data.dwFileAttributes)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool WinFileStore::MoveReplacing(const std::string& from, const std::string& to)
{
    const std::optional<std::wstring> source = WidePath(from);
    const std::optional<std::wstring> target = WidePath(to);
    return source && target && ::MoveFileExW(source->c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace settings
