// zelk_main.exe started the way a user starts it, twice.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/Folders.h"
#include "Common/Text.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

TEST(Launcher, SecondInstanceBringsTheFirstToTheFrontAndExits)
{
    const std::wstring exe = L"\"" + TestBinaryDir() + L"\\" ZELK_MAIN_EXE L"\"";
    const std::wstring logFile = LauncherLogFile();
    const size_t before = ReadFileBytes(logFile).size();

    PROCESS_INFORMATION first = StartProcess(exe + L" --source=KV --token=t1");
    ASSERT_NE(nullptr, first.hProcess);
    HWND window = WaitForProcessWindow(first.dwProcessId, L"Zelkmar", 20000);
    ASSERT_NE(nullptr, window);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(L"GameLoaderResClass", className);
    // Created hidden: only the page (or a second launcher) shows it.
    EXPECT_FALSE(IsWindowVisible(window));

    const ProcessResult second = RunProcess(exe + L" --source=KV --token=t2");
    EXPECT_TRUE(second.started);
    EXPECT_EQ(0u, second.exitCode);
    // The first one raises its window among the others but does not show
    // it: a window without its page stays hidden.
    EXPECT_TRUE(WaitUntil(5000, [&] {
        return ReadFileBytes(logFile).find("] : OnShowMainWnd enter\r\n", before) != std::string::npos;
    }));
    EXPECT_FALSE(IsWindowVisible(window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.hProcess, 10000));
    DWORD firstExit = 99;
    GetExitCodeProcess(first.hProcess, &firstExit);
    EXPECT_EQ(0u, firstExit);
    TerminateProcess(first.hProcess, 1);
    CloseHandle(first.hThread);
    CloseHandle(first.hProcess);

    const std::string whole = ReadFileBytes(logFile);
    const std::string log = whole.size() > before ? whole.substr(before) : std::string();
    const std::string folder = WideToMultiByte(GetLocalAppDataPath() + L"\\Korvane\\Log\\", CP_ACP);
    for (const std::string& expected : std::vector<std::string>
         {"[Main_win.cpp<", "wWinMain] : Logger::initializePathDir:" + folder + "\r\n",
          "] : CreateMutex not ERROR_ALREADY_EXISTS:zelk_main.exe\r\n",
          "ParseCmdParam] : CommandLineToArgvW argCount:2 szArgList:--token=<2 chars>\r\n",
          "] : CreateMutex ERROR_ALREADY_EXISTS:zelk_main.exe\r\n", "] : FindWindow:Zelkmar\r\n"})
        EXPECT_NE(std::string::npos, log.find(expected)) << expected << "\nin:\n" << log;
}
