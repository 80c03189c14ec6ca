// Small helpers of the Windows settings tests: a fresh folder (named in
// any script) removed with its files when it goes, and whole-file reads and
// writes through the wide file API.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace settings_test {

using Names = std::vector<std::wstring>;

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

class WideTemporaryDirectory {
public:
    // A folder under the temporary folder whose name starts with the stem.
    explicit WideTemporaryDirectory(const std::wstring& stem = L"velmora-settings");
    ~WideTemporaryDirectory();
    WideTemporaryDirectory(const WideTemporaryDirectory&) = delete;
    WideTemporaryDirectory& operator=(const WideTemporaryDirectory&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring PathOf(const std::wstring& name) const { return path_ + L"\\" + name; }

    // The names in the folder, sorted; "." and ".." left out.
    Names EntryNames() const;

private:
    std::wstring path_;
};

// Removes a folder with everything in it; the path may be a "\\?\" one.
void RemoveTree(const std::wstring& path);

bool PutFile(const std::wstring& path, const std::string& bytes);
std::optional<std::string> FileBytes(const std::wstring& path);

}  // namespace settings_test
