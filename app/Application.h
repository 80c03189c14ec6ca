// The application object: its title, the mark that it is terminating, the
// modal showing of the main window with its nested message loop, and the
// main loop.
#pragma once

#include <windows.h>

#include <string>

#include "ui/DialUpUnit.h"
#include "ui/WindowApplication.h"

namespace app {

class Application final : public ui::WindowApplication {
public:
    // The text the error report uses as caption; the window's caption once
    // the window has been shown, empty before.
    const std::wstring& Title() const override { return title_; }
    void SetTitle(std::wstring title) override { title_ = std::move(title); }

    bool Terminated() const { return terminated_; }
    // A quit request was taken from the queue: the loops end.
    void MarkTerminating() { terminated_ = true; }

    // Posts a quit request to this thread's queue; whichever loop takes it
    // marks the application as terminating.
    void Terminate() override;

    // The main window: the loops handle its dialog keys (Tab, the arrow
    // keys, access keys) and offer it every message first, so that the
    // update page gets its keys. Null when there is none (any more).
    void SetMainWindow(ui::TDialUpFrm* window) { mainWindow_ = window; }

    // Shows the window, runs FormShow and takes and delivers messages until
    // the window's modal result is set or the application is terminating,
    // then hides the window. Returns the modal result (cancel when ended by
    // terminating).
    int ShowModal(ui::TDialUpFrm& window) override;

    // The main loop: delivers messages until the application is
    // terminating. It does not show the window.
    void Run();

    // Delivers one message taken from the queue (not WM_QUIT).
    void Deliver(MSG& message) const;

private:
    // Waits for the next message and delivers it; a quit request marks the
    // application as terminating instead.
    void TakeAndDeliver();

    std::wstring title_;
    bool terminated_ = false;
    ui::TDialUpFrm* mainWindow_ = nullptr;
};

}  // namespace app
