#pragma once
#include <windows.h>

// Posted by a second launcher: bring the running launcher's window to the front.
constexpr UINT WM_TOP_MAIN_WND = WM_USER + 109;  // 1133

// Posted to the platform client's game-manager window (`gameMgrId`): the
// launcher is up, and the game could not be started.
constexpr UINT WM_GAMEMGR_LOADER_READY = WM_USER + 324;  // 1348
constexpr UINT WM_GAME_START_FAILED = WM_USER + 323;     // 0x543

// Posted to the main window by the portal page's bridge and events; lParam
// is always 0.
constexpr UINT WM_WEB_LOADED = WM_USER + 104;     // 1128: a document finished loading, no network error
constexpr UINT WM_MIN_WND = WM_USER + 105;        // 1129: "min_wnd"
constexpr UINT WM_CLOSE_WND = WM_USER + 106;      // 1130: "close_wnd"
// "open_game": wParam is a char[] from new[] holding the whole request in
// the ANSI code page; the receiver frees it with delete[].
constexpr UINT WM_OPEN_GAME = WM_USER + 107;      // 1131
constexpr UINT WM_WND_MOUSEMOVE = WM_USER + 108;  // 1132: "wnd_mousemove"
constexpr UINT WM_WEB_NET_ERROR = WM_USER + 113;  // 1137: the portal cannot be reached
