#pragma once
// A window's control tree: the root, the name table, layout, painting and
// the mouse state (which control is hot, which one holds the button).
#include <map>
#include <memory>
#include <string>

#include "Control.h"

class CControlTree {
public:
    // Takes the root, attaches every control to `host` and fills the name
    // table in document order, so a later control wins a shared name.
    void SetRoot(std::unique_ptr<CControlUI> root, IControlHost* host);
    CControlUI* GetRoot() const { return m_root.get(); }
    // Releases the tree (the window is going away).
    void Clear();

    CControlUI* FindControl(const std::wstring& name) const;
    CControlUI* FindControlAt(UIPoint point) const;

    void Layout(const UIRect& client);
    void Paint(IRenderTarget& target, const UIRect& paint);

    // Mouse input in client position.  Returns true while a control holds
    // the button (the window should capture the mouse).
    void OnMouseMove(UIPoint point);
    bool OnButtonDown(UIPoint point);
    void OnButtonUp(UIPoint point);
    void OnMouseLeave();
    // The window lost the mouse during a press: the press ends without a
    // click and the next move finds the hot control afresh.
    void OnCaptureLost();
    CControlUI* GetHot() const { return m_hot; }

private:
    void RegisterNames(CControlUI& control);
    void Send(CControlUI* control, UIEventType type, UIPoint point);

    std::unique_ptr<CControlUI> m_root;
    std::map<std::wstring, CControlUI*> m_names;
    CControlUI* m_hot = nullptr;
    CControlUI* m_pushed = nullptr;
};
