#include "settings/win/WinFileStore.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"
#include "settings/win/UniqueHandle.h"
#include "tests/core/settings/PlainSettingsView.h"
#include "tests/win/settings/WideFiles.h"

namespace {

using settings::UniqueHandle;
using settings::WinFileStore;
using settings_test::FileBytes;
using settings_test::Names;
using settings_test::PlainSettingsView;
using settings_test::PutFile;
using settings_test::SettingsValues;
using settings_test::Utf8;
using settings_test::WideTemporaryDirectory;

template <std::size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// A folder name that the Western code page 1252 cannot spell: its ANSI form
// would be "????".
const std::wstring kChineseFolder = L"\u62e8\u53f7\u5de5\u5177";  // 拨号工具

// The Windows store with the settings file in a test directory.
class StoreInDirectory : public WinFileStore {
public:
    explicit StoreInDirectory(const std::wstring& directory) : directory_(Utf8(directory)) {}
    std::string SettingsPath() override { return directory_ + "\\dialup.ini"; }

private:
    std::string directory_;
};

class WinFileStoreTest : public testing::Test {
protected:
    std::wstring PathOf(const std::wstring& name) const { return directory.PathOf(name); }
    std::string Utf8PathOf(const std::wstring& name) const { return Utf8(PathOf(name)); }

    void Put(const std::wstring& name, const std::string& bytes) const { ASSERT_TRUE(PutFile(PathOf(name), bytes)); }

    std::string Content(const std::wstring& name) const { return FileBytes(PathOf(name)).value_or("<cannot open>"); }

    WideTemporaryDirectory directory;
    WinFileStore store;
};

TEST_F(WinFileStoreTest, SettingsFileIsBesideTheExecutable)
{
    wchar_t module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::wstring modulePath(module, length);
    const std::wstring directoryPart = modulePath.substr(0, modulePath.find_last_of(L"\\:") + 1);

    EXPECT_EQ(store.SettingsPath(), Utf8(directoryPart + L"dialup.ini"));
}

TEST_F(WinFileStoreTest, ReplaceAllWritesExactlyTheBytes)
{
    const std::string bytes = Bytes("dialuser=\xd5\xcb\r\n\0\xff\r\n");
    ASSERT_TRUE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), bytes));

    EXPECT_EQ(Content(L"dialup.ini"), bytes);
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST_F(WinFileStoreTest, ReplaceAllReplacesLongerFile)
{
    Put(L"dialup.ini", std::string(5000, 'x'));
    ASSERT_TRUE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), "short\r\n"));

    EXPECT_EQ(Content(L"dialup.ini"), "short\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST_F(WinFileStoreTest, ReplacingKeepsTheHiddenAttribute)
{
    Put(L"dialup.ini", "dialuser=old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(PathOf(L"dialup.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));

    ASSERT_TRUE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), "dialuser=new\r\n"));

    EXPECT_EQ(Content(L"dialup.ini"), "dialuser=new\r\n");
    const DWORD attributes = ::GetFileAttributesW(PathOf(L"dialup.ini").c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u) << std::hex << attributes;
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

// The DACL of a file as SDDL text, or "" when none can be read.
std::wstring DaclOf(const std::wstring& path)
{
    DWORD needed = 0;
    ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0) {
        return {};
    }
    std::vector<unsigned char> descriptor(needed);
    if (!::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) {
        return {};
    }
    wchar_t* text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                                DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return {};
    }
    std::wstring dacl = text;
    ::LocalFree(text);
    return dacl;
}

