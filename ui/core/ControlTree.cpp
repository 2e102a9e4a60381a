#include "ControlTree.h"

#include "Container.h"

void CControlTree::SetRoot(std::unique_ptr<CControlUI> root, IControlHost* host)
{
    Clear();
    m_root = std::move(root);
    if (!m_root)
        return;
    m_root->SetHost(host, nullptr);
    RegisterNames(*m_root);
}

void CControlTree::Clear()
{
    m_hot = nullptr;
    m_pushed = nullptr;
    m_names.clear();
    m_root.reset();
}

void CControlTree::RegisterNames(CControlUI& control)
{
    if (!control.GetName().empty())
        m_names[control.GetName()] = &control;
    if (auto* container = dynamic_cast<CContainerUI*>(&control)) {
        for (int i = 0; i < container->GetCount(); ++i)
            RegisterNames(*container->GetItemAt(i));
    }
}

CControlUI* CControlTree::FindControl(const std::wstring& name) const
{
    const auto found = m_names.find(name);
    return found == m_names.end() ? nullptr : found->second;
}

CControlUI* CControlTree::FindControlAt(UIPoint point) const
{
    return m_root ? m_root->FindControlAt(point) : nullptr;
}

void CControlTree::Layout(const UIRect& client)
{
    if (m_root)
        m_root->SetPos(client);
}

void CControlTree::Paint(IRenderTarget& target, const UIRect& paint)
{
    if (m_root && m_root->IsVisible())
        m_root->DoPaint(target, paint);
}

void CControlTree::Send(CControlUI* control, UIEventType type, UIPoint point)
{
    if (!control)
        return;
    TEventUI event;
    event.type = type;
    event.point = point;
    control->DoEvent(event);
}

void CControlTree::OnMouseMove(UIPoint point)
{
    if (m_pushed) {
        // The control that holds the button follows the mouse alone.
        Send(m_pushed, UIEventType::MouseMove, point);
        return;
    }
    CControlUI* under = FindControlAt(point);
    if (under != m_hot) {
        Send(m_hot, UIEventType::MouseLeave, point);
        m_hot = under;
        Send(m_hot, UIEventType::MouseEnter, point);
    }
    Send(m_hot, UIEventType::MouseMove, point);
}

bool CControlTree::OnButtonDown(UIPoint point)
{
    CControlUI* under = FindControlAt(point);
    if (under != m_hot) {
        Send(m_hot, UIEventType::MouseLeave, point);
        m_hot = under;
        Send(m_hot, UIEventType::MouseEnter, point);
    }
    m_pushed = under;
    Send(m_pushed, UIEventType::ButtonDown, point);
    return m_pushed != nullptr;
}

void CControlTree::OnButtonUp(UIPoint point)
{
    CControlUI* pushed = m_pushed;
    m_pushed = nullptr;
    // The click may close the window and release the tree: nothing of the
    // tree is touched after the event.
    Send(pushed, UIEventType::ButtonUp, point);
}

void CControlTree::OnCaptureLost()
{
    CControlUI* pushed = m_pushed;
    m_pushed = nullptr;
    Send(pushed, UIEventType::CaptureLost, UIPoint{});
    Send(m_hot, UIEventType::MouseLeave, UIPoint{});
    m_hot = nullptr;
}

void CControlTree::OnMouseLeave()
{
    if (m_pushed)
        return;
    Send(m_hot, UIEventType::MouseLeave, UIPoint{-1, -1});
    m_hot = nullptr;
}
