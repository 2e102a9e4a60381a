#pragma once
// The plain window wrapper: class registration, creation, subclassing,
// centring, and the window procedure that routes to HandleMessage and calls
// OnFinalMessage after WM_NCDESTROY.
#include <windows.h>

#include <memory>

// Answers whether a window object is still bound to its window, without
// touching the object: a handler that may destroy the window (and with it,
// in OnFinalMessage, the object) takes a watch before and asks it after.
class CWindowWatch {
public:
    bool IsAlive() const { return !m_token.expired(); }

private:
    friend class CWindowWnd;
    std::weak_ptr<const void> m_token;
};

class CWindowWnd {
public:
    CWindowWnd() = default;
    virtual ~CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    CWindowWatch Watch() const;
    operator HWND() const { return m_hWnd; }

    // The object is bound to its window at WM_NCCREATE, so WM_CREATE (and
    // everything after it) reaches HandleMessage.
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    HWND Subclass(HWND window);
    void Unsubclass();
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Posts WM_CLOSE with `result` as wParam.
    void Close(UINT result = IDOK);
    // Centres on the work area of the monitor that holds the owner (or, without
    // an owner, the window).
    void CenterWindow();
    void SetIcon(UINT resourceId);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The instance whose classes and resources windows use.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();

protected:
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND window);

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    // Set once Create has returned a window: a window destroyed while it is
    // still being created (WM_CREATE failed) ends before this is set.
    bool m_bCreated = false;
    WNDPROC m_OldWndProc = ::DefWindowProcW;
    bool m_bSubclassed = false;

private:
    // Lives from binding (WM_NCCREATE or Subclass) to WM_NCDESTROY; the
    // watches handed out hold it weakly.
    std::shared_ptr<const void> m_alive;
};
