#pragma once
#include <windows.h>

// Posted by a second launcher: bring the running launcher's window to the front.
constexpr UINT WM_TOP_MAIN_WND = WM_USER + 109;  // 1133

// Posted to the platform client's game-manager window (`gameMgrId`): the
// launcher is up, and the game could not be started.
constexpr UINT WM_GAMEMGR_LOADER_READY = WM_USER + 324;  // 1348
constexpr UINT WM_GAME_START_FAILED = WM_USER + 323;     // 0x543
