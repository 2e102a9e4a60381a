#include "GameLoader/PlatformNotice_win.h"

bool SendPlatformNotice(HWND window, const PlatformNoticeRecord& record)
{
    if (window == nullptr || !IsWindow(window))
        return false;
    COPYDATASTRUCT data = {};
    data.dwData = kPlatformNoticeDataId;
    data.cbData = sizeof record;
    data.lpData = const_cast<PlatformNoticeRecord*>(&record);
    SetLastError(0);
    SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return GetLastError() == 0;
}
