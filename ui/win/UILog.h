#pragma once
// The framework's lines go to whatever log the program installs; the
// framework itself sits below the program's log and does not include it.
#include <string>

using UILogSink = void (*)(int level, const std::wstring& message);

// Level 0 is a failure, 2 progress, as in the program's log.
void SetUILogSink(UILogSink sink);
void UILog(int level, const std::wstring& message);
