// A launcher-like process around the portal page: the skinned window of
// GameLoader.xml with the launcher's browser control, its event handler and
// the page load, run by the framework's message loop.  It prints each page
// message it receives ("message 1128", "open_game <request>") and ends on
// close_wnd, open_game or the network error, like the main window would.
// The browser control is whatever CLSID_WebBrowser resolves to: the tests
// register the stand-in DLL for it.
#include <windows.h>

#include <cstdio>

#include "CIeBrowserUI/IeBrowserUI_win.h"
#include "PortalPageWindow_win.h"
#include "common/win/ScopedHandles.h"

namespace {

class ProbeWindow : public PortalPageWindow {
public:
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override
    {
        const LRESULT result = PortalPageWindow::HandleCustomMessage(message, wParam, lParam, handled);
        if (posted.empty())
            return result;
        const Posted entry = posted.back();
        posted.clear();
        if (entry.message == WM_OPEN_GAME)
            std::printf("open_game %s\n", entry.request.c_str());
        else
            std::printf("message %u\n", entry.message);
        std::fflush(stdout);
        if (entry.message == WM_WEB_LOADED)
            Browser()->SetVisible(true);
        if (entry.message == WM_CLOSE_WND || entry.message == WM_OPEN_GAME || entry.message == WM_WEB_NET_ERROR)
            ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
        return result;
    }
    void OnFinalMessage(HWND window) override
    {
        PortalPageWindow::OnFinalMessage(window);
        PostQuitMessage(0);
    }
};

void CALLBACK GiveUp(HWND window, UINT, UINT_PTR, DWORD) { DestroyWindow(window); }

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    ScopedComInit com;
    CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
    CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    ProbeWindow window;
    if (!window.Create(nullptr, L"Zelkmar", WS_POPUP | WS_VISIBLE, 0, 0, 0, 960, 620) || !window.Browser())
        return 2;
    CWebBrowserEvent events(window.GetHWND());
    LaunchParams params;
    params.token = argc > 1 ? argv[1] : L"";
    LoadWeb(params, window.Browser(), &events);
    // Ends at the latest when the page never answers.
    SetTimer(window.GetHWND(), 1, 20000, GiveUp);
    CPaintManagerUI::MessageLoop();
    return 0;
}
