#include "Common/ReplaceAll.h"

void ReplaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    if (search.empty())
        return;
    std::wstring::size_type pos = text.find(search, 0);
    while (pos != std::wstring::npos) {
        text.replace(pos, search.size(), replacement);
        pos = text.find(search, pos + replacement.size());
    }
}
