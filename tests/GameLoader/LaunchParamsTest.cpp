#include "GameLoader/LaunchParams.h"

#include <gtest/gtest.h>

#include <climits>

#include "Common/DecimalText.h"

namespace {

// ASCII stands in for the ANSI code page; the Windows tests run the real one.
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TEST(LaunchParams, ReadsEveryStringMemberOfTheTable)
{
    LaunchParams params;
    const CmdJsonReading reading = ReadCmdJson(
        "{\"winid\":\"1234\",\"source\":\"KV\",\"tokenLogin\":\"1\",\"token\":\"t\",\"kvext\":\"x\","
        "\"installed\":\"1\",\"gameMgrId\":\"77\",\"typeMode\":\"1\",\"instGamePath\":\"D:\\\\G\","
        "\"cacheGamePath\":\"E:\\\\C\",\"type\":\"ignored\"}",
        params, Widen);
    EXPECT_TRUE(reading.parsed);
    EXPECT_TRUE(reading.winidStored);
    EXPECT_EQ(L"1234", params.winid);
    EXPECT_EQ(L"KV", params.source);
    EXPECT_EQ(L"1", params.tokenLogin);
    EXPECT_EQ(L"t", params.token);
    EXPECT_EQ(L"x", params.kvext);
    EXPECT_EQ(1, params.installed);
    EXPECT_EQ(L"77", params.gameMgrId);
    EXPECT_EQ(L"1", params.typeMode);
    EXPECT_EQ(L"D:\\G", params.instGamePath);
    EXPECT_EQ(L"E:\\C", params.cacheGamePath);
}

TEST(LaunchParams, TextsThatStoreNothing)
{
    struct Case {
        const char* text;
        bool parsed;
    };
    const Case cases[] = {
        {"{\"installed\":1,\"winid\":1234,\"source\":true,\"token\":{\"a\":\"b\"}}", true},  // not strings
        {"42", true},
        {"\"winid\"", true},
        {"true", true},
        {"[\"winid\",\"1\"]", true},
        {"null\n", true},
        {"{}", true},
        {"C:\\Games\\zelk\\zelk_main.exe", false},
        {"{\"winid\":", false},
        {"type:1", false},
    };
    for (const Case& c : cases) {
        LaunchParams params;
        params.source = L"kept";
        const CmdJsonReading reading = ReadCmdJson(c.text, params, Widen);
        EXPECT_EQ(c.parsed, reading.parsed) << c.text;
        EXPECT_FALSE(reading.winidStored) << c.text;
        EXPECT_EQ(L"kept", params.source) << c.text;
        EXPECT_EQ(0, params.installed) << c.text;
        EXPECT_TRUE(params.winid.empty() && params.token.empty()) << c.text;
    }
}

TEST(LaunchParams, NestingBeyondTheReadersLimitIsNotJson)
{
    LaunchParams params;
    EXPECT_FALSE(ReadCmdJson(std::string(5000, '[') + std::string(5000, ']'), params, Widen).parsed);
}

TEST(LaunchParams, CommentsAreAllowed)
{
    LaunchParams params;
    EXPECT_TRUE(ReadCmdJson("// from the platform client\n{\"source\":/* who */\"KV\"}", params, Widen).parsed);
    EXPECT_EQ(L"KV", params.source);
}

TEST(DecimalText, InstalledReadsLikeAtoiWithoutWrapping)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"1", 1},          {"  \t+7", 7},     {"-3x", -3},           {"12abc", 12}, {"abc", 0},
        {"", 0},           {"- 1", 0},        {"0001", 1},           {"2147483647", INT_MAX},
        {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, DecimalTextToInt(c.text)) << c.text;
}

TEST(DecimalText, WindowIdsAreThirtyTwoBitValues)
{
    const struct {
        const wchar_t* text;
        std::uint32_t expected;
    } cases[] = {
        {L"1234", 1234u},      {L" 66052x", 66052u},  {L"4294967295", 0xFFFFFFFFu}, {L"-1", 0xFFFFFFFFu},
        {L"4294967296", 0u},   {L"-2147483649", 0u},  {L"abc", 0u},                 {L"", 0u},
        {L"184467440737095516161", 0u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, WindowIdFromText(c.text));
}
