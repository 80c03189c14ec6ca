#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/core/settings/MemoryFileStore.h"
#include "tests/core/settings/PlainSettingsView.h"

namespace {

using settings::LoadOutcome;
using settings::LoadSettings;
using settings::SaveSettings;
using settings_test::MemoryFileStore;
using settings_test::PlainSettingsView;
using settings_test::SettingsValues;

template <std::size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// The widgets before loading in the table below: every value differs from
// the window's initial ones, so that a value left alone shows.
SettingsValues Before()
{
    return SettingsValues{1, "old-user", "old-pwd", "30", "7", false};
}

class SettingsFileTest : public testing::Test {
protected:
    // The Enable box's click handler saves the settings, as the window's
    // does.
    SettingsFileTest()
    {
        view.onEnabledClick = [this] { SaveSettings(view, store); };
    }

    void WriteFile(const std::string& bytes) { store.files[store.settingsPath] = bytes; }

    MemoryFileStore store;
    PlainSettingsView view{3};
};

// ---- Loading: the rules per key -------------------------------------------

struct LoadCase {
    const char* what;
    std::string file;
    SettingsValues after;
};

void PrintTo(const LoadCase& c, std::ostream* out)
{
    *out << c.what;
}

class LoadSettingsRulesTest : public SettingsFileTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadSettingsRulesTest, AppliesTheFileToTheWidgets)
{
    view.values = Before();
    WriteFile(GetParam().file);

    EXPECT_EQ(LoadSettings(view, store), LoadOutcome::Loaded);

    EXPECT_EQ(view.values.entryIndex, GetParam().after.entryIndex);
    EXPECT_EQ(view.values.account, GetParam().after.account);
    EXPECT_EQ(view.values.password, GetParam().after.password);
    EXPECT_EQ(view.values.period, GetParam().after.period);
    EXPECT_EQ(view.values.pause, GetParam().after.pause);
    EXPECT_EQ(view.values.enabled, GetParam().after.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadSettingsRulesTest,
    testing::Values(
        LoadCase{"all keys",
                 "dialertext=2\r\ndialuser=me\r\ndialpwd=secret\r\ndialtime=180\r\ndialwainttime=9\r\nstart=0\r\n",
                 {2, "me", "secret", "180", "9", false}},
        LoadCase{"empty file", "", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"key in capitals", "DIALUSER=abc", {1, "abc", "old-pwd", "30", "7", false}},
        LoadCase{"blank before the key", " dialuser=abc", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"blank before the =", "dialuser =abc", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"blank after the = is kept", "dialuser= abc", {1, " abc", "old-pwd", "30", "7", false}},
        LoadCase{"first of two lines", "dialpwd=one\r\ndialpwd=two", {1, "", "one", "30", "7", false}},
        LoadCase{"value holding =", "dialpwd=a=b", {1, "", "a=b", "30", "7", false}},
        LoadCase{"blank password not applied", "dialpwd=   ", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"password applied untrimmed", "dialpwd= p w ", {1, "", " p w ", "30", "7", false}},
        LoadCase{"double-byte blank is no blank", "dialpwd=\xa1\xa1", {1, "", "\xa1\xa1", "30", "7", false}},
        LoadCase{"ANSI bytes kept", "dialuser=\xd5\xcb\xba\xc5", {1, "\xd5\xcb\xba\xc5", "old-pwd", "30", "7", false}},
        LoadCase{"entry -1 selects none", "dialertext=-1", {-1, "", "old-pwd", "30", "7", false}},
        LoadCase{"entry past the list selects none", "dialertext=99", {-1, "", "old-pwd", "30", "7", false}},
        LoadCase{"entry abc ignored", "dialertext=abc", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"entry with trailing blank ignored", "dialertext=2 ", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"entry with leading blank", "dialertext= 2", {2, "", "old-pwd", "30", "7", false}},
        LoadCase{"entry in hexadecimal", "dialertext=$2", {2, "", "old-pwd", "30", "7", false}},
        LoadCase{"entry above 32 bits ignored", "dialertext=4294967296", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"blank entry ignored", "dialertext=  ", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"invalid entry, later keys load",
                 "dialertext=zz\r\ndialuser=u\r\ndialtime=60",
                 {1, "u", "old-pwd", "60", "7", false}},
        LoadCase{"period text as it stands", "dialtime=abc", {1, "", "old-pwd", "abc", "7", false}},
        LoadCase{"period untrimmed", "dialtime= 30 ", {1, "", "old-pwd", " 30 ", "7", false}},
        LoadCase{"blank period and pause kept", "dialtime=\t\r\ndialwainttime= ", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"start 1 with blanks", "start= 1\t", {1, "", "old-pwd", "30", "7", true}},
        LoadCase{"start 01", "start=01", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"start true", "start=true", {1, "", "old-pwd", "30", "7", false}},
        LoadCase{"byte-order mark hides line 1",
                 "\xef\xbb\xbf"
                 "dialuser=x\r\ndialpwd=p",
                 {1, "", "p", "30", "7", false}},
        LoadCase{
            "NUL hides the rest", Bytes("dialuser=a\r\n\0dialpwd=b\r\nstart=1"), {1, "a", "old-pwd", "30", "7", false}},
        LoadCase{"other names ignored", "x=1\r\ndialusers=2\r\n[dialup]\r\n", {1, "", "old-pwd", "30", "7", false}}));

TEST_F(SettingsFileTest, EveryKindOfLineEndLoadsAlike)
{
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        const std::string e(end);
        WriteFile("dialertext=0" + e + "dialuser=u" + e + "dialpwd=p" + e + "dialtime=180" + e + "dialwainttime=5" + e +
                  "start=0" + e);
        view.values = SettingsValues{};

        LoadSettings(view, store);

        EXPECT_EQ(view.values, (SettingsValues{0, "u", "p", "180", "5", false}));
    }
}

