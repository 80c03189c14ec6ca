#include "ras/Dialer.h"

#include "ras/FieldText.h"

#include <algorithm>
#include <cstring>

namespace ras {
namespace {

// The most entries the buffer is ever grown to, whatever the service asks for.
constexpr std::size_t kMaxEntries = 65536;

}  // namespace

void TDialer::LoadEntries()
{
    if (Entries.size() < kEntrySlots)
        Entries.resize(kEntrySlots);

    std::vector<RASENTRYNAMEA> buffer(kInitialEntries);
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::fill(buffer.begin(), buffer.end(), RASENTRYNAMEA{});
        buffer[0].dwSize = sizeof(RASENTRYNAMEA);
        DWORD byteCount = static_cast<DWORD>(buffer.size() * sizeof(RASENTRYNAMEA));
        DWORD count = 0;
        const DWORD result = service_.EnumEntries(nullptr, nullptr, buffer.data(), &byteCount, &count);
        if (result == SUCCESS) {
            const std::size_t valid = std::min<std::size_t>(count, buffer.size());
            if (Entries.size() < valid)
                Entries.resize(valid);
            for (std::size_t i = 0; i < valid; ++i) {
                Entries[i] = FieldText(buffer[i].szEntryName, sizeof buffer[i].szEntryName);
            }
            EntryCount = static_cast<std::int32_t>(valid);
            return;
        }
        // A phonebook larger than the buffer: ask again with the size the
        // service needs.
        if (result != ERROR_BUFFER_TOO_SMALL)
            return;
        const std::size_t wanted =
            std::max<std::size_t>(count, (byteCount + sizeof(RASENTRYNAMEA) - 1) / sizeof(RASENTRYNAMEA));
        if (wanted <= buffer.size() || wanted > kMaxEntries)
            return;
        buffer.resize(wanted);
    }
}

std::string TDialer::GetEntriesText()
{
    LoadEntries();
    std::string text;
    for (std::int32_t i = 0; i < EntryCount; ++i) {
        text += Entries[static_cast<std::size_t>(i)];
        text += ',';
    }
    return text;
}

std::vector<std::string> EntryBoxItems(RasService& service)
{
    // The items come from the names themselves rather than from splitting
    // the joined text, so a name holding a comma is not cut apart.
    TDialer dialer(service);
    dialer.LoadEntries();
    return {dialer.Entries.begin(), dialer.Entries.begin() + dialer.EntryCount};
}

}  // namespace ras
