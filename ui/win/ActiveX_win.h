#pragma once
// A control that hosts an ActiveX control in its rectangle of the window
// (the WebBrowser control derives from it, WebBrowser_win.h).  UI thread
// only: the hosted control calls back on the thread that created it.
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <string>
#include <string_view>

#include "PaintManager_win.h"
#include "common/win/ScopedHandles.h"
#include "core/Control.h"

class CActiveXSite;

class CActiveXUI : public CControlUI, public ITranslateAcceleratorUI {
public:
    CActiveXUI();
    ~CActiveXUI() override;

    const wchar_t* GetClass() const override { return L"ActiveXUI"; }

    // "clsid" ({...} form) and "delaycreate" (true: created when first
    // laid out, false: as soon as the control has a window).
    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetCLSID(const CLSID& clsid) { m_clsid = clsid; }
    bool IsDelayCreate() const { return m_bDelayCreate; }
    void SetDelayCreate(bool delayCreate) { m_bDelayCreate = delayCreate; }

    // Creates the control and activates it in place in the host window.
    // False when it cannot be created; it is then not tried again.
    bool CreateControl();
    bool IsCreated() const { return static_cast<bool>(m_object); }
    // An interface of the hosted control (the reference goes to the caller).
    HRESULT GetControl(REFIID iid, void** out) const;
    // The hosted control's own window, null while it has none.
    HWND GetControlWindow() const;

    void SetPos(const UIRect& rect) override;
    void SetVisible(bool visible) override;
    void SetInternVisible(bool visible) override;
    void SetHost(IControlHost* host, CControlUI* parent) override;

    // Keyboard messages for the control's window go to its in-place active
    // object first (Tab, Enter and shortcuts inside the page).
    bool TranslateAccelerator(MSG* message) override;

    // Host objects (sites, and the objects a web browser control hands to
    // the browser and the page) alive in the process: 0 once every window
    // that hosted a control is gone and the controls and pages gave back
    // what they were given.
    static long OutstandingHostReferences();
    // Each host object counts itself in while it lives.
    static void AdjustHostReferences(long delta);

protected:
    friend class CActiveXSite;
    // Interfaces the site answers on behalf of the derived control
    // (IDocHostUIHandler, IOleCommandTarget, IDispatch for the browser); a
    // new reference in `out`.
    virtual HRESULT QueryHostInterface(REFIID, void** out)
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The control exists and is active in place.
    virtual void OnControlCreated() {}
    // Before the control is closed and released.
    virtual void OnControlReleasing() {}
    HWND HostWindow() const;
    CPaintManagerUI* Manager() const;
    // Closes and releases the hosted control.  A derived control calls it in
    // its own destructor, while its part of the object (and its
    // OnControlReleasing) still exists.
    void ReleaseControl();

private:
    void ShowControlWindow();
    RECT ItemRect() const;

    CLSID m_clsid = CLSID_NULL;
    bool m_bDelayCreate = true;
    bool m_bCreateFailed = false;
    bool m_bTranslatorAdded = false;
    ScopedComPtr<IOleObject> m_object;
    CActiveXSite* m_pSite = nullptr;  // owned: one reference
};
