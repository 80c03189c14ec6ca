#include "ui/shell/BrowserSite.h"

ComPtr<TBrowserSite> TBrowserSite::Create(HWND parent, const RECT& bounds)
{
    // COM objects own themselves: the reference count starts at one, handed
    // to the caller, and the last Release deletes the site.
    return ComPtr<TBrowserSite>::Adopt(new TBrowserSite(parent, bounds));
}

STDMETHODIMP TBrowserSite::QueryInterface(REFIID iid, void** out)
{
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TBrowserSite::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) TBrowserSite::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

// IOleClientSite: the page is never saved and the site has no container.
STDMETHODIMP TBrowserSite::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP TBrowserSite::GetContainer(IOleContainer** container)
{
    if (container) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP TBrowserSite::ShowObject() { return S_OK; }
STDMETHODIMP TBrowserSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP TBrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleWindow
STDMETHODIMP TBrowserSite::GetWindow(HWND* window)
{
    if (!window) {
        return E_POINTER;
    }
    *window = parent_;
    return S_OK;
}

STDMETHODIMP TBrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceSite: the control is always welcome to activate in place.
STDMETHODIMP TBrowserSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP TBrowserSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP TBrowserSite::OnUIActivate() { return S_OK; }

STDMETHODIMP TBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                            LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo)
{
    if (!frame || !document || !position || !clip || !frameInfo) {
        return E_POINTER;
    }
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    *position = bounds_;
    *clip = bounds_;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetAncestor(parent_, GA_ROOT);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP TBrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP TBrowserSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP TBrowserSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP TBrowserSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP TBrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::OnPosRectChange(LPCRECT position)
{
    if (position) {
        bounds_ = *position;
    }
    return S_OK;
}

// IOleInPlaceUIWindow / IOleInPlaceFrame: no toolbars, menus or status bar
// are shared with the control.
STDMETHODIMP TBrowserSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TBrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TBrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

// The control names its active object when it becomes UI-active and takes it
// back (null) when it stops being so.
STDMETHODIMP TBrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    activeObject_ = ComPtr<IOleInPlaceActiveObject>::Share(object);
    return S_OK;
}

STDMETHODIMP TBrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP TBrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP TBrowserSite::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP TBrowserSite::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP TBrowserSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP TBrowserSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }
