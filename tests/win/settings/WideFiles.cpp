#include "tests/win/settings/WideFiles.h"

#include <algorithm>
#include <stdexcept>

#include "settings/win/UniqueHandle.h"
#include "ui/AnsiText.h"

namespace settings_test {

std::string Utf8(const std::wstring& text)
{
    return ui::Utf8FromWide(text);
}

std::wstring Wide(const std::string& utf8)
{
    return ui::WideFromBytes(utf8, ui::kUtf8CodePage);
}

WideTemporaryDirectory::WideTemporaryDirectory(const std::wstring& stem)
{
    wchar_t base[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, base);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("no temporary directory");
    }
    for (unsigned attempt = 0; path_.empty(); ++attempt) {
        std::wstring candidate = std::wstring(base) + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(attempt);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
        } else if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100) {
            throw std::runtime_error("cannot create a temporary directory");
        }
    }
}

WideTemporaryDirectory::~WideTemporaryDirectory()
{
    RemoveTree(path_);
}

Names WideTemporaryDirectory::EntryNames() const
{
    Names names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(child);
            } else {
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

bool PutFile(const std::wstring& path, const std::string& bytes)
{
    const settings::UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.Valid() && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::optional<std::string> FileBytes(const std::wstring& path)
{
    const settings::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

}  // namespace settings_test
