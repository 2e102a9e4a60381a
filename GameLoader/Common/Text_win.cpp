#include "Common/Text.h"

#include <windows.h>

#include <vector>

namespace {
// Short texts, which are nearly all of them, convert without a heap buffer.
constexpr int kLocalBuffer = 260;
}  // namespace

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    wchar_t local[kLocalBuffer + 1] = {};
    std::vector<wchar_t> heap;
    wchar_t* buffer = local;
    if (length >= kLocalBuffer) {
        heap.assign(static_cast<size_t>(length) + 1, L'\0');
        buffer = heap.data();
    }
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, length);
    return std::wstring(buffer);
}

std::string WideToMultiByte(const std::wstring& text, unsigned int codePage)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    char local[kLocalBuffer + 1] = {};
    std::vector<char> heap;
    char* buffer = local;
    if (length >= kLocalBuffer) {
        heap.assign(static_cast<size_t>(length) + 1, '\0');
        buffer = heap.data();
    }
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, buffer, length, nullptr, nullptr);
    return std::string(buffer);
}
