#pragma once
#include <string>

// Reads the process command line and produces the command text.  False only
// when the system cannot split the command line.
bool ParseCmdParam(std::wstring& commandText);
