// Start-up of zelk_main.exe, process creation to message loop entered
// (WaitForInputIdle returns once the first GetMessage waits: the skinned
// main window exists, hidden, its InitWindow done), against a minimal
// program with one hidden window, measured alternately in one run.  Then
// the package road's last step: WM_UNPACK_DONE posted to the launcher until
// the game's window stands in front.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GameLoader/InstallRegistration.h"
#include "Main/WindowMessages.h"

namespace {

struct Top {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindTopWindow(HWND window, LPARAM param)
{
    auto* top = reinterpret_cast<Top*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    // The launcher's drop shadow is a top-level window of its own.
    if (owner == top->processId && wcscmp(className, L"ZurezShadowWnd") != 0) {
        top->window = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to input idle; the program is then closed.
double StartOnce(const std::wstring& path)
{
    std::wstring line = L"\"" + path + L"\" --source=KV --token=bench";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForInputIdle(process.hProcess, 30000);
    QueryPerformanceCounter(&end);
    Top top = {process.dwProcessId, nullptr};
    EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&top));
    if (top.window)
        PostMessageW(top.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from WM_UNPACK_DONE (success) to the game's window in front,
// with the game unpacked below `root`; -1 when it never came.
double UnpackDoneToGameOnce(const std::wstring& launcher, const std::wstring& root)
{
    std::wstring line = L"\"" + launcher + L"\" --source=KV --token=bench --instGamePath=" + root;
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForInputIdle(process.hProcess, 30000);
    Top top = {process.dwProcessId, nullptr};
    EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&top));
    double elapsed = -1;
    if (top.window) {
        const double begin = NowMs();
        PostMessageW(top.window, WM_UNPACK_DONE, 0, 0);
        for (int i = 0; i < 6000; ++i) {
            HWND game = FindWindowW(nullptr, L"zelk");
            if (game && IsWindowVisible(game) && GetForegroundWindow() == game) {
                elapsed = NowMs() - begin;
                break;
            }
            Sleep(5);
        }
    }
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (HWND game; (game = FindWindowW(nullptr, L"zelk")) != nullptr; Sleep(50))
        PostMessageW(game, WM_CLOSE, 0, 0);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? atoi(argv[1]) : 9;
    // Build paths are Linux paths; Wine maps them through drive Z:.
    const std::wstring launcher = L"Z:" + Widen(ZELK_MAIN_PATH);
    const std::wstring minimal = L"Z:" + Widen(MINIMAL_WINDOW_PATH);
    StartOnce(minimal);  // warm the file cache for both
    StartOnce(launcher);
    std::vector<double> launcherMs, minimalMs;
    for (int i = 0; i < rounds; ++i) {
        minimalMs.push_back(StartOnce(minimal));
        launcherMs.push_back(StartOnce(launcher));
    }
    const double l = Median(launcherMs), m = Median(minimalMs);
    std::printf("launcher start-up to message loop: median %.1f ms over %d runs\n", l, rounds);
    std::printf("minimal hidden-window program:      median %.1f ms over %d runs\n", m, rounds);
    std::printf("ratio launcher / minimal: %.2f (goal: at most 1.30)\n", l / m);

    // The game as the package updater leaves it: <root>\zelk\zelk.exe.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"zelk-bench-unpack";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\zelk").c_str(), nullptr);
    CopyFileW((L"Z:" + Widen(GAME_STANDIN_PATH)).c_str(), (root + L"\\zelk\\zelk.exe").c_str(), FALSE);
    std::vector<double> unpackMs;
    for (int i = 0; i < 5; ++i) {
        const double once = UnpackDoneToGameOnce(launcher, root);
        if (once >= 0)
            unpackMs.push_back(once);
    }
    LaunchParams entry;
    entry.gameCode = L"zelk";
    RemoveUninstallEntry(entry);
    if (unpackMs.empty())
        std::printf("WM_UNPACK_DONE to the game's window in front: the game never came\n");
    else
        std::printf("WM_UNPACK_DONE to the game's window in front (registration, start, input idle, search): "
                    "median %.1f ms over %zu runs\n", Median(unpackMs), unpackMs.size());
    return 0;
}
