#include "UIWindow_win.h"

#include <cstring>
#include <string>

#include "UILog.h"
#include "common/win/BoundaryGuard.h"

namespace {
HINSTANCE g_instance = nullptr;
}

void CWindowWnd::SetInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE CWindowWnd::GetInstance() { return g_instance ? g_instance : GetModuleHandleW(nullptr); }

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = GetClassStyle();
    windowClass.lpfnWndProc = &CWindowWnd::WindowProcedure;
    windowClass.hInstance = GetInstance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = GetWindowClassName();
    if (RegisterClassExW(&windowClass) != 0)
        return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass()
{
    // A window class built on a system class: its procedure is kept and
    // messages the object does not handle go to it.
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(nullptr, GetSuperClassName(), &windowClass) &&
        !GetClassInfoExW(GetInstance(), GetSuperClassName(), &windowClass))
        return false;
    m_OldWndProc = windowClass.lpfnWndProc;
    windowClass.lpfnWndProc = &CWindowWnd::WindowProcedure;
    windowClass.hInstance = GetInstance();
    windowClass.lpszClassName = GetWindowClassName();
    if (RegisterClassExW(&windowClass) != 0)
        return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y, int cx, int cy,
                        HMENU menu)
{
    if (GetSuperClassName() && !RegisterSuperclass())
        return nullptr;
    if (!GetSuperClassName() && !RegisterWindowClass())
        return nullptr;
    HWND window = CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, parent, menu,
                                  GetInstance(), this);
    if (!window)
        return nullptr;
    m_bCreated = true;
    return window;
}

HWND CWindowWnd::Subclass(HWND window)
{
    if (!IsWindow(window))
        return nullptr;
    m_OldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::WindowProcedure)));
    if (!m_OldWndProc)
        return nullptr;
    m_bSubclassed = true;
    m_hWnd = window;
    m_alive = std::make_shared<char>();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_hWnd;
}

void CWindowWnd::Unsubclass()
{
    if (!m_bSubclassed || !IsWindow(m_hWnd))
        return;
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus)
{
    if (!IsWindow(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::Close(UINT result)
{
    if (IsWindow(m_hWnd))
        ::PostMessageW(m_hWnd, WM_CLOSE, result, 0);
}

CWindowWatch CWindowWnd::Watch() const
{
    CWindowWatch watch;
    watch.m_token = m_alive;
    return watch;
}

void CWindowWnd::CenterWindow()
{
    if (!IsWindow(m_hWnd))
        return;
    RECT window = {};
    GetWindowRect(m_hWnd, &window);
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    // The middle of the work area, wherever the owner stands: the box of a
    // moved or hidden owner still comes up where the player looks first.
    const RECT& area = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = (area.left + area.right) / 2 - width / 2;
    int y = (area.top + area.bottom) / 2 - height / 2;
    if (x < area.left) x = area.left;
    else if (x + width > area.right) x = area.right - width;
    if (y < area.top) y = area.top;
    else if (y + height > area.bottom) y = area.bottom - height;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId)
{
    HICON big = static_cast<HICON>(LoadImageW(GetInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    HICON small = static_cast<HICON>(LoadImageW(GetInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                LR_SHARED));
    if (big)
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small)
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CALLBACK CWindowWnd::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (self) {
            self->m_hWnd = window;
            self->m_alive = std::make_shared<char>();
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);

    const auto log = [message](const char* what) {
        UILog(0, L"window message " + std::to_wstring(message) + L" failed: " +
                     std::wstring(what, what + strlen(what)));
    };
    if (message == WM_NCDESTROY) {
        const LRESULT result = GuardBoundary<LRESULT>(0, log, [&] { return self->HandleMessage(message, wParam, lParam); });
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self->m_bSubclassed)
            self->Unsubclass();
        self->m_hWnd = nullptr;
        self->m_alive.reset();
        // May delete the object: nothing of it is touched afterwards.
        GuardBoundary<int>(0, log, [&] {
            self->OnFinalMessage(window);
            return 0;
        });
        return result;
    }
    return GuardBoundary<LRESULT>(0, log,
                                  [&] { return self->HandleMessage(message, wParam, lParam); });
}
