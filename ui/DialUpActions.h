// What the main window's handlers hand on to the rest of the program: the
// entry list, the settings file and the scheduler. The program binds it to
// the real subsystems (CoreDialUpActions); window tests use a recording
// fake.
#pragma once

#include <string>
#include <vector>

#include "scheduler/RedialEvent.h"
#include "scheduler/RedialStatus.h"
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

    // Looks the entry's connection up now and reads its address if not yet
    // read (at start-up, and when the history is looked at between ticks).
    virtual void LookUpConnection(scheduler::RedialWindow& window) = 0;
    // What the program is doing now, and its counters.
    virtual scheduler::RedialStatus Status(scheduler::RedialWindow& window) = 0;
    // The last events, newest first, at most `count` (at most 500 are kept).
    virtual std::vector<scheduler::RedialEvent> RecentEvents(std::size_t count) = 0;
    // The one listener of events and state changes; null for none.
    virtual void SetEventListener(scheduler::EventListener* listener) = 0;
};

}  // namespace ui
