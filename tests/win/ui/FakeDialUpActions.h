// Window actions that record what the window asks of them, with a scripted
// status and history.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/DialUpActions.h"

struct FakeDialUpActions final : ui::DialUpActions {
    std::vector<std::string> items;
    // In order: "items", "load", "save", "tick", "click", "lookup".
    std::vector<std::string> calls;
    std::vector<bool> tickedSeenByClick;  // the box's state as each click handler saw it
    std::vector<std::string> savedAccounts;

    settings::LoadOutcome loadOutcome = settings::LoadOutcome::Loaded;
    bool failItems = false;
    std::function<void()> onSave;  // runs as the settings are saved
    std::function<void()> onTick;  // runs in the tick handler (and may throw)

    // What Status and RecentEvents answer; events newest first.
    scheduler::RedialStatus status;
    std::vector<scheduler::RedialEvent> events;
    int statusReads = 0;
    std::vector<std::size_t> recentCounts;  // each RecentEvents call's count
    scheduler::EventListener* listener = nullptr;
    int listenerChanges = 0;

    std::vector<std::string> EntryItems() override
    {
        calls.push_back("items");
        if (failItems)
            throw std::runtime_error("phonebook gone");
        return items;
    }
    settings::LoadOutcome LoadSettings(settings::SettingsView&) override
    {
        calls.push_back("load");
        return loadOutcome;
    }
    void SaveSettings(const settings::SettingsView& view) override
    {
        calls.push_back("save");
        savedAccounts.push_back(view.AccountText());
        if (onSave)
            onSave();
    }
    void Timer1Timer(scheduler::RedialWindow&) override
    {
        calls.push_back("tick");
        if (onTick)
            onTick();
    }
    void CheckBox1Click(scheduler::RedialWindow& window) override
    {
        calls.push_back("click");
        tickedSeenByClick.push_back(window.EnabledTicked());
    }

    void LookUpConnection(scheduler::RedialWindow&) override { calls.push_back("lookup"); }
    scheduler::RedialStatus Status(scheduler::RedialWindow&) override
    {
        ++statusReads;
        return status;
    }
    std::vector<scheduler::RedialEvent> RecentEvents(std::size_t count) override
    {
        recentCounts.push_back(count);
        return {events.begin(), events.begin() + static_cast<std::ptrdiff_t>(std::min(count, events.size()))};
    }
    void SetEventListener(scheduler::EventListener* next) override
    {
        listener = next;
        ++listenerChanges;
    }

    int Count(const std::string& what) const
    {
        int n = 0;
        for (const auto& call : calls)
            n += call == what;
        return n;
    }
};
