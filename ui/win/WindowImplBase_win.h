#pragma once
// The base of skinned windows: builds the window's skin at WM_CREATE, draws
// it without a system frame, hit-tests the caption and the resize borders,
// routes notifications, and shakes a modal box when its disabled owner is
// clicked.
#include <windows.h>

#include <string>

#include "PaintManager_win.h"
#include "UIWindow_win.h"
#include "core/DialogBuilder.h"
#include "core/Notify.h"

// Sent to an owner: lParam is the modal box now shown over it.
constexpr UINT WM_UI_MODAL_BOX = WM_USER + 600;  // 1624
// Sent to a box: shake, its owner was clicked.
constexpr UINT WM_UI_SHAKE_BOX = WM_USER + 601;  // 1625
constexpr UINT_PTR kShakeTimerId = 10;
constexpr UINT kShakeTimerPeriodMs = 80;
constexpr int kShakeSteps = 8;

enum class UIResourceType { File = 1, Zip = 2, ResourceFile = 3, ZipResource = 4 };

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override = default;

    // Slot order of the window base.
    const wchar_t* GetWindowClassName() const override = 0;
    const wchar_t* GetSuperClassName() const override { return nullptr; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;
    virtual void InitWindow() {}
    virtual void OnClick(TNotifyUI& msg);
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM key);
    virtual UIResourceType GetResourceType() const { return UIResourceType::File; }
    virtual std::wstring GetZIPFileName() const { return std::wstring(); }
    virtual UINT GetResourceID() const { return 0; }
    virtual LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    virtual LRESULT OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnMouseHover(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled);
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LONG GetStyle();

    // INotifyUI: the notification map.
    void Notify(TNotifyUI& msg) override;
    // IMessageFilterUI: keyboard defaults.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // IDialogBuilderCallback: no controls of its own.
    CControlUI* CreateControl(const std::wstring&) override { return nullptr; }

    CPaintManagerUI& PaintManager() { return m_PaintManager; }

protected:
    CPaintManagerUI m_PaintManager;

private:
    // The modal box registration and shake, process-wide.
    bool HandleModalMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
};
