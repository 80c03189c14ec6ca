// Reading "dialup.ini" into the settings widgets and writing them back.
//
// The file holds up to six lines, always written in this order, each only
// when its value is not empty:
//   dialertext=<selected entry position, -1 for none>
//   dialuser=<account>   dialpwd=<password>   dialtime=<period>
//   dialwainttime=<pause>   start=<1 when re-dialling is enabled, else 0>
// then the options that are on, in the order of kOptionKeys (Options.h).
// With every option off the file is exactly the six lines.
// Both operations form the path afresh through the store, first let it tidy
// what a save cut short in an earlier run left beside the file, and never
// fail towards their caller.
#pragma once

#include "settings/FileStore.h"
#include "settings/SettingsView.h"

namespace settings {

// The settings keys, in the order in which they are written.
inline constexpr const char* kEntryKey = "dialertext";
inline constexpr const char* kAccountKey = "dialuser";
inline constexpr const char* kPasswordKey = "dialpwd";
inline constexpr const char* kPeriodKey = "dialtime";
inline constexpr const char* kPauseKey = "dialwainttime";
inline constexpr const char* kEnabledKey = "start";

// What loading found. A file that exists but could not be read is kept
// apart from a missing one: the caller must not replace it with defaults.
enum class LoadOutcome { NoFile, Loaded, Unreadable };

// Copies the file into the widgets. Without a file nothing changes. A file
// that cannot be read loads as an empty one. Ticking the Enable box runs
// its click handler (which saves the settings) before this returns.
LoadOutcome LoadSettings(SettingsView& view, FileStore& store) noexcept;

// Writes the widgets to the file, replacing it in one step. When writing
// fails the old file stays exactly as it was.
void SaveSettings(const SettingsView& view, FileStore& store) noexcept;

}  // namespace settings
