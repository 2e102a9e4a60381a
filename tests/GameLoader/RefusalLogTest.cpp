#include "CIeBrowserUI/RefusalLog.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RefusalLog, AFewLinesASecondAndTheCountOfTheRest)
{
    RefusalLog log(3);
    unsigned long leftOut = 99;
    // A page trying every millisecond for two and a half seconds.
    unsigned written = 0;
    std::vector<unsigned long> reported;
    for (unsigned long long now = 5000; now < 7500; ++now) {
        if (log.Admit(now, leftOut)) {
            ++written;
            reported.push_back(leftOut);
        } else {
            EXPECT_EQ(0u, leftOut);
        }
    }
    EXPECT_EQ(9u, written);
    // The first line of each new second tells how many were left out.
    EXPECT_EQ((std::vector<unsigned long>{0, 0, 0, 997, 0, 0, 997, 0, 0}), reported);
    // A quiet page gets every line.
    EXPECT_TRUE(log.Admit(20000, leftOut));
    EXPECT_EQ(497u, leftOut);
    EXPECT_TRUE(log.Admit(30000, leftOut));
    EXPECT_EQ(0u, leftOut);
}

TEST(RefusalLog, LongTextsAreShortened)
{
    EXPECT_EQ(L"abc", ShortenForLog(L"abc", 3));
    EXPECT_EQ(L"ab...(3 chars)", ShortenForLog(L"abc", 2));
    EXPECT_EQ(L"a?2026-01-01 forged?b?", ShortenForLog(std::wstring(L"a\n2026-01-01 forged\rb\0", 22)));
    const std::wstring url(1 << 20, L'x');
    EXPECT_EQ(url.substr(0, 512) + L"...(1048576 chars)", ShortenForLog(url));
}
