#include "GameLoader/IsGameExit.h"

#include <windows.h>
#include <tlhelp32.h>

#include "Common/DecimalText.h"
#include "common/win/ScopedHandles.h"
#include "Common/Text.h"
#include "GameLoader/ExitNotice.h"
#include "GameLoader/PlatformNotice_win.h"
#include "Log/Log.h"
#include "Settings/LocalSettings.h"

namespace {

const wchar_t* const kPlatformClientImage = L"Korvane.exe";
const wchar_t* const kPlatformClientTitle = L"Korvane";

// The window the platform client registered in a normal run.  Only used
// when that run also stored a login source.
bool DeliverToRegisteredWindow(const PlatformNoticeRecord& record)
{
    const std::wstring settingPath = GetSettingPath();
    std::wstring loginSource;
    if (!LoadLoginSource(settingPath, loginSource) || loginSource.empty())
        return false;
    std::wstring windowId;
    if (!LoadPlatformWindowId(settingPath, windowId))
        return false;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(WindowIdFromText(windowId)));
    return SendPlatformNotice(window, record);
}

// The first "Korvane.exe" in the process list ends the search; its window
// is then looked up by title alone, as the platform client names it.
bool DeliverToRunningPlatformClient(const PlatformNoticeRecord& record)
{
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, kPlatformClientImage) != 0)
            continue;
        HWND window = FindWindowW(nullptr, kPlatformClientTitle);
        return window != nullptr && SendPlatformNotice(window, record);
    }
    return false;
}

}  // namespace

int IsGameExit(const std::wstring& commandText)
{
    LOG_CALL(2, L"IsGameExit:" << commandText);
    const ExitNotice notice = ReadExitNotice(WideToMultiByte(commandText, CP_ACP));
    if (!notice.parsed) {
        LOG_CALL(0, L"reader.parse:" << commandText << L" false");
        if (!notice.isNotice)
            return kNotGameExit;
        LOG_CALL(0, L"get type:1");
    } else if (!notice.isNotice) {
        return kNotGameExit;
    }

    LOG_CALL(2, L"game exit notify:" << commandText);
    const PlatformNoticeRecord record = MakePlatformNoticeRecord(notice.gameId);
    if (DeliverToRegisteredWindow(record) || DeliverToRunningPlatformClient(record))
        return kGameExitDelivered;
    return kGameExitUndelivered;
}
