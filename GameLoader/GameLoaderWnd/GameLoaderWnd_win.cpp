#include "GameLoaderWnd/GameLoaderWnd.h"


#include <utility>

#include "CIeBrowserUI/IeBrowserUI_win.h"
#include "Common/Folders.h"
#include "Common/WindowHandle_win.h"
#include "CustomMsgBox/CustomMsgBox.h"
#include "GameLoader/InstallRegistration.h"
#include "GameLoader/ParseCmdJson.h"
#include "GameLoader/PlatformNotice.h"
#include "GameLoader/PlatformNotice_win.h"
#include "GameLoaderWnd/GameStart_win.h"
#include "GameLoaderWnd/PackageMessages_win.h"
#include "Log/Log.h"
#include "Main/WindowMessages.h"
#include "Settings/LocalSettings.h"
#include "common/win/ScopedHandles.h"
#include "core/Container.h"
#include "core/Label.h"

namespace {

constexpr UINT kMainIconId = 107;
// The launcher's own game code and its siblings that share this launcher's
// download page with a picture of their own.
constexpr const wchar_t* kGameCode = L"zelk";

}  // namespace

GameLoaderWnd::GameLoaderWnd(std::wstring commandText)
{
    m_launchParams.cmdJson = std::move(commandText);
    AddNotifyHandler(L"textchanged", [](TNotifyUI&) {});
    AddNotifyHandler(L"return", [](TNotifyUI&) {});
}

GameLoaderWnd::~GameLoaderWnd() { PostQuitMessage(0); }

void GameLoaderWnd::OnFinalMessage(HWND window)
{
    // Requests whose message will never be dispatched now.
    m_openGameRequests.Detach();
    WindowImplBase::OnFinalMessage(window);
    // A window that failed while being created is left to its creator.
    if (m_bCreated)
        delete this;
}

CControlUI* GameLoaderWnd::CreateControl(const std::wstring& tag)
{
    // The window handle already exists while the skin is built (WM_CREATE).
    if (_wcsicmp(tag.c_str(), L"IeBrowser") == 0)
        return new CIeBrowserUI(m_hWnd);
    return nullptr;
}

bool GameLoaderWnd::ParseCmdJson() { return ::ParseCmdJson(m_launchParams); }

void GameLoaderWnd::InitWindow()
{
    SetIcon(kMainIconId);
    m_openGameRequests.Attach(m_hWnd);
    m_pBrowserEvent = std::make_unique<CWebBrowserEvent>(m_hWnd);

    m_pIe = m_PaintManager.FindControl(L"ie");
    m_pWizardTab = dynamic_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"wizardTab"));
    m_pProgress = dynamic_cast<CProgressUI*>(m_PaintManager.FindControl(L"progress"));
    m_pProgTip = dynamic_cast<CLabelUI*>(m_PaintManager.FindControl(L"progTip"));
    m_pVLayoutDownload = dynamic_cast<CVerticalLayoutUI*>(m_PaintManager.FindControl(L"vLayoutDownload"));

    // Sibling games share this window with a download picture of their own.
    static const std::pair<const wchar_t*, const wchar_t*> kBackgrounds[] = {
        {L"pir", L"pir_download_bk.jpg"}, {L"marn", L"marn_download_bk.jpg"}, {L"wexo", L"wexo_download_bk.jpg"}};
    for (const auto& [code, picture] : kBackgrounds) {
        if (std::wstring(kGameCode) == code && m_pVLayoutDownload)
            m_pVLayoutDownload->SetAttribute(std::wstring(L"bkimage"), std::wstring(picture));
    }

    m_launchParams.programFilesX86 = GetProgramFilesX86Path();
    m_launchParams.gameCode = kGameCode;
    MakeGameExePath();
    ParseCmdJson();
    m_launchParams.gameDir =
        (m_launchParams.instGamePath.empty() ? m_launchParams.programFilesX86 : m_launchParams.instGamePath) + L"\\" +
        m_launchParams.gameCode;
    if (m_launchParams.typeMode == L"1" && !m_launchParams.gameMgrId.empty())
        ::PostMessageW(WindowFromIdText(m_launchParams.gameMgrId), WM_GAMEMGR_LOADER_READY, 0, 0);
    SaveLoginSource(m_launchParams.source, GetSettingPath());
    LOG_CALL(2, L"m_nGameInstalled is " << m_launchParams.installed);
    SuppressCookiePersistence(m_launchParams.installed);
    m_launchParams.bagFileParam = GetBagFileParam(m_launchParams.gameCode);
    LOG_CALL(2, L"GetBagFileParam fileparam=" << m_launchParams.bagFileParam);
    if (m_pWizardTab)
        m_pWizardTab->SelectItem(0);
    if (m_launchParams.tokenLogin == L"1")
        LoadGame();
    else
        LoadWeb();
}