// ---- Loading: the file's absence and failures ---------------------------

TEST_F(SettingsFileTest, NoFileChangesNothing)
{
    view.values = Before();
    EXPECT_EQ(LoadSettings(view, store), LoadOutcome::NoFile);
    EXPECT_EQ(view.values, Before());
    EXPECT_EQ(store.replaceCalls, 0);
}

TEST_F(SettingsFileTest, UnreadableFileLoadsAsEmpty)
{
    view.values = Before();
    WriteFile("dialuser=u\r\nstart=1\r\n");
    store.readFails = true;

    EXPECT_EQ(LoadSettings(view, store), LoadOutcome::Unreadable);

    SettingsValues expected = Before();
    expected.account = "";
    EXPECT_EQ(view.values, expected);
    EXPECT_EQ(view.clickCount, 0);
}

TEST_F(SettingsFileTest, ReadFailureWithExceptionLoadsAsEmpty)
{
    view.values = Before();
    view.values.enabled = true;
    WriteFile("dialuser=u\r\nstart=1\r\n");
    store.readThrows = true;

    EXPECT_EQ(LoadSettings(view, store), LoadOutcome::Unreadable);

    EXPECT_EQ(view.values.account, "");
    EXPECT_FALSE(view.values.enabled);
}

TEST_F(SettingsFileTest, PathFailureLeavesWidgetsAlone)
{
    view.values = Before();
    WriteFile("dialuser=u");
    store.pathThrows = true;

    LoadSettings(view, store);

    EXPECT_EQ(view.values, Before());
}

// ---- Leftovers of a save cut short ---------------------------------------

TEST_F(SettingsFileTest, LoadPutsBackAFileLeftUnderItsBackupName)
{
    store.backup = "dialuser=kept\r\nstart=0\r\n";

    EXPECT_EQ(LoadSettings(view, store), LoadOutcome::Loaded);

    EXPECT_EQ(store.tidyCalls, 1);
    EXPECT_EQ(view.values.account, "kept");
    EXPECT_EQ(store.SettingsBytes(), "dialuser=kept\r\nstart=0\r\n");
}

TEST_F(SettingsFileTest, SaveTidiesBeforeItWrites)
{
    store.backup = "dialuser=stale\r\n";
    view.values = SettingsValues{0, "new", "", "10", "5", false};

    SaveSettings(view, store);

    EXPECT_EQ(store.tidyCalls, 1);
    EXPECT_FALSE(store.backup.has_value());
    EXPECT_EQ(store.SettingsBytes(), "dialertext=0\r\ndialuser=new\r\ndialtime=10\r\ndialwainttime=5\r\nstart=0\r\n");
}

