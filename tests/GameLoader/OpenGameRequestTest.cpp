#include "GameLoaderWnd/OpenGameRequest.h"

#include <gtest/gtest.h>

namespace {

// ASCII stands in for the ANSI code page; the Windows tests run the real one.
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TEST(OpenGameRequest, StoresStringMembersOnly)
{
    const struct {
        const char* request;
        bool parsed;
        const wchar_t* token;
        const wchar_t* kvext;
    } cases[] = {
        {"{\"token\":\"fresh\",\"kvext\":\"new\",\"type\":\"open_game\"}", true, L"fresh", L"new"},
        {"{\"token\":\"fresh\"}", true, L"fresh", L"ext"},
        {"{\"token\":42,\"kvext\":{\"a\":1}}", true, L"old", L"ext"},
        {"/* page */ {\"kvext\":\"k\"} // comment", true, L"old", L"k"},
        {"[\"token\",\"x\"]", true, L"old", L"ext"},
        {"\"token\"", true, L"old", L"ext"},
        {"7", true, L"old", L"ext"},
        {"null", true, L"old", L"ext"},
        {"open_game", false, L"old", L"ext"},
        {"", false, L"old", L"ext"},
        {"{\"token\":\"half", false, L"old", L"ext"},
    };
    for (const auto& c : cases) {
        LaunchParams params;
        params.token = L"old";
        params.kvext = L"ext";
        EXPECT_EQ(c.parsed, ReadOpenGameRequest(c.request, params, Widen)) << c.request;
        EXPECT_EQ(c.token, params.token) << c.request;
        EXPECT_EQ(c.kvext, params.kvext) << c.request;
    }
}

TEST(OpenGameRequest, NestingBeyondTheReadersLimitIsNotJson)
{
    const std::string deep = "{\"token\":\"x\",\"a\":" + std::string(5000, '[') + std::string(5000, ']') + "}";
    LaunchParams params;
    params.token = L"old";
    EXPECT_FALSE(ReadOpenGameRequest(deep, params, Widen));
    EXPECT_EQ(L"old", params.token);
}