void GameLoaderWnd::LoadWeb()
{
    ::LoadWeb(m_launchParams, dynamic_cast<CIeBrowserUI*>(m_pIe), m_pBrowserEvent.get());
    SetTimer(m_hWnd, kPageLoadTimerId, m_pageLoadTimeoutMs, nullptr);
}

void GameLoaderWnd::OnPageLoadTimeout()
{
    KillTimer(m_hWnd, kPageLoadTimerId);
    LOG_CALL(0, L"no document complete " << m_pageLoadTimeoutMs << L" ms after the navigation: the window is shown");
    OnWebLoaded();
}

void GameLoaderWnd::MakeGameExePath() { ::MakeGameExePath(m_launchParams); }

void GameLoaderWnd::LoadGame() { ::LoadGame(m_launchParams, m_hWnd); }

void GameLoaderWnd::TopMainWnd() { ::TopMainWnd(m_hWnd); }

void GameLoaderWnd::OnOpenGame(const std::string& request) { ::OnOpenGame(m_launchParams, m_hWnd, request); }

void GameLoaderWnd::OnDownloadResult(WPARAM failed)
{
    if (failed != 0) {
        // Closing the box with either button closes this window as well,
        // which deletes this object: nothing of it is touched afterwards.
        ShowMsgBox(m_hWnd, L"\x7F51\x7EDC\x5F02\x5E38");  // 网络异常
        return;
    }
    RunGameProcessCleanup();
}

void GameLoaderWnd::OnBtnCloseClick()
{
    const HWND window = m_hWnd;
    const CWindowWatch watch = Watch();
    if (m_launchParams.source == L"KV" && !m_launchParams.winid.empty()) {
        LOG_CALL(2, L"GameLoaderWnd close wnd");
        HWND platform = WindowFromIdText(m_launchParams.winid);
        // Bounded: a hung platform client must not keep the launcher (and
        // its single-instance mutex) alive.
        if (IsWindow(platform))
            SendPlatformNotice(platform, MakePlatformNoticeRecord(1));
        if (!watch.IsAlive())
            return;
    }
    if (IsWindow(window))
        ::PostMessageW(window, WM_CLOSE, 1, 0);
}

void GameLoaderWnd::OnClick(TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"btnClose")
        ::PostMessageW(m_hWnd, WM_CLOSE_WND, 0, 0);
    else if (name == L"btnMin")
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
}

LRESULT GameLoaderWnd::ResponseDefaultKeyEvent(WPARAM key)
{
    // The base would post WM_CLOSE, which destroys the window without a
    // word to the platform client.
    if (key == VK_ESCAPE) {
        ::PostMessageW(m_hWnd, WM_CLOSE_WND, 0, 0);
        return TRUE;
    }
    return FALSE;
}

LRESULT GameLoaderWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        LOG_CALL(2, L"\x70B9\x51FB\x4EFB\x52A1\x680F\x5173\x95ED\x7A97\x53E3");  // 点击任务栏关闭窗口
        handled = TRUE;
        OnBtnCloseClick();
        return 0;
    }
    return WindowImplBase::OnSysCommand(message, wParam, lParam, handled);
}

UINT GameLoaderWnd::TrackExitMenu()
{
    const HWND window = m_hWnd;
    POINT cursor = {};
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    ScopedMenu menu(CreatePopupMenu());
    if (!menu)
        return 0;
    AppendMenuW(menu.get(), MF_STRING, kExitMenuCommand, L"\x9000\x51FA");  // 退出
    // The menu's own loop runs until it is dismissed; the window may be
    // destroyed meanwhile, so only the handle copied above is used here.
    return static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, cursor.x,
                                            cursor.y, 0, window, nullptr));
}

