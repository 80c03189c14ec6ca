// A plain window and a fake clock with a message pump for scheduler tests:
// a whole re-dial cycle runs in microseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "scheduler/MessagePump.h"
#include "scheduler/RedialWindow.h"

namespace scheduler::testing {

struct PlainWindow : RedialWindow {
    std::string entry = "ADSL";
    std::string account = "user";
    std::string password = "secret";
    bool credentialsExact = true;
    std::int32_t period = 3;
    std::int32_t pause = 5;
    bool ticked = true;
    bool timerRunning = false;
    std::string counter;
    int saves = 0;
    int homePages = 0;
    std::int32_t elapsed = 0;
    std::int32_t tickCount = 0;
    std::function<void()> onEntryRead;  // e.g. to make a read fail

    std::string EntryText() const override
    {
        if (onEntryRead)
            onEntryRead();
        return entry;
    }
    std::string AccountText() const override { return account; }
    std::string PasswordText() const override { return password; }
    bool CredentialsExact() const override { return credentialsExact; }
    std::int32_t PeriodValue() const override { return period; }
    std::int32_t PauseValue() const override { return pause; }
    bool EnabledTicked() const override { return ticked; }
    void SetCounterText(const std::string& text) override { counter = text; }
    void SetTimerRunning(bool running) override { timerRunning = running; }
    void SaveSettings() override { ++saves; }
    void OpenHomePage() override { ++homePages; }
    std::int32_t& ElapsedSeconds() override { return elapsed; }
    std::int32_t& TickCount() override { return tickCount; }
};

// Sleeping advances a virtual clock; handlers scheduled for a moment run
// inside the slice that reaches it, as dispatched messages would.
class FakePump : public MessagePump {
public:
    void SleepSlice(std::int32_t ms) override
    {
        slices.push_back(ms);
        const std::int64_t end = now + (ms > 0 ? ms : 0);
        while (!scheduled.empty() && scheduled.begin()->first <= end) {
            auto node = scheduled.extract(scheduled.begin());
            now = node.key();
            node.mapped()();
        }
        now = end;
    }
    void At(std::int64_t ms, std::function<void()> handler) { scheduled.emplace(ms, std::move(handler)); }

    std::int64_t now = 0;
    std::vector<std::int32_t> slices;
    std::multimap<std::int64_t, std::function<void()>> scheduled;
};

}  // namespace scheduler::testing
