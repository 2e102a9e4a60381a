#include "GameLoader/CommandText.h"

#include <gtest/gtest.h>

namespace {

// ASCII stands in for the ANSI code page here; the Windows tests run the
// real conversions.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring CommandText(const std::vector<std::wstring>& items, std::vector<int>* logged = nullptr)
{
    return MakeCommandText(items, Narrow, Widen, [&](int index, const std::wstring&) {
        if (logged)
            logged->push_back(index);
    });
}

const std::wstring kExe = L"C:\\Games\\zelk\\zelk_main.exe";

}  // namespace

TEST(CommandText, Table)
{
    struct Case {
        const char* name;
        std::vector<std::wstring> items;
        std::wstring expected;
    };
    const Case cases[] = {
        {"source and token, keys sorted", {kExe, L"--token=abc", L"--source=KV"},
         L"{\"source\":\"KV\",\"token\":\"abc\"}\n"},
        {"one JSON argument is taken whole", {kExe, L"{\"winid\":\"1234\",\"installed\":\"1\"}"},
         L"{\"winid\":\"1234\",\"installed\":\"1\"}"},
        {"single installed switch", {kExe, L"--installed=1"}, L"{\"installed\":\"1\"}\n"},
        {"installed switch anywhere in a single item", {kExe, L"x--installed=7y"}, L"{\"installed\":\"7y\"}\n"},
        {"no argument: the program path", {kExe}, kExe},
        {"prefix anywhere in the item", {kExe, L"x--token=1", L"--tokenLogin=1"},
         L"{\"token\":\"1\",\"tokenLogin\":\"1\"}\n"},
        {"no switch among three items", {kExe, L"a", L"b"}, L"null\n"},
        {"later item overwrites", {kExe, L"--token=1", L"--token=2"}, L"{\"token\":\"2\"}\n"},
        {"first prefix in table order wins", {kExe, L"--source=--winid=5", L"z"}, L"{\"winid\":\"5\"}\n"},
        {"value up to the end after the first occurrence", {kExe, L"--kvext=a--kvext=b", L"z"},
         L"{\"kvext\":\"a--kvext=b\"}\n"},
        {"empty value", {kExe, L"--winid=", L"z"}, L"{\"winid\":\"\"}\n"},
        {"escaping", {kExe, L"--kvext=a\"b\\c", L"z"}, L"{\"kvext\":\"a\\\"b\\\\c\"}\n"},
        {"all ten switches",
         {kExe, L"--winid=1", L"--source=KV", L"--tokenLogin=1", L"--token=t", L"--kvext=k", L"--installed=1",
          L"--gameMgrId=2", L"--typeMode=1", L"--instGamePath=D:\\G", L"--cacheGamePath=D:\\C"},
         L"{\"cacheGamePath\":\"D:\\\\C\",\"gameMgrId\":\"2\",\"instGamePath\":\"D:\\\\G\",\"installed\":\"1\","
         L"\"kvext\":\"k\",\"source\":\"KV\",\"token\":\"t\",\"tokenLogin\":\"1\",\"typeMode\":\"1\",\"winid\":\"1\"}\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CommandText(c.items)) << c.name;
}

TEST(CommandText, LogsEveryItemOnlyFromThreeItemsOn)
{
    std::vector<int> logged;
    CommandText({kExe, L"--token=1"}, &logged);
    EXPECT_TRUE(logged.empty());
    CommandText({kExe, L"--token=1", L"--source=KV"}, &logged);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), logged);
}

TEST(CommandText, AnsiBytesOfAValuePassThroughUnchanged)
{
    // "玩家" in GBK, one byte per wide unit; the second character's trail
    // byte is not a UTF-8 continuation byte, and the quote and backslash
    // still need their escapes.
    const auto bytes = [](const std::wstring& text) {
        std::string narrow;
        for (wchar_t c : text)
            narrow += static_cast<char>(c);
        return narrow;
    };
    const auto units = [](const std::string& text) {
        std::wstring wide;
        for (char c : text)
            wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return wide;
    };
    const std::wstring text = MakeCommandText({kExe, L"--source=KV", L"--kvext=\xCD\xE6\xBC\xD2\"\\"}, bytes, units,
                                              nullptr);
    EXPECT_EQ(L"{\"kvext\":\"\xCD\xE6\xBC\xD2\\\"\\\\\",\"source\":\"KV\"}\n", text);
}
