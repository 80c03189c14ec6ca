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
    scheduler::Timer1Timer(window, connections_, pump_, lookup, cycle_);
}

void CoreDialUpActions::CheckBox1Click(scheduler::RedialWindow& window)
{
    scheduler::CheckBox1Click(window, connections_, cycle_);
}

void CoreDialUpActions::LookUpConnection(scheduler::RedialWindow& window)
{
    // Reports that have arrived are acted on first, so the lookup does not
    // take the dial's connection for a foreign one.
    connections_.DeliverReports();
    cycle_.LookUp(window);
}

scheduler::RedialStatus CoreDialUpActions::Status(scheduler::RedialWindow& window)
{
    return cycle_.Status(window);
}

std::vector<scheduler::RedialEvent> CoreDialUpActions::RecentEvents(std::size_t count)
{
    const auto& events = cycle_.Events();
    const std::size_t taken = count < events.size() ? count : events.size();
    return {events.begin(), events.begin() + static_cast<std::ptrdiff_t>(taken)};
}

void CoreDialUpActions::SetEventListener(scheduler::EventListener* listener)
{
    cycle_.SetListener(listener);
}

}  // namespace ui
