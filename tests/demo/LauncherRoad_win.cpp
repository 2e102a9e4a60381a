// The launcher's start-up road: first start, a second start that hands the
// focus to the first, the dated log they wrote.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Common/Folders.h"
#include "Common/Text.h"
#include "support/Process_win.h"

namespace {

std::string Utf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20))
        if (HWND window = FindWindowW(nullptr, title))
            return window;
    return nullptr;
}

std::streamoff SizeOf(const std::wstring& file)
{
    std::ifstream in(WideToMultiByte(file, CP_ACP), std::ios::binary | std::ios::ate);
    return in ? static_cast<std::streamoff>(in.tellg()) : 0;
}

}  // namespace

int main()
{
    const std::string linuxPath = ZELK_MAIN_PATH;
    const std::wstring exe = L"\"Z:" + std::wstring(linuxPath.begin(), linuxPath.end()) + L"\"";
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring logFile = GetLocalAppDataPath() + L"\\Korvane\\Log\\zelk_main.exe_" +
                                 std::to_wstring(now.wYear) + L"_" + std::to_wstring(now.wMonth) + L"_" +
                                 std::to_wstring(now.wDay) + L".log";
    const std::streamoff before = SizeOf(logFile);

    std::printf("1. start zelk_main.exe --source=KV --token=demo-token\n");
    PROCESS_INFORMATION first = StartProcess(exe + L" --source=KV --token=demo-token");
    HWND window = WaitForWindow(L"Zelkmar", 20000);
    if (!window) {
        std::printf("   no window titled Zelkmar appeared\n");
        return 1;
    }
    WaitForInputIdle(first.hProcess, 10000);  // created, centred and hidden
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("   window \"Zelkmar\" of class %s, %ldx%ld at %ld,%ld, visible: %s\n", Utf8(className).c_str(),
                rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top,
                IsWindowVisible(window) ? "yes" : "no (waits for its page)");

    std::printf("2. start zelk_main.exe a second time\n");
    const ProcessResult second = RunProcess(exe + L" --source=KV --token=second");
    std::printf("   second instance exited with code %lu\n", second.exitCode);
    for (DWORD start = GetTickCount(); !IsWindowVisible(window) && GetTickCount() - start < 5000;)
        Sleep(20);
    std::printf("   first window after message 1133: visible: %s\n", IsWindowVisible(window) ? "yes" : "no");

    std::printf("3. close the first launcher\n");
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(first.hProcess, 10000);
    DWORD exitCode = 0;
    GetExitCodeProcess(first.hProcess, &exitCode);
    std::printf("   exited with code %lu\n", exitCode);
    CloseHandle(first.hThread);
    CloseHandle(first.hProcess);

    std::printf("4. the lines both runs added to %s\n", Utf8(logFile).c_str());
    std::ifstream in(WideToMultiByte(logFile, CP_ACP), std::ios::binary);
    in.seekg(before);
    std::string line;
    while (std::getline(in, line))
        std::printf("   %s\n", line.c_str());
    return 0;
}
