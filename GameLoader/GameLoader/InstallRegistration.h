#pragma once
// The game's per-user uninstall entry and desktop shortcut, renewed after
// every successful unpack.  Every failure is silent: the game is started
// afterwards regardless.
#include <string>

#include "GameLoader/LaunchParams.h"

// "Zelkmar.lnk" on the current user's desktop.
std::wstring DesktopShortcutPath();

void DeleteDesktopShortcut();
// Deletes the whole uninstall entry of `params.gameCode`, values an earlier
// version wrote included.
void RemoveUninstallEntry(const LaunchParams& params);
// Not when the platform client started the launcher (`source` "KV").
void CreateDesktopShortcut(const LaunchParams& params);
// Writes the five values in their order and stops at the first that fails.
void WriteUninstallEntry(const LaunchParams& params);

// All four, in that order; nothing at all without a game code.  COM must be
// initialised on the calling thread.
void RegisterInstall(const LaunchParams& params);
