#pragma once
#include <windows.h>

// Posted by a second launcher: bring the running launcher's window to the front.
constexpr UINT WM_TOP_MAIN_WND = WM_USER + 109;  // 1133
