// A window timer that knows whether it runs. Starting a stopped timer
// begins a fresh interval; setting the state it already has changes
// nothing.
#pragma once

#include <windows.h>

namespace ui {

class WindowTimer {
public:
    WindowTimer(UINT_PTR id, UINT intervalMs) : id_(id), intervalMs_(intervalMs) {}
    ~WindowTimer() { SetRunning(false); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    void Attach(HWND owner) { owner_ = owner; }

    void SetRunning(bool running)
    {
        if (running == running_ || !owner_)
            return;
        if (running)
            running_ = SetTimer(owner_, id_, intervalMs_, nullptr) != 0;
        else {
            KillTimer(owner_, id_);
            running_ = false;
        }
    }

    bool Running() const { return running_; }
    UINT_PTR Id() const { return id_; }
    UINT Interval() const { return intervalMs_; }

    // The owner window is going away; its timers go with it.
    void Detach()
    {
        SetRunning(false);
        owner_ = nullptr;
    }

private:
    HWND owner_ = nullptr;
    UINT_PTR id_;
    UINT intervalMs_;
    bool running_ = false;
};

}  // namespace ui
