#pragma once
// Decimal numbers that travel as text: the "installed" flag of the command
// text and the window handles that the platform client passes.
#include <cstdint>
#include <string>

// Reads a decimal integer the way the C library's atoi does: leading white
// space and one sign are accepted, reading stops at the first character that
// is not a digit, 0 when no number starts the text.  Unlike atoi, a number
// beyond the int range saturates at INT_MAX or INT_MIN instead of wrapping
// into an unrelated value.
int DecimalTextToInt(const std::string& text);

// A window handle written as decimal text, read by the same rule.  Handles
// are 32-bit values; a peer may print one signed or unsigned, so both
// "-123" and "4294967173" name the same window.  A number that fits neither
// form names no window: 0.
std::uint32_t WindowIdFromText(const std::wstring& text);
