#include "WindowImplBase_win.h"

#include <windowsx.h>

#include <vector>

#include "PictureCache_win.h"
#include "SkinArchive_win.h"
#include "UILog.h"
#include "core/HitTest.h"

namespace {

// The modal boxes registered with their owners: the current one, the one
// before, and the window the last shake moved.  UI thread only.
HWND g_currentBox = nullptr;
HWND g_previousBox = nullptr;
HWND g_lastShaken = nullptr;
int g_shakeSteps = 0;

void Nudge(HWND window, int by)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    SetWindowPos(window, nullptr, rect.left + by, rect.top + by, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT HitCode(HitArea area)
{
    switch (area) {
    case HitArea::Caption: return HTCAPTION;
    case HitArea::Left: return HTLEFT;
    case HitArea::Right: return HTRIGHT;
    case HitArea::Top: return HTTOP;
    case HitArea::Bottom: return HTBOTTOM;
    case HitArea::TopLeft: return HTTOPLEFT;
    case HitArea::TopRight: return HTTOPRIGHT;
    case HitArea::BottomLeft: return HTBOTTOMLEFT;
    case HitArea::BottomRight: return HTBOTTOMRIGHT;
    case HitArea::Client: break;
    }
    return HTCLIENT;
}

std::wstring ModuleFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

}  // namespace

WindowImplBase::WindowImplBase()
{
    AddNotifyHandler(L"click", [this](TNotifyUI& msg) { OnClick(msg); });
}

void WindowImplBase::Notify(TNotifyUI& msg) { LoopDispatch(msg); }

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"closebtn")
        SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (name == L"minbtn")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM key)
{
    // Escape closes the window; Enter is left to the controls.
    if (key == VK_ESCAPE) {
        Close(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled)
{
    // Only keys typed into the skinned window itself: a key typed into a
    // hosted window (the page) belongs to it.
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE) && GetFocus() == m_hWnd) {
        const LRESULT result = ResponseDefaultKeyEvent(wParam);
        handled = result != FALSE;
        return result;
    }
    return FALSE;
}

LONG WindowImplBase::GetStyle()
{
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    style &= ~WS_CAPTION;
    return style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    return 1;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (IsIconic(m_hWnd))
        handled = FALSE;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // No frame: the whole window is client area.  A maximised window is
    // fitted to its monitor's work area.
    if (wParam && IsZoomed(m_hWnd)) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
            params->rgrc[0] = monitor.rcWork;
    }
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(m_hWnd, &point);
    m_PaintManager.LayoutIfNeeded();
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const SkinWindow& skin = m_PaintManager.GetSkinWindow();
    const HitArea area = DecideHitArea(UIPoint{point.x, point.y}, UISize{client.right, client.bottom}, skin.sizebox,
                                       skin.caption, IsZoomed(m_hWnd) != FALSE, m_PaintManager.FindControl(point));
    return HitCode(area);
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        info->ptMaxPosition.x = work.left - monitor.rcMonitor.left;
        info->ptMaxPosition.y = work.top - monitor.rcMonitor.top;
        info->ptMaxSize.x = work.right - work.left;
        info->ptMaxSize.y = work.bottom - work.top;
    }
    // The skin's maximum bounds the resize borders as well: with the
    // launcher's skins, whose minimum and maximum agree, dragging an edge
    // never changes the size.
    const SkinWindow& skin = m_PaintManager.GetSkinWindow();
    if (skin.minInfo.cx > 0 && skin.minInfo.cy > 0) {
        info->ptMinTrackSize.x = skin.minInfo.cx;
        info->ptMinTrackSize.y = skin.minInfo.cy;
    }
    if (skin.maxInfo.cx > 0 && skin.maxInfo.cy > 0) {
        info->ptMaxTrackSize.x = skin.maxInfo.cx;
        info->ptMaxTrackSize.y = skin.maxInfo.cy;
    }
    handled = FALSE;
    return 0;
}

#define ZELK_NOT_HANDLED(name)                                          \
    LRESULT WindowImplBase::name(UINT, WPARAM, LPARAM, BOOL& handled) \
    {                                                                   \
        handled = FALSE;                                                \
        return 0;                                                       \
    }
