#include "ui/CoreDialUpActions.h"

#include "ras/Dialer.h"
#include "scheduler/Tick.h"
#include "settings/SettingsFile.h"

namespace ui {

std::vector<std::string> CoreDialUpActions::EntryItems()
{
    return ras::EntryBoxItems(service_);
}

settings::LoadOutcome CoreDialUpActions::LoadSettings(settings::SettingsView& view)
{
    return settings::LoadSettings(view, store_);
}

void CoreDialUpActions::SaveSettings(const settings::SettingsView& view)
{
    settings::SaveSettings(view, store_);
}

void CoreDialUpActions::Timer1Timer(scheduler::RedialWindow& window)
{
    const scheduler::TextLookup lookup = [this](const std::string& key) { return language_.Lookup(key); };
    scheduler::Timer1Timer(window, connections_, pump_, lookup);
}

void CoreDialUpActions::CheckBox1Click(scheduler::RedialWindow& window)
{
    scheduler::CheckBox1Click(window, connections_);
}

}  // namespace ui
