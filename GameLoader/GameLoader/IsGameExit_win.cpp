#include "GameLoader/IsGameExit.h"

#include <windows.h>
#include <tlhelp32.h>

#include "common/win/ScopedHandles.h"
#include "Common/Text.h"
#include "Common/WindowHandle_win.h"
#include "GameLoader/ExitNotice.h"
#include "GameLoader/PlatformNotice_win.h"
#include "Log/Log.h"
#include "Log/LoginTokens.h"
#include "Settings/LocalSettings.h"

namespace {

const wchar_t* const kPlatformClientImage = L"Korvane.exe";
const wchar_t* const kPlatformClientTitle = L"Korvane";

// The window the platform client registered in a normal run, or null.
// Only used when that run also stored a login source.
HWND RegisteredWindow()
{
    const std::wstring settingPath = GetSettingPath();
    std::wstring loginSource;
    if (!LoadLoginSource(settingPath, loginSource) || loginSource.empty())
        return nullptr;
    std::wstring windowId;
    if (!LoadPlatformWindowId(settingPath, windowId))
        return nullptr;
    return WindowFromIdText(windowId);
}

// The first "Korvane.exe" in the process list ends the search; its window
// is then looked up by title alone, as the platform client names it.
HWND RunningPlatformClientWindow()
{
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return nullptr;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, kPlatformClientImage) == 0)
            return FindWindowW(nullptr, kPlatformClientTitle);
    }
    return nullptr;
}

}  // namespace

int IsGameExit(const std::wstring& commandText)
{
    // The command text of a normal start carries the login token.
    const std::wstring loggedText = HideLoginTokens(commandText);
    LOG_CALL(2, L"IsGameExit:" << loggedText);
    const ExitNotice notice = ReadExitNotice(WideToMultiByte(commandText, CP_ACP));
    if (!notice.parsed) {
        LOG_CALL(0, L"reader.parse:" << loggedText << L" false");
        if (!notice.isNotice)
            return kNotGameExit;
        LOG_CALL(0, L"get type:1");
    } else if (!notice.isNotice) {
        return kNotGameExit;
    }

    LOG_CALL(2, L"game exit notify:" << loggedText);
    const PlatformNoticeRecord record = MakePlatformNoticeRecord(notice.gameId);
    HWND registered = RegisteredWindow();
    if (registered && SendPlatformNotice(registered, record))
        return kGameExitDelivered;
    // A send that timed out is not taken back: the platform client still
    // handles it once it is free again.  Usually the fallback finds that
    // very window, and a second notice would tell it twice that the game
    // has ended; the fallback only ever sends to a window not tried yet.
    HWND running = RunningPlatformClientWindow();
    if (running && running == registered) {
        LOG_CALL(0, L"game exit notify: not sent again to the window that did not answer in time");
        return kGameExitUndelivered;
    }
    if (running && SendPlatformNotice(running, record))
        return kGameExitDelivered;
    return kGameExitUndelivered;
}
