#pragma once
#include "GameLoader/LaunchParams.h"

// Reads `params.cmdJson` into the other fields of `params`; when the text
// carries "winid", the new value is also kept in the local settings as the
// platform window id.  False when the text is empty or is not JSON (every
// field then keeps its value); true otherwise, also when the root is not an
// object and nothing could be read.  The main window's ParseCmdJson.
bool ParseCmdJson(LaunchParams& params);
