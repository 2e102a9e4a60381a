#pragma once
// The game's entry in the current user's list of installed programs.
#include <string>

// Below HKEY_CURRENT_USER; the entry is this key + "\" + game code.
extern const wchar_t* const kUninstallKeyPath;

// The installed game's folder from a "DisplayIcon" value: every "/" becomes
// "\" and the text is cut after the last "\" (which stays); a value without
// any separator is returned whole.
std::wstring GameDirFromDisplayIcon(std::wstring displayIcon);
