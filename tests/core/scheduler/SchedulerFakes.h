// A plain window and a fake clock with a message pump for scheduler tests:
// a whole re-dial cycle runs in microseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "scheduler/AddressCheck.h"
#include "scheduler/EventLogFile.h"
#include "scheduler/LocalTime.h"
#include "scheduler/MessagePump.h"
#include "scheduler/RedialCycle.h"
#include "scheduler/RedialWindow.h"
#include "tests/core/settings/MemoryFileStore.h"

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
    settings::RedialOptions options;

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
    settings::RedialOptions Options() const override { return options; }
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

// A wall clock that moves only when told: milliseconds from 2026-12-10
// 10:00:00.000.
struct FakeWallClock {
    std::int64_t ms = 0;
    LocalTime Now() const
    {
        const std::int64_t total = 10 * 3600 * 1000 + ms;
        const std::int64_t days = total / (24 * 3600 * 1000);
        const std::int64_t inDay = total % (24 * 3600 * 1000);
        LocalTime time{2026, 12, 10, 0, 0, 0, 0};
        // Enough for tests that run a few weeks: December, then January.
        std::int64_t day = 10 + days;
        if (day > 31) {
            time.year = 2027;
            time.month = 1;
            day -= 31;
        }
        time.day = static_cast<int>(day);
        time.hour = static_cast<int>(inDay / 3600000);
        time.minute = static_cast<int>(inDay / 60000 % 60);
        time.second = static_cast<int>(inDay / 1000 % 60);
        time.millisecond = static_cast<int>(inDay % 1000);
        return time;
    }
};

// Public-address checks that answer when the test says.
struct FakeAddressCheck : AddressCheck {
    struct Started {
        std::string url;
        Done done;
    };
    std::vector<Started> started;

    void Start(const std::string& url, Done done) override { started.push_back({url, std::move(done)}); }
    // Answers check `index` (the last one by default).
    void Answer(const std::string& body, bool received = true, const std::string& error = {},
                std::size_t index = static_cast<std::size_t>(-1))
    {
        Started& check = index < started.size() ? started[index] : started.back();
        check.done(AddressCheckAnswer{received, body, error});
    }
};

// What a re-dial cycle needs beside connection control, for tests.
struct CycleParts {
    settings_test::MemoryFileStore store;
    EventLogFile log{store};
    FakeAddressCheck check;
    FakeWallClock clock;
    WallClock Clock()
    {
        return [this] { return clock.Now(); };
    }
    std::string LogBytes() const
    {
        const auto found = store.files.find("C:\\Velmora\\dialup.log");
        return found == store.files.end() ? std::string() : found->second;
    }
};

}  // namespace scheduler::testing
