#pragma once
// The container side of the embedded WebBrowser control: the client site and
// in-place site (with a minimal in-place frame) that the control asks for
// when it is activated inside a window of ours, and the active object it
// names, which gets the keys first. No ATL; plain COM.

#include "ui/shell/ComPtr.h"

#include <ole2.h>
#include <oleidl.h>

namespace ui {

class BrowserSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    // A new site for a control shown in parent at bounds (parent's client
    // coordinates). The site is reference-counted like every COM object.
    static ComPtr<BrowserSite> Create(HWND parent, const RECT& bounds);

    void SetBounds(const RECT& bounds) noexcept { bounds_ = bounds; }
    const RECT& Bounds() const noexcept { return bounds_; }
    HWND Parent() const noexcept { return parent_; }
    // The object the control named as its active one (SetActiveObject), to
    // which key messages are offered while the focus is inside the control;
    // null when there is none.
    ComPtr<IOleInPlaceActiveObject> ActiveObject() const noexcept { return activeObject_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE) override;
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override;

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override;
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override;
    STDMETHODIMP RemoveMenus(HMENU) override;
    STDMETHODIMP SetStatusText(LPCOLESTR) override;
    STDMETHODIMP EnableModeless(BOOL) override;
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override;

private:
    BrowserSite(HWND parent, const RECT& bounds) noexcept : parent_(parent), bounds_(bounds) {}
    ~BrowserSite() = default;

    LONG refs_ = 1;
    HWND parent_;
    RECT bounds_;
    ComPtr<IOleInPlaceActiveObject> activeObject_;
};

}  // namespace ui
