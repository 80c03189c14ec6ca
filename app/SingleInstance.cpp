#include "app/SingleInstance.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "ui/WindowProtocol.h"

namespace app {

namespace {

constexpr DWORD kWindowWaitMs = 5000;
constexpr DWORD kPollMs = 50;

// The folder part of a full path, without its last backslash.
std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring ExePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

// A folder as Windows compares it: long names for short ones, upper case.
std::wstring ComparableFolder(const std::wstring& folder)
{
    std::wstring comparable = folder;
    const DWORD needed = ::GetLongPathNameW(folder.c_str(), nullptr, 0);
    if (needed > 0) {
        std::wstring expanded(needed, L'\0');
        const DWORD length = ::GetLongPathNameW(folder.c_str(), expanded.data(), needed);
        if (length > 0 && length < needed) {
            expanded.resize(length);
            comparable = std::move(expanded);
        }
    }
    while (comparable.size() > 1 && (comparable.back() == L'\\' || comparable.back() == L'/')) {
        comparable.pop_back();
    }
    for (wchar_t& c : comparable) {
        if (c == L'/')
            c = L'\\';
    }
    if (!comparable.empty()) {
        ::CharUpperBuffW(comparable.data(), static_cast<DWORD>(comparable.size()));
    }
    return comparable;
}

std::wstring ImageFolderOf(DWORD process)
{
    const settings::UniqueHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) {
        return {};
    }
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(handle.Get(), 0, path.data(), &size)) {
        return {};
    }
    path.resize(size);
    return ComparableFolder(FolderOf(path));
}

struct WindowSearch {
    std::wstring folder;  // comparable
    HWND found = nullptr;
    DWORD process = 0;
};

BOOL CALLBACK LookAtWindow(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    wchar_t className[64];
    if (::GetClassNameW(window, className, 64) == 0 || std::wcscmp(className, ui::kMainWindowClass) != 0) {
        return TRUE;
    }
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == 0 || process == ::GetCurrentProcessId() || ImageFolderOf(process) != search.folder) {
        return TRUE;
    }
    search.found = window;
    search.process = process;
    return FALSE;
}

// The running program's window, shown as its tray icon's double-click
// shows it. False when there is no such window (yet).
bool BringUpWindowOf(const std::wstring& comparableFolder)
{
    WindowSearch search{comparableFolder};
    ::EnumWindows(&LookAtWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        return false;
    }
    ::AllowSetForegroundWindow(search.process);
    return ::PostMessageW(search.found, ui::kTrayMessage, ui::kTrayIconId, ui::kTrayDoubleClick) != FALSE;
}

bool Owned(DWORD waitResult)
{
    return waitResult == WAIT_OBJECT_0 || waitResult == WAIT_ABANDONED;
}

// The name of a folder's mutex: the same for every spelling Windows takes
// for the same folder (letter case, short names), and free of backslashes.
std::wstring FolderMutexName(const std::wstring& folder)
{
    // FNV-1a over the comparable folder's UTF-16 units.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const wchar_t c : ComparableFolder(folder)) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Velmora-folder-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

FolderClaim::~FolderClaim()
{
    if (mutex_) {
        ::ReleaseMutex(mutex_.Get());
    }
}

std::optional<FolderClaim> ClaimExeFolder()
{
    const std::wstring folder = FolderOf(ExePath());
    if (folder.empty()) {
        // Without a path there is no folder to share: run.
        return FolderClaim(settings::UniqueHandle());
    }

    settings::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, FolderMutexName(folder).c_str()));
    if (!mutex) {
        // A mutex of that name that we may not open belongs to a program of
        // another user or integrity level from this folder: leave it alone.
        // Any other failure leaves us no way to tell, and we run.
        if (::GetLastError() != ERROR_ACCESS_DENIED) {
            return FolderClaim(settings::UniqueHandle());
        }
        BringUpWindowOf(ComparableFolder(folder));
        return std::nullopt;
    }
    if (Owned(::WaitForSingleObject(mutex.Get(), 0))) {
        return FolderClaim(std::move(mutex));
    }

    // Another program holds the folder. It may not have made its window
    // yet; it may also be on its way out, and then the folder is ours.
    const std::wstring comparable = ComparableFolder(folder);
    const ULONGLONG until = ::GetTickCount64() + kWindowWaitMs;
    for (;;) {
        if (BringUpWindowOf(comparable)) {
            return std::nullopt;
        }
        if (Owned(::WaitForSingleObject(mutex.Get(), kPollMs))) {
            return FolderClaim(std::move(mutex));
        }
        if (::GetTickCount64() >= until) {
            return std::nullopt;
        }
    }
}

}  // namespace app
