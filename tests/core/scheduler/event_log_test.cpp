#include "scheduler/EventLogFile.h"

#include <gtest/gtest.h>

#include <string>

#include "scheduler/AddressText.h"
#include "scheduler/LocalTime.h"
#include "tests/core/settings/MemoryFileStore.h"

namespace scheduler {
namespace {

constexpr const char* kLog = "C:\\Velmora\\dialup.log";
constexpr const char* kOlder = "C:\\Velmora\\dialup.log.1";

RedialEvent Event(EventKind kind, std::string address = {}, std::string text = {})
{
    RedialEvent event;
    event.time = LocalTime{2026, 12, 10, 10, 26, 37, 250};
    event.kind = kind;
    event.entry = "ADSL";
    event.address = std::move(address);
    event.text = std::move(text);
    return event;
}

TEST(EventLogFile, WritesOneTabSeparatedLineEndedByCrLf)
{
    RedialEvent failed = Event(EventKind::Failed, "", "denied\tby\r\nthe server");
    failed.code = 691;
    failed.publicAddress = "203.0.113.7";
    EXPECT_EQ(EventLogFile::LineOf(failed),
              "2026-12-10 10:26:37.250\tfailed\tADSL\t\t203.0.113.7\t691\tdenied by  the server\r\n");
    EXPECT_EQ(EventLogFile::LineOf(Event(EventKind::SameAddress, "10.0.0.1")),
              "2026-12-10 10:26:37.250\tsame-address\tADSL\t10.0.0.1\t\t\t\r\n");
}

TEST(EventLogFile, AppendsAndStartsANewFileBeforeOneMebibyte)
{
    settings_test::MemoryFileStore store;
    EventLogFile log(store);
    const std::string line = EventLogFile::LineOf(Event(EventKind::Dial));
    store.files[kLog] = "earlier\r\n";
    ASSERT_TRUE(log.Append(Event(EventKind::Dial)));
    EXPECT_EQ(store.files[kLog], "earlier\r\n" + line);

    // One byte short of room for the next line: the file moves aside.
    store.files[kLog] = std::string(EventLogFile::kRotateSize - line.size() + 1, 'x');
    store.files[kOlder] = "the older one";
    const std::string full = store.files[kLog];
    ASSERT_TRUE(log.Append(Event(EventKind::Dial)));
    EXPECT_EQ(store.files[kOlder], full);
    EXPECT_EQ(store.files[kLog], line);

    // Exactly full fits.
    store.files[kLog] = std::string(EventLogFile::kRotateSize - line.size(), 'x');
    ASSERT_TRUE(log.Append(Event(EventKind::Dial)));
    EXPECT_EQ(store.files[kLog].size(), EventLogFile::kRotateSize);
}

TEST(EventLogFile, AFailedAppendLosesThatLineOnly)
{
    settings_test::MemoryFileStore store;
    EventLogFile log(store);
    store.appendFails = true;
    EXPECT_FALSE(log.Append(Event(EventKind::Dial)));
    store.appendFails = false;
    EXPECT_TRUE(log.Append(Event(EventKind::HangUp)));
    EXPECT_EQ(store.files[kLog], EventLogFile::LineOf(Event(EventKind::HangUp)));

    // A rename that fails keeps the line in the full file.
    store.moveFails = true;
    store.files[kLog] = std::string(EventLogFile::kRotateSize, 'x');
    EXPECT_TRUE(log.Append(Event(EventKind::Dial)));
    EXPECT_GT(store.files[kLog].size(), EventLogFile::kRotateSize);
}

TEST(EventLogFile, ReadsTheConnectedAddressesOfBothFiles)
{
    settings_test::MemoryFileStore store;
    EventLogFile log(store);
    store.files[kOlder] = "2026-12-09 08:00:00.000\tconnected\tADSL\t10.0.0.1\t203.0.113.1\t\t\r\n";
    store.files[kLog] = "2026-12-10 09:00:00.000\tconnected\tADSL\t10.0.0.2\t\t\t\n"  // a lone LF
                        "2026-12-10 09:00:01.000\tdial\tADSL\t\t\t\t\r\n"
                        "2026-13-10 09:00:00.000\tconnected\tADSL\t10.0.0.3\t\t\t\r\n"  // no such month
                        "2026-12-10 09:00:02.000\tconnected\tADSL\t\t\t\t\r\n"          // no address
                        "rubbish\r\n";
    const std::vector<AddressSeen> seen = log.ConnectedAddresses();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].address, "203.0.113.1");
    EXPECT_EQ(seen[1].address, "10.0.0.2");
    EXPECT_EQ(seen[1].milliseconds - seen[0].milliseconds, 25 * 3600 * 1000);
}

TEST(LocalTime, FormatsParsesAndCountsAcrossMonthsAndYears)
{
    const LocalTime time{2024, 2, 29, 23, 59, 58, 7};
    EXPECT_EQ(FormatLogTime(time), "2024-02-29 23:59:58.007");
    EXPECT_EQ(FormatIsoTime(time), "2024-02-29T23:59:58.007");
    EXPECT_EQ(FormatClockTime(time), "23:59:58");
    EXPECT_EQ(ParseLogTime(FormatLogTime(time)), time);
    for (const char* bad : {"2023-02-29 00:00:00.000", "2026-12-10 24:00:00.000", "2026-12-10 10:26:37",
                            "2026-12-10T10:26:37.250", "2026-1a-10 10:26:37.250", ""}) {
        EXPECT_FALSE(ParseLogTime(bad)) << bad;
    }
    EXPECT_EQ(MillisecondsOf(LocalTime{1970, 1, 1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(MillisecondsOf(LocalTime{2027, 1, 1, 0, 0, 0, 0}) - MillisecondsOf(LocalTime{2026, 12, 31, 23, 0, 0, 0}),
              3600 * 1000);
    EXPECT_EQ(MillisecondsOf(LocalTime{2024, 3, 1}) - MillisecondsOf(LocalTime{2024, 2, 28}), 2 * 86400 * 1000);
}

TEST(FirstIPv4, FindsTheFirstWholeDottedAddress)
{
    const struct {
        const char* text;
        const char* address;
    } cases[] = {
        {"203.0.113.7", "203.0.113.7"},
        {"203.0.113.7\n", "203.0.113.7"},
        {"{\"ip\":\"198.51.100.20\"}", "198.51.100.20"},
        {"<b>Your IP: 8.8.4.4</b> via 1.1.1.1", "8.8.4.4"},
        {"version 1.2.3 then 10.0.0.1", "10.0.0.1"},
        {"256.1.1.1 1.2.3.4", "1.2.3.4"},
        {"1.2.3.4.5 9.9.9.9", "9.9.9.9"},
        {"01.2.3.4", ""},
        {"1.2.3.1234", ""},
        {"1.2.3.", ""},
        {"no address here", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstIPv4(c.text), c.address) << c.text;
    }
}

}  // namespace
}  // namespace scheduler
