#include "tests/core/settings/PosixFileStore.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"
#include "tests/core/settings/PlainSettingsView.h"
#include "tests/core/settings/TemporaryDirectory.h"

namespace {

using settings_test::PlainSettingsView;
using settings_test::PosixFileStore;
using settings_test::SettingsValues;
using settings_test::TemporaryDirectory;
using Names = std::vector<std::string>;

template <std::size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// Files written while this lives may not grow beyond the given size: a
// write past it fails as on a full disk. Works for root too, unlike
// permissions.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return active_; }

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

class PosixFileStoreTest : public testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return directory.Path() + "/" + name; }

    void Put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }

    std::string Content(const std::string& name) const
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TemporaryDirectory directory;
    PosixFileStore store{directory.Path()};
};

TEST_F(PosixFileStoreTest, SettingsFileLivesInTheDirectory)
{
    EXPECT_EQ(store.SettingsPath(), PathOf("dialup.ini"));
}

TEST_F(PosixFileStoreTest, ReplaceAllWritesExactlyTheBytes)
{
    const std::string bytes = Bytes("a=1\r\n\0\xff\xa1\r\n");
    ASSERT_TRUE(store.ReplaceAll(PathOf("dialup.ini"), bytes));

    EXPECT_EQ(Content("dialup.ini"), bytes);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(PosixFileStoreTest, ReplaceAllReplacesLongerFile)
{
    Put("dialup.ini", std::string(1000, 'x'));
    ASSERT_TRUE(store.ReplaceAll(PathOf("dialup.ini"), "short\r\n"));

    EXPECT_EQ(Content("dialup.ini"), "short\r\n");
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(PosixFileStoreTest, ReplaceAllFailsWithoutItsDirectory)
{
    EXPECT_FALSE(store.ReplaceAll(PathOf("missing/dialup.ini"), "a=1\r\n"));
    EXPECT_TRUE(directory.EntryNames().empty());
}

TEST_F(PosixFileStoreTest, FailedWriteLeavesOldFileAndNoLeftovers)
{
    const std::string old = "dialuser=old\r\nstart=1\r\n";
    Put("dialup.ini", old);

    bool replaced = true;
    {
        FileSizeLimit limit(4);
        ASSERT_TRUE(limit.Active());
        replaced = store.ReplaceAll(PathOf("dialup.ini"), std::string(100, 'n'));
    }

    EXPECT_FALSE(replaced);
    EXPECT_EQ(Content("dialup.ini"), old);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(PosixFileStoreTest, FailedSaveLeavesSettingsFileByteIdentical)
{
    const std::string old = "dialertext=0\r\ndialuser=old\r\ndialtime=60\r\nstart=0\r\n";
    Put("dialup.ini", old);
    PlainSettingsView view;
    view.values = SettingsValues{1, "a much longer account name", "password", "180", "5", true};

    {
        FileSizeLimit limit(old.size() / 2);
        ASSERT_TRUE(limit.Active());
        settings::SaveSettings(view, store);
    }

    EXPECT_EQ(Content("dialup.ini"), old);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.ini"});
}

TEST_F(PosixFileStoreTest, OnlyRegularFilesExist)
{
    Put("file", "x");
    ASSERT_EQ(::mkdir(PathOf("dir").c_str(), 0700), 0);

    EXPECT_TRUE(store.FileExists(PathOf("file")));
    EXPECT_FALSE(store.FileExists(PathOf("dir")));
    EXPECT_FALSE(store.FileExists(PathOf("missing")));
}

TEST_F(PosixFileStoreTest, ReadAllGivesTheBytesOrNothing)
{
    const std::string bytes = Bytes("x=1\n\0y\xff");
    Put("file", bytes);
    ASSERT_EQ(::mkdir(PathOf("dir").c_str(), 0700), 0);

    EXPECT_EQ(store.ReadAll(PathOf("file")), bytes);
    EXPECT_EQ(store.ReadAll(PathOf("missing")), std::nullopt);
    EXPECT_EQ(store.ReadAll(PathOf("dir")), std::nullopt);
}

TEST_F(PosixFileStoreTest, SaveAndLoadThroughRealFiles)
{
    PlainSettingsView saved;
    saved.values = SettingsValues{2, "me", "pw", "180", "5", false};
    settings::SaveSettings(saved, store);
    EXPECT_EQ(Content("dialup.ini"),
              "dialertext=2\r\ndialuser=me\r\ndialpwd=pw\r\ndialtime=180\r\ndialwainttime=5\r\nstart=0\r\n");

    PlainSettingsView loaded;
    settings::LoadSettings(loaded, store);
    EXPECT_EQ(loaded.values, saved.values);
}

}  // namespace
