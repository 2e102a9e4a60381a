// Opens one skinned window with the skin and the ZIPRES resource id named on
// the command line: a skin that cannot be built ends the process here.
#include <windows.h>
#include <shellapi.h>

#include "TestSkinWindow_win.h"
#include "win/Shadow_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring skin = arguments && count > 1 ? arguments[1] : L"GameLoader.xml";
    const UINT resourceId = arguments && count > 2 ? static_cast<UINT>(_wtoi(arguments[2])) : 130;
    LocalFree(arguments);
    CoInitialize(nullptr);
    CWindowWnd::SetInstance(instance);
    CShadowUI::RegisterShadowWindowClass(instance);
    TestSkinWindow window(skin, resourceId);
    if (!window.Create(nullptr, L"skin probe", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0))
        return 2;
    DestroyWindow(window.GetHWND());
    CoUninitialize();
    return 0;
}
