#pragma once
// The compact JSON writer for texts the plug-in sends.  Its output is byte
// for byte that of rapidjson::Writer; strings are written with the runs that
// need no escaping copied in one go instead of byte by byte, which matters
// for the long strings commands and multi-part packets carry.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <cstring>

class JsonWriter : public rapidjson::Writer<rapidjson::StringBuffer> {
public:
    explicit JsonWriter(rapidjson::StringBuffer& buffer) : rapidjson::Writer<rapidjson::StringBuffer>(buffer) {}

    bool String(const Ch* text, rapidjson::SizeType length, bool copy = false) {
        (void)copy;
        Prefix(rapidjson::kStringType);
        writeString(text, length);
        return EndValue(true);
    }
    bool Key(const Ch* text, rapidjson::SizeType length, bool copy = false) { return String(text, length, copy); }

private:
    // Whether any byte of `word` is below `n` (at most 0x80).
    static bool hasByteBelow(uint32_t word, uint32_t n) {
        return ((word - 0x01010101u * n) & ~word & 0x80808080u) != 0;
    }
    // Bytes written as they are: everything but control characters, '"' and '\'.
    static bool isPlain(unsigned char byte) { return byte >= 0x20 && byte != '"' && byte != '\\'; }

    void writeString(const char* text, size_t length) {
        static const char hexDigits[] = "0123456789ABCDEF";
        rapidjson::StringBuffer& out = *os_;
        out.Put('"');
        size_t pos = 0;
        while (pos < length) {
            size_t end = pos;
            while (end + 4 <= length) {
                uint32_t word;
                std::memcpy(&word, text + end, 4);
                if (hasByteBelow(word, 0x20) || hasByteBelow(word ^ 0x22222222u, 1) ||
                    hasByteBelow(word ^ 0x5C5C5C5Cu, 1))
                    break;
                end += 4;
            }
            while (end < length && isPlain(static_cast<unsigned char>(text[end]))) ++end;
            if (end > pos) {
                std::memcpy(out.Push(end - pos), text + pos, end - pos);
                pos = end;
            }
            if (pos >= length) break;
            const auto byte = static_cast<unsigned char>(text[pos++]);
            out.Put('\\');
            switch (byte) {
                case '"': out.Put('"'); break;
                case '\\': out.Put('\\'); break;
                case '\b': out.Put('b'); break;
                case '\f': out.Put('f'); break;
                case '\n': out.Put('n'); break;
                case '\r': out.Put('r'); break;
                case '\t': out.Put('t'); break;
                default:
                    out.Put('u');
                    out.Put('0');
                    out.Put('0');
                    out.Put(hexDigits[byte >> 4]);
                    out.Put(hexDigits[byte & 0xF]);
            }
        }
        out.Put('"');
    }
};