ZELK_NOT_HANDLED(OnMouseWheel)
ZELK_NOT_HANDLED(OnMouseHover)
ZELK_NOT_HANDLED(OnMouseLeave)
ZELK_NOT_HANDLED(OnChar)
ZELK_NOT_HANDLED(OnKeyDown)
ZELK_NOT_HANDLED(OnKillFocus)
ZELK_NOT_HANDLED(OnSetFocus)
ZELK_NOT_HANDLED(OnLButtonDown)
ZELK_NOT_HANDLED(OnLButtonUp)
ZELK_NOT_HANDLED(OnMouseMove)
#undef ZELK_NOT_HANDLED

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (wParam != SIZE_MINIMIZED) {
        const SkinWindow& skin = m_PaintManager.GetSkinWindow();
        // Without round corners the region would be the window's own
        // rectangle, which is what a window without a region shows; the
        // system is spared the region (a shape request to the X server
        // under Wine on every size change).
        if (skin.roundCorner.cx > 0 || skin.roundCorner.cy > 0) {
            HRGN region = CreateRoundRectRgn(0, 0, LOWORD(lParam) + 1, HIWORD(lParam) + 1, skin.roundCorner.cx,
                                             skin.roundCorner.cy);
            // The window owns the region from here on.
            if (region && !SetWindowRgn(m_hWnd, region, TRUE))
                DeleteObject(region);
        }
    }
    handled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        handled = TRUE;
        SendMessage(WM_CLOSE, 0, 0);
        return 0;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    SetWindowLongW(m_hWnd, GWL_STYLE, GetStyle());
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    SetWindowPos(m_hWnd, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);

    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddMessageFilter(this);
    if (CPaintManagerUI::GetResourcePath().empty())
        CPaintManagerUI::SetResourcePath(ModuleFolder() + GetSkinFolder() + L"\\");

    const std::wstring skinFile = GetSkinFile();
    std::vector<unsigned char> markup;
    // Plain files: the skin and its pictures stand in the resource folder.
    std::wstring pictureFolder;
    std::string error;
    switch (GetResourceType()) {
    case UIResourceType::ZipResource: {
        // Only a missing or empty resource means "no skin", even when
        // another window already opened the archive.  A resource that is
        // there and yields no archive, or no skin file, is a skin that
        // cannot be built.
        HRSRC resource = FindResourceW(GetInstance(), MAKEINTRESOURCEW(GetResourceID()), L"ZIPRES");
        HGLOBAL loaded = resource ? LoadResource(GetInstance(), resource) : nullptr;
        if (!loaded || SizeofResource(GetInstance(), resource) == 0)
            return 0;
        if (!CSkinArchive::OpenFromResource(GetInstance(), GetResourceID()))
            error = "resource " + std::to_string(GetResourceID()) + " is not a zip archive";
        else if (!CSkinArchive::ReadFile(WideToUtf8(skinFile), markup))
            error = "the archive has no readable " + WideToUtf8(skinFile);
        break;
    }
    case UIResourceType::File:
        pictureFolder = CPaintManagerUI::GetResourcePath();
        if (!ReadSkinFile(WideToUtf8(skinFile), pictureFolder, markup))
            error = "no readable file " + WideToUtf8(pictureFolder + skinFile);
        break;
    default:
        error = "this kind of skin resource is not supported";
        break;
    }
    BuiltSkin skin;
    if (markup.empty() ||
        !BuildSkin(std::string_view(reinterpret_cast<const char*>(markup.data()), markup.size()), this, skin, &error)) {
        UILog(0, L"the skin " + skinFile + L" cannot be built: " + Utf8ToWide(error));
        // "加载资源失败！"
        MessageBoxW(nullptr, L"\x52A0\x8F7D\x8D44\x6E90\x5931\x8D25\xFF01", skinFile.c_str(), MB_OK | MB_ICONERROR);
        ExitProcess(1);
    }
    m_PaintManager.ApplySkin(skin, pictureFolder);
    m_PaintManager.AddNotifier(this);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    return 0;
}

bool WindowImplBase::HandleModalMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_UI_MODAL_BOX:
        if (IsWindow(g_currentBox))
            g_previousBox = g_currentBox;
        g_currentBox = reinterpret_cast<HWND>(lParam);
        result = 0;
        return true;
    case WM_SETCURSOR:
        // A click on a disabled owner arrives as WM_SETCURSOR carrying the
        // button message; the owner then shakes its box.
        if (HIWORD(lParam) == WM_LBUTTONDOWN) {
            HWND box = IsWindow(g_currentBox) ? g_currentBox : g_previousBox;
            if (IsWindow(box) && GetWindow(box, GW_OWNER) == m_hWnd)
                ::SendMessageW(box, WM_UI_SHAKE_BOX, 0, 0);
        }
        return false;
    case WM_UI_SHAKE_BOX:
        if (IsWindow(g_currentBox))
            KillTimer(g_currentBox, kShakeTimerId);
        if (IsWindow(g_previousBox))
            KillTimer(g_previousBox, kShakeTimerId);
        if (IsWindow(g_lastShaken) && g_shakeSteps % 2 == 1)
            Nudge(g_lastShaken, 1);
        g_shakeSteps = 0;
        g_lastShaken = m_hWnd;
        SetTimer(m_hWnd, kShakeTimerId, kShakeTimerPeriodMs, nullptr);
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam != kShakeTimerId)
            return false;
        ++g_shakeSteps;
        Nudge(m_hWnd, g_shakeSteps % 2 == 1 ? -1 : 1);
        if (g_shakeSteps >= kShakeSteps) {
            g_shakeSteps = 0;
            ::ShowWindow(m_hWnd, SW_SHOW);
            KillTimer(m_hWnd, kShakeTimerId);
        }
        result = 0;
        return true;
    default:
        return false;
    }
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Any handler below may destroy the window (a click on "closebtn" closes
    // it inside WM_LBUTTONUP), and a derived window may delete itself in
    // OnFinalMessage: after each one, nothing of this object is touched
    // unless the window still exists.
    const CWindowWatch watch = Watch();
    m_PaintManager.OnWindowMessage(message, wParam, lParam);
    LRESULT result = 0;
    if (HandleModalMessage(message, wParam, lParam, result))
        return result;

    BOOL handled = TRUE;
    switch (message) {
    case WM_CREATE: result = OnCreate(message, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(message, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(message, wParam, lParam, handled); break;
    case WM_ERASEBKGND: result = OnEraseBkgnd(message, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(message, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(message, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(message, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(message, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(message, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(message, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(message, wParam, lParam, handled); break;
    case WM_MOUSELEAVE: result = OnMouseLeave(message, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(message, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(message, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(message, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(message, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(message, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(message, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(message, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(message, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(message, wParam, lParam, handled); break;
    default: handled = FALSE; break;
    }
    if (handled || !watch.IsAlive())
        return result;
    handled = TRUE;
    result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled || !watch.IsAlive())
        return result;
    if (m_PaintManager.MessageHandler(message, wParam, lParam, result) || !watch.IsAlive())
        return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(HWND)
{
    m_PaintManager.RemoveMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.ReleaseTree();
}
