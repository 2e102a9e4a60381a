#pragma once
// The launcher's only top-level window: the 960 by 620 skinned window
// around the portal page, with the download page behind it.  It owns the
// launch parameters, decides at start between page and game, turns the
// launcher's custom messages into calls of the page, game and package
// code, and runs the close procedure that tells the platform client.
// UI thread only.
#include <windows.h>

#include <memory>
#include <string>

#include "GameLoader/LaunchParams.h"
#include "GameLoaderWnd/OpenGameRequests_win.h"
#include "win/WindowImplBase_win.h"

class CTabLayoutUI;
class CProgressUI;
class CLabelUI;
class CVerticalLayoutUI;
class CWebBrowserEventHandler;

// The exit menu's one item.
constexpr UINT kExitMenuCommand = 16;
// A portal that accepts the connection and never completes its document
// would leave the launcher hidden for good, holding the single-instance
// mutex (every later start only raises the hidden window): this long after
// the navigation the window is shown as if the page had loaded.
constexpr UINT kPageLoadTimeoutMs = 20000;
constexpr UINT_PTR kPageLoadTimerId = 20;

class GameLoaderWnd : public WindowImplBase {
public:
    explicit GameLoaderWnd(std::wstring commandText);
    // Posts the quit message: the process's loop ends with this window.
    ~GameLoaderWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"GameLoaderResClass"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The base clean-up, then the object deletes itself.
    void OnFinalMessage(HWND window) override;
    void InitWindow() override;
    // "btnClose" posts WM_CLOSE_WND (the close procedure runs from the
    // loop, not inside the click's notification: it may end the window,
    // and the framework still works on it after a notification returns).
    void OnClick(TNotifyUI& msg) override;
    // Escape runs the close procedure as "btnClose" does; Enter is left alone.
    LRESULT ResponseDefaultKeyEvent(WPARAM key) override;
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"GameLoader.xml"; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return 130; }
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    CControlUI* CreateControl(const std::wstring& tag) override;

    // The close procedure.  It waits for the platform client, and meanwhile
    // this thread handles what other threads and processes send it: the
    // window may be gone, and this object deleted, when it returns.
    void OnBtnCloseClick();

    // Reads the command text into the launch parameters (see ParseCmdJson.h).
    bool ParseCmdJson();
    const LaunchParams& GetLaunchParams() const { return m_launchParams; }

    void LoadWeb();
    void LoadGame();
    void MakeGameExePath();
    void TopMainWnd();
    void OnOpenGame(const std::string& request);
    void OnDownloadResult(WPARAM failed);

    // Tests wait less than kPageLoadTimeoutMs.  Takes effect at LoadWeb.
    void SetPageLoadTimeout(UINT milliseconds) { m_pageLoadTimeoutMs = milliseconds; }

private:
    // The command chosen in the exit menu, 0 for none.
    UINT TrackExitMenu();
    void OnPageLoadTimeout();
    void OnUnpackDone(WPARAM failed);
    void OnUnpackProgress(WPARAM percent);
    void OnWebLoaded();

    LaunchParams m_launchParams;
    // The page's open-game requests not yet taken; freed with the window.
    OpenGameRequests m_openGameRequests;
    UINT m_pageLoadTimeoutMs = kPageLoadTimeoutMs;
    // Deleted with the window, after the control tree that uses it is gone
    // (the base's OnFinalMessage releases the tree first).
    std::unique_ptr<CWebBrowserEventHandler> m_pBrowserEvent;
    CControlUI* m_pIe = nullptr;
    CTabLayoutUI* m_pWizardTab = nullptr;
    CProgressUI* m_pProgress = nullptr;
    CLabelUI* m_pProgTip = nullptr;
    CVerticalLayoutUI* m_pVLayoutDownload = nullptr;
};
