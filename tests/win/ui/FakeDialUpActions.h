// Window actions that record what the window asks of them.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/DialUpActions.h"

struct FakeDialUpActions final : ui::DialUpActions {
    std::vector<std::string> items;
    std::vector<std::string> calls;       // in order: "items", "load", "save", "tick", "click"
    std::vector<bool> tickedSeenByClick;  // the box's state as each click handler saw it
    std::vector<std::string> savedAccounts;

    settings::LoadOutcome loadOutcome = settings::LoadOutcome::Loaded;
    bool failItems = false;
    std::function<void()> onSave;  // runs as the settings are saved
    std::function<void()> onTick;  // runs in the tick handler (and may throw)

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

    int Count(const std::string& what) const
    {
        int n = 0;
        for (const auto& call : calls)
            n += call == what;
        return n;
    }
};
