// What the save-loop helper writes: the n-th save's widget values, and the
// store that puts dialup.ini in a given folder.
#pragma once

#include <string>

#include "settings/win/WinFileStore.h"
#include "tests/core/settings/PlainSettingsView.h"
#include "tests/win/settings/WideFiles.h"

namespace settings_test {

inline SettingsValues NthSave(long n)
{
    // A long password makes each file a few kilobytes, so that a kill may
    // land inside a write.
    return SettingsValues{static_cast<int>(n % 3),
                          "user-" + std::to_string(n),
                          std::string(4000, static_cast<char>('a' + n % 26)),
                          std::to_string(60 + n % 100),
                          "5",
                          n % 2 == 0};
}

class StoreInFolder : public settings::WinFileStore {
public:
    explicit StoreInFolder(const std::wstring& folder) : file_(Utf8(folder) + "\\dialup.ini") {}
    std::string SettingsPath() override { return file_; }

private:
    std::string file_;
};

}  // namespace settings_test
