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
#include "win/WindowImplBase_win.h"

class CTabLayoutUI;
class CProgressUI;
class CLabelUI;
class CVerticalLayoutUI;
class CWebBrowserEventHandler;

// The exit menu's one item.
constexpr UINT kExitMenuCommand = 16;

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
    void OnClick(TNotifyUI& msg) override;
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"GameLoader.xml"; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return 130; }
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    CControlUI* CreateControl(const std::wstring& tag) override;

    // The close procedure.
    void OnBtnCloseClick();

    // Reads the command text into the launch parameters (see ParseCmdJson.h).
    bool ParseCmdJson();
    const LaunchParams& GetLaunchParams() const { return m_launchParams; }

    void LoadWeb();
    void LoadGame();
    void MakeGameExePath();
    void TopMainWnd();
    void OnOpenGame(char* request);
    void OnDownloadResult(WPARAM failed);

private:
    void ShowExitMenu();
    void OnUnpackDone(WPARAM failed);
    void OnUnpackProgress(WPARAM percent);
    void OnWebLoaded();

    LaunchParams m_launchParams;
    // Deleted with the window, after the control tree that uses it is gone
    // (the base's OnFinalMessage releases the tree first).
    std::unique_ptr<CWebBrowserEventHandler> m_pBrowserEvent;
    CControlUI* m_pIe = nullptr;
    CTabLayoutUI* m_pWizardTab = nullptr;
    CProgressUI* m_pProgress = nullptr;
    CLabelUI* m_pProgTip = nullptr;
    CVerticalLayoutUI* m_pVLayoutDownload = nullptr;
};
