#pragma once
// The portal page's bridge request: one JSON object whose member
// "funcation_name" (spelled so by the page) names the command.
#include <cstddef>
#include <string>

enum class BridgeCommand { None, MinWnd, CloseWnd, OpenGame, WndMouseMove };

// A request is a small flat object; anything bigger or deeper is not read
// at all, so that a page cannot make the launcher convert, parse and copy
// megabytes (or recurse a thousand levels) on its UI thread.
constexpr size_t kMaxBridgeRequestBytes = 64 * 1024;
constexpr int kMaxBridgeRequestNesting = 16;

// True when `narrowText` is at most kMaxBridgeRequestBytes long and its
// arrays and objects nest at most kMaxBridgeRequestNesting deep (brackets
// inside strings and comments do not count).
bool IsBridgeRequestWithinLimits(const std::string& narrowText);

// The command of a request (narrowed with the ANSI code page).  Text beyond
// the limits, text that is not JSON, a root that is not an object, a name
// that is missing, not a string or not one of the four (compared exactly)
// give None.
BridgeCommand ReadBridgeCommand(const std::string& narrowText);