TEST_F(WinFileStoreTest, ReplacingKeepsTheSecurityDescriptor)
{
    Put(L"dialup.ini", "dialuser=old\r\n");
    PSECURITY_DESCRIPTOR wanted = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1,
                                                                       &wanted, nullptr));
    const BOOL set = ::SetFileSecurityW(PathOf(L"dialup.ini").c_str(), DACL_SECURITY_INFORMATION, wanted);
    ::LocalFree(wanted);
    const std::wstring before = DaclOf(PathOf(L"dialup.ini"));
    if (!set || before.find(L"(A;;FR;;;BU)") == std::wstring::npos) {
        GTEST_SKIP() << "this file system keeps no access lists";
    }

    ASSERT_TRUE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), "dialuser=new\r\n"));

    EXPECT_EQ(Content(L"dialup.ini"), "dialuser=new\r\n");
    EXPECT_EQ(DaclOf(PathOf(L"dialup.ini")), before);
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST_F(WinFileStoreTest, ReadOnlyFileIsNotReplaced)
{
    const std::string old = "dialuser=old\r\n";
    Put(L"dialup.ini", old);
    ASSERT_TRUE(::SetFileAttributesW(PathOf(L"dialup.ini").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), "dialuser=new\r\n"));

    EXPECT_EQ(Content(L"dialup.ini"), old);
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST_F(WinFileStoreTest, DirectoryInTheWayIsNotReplaced)
{
    ASSERT_TRUE(::CreateDirectoryW(PathOf(L"dialup.ini").c_str(), nullptr));

    EXPECT_FALSE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), "a=1\r\n"));
    EXPECT_FALSE(store.FileExists(Utf8PathOf(L"dialup.ini")));
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST_F(WinFileStoreTest, ReplaceAllFailsWithoutItsDirectory)
{
    EXPECT_FALSE(store.ReplaceAll(Utf8PathOf(L"missing\\dialup.ini"), "a=1\r\n"));
    EXPECT_TRUE(directory.EntryNames().empty());
}

TEST_F(WinFileStoreTest, PathsThatAreNoUtf8AreRefused)
{
    const std::string bad = Utf8PathOf(L"dialup") + "\xff.ini";

    EXPECT_FALSE(store.ReplaceAll(bad, "a=1\r\n"));
    EXPECT_FALSE(store.FileExists(bad));
    EXPECT_EQ(store.ReadAll(bad), std::nullopt);
    EXPECT_FALSE(store.AppendAll(bad, "x"));
    EXPECT_EQ(store.FileSize(bad), std::nullopt);
    Put(L"dialup.log", "kept");
    EXPECT_FALSE(store.MoveReplacing(Utf8PathOf(L"dialup.log"), bad));
    EXPECT_FALSE(store.MoveReplacing(bad, Utf8PathOf(L"dialup.log")));
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.log"});
}

// Another program has the file open without letting others write or delete
// it: the replace fails, the file keeps its bytes and nothing is left.
struct HolderCase {
    const char* what;
    DWORD access;
    DWORD share;
};

class HeldFileTest : public WinFileStoreTest, public testing::WithParamInterface<HolderCase> {};

