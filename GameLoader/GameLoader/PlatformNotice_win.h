#pragma once
#include <windows.h>

#include "GameLoader/PlatformNotice.h"

// Sends `record` to `window` with WM_COPYDATA (wParam 0) and waits until the
// receiver has handled it.  True when the thread's last error, cleared
// before the call, is still 0 afterwards; the receiver's answer is not
// looked at.  False at once when `window` is not a window.
bool SendPlatformNotice(HWND window, const PlatformNoticeRecord& record);
