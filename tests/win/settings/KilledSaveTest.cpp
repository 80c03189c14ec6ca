// The save loop is killed again and again in the middle of its saves: each
// time, the next load finds a whole file, as one of the saves wrote it, and
// no temporary file survives that load.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "settings/LineList.h"
#include "settings/SettingsFile.h"
#include "settings/win/UniqueHandle.h"
#include "tests/core/settings/MemoryFileStore.h"
#include "tests/win/settings/SaveLoop.h"

namespace {

using settings::UniqueHandle;
using settings_test::NthSave;
using settings_test::PlainSettingsView;
using settings_test::StoreInFolder;

std::wstring HelperPath()
{
    wchar_t module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"settings_save_loop.exe";
}

// The bytes SaveSettings writes for the n-th save.
std::string TextOfSave(long n)
{
    settings_test::MemoryFileStore memory;
    PlainSettingsView view;
    view.values = NthSave(n);
    settings::SaveSettings(view, memory);
    return memory.SettingsBytes().value_or("");
}

// The number of the save whose bytes these are exactly; nothing for a file
// no save wrote (cut short, or two mixed).
std::optional<long> SaveNumberOf(const std::string& bytes)
{
    const std::string account = settings::LineList::FromText(bytes).Value("dialuser");
    if (account.rfind("user-", 0) != 0) {
        return std::nullopt;
    }
    const long n = std::strtol(account.c_str() + 5, nullptr, 10);
    if (n < 0 || TextOfSave(n) != bytes) {
        return std::nullopt;
    }
    return n;
}

// The number of the save now in the file; 0 while none can be read whole.
long SaveNumberNow(const std::wstring& file)
{
    const std::optional<std::string> bytes = settings_test::FileBytes(file);
    return bytes ? SaveNumberOf(*bytes).value_or(0) : 0;
}

TEST(KilledSaveTest, EveryKillLeavesAWholeFile)
{
    constexpr int kKills = 12;
    settings_test::WideTemporaryDirectory directory(L"velmora-killed-save");
    const std::wstring file = directory.PathOf(L"dialup.ini");
    StoreInFolder store(directory.Path());
    {
        PlainSettingsView first;
        first.values = NthSave(0);
        settings::SaveSettings(first, store);
    }
    std::set<long> seen;
    std::minstd_rand random(20261210);
    std::uniform_int_distribution<DWORD> delayMs(0, 40);

    for (int kill = 0; kill < kKills; ++kill) {
        std::wstring commandLine = L"\"" + HelperPath() + L"\" \"" + directory.Path() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &started))
            << ::GetLastError();
        const UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);

        // Once the loop's first save is in place, the kill lands among its
        // saves.
        const ULONGLONG until = ::GetTickCount64() + 10000;
        while (SaveNumberNow(file) == 0 && ::GetTickCount64() < until) {
            ::Sleep(5);
        }
        ::Sleep(delayMs(random));
        ASSERT_TRUE(::TerminateProcess(process.Get(), 9));
        ASSERT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);

        PlainSettingsView loaded;
        EXPECT_EQ(settings::LoadSettings(loaded, store), settings::LoadOutcome::Loaded) << "kill " << kill;
        const std::optional<std::string> bytes = settings_test::FileBytes(file);
        ASSERT_TRUE(bytes.has_value()) << "kill " << kill;
        const std::optional<long> n = SaveNumberOf(*bytes);
        ASSERT_TRUE(n.has_value()) << "kill " << kill << ": " << bytes->size() << " bytes, not a whole save";
        EXPECT_GT(*n, 0) << "kill " << kill << ": the loop had not saved yet";
        EXPECT_EQ(loaded.values, NthSave(*n));
        EXPECT_EQ(directory.EntryNames(), settings_test::Names{L"dialup.ini"}) << "kill " << kill;
        seen.insert(*n);

        // The next loop starts from save 0 again.
        PlainSettingsView reset;
        reset.values = NthSave(0);
        settings::SaveSettings(reset, store);
        ASSERT_EQ(SaveNumberNow(file), 0);
    }
    std::printf("kills at saves:");
    for (const long n : seen)
        std::printf(" %ld", n);
    std::printf("\n");
}

}  // namespace
