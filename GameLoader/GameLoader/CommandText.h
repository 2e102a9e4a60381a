#pragma once
// Turns the items of the launcher's command line into the command text: the
// JSON object that the exit-notice check and the main window read.
#include <functional>
#include <string>
#include <vector>

struct LaunchSwitch {
    const wchar_t* prefix;  // "--winid=" ...
    const char* key;        // "winid" ...
};

// The ten switches in the order each item is tested against them.
extern const LaunchSwitch kLaunchSwitches[10];

using ToNarrowText = std::function<std::string(const std::wstring&)>;
using ToWideText = std::function<std::wstring(const std::string&)>;
using LogCommandItem = std::function<void(int index, const std::wstring& item)>;

// `items` is the command line split by the system's rules, item 0 being the
// program path.  Values are narrowed with `toNarrow` (the ANSI code page),
// the JSON text is widened with `toWide`; `logItem` hears each item when
// three or more are given.
std::wstring MakeCommandText(const std::vector<std::wstring>& items, const ToNarrowText& toNarrow,
                             const ToWideText& toWide, const LogCommandItem& logItem);
