#include "settings/SettingsFile.h"

#include <optional>
#include <string>

#include "settings/Int32Text.h"
#include "settings/LineList.h"
#include "settings/SwallowFailures.h"
#include "text/AsciiText.h"

namespace settings {

namespace {

// The stored position is selected when it is a valid number; a position
// outside the list selects nothing. An invalid number changes nothing.
void LoadEntryPosition(SettingsView& view, const LineList& lines)
{
    const std::string value = lines.Value(kEntryKey);
    if (text::IsBlank(value)) {
        return;
    }
    if (const std::optional<std::int32_t> position = ParseInt32(value)) {
        view.SetEntryIndex(*position);
    }
}

// The account is always applied; the password, period and pause only when
// not blank, and then untrimmed. The Enable box ticks only on "1".
void LoadTextsAndEnableBox(SettingsView& view, const LineList& lines)
{
    view.SetAccountText(lines.Value(kAccountKey));

    if (std::string password = lines.Value(kPasswordKey); !text::IsBlank(password)) {
        view.SetPasswordText(password);
    }
    if (std::string period = lines.Value(kPeriodKey); !text::IsBlank(period)) {
        view.SetPeriodText(period);
    }
    if (std::string pause = lines.Value(kPauseKey); !text::IsBlank(pause)) {
        view.SetPauseText(pause);
    }

    view.SetEnabledTicked(text::TrimBlanks(lines.Value(kEnabledKey)) == "1");
}

// Each option's widget shows the value in force: an invalid value shows
// as off.
void LoadOptions(SettingsView& view, const LineList& lines)
{
    for (OptionKey key : kOptionKeys)
        view.SetOptionText(key, OptionInForce(key, lines.Value(OptionName(key))));
}

}  // namespace

LoadOutcome LoadSettings(SettingsView& view, FileStore& store) noexcept
{
    LoadOutcome outcome = LoadOutcome::Unreadable;
    RunSwallowingFailures([&] {
        const std::string path = store.SettingsPath();
        // A save cut short in the last run may have left the file under its
        // backup name; it is put back before it is looked for.
        RunSwallowingFailures([&] { store.RemoveLeftovers(path); });
        if (!store.FileExists(path)) {
            outcome = LoadOutcome::NoFile;
            return;
        }

        // An unreadable file loads as an empty one.
        LineList lines;
        RunSwallowingFailures([&] {
            if (lines.ReadFrom(store, path))
                outcome = LoadOutcome::Loaded;
        });

        // The options come first: ticking the Enable box saves the settings,
        // and the options must be in their widgets by then.
        RunSwallowingFailures([&] { LoadOptions(view, lines); });
        RunSwallowingFailures([&] { LoadEntryPosition(view, lines); });
        RunSwallowingFailures([&] { LoadTextsAndEnableBox(view, lines); });
    });
    return outcome;
}

void SaveSettings(const SettingsView& view, FileStore& store) noexcept
{
    RunSwallowingFailures([&] {
        LineList lines;
        lines.SetValue(kEntryKey, std::to_string(view.EntryIndex()));
        lines.SetValue(kAccountKey, view.AccountText());
        lines.SetValue(kPasswordKey, view.PasswordText());
        lines.SetValue(kPeriodKey, view.PeriodText());
        lines.SetValue(kPauseKey, view.PauseText());
        lines.SetValue(kEnabledKey, view.EnabledTicked() ? "1" : "0");
        // The options follow, each only when it is on.
        for (OptionKey key : kOptionKeys)
            lines.SetValue(OptionName(key), OptionInForce(key, view.OptionText(key)));

        // A failed write leaves the old file; the next save tries again.
        const std::string path = store.SettingsPath();
        RunSwallowingFailures([&] { store.RemoveLeftovers(path); });
        lines.WriteTo(store, path);
    });
}

}  // namespace settings
