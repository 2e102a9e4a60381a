// The least a launcher can do before its message loop: one hidden window.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassW(&windowClass);
    CreateWindowW(L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW, 0, 0, 960, 620, nullptr, nullptr, instance,
                  nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
