// The application object: its title, the mark that it is terminating, the
// modal showing of the main window with its nested message loop, and the
// main loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/DialUpUnit.h"

namespace app {

class TApplication {
public:
    // The text the error report uses as caption; the window's caption once
    // the window has been shown, empty before.
    const std::wstring& Title() const { return title_; }
    void SetTitle(std::wstring title) { title_ = std::move(title); }

    bool Terminated() const { return terminated_; }
    // A quit request was taken from the queue: the loops end.
    void MarkTerminating() { terminated_ = true; }

    // Posts a quit request to this thread's queue; whichever loop takes it
    // marks the application as terminating.
    static void Terminate();

    // The window whose dialog keys (Tab, the arrow keys, access keys) the
    // loops handle.
    void SetMainWindow(HWND window) { mainWindow_ = window; }

    // Offered every message before the dialog manager; returns true when it
    // has handled the message, which then goes no further. The embedded
    // page takes its keys this way.
    using PreTranslate = std::function<bool(MSG& message)>;
    void SetPreTranslate(PreTranslate preTranslate) { preTranslate_ = std::move(preTranslate); }

    // Shows the window, runs FormShow and takes and delivers messages until
    // the window's modal result is set or the application is terminating,
    // then hides the window. Returns the modal result (cancel when ended by
    // terminating).
    int ShowModal(ui::TDialUpFrm& window);

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
    HWND mainWindow_ = nullptr;
    PreTranslate preTranslate_;
};

}  // namespace app
