// The launcher's start-up road: first start, a second start that hands the
// focus to the first, the dated log they wrote.
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "Common/Text.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

std::string Utf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }

}  // namespace

int main()
{
    const std::string linuxPath = ZELK_MAIN_PATH;
    const std::wstring exe = L"\"Z:" + std::wstring(linuxPath.begin(), linuxPath.end()) + L"\"";
    const std::wstring logFile = LauncherLogFile();
    const size_t before = ReadFileBytes(logFile).size();

    std::printf("1. start zelk_main.exe --source=KV --token=demo-token\n");
    PROCESS_INFORMATION first = StartProcess(exe + L" --source=KV --token=demo-token");
    HWND window = WaitForProcessWindow(first.dwProcessId, L"Zelkmar", 20000);
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
    WaitUntil(5000, [&] { return IsWindowVisible(window) != FALSE; });
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
    const std::string whole = ReadFileBytes(logFile);
    std::istringstream in(whole.size() > before ? whole.substr(before) : std::string());
    std::string line;
    while (std::getline(in, line))
        std::printf("   %s\n", line.c_str());
    return 0;
}
