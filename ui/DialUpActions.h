// What the main window's handlers hand on to the rest of the program: the
// entry list, the settings file and the scheduler. The program binds it to
// the real subsystems (CoreDialUpActions); window tests use a recording
// fake.
#pragma once

#include <string>
#include <vector>

#include "scheduler/RedialWindow.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsView.h"

namespace ui {

class DialUpActions {
public:
    virtual ~DialUpActions() = default;

    // The items of edtDialer, as bytes of the ANSI code page, in order.
    virtual std::vector<std::string> EntryItems() = 0;

    virtual settings::LoadOutcome LoadSettings(settings::SettingsView& view) = 0;
    virtual void SaveSettings(const settings::SettingsView& view) = 0;

    // Timer1's tick and the Enable box's click handler.
    virtual void Timer1Timer(scheduler::RedialWindow& window) = 0;
    virtual void CheckBox1Click(scheduler::RedialWindow& window) = 0;
};

}  // namespace ui
