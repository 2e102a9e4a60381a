#include "Shadow_win.h"

#include <algorithm>
#include <climits>

#include "PictureCache_win.h"
#include "RenderEngine_win.h"
#include "UILog.h"
#include "common/win/ScopedHandles.h"

bool CShadowUI::RegisterShadowWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) != 0)
        return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CShadowUI::Geometry(const RECT& window, const UIRect& margin, RECT& shadow)
{
    // In 64 bits: the skin's margins are any numbers it wrote.
    const long long left = std::max(0, margin.left);
    const long long top = std::max(0, margin.top);
    const long long right = std::max(0, margin.right);
    const long long bottom = std::max(0, margin.bottom);
    const long long x = static_cast<long long>(window.left) - left;
    const long long y = static_cast<long long>(window.top) - top;
    const long long width = static_cast<long long>(window.right) - window.left + left + right;
    const long long height = static_cast<long long>(window.bottom) - window.top + top + bottom;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || x < INT_MIN || y < INT_MIN ||
        x + width > INT_MAX || y + height > INT_MAX)
        return false;
    shadow = RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width),
                  static_cast<LONG>(y + height)};
    return true;
}

CShadowUI::~CShadowUI()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

void CShadowUI::Create(HWND parent, const PictureRef& picture, const UIRect& corner, const std::wstring& folder)
{
    if (m_hParent || !IsWindow(parent))
        return;
    m_hParent = parent;
    m_picture = picture;
    m_margin = corner;
    m_folder = folder;
    if (IsWindowVisible(parent))
        Sync(true, true);
}

bool CShadowUI::MakeWindow()
{
    if (m_hWnd)
        return true;
    // Owned like the parent, so it shares the parent's place among the
    // windows; it is then put just behind the parent.
    HWND owner = GetWindow(m_hParent, GW_OWNER);
    m_hWnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName,
                             nullptr, WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_hParent, GWLP_HINSTANCE)), nullptr);
    if (!m_hWnd) {
        UILog(0, L"the shadow window cannot be created, error " + std::to_wstring(GetLastError()));
        // Not tried again: the parent goes without a shadow.
        m_hParent = nullptr;
        return false;
    }
    return true;
}

void CShadowUI::OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hParent)
        return;
    switch (message) {
    case WM_SHOWWINDOW:
        // Comes before the parent is drawn on the screen: the shadow is
        // filled and shown with it, not after it.
        Sync(wParam != FALSE, true);
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        const UINT flags = position ? position->flags : 0;
        if (flags & SWP_HIDEWINDOW)
            Sync(false, false);
        else
            Sync(IsWindowVisible(m_hParent) != FALSE || (flags & SWP_SHOWWINDOW), !(flags & SWP_NOZORDER));
        break;
    }
    case WM_DESTROY:
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        m_hParent = nullptr;
        break;
    default:
        break;
    }
}

void CShadowUI::Sync(bool parentVisible, bool restack)
{
    if (!parentVisible || IsIconic(m_hParent) || IsZoomed(m_hParent)) {
        if (m_hWnd && IsWindowVisible(m_hWnd))
            ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    RECT window = {};
    RECT shadow = {};
    if (!GetWindowRect(m_hParent, &window) || !Geometry(window, m_margin, shadow)) {
        if (m_hWnd && IsWindowVisible(m_hWnd))
            ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    if (!MakeWindow())
        return;
    const SIZE size = {shadow.right - shadow.left, shadow.bottom - shadow.top};
    const bool shown = IsWindowVisible(m_hWnd) != FALSE;
    if (size.cx != m_painted.cx || size.cy != m_painted.cy) {
        // Filled where it is to stand while still hidden, so that showing
        // it is one call; a size that failed before is not tried again.
        if ((size.cx == m_failed.cx && size.cy == m_failed.cy) || !Fill(POINT{shadow.left, shadow.top}, size)) {
            if (shown)
                ShowWindow(m_hWnd, SW_HIDE);
            return;
        }
    } else if (shown && EqualRect(&shadow, &m_placed) &&
               (!restack || GetWindow(m_hParent, GW_HWNDNEXT) == m_hWnd)) {
        return;
    }
    m_placed = shadow;
    SetWindowPos(m_hWnd, m_hParent, shadow.left, shadow.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool CShadowUI::Fill(POINT at, SIZE size)
{
    const CPicture* picture = GetPicture(m_picture.file, m_folder);
    ScopedWindowDc screen(nullptr);
    ScopedMemoryDc dc(picture ? CreateCompatibleDC(screen.get()) : nullptr);
    void* bits = nullptr;
    ScopedBitmap bitmap(dc ? CreateTopDownDib(screen.get(), size.cx, size.cy, &bits) : nullptr);
    bool filled = false;
    DWORD error = 0;
    if (bitmap) {
        ScopedSelectObject selected(dc.get(), bitmap.get());
        // Only the margins: the middle lies under the window and stays
        // transparent (the new bitmap is zeroed).
        const UIRect whole{0, 0, size.cx, size.cy};
        DrawNineGrid(dc.get(), whole, *picture, m_margin, whole, true);
        POINT origin = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        filled = UpdateLayeredWindow(m_hWnd, screen.get(), &at, &size, dc.get(), &origin, 0, &blend, ULW_ALPHA) != FALSE;
        if (!filled)
            error = GetLastError();
    }
    if (!filled) {
        if (picture)
            UILog(0, L"the shadow cannot be drawn at " + std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy) +
                         L", error " + std::to_wstring(error));
        m_failed = size;
        return false;
    }
    m_painted = size;
    m_failed = SIZE{0, 0};
    return true;
}
