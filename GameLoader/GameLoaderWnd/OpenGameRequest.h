#pragma once
// The page's open-game request: the JSON object the page sent with
// "open_game", as narrow text in the system's ANSI code page.
#include <string>

#include "GameLoader/LaunchParams.h"

// Stores the request's "token" and "kvext" into `params` when they are JSON
// strings (widened with `toWide`); a member of another type leaves its
// field as it was, and a root that is not an object stores nothing.  False
// only when the text is not JSON: then nothing is stored.
bool ReadOpenGameRequest(const std::string& narrowText, LaunchParams& params, const ToWideText& toWide);
