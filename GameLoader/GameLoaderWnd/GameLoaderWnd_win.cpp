#include "GameLoaderWnd/GameLoaderWnd.h"

#include <exception>
#include <utility>

#include "GameLoader/InstallRegistration.h"
#include "GameLoader/ParseCmdJson.h"
#include "Log/Log.h"
#include "Main/AppGlobals.h"
#include "Main/WindowMessages.h"

namespace {
// The size the skin gives the main window.
constexpr int kMainWidth = 960;
constexpr int kMainHeight = 620;

bool RegisterMainClass()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = g_hInstance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = GameLoaderWnd::kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered;
}
}  // namespace

GameLoaderWnd::GameLoaderWnd(std::wstring commandText) { m_launchParams.cmdJson = std::move(commandText); }

GameLoaderWnd::~GameLoaderWnd()
{
    if (m_hMainWnd && IsWindow(m_hMainWnd))
        DestroyWindow(m_hMainWnd);
}

HWND GameLoaderWnd::Create(HWND parent, const std::wstring& title, DWORD style, DWORD exStyle, int x, int y,
                           int width, int height)
{
    if (!RegisterMainClass())
        return nullptr;
    // WS_VISIBLE is left for the caller's ShowWindow: a window created
    // visible would flash on the screen before the entry hides it.
    m_hMainWnd = CreateWindowExW(exStyle, kClassName, title.c_str(), style & ~WS_VISIBLE, x, y, width, height, parent,
                                 nullptr, g_hInstance, nullptr);
    if (!m_hMainWnd)
        return nullptr;
    SetWindowLongPtrW(m_hMainWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hMainWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GameLoaderWnd::WindowProc));
    // The skin's size; the skinned window sets it while it is created.
    SetWindowPos(m_hMainWnd, nullptr, 0, 0, kMainWidth, kMainHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return m_hMainWnd;
}

bool GameLoaderWnd::ParseCmdJson() { return ::ParseCmdJson(m_launchParams); }

void GameLoaderWnd::RegisterInstall() { ::RegisterInstall(m_launchParams); }

void GameLoaderWnd::CenterWindow()
{
    RECT window = {};
    GetWindowRect(m_hMainWnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(m_hMainWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GameLoaderWnd::ShowWindow(bool show) { ::ShowWindow(m_hMainWnd, show ? SW_SHOW : SW_HIDE); }

void GameLoaderWnd::TopMainWnd()
{
    if (IsIconic(m_hMainWnd))
        ::ShowWindow(m_hMainWnd, SW_RESTORE);
    ::ShowWindow(m_hMainWnd, SW_SHOW);
    SetForegroundWindow(m_hMainWnd);
    BringWindowToTop(m_hMainWnd);
}

LRESULT GameLoaderWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TOP_MAIN_WND:
        LOG_CALL(2, L"WM_TOP_MAIN_WND");
        TopMainWnd();
        return 0;
    case WM_DESTROY:
        m_hMainWnd = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hMainWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK GameLoaderWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<GameLoaderWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    // Nothing may unwind into the system's dispatcher.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception&) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
