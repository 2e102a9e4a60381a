// A page's pop-up addresses are whatever a page sends (UTF-16 units, two
// bytes each here).  What qualifies for the default browser must be a web
// address with nothing a command line could split or the shell read
// otherwise, and must qualify again unchanged; the log's masking and
// shortening take anything.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CIeBrowserUI/PortalUrl.h"
#include "CIeBrowserUI/RefusalLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring url;
    for (size_t i = 0; i + 1 < size; i += 2)
        url += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const std::wstring opened = BrowserUrlForPopup(url);
    if (!opened.empty()) {
        if (opened.compare(0, 7, L"http://") != 0 && opened.compare(0, 8, L"https://") != 0)
            __builtin_trap();
        for (wchar_t c : opened)
            if (c < 0x21 || c == 0x7F || c == L'"' || c == L'\\' || c == L'<' || c == L'>' || c == L'|' ||
                c == L'^' || c == L'`')
                __builtin_trap();
        if (BrowserUrlForPopup(opened) != opened)
            __builtin_trap();
    }
    for (wchar_t c : ShortenForLog(MaskTokenInUrl(url)))
        if (c < 0x20)
            __builtin_trap();
    IsUrlOnHost(url, L"portal.test");
    return 0;
}
