#include "PaintManager_win.h"

#include <windowsx.h>

#include <algorithm>

namespace {

template <typename T>
void RemoveFrom(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

UIPoint PointOf(LPARAM lParam) { return UIPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

std::vector<CPaintManagerUI*>& CPaintManagerUI::Managers()
{
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

std::wstring& CPaintManagerUI::ResourcePath()
{
    static std::wstring path;
    return path;
}

CPaintManagerUI::~CPaintManagerUI()
{
    RemoveFrom(Managers(), this);
    ReleaseTree();
}

void CPaintManagerUI::Init(HWND window)
{
    m_hWnd = window;
    if (std::find(Managers().begin(), Managers().end(), this) == Managers().end())
        Managers().push_back(this);
}

void CPaintManagerUI::ApplySkin(BuiltSkin& skin, const std::wstring& pictureFolder)
{
    m_skinWindow = skin.window;
    m_fonts.Load(skin.fonts, skin.defaultFont);
    m_render.SetFonts(&m_fonts);
    m_render.SetPictureFolder(pictureFolder);
    if (m_skinWindow.size.cx > 0 && m_skinWindow.size.cy > 0)
        SetWindowPos(m_hWnd, nullptr, 0, 0, m_skinWindow.size.cx, m_skinWindow.size.cy,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    // Only remembered here: the shadow's window is made and filled when the
    // window is first shown, so a window that stays hidden (the launcher's
    // until its page loads) pays nothing for it.
    if (m_skinWindow.showShadow)
        m_shadow.Create(m_hWnd, m_skinWindow.shadowImage, m_skinWindow.shadowCorner, pictureFolder);
    AttachDialog(std::move(skin.root));
}

void CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root)
{
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (root)
        root->SetPos(UIRect{0, 0, client.right, client.bottom});
    m_tree.SetRoot(std::move(root), this);
    NeedUpdate();
    LayoutIfNeeded();
}

void CPaintManagerUI::ReleaseTree()
{
    m_tree.Clear();
    m_notifiers.clear();
    m_filters.clear();
    m_translators.clear();
    // The window is gone: the loop's lookups by window no longer find us.
    m_hWnd = nullptr;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (notifier && std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { RemoveFrom(m_notifiers, notifier); }

void CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter)
{
    if (filter && std::find(m_filters.begin(), m_filters.end(), filter) == m_filters.end())
        m_filters.push_back(filter);
}

void CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) { RemoveFrom(m_filters, filter); }

void CPaintManagerUI::AddTranslateAccelerator(ITranslateAcceleratorUI* translator)
{
    if (translator && std::find(m_translators.begin(), m_translators.end(), translator) == m_translators.end())
        m_translators.push_back(translator);
}

void CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAcceleratorUI* translator)
{
    RemoveFrom(m_translators, translator);
}

void CPaintManagerUI::Invalidate(const UIRect& rect)
{
    if (!m_hWnd)
        return;
    RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(m_hWnd, &area, FALSE);
}

void CPaintManagerUI::NeedUpdate()
{
    m_bUpdateNeeded = true;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, uintptr_t wParam, intptr_t lParam)
{
    TNotifyUI notification;
    notification.sType = type;
    notification.pSender = sender;
    notification.wParam = wParam;
    notification.lParam = lParam;
    // A notifier may remove itself, or close the window and delete the
    // object that holds this manager, while it runs.
    const std::weak_ptr<const void> alive = m_lifetime;
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
            continue;
        notifier->Notify(notification);
        if (alive.expired())
            return;
    }
}

void CPaintManagerUI::LayoutIfNeeded()
{
    if (!m_bUpdateNeeded || !m_hWnd)
        return;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    // Cleared first: a layout that changes a visibility asks again, once.
    m_bUpdateNeeded = false;
    m_tree.Layout(UIRect{0, 0, client.right, client.bottom});
}

void CPaintManagerUI::Paint()
{
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (!dc)
        return;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    LayoutIfNeeded();
    const UIRect area{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
    if (!area.IsEmpty() && m_render.Prepare(dc, client.right, client.bottom)) {
        m_tree.Paint(m_render, area);
        BitBlt(dc, area.left, area.top, area.Width(), area.Height(), m_render.GetDC(), area.left, area.top, SRCCOPY);
    }
    EndPaint(m_hWnd, &paint);
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!m_hWnd)
        return false;
    switch (message) {
    case WM_ERASEBKGND:
        // The back buffer covers everything.
        result = 1;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_PRINTCLIENT: {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        LayoutIfNeeded();
        if (m_render.Prepare(reinterpret_cast<HDC>(wParam), client.right, client.bottom)) {
            m_tree.Paint(m_render, UIRect{0, 0, client.right, client.bottom});
            BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom, m_render.GetDC(), 0, 0, SRCCOPY);
        }
        result = 0;
        return true;
    }
    case WM_SIZE:
        // Laid out at once, visible or not: a hidden window's hosted
        // controls and its hit testing follow its size too.
        if (wParam != SIZE_MINIMIZED) {
            NeedUpdate();
            LayoutIfNeeded();
        }
        return false;
    case WM_MOUSEMOVE: {
        if (!m_bMouseTracking) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
            m_bMouseTracking = TrackMouseEvent(&track) != FALSE;
        }
        LayoutIfNeeded();
        m_tree.OnMouseMove(PointOf(lParam));
        return false;
    }
    case WM_MOUSELEAVE:
        m_bMouseTracking = false;
        m_tree.OnMouseLeave();
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(m_hWnd);
        LayoutIfNeeded();
        if (m_tree.OnButtonDown(PointOf(lParam)))
            SetCapture(m_hWnd);
        return false;
    case WM_LBUTTONUP:
        if (GetCapture() == m_hWnd) {
            m_bReleasingCapture = true;
            ReleaseCapture();
            m_bReleasingCapture = false;
        }
        // May close the window and delete this manager: the last thing here.
        m_tree.OnButtonUp(PointOf(lParam));
        return false;
    case WM_CAPTURECHANGED:
        // Another window took the mouse during a press (Alt+Tab, a box): the
        // press is over without a click, and hover starts again.
        if (!m_bReleasingCapture && reinterpret_cast<HWND>(lParam) != m_hWnd)
            OnCaptureLost();
        return false;
    default:
        return false;
    }
}

