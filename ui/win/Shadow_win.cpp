#include "Shadow_win.h"

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

CShadowUI::~CShadowUI()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

void CShadowUI::Create(HWND parent, const PictureRef& picture, const UIRect& corner)
{
    if (m_hWnd || !IsWindow(parent))
        return;
    m_hParent = parent;
    m_picture = picture;
    m_margin = corner;
    // Owned like the parent, so it shares the parent's place among the
    // windows; it is then put just behind the parent.
    HWND owner = GetWindow(parent, GW_OWNER);
    m_hWnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName,
                             nullptr, WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!m_hWnd) {
        UILog(0, L"the shadow window cannot be created, error " + std::to_wstring(GetLastError()));
        return;
    }
    Sync(IsWindowVisible(parent) != FALSE);
}

void CShadowUI::OnParentMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (!m_hWnd)
        return;
    switch (message) {
    case WM_SHOWWINDOW:
        Sync(wParam != FALSE);
        break;
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
        Sync(IsWindowVisible(m_hParent) != FALSE);
        break;
    case WM_DESTROY:
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        break;
    default:
        break;
    }
}

void CShadowUI::Sync(bool parentVisible)
{
    if (!parentVisible || IsIconic(m_hParent) || IsZoomed(m_hParent)) {
        if (IsWindowVisible(m_hWnd))
            ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    RECT window = {};
    GetWindowRect(m_hParent, &window);
    const int x = window.left - m_margin.left;
    const int y = window.top - m_margin.top;
    const int width = window.right - window.left + m_margin.left + m_margin.right;
    const int height = window.bottom - window.top + m_margin.top + m_margin.bottom;
    if (width != m_painted.cx || height != m_painted.cy)
        Paint(POINT{x, y}, width, height);
    SetWindowPos(m_hWnd, m_hParent, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CShadowUI::Paint(POINT at, int width, int height)
{
    const CPicture* picture = GetPicture(m_picture.file);
    if (!picture || width <= 0 || height <= 0)
        return;
    ScopedWindowDc screen(nullptr);
    ScopedMemoryDc dc(CreateCompatibleDC(screen.get()));
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateTopDownDib(screen.get(), width, height, &bits));
    if (!dc || !bitmap)
        return;
    ScopedSelectObject selected(dc.get(), bitmap.get());
    const UIRect whole{0, 0, width, height};
    DrawNineGrid(dc.get(), whole, *picture, m_margin, whole, true);
    POINT origin = {0, 0};
    SIZE size = {width, height};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!UpdateLayeredWindow(m_hWnd, screen.get(), &at, &size, dc.get(), &origin, 0, &blend, ULW_ALPHA)) {
        UILog(0, L"the shadow cannot be drawn, error " + std::to_wstring(GetLastError()));
        return;
    }
    m_painted = size;
}
