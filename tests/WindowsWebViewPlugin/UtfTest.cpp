#include <gtest/gtest.h>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

#include "text/Utf.h"

namespace {

// The length JSON gives a text as a string's contents, from the writer itself.
size_t writtenJsonStringUnits(const std::string& text) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    return utf16Length(std::string_view(buffer.GetString(), buffer.GetSize())) - 2;  // without the quotes
}

// Each piece at every position within a four-byte word, between ASCII runs,
// so that the word-at-a-time paths meet it at each alignment.
TEST(Utf, ConversionAndCountsAgreeAtEveryAlignment) {
    const struct {
        const char* utf8;
        std::u16string utf16;
    } pieces[] = {
        {"", u""},
        {"\xC3\xA9", u"\u00E9"},
        {"\xE4\xB8\xAD", u"\u4E2D"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xFF", u"\uFFFD"},
        {"\xE4\xB8", u"\uFFFD"},                  // cut short
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\"", u"\""},
        {"\\", u"\\"},
        {"\n", u"\n"},
        {"\x01", u"\x01"},
        {"\x7F/", u"\x7F/"},
    };
    for (const auto& piece : pieces) {
        for (size_t before = 0; before < 8; ++before) {
            const std::string text = std::string(before, 'a') + piece.utf8 + std::string(9, 'b');
            const std::u16string expected = std::u16string(before, u'a') + piece.utf16 + std::u16string(9, u'b');
            SCOPED_TRACE(testing::Message() << "piece " << testing::PrintToString(piece.utf8) << " after " << before);
            EXPECT_EQ(utf8ToUtf16(text), expected);
            EXPECT_EQ(utf16Length(text), expected.size());
            EXPECT_EQ(jsonStringUtf16Length(text), writtenJsonStringUnits(text));
        }
    }
}

}  // namespace
