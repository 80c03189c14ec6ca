// The settings widgets as the settings file sees them. The main window
// implements it; tests use a plain struct. Texts are bytes in the ANSI
// code page, exactly as the widgets hold them.
#pragma once

#include <string>

#include "settings/Options.h"

namespace settings {

class SettingsView {
public:
    virtual ~SettingsView() = default;

    // edtDialer: selected position, -1 when nothing is selected. Setting a
    // position outside the items selects nothing.
    virtual int EntryIndex() const = 0;
    virtual void SetEntryIndex(int index) = 0;

    virtual std::string AccountText() const = 0;  // edtDialUser
    virtual void SetAccountText(const std::string& text) = 0;
    virtual std::string PasswordText() const = 0;  // edtDialPWD
    virtual void SetPasswordText(const std::string& text) = 0;
    virtual std::string PeriodText() const = 0;  // edtDialTime
    virtual void SetPeriodText(const std::string& text) = 0;
    virtual std::string PauseText() const = 0;  // edtDialWaintTime
    virtual void SetPauseText(const std::string& text) = 0;

    // CheckBox1. SetEnabledTicked runs the box's click handler when, and
    // only when, the state actually changes.
    virtual bool EnabledTicked() const = 0;
    virtual void SetEnabledTicked(bool ticked) = 0;

    // The options' widgets, each holding its option's text (see Options.h).
    virtual std::string OptionText(OptionKey key) const = 0;
    virtual void SetOptionText(OptionKey key, const std::string& text) = 0;
};

}  // namespace settings
