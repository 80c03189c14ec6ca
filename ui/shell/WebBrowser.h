#pragma once
// The update tab's embedded browser: the platform's WebBrowser control
// hosted in a child area of a window of ours, driven through IWebBrowser2.
// Needs the component object model in single-threaded apartment mode on
// the calling thread.

#include "ui/shell/BrowserSite.h"
#include "ui/shell/ComPtr.h"

#include <exdisp.h>

#include <string>

namespace ui {

class TWebBrowser {
public:
    // Creates the control in parent at bounds (parent's client coordinates)
    // and activates it in place. Throws ShellFailure when the control
    // cannot be created or activated.
    TWebBrowser(HWND parent, const RECT& bounds);
    // Drives a browser that exists already, with no site of ours (and so no
    // keys offered to it).
    explicit TWebBrowser(ComPtr<IWebBrowser2> browser);
    ~TWebBrowser();

    TWebBrowser(const TWebBrowser&) = delete;
    TWebBrowser& operator=(const TWebBrowser&) = delete;

    // Starts loading address in the background. Returns the control's
    // success code; a failure code is thrown as ShellFailure.
    HRESULT Navigate(const std::wstring& address);

    // Reloads the page shown. Same result and failure as Navigate.
    HRESULT Refresh();

    // Moves the control within its parent.
    void SetBounds(const RECT& bounds);

    // Offers a key message (WM_KEYFIRST..WM_KEYLAST), while the focus is in
    // the control's area, to the active object the control named, so that
    // the page gets Tab, Enter and its shortcuts before the dialog manager.
    // True when the page has handled it (it goes no further).
    bool PreTranslateMessage(MSG& message);

    IWebBrowser2* Browser() const noexcept { return browser_.Get(); }
    // The container site; null for a browser driven over a given pointer.
    BrowserSite* Site() const noexcept { return site_.Get(); }

private:
    ComPtr<BrowserSite> site_;
    ComPtr<IOleObject> object_;
    ComPtr<IWebBrowser2> browser_;
};

// The message of a failed COM call: "<what>: <system text> (0x8xxxxxxx)".
std::wstring ComFailureMessage(const wchar_t* what, HRESULT result);

}  // namespace ui
