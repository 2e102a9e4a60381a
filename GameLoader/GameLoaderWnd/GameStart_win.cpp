#include "GameLoaderWnd/GameStart_win.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "Common/Folders.h"
#include "common/win/ScopedHandles.h"
#include "Common/Text.h"
#include "Common/WindowHandle_win.h"
#include "GameLoaderWnd/GameCommandLine.h"
#include "GameLoaderWnd/OpenGameRequest.h"
#include "Log/Log.h"
#include "Log/LoginTokens.h"
#include "Main/WindowMessages.h"
#include "Process/ProcessUtils.h"
#include "Settings/LocalSettings.h"

namespace {

// A text that names no window makes the post fail, silently.
void ReportStartFailed(const LaunchParams& params)
{
    PostMessageW(WindowFromIdText(params.gameMgrId), WM_GAME_START_FAILED, 0, 0);
}

// Every game start ends the launcher through its window's close path.
void CloseMainWindow(HWND mainWindow)
{
    if (mainWindow != nullptr && IsWindow(mainWindow))
        PostMessageW(mainWindow, WM_CLOSE, 1, 0);
}

// The game's first visible, unowned window, raised as soon as it appears.
// The search runs on the clock from the end of the input-idle wait, so a
// slow start does not eat into it.
void RaiseFirstWindow(DWORD processId, const GameStartWaits& waits)
{
    const DWORD searchStart = GetTickCount();
    while (GetTickCount() - searchStart < waits.windowSearchMs) {
        if (HWND window = FindProcessWindow(processId)) {
            ShowWindowToFront(window);
            return;
        }
        Sleep(waits.searchIntervalMs);
    }
}

}  // namespace

void MakeGameExePath(LaunchParams& params)
{
    std::wstring folder = GetGameDirFromUninstall(params.gameCode);
    if (folder.empty())
        folder = GetModuleDir() + L"\\";
    params.gameExePath = folder + params.gameCode + L".exe";
}

void LoadGame(LaunchParams& params, HWND mainWindow, const GameStartWaits& waits)
{
    LOG_CALL(2, L"GameLoaderWnd LoadGame start");
    if (params.token.empty())
        return;

    if (!PathFileExistsW(params.gameExePath.c_str())) {
        LOG_CALL(2, L"PathFileExists " << params.gameExePath << L" not exists");
        ReportStartFailed(params);
        CloseMainWindow(mainWindow);
        return;
    }

    // A game already running from the same file (in any letter case) is
    // raised, not started a second time.
    const DWORD runningId = GetProcessIdByPath(params.gameExePath);
    if (runningId != kNoProcessByPath) {
        if (HWND window = FindProcessWindow(runningId))
            ShowWindowToFront(window);
        CloseMainWindow(mainWindow);
        return;
    }

    if (mainWindow != nullptr && IsWindow(mainWindow))
        ShowWindow(mainWindow, SW_HIDE);

    const std::wstring parameters = MakeGameCommandLine(params);
    SHELLEXECUTEINFOW start = {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpVerb = L"open";
    start.lpFile = params.gameExePath.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) {
        ReportStartFailed(params);
    } else {
        // The launcher neither waits for the game to end nor keeps its handle.
        ScopedHandle game(start.hProcess);
        if (game.valid()) {
            const DWORD processId = GetProcessId(game.get());
            AllowSetForegroundWindow(processId);
            WaitForInputIdle(game.get(), waits.inputIdleMs);
            RaiseFirstWindow(processId, waits);
        }
    }
    CloseMainWindow(mainWindow);
}

void OnOpenGame(LaunchParams& params, HWND mainWindow, const std::string& request, const GameStartWaits& waits)
{
    if (!ReadOpenGameRequest(request, params, &AnsiToWide)) {
        LOG_CALL(0, L"reader.parse:" << HideLoginTokens(AnsiToWide(request)) << L" false");
        return;
    }
    LoadGame(params, mainWindow, waits);
}

void TopMainWnd(HWND mainWindow)
{
    LOG_CALL(2, L"OnShowMainWnd enter");
    if (IsIconic(mainWindow))
        ShowWindow(mainWindow, SW_RESTORE);
    // The system lets a thread reorder windows freely only while its input
    // is attached to the foreground thread's.
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const DWORD ownThread = GetCurrentThreadId();
    AttachThreadInput(foregroundThread, ownThread, TRUE);
    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    AttachThreadInput(foregroundThread, ownThread, FALSE);
}
