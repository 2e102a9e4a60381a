// zelk_main.exe started the way a user starts it, twice.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "Common/Folders.h"
#include "Common/Text.h"
#include "support/Process_win.h"

namespace {

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (HWND window = FindWindowW(nullptr, title))
            return window;
        Sleep(20);
    }
    return nullptr;
}

bool WaitUntil(DWORD timeoutMs, bool (*condition)(HWND), HWND window)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (condition(window))
            return true;
        Sleep(20);
    }
    return false;
}

std::wstring TodaysLogFile()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return GetLocalAppDataPath() + L"\\Korvane\\Log\\zelk_main.exe_" + std::to_wstring(now.wYear) + L"_" +
           std::to_wstring(now.wMonth) + L"_" + std::to_wstring(now.wDay) + L".log";
}

std::string ReadFrom(const std::wstring& file, std::streamoff offset)
{
    std::ifstream in(WideToMultiByte(file, CP_ACP), std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= offset)
        return std::string();
    in.seekg(offset);
    std::string text(static_cast<size_t>(size - offset), '\0');
    in.read(&text[0], static_cast<std::streamsize>(text.size()));
    return text;
}

std::streamoff FileSize(const std::wstring& file)
{
    std::ifstream in(WideToMultiByte(file, CP_ACP), std::ios::binary | std::ios::ate);
    return in ? static_cast<std::streamoff>(in.tellg()) : 0;
}

}  // namespace

TEST(Launcher, SecondInstanceBringsTheFirstToTheFrontAndExits)
{
    const std::wstring exe = L"\"" + TestBinaryDir() + L"\\" ZELK_MAIN_EXE L"\"";
    const std::wstring logFile = TodaysLogFile();
    const std::streamoff before = FileSize(logFile);

    PROCESS_INFORMATION first = StartProcess(exe + L" --source=KV --token=t1");
    ASSERT_NE(nullptr, first.hProcess);
    HWND window = WaitForWindow(L"Zelkmar", 20000);
    ASSERT_NE(nullptr, window);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(L"GameLoaderResClass", className);
    // Created hidden: only the page (or a second launcher) shows it.
    EXPECT_FALSE(IsWindowVisible(window));

    const ProcessResult second = RunProcess(exe + L" --source=KV --token=t2");
    EXPECT_TRUE(second.started);
    EXPECT_EQ(0u, second.exitCode);
    EXPECT_TRUE(WaitUntil(5000, [](HWND w) { return IsWindowVisible(w) != FALSE; }, window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.hProcess, 10000));
    DWORD firstExit = 99;
    GetExitCodeProcess(first.hProcess, &firstExit);
    EXPECT_EQ(0u, firstExit);
    TerminateProcess(first.hProcess, 1);
    CloseHandle(first.hThread);
    CloseHandle(first.hProcess);

    const std::string log = ReadFrom(logFile, before);
    const std::string folder = WideToMultiByte(GetLocalAppDataPath() + L"\\Korvane\\Log\\", CP_ACP);
    for (const std::string& expected : std::vector<std::string>
         {"[Main_win.cpp<", "wWinMain] : Logger::initializePathDir:" + folder + "\r\n",
          "] : CreateMutex not ERROR_ALREADY_EXISTS:zelk_main.exe\r\n",
          "ParseCmdParam] : CommandLineToArgvW argCount:2 szArgList:--token=t1\r\n",
          "] : CreateMutex ERROR_ALREADY_EXISTS:zelk_main.exe\r\n", "] : FindWindow:Zelkmar\r\n"})
        EXPECT_NE(std::string::npos, log.find(expected)) << expected << "\nin:\n" << log;
}
