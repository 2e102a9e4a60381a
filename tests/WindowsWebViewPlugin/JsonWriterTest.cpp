#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <string>

#include "text/JsonWriter.h"

namespace {

enum class Writer { Library, IntoBuffer, IntoString };

std::string written(const rapidjson::Document& document, Writer which) {
    if (which == Writer::IntoString) {
        // Appended to what the string holds, as a command is written.
        std::string text = "x";
        StringOutput output(text);
        BasicJsonWriter<StringOutput> writer(output);
        document.Accept(writer);
        return text.substr(1);
    }
    rapidjson::StringBuffer buffer;
    if (which == Writer::IntoBuffer) {
        JsonWriter writer(buffer);
        document.Accept(writer);
    } else {
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        document.Accept(writer);
    }
    return std::string(buffer.GetString(), buffer.GetSize());
}

// Every byte that needs escaping, and some that do not, at each position
// within a four-byte word, in a key, a member and an array.
TEST(JsonWriter, WritesWhatTheLibraryWriterWrites) {
    std::string special;
    for (int byte = 0; byte < 0x20; ++byte) special += static_cast<char>(byte);
    special += "\"\\/\x7F\xC3\xA9\xF0\x9F\x98\x80\xFF";
    for (const char piece : special) {
        for (size_t before = 0; before < 8; ++before) {
            const std::string text = std::string(before, 'a') + piece + std::string(9, 'b');
            rapidjson::Document document;
            document.SetObject();
            auto& allocator = document.GetAllocator();
            rapidjson::Value list(rapidjson::kArrayType);
            list.PushBack(rapidjson::StringRef(text.data(), text.size()), allocator).PushBack(1.5, allocator);
            document.AddMember("type", 35, allocator)
                .AddMember(rapidjson::StringRef(text.data(), text.size()), true, allocator)
                .AddMember("text", rapidjson::StringRef(text.data(), text.size()), allocator)
                .AddMember("list", list, allocator);
            const std::string expected = written(document, Writer::Library);
            for (const Writer which : {Writer::IntoBuffer, Writer::IntoString})
                EXPECT_EQ(written(document, which), expected)
                    << "byte " << static_cast<int>(static_cast<unsigned char>(piece)) << " after " << before
                    << (which == Writer::IntoString ? " into a string" : " into a buffer");
        }
    }
}

}  // namespace
