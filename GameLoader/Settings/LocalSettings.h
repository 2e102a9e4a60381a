#pragma once
// The launcher's local settings (setting.xml in the platform client's folder)
// and the game's uninstall entry, as the rest of the launcher sees them:
// wide texts, bool or empty results, no log lines.
#include <string>

// local application data\Korvane\setting.xml; creates the Korvane folder
// (one level) when it is missing.
std::wstring GetSettingPath();

bool SavePlatformWindowId(const std::wstring& value, const std::wstring& settingPath);
bool LoadPlatformWindowId(const std::wstring& settingPath, std::wstring& value);
bool SaveLoginSource(const std::wstring& value, const std::wstring& settingPath);
bool LoadLoginSource(const std::wstring& settingPath, std::wstring& value);

// The folder of the entry's "DisplayIcon" with a trailing backslash, or empty.
std::wstring GetGameDirFromUninstall(const std::wstring& gameCode);
// The entry's "FileParam", or empty.
std::wstring GetBagFileParam(const std::wstring& gameCode);
