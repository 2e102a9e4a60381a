// Entry of zelk_main: log, single instance, command text, main window and
// the process's one message loop.
#include <windows.h>
#include <objbase.h>

#include <new>
#include <string>

#include "Common/Folders.h"
#include "Common/Text.h"
#include "GameLoader/CmdParam.h"
#include "GameLoader/IsGameExit.h"
#include "GameLoaderWnd/GameLoaderWnd.h"
#include "Log/Log.h"
#include "Log/Logger.h"
#include "Main/AppGlobals.h"
#include "Main/CrashDump_win.h"
#include "Main/WindowMessages.h"
#include "win/PaintManager_win.h"
#include "win/PictureCache_win.h"
#include "win/Shadow_win.h"
#include "win/UILog.h"
#include "win/UIWindow_win.h"

namespace {

// local application data\Korvane\Log\, each level created when missing.
std::wstring PrepareLogFolder()
{
    std::wstring folder = GetLocalAppDataPath() + L"\\" + L"Korvane";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\";
    folder += L"Log";
    CreateDirectoryW(folder.c_str(), nullptr);
    if (folder.empty() || (folder.back() != L'\\' && folder.back() != L'/'))
        folder += L"\\";
    return folder;
}

// The framework's own lines go to the launcher's log.
void LogFromFramework(int level, const std::wstring& message)
{
    LogCall(level, __FILE__, __LINE__, "CPaintManagerUI", message);
}

}  // namespace

// The body is one function so that its log lines carry the entry's name.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
try {
    g_hInstance = instance;
    CWindowWnd::SetInstance(instance);
    SetUILogSink(&LogFromFramework);

    const std::wstring logFolder = PrepareLogFolder();
    Logger::initializePathDir(WideToMultiByte(logFolder, CP_ACP));
    LOG_CALL(2, L"Logger::initializePathDir:" << logFolder);
    // From here on a crash leaves a minidump beside the log.
    InstallCrashDump(Logger::instance().fileName());

    const std::wstring title = AnsiToWide(kMainWindowTitleAnsi);
    const std::wstring mutexName = AnsiToWide(kSingleInstanceMutexAnsi);

    // The mutex handle is never closed: its existence marks a running launcher.
    HANDLE instanceMutex = CreateMutexW(nullptr, TRUE, mutexName.c_str());
    const DWORD mutexError = GetLastError();
    if (mutexError == ERROR_ALREADY_EXISTS) {
        LOG_CALL(2, L"CreateMutex ERROR_ALREADY_EXISTS:" << mutexName);
        HWND running = FindWindowW(nullptr, title.c_str());
        if (running && IsWindow(running)) {
            LOG_CALL(2, L"FindWindow:" << title);
            PostMessageW(running, WM_TOP_MAIN_WND, 0, 0);
        }
        if (instanceMutex)
            ReleaseMutex(instanceMutex);
        return kExitNormal;
    }
    if (instanceMutex)
        ReleaseMutex(instanceMutex);
    LOG_CALL(2, L"CreateMutex not ERROR_ALREADY_EXISTS:" << mutexName);

    std::wstring commandText;
    if (!ParseCmdParam(commandText)) {
        LOG_CALL(0, L"ParseCmdParam false");
        return kExitNormal;
    }

    // An exit notice is relayed to the platform client before COM or any
    // window exists; the run ends there.
    switch (IsGameExit(commandText)) {
    case kGameExitDelivered:
        return kExitNormal;
    case kGameExitUndelivered:
        return kExitNoPlatformClient;
    default:
        break;
    }

    // From here on a window will be made: the picture codecs get ready on
    // a worker while COM, the skin and the page start.
    PrepareDecodingInBackground();
    if (FAILED(CoInitialize(nullptr))) {
        LOG_CALL(0, L"CoInitialize false");
        ReleasePictures();
        return kExitNormal;
    }

    // Before any skinned window exists.
    CShadowUI::RegisterShadowWindowClass(instance);

    // The window deletes itself when it is destroyed (OnFinalMessage), and
    // its destruction posts the quit message that ends the loop below.
    auto* mainWindow = new (std::nothrow) GameLoaderWnd(commandText);
    if (!mainWindow) {
        LOG_CALL(0, L"new GameLoaderWnd false");
        ReleasePictures();
        CoUninitialize();
        return kExitNormal;
    }
    // The window is shown when its page has loaded.  It is created without
    // WS_VISIBLE: a window made visible and hidden at once may flash on the
    // screen, and under Wine each show maps a window on the X server.
    if (!mainWindow->Create(nullptr, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 0, 0)) {
        // No window, so nothing would ever end the loop: end the run here
        // rather than hold the single-instance mutex for good.
        LOG_CALL(0, L"GameLoaderWnd Create false:" << GetLastError());
        delete mainWindow;
        ReleasePictures();
        CoUninitialize();
        return kExitNormal;
    }
    mainWindow->CenterWindow();
    if (IsWindow(mainWindow->GetHWND()))
        mainWindow->ShowWindow(false);

    CPaintManagerUI::MessageLoop();

    // Every window is gone: the pictures and the codecs go before COM does.
    ReleasePictures();
    CoUninitialize();
    return kExitNormal;
} catch (...) {
    // Nothing unwinds out of the entry; a launcher that failed this way ends normally.
    return kExitNormal;
}
