#include "settings/win/WinFileStore.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"
#include "settings/win/UniqueHandle.h"
#include "tests/core/settings/PlainSettingsView.h"

namespace {

using settings::UniqueHandle;
using settings::WinFileStore;
using settings_test::PlainSettingsView;
using settings_test::SettingsValues;
using Names = std::vector<std::string>;

template <std::size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// A fresh directory under the temporary directory, removed with its files
// when this goes.
class TemporaryDirectory {
public:
    TemporaryDirectory()
    {
        char base[MAX_PATH];
        const DWORD length = ::GetTempPathA(MAX_PATH, base);
        if (length == 0 || length >= MAX_PATH) {
            throw std::runtime_error("no temporary directory");
        }
        for (unsigned attempt = 0; path_.empty(); ++attempt) {
            std::string candidate = std::string(base) + "velmora-settings-" + std::to_string(::GetCurrentProcessId())
                                    + "-" + std::to_string(attempt);
            if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
                path_ = candidate;
            } else if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100) {
                throw std::runtime_error("cannot create a temporary directory");
            }
        }
    }

    ~TemporaryDirectory()
    {
        for (const std::string& name : EntryNames()) {
            const std::string file = path_ + "\\" + name;
            ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(file.c_str());
        }
        ::RemoveDirectoryA(path_.c_str());
    }

    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return path_; }

    Names EntryNames() const
    {
        Names names;
        WIN32_FIND_DATAA found;
        const HANDLE search = ::FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

// The Windows store with the settings file in a test directory.
class StoreInDirectory : public WinFileStore {
public:
    explicit StoreInDirectory(std::string directory) : directory_(std::move(directory)) {}
    std::string SettingsPath() override { return directory_ + "\\dialup.ini"; }

private:
    std::string directory_;
};

class WinFileStoreTest : public testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return directory.Path() + "\\" + name; }

    void Put(const std::string& name, const std::string& bytes) const
    {
        const UniqueHandle file(::CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.Valid());
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ASSERT_EQ(written, bytes.size());
    }

    std::string Content(const std::string& name) const
    {
        const UniqueHandle file(::CreateFileA(PathOf(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return "<cannot open>";
        }
        std::string bytes;
        char buffer[512];
        DWORD read = 0;
        while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
            bytes.append(buffer, read);
        }
        return bytes;
    }

    TemporaryDirectory directory;
    WinFileStore store;
};

TEST_F(WinFileStoreTest, SettingsFileIsBesideTheExecutable)
{
    char module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::string modulePath(module, length);
    const std::string directoryPart = modulePath.substr(0, modulePath.find_last_of("\\:") + 1);

    EXPECT_EQ(store.SettingsPath(), directoryPart + "dialup.ini");
}

TEST_F(WinFileStoreTest, ReplaceAllWritesExactlyTheBytes)
{
    const std::string bytes = Bytes("dialuser=\xd5\xcb\r\n\0\xff\r\n");
    ASSERT_TRUE(store.ReplaceAll(PathOf("dialup.ini"), bytes));

    EXPECT_EQ(Content("dialup.ini"), bytes);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(WinFileStoreTest, ReplaceAllReplacesLongerFile)
{
    Put("dialup.ini", std::string(5000, 'x'));
    ASSERT_TRUE(store.ReplaceAll(PathOf("dialup.ini"), "short\r\n"));

    EXPECT_EQ(Content("dialup.ini"), "short\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(WinFileStoreTest, ReadOnlyFileIsNotReplaced)
{
    const std::string old = "dialuser=old\r\n";
    Put("dialup.ini", old);
    ASSERT_TRUE(::SetFileAttributesA(PathOf("dialup.ini").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(store.ReplaceAll(PathOf("dialup.ini"), "dialuser=new\r\n"));

    EXPECT_EQ(Content("dialup.ini"), old);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(WinFileStoreTest, DirectoryInTheWayIsNotReplaced)
{
    ASSERT_TRUE(::CreateDirectoryA(PathOf("dialup.ini").c_str(), nullptr));

    EXPECT_FALSE(store.ReplaceAll(PathOf("dialup.ini"), "a=1\r\n"));
    EXPECT_FALSE(store.FileExists(PathOf("dialup.ini")));
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
    ::RemoveDirectoryA(PathOf("dialup.ini").c_str());
}

TEST_F(WinFileStoreTest, ReplaceAllFailsWithoutItsDirectory)
{
    EXPECT_FALSE(store.ReplaceAll(PathOf("missing\\dialup.ini"), "a=1\r\n"));
    EXPECT_TRUE(directory.EntryNames().empty());
}

TEST_F(WinFileStoreTest, ReadAllGivesTheBytesOrNothing)
{
    const std::string bytes = Bytes("x=1\n\0y\xff");
    Put("file", bytes);

    EXPECT_TRUE(store.FileExists(PathOf("file")));
    EXPECT_EQ(store.ReadAll(PathOf("file")), bytes);
    EXPECT_FALSE(store.FileExists(PathOf("missing")));
    EXPECT_EQ(store.ReadAll(PathOf("missing")), std::nullopt);
}

TEST_F(WinFileStoreTest, ReadAllSharesOnlyWithReaders)
{
    Put("file", "x=1");
    {
        const UniqueHandle reader(::CreateFileA(PathOf("file").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader.Valid());
        EXPECT_EQ(store.ReadAll(PathOf("file")), "x=1");
    }
    {
        const UniqueHandle writer(::CreateFileA(PathOf("file").c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(writer.Valid());
        EXPECT_EQ(store.ReadAll(PathOf("file")), std::nullopt);
    }
}

TEST_F(WinFileStoreTest, SaveAndLoadThroughRealFiles)
{
    StoreInDirectory settingsStore(directory.Path());
    PlainSettingsView saved;
    saved.values = SettingsValues{2, "me", "pw", "180", "5", false};

    settings::SaveSettings(saved, settingsStore);
    EXPECT_EQ(Content("dialup.ini"),
              "dialertext=2\r\ndialuser=me\r\ndialpwd=pw\r\ndialtime=180\r\ndialwainttime=5\r\nstart=0\r\n");

    PlainSettingsView loaded;
    settings::LoadSettings(loaded, settingsStore);
    EXPECT_EQ(loaded.values, saved.values);
}

TEST_F(WinFileStoreTest, FailedSaveLeavesSettingsFileByteIdentical)
{
    StoreInDirectory settingsStore(directory.Path());
    const std::string old = "dialertext=0\r\ndialuser=old\r\nstart=0\r\n";
    Put("dialup.ini", old);
    ASSERT_TRUE(::SetFileAttributesA(PathOf("dialup.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    PlainSettingsView view;
    view.values = SettingsValues{1, "new", "pw", "180", "5", true};

    settings::SaveSettings(view, settingsStore);

    EXPECT_EQ(Content("dialup.ini"), old);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
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
