#pragma once
// The compact JSON writer for texts the plug-in sends.  Its output is byte
// for byte that of rapidjson::Writer; strings are written with the runs that
// need no escaping copied in one go instead of byte by byte, which matters
// for the long strings commands and multi-part packets carry.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <cstring>
#include <string>

// An output for the writer that appends to a std::string, so that a command
// is written straight into the text that goes on to the queue: one
// allocation when the string has been reserved, and no copy.
class StringOutput {
public:
    typedef char Ch;
    explicit StringOutput(std::string& text) : text(text) {}
    void Put(char c) { text.push_back(c); }
    char* Push(size_t count) {
        const size_t at = text.size();
        text.resize(at + count);
        return &text[at];
    }
    void Flush() {}

private:
    std::string& text;
};

template <typename Output>
class BasicJsonWriter : public rapidjson::Writer<Output> {
    using Base = rapidjson::Writer<Output>;

public:
    // The writer's stack of nesting levels takes its memory from the one
    // shared, stateless allocator instead of making an allocator of its own.
    explicit BasicJsonWriter(Output& out) : Base(out, &levelAllocator()) {}

    bool String(const char* text, rapidjson::SizeType length, bool copy = false) {
        (void)copy;
        this->Prefix(rapidjson::kStringType);
        writeString(text, length);
        return this->EndValue(true);
    }
    bool Key(const char* text, rapidjson::SizeType length, bool copy = false) { return String(text, length, copy); }

private:
    static rapidjson::CrtAllocator& levelAllocator() {
        static rapidjson::CrtAllocator allocator;
        return allocator;
    }

    // Whether any byte of `word` is below `n` (at most 0x80).
    static bool hasByteBelow(uint32_t word, uint32_t n) {
        return ((word - 0x01010101u * n) & ~word & 0x80808080u) != 0;
    }
    // Bytes written as they are: everything but control characters, '"' and '\'.
    static bool isPlain(unsigned char byte) { return byte >= 0x20 && byte != '"' && byte != '\\'; }

    void writeString(const char* text, size_t length) {
        static const char hexDigits[] = "0123456789ABCDEF";
        Output& out = *this->os_;
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

using JsonWriter = BasicJsonWriter<rapidjson::StringBuffer>;
