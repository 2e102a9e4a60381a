#pragma once
// Starting the game from the main window: the executable's path, the start
// with the login switches, the page's open-game request, and raising the
// launcher's own window.  UI thread only.  The main window forwards its
// MakeGameExePath, LoadGame, OnOpenGame and TopMainWnd to these, with its
// launch parameters and its window handle.
#include <windows.h>

#include <string>

#include "GameLoader/LaunchParams.h"

// The waits of a game start.  Tests shorten the ones they must sit through.
struct GameStartWaits {
    DWORD inputIdleMs = 10000;     // for the new game to be idle for input
    DWORD windowSearchMs = 15000;  // for its first window, after that
    DWORD searchIntervalMs = 100;
};

// Sets `gameExePath`: the folder of the game's uninstall entry, or the
// launcher's own folder, then `gameCode` + ".exe".
void MakeGameExePath(LaunchParams& params);

// Starts the game with its switches (or raises the one already running from
// `gameExePath`), waits for its window and raises it, then posts WM_CLOSE
// (wParam 1) to `mainWindow`.  A game that cannot be started is reported to
// the `gameMgrId` window with WM_GAME_START_FAILED and the launcher closes
// all the same.  With an empty `token` nothing happens.  Blocks the calling
// thread for up to `waits.inputIdleMs` + `waits.windowSearchMs`.
void LoadGame(LaunchParams& params, HWND mainWindow, const GameStartWaits& waits = GameStartWaits());

// Takes the page's open-game request: the narrow text in the ANSI code page
// that the page sent.  A request that is JSON may replace `token` and
// `kvext`; then LoadGame.  One that is not is logged and starts nothing.
void OnOpenGame(LaunchParams& params, HWND mainWindow, const std::string& request,
                const GameStartWaits& waits = GameStartWaits());

// Restores `mainWindow` when it is minimised and lifts it to the top of the
// normal windows, with the foreground thread's input attached meanwhile.
// Neither shows a hidden window nor takes the foreground itself.
void TopMainWnd(HWND mainWindow);
