// Stand-in for the game.  Its command line is whatever the launcher passes,
// so it is steered through the environment it inherits:
//
//     ZELK_GAME_RECORD  file that receives the exact command line (UTF-8)
//     ZELK_GAME_WINDOW  visible (default) | hidden | owned | none
//     ZELK_GAME_RESIST  1: refuse to be terminated
//
// "owned" shows only a window owned by a hidden top-level window, as a
// dialog would be.  WM_CLOSE on the window ends it; with no window it waits
// until it is terminated.  A game that resists takes the right to terminate
// it away from everyone (the launcher's clean-up and taskkill then fail, as
// for a game of another user) and ends by itself after two minutes, or on
// WM_CLOSE, so that it never outlives its test for long.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

void RecordCommandLine()
{
    const std::wstring path = Environment(L"ZELK_GAME_RECORD");
    if (path.empty())
        return;
    const wchar_t* line = GetCommandLineW();
    const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, line, -1, &utf8[0], size, nullptr, nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

constexpr DWORD kResistLifetimeMs = 120000;

// Everyone may wait for the process and read its name, nothing more.
bool ResistTermination()
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;0x121000;;;WD)", SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    const DWORD result = SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, dacl, nullptr);
    LocalFree(descriptor);
    return result == ERROR_SUCCESS;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY && GetWindow(window, GW_OWNER) == nullptr) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    RecordCommandLine();
    const bool resist = Environment(L"ZELK_GAME_RESIST") == L"1";
    if (resist && !ResistTermination())
        return 2;
    const std::wstring mode = Environment(L"ZELK_GAME_WINDOW");
    if (mode == L"none") {
        Sleep(resist ? kResistLifetimeMs : INFINITE);
        return 0;
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ZelkGameStandIn";
    if (!RegisterClassW(&windowClass))
        return 1;
    const DWORD visible = mode == L"hidden" || mode == L"owned" ? 0 : WS_VISIBLE;
    HWND main = CreateWindowExW(0, windowClass.lpszClassName, L"zelk", WS_OVERLAPPEDWINDOW | visible, 20, 20, 320,
                                240, nullptr, nullptr, instance, nullptr);
    if (!main)
        return 1;
    if (resist)
        SetTimer(main, 1, kResistLifetimeMs, nullptr);
    if (mode == L"owned")
        CreateWindowExW(0, windowClass.lpszClassName, L"zelk dialog", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200,
                        100, main, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
