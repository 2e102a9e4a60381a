#pragma once
// The portal page's bridge request: one JSON object whose member
// "funcation_name" (spelled so by the page) names the command.
#include <string>

enum class BridgeCommand { None, MinWnd, CloseWnd, OpenGame, WndMouseMove };

// The command of a request (narrowed with the ANSI code page).  Text that is
// not JSON, a root that is not an object, a name that is missing, not a
// string or not one of the four (compared exactly) give None.
BridgeCommand ReadBridgeCommand(const std::string& narrowText);