void CPaintManagerUI::OnCaptureLost()
{
    m_tree.OnCaptureLost();
    // The mouse may stand anywhere now; leave tracking starts afresh with
    // the next move.
    m_bMouseTracking = false;
}

bool CPaintManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // A filter may remove another one, or close the window and delete the
    // object that holds this manager.
    const std::weak_ptr<const void> alive = m_lifetime;
    const std::vector<IMessageFilterUI*> filters = m_filters;
    for (IMessageFilterUI* filter : filters) {
        if (std::find(m_filters.begin(), m_filters.end(), filter) == m_filters.end())
            continue;
        bool handled = false;
        const LRESULT filtered = filter->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            result = filtered;
            return true;
        }
        if (alive.expired())
            return false;
    }
    return false;
}

bool CPaintManagerUI::TranslateMessage(const MSG* message)
{
    if (!message)
        return false;
    const auto managerOf = [](HWND window) -> CPaintManagerUI* {
        for (CPaintManagerUI* manager : Managers())
            if (manager->m_hWnd == window)
                return manager;
        return nullptr;
    };
    LRESULT ignored = 0;
    if (message->message < WM_KEYFIRST || message->message > WM_KEYLAST) {
        // Every message of the loop passes here: no copies, one lookup.
        CPaintManagerUI* manager = message->hwnd ? managerOf(message->hwnd) : nullptr;
        return manager && manager->PreMessageHandler(message->message, message->wParam, message->lParam, ignored);
    }
    // A translator or filter may remove translators, close windows and
    // delete their managers: before each call the manager must still be the
    // window's and the translator still one of its own.
    for (HWND window = message->hwnd; window; window = GetParent(window)) {
        CPaintManagerUI* manager = managerOf(window);
        if (!manager)
            continue;
        const std::vector<ITranslateAcceleratorUI*> translators = manager->m_translators;
        for (ITranslateAcceleratorUI* translator : translators) {
            if (managerOf(window) != manager)
                break;
            const auto& current = manager->m_translators;
            if (std::find(current.begin(), current.end(), translator) == current.end())
                continue;
            if (translator->TranslateAccelerator(const_cast<MSG*>(message)))
                return true;
        }
        if (managerOf(window) == manager &&
            manager->PreMessageHandler(message->message, message->wParam, message->lParam, ignored))
            return true;
    }
    return false;
}

void CPaintManagerUI::MessageLoop()
{
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateMessage(&message)) {
            ::TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // The quit message ends the loop; it is left for nobody else.
}