LRESULT GameLoaderWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCLBUTTONDBLCLK)
        return 0;
    if (message == WM_TIMER && wParam == kPageLoadTimerId) {
        OnPageLoadTimeout();
        return 0;
    }
    if (message == WM_SHOW_EXIT_MENU && lParam == WM_RBUTTONDOWN) {
        const CWindowWatch watch = Watch();
        const UINT command = TrackExitMenu();
        if (watch.IsAlive() && command == kExitMenuCommand)
            OnBtnCloseClick();
        if (!watch.IsAlive())
            return 0;
    }
    return WindowImplBase::HandleMessage(message, wParam, lParam);
}

void GameLoaderWnd::OnWebLoaded()
{
    KillTimer(m_hWnd, kPageLoadTimerId);
    if (m_pIe)
        m_pIe->SetVisible(true);
    if (m_launchParams.token == L"1")
        return;
    if (IsWindow(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    TopMainWnd();
}

void GameLoaderWnd::OnUnpackDone(WPARAM failed)
{
    if (failed == 0) {
        RegisterInstall(m_launchParams);
        MakeGameExePath();
        if (m_pProgTip)
            m_pProgTip->SetText(L"\x6B63\x5728\x542F\x52A8\x6E38\x620F");  // 正在启动游戏
        LoadGame();
        return;
    }
    // The box's loop may see a second failure's box, or anything else that
    // closes this window and deletes this object.
    const HWND window = m_hWnd;
    const CWindowWatch watch = Watch();
    ShowMsgBox(window, L"\x91CA\x653E\x6587\x4EF6\x51FA\x9519");  // 释放文件出错
    if (watch.IsAlive() && IsWindow(window))
        ::PostMessageW(window, WM_CLOSE, 1, 0);
}

void GameLoaderWnd::OnUnpackProgress(WPARAM percent)
{
    if (!m_pProgress)
        return;
    const bool stoodAtFull = m_pProgress->GetValue() == 100;
    if (percent <= 100 && static_cast<int>(percent) != m_pProgress->GetValue()) {
        m_pProgress->SetValue(static_cast<int>(percent));
        m_pProgress->Invalidate();
    }
    if (stoodAtFull && m_pProgTip)
        m_pProgTip->SetText(L"\x6B63\x5728\x91CA\x653E\x6587\x4EF6");  // 正在释放文件
}

LRESULT GameLoaderWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    handled = TRUE;
    switch (message) {
    case WM_WEB_LOADED:
        OnWebLoaded();
        return 0;
    case WM_MIN_WND:
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
        return 0;
    case WM_CLOSE_WND:
        OnBtnCloseClick();
        return 0;
    case WM_OPEN_GAME:
        // Only a request the page made here: any process can post this
        // message with any number.
        if (const std::unique_ptr<std::string> request = m_openGameRequests.Take(wParam))
            OnOpenGame(*request);
        return 0;
    case WM_WND_MOUSEMOVE:
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, 0xF012, 0);
        return 0;
    case WM_TOP_MAIN_WND:
        TopMainWnd();
        return 0;
    case WM_UNPACK_DONE:
        OnUnpackDone(wParam);
        return 0;
    case WM_DOWNLOAD_RESULT:
        OnDownloadResult(wParam);
        return 0;
    case WM_UNPACK_PROGRESS:
        OnUnpackProgress(wParam);
        return 0;
    case WM_WEB_NET_ERROR: {
        // The player sees the box; the launcher ends after it.
        KillTimer(m_hWnd, kPageLoadTimerId);
        // The box's loop dispatches everything else meanwhile (the page's
        // close_wnd, the package updater's messages): the window may be gone.
        const CWindowWatch watch = Watch();
        MessageBoxW(m_hWnd, L"\x7F51\x7EDC\x8FDE\x63A5\x5F02\x5E38", L"\x63D0\x793A", MB_OK);  // 网络连接异常, 提示
        if (watch.IsAlive())
            OnBtnCloseClick();
        return 0;
    }
    default:
        // The rest of the custom range, and every other message, goes on.
        (void)lParam;
        handled = FALSE;
        return 0;
    }
}
