#pragma once
// How the demo drivers show what a stand-in recorded.
#include <algorithm>
#include <cstdio>
#include <string>

#include "support/StandIns_win.h"

// Prints the lines of the file at `path` that start with `prefix`, each cut
// to `width` characters, or "(nothing)" when none does.
inline void PrintFileLines(const std::wstring& path, const char* prefix, const char* indent, size_t width)
{
    const std::string text = FileExists(path) ? ReadFileBytes(path) : std::string();
    bool printed = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0) {
            std::printf("%s%s\n", indent, line.substr(0, std::min(width, line.size())).c_str());
            printed = true;
        }
        start = end + 1;
    }
    if (!printed)
        std::printf("%s(nothing)\n", indent);
}
