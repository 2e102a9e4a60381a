#pragma once
#include <windows.h>

// The launcher's custom window messages.  The numbers are fixed: some come
// from other processes (a second launcher, the package updater) or go to
// the platform client.
constexpr UINT WM_SHOW_EXIT_MENU = WM_USER + 102;    // 1126: lParam WM_RBUTTONDOWN opens the exit menu
constexpr UINT WM_WEB_LOADED = WM_USER + 104;        // 1128: the page has loaded
constexpr UINT WM_MIN_WND = WM_USER + 105;           // 1129: the page asks to minimise
constexpr UINT WM_CLOSE_WND = WM_USER + 106;         // 1130: the page asks to close
constexpr UINT WM_OPEN_GAME = WM_USER + 107;         // 1131: wParam the address of a kept request (OpenGameRequests)
constexpr UINT WM_WND_MOUSEMOVE = WM_USER + 108;     // 1132: the page drags the window
// Posted by a second launcher: bring the running launcher's window to the front.
constexpr UINT WM_TOP_MAIN_WND = WM_USER + 109;      // 1133
constexpr UINT WM_UNPACK_DONE = WM_USER + 110;       // 1134: wParam 0 success
constexpr UINT WM_DOWNLOAD_RESULT = WM_USER + 111;   // 1135: wParam 0 success
constexpr UINT WM_UNPACK_PROGRESS = WM_USER + 112;   // 1136: wParam the percentage
constexpr UINT WM_WEB_NET_ERROR = WM_USER + 113;     // 1137: the page cannot be reached

// Posted to the platform client's game-manager window (`gameMgrId`): the
// launcher is up, and the game could not be started.
constexpr UINT WM_GAMEMGR_LOADER_READY = WM_USER + 324;  // 1348
constexpr UINT WM_GAME_START_FAILED = WM_USER + 323;     // 0x543
