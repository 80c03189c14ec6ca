#include "ui/shell/WebBrowser.h"

#include "ui/shell/ShellFailure.h"

#include <cwchar>

namespace ui {

namespace {

void ThrowIfFailed(HRESULT result, const wchar_t* what)
{
    if (FAILED(result)) {
        throw ShellFailure(ComFailureMessage(what, result));
    }
}

// An optional argument of an automation call left out.
VARIANT MissingArgument()
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (!value_) {
            throw ShellFailure(ComFailureMessage(L"SysAllocStringLen", E_OUTOFMEMORY));
        }
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const noexcept { return value_; }

private:
    BSTR value_;
};

}  // namespace

std::wstring ComFailureMessage(const wchar_t* what, HRESULT result)
{
    std::wstring text = what;
    wchar_t* system = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    std::wstring description(system ? system : L"", length);
    if (system) {
        LocalFree(system);
    }
    while (!description.empty() && (description.back() == L'\r' || description.back() == L'\n' ||
                                    description.back() == L' ' || description.back() == L'.')) {
        description.pop_back();
    }
    if (!description.empty()) {
        text += L": " + description;
    }
    wchar_t code[16];
    std::swprintf(code, 16, L" (0x%08lX)", static_cast<unsigned long>(result));
    return text + code;
}

TWebBrowser::TWebBrowser(HWND parent, const RECT& bounds) : site_(BrowserSite::Create(parent, bounds))
{
    ThrowIfFailed(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object_.PutVoid()),
                  L"Cannot create the WebBrowser control");
    ThrowIfFailed(object_->SetClientSite(site_.Get()), L"Cannot attach the WebBrowser control");
    OleSetContainedObject(object_.Get(), TRUE);
    RECT position = bounds;
    ThrowIfFailed(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, parent, &position),
                  L"Cannot activate the WebBrowser control");
    ThrowIfFailed(object_.As(browser_), L"The WebBrowser control has no IWebBrowser2");
    SetBounds(bounds);
}

TWebBrowser::TWebBrowser(ComPtr<IWebBrowser2> browser) : browser_(std::move(browser))
{
    if (!browser_) {
        throw ShellFailure(ComFailureMessage(L"The WebBrowser control has no IWebBrowser2", E_POINTER));
    }
}

TWebBrowser::~TWebBrowser()
{
    if (!object_) {
        return;
    }
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(object_.As(inPlace))) {
        inPlace->InPlaceDeactivate();
    }
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    // An active object the control did not take back goes with the site
    // here, not only when the last of the site's references does.
    site_->SetActiveObject(nullptr, nullptr);
}

HRESULT TWebBrowser::Navigate(const std::wstring& address)
{
    Bstr url(address);
    VARIANT flags = MissingArgument();
    VARIANT targetFrame = MissingArgument();
    VARIANT postData = MissingArgument();
    VARIANT headers = MissingArgument();
    const HRESULT result = browser_->Navigate(url.Get(), &flags, &targetFrame, &postData, &headers);
    ThrowIfFailed(result, L"Cannot open the page");
    return result;
}

HRESULT TWebBrowser::Refresh()
{
    const HRESULT result = browser_->Refresh();
    ThrowIfFailed(result, L"Cannot reload the page");
    return result;
}

void TWebBrowser::SetBounds(const RECT& bounds)
{
    if (!site_) {
        return;
    }
    site_->SetBounds(bounds);
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(object_.As(inPlace))) {
        inPlace->SetObjectRects(&bounds, &bounds);
    }
}

bool TWebBrowser::PreTranslateMessage(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !site_) {
        return false;
    }
    // Held for the call: the page may name another active object meanwhile.
    const ComPtr<IOleInPlaceActiveObject> active = site_->ActiveObject();
    if (!active) {
        return false;
    }
    const HWND area = site_->Parent();
    const HWND focus = GetFocus();
    if (!focus || (focus != area && !IsChild(area, focus))) {
        return false;
    }
    return active->TranslateAccelerator(&message) == S_OK;
}

}  // namespace ui
