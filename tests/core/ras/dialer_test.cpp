#include "ras/Dialer.h"

#include <gtest/gtest.h>

#include "tests/core/ras/ScriptedRasService.h"

namespace ras {
namespace {

using testing::ScriptedRasService;

std::vector<std::string> Names(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back("Entry " + std::to_string(i));
    return names;
}

TEST(TDialer, JoinsNamesInOrderEachFollowedByAComma)
{
    ScriptedRasService service;
    service.phonebook = {"B", "A"};
    TDialer dialer(service);
    EXPECT_EQ(dialer.GetEntriesText(), "B,A,");
    EXPECT_EQ(dialer.EntryCount, 2);
    EXPECT_EQ(dialer.Entries.size(), TDialer::kEntrySlots);
    ASSERT_EQ(service.enumEntryByteCounts.size(), 1u);
    EXPECT_EQ(service.enumEntryByteCounts[0], 4224u);
}

TEST(TDialer, AnEmptyPhonebookGivesAnEmptyText)
{
    ScriptedRasService service;
    TDialer dialer(service);
    EXPECT_EQ(dialer.GetEntriesText(), "");
    EXPECT_EQ(dialer.EntryCount, 0);
}

TEST(EntryBoxItems, ListsEveryEntryOfALargePhonebook)
{
    for (int count : {16, 17, 40}) {
        ScriptedRasService service;
        service.phonebook = Names(count);
        EXPECT_EQ(EntryBoxItems(service), service.phonebook) << count << " entries";
    }
}

TEST(EntryBoxItems, KeepsEveryNameByteForByte)
{
    ScriptedRasService service;
    service.phonebook = {std::string(256, 'N'), "\xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3", "Home, ADSL", "a,,b,"};
    EXPECT_EQ(EntryBoxItems(service), service.phonebook);
}

TEST(EntryBoxItems, AnUnreadablePhonebookGivesNoItems)
{
    struct FailingService : ScriptedRasService {
        DWORD EnumEntries(const char*, const char*, RASENTRYNAMEA*, DWORD*, DWORD*) override { return 1; }
    } service;
    service.phonebook = {"A"};
    EXPECT_TRUE(EntryBoxItems(service).empty());
}

}  // namespace
}  // namespace ras
