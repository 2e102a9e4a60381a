#pragma once
// The launcher's browser control around the portal page: the page's
// external object with its one method g_callCppFunc, the browser events that
// show or end the launcher, and the page load.  Everything here runs on the
// UI thread and reaches the main window only through posted messages.
#include <windows.h>

#include <functional>
#include <string>

#include "GameLoader/LaunchParams.h"
#include "win/WebBrowser_win.h"

// The dispatch id of g_callCppFunc.
constexpr DISPID kCallCppFuncDispId = 1000;

class CIeBrowserUI : public CWebBrowserUI {
public:
    explicit CIeBrowserUI(HWND mainWindow = nullptr);

    const wchar_t* GetClass() const override { return L"IeBrowserUI"; }

    // The main window the commands are posted to.
    HWND m_hMainWnd;

    // Bridge calls are honoured only while the document shown is on this
    // host (https), at first the portal's.  Empty refuses every call.
    void SetBridgeHost(const std::wstring& host) { m_sBridgeHost = host; }
    const std::wstring& GetBridgeHost() const { return m_sBridgeHost; }

    // The control's dispatch (a forwarder the page may keep): g_callCppFunc.
    HRESULT GetExternal(IDispatch** dispatch) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argError) override;

private:
    HRESULT CallFromPage(const VARIANT& argument, VARIANT* result, UINT* argError);

    std::wstring m_sBridgeHost;
};

// Runs the command of one bridge request (UTF-16, as the page sent it):
// posts WM_MIN_WND, WM_CLOSE_WND, WM_OPEN_GAME (the whole request in the
// ANSI code page, kept by the window's OpenGameRequests) or
// WM_WND_MOUSEMOVE to `mainWindow`.  The reply is "{}".
std::wstring CallCppFunc(const std::wstring& request, HWND mainWindow);

// The browser events the launcher acts on.  Owned by the main window.
class CWebBrowserEvent : public CWebBrowserEventHandler {
public:
    explicit CWebBrowserEvent(HWND mainWindow) : m_hMainWnd(mainWindow) {}

    // 0x800C0005 (the portal cannot be reached): WM_WEB_NET_ERROR, once.
    void NavigateError(IDispatch*, VARIANT* url, VARIANT* targetFrame, VARIANT* statusCode,
                       VARIANT_BOOL* cancel) override;
    // WM_WEB_LOADED for every document (frames too) while no network error
    // was reported.
    void DocumentComplete(IDispatch*, VARIANT* url) override;
    // No window opens inside the launcher: an http or https address goes to
    // the user's default browser (rebuilt, BrowserUrlForPopup); anything
    // else opens nothing and is logged, a few lines a second at most.
    void NewWindow3(IDispatch** browser, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext, BSTR url) override;

    // Hands an address to the user's default browser; ShellExecuteW with
    // "open" unless replaced (tests watch what would be opened).
    using BrowserOpener = std::function<void(const std::wstring& url)>;
    void SetBrowserOpener(BrowserOpener opener) { m_openInBrowser = std::move(opener); }

    HWND m_hMainWnd;
    bool m_bNavigateError = false;

private:
    BrowserOpener m_openInBrowser;
};

// The portal page load of the main window: attaches `events` (when given and
// not attached yet), silences the browser's own dialogs, navigates to the
// portal URL with the launch parameters and hides the control until
// WM_WEB_LOADED.  A null `browser` (a skin without "ie") does nothing.
void LoadWeb(const LaunchParams& params, CIeBrowserUI* browser, CWebBrowserEventHandler* events);

// When `installed` is 1, the page's cookies live only as long as this
// process (INTERNET_OPTION_SUPPRESS_BEHAVIOR with
// INTERNET_SUPPRESS_COOKIE_PERSIST).  True when the option was set.
bool SuppressCookiePersistence(int installed);
