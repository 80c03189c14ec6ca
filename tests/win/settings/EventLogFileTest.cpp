// dialup.log through the Windows file store: lines appended to what is
// there, and the move to dialup.log.1 before the file would pass 1 MiB, in
// a folder named in Chinese.
#include "scheduler/EventLogFile.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/win/WinFileStore.h"
#include "tests/win/settings/WideFiles.h"

namespace {

using settings_test::FileBytes;
using settings_test::PutFile;
using settings_test::Utf8;
using settings_test::WideTemporaryDirectory;

class StoreInFolder : public settings::WinFileStore {
public:
    explicit StoreInFolder(const std::wstring& folder) : folder_(Utf8(folder)) {}
    std::string SettingsPath() override { return folder_ + "\\dialup.ini"; }

private:
    std::string folder_;
};

scheduler::RedialEvent Connected(const std::string& address)
{
    scheduler::RedialEvent event;
    event.time = scheduler::LocalTime{2026, 12, 10, 10, 26, 37, 250};
    event.kind = scheduler::EventKind::Connected;
    event.entry = "ADSL";
    event.address = address;
    return event;
}

TEST(EventLogFileOnWindows, AppendsAndMovesTheFullFileAside)
{
    WideTemporaryDirectory folder(L"velmora-log-\u62e8\u53f7");
    StoreInFolder store(folder.Path());
    scheduler::EventLogFile log(store);
    const std::wstring current = folder.PathOf(L"dialup.log");
    const std::wstring older = folder.PathOf(L"dialup.log.1");

    ASSERT_TRUE(log.Append(Connected("10.0.0.1")));
    ASSERT_TRUE(log.Append(Connected("10.0.0.2")));
    const std::string two =
        scheduler::EventLogFile::LineOf(Connected("10.0.0.1")) + scheduler::EventLogFile::LineOf(Connected("10.0.0.2"));
    EXPECT_EQ(FileBytes(current), two);

    // Nearly full: the next line goes into a new file, the full one becomes
    // dialup.log.1 (replacing the one there).
    const std::string full(scheduler::EventLogFile::kRotateSize - 10, 'x');
    ASSERT_TRUE(PutFile(current, full));
    ASSERT_TRUE(PutFile(older, "the oldest"));
    ASSERT_TRUE(log.Append(Connected("10.0.0.3")));
    EXPECT_EQ(FileBytes(older), full);
    EXPECT_EQ(FileBytes(current), scheduler::EventLogFile::LineOf(Connected("10.0.0.3")));

    // Both files are read back for the addresses of earlier runs.
    const std::vector<scheduler::AddressSeen> seen = log.ConnectedAddresses();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].address, "10.0.0.3");
}

}  // namespace
