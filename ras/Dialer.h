// The phonebook entry list: the names of the default phonebook's entries,
// in the service's order, each kept byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ras/RasService.h"

namespace ras {

class TDialer {
public:
    // Room for 16 names at first; the buffer grows when the service asks
    // for more.
    static constexpr std::size_t kInitialEntries = 16;
    static constexpr std::size_t kEntrySlots = 20;

    explicit TDialer(RasService& service) : service_(service) {}

    // Fills Entries and EntryCount from the service. On a failure both are
    // left as they were.
    void LoadEntries();

    // Loads the entries and joins them, each followed by ",".
    std::string GetEntriesText();

    std::vector<std::string> Entries;
    std::int32_t EntryCount = 0;

private:
    RasService& service_;
};

// The items of the entry box: one per phonebook entry, in order, each the
// entry name's exact bytes (a name holding a comma stays one item). Empty
// when the phonebook cannot be read.
std::vector<std::string> EntryBoxItems(RasService& service);

}  // namespace ras
