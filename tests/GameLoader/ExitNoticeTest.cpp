#include "GameLoader/ExitNotice.h"
#include "GameLoader/PlatformNotice.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ExitNotice, Table)
{
    const struct {
        const char* text;
        bool parsed;
        bool isNotice;
        int gameId;
    } cases[] = {
        {"{\"type\":1,\"game_id\":42}", true, true, 42},
        {"{\"type\":1}", true, true, 0},
        {"{\"type\":1.0,\"game_id\":7.0}", true, true, 7},
        {"{\"type\":1,\"game_id\":\"42\"}", true, true, 0},
        {"{\"type\":1,\"game_id\":4294967296}", true, true, 0},
        {"{\"type\":1,\"game_id\":-5}", true, true, -5},
        {"/* done */ {\"type\":1,\"game_id\":3}", true, true, 3},
        {"{\"type\":\"1\"}", true, false, 0},
        {"{\"type\":2}", true, false, 0},
        {"{\"type\":1.5}", true, false, 0},
        {"{\"source\":\"KV\",\"token\":\"t\"}\n", true, false, 0},
        {"null\n", true, false, 0},
        {"[1]", true, false, 0},
        {"1", true, false, 0},
        {"type:1", false, true, 0},
        {"{type:1}", false, true, 0},
        {"type:1\n", false, false, 0},
        {"{type:2}", false, false, 0},
        {"C:\\Games\\zelk\\zelk_main.exe", false, false, 0},
    };
    for (const auto& c : cases) {
        const ExitNotice notice = ReadExitNotice(c.text);
        EXPECT_EQ(c.parsed, notice.parsed) << c.text;
        EXPECT_EQ(c.isNotice, notice.isNotice) << c.text;
        EXPECT_EQ(c.gameId, notice.gameId) << c.text;
    }
}

TEST(ExitNotice, NestingBeyondTheReadersLimitIsNoNotice)
{
    const ExitNotice notice = ReadExitNotice(std::string(5000, '[') + std::string(5000, ']'));
    EXPECT_FALSE(notice.isNotice);
}

TEST(PlatformNotice, RecordBytes)
{
    const PlatformNoticeRecord record = MakePlatformNoticeRecord(0x01020304);
    unsigned char bytes[528];
    std::memcpy(bytes, &record, sizeof bytes);
    unsigned char expected[528] = {};
    expected[0] = 0x04, expected[1] = 0x03, expected[2] = 0x02, expected[3] = 0x01;
    expected[4] = '1';
    expected[524] = 1;
    EXPECT_EQ(0, std::memcmp(expected, bytes, sizeof bytes));
}
