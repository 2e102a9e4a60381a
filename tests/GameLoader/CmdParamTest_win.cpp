// The command text as the launcher builds it from real Windows command
// lines, under the 1252 and the 936 code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "Common/Text.h"
#include "support/Process_win.h"

namespace {

std::string CommandTextOf(const std::wstring& arguments)
{
    const std::wstring exe = TestBinaryDir() + L"\\" CMDPARAM_PROBE_EXE;
    const std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    const ProcessResult result = RunProcess(line);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(0u, result.exitCode);
    return result.output;
}

std::string Utf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }

}  // namespace

TEST(CmdParam, CommandLineTable)
{
    struct Case {
        const wchar_t* arguments;
        const char* expected;
    };
    const Case cases[] = {
        {L"--source=KV --token=abc123", "{\"source\":\"KV\",\"token\":\"abc123\"}\n|ok"},
        {L"\"{\\\"winid\\\":\\\"1234\\\",\\\"installed\\\":\\\"1\\\"}\"", "{\"winid\":\"1234\",\"installed\":\"1\"}|ok"},
        {L"--installed=1", "{\"installed\":\"1\"}\n|ok"},
        {L"x--token=1 --tokenLogin=1", "{\"token\":\"1\",\"tokenLogin\":\"1\"}\n|ok"},
        {L"a b", "null\n|ok"},
        {L"\"--instGamePath=D:\\My Games\" --source=KV", "{\"instGamePath\":\"D:\\\\My Games\",\"source\":\"KV\"}\n|ok"},
        {L"--winid=1 --winid=2", "{\"winid\":\"2\"}\n|ok"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CommandTextOf(c.arguments)) << Utf8(c.arguments);
}

TEST(CmdParam, NoArgumentGivesTheProgramPath)
{
    const std::string text = CommandTextOf(L"");
    EXPECT_EQ("|ok", text.substr(text.size() - 3));
    EXPECT_NE(std::string::npos, text.find(CMDPARAM_PROBE_EXE));
}

TEST(CmdParam, ValuesTravelThroughTheAnsiCodePage)
{
    // Under 936 Chinese survives; under 1252 it becomes the default character.
    const std::wstring value = L"\u73a9\u5bb6";
    const std::string text = CommandTextOf(L"--source=KV --kvext=" + value);
    const std::string expectedValue = GetACP() == 936 ? Utf8(value) : "??";
    EXPECT_EQ("{\"kvext\":\"" + expectedValue + "\",\"source\":\"KV\"}\n|ok", text);
}
