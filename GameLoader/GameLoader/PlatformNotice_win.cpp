#include "GameLoader/PlatformNotice_win.h"

bool SendPlatformNotice(HWND window, const PlatformNoticeRecord& record, UINT timeoutMs)
{
    if (window == nullptr || !IsWindow(window))
        return false;
    COPYDATASTRUCT data = {};
    data.dwData = kPlatformNoticeDataId;
    data.cbData = sizeof record;
    data.lpData = const_cast<PlatformNoticeRecord*>(&record);
    DWORD_PTR answer = 0;
    SetLastError(0);
    const LRESULT handled = SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                                SMTO_ABORTIFHUNG, timeoutMs, &answer);
    return handled != 0 && GetLastError() == 0;
}
