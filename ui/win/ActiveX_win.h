#pragma once
// Controls that host an ActiveX control in their rectangle of the window:
// CActiveXUI for any in-place control, CWebBrowserUI for the WebBrowser
// control with its host interfaces and its event sink.  UI thread only: the
// hosted control calls back on the thread that created it.
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
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

    // Host objects (sites, and references others hold on web browser
    // controls) alive in the process: 0 once every window that hosted a
    // control is gone and the controls gave back what they were given.
    static long OutstandingHostReferences();

protected:
    friend class CActiveXSite;
    // Interfaces the site answers on behalf of the derived control
    // (IDocHostUIHandler, IOleCommandTarget, IDispatch for the browser).
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
    static void AdjustHostReferences(long delta);
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

// One do-nothing operation per browser event; the launcher overrides the
// ones it acts on.  By-reference arguments arrive as the pointers they hold
// and stay valid during the call only.
class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;
    virtual void BeforeNavigate2(IDispatch*, VARIANT* /*url*/, VARIANT* /*flags*/, VARIANT* /*targetFrame*/,
                                 VARIANT* /*postData*/, VARIANT* /*headers*/, VARIANT_BOOL* /*cancel*/)
    {
    }
    virtual void NavigateError(IDispatch*, VARIANT* /*url*/, VARIANT* /*targetFrame*/, VARIANT* /*statusCode*/,
                               VARIANT_BOOL* /*cancel*/)
    {
    }
    virtual void NavigateComplete2(IDispatch*, VARIANT* /*url*/) {}
    virtual void DocumentComplete(IDispatch*, VARIANT* /*url*/) {}
    virtual void NewWindow3(IDispatch** /*browser*/, VARIANT_BOOL* /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/)
    {
    }
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}
};

// The WebBrowser control in a skin: "homepage" is navigated to when the
// control is created if "autonavi" is true.  The control is its own host
// UI handler, command target, event sink and (in derived controls) the
// page's external object; the control tree owns it, and the references the
// browser holds on it only keep count.
class CWebBrowserUI : public CActiveXUI, public IDocHostUIHandler, public IOleCommandTarget, public IDispatch {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    const wchar_t* GetClass() const override { return L"WebBrowserUI"; }
    void SetAttribute(std::string_view name, std::string_view value) override;

    void SetHomePage(const std::wstring& url) { m_sHomePage = url; }
    const std::wstring& GetHomePage() const { return m_sHomePage; }
    void SetAutoNavigation(bool autoNavigate) { m_bAutoNavi = autoNavigate; }

    // Not owned; null drops the events.
    void SetWebBrowserEventHandler(CWebBrowserEventHandler* handler) { m_pWebBrowserEventHandler = handler; }
    CWebBrowserEventHandler* GetWebBrowserEventHandler() const { return m_pWebBrowserEventHandler; }

    // The browser interface (a new reference), null before creation.
    IWebBrowser2* GetWebBrowser2() const;
    bool Navigate2(const std::wstring& url);
    // The address of the document shown now; empty when it cannot be asked.
    std::wstring GetLocationURL() const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL) override;
    STDMETHODIMP OnDocWindowActivate(BOOL) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override;
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override;
    // The framework offers no external object; derived controls do.
    STDMETHODIMP GetExternal(IDispatch** dispatch) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** result) override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;

    // IDispatch: the browser's events, routed by dispatch id to the handler.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // The keyboard pre-translate of the window's loop (CActiveXUI's).
    bool TranslateAccelerator(MSG* message) override { return CActiveXUI::TranslateAccelerator(message); }

protected:
    HRESULT QueryHostInterface(REFIID iid, void** out) override;
    void OnControlCreated() override;
    void OnControlReleasing() override;
    // The events without the IID_NULL check (derived Invoke calls it too).
    HRESULT DispatchEvent(DISPID id, DISPPARAMS* params);

    std::wstring m_sHomePage;
    bool m_bAutoNavi = false;
    CWebBrowserEventHandler* m_pWebBrowserEventHandler = nullptr;

private:
    void InstallUIHandlerOnDocument();
    void Advise();
    void Unadvise();

    ScopedComPtr<IWebBrowser2> m_webBrowser;
    ScopedComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_dwCookie = 0;
    long m_dwRef = 0;  // references the browser and the page hold on us
};
