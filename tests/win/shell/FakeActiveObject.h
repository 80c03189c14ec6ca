// An in-place active object as the WebBrowser control names it to its
// site: it answers TranslateAccelerator with a chosen result and records
// the messages it was offered.
#pragma once

#include <ole2.h>
#include <oleidl.h>

#include <functional>
#include <vector>

class FakeActiveObject final : public IOleInPlaceActiveObject {
public:
    HRESULT translateResult = S_FALSE;
    std::vector<MSG> offered;
    std::function<void(const MSG&)> onOffered;  // e.g. to log the order of events
    long refs = 1;                              // the test owns the object; the counts only have to balance

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
            IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
            *out = static_cast<IOleInPlaceActiveObject*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }

    STDMETHODIMP GetWindow(HWND* window) override
    {
        if (window)
            *window = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    STDMETHODIMP TranslateAccelerator(LPMSG message) override
    {
        offered.push_back(*message);
        if (onOffered)
            onOffered(*message);
        return translateResult;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
};
