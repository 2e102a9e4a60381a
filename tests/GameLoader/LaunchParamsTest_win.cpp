// Real command lines through ParseCmdParam into the main window's
// ParseCmdJson, under the 1252 and the 936 code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "Common/Text.h"
#include "GameLoaderWnd/GameLoaderWnd.h"
#include "Settings/LocalSettings.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

std::string RecordOf(const std::wstring& arguments)
{
    const std::wstring line = QuotedStandIn(L"" LAUNCHPARAMS_PROBE_EXE) + (arguments.empty() ? L"" : L" " + arguments);
    const ProcessResult result = RunProcess(line);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(0u, result.exitCode);
    return result.output;
}

std::string Utf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }

const char* const kEmptyRecord =
    "winid=\nsource=\ntokenLogin=\ntoken=\nkvext=\ninstalled=0\ngameMgrId=\ntypeMode=\ninstGamePath=\n"
    "cacheGamePath=\n";

}  // namespace

TEST(LaunchParams, CommandLinesIntoTheRecord)
{
    SettingsFileGuard settings;
    const std::string chinese = GetACP() == 936 ? Utf8(L"\u73a9\u5bb6") : "??";
    struct Case {
        std::wstring arguments;
        std::string expected;
    };
    const Case cases[] = {
        {L"--source=KV --token=tok-1", "result=1\nwinid=\nsource=KV\ntokenLogin=\ntoken=tok-1\nkvext=\ninstalled=0\n"
                                       "gameMgrId=\ntypeMode=\ninstGamePath=\ncacheGamePath=\n"},
        {L"--winid=5 --source=KV --tokenLogin=1 --token=t --kvext=\u73a9\u5bb6 --installed=1 --gameMgrId=66 "
         L"--typeMode=1 \"--instGamePath=D:\\My Games\" --cacheGamePath=E:\\c",
         "result=1\nwinid=5\nsource=KV\ntokenLogin=1\ntoken=t\nkvext=" + chinese +
             "\ninstalled=1\ngameMgrId=66\ntypeMode=1\ninstGamePath=D:\\My Games\ncacheGamePath=E:\\c\n"},
        {L"\"{\\\"winid\\\":\\\"1234\\\",\\\"installed\\\":\\\"1\\\"}\"",
         "result=1\nwinid=1234\nsource=\ntokenLogin=\ntoken=\nkvext=\ninstalled=1\ngameMgrId=\ntypeMode=\n"
         "instGamePath=\ncacheGamePath=\n"},
        {L"\"{\\\"installed\\\":1,\\\"source\\\":\\\"KV\\\"}\"",
         "result=1\nwinid=\nsource=KV\ntokenLogin=\ntoken=\nkvext=\ninstalled=0\ngameMgrId=\ntypeMode=\n"
         "instGamePath=\ncacheGamePath=\n"},
        {L"--installed=1", "result=1\nwinid=\nsource=\ntokenLogin=\ntoken=\nkvext=\ninstalled=1\ngameMgrId=\n"
                           "typeMode=\ninstGamePath=\ncacheGamePath=\n"},
        {L"a b", std::string("result=1\n") + kEmptyRecord},
        {L"", std::string("result=0\n") + kEmptyRecord},
        {L"\"[1,2]\"", std::string("result=1\n") + kEmptyRecord},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, RecordOf(c.arguments)) << Utf8(c.arguments);

    // The last winid read is kept as the platform window id.
    std::wstring windowId;
    EXPECT_TRUE(LoadPlatformWindowId(settings.path(), windowId));
    EXPECT_EQ(L"1234", windowId);
}

TEST(LaunchParams, EmptyAndNonJsonTextsAreLoggedAndStoreNothing)
{
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();
    GameLoaderWnd empty(L"");
    EXPECT_FALSE(empty.ParseCmdJson());
    GameLoaderWnd notJson(L"C:\\Games\\zelk\\zelk_main.exe");
    EXPECT_FALSE(notJson.ParseCmdJson());
    EXPECT_EQ(L"", notJson.GetLaunchParams().source);
    const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
    for (const char* line : {"ParseCmdJson] : m_strCmdJson is empty\r\n",
                             "ParseCmdJson] : m_strCmdJson is:C:\\Games\\zelk\\zelk_main.exe\r\n",
                             "ParseCmdJson] : reader.parse:C:\\Games\\zelk\\zelk_main.exe false\r\n"})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\nin:\n" << log;
}
