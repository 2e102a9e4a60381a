#pragma once
#include <string>

enum GameExitResult : int {
    kNotGameExit = 0,          // a normal start (also when the check failed)
    kGameExitDelivered = 1,    // the platform client has the notice
    kGameExitUndelivered = 2,  // a notice, but no platform client took it
};

// Checks whether the command text is an exit notice and, if so, relays it to
// the platform client: first to the window the settings name when a login
// source is stored there, else to the window titled "Korvane" of the first
// "Korvane.exe" process.  Runs before any window exists.
int IsGameExit(const std::wstring& commandText);
