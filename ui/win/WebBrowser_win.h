#pragma once
// The WebBrowser control in a skin: "homepage" is navigated to when the
// control is created if "autonavi" is true.  The control answers as the
// browser's host UI handler and command target, receives its events and
// (in derived controls) serves the page's external object; the browser and
// the page reach it only through the forwarders it hands out
// (WebBrowserForwarders_win.h), which it detaches when it goes.  The
// control tree owns it.  UI thread only.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>

#include <string>
#include <string_view>

#include "ActiveX_win.h"
#include "WebBrowserEvents_win.h"
#include "WebBrowserForwarders_win.h"
#include "common/win/ScopedHandles.h"

class CWebBrowserUI : public CActiveXUI {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;
    CWebBrowserUI(const CWebBrowserUI&) = delete;
    CWebBrowserUI& operator=(const CWebBrowserUI&) = delete;

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

    // The control's dispatch as the browser and the page hold it (a new
    // reference): the event sink, and the external object of derived
    // controls.
    IDispatch* GetDispatch() const;

    // What the forwarders pass on, with the signatures of the interfaces
    // they implement.  Derived controls override what they answer
    // differently.
    // IDocHostUIHandler
    virtual HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*);
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info);
    virtual HRESULT ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                           IOleInPlaceUIWindow*);
    virtual HRESULT HideUI();
    virtual HRESULT UpdateUI();
    virtual HRESULT EnableModeless(BOOL);
    virtual HRESULT OnDocWindowActivate(BOOL);
    virtual HRESULT OnFrameWindowActivate(BOOL);
    virtual HRESULT ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL);
    virtual HRESULT TranslateAccelerator(LPMSG, const GUID*, DWORD);
    virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD);
    virtual HRESULT GetDropTarget(IDropTarget*, IDropTarget** target);
    // The framework offers no external object; derived controls do.
    virtual HRESULT GetExternal(IDispatch** dispatch);
    virtual HRESULT TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut);
    virtual HRESULT FilterDataObject(IDataObject*, IDataObject** result);
    // IOleCommandTarget
    virtual HRESULT QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text);
    virtual HRESULT Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out);
    // IDispatch: the browser's events, routed by dispatch id to the handler.
    virtual HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids);
    virtual HRESULT Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argError);

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

    // One reference each, handed on to the browser and the page as asked.
    ScopedComPtr<CDocHostUIHandlerForwarder> m_uiHandler;
    ScopedComPtr<COleCommandTargetForwarder> m_commandTarget;
    ScopedComPtr<CDispatchForwarder> m_dispatch;
    ScopedComPtr<IWebBrowser2> m_webBrowser;
    ScopedComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_dwCookie = 0;
};
