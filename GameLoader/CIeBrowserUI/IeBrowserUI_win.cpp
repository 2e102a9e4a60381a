#include "CIeBrowserUI/IeBrowserUI_win.h"

#include <shellapi.h>
#include <wininet.h>

#include <cstring>
#include <exception>

#include "CIeBrowserUI/BridgeRequest.h"
#include "CIeBrowserUI/PortalUrl.h"
#include "CIeBrowserUI/RefusalLog.h"
#include "Common/Text.h"
#include "GameLoaderWnd/OpenGameRequests_win.h"
#include "Log/Log.h"
#include "Main/AppGlobals.h"
#include "Main/WindowMessages.h"
#include "common/win/BoundaryGuard.h"

namespace {

constexpr HRESULT kResourceNotFound = static_cast<HRESULT>(0x800C0005);  // INET_E_RESOURCE_NOT_FOUND
constexpr DWORD kSuppressCookiePersist = 3;                               // INTERNET_SUPPRESS_COOKIE_PERSIST

template <typename Body>
HRESULT Guarded(const char* where, Body&& body) noexcept
{
    return GuardBoundary<HRESULT>(
        E_UNEXPECTED,
        [where](const char* what) { LOG_CALL(0, where << L": " << AnsiToWide(what)); },
        std::forward<Body>(body));
}

// What a page can provoke as often as it likes is logged a few times a
// second at most (UI thread only, like everything here).
RefusalLog g_bridgeRefusals;
RefusalLog g_popupRefusals;

bool AdmitRefusalLine(RefusalLog& log, unsigned long& leftOut) { return log.Admit(GetTickCount64(), leftOut); }

// Each UTF-16 unit of a request becomes at least one byte, so a request of
// more units is beyond the limit before it is copied or converted.  Logged.
bool IsOversizedRequest(size_t length)
{
    if (length <= kMaxBridgeRequestBytes)
        return false;
    unsigned long leftOut = 0;
    if (AdmitRefusalLine(g_bridgeRefusals, leftOut))
        LOG_CALL(0, L"g_callCppFunc: a request of " << length << L" characters is not read");
    return true;
}

HRESULT ReadArgument(const VARIANT& argument, HWND mainWindow, std::wstring& reply, UINT* argError);

void OpenWithShell(const std::wstring& url)
{
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

CIeBrowserUI::CIeBrowserUI(HWND mainWindow) : m_hMainWnd(mainWindow), m_sBridgeHost(PortalHost()) {}

HRESULT CIeBrowserUI::GetExternal(IDispatch** dispatch)
{
    if (!dispatch)
        return E_POINTER;
    *dispatch = GetDispatch();
    return S_OK;
}

HRESULT CIeBrowserUI::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids || count == 0)
        return E_POINTER;
    if (names[0] && wcscmp(names[0], g_callCppFunc) == 0) {
        ids[0] = kCallCppFuncDispId;
        return S_OK;
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT CIeBrowserUI::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    if (id == kCallCppFuncDispId && params && params->rgvarg && params->cArgs == 1)
        return Guarded("CIeBrowserUI::Invoke", [&]() { return CallFromPage(params->rgvarg[0], result, argError); });
    return CWebBrowserUI::Invoke(id, iid, locale, flags, params, result, exception, argError);
}

HRESULT CIeBrowserUI::CallFromPage(const VARIANT& argument, VARIANT* result, UINT* argError)
{
    // A page the portal links to is not the portal: it must not start the
    // game with a token of its choice.
    const std::wstring location = GetLocationURL();
    if (!IsUrlOnHost(location, m_sBridgeHost)) {
        unsigned long leftOut = 0;
        if (AdmitRefusalLine(g_bridgeRefusals, leftOut)) {
            if (leftOut > 0)
                LOG_CALL(0, L"g_callCppFunc refused " << leftOut << L" more times, not logged");
            // The address may carry the player's login token.
            LOG_CALL(0, L"g_callCppFunc refused for " << ShortenForLog(MaskTokenInUrl(location)));
        }
        return E_ACCESSDENIED;
    }
    // A text beyond the limit is refused before it is copied at all (the
    // same refusal CallCppFunc makes).
    const BSTR given = argument.vt == VT_BSTR                                      ? argument.bstrVal
                       : argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal ? *argument.pbstrVal
                                                                                  : nullptr;
    std::wstring reply = L"{}";
    if (!given || !IsOversizedRequest(SysStringLen(given))) {
        const HRESULT status = ReadArgument(argument, m_hMainWnd, reply, argError);
        if (FAILED(status))
            return status;
    }
    if (result) {
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(reply.data(), static_cast<UINT>(reply.size()));
    }
    return S_OK;
}

namespace {

HRESULT ReadArgument(const VARIANT& argument, HWND mainWindow, std::wstring& reply, UINT* argError)
{
    VARIANT text;
    VariantInit(&text);
    // VariantCopyInd takes a by-reference argument's value; what cannot be
    // turned into text (null, an object without a value) runs no command.
    HRESULT status = VariantCopyInd(&text, const_cast<VARIANT*>(&argument));
    if (SUCCEEDED(status) && text.vt != VT_BSTR)
        status = VariantChangeType(&text, &text, 0, VT_BSTR);
    if (FAILED(status)) {
        VariantClear(&text);
        if (argError)
            *argError = 0;
        return DISP_E_TYPEMISMATCH;
    }
    std::wstring request;
    if (text.bstrVal)
        request.assign(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    reply = CallCppFunc(request, mainWindow);
    return S_OK;
}

}  // namespace

std::wstring CallCppFunc(const std::wstring& request, HWND mainWindow)
{
    if (IsOversizedRequest(request.size()))
        return L"{}";
    const std::string narrow = WideToMultiByte(request, CP_ACP);
    switch (ReadBridgeCommand(narrow)) {
    case BridgeCommand::MinWnd:
        LOG_CALL(0, L"min_wnd call");
        PostMessageW(mainWindow, WM_MIN_WND, 0, 0);
        break;
    case BridgeCommand::CloseWnd:
        LOG_CALL(0, L"close_wnd call");
        PostMessageW(mainWindow, WM_CLOSE_WND, 0, 0);
        break;
    case BridgeCommand::OpenGame: {
        LOG_CALL(0, L"open_game call");
        PostOpenGameRequest(mainWindow, narrow);
        break;
    }
    case BridgeCommand::WndMouseMove:
        LOG_CALL(0, L"wnd_mousemove call");
        PostMessageW(mainWindow, WM_WND_MOUSEMOVE, 0, 0);
        break;
    case BridgeCommand::None:
        break;
    }
    return L"{}";
}

void CWebBrowserEvent::NavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT* statusCode, VARIANT_BOOL*)
{
    // Frames count too: the address is not looked at.
    if (!statusCode || statusCode->vt != VT_I4 || statusCode->lVal != kResourceNotFound)
        return;
    // Once: a page whose frames all fail would otherwise queue one message
    // box per frame.
    if (m_bNavigateError)
        return;
    m_bNavigateError = true;
    PostMessageW(m_hMainWnd, WM_WEB_NET_ERROR, 0, 0);
}

void CWebBrowserEvent::DocumentComplete(IDispatch*, VARIANT*)
{
    if (!m_bNavigateError)
        PostMessageW(m_hMainWnd, WM_WEB_LOADED, 0, 0);
}

void CWebBrowserEvent::NewWindow3(IDispatch**, VARIANT_BOOL* cancel, DWORD, BSTR, BSTR url)
{
    if (cancel)
        *cancel = VARIANT_TRUE;
    // Any page or frame the control shows can ask for a pop-up; the shell
    // would run programs, paths and every registered protocol it is handed.
    const std::wstring requested = url ? std::wstring(url, SysStringLen(url)) : std::wstring();
    const std::wstring opened = BrowserUrlForPopup(requested);
    if (!opened.empty()) {
        if (m_openInBrowser)
            m_openInBrowser(opened);
        else
            OpenWithShell(opened);
        return;
    }
    unsigned long leftOut = 0;
    if (!AdmitRefusalLine(g_popupRefusals, leftOut))
        return;
    if (leftOut > 0)
        LOG_CALL(0, L"NewWindow3: " << leftOut << L" more pop-ups not opened, not logged");
    LOG_CALL(0, L"NewWindow3: not opened, not a web address: " << ShortenForLog(MaskTokenInUrl(requested)));
}

void LoadWeb(const LaunchParams& params, CIeBrowserUI* browser, CWebBrowserEventHandler* events)
{
    LOG_CALL(2, L"GameLoaderWnd LoadWeb");
    if (!browser)
        return;
    if (events && browser->GetWebBrowserEventHandler() != events)
        browser->SetWebBrowserEventHandler(events);
    ScopedComPtr<IWebBrowser2> webBrowser(browser->GetWebBrowser2());
    if (webBrowser)
        webBrowser->put_Silent(VARIANT_TRUE);
    const std::wstring url = MakePortalUrl(PortalBaseUrl(), params);
    LOG_CALL(2, L"fileparam=" << params.bagFileParam);
    if (webBrowser)
        browser->Navigate2(url);
    browser->SetVisible(false);
}

bool SuppressCookiePersistence(int installed)
{
    if (installed != 1)
        return false;
    DWORD option = kSuppressCookiePersist;
    if (!InternetSetOptionW(nullptr, INTERNET_OPTION_SUPPRESS_BEHAVIOR, &option, sizeof(option))) {
        LOG_CALL(0, L"InternetSetOptionW SUPPRESS_COOKIE_PERSIST failed " << GetLastError());
        return false;
    }
    return true;
}
