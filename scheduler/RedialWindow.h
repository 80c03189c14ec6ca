// The main window as the re-dial step and the tick see it. The window
// implements it; tests use a plain struct. Entry, account and password are
// bytes in the ANSI code page, exactly as the widgets hold them.
#pragma once

#include <cstdint>
#include <string>

#include "settings/Options.h"

namespace scheduler {

class RedialWindow {
public:
    virtual ~RedialWindow() = default;

    virtual std::string EntryText() const = 0;     // edtDialer: selected item's bytes, empty if none
    virtual std::string AccountText() const = 0;   // edtDialUser
    virtual std::string PasswordText() const = 0;  // edtDialPWD
    // False when the account or the password holds a character that the
    // code page cannot represent, so their bytes would be a substitute.
    virtual bool CredentialsExact() const = 0;
    virtual std::int32_t PeriodValue() const = 0;  // edtDialTime's Value (0 for a non-integer text)
    virtual std::int32_t PauseValue() const = 0;   // edtDialWaintTime's Value
    virtual bool EnabledTicked() const = 0;        // CheckBox1
    // The options in force, read from their widgets.
    virtual settings::RedialOptions Options() const = 0;

    virtual void SetCounterText(const std::string& text) = 0;  // Label1
    // Timer1: starting a stopped timer begins a fresh 1000 ms interval;
    // setting the state it already has changes nothing.
    virtual void SetTimerRunning(bool running) = 0;
    virtual void SaveSettings() = 0;
    virtual void OpenHomePage() = 0;

    // The window's own counters.
    virtual std::int32_t& ElapsedSeconds() = 0;
    virtual std::int32_t& TickCount() = 0;
};

}  // namespace scheduler
