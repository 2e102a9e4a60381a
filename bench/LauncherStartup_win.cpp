// Start-up of zelk_main.exe, process creation to message loop entered
// (WaitForInputIdle returns once the first GetMessage waits), against a
// minimal program with one hidden window, measured alternately in one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
    if (owner == top->processId) {
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
    std::printf("ratio launcher / minimal: %.2f (goal: at most 1.50)\n", l / m);
    return 0;
}
