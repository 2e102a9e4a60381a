#include "text/Utf.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[pos]; advances pos past the maximal invalid
// subpart when the sequence is invalid, as the Unicode standard recommends.
char32_t decodeUtf8(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        ++pos;
        return kReplacement;
    }
    size_t i = pos + 1;
    for (size_t k = 1; k < length; ++k, ++i) {
        if (i >= text.size()) {
            pos = i;
            return kReplacement;
        }
        const unsigned char b = byte(i);
        const unsigned char lo = k == 1 ? low : 0x80;
        const unsigned char hi = k == 1 ? high : 0xBF;
        if (b < lo || b > hi) {
            pos = i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos = i;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The length of the run of ASCII bytes at text[pos], read four at a time.
size_t asciiRun(std::string_view text, size_t pos) {
    const size_t start = pos;
    const char* data = text.data();
    while (pos + 4 <= text.size()) {
        uint32_t word;
        std::memcpy(&word, data + pos, 4);
        if (word & 0x80808080u) break;
        pos += 4;
    }
    while (pos < text.size() && static_cast<unsigned char>(data[pos]) < 0x80) ++pos;
    return pos - start;
}

// Whether any byte of `word` is below `n` (at most 0x80).
constexpr bool hasByteBelow(uint32_t word, uint32_t n) {
    return ((word - 0x01010101u * n) & ~word & 0x80808080u) != 0;
}

bool isPlainJsonByte(unsigned char byte) { return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\'; }

// The length of the run at text[pos] that a JSON string holds as it is: ASCII
// without control characters, '"' and '\\'.
size_t plainJsonRun(std::string_view text, size_t pos) {
    const size_t start = pos;
    const char* data = text.data();
    while (pos + 4 <= text.size()) {
        uint32_t word;
        std::memcpy(&word, data + pos, 4);
        if ((word & 0x80808080u) || hasByteBelow(word, 0x20) || hasByteBelow(word ^ 0x22222222u, 1) ||
            hasByteBelow(word ^ 0x5C5C5C5Cu, 1))
            break;
        pos += 4;
    }
    while (pos < text.size() && isPlainJsonByte(static_cast<unsigned char>(data[pos]))) ++pos;
    return pos - start;
}

}  // namespace

size_t utf8ToUtf16(std::string_view text, char16_t* out) {
    char16_t* const begin = out;
    const char* const data = text.data();
    size_t pos = 0;
    while (pos < text.size()) {
        // Runs of ASCII, the common case, are widened four bytes at a time.
        while (pos + 4 <= text.size()) {
            uint32_t word;
            std::memcpy(&word, data + pos, 4);
            if (word & 0x80808080u) break;
            out[0] = static_cast<char16_t>(data[pos]);
            out[1] = static_cast<char16_t>(data[pos + 1]);
            out[2] = static_cast<char16_t>(data[pos + 2]);
            out[3] = static_cast<char16_t>(data[pos + 3]);
            out += 4;
            pos += 4;
        }
        if (pos >= text.size()) break;
        if (static_cast<unsigned char>(data[pos]) < 0x80) {
            *out++ = static_cast<char16_t>(data[pos++]);
            continue;
        }
        const char32_t cp = decodeUtf8(text, pos);
        if (cp >= 0x10000) {
            *out++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<size_t>(out - begin);
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size() + 1);  // room for the terminator the pipe adds
    out.resize(text.size());       // a text never has more UTF-16 units than UTF-8 bytes
    out.resize(utf8ToUtf16(text, out.data()));
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::string sanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) appendUtf8(out, decodeUtf8(text, pos));
    return out;
}

size_t utf16Length(std::string_view text) {
    size_t units = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t run = asciiRun(text, pos);
        pos += run;
        units += run;
        if (pos >= text.size()) break;
        units += decodeUtf8(text, pos) >= 0x10000 ? 2 : 1;
    }
    return units;
}

size_t jsonStringUtf16Length(std::string_view text) {
    size_t units = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t run = plainJsonRun(text, pos);
        pos += run;
        units += run;
        if (pos >= text.size()) break;
        const char32_t cp = decodeUtf8(text, pos);
        if (cp == '"' || cp == '\\' || cp == '\b' || cp == '\f' || cp == '\n' || cp == '\r' || cp == '\t')
            units += 2;
        else if (cp < 0x20)
            units += 6;  // \u00XX
        else
            units += cp >= 0x10000 ? 2 : 1;
    }
    return units;
}
