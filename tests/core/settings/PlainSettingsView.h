// The settings widgets as plain values, for tests. The entry list has a
// fixed number of items; the Enable box counts its click-handler runs and
// runs a handler that a test may set. A setter named in failingSetter
// throws instead of setting.
#pragma once

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "settings/SettingsView.h"

namespace settings_test {

struct SettingsValues {
    int entryIndex = -1;
    std::string account;
    std::string password;
    std::string period = "0";
    std::string pause = "5";
    bool enabled = false;
    // The options' widgets, by key.
    std::array<std::string, settings::kOptionCount> options{};

    bool operator==(const SettingsValues&) const = default;
};

class PlainSettingsView : public settings::SettingsView {
public:
    explicit PlainSettingsView(int entryCount = 3) : entryCount_(entryCount) {}

    SettingsValues values;
    int clickCount = 0;
    std::function<void()> onEnabledClick;
    std::string_view failingSetter;

    int EntryIndex() const override { return values.entryIndex; }
    void SetEntryIndex(int index) override
    {
        FailIfNamed("SetEntryIndex");
        values.entryIndex = (index >= 0 && index < entryCount_) ? index : -1;
    }

    std::string AccountText() const override { return values.account; }
    void SetAccountText(const std::string& text) override
    {
        FailIfNamed("SetAccountText");
        values.account = text;
    }

    std::string PasswordText() const override { return values.password; }
    void SetPasswordText(const std::string& text) override
    {
        FailIfNamed("SetPasswordText");
        values.password = text;
    }

    std::string PeriodText() const override { return values.period; }
    void SetPeriodText(const std::string& text) override
    {
        FailIfNamed("SetPeriodText");
        values.period = text;
    }

    std::string PauseText() const override { return values.pause; }
    void SetPauseText(const std::string& text) override
    {
        FailIfNamed("SetPauseText");
        values.pause = text;
    }

    bool EnabledTicked() const override { return values.enabled; }
    void SetEnabledTicked(bool ticked) override
    {
        FailIfNamed("SetEnabledTicked");
        if (ticked == values.enabled) {
            return;
        }
        values.enabled = ticked;
        ++clickCount;
        if (onEnabledClick) {
            onEnabledClick();
        }
    }

    std::string OptionText(settings::OptionKey key) const override
    {
        return values.options[static_cast<std::size_t>(key)];
    }
    void SetOptionText(settings::OptionKey key, const std::string& text) override
    {
        FailIfNamed("SetOptionText");
        values.options[static_cast<std::size_t>(key)] = text;
    }

private:
    void FailIfNamed(std::string_view setter) const
    {
        if (setter == failingSetter) {
            throw std::runtime_error("widget failure");
        }
    }

    int entryCount_;
};

}  // namespace settings_test
