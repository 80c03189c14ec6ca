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

TEST_F(PosixFileStoreTest, AppendCreatesTheFileAndKeepsWhatItHeld)
{
    ASSERT_TRUE(store.AppendAll(PathOf("dialup.log"), Bytes("first\r\n\0\xff")));
    ASSERT_TRUE(store.AppendAll(PathOf("dialup.log"), "second\r\n"));
    ASSERT_TRUE(store.AppendAll(PathOf("dialup.log"), ""));

    EXPECT_EQ(Content("dialup.log"), Bytes("first\r\n\0\xffsecond\r\n"));
    EXPECT_EQ(store.FileSize(PathOf("dialup.log")), 17u);
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.log"});
}

TEST_F(PosixFileStoreTest, AppendGoesAfterWhatAnotherWriterAdded)
{
    Put("dialup.log", "old\n");
    std::ofstream other(PathOf("dialup.log"), std::ios::binary | std::ios::app);
    other << "theirs\n" << std::flush;

    ASSERT_TRUE(store.AppendAll(PathOf("dialup.log"), "ours\n"));

    EXPECT_EQ(Content("dialup.log"), "old\ntheirs\nours\n");
}

// A folder named in another script: the paths are UTF-8 bytes.
TEST_F(PosixFileStoreTest, AppendAndMoveInAWideNamedFolder)
{
    const std::string folder = PathOf("\xe6\x8b\xa8\xe5\x8f\xb7");  // 拨号
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);

    ASSERT_TRUE(store.AppendAll(folder + "/dialup.log", "line\n"));
    ASSERT_TRUE(store.MoveReplacing(folder + "/dialup.log", folder + "/dialup.log.1"));

    EXPECT_EQ(store.ReadAll(folder + "/dialup.log.1"), "line\n");
    EXPECT_FALSE(store.FileExists(folder + "/dialup.log"));
}

TEST_F(PosixFileStoreTest, AppendFailsWhereNoFileCanBeWritten)
{
    ASSERT_EQ(::mkdir(PathOf("dir").c_str(), 0700), 0);
    Put("full.log", "kept\n");

    EXPECT_FALSE(store.AppendAll(PathOf("missing/dialup.log"), "x"));
    EXPECT_FALSE(store.AppendAll(PathOf("dir"), "x"));
    {
        // A disk that takes only part of the line: the write is reported
        // as failed.
        FileSizeLimit limit(8);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(store.AppendAll(PathOf("full.log"), "a longer line\n"));
    }

    EXPECT_EQ(directory.EntryNames(), (Names{"dir", "full.log"}));
}

TEST_F(PosixFileStoreTest, FileSizeOnlyOfRegularFiles)
{
    Put("empty", "");
    Put("file", std::string(70000, 'x'));
    ASSERT_EQ(::mkdir(PathOf("dir").c_str(), 0700), 0);

    EXPECT_EQ(store.FileSize(PathOf("empty")), 0u);
    EXPECT_EQ(store.FileSize(PathOf("file")), 70000u);
    EXPECT_EQ(store.FileSize(PathOf("dir")), std::nullopt);
    EXPECT_EQ(store.FileSize(PathOf("missing")), std::nullopt);
}

TEST_F(PosixFileStoreTest, MoveReplacesAnExistingFile)
{
    Put("dialup.log", "new\n");
    Put("dialup.log.1", "older and longer\n");

    ASSERT_TRUE(store.MoveReplacing(PathOf("dialup.log"), PathOf("dialup.log.1")));

    EXPECT_EQ(Content("dialup.log.1"), "new\n");
    EXPECT_EQ(directory.EntryNames(), Names{"dialup.log.1"});
}

TEST_F(PosixFileStoreTest, FailedMoveLeavesBothNamesAsTheyWere)
{
    Put("dialup.log.1", "kept\n");
    Put("dialup.log", "new\n");
    ASSERT_EQ(::mkdir(PathOf("dir").c_str(), 0700), 0);

    EXPECT_FALSE(store.MoveReplacing(PathOf("missing.log"), PathOf("dialup.log.1")));
    EXPECT_FALSE(store.MoveReplacing(PathOf("dialup.log"), PathOf("dir")));

    EXPECT_EQ(Content("dialup.log.1"), "kept\n");
    EXPECT_EQ(Content("dialup.log"), "new\n");
    EXPECT_EQ(directory.EntryNames(), (Names{"dialup.log", "dialup.log.1", "dir"}));
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
