#include "Log/LoginTokens.h"

#include <gtest/gtest.h>

TEST(LoginTokens, OnlyTheTokensValueGivesWayToItsLength)
{
    const struct {
        const wchar_t* text;
        const wchar_t* logged;
    } cases[] = {
        // Command-line items: the value runs to the end of the item.
        {L"--token=abc123", L"--token=<6 chars>"},
        {L"x--token=a b", L"x--token=<3 chars>"},
        {L"--token=", L"--token=<0 chars>"},
        {L"--tokenLogin=1", L"--tokenLogin=1"},
        {L"C:\\zelk_main.exe", L"C:\\zelk_main.exe"},
        // Command texts and requests: the string value of "token" only.
        {L"{\"source\":\"KV\",\"token\":\"abc\",\"tokenLogin\":\"1\"}\n",
         L"{\"source\":\"KV\",\"token\":\"<3 chars>\",\"tokenLogin\":\"1\"}\n"},
        {L"{ \"token\" : \"a\\\"b\" , \"kvext\":\"token\"}", L"{ \"token\" : \"<4 chars>\" , \"kvext\":\"token\"}"},
        {L"{\"token\":42}", L"{\"token\":42}"},
        {L"{\"token\":\"unclosed", L"{\"token\":\"<8 chars>"},
        {L"{\"token\":\"a\",\"x\":{\"token\":\"bb\"}}", L"{\"token\":\"<1 chars>\",\"x\":{\"token\":\"<2 chars>\"}}"},
        {L"type:1", L"type:1"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.logged), HideLoginTokens(c.text)) << std::wstring(c.text).size();
}