TEST_F(SettingsFileTest, FailingTidyStillLoadsAndSaves)
{
    WriteFile("dialuser=u\r\n");
    store.tidyThrows = true;

    EXPECT_EQ(LoadSettings(view, store), LoadOutcome::Loaded);
    EXPECT_EQ(view.values.account, "u");

    view.values.account = "v";
    SaveSettings(view, store);
    EXPECT_EQ(store.tidyCalls, 2);
    EXPECT_EQ(store.replaceCalls, 1);
    ASSERT_TRUE(store.SettingsBytes().has_value());
    EXPECT_NE(store.SettingsBytes()->find("\r\ndialuser=v\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, FailingEntrySelectionStillLoadsTheRest)
{
    view.values = Before();
    view.failingSetter = "SetEntryIndex";
    WriteFile("dialertext=0\r\ndialuser=u\r\nstart=1");

    LoadSettings(view, store);

    EXPECT_EQ(view.values.entryIndex, 1);
    EXPECT_EQ(view.values.account, "u");
    EXPECT_TRUE(view.values.enabled);
}

TEST_F(SettingsFileTest, FailingWidgetSkipsTheKeysAfterIt)
{
    view.values = Before();
    view.failingSetter = "SetPasswordText";
    WriteFile("dialertext=0\r\ndialuser=u\r\ndialpwd=p\r\ndialtime=60\r\ndialwainttime=9\r\nstart=1");

    LoadSettings(view, store);

    EXPECT_EQ(view.values, (SettingsValues{0, "u", "old-pwd", "30", "7", false}));
}

// ---- Loading "start" as 1 rewrites the file --------------------------------

TEST_F(SettingsFileTest, TickingEnableBoxWhileLoadingRewritesTheFile)
{
    WriteFile("other=x\r\nstart=1\r\ndialtime=  \r\nDIALUSER=Me\r\ndialertext=2\r\ndialwainttime=\r\n");

    LoadSettings(view, store);

    EXPECT_EQ(view.clickCount, 1);
    EXPECT_EQ(store.replaceCalls, 1);
    EXPECT_EQ(store.SettingsBytes(), "dialertext=2\r\ndialuser=Me\r\ndialtime=0\r\ndialwainttime=5\r\nstart=1\r\n");
}

TEST_F(SettingsFileTest, LoadingWithoutStartOneWritesNothing)
{
    for (const char* file : {"start=0", "start=01", "dialuser=u", ""}) {
        SCOPED_TRACE(file);
        WriteFile(file);
        view.values = SettingsValues{};
        view.clickCount = 0;

        LoadSettings(view, store);

        EXPECT_EQ(view.clickCount, 0);
        EXPECT_EQ(store.replaceCalls, 0);
        EXPECT_EQ(store.SettingsBytes(), file);
    }
}

// ---- Saving ---------------------------------------------------------------

struct SaveCase {
    const char* what;
    SettingsValues values;
    std::string file;
};

void PrintTo(const SaveCase& c, std::ostream* out)
{
    *out << c.what;
}

class SaveSettingsFormatTest : public SettingsFileTest, public testing::WithParamInterface<SaveCase> {};

TEST_P(SaveSettingsFormatTest, WritesKeysInOrderSkippingEmptyValues)
{
    view.values = GetParam().values;
    SaveSettings(view, store);
    EXPECT_EQ(store.SettingsBytes(), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveSettingsFormatTest,
    testing::Values(
        SaveCase{"sample",
                 {0, "me", "pw", "180", "5", true},
                 "dialertext=0\r\ndialuser=me\r\ndialpwd=pw\r\ndialtime=180\r\ndialwainttime=5\r\nstart=1\r\n"},
        SaveCase{"empty password",
                 {0, "me", "", "180", "5", true},
                 "dialertext=0\r\ndialuser=me\r\ndialtime=180\r\ndialwainttime=5\r\nstart=1\r\n"},
        SaveCase{"first run", {}, "dialertext=-1\r\ndialtime=0\r\ndialwainttime=5\r\nstart=0\r\n"},
        SaveCase{"all texts empty", {2, "", "", "", "", false}, "dialertext=2\r\nstart=0\r\n"},
        SaveCase{
            "texts verbatim",
            {1, " a=b ", "   ", "abc", "\xa1\xa1", false},
            "dialertext=1\r\ndialuser= a=b \r\ndialpwd=   \r\ndialtime=abc\r\ndialwainttime=\xa1\xa1\r\nstart=0\r\n"}));

TEST_F(SettingsFileTest, SaveReplacesWholeFile)
{
    WriteFile("dialuser=old\r\nkeepme=1\r\ndialpwd=old\r\n");
    view.values = SettingsValues{0, "new", "", "10", "5", false};

    SaveSettings(view, store);

    EXPECT_EQ(store.SettingsBytes(), "dialertext=0\r\ndialuser=new\r\ndialtime=10\r\ndialwainttime=5\r\nstart=0\r\n");
}

TEST_F(SettingsFileTest, FailedSaveLeavesOldFileByteIdentical)
{
    const std::string old = Bytes("dialuser=old\r\nstart=1\r\n\xa1\xa1\0tail");
    WriteFile(old);
    store.replaceFails = true;
    view.values = SettingsValues{0, "new", "pw", "10", "5", true};

    SaveSettings(view, store);

    EXPECT_EQ(store.replaceCalls, 1);
    EXPECT_EQ(store.SettingsBytes(), old);
    EXPECT_EQ(view.values, (SettingsValues{0, "new", "pw", "10", "5", true}));
}

TEST_F(SettingsFileTest, SaveWithoutPathWritesNothing)
{
    store.pathThrows = true;
    SaveSettings(view, store);
    EXPECT_TRUE(store.files.empty());
}

TEST_F(SettingsFileTest, DirectoryNamedLikeTheFileIsNoFile)
{
    store.directories.insert(store.settingsPath);
    view.values = Before();

    LoadSettings(view, store);
    SaveSettings(view, store);

    EXPECT_EQ(view.values, Before());
    EXPECT_FALSE(store.SettingsBytes().has_value());
}

TEST_F(SettingsFileTest, SaveThenLoadGivesTheSameWidgets)
{
    const SettingsValues saved{2, "user name", "p=w \xb0\xa1", "3600", "12", true};
    view.values = saved;
    SaveSettings(view, store);

    PlainSettingsView fresh{3};
    LoadSettings(fresh, store);

    EXPECT_EQ(fresh.values, saved);
}

}  // namespace
