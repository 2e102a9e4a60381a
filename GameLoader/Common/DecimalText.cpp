#include "Common/DecimalText.h"

#include <climits>

namespace {

bool IsCSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Leading digits of `text` after white space and a sign.  `magnitude` stops
// growing once it exceeds `limit`, so no overflow can happen on the way.
template <typename Text>
bool ReadDecimal(const Text& text, bool& negative, std::uint64_t& magnitude, std::uint64_t limit)
{
    std::size_t at = 0;
    while (at < text.size() && IsCSpace(static_cast<wchar_t>(text[at])))
        ++at;
    negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    magnitude = 0;
    bool any = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        any = true;
        if (magnitude <= limit)
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[at] - '0');
    }
    return any;
}

}  // namespace

int DecimalTextToInt(const std::string& text)
{
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ReadDecimal(text, negative, magnitude, std::uint64_t(INT_MAX) + 1))
        return 0;
    if (negative)
        return magnitude > std::uint64_t(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-static_cast<std::int64_t>(magnitude));
    return magnitude > std::uint64_t(INT_MAX) ? INT_MAX : static_cast<int>(magnitude);
}

std::uint32_t WindowIdFromText(const std::wstring& text)
{
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ReadDecimal(text, negative, magnitude, UINT32_MAX))
        return 0;
    if (negative) {
        if (magnitude > std::uint64_t(INT32_MAX) + 1)
            return 0;
        return static_cast<std::uint32_t>(-static_cast<std::int64_t>(magnitude));
    }
    return magnitude > UINT32_MAX ? 0 : static_cast<std::uint32_t>(magnitude);
}
