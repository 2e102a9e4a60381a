#pragma once
#include <string>

// Replaces every occurrence of `search` in `text`, resuming after each
// inserted replacement (so replacing "a" by "aa" terminates).  `search`
// must not be empty; an empty search text leaves `text` unchanged.
void ReplaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement);
