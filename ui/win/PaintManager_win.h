#pragma once
// One per skinned window: the control tree, the font table, the window's
// skin attributes, the notifier and message-filter lists, the shadow, and
// the back buffer the tree is drawn into.  UI thread only.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "RenderEngine_win.h"
#include "Shadow_win.h"
#include "core/ControlTree.h"
#include "core/DialogBuilder.h"

// Sees a window's messages before its controls do.
class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

// Offered keyboard messages of the thread before they are translated
// (controls that host windows of their own, such as the browser).
class ITranslateAcceleratorUI {
public:
    virtual ~ITranslateAcceleratorUI() = default;
    // True when the message was consumed.
    virtual bool TranslateAccelerator(MSG* message) = 0;
};

class CPaintManagerUI : public IControlHost {
public:
    CPaintManagerUI() = default;
    ~CPaintManagerUI() override;
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    void Init(HWND window);
    HWND GetPaintWindow() const { return m_hWnd; }

    // The window's skin takes effect: size, frame attributes, fonts, shadow,
    // tree.  `pictureFolder` holds the skin's pictures as plain files; empty:
    // they come from the skin archive.
    void ApplySkin(BuiltSkin& skin, const std::wstring& pictureFolder = std::wstring());
    // The tree is laid out in the window's client area before its controls
    // meet the window, so a control that hosts a window of its own creates it
    // in its own rectangle.
    void AttachDialog(std::unique_ptr<CControlUI> root);
    // Releases the control tree (the window is being destroyed).
    void ReleaseTree();
    CControlUI* GetRoot() const { return m_tree.GetRoot(); }
    CControlUI* FindControl(const std::wstring& name) const { return m_tree.FindControl(name); }
    CControlUI* FindControl(POINT point) const { return m_tree.FindControlAt(UIPoint{point.x, point.y}); }

    const SkinWindow& GetSkinWindow() const { return m_skinWindow; }
    CShadowUI& GetShadow() { return m_shadow; }
    // Computes the layout now if anything changed since the last one.
    void LayoutIfNeeded();

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void AddMessageFilter(IMessageFilterUI* filter);
    void RemoveMessageFilter(IMessageFilterUI* filter);
    void AddTranslateAccelerator(ITranslateAcceleratorUI* translator);
    void RemoveTranslateAccelerator(ITranslateAcceleratorUI* translator);

    // The messages the manager handles itself: painting, layout, mouse.
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Filters, for messages before they are dispatched.
    bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) { m_shadow.OnParentMessage(message, wParam, lParam); }

    // IControlHost
    void Invalidate(const UIRect& rect) override;
    void NeedUpdate() override;
    void SendNotify(CControlUI* sender, const wchar_t* type, uintptr_t wParam = 0, intptr_t lParam = 0) override;

    // The loop's pre-translate: keyboard messages go to the translators and
    // to the filters of the window they are for (or of its nearest skinned
    // ancestor); other messages to the filters of their own window.  True
    // when consumed.
    static bool TranslateMessage(const MSG* message);
    // The message loop of the process and of modal boxes' owners.
    static void MessageLoop();

    // Set once by the program: where plain-file skins would be looked for.
    static void SetResourcePath(const std::wstring& path) { ResourcePath() = path; }
    static const std::wstring& GetResourcePath() { return ResourcePath(); }

private:
    static std::vector<CPaintManagerUI*>& Managers();
    static std::wstring& ResourcePath();
    void Paint();
    void OnCaptureLost();

    HWND m_hWnd = nullptr;
    CControlTree m_tree;
    SkinWindow m_skinWindow;
    CFontTable m_fonts;
    CRenderEngine m_render;
    CShadowUI m_shadow;
    bool m_bUpdateNeeded = true;
    bool m_bMouseTracking = false;
    // Set while the manager itself gives the capture back after a press, so
    // that the WM_CAPTURECHANGED this sends is not taken for a lost press.
    bool m_bReleasingCapture = false;
    // Dies with the manager: a notifier or filter may close the window and
    // delete the object that holds it, and the loops that called them check
    // this before they touch the manager again.
    std::shared_ptr<const void> m_lifetime = std::make_shared<char>();
    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_filters;
    std::vector<ITranslateAcceleratorUI*> m_translators;
};
