#include "AttributeSyntax.h"

#include <climits>

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendWide(std::wstring& out, unsigned long code)
{
    if (sizeof(wchar_t) == 2 && code >= 0x10000) {
        code -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (code >> 10));
        out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<wchar_t>(code);
    }
}

}  // namespace

bool ParseInteger(std::string_view text, int& value)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
        if (result > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > INT_MAX || result < INT_MIN)
        return false;
    value = static_cast<int>(result);
    return true;
}

bool ParseIntegerList(std::string_view text, int* values, int count)
{
    for (int i = 0; i < count; ++i) {
        const size_t comma = text.find(',');
        const bool last = i == count - 1;
        if (last != (comma == std::string_view::npos))
            return false;
        if (!ParseInteger(text.substr(0, comma), values[i]))
            return false;
        if (!last)
            text.remove_prefix(comma + 1);
    }
    return true;
}

bool ParseCoordinate(std::string_view text, int& value)
{
    if (!ParseInteger(text, value))
        return false;
    value = ClampCoordinate(value);
    return true;
}

bool ParseCoordinateList(std::string_view text, int* values, int count)
{
    if (!ParseIntegerList(text, values, count))
        return false;
    for (int i = 0; i < count; ++i)
        values[i] = ClampCoordinate(values[i]);
    return true;
}

bool ParseColor(std::string_view text, uint32_t& argb)
{
    text = Trim(text);
    if (text.size() != 9 || text[0] != '#')
        return false;
    uint32_t result = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
            return false;
        result = (result << 4) | static_cast<uint32_t>(digit);
    }
    argb = result;
    return true;
}

bool ParseBool(std::string_view text, bool& value)
{
    text = Trim(text);
    if (text == "true") {
        value = true;
        return true;
    }
    if (text == "false") {
        value = false;
        return true;
    }
    return false;
}

bool ParsePicture(std::string_view text, PictureRef& picture)
{
    const std::string_view trimmed = Trim(text);
    if (trimmed.find('=') == std::string_view::npos) {
        if (trimmed.find('\'') != std::string_view::npos)
            return false;
        picture = PictureRef{std::string(trimmed), UIRect{}};
        return true;
    }
    PictureRef result;
    std::string_view rest = trimmed;
    bool haveFile = false;
    while (!(rest = Trim(rest)).empty()) {
        const size_t equals = rest.find('=');
        if (equals == std::string_view::npos)
            return false;
        const std::string_view key = Trim(rest.substr(0, equals));
        rest.remove_prefix(equals + 1);
        rest = Trim(rest);
        if (rest.empty() || rest[0] != '\'')
            return false;
        const size_t close = rest.find('\'', 1);
        if (close == std::string_view::npos)
            return false;
        const std::string_view value = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        if (key == "file") {
            result.file.assign(value);
            haveFile = true;
        } else if (key == "corner") {
            int margins[4];
            if (!ParseCoordinateList(value, margins, 4))
                return false;
            for (int margin : margins)
                if (margin < 0)
                    return false;
            result.corner = UIRect{margins[0], margins[1], margins[2], margins[3]};
        } else if (key.empty()) {
            return false;
        }
    }
    if (!haveFile)
        return false;
    picture = result;
    return true;
}

std::wstring Utf8ToWide(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        unsigned long code;
        int extra;
        if (lead < 0x80) { code = lead; extra = 0; }
        else if ((lead & 0xE0) == 0xC0) { code = lead & 0x1F; extra = 1; }
        else if ((lead & 0xF0) == 0xE0) { code = lead & 0x0F; extra = 2; }
        else if ((lead & 0xF8) == 0xF0) { code = lead & 0x07; extra = 3; }
        else { out += static_cast<wchar_t>(0xFFFD); ++i; continue; }
        // The whole sequence must lie inside the text.
        bool valid = i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (next & 0x3F);
        }
        static const unsigned long kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        AppendWide(out, code);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = static_cast<unsigned long>(text[i]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        if (sizeof(wchar_t) == 2 && code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const unsigned long low = static_cast<unsigned long>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        AppendUtf8(out, code);
    }
    return out;
}

void AppendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
