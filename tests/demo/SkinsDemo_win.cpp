// Shows the launcher's two skins for screenshots: the download page with
// the bar at 50 %, then the message box with "释放文件出错" over it.  The
// script that takes the pictures and this driver meet through marker files
// in the folder given as the only argument: "<name>-ready" from here,
// "<name>-shot" back.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "CustomMsgBox/CustomMsgBox.h"
#include "GameLoaderWnd/GameLoaderWnd.h"
#include "Main/WindowMessages.h"
#include "core/Container.h"
#include "win/Shadow_win.h"

namespace {

std::wstring g_folder;

bool Exists(const std::wstring& name)
{
    return GetFileAttributesW((g_folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Mark(const std::wstring& name)
{
    HANDLE file = CreateFileW((g_folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

// Pumps messages until the script has taken its picture (at most 60 s).
void WaitForShot(const std::wstring& name)
{
    Mark(name + L"-ready");
    for (int i = 0; i < 3000 && !Exists(name + L"-shot"); ++i) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

void CALLBACK BoxShown(HWND owner, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindWindowW(L"CustomMsgBoxClass", nullptr);
    if (!box || !IsWindowVisible(box))
        return;
    KillTimer(owner, id);
    WaitForShot(L"box");
    PostMessageW(box, WM_CLOSE, kMsgBoxOk, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    g_folder = arguments && count > 1 ? arguments[1] : L".";
    LocalFree(arguments);
    CoInitialize(nullptr);
    CWindowWnd::SetInstance(instance);
    CShadowUI::RegisterShadowWindowClass(instance);

    auto* window = new GameLoaderWnd(L"{\"source\":\"desktop\",\"token\":\"demo\"}");
    HWND hwnd = window->Create(nullptr, L"Zelkmar", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
    if (!hwnd)
        return 1;
    window->CenterWindow();
    // The launcher keeps this page out of view; the demo brings it in.
    if (auto* tab = dynamic_cast<CTabLayoutUI*>(window->PaintManager().FindControl(L"wizardTab")))
        tab->SelectItem(1);
    SendMessageW(hwnd, WM_UNPACK_PROGRESS, 50, 0);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    WaitForShot(L"download");

    SetTimer(hwnd, 1, 100, &BoxShown);
    const int result = ShowMsgBox(hwnd, L"\x91CA\x653E\x6587\x4EF6\x51FA\x9519");
    std::printf("   message box closed with result %d\n", result);
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    CoUninitialize();
    return 0;
}
