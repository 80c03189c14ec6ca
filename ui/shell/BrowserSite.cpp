#include "ui/shell/BrowserSite.h"

namespace ui {

ComPtr<BrowserSite> BrowserSite::Create(HWND parent, const RECT& bounds)
{
    // COM objects own themselves: the reference count starts at one, handed
    // to the caller, and the last Release deletes the site.
    return ComPtr<BrowserSite>::Adopt(new BrowserSite(parent, bounds));
}

STDMETHODIMP BrowserSite::QueryInterface(REFIID iid, void** out)
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

STDMETHODIMP_(ULONG) BrowserSite::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) BrowserSite::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

// IOleClientSite: the page is never saved and the site has no container.
STDMETHODIMP BrowserSite::SaveObject()
{
    return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::GetContainer(IOleContainer** container)
{
    if (container) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP BrowserSite::ShowObject()
{
    return S_OK;
}
STDMETHODIMP BrowserSite::OnShowWindow(BOOL)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}

// IOleWindow
STDMETHODIMP BrowserSite::GetWindow(HWND* window)
{
    if (!window) {
        return E_POINTER;
    }
    *window = parent_;
    return S_OK;
}

STDMETHODIMP BrowserSite::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

// IOleInPlaceSite: the control is always welcome to activate in place.
STDMETHODIMP BrowserSite::CanInPlaceActivate()
{
    return S_OK;
}
STDMETHODIMP BrowserSite::OnInPlaceActivate()
{
    return S_OK;
}
STDMETHODIMP BrowserSite::OnUIActivate()
{
    return S_OK;
}

STDMETHODIMP BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo)
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

STDMETHODIMP BrowserSite::Scroll(SIZE)
{
    return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::OnUIDeactivate(BOOL)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::OnInPlaceDeactivate()
{
    return S_OK;
}
STDMETHODIMP BrowserSite::DiscardUndoState()
{
    return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::DeactivateAndUndo()
{
    return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::OnPosRectChange(LPCRECT position)
{
    if (position) {
        bounds_ = *position;
    }
    return S_OK;
}

// IOleInPlaceUIWindow / IOleInPlaceFrame: no toolbars, menus or status bar
// are shared with the control.
STDMETHODIMP BrowserSite::GetBorder(LPRECT)
{
    return INPLACE_E_NOTOOLSPACE;
}
STDMETHODIMP BrowserSite::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return INPLACE_E_NOTOOLSPACE;
}
STDMETHODIMP BrowserSite::SetBorderSpace(LPCBORDERWIDTHS)
{
    return S_OK;
}

// The control names its active object when it becomes UI-active and takes it
// back (null) when it stops being so.
STDMETHODIMP BrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    activeObject_ = ComPtr<IOleInPlaceActiveObject>::Share(object);
    return S_OK;
}

STDMETHODIMP BrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::SetMenu(HMENU, HOLEMENU, HWND)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::RemoveMenus(HMENU)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::SetStatusText(LPCOLESTR)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::EnableModeless(BOOL)
{
    return S_OK;
}
STDMETHODIMP BrowserSite::TranslateAccelerator(LPMSG, WORD)
{
    return S_FALSE;
}

}  // namespace ui
