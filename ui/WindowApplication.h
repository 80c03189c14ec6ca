// What the main window needs of the application object: its title, the
// modal showing of the window with its nested loop, and the end of the run.
#pragma once

#include <string>

namespace ui {

class TDialUpFrm;

class WindowApplication {
public:
    virtual ~WindowApplication() = default;

    // The caption of the error report; the window's caption once the
    // window has been shown.
    virtual const std::wstring& Title() const = 0;
    virtual void SetTitle(std::wstring title) = 0;
    // Shows the window and returns when that showing has ended: the window
    // was closed or the application is terminating.
    virtual int ShowModal(TDialUpFrm& window) = 0;
    // Posts the quit request that ends the loops.
    virtual void Terminate() = 0;
};

}  // namespace ui