TEST_P(HeldFileTest, FileHeldOpenIsLeftAsItWas)
{
    const std::string old = "dialuser=old\r\n";
    Put(L"dialup.ini", old);
    {
        const UniqueHandle holder(::CreateFileW(PathOf(L"dialup.ini").c_str(), GetParam().access, GetParam().share,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.Valid());

        EXPECT_FALSE(store.ReplaceAll(Utf8PathOf(L"dialup.ini"), "dialuser=new\r\n"));
        EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
    }
    EXPECT_EQ(Content(L"dialup.ini"), old);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, HeldFileTest,
    testing::Values(HolderCase{"reader sharing reads", GENERIC_READ, FILE_SHARE_READ},
                    HolderCase{"writer sharing reads and writes", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
                    HolderCase{"writer sharing nothing", GENERIC_READ | GENERIC_WRITE, 0}),
    [](const testing::TestParamInfo<HolderCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(WinFileStoreTest, ReadAllGivesTheBytesOrNothing)
{
    const std::string bytes = Bytes("x=1\n\0y\xff");
    Put(L"file", bytes);

    EXPECT_TRUE(store.FileExists(Utf8PathOf(L"file")));
    EXPECT_EQ(store.ReadAll(Utf8PathOf(L"file")), bytes);
    EXPECT_FALSE(store.FileExists(Utf8PathOf(L"missing")));
    EXPECT_EQ(store.ReadAll(Utf8PathOf(L"missing")), std::nullopt);
}

TEST_F(WinFileStoreTest, ReadAllSharesOnlyWithReaders)
{
    Put(L"file", "x=1");
    {
        const UniqueHandle reader(::CreateFileW(PathOf(L"file").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader.Valid());
        EXPECT_EQ(store.ReadAll(Utf8PathOf(L"file")), "x=1");
    }
    {
        const UniqueHandle writer(::CreateFileW(PathOf(L"file").c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(writer.Valid());
        EXPECT_EQ(store.ReadAll(Utf8PathOf(L"file")), std::nullopt);
    }
}

TEST_F(WinFileStoreTest, SaveAndLoadThroughRealFiles)
{
    StoreInDirectory settingsStore(directory.Path());
    PlainSettingsView saved;
    saved.values = SettingsValues{2, "me", "pw", "180", "5", false};

    settings::SaveSettings(saved, settingsStore);
    EXPECT_EQ(Content(L"dialup.ini"),
              "dialertext=2\r\ndialuser=me\r\ndialpwd=pw\r\ndialtime=180\r\ndialwainttime=5\r\nstart=0\r\n");

    PlainSettingsView loaded;
    settings::LoadSettings(loaded, settingsStore);
    EXPECT_EQ(loaded.values, saved.values);
}

// The folder's name cannot be spelt in the ANSI code page of a Western
// system; the file's content stays ANSI bytes (here GB2312), untouched.
TEST_F(WinFileStoreTest, FolderNamedOutsideTheAnsiCodePage)
{
    ASSERT_TRUE(::CreateDirectoryW(PathOf(kChineseFolder).c_str(), nullptr));
    StoreInDirectory settingsStore(PathOf(kChineseFolder));
    const std::wstring file = PathOf(kChineseFolder + L"\\dialup.ini");
    ASSERT_TRUE(PutFile(file, "dialuser=\xd5\xc5\xc8\xfd\r\ndialtime=60\r\n"));

    PlainSettingsView view;
    EXPECT_EQ(settings::LoadSettings(view, settingsStore), settings::LoadOutcome::Loaded);
    EXPECT_EQ(view.values.account, "\xd5\xc5\xc8\xfd");
    EXPECT_EQ(view.values.period, "60");

    view.values.password = "\xc3\xdc";
    settings::SaveSettings(view, settingsStore);
    EXPECT_EQ(FileBytes(file), "dialertext=-1\r\ndialuser=\xd5\xc5\xc8\xfd\r\ndialpwd=\xc3\xdc\r\ndialtime=60\r\n"
                               "dialwainttime=5\r\nstart=0\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{kChineseFolder});
}

TEST_F(WinFileStoreTest, FailedSaveLeavesSettingsFileByteIdentical)
{
    StoreInDirectory settingsStore(directory.Path());
    const std::string old = "dialertext=0\r\ndialuser=old\r\nstart=0\r\n";
    Put(L"dialup.ini", old);
    ASSERT_TRUE(::SetFileAttributesW(PathOf(L"dialup.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    PlainSettingsView view;
    view.values = SettingsValues{1, "new", "pw", "180", "5", true};

    settings::SaveSettings(view, settingsStore);

    EXPECT_EQ(Content(L"dialup.ini"), old);
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

// ---- Appending, sizes and moves ---------------------------------------------

TEST_F(WinFileStoreTest, AppendCreatesTheFileAndKeepsWhatItHeld)
{
    ASSERT_TRUE(store.AppendAll(Utf8PathOf(L"dialup.log"), Bytes("first\r\n\0\xff")));
    ASSERT_TRUE(store.AppendAll(Utf8PathOf(L"dialup.log"), "second\r\n"));
    ASSERT_TRUE(store.AppendAll(Utf8PathOf(L"dialup.log"), ""));

    EXPECT_EQ(Content(L"dialup.log"), Bytes("first\r\n\0\xffsecond\r\n"));
    EXPECT_EQ(store.FileSize(Utf8PathOf(L"dialup.log")), 17u);
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.log"});
}

// Another program (a viewer that follows the log, or a second writer)
// holds the file open: appending still works and goes to the end, after
// what the other one wrote.
TEST_F(WinFileStoreTest, AppendSharesTheFileWithReadersAndWriters)
{
    Put(L"dialup.log", "old\r\n");
    {
        const UniqueHandle reader(::CreateFileW(PathOf(L"dialup.log").c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        const UniqueHandle writer(::CreateFileW(PathOf(L"dialup.log").c_str(), FILE_APPEND_DATA,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader.Valid());
        ASSERT_TRUE(writer.Valid());
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(writer.Get(), "theirs\r\n", 8, &written, nullptr));

        ASSERT_TRUE(store.AppendAll(Utf8PathOf(L"dialup.log"), "ours\r\n"));
    }

    EXPECT_EQ(Content(L"dialup.log"), "old\r\ntheirs\r\nours\r\n");
}

TEST_F(WinFileStoreTest, AppendInAFolderNamedOutsideTheAnsiCodePage)
{
    ASSERT_TRUE(::CreateDirectoryW(PathOf(kChineseFolder).c_str(), nullptr));
    const std::string log = Utf8PathOf(kChineseFolder + L"\\dialup.log");
    const std::string rotated = Utf8PathOf(kChineseFolder + L"\\dialup.log.1");

    ASSERT_TRUE(store.AppendAll(log, "\xd5\xc5\r\n"));
    EXPECT_EQ(store.FileSize(log), 4u);
    ASSERT_TRUE(store.MoveReplacing(log, rotated));

    EXPECT_EQ(FileBytes(PathOf(kChineseFolder + L"\\dialup.log.1")), "\xd5\xc5\r\n");
    EXPECT_FALSE(store.FileExists(log));
}

TEST_F(WinFileStoreTest, AppendFailsWhereNoFileCanBeWritten)
{
    ASSERT_TRUE(::CreateDirectoryW(PathOf(L"folder").c_str(), nullptr));

    EXPECT_FALSE(store.AppendAll(Utf8PathOf(L"missing\\dialup.log"), "x"));
    EXPECT_FALSE(store.AppendAll(Utf8PathOf(L"folder"), "x"));

    EXPECT_EQ(directory.EntryNames(), Names{L"folder"});
}

TEST_F(WinFileStoreTest, AppendRefusesAFileHeldWithoutWriteSharing)
{
    Put(L"dialup.log", "kept\r\n");
    const UniqueHandle holder(::CreateFileW(PathOf(L"dialup.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.Valid());

    EXPECT_FALSE(store.AppendAll(Utf8PathOf(L"dialup.log"), "x"));
    EXPECT_EQ(Content(L"dialup.log"), "kept\r\n");
}

TEST_F(WinFileStoreTest, FileSizeOnlyOfRegularFiles)
{
    Put(L"empty", "");
    Put(L"file", std::string(70000, 'x'));
    ASSERT_TRUE(::CreateDirectoryW(PathOf(L"folder").c_str(), nullptr));

    EXPECT_EQ(store.FileSize(Utf8PathOf(L"empty")), 0u);
    EXPECT_EQ(store.FileSize(Utf8PathOf(L"file")), 70000u);
    EXPECT_EQ(store.FileSize(Utf8PathOf(L"folder")), std::nullopt);
    EXPECT_EQ(store.FileSize(Utf8PathOf(L"missing")), std::nullopt);
}

TEST_F(WinFileStoreTest, MoveReplacesAnExistingFile)
{
    Put(L"dialup.log", "new\r\n");
    Put(L"dialup.log.1", "older and longer\r\n");

    ASSERT_TRUE(store.MoveReplacing(Utf8PathOf(L"dialup.log"), Utf8PathOf(L"dialup.log.1")));

    EXPECT_EQ(Content(L"dialup.log.1"), "new\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.log.1"});
}

TEST_F(WinFileStoreTest, FailedMoveLeavesBothNamesAsTheyWere)
{
    Put(L"dialup.log.1", "kept\r\n");
    Put(L"dialup.log", "new\r\n");
    ASSERT_TRUE(::CreateDirectoryW(PathOf(L"folder").c_str(), nullptr));

    EXPECT_FALSE(store.MoveReplacing(Utf8PathOf(L"missing.log"), Utf8PathOf(L"dialup.log.1")));
    EXPECT_FALSE(store.MoveReplacing(Utf8PathOf(L"dialup.log"), Utf8PathOf(L"folder")));

    EXPECT_EQ(Content(L"dialup.log.1"), "kept\r\n");
    EXPECT_EQ(Content(L"dialup.log"), "new\r\n");
    EXPECT_EQ(directory.EntryNames(), (Names{L"dialup.log", L"dialup.log.1", L"folder"}));
}

// ---- Paths near MAX_PATH ---------------------------------------------------

// A settings file at a path of the given length: nested folders made
// through the "\\?\" form, which has no length limit, hold a dialup.ini.
class LongPathTest : public WinFileStoreTest, public testing::WithParamInterface<std::size_t> {
protected:
    void SetUp() override
    {
        std::wstring folder = directory.Path();
        const std::size_t wanted = GetParam() - std::wstring(L"\\dialup.ini").size();
        while (folder.size() < wanted) {
            // Components of at most 100 characters, none of them empty.
            const std::size_t left = wanted - folder.size();
            const std::size_t step = left > 101 ? std::min<std::size_t>(100, left - 3) : left - 1;
            folder += L"\\" + std::wstring(step, L'd');
            ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
        }
        ASSERT_EQ(folder.size(), wanted);
        folder_ = folder;
        ASSERT_TRUE(PutFile(LongForm(L"dialup.ini"), old));
    }

    std::wstring LongForm(const std::wstring& name) const { return L"\\\\?\\" + folder_ + L"\\" + name; }

    Names NamesInFolder() const
    {
        Names names;
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW(LongForm(L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.cFileName[0] != L'.')
                    names.push_back(found.cFileName);
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        return names;
    }

    const std::string old = "dialuser=old\r\n";
    std::wstring folder_;
};

TEST_P(LongPathTest, SaveFailsQuietlyAndLeavesTheFile)
{
    StoreInDirectory settingsStore(folder_);
    PlainSettingsView view;
    view.values = SettingsValues{0, "new", "pw", "180", "5", false};

    settings::SaveSettings(view, settingsStore);

    EXPECT_EQ(FileBytes(LongForm(L"dialup.ini")), old);
    EXPECT_EQ(NamesInFolder(), Names{L"dialup.ini"});
}

// Appending needs no temporary name: only a path of MAX_PATH or more is
// refused, as the platform would refuse it.
TEST_P(LongPathTest, AppendIsRefusedOnlyAtMaxPath)
{
    const std::string path = Utf8(folder_ + L"\\dialup.ini");
    const bool fits = GetParam() < MAX_PATH;

    EXPECT_EQ(store.AppendAll(path, "more\r\n"), fits);
    EXPECT_EQ(store.FileSize(path), fits ? std::optional<std::uint64_t>(old.size() + 6) : std::nullopt);

    EXPECT_EQ(FileBytes(LongForm(L"dialup.ini")), fits ? old + "more\r\n" : old);
    EXPECT_EQ(NamesInFolder(), Names{L"dialup.ini"});
}

// The file's own path reaches MAX_PATH, or only the temporary names beside
// it would.
INSTANTIATE_TEST_SUITE_P(Lengths, LongPathTest,
                         testing::Values(std::size_t{MAX_PATH + 20}, std::size_t{MAX_PATH}, std::size_t{MAX_PATH - 5}));

TEST_F(WinFileStoreTest, PathJustShortEnoughIsSaved)
{
    std::wstring folder = directory.Path();
    const std::size_t wanted = MAX_PATH - 1 - 20 - std::wstring(L"\\dialup.ini").size();
    ASSERT_LT(folder.size() + 2, wanted);
    folder += L"\\" + std::wstring(wanted - folder.size() - 1, L'd');
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));

    EXPECT_TRUE(store.ReplaceAll(Utf8(folder + L"\\dialup.ini"), "a=1\r\n"));
    EXPECT_EQ(FileBytes(folder + L"\\dialup.ini"), "a=1\r\n");
}

// ---- Leftovers of saves cut short ------------------------------------------

TEST_F(WinFileStoreTest, RemovesOnlyItsOwnTemporaryNames)
{
    Put(L"dialup.ini", "dialuser=current\r\n");
    const Names ours{L"dialup.ini.1a2b-0.tmp", L"dialup.ini.ffffffff-99.old.tmp", L"DIALUP.INI.3-1.tmp",
                     L"dialup.ini.0-7.old.tmp"};
    const Names others{L"dialup.ini.tmp",      L"dialup.ini.x-1.tmp",         L"dialup.ini.1-100.tmp",
                       L"dialup.ini.1-1.bak",  L"other.ini.1-1.tmp",          L"dialup.ini.1-1.tmp.txt",
                       L"dialup.ini.1--1.tmp", L"dialup.ini.123456789-1.tmp", L"dialup.ini.1-1.new.tmp",
                       L"dialup.ini.A-1.tmp",  L"xdialup.ini.1-1.tmp",        L"dialup.ini.-1.tmp"};
    for (const auto& name : ours)
        Put(name, "leftover");
    for (const auto& name : others)
        Put(name, "someone else's");
    ASSERT_TRUE(::CreateDirectoryW(PathOf(L"dialup.ini.5-5.tmp").c_str(), nullptr));
    Put(L"dialup.ini.6-6.tmp", "still being written");
    const UniqueHandle writing(::CreateFileW(PathOf(L"dialup.ini.6-6.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writing.Valid());

    store.RemoveLeftovers(Utf8PathOf(L"dialup.ini"));

    Names expected = others;
    expected.insert(expected.end(), {L"dialup.ini", L"dialup.ini.5-5.tmp", L"dialup.ini.6-6.tmp"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(directory.EntryNames(), expected);
    EXPECT_EQ(Content(L"dialup.ini"), "dialuser=current\r\n");
    ::RemoveDirectoryW(PathOf(L"dialup.ini.5-5.tmp").c_str());
}

// A replace cut short between its two renames leaves the old file under
// its backup name and no file under its own: the newest backup goes back.
TEST_F(WinFileStoreTest, PutsBackTheFileLeftUnderItsBackupName)
{
    // The newer one comes last by name: the times decide, not the order.
    Put(L"dialup.ini.10-0.old.tmp", "dialuser=older\r\n");
    Put(L"dialup.ini.20-0.old.tmp", "dialuser=newer\r\n");
    Put(L"dialup.ini.20-0.tmp", "dialuser=half wri");
    FILETIME newer{};
    ::GetSystemTimeAsFileTime(&newer);
    ULARGE_INTEGER anHourEarlier{};
    anHourEarlier.LowPart = newer.dwLowDateTime;
    anHourEarlier.HighPart = newer.dwHighDateTime;
    anHourEarlier.QuadPart -= 36'000'000'000ULL;
    const FILETIME older{anHourEarlier.LowPart, anHourEarlier.HighPart};
    {
        const UniqueHandle a(::CreateFileW(PathOf(L"dialup.ini.10-0.old.tmp").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const UniqueHandle b(::CreateFileW(PathOf(L"dialup.ini.20-0.old.tmp").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(::SetFileTime(a.Get(), nullptr, nullptr, &older));
        ASSERT_TRUE(::SetFileTime(b.Get(), nullptr, nullptr, &newer));
    }

    StoreInDirectory settingsStore(directory.Path());
    PlainSettingsView view;
    EXPECT_EQ(settings::LoadSettings(view, settingsStore), settings::LoadOutcome::Loaded);

    EXPECT_EQ(view.values.account, "newer");
    EXPECT_EQ(Content(L"dialup.ini"), "dialuser=newer\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST_F(WinFileStoreTest, FirstSaveRemovesLeftoversBesideAnExistingFile)
{
    Put(L"dialup.ini", "dialuser=current\r\n");
    Put(L"dialup.ini.99-0.old.tmp", "dialuser=superseded\r\n");
    Put(L"dialup.ini.99-1.tmp", "dialuser=half");
    StoreInDirectory settingsStore(directory.Path());
    PlainSettingsView view;
    view.values.account = "saved";

    settings::SaveSettings(view, settingsStore);

    EXPECT_EQ(Content(L"dialup.ini"),
              "dialertext=-1\r\ndialuser=saved\r\ndialtime=0\r\ndialwainttime=5\r\nstart=0\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{L"dialup.ini"});
}

TEST(UniqueHandleTest, ClosesItsHandle)
{
    HANDLE raw = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    DWORD flags = 0;
    {
        UniqueHandle owner(raw);
        UniqueHandle moved(std::move(owner));
        EXPECT_FALSE(owner.Valid());
        EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    }
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
}

}  // namespace
