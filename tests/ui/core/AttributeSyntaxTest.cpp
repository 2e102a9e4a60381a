#include "core/AttributeSyntax.h"

#include <gtest/gtest.h>

TEST(AttributeSyntax, NumbersAndLists)
{
    struct Case {
        const char* text;
        int count;
        bool ok;
        int values[4];
    } const cases[] = {
        {"12", 1, true, {12}},
        {"-3", 1, true, {-3}},
        {" 7 ", 1, true, {7}},
        {"2147483647", 1, true, {2147483647}},
        {"-2147483648", 1, true, {-2147483647 - 1}},
        {"2147483648", 1, false, {}},
        {"12a", 1, false, {}},
        {"", 1, false, {}},
        {"-", 1, false, {}},
        {"960,620", 2, true, {960, 620}},
        {"320, 320, 0, 0", 4, true, {320, 320, 0, 0}},
        {"1,2,3", 4, false, {}},
        {"1,2,3,4,5", 4, false, {}},
        {"1,,3,4", 4, false, {}},
    };
    for (const Case& c : cases) {
        int values[4] = {};
        EXPECT_EQ(c.ok, ParseIntegerList(c.text, values, c.count)) << c.text;
        if (c.ok) {
            for (int i = 0; i < c.count; ++i)
                EXPECT_EQ(c.values[i], values[i]) << c.text;
        }
    }
}

TEST(AttributeSyntax, ColoursAndBooleans)
{
    uint32_t color = 0;
    EXPECT_TRUE(ParseColor("#FFEEE8D9", color));
    EXPECT_EQ(0xFFEEE8D9u, color);
    EXPECT_TRUE(ParseColor("#ff008aff", color));
    EXPECT_EQ(0xFF008AFFu, color);
    for (const char* bad : {"#444444", "FFEEE8D9", "#FFEEE8DG", "#FFEEE8D9A", ""}) {
        color = 7;
        EXPECT_FALSE(ParseColor(bad, color)) << bad;
        EXPECT_EQ(7u, color) << bad;
    }
    bool value = false;
    EXPECT_TRUE(ParseBool("true", value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(ParseBool("false", value));
    EXPECT_FALSE(value);
    EXPECT_FALSE(ParseBool("TRUE", value));
    EXPECT_FALSE(ParseBool("1", value));
}

TEST(AttributeSyntax, Pictures)
{
    PictureRef picture;
    ASSERT_TRUE(ParsePicture("gmin_normal.png", picture));
    EXPECT_EQ("gmin_normal.png", picture.file);
    EXPECT_TRUE(picture.corner == UIRect{});
    ASSERT_TRUE(ParsePicture("file='gprogress_fore.png' corner='3,3,3,3'", picture));
    EXPECT_EQ("gprogress_fore.png", picture.file);
    EXPECT_TRUE((picture.corner == UIRect{3, 3, 3, 3}));
    ASSERT_TRUE(ParsePicture("corner='1,2,3,4' fade='255' file='a b.png'", picture));
    EXPECT_EQ("a b.png", picture.file);
    EXPECT_TRUE((picture.corner == UIRect{1, 2, 3, 4}));
    for (const char* bad : {"file='x.png", "corner='3,3,3,3'", "file='x.png' corner='3,3'",
                            "file='x.png' corner='-1,0,0,0'", "file=x.png", "'x.png'"}) {
        PictureRef kept{"kept.png", UIRect{}};
        EXPECT_FALSE(ParsePicture(bad, kept)) << bad;
        EXPECT_EQ("kept.png", kept.file) << bad;
    }
}

TEST(AttributeSyntax, Utf8RoundTripAndMalformedBytes)
{
    const std::string text = "\xE6\xAD\xA3\xE5\x9C\xA8 ok \xF0\x9F\x98\x80";
    EXPECT_EQ(text, WideToUtf8(Utf8ToWide(text)));
    EXPECT_EQ(std::wstring(L"\x6B63\x5728"), Utf8ToWide("\xE6\xAD\xA3\xE5\x9C\xA8"));
    // Truncated, overlong and stray continuation bytes each become U+FFFD.
    EXPECT_EQ(std::wstring(L"a\xFFFD\xFFFD"), Utf8ToWide("a\xE6\xAD"));
    EXPECT_EQ(std::wstring(L"\xFFFD\xFFFD"), Utf8ToWide("\xC0\xAF"));
    EXPECT_EQ(std::wstring(L"\xFFFDz"), Utf8ToWide("\x80z"));
}
