#include "Common/ReplaceAll.h"

#include <gtest/gtest.h>

TEST(ReplaceAll, Table)
{
    struct Case {
        std::wstring text, search, replacement, expected;
    };
    const Case cases[] = {
        {L"aba", L"a", L"aa", L"aabaa"},  // resumes after the inserted text, so it ends
        {L"C:/Games/zelk/zelk.ico", L"/", L"\\", L"C:\\Games\\zelk\\zelk.ico"},
        {L"abc", L"x", L"y", L"abc"},
        {L"", L"a", L"b", L""},
        {L"aaaa", L"aa", L"", L""},
        {L"abab", L"ab", L"ba", L"baba"},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        ReplaceAll(text, c.search, c.replacement);
        EXPECT_EQ(c.expected, text) << "in " << std::string(c.text.begin(), c.text.end());
    }
}

TEST(ReplaceAll, EmptySearchLeavesTextAlone)
{
    std::wstring text = L"abc";
    ReplaceAll(text, L"", L"x");
    EXPECT_EQ(L"abc", text);
}
