#pragma once
// Conversions between UTF-16 and a narrow code page.  Characters that the
// code page cannot hold become its default character.
#include <string>

// Narrow text in the system's ANSI code page to UTF-16.
std::wstring AnsiToWide(const std::string& text);
// UTF-16 to narrow text in `codePage` (CP_ACP for the system's ANSI code page).
std::string WideToMultiByte(const std::wstring& text, unsigned int codePage);
