// Fuzzes the settings reader: any bytes in "dialup.ini" load without a
// crash, and what loading leaves in the widgets survives a save and a
// fresh load unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "settings/LineList.h"
#include "settings/SettingsFile.h"
#include "tests/core/settings/MemoryFileStore.h"
#include "tests/core/settings/PlainSettingsView.h"

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using settings_test::MemoryFileStore;
    using settings_test::PlainSettingsView;

    const std::string file(reinterpret_cast<const char*>(data), size);

    // Reading and writing the line list: written lines read back the same.
    const settings::LineList lines = settings::LineList::FromText(file);
    Require(settings::LineList::FromText(lines.ToText()).Lines() == lines.Lines());

    // Load as at start-up, the Enable box's handler saving as the window's
    // does.
    MemoryFileStore store;
    store.files[store.settingsPath] = file;
    PlainSettingsView view(5);
    view.onEnabledClick = [&] { settings::SaveSettings(view, store); };
    settings::LoadSettings(view, store);

    Require(view.clickCount <= 1);
    Require(view.values.entryIndex >= -1 && view.values.entryIndex < 5);
    if (view.values.enabled) {
        // Ticking the box rewrote the file from the loaded widgets.
        Require(store.replaceCalls == 1);
    } else {
        Require(store.replaceCalls == 0 && store.SettingsBytes() == file);
    }

    // Save, then load into a fresh window: the same widget values.
    MemoryFileStore saved;
    settings::SaveSettings(view, saved);
    const std::optional<std::string> written = saved.SettingsBytes();
    Require(written.has_value());
    if (view.values.enabled) {
        Require(store.SettingsBytes() == written);
    }

    PlainSettingsView reloaded(5);
    settings::LoadSettings(reloaded, saved);
    Require(reloaded.values == view.values);
    return 0;
}
