#pragma once
// The launcher's main window in a test process, as the entry makes it,
// built from the real skin in the real archive, and what the tests do to
// it: pump its messages, click it, choose from its exit menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "GameLoaderWnd/GameLoaderWnd.h"
#include "support/FreedMemoryTrap_win.h"
#include "support/StandIns_win.h"
#include "win/PaintManager_win.h"
#include "win/Shadow_win.h"

inline void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        if (!CPaintManagerUI::TranslateMessage(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

template <typename Condition>
bool PumpUntil(DWORD timeoutMs, Condition condition)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump();
        Sleep(5);
    }
    return true;
}

inline WindowImplBase* SkinnedWindowOf(HWND window)
{
    return reinterpret_cast<WindowImplBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

inline std::wstring TextOf(HWND window, const wchar_t* control)
{
    WindowImplBase* skinned = SkinnedWindowOf(window);
    CControlUI* found = skinned ? skinned->PaintManager().FindControl(control) : nullptr;
    return found ? found->GetText() : L"<none>";
}

// A click as the mouse makes it, at client position x, y.
inline void ClickAt(HWND window, int x, int y)
{
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
        CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    }

    // The window as the entry makes it: created with the skin's size, hidden.
    // The object is a block of the freed-memory trap: a touch after the
    // window deleted it ends the test with a report.
    HWND Open(const std::wstring& commandText, UINT pageLoadTimeoutMs = kPageLoadTimeoutMs)
    {
        freed_memory_trap::Watch(sizeof(GameLoaderWnd));
        m_window = new GameLoaderWnd(commandText);
        freed_memory_trap::Watch(0);
        m_window->SetPageLoadTimeout(pageLoadTimeoutMs);
        HWND window = m_window->Create(nullptr, L"ZelkmarTest", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
        m_hwnd = window;
        m_window->CenterWindow();
        ShowWindow(window, SW_HIDE);
        Pump();
        return window;
    }
    template <typename T>
    T* Find(const wchar_t* name)
    {
        return dynamic_cast<T*>(m_window->PaintManager().FindControl(name));
    }

    void TearDown() override
    {
        // Destroying the window deletes the object.
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
        Pump();
    }

    SettingsFileGuard m_settings;
    GameLoaderWnd* m_window = nullptr;
    HWND m_hwnd = nullptr;
};

// Reads the exit menu's item and chooses it (the menu is modal).
inline DWORD WINAPI ChooseExitItem(void* parameter)
{
    auto* text = static_cast<std::wstring*>(parameter);
    HWND menu = nullptr;
    for (int i = 0; i < 200 && !menu; ++i) {
        menu = FindWindowW(L"#32768", nullptr);
        if (!menu || !IsWindowVisible(menu))
            menu = nullptr, Sleep(20);
    }
    if (!menu)
        return 1;
    HMENU handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    wchar_t buffer[32] = {};
    GetMenuStringW(handle, kExitMenuCommand, buffer, 32, MF_BYCOMMAND);
    *text = buffer;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return 0;
}

