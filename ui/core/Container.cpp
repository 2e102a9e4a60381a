#include "Container.h"

#include <algorithm>

bool CContainerUI::Add(std::unique_ptr<CControlUI> control)
{
    if (!control)
        return false;
    control->SetHost(m_pHost, this);
    m_items.push_back(std::move(control));
    NeedParentUpdate();
    return true;
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

void CContainerUI::SetHost(IControlHost* host, CControlUI* parent)
{
    CControlUI::SetHost(host, parent);
    for (auto& item : m_items)
        item->SetHost(host, this);
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    // Children that draw in windows of their own must hide with the page.
    for (auto& item : m_items)
        item->SetInternVisible(visible);
}

void CContainerUI::SetPos(const UIRect& rect)
{
    CControlUI::SetPos(rect);
    LayoutChildren(m_rcItem);
    for (auto& item : m_items)
        if (item->IsFloat())
            PlaceFloat(*item);
}

void CContainerUI::LayoutChildren(const UIRect& inner)
{
    // A plain container gives every child its whole area.
    for (auto& item : m_items)
        if (!item->IsFloat())
            item->SetPos(inner);
}

void CContainerUI::PlaceFloat(CControlUI& child)
{
    const UIPoint xy = child.GetFixedXY();
    const long long left = static_cast<long long>(m_rcItem.left) + xy.x;
    const long long top = static_cast<long long>(m_rcItem.top) + xy.y;
    child.SetPos(UIRect::Clamped(left, top, left + std::max(0, child.GetFixedWidth()),
                                 top + std::max(0, child.GetFixedHeight())));
}

CControlUI* CContainerUI::FindControlAt(UIPoint point)
{
    if (!IsVisible() || !m_rcItem.Contains(point))
        return nullptr;
    // Later children are drawn over earlier ones.
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (CControlUI* found = (*it)->FindControlAt(point))
            return found;
    }
    return this;
}

bool CContainerUI::CoversOpaquely(IRenderTarget& target, const UIRect& area)
{
    if (CControlUI::CoversOpaquely(target, area))
        return true;
    if (!IsVisible())
        return false;
    for (auto& item : m_items)
        if (item->CoversOpaquely(target, area))
            return true;
    return false;
}

void CContainerUI::DoPaint(IRenderTarget& target, const UIRect& paint)
{
    const UIRect visible = paint.Intersect(m_rcItem);
    if (visible.IsEmpty())
        return;
    // A child that hides the whole area spares painting this container's
    // own background (the download page's picture over the white root).
    bool hidden = false;
    for (auto& item : m_items)
        if (!item->IsFloat() && item->CoversOpaquely(target, visible))
            hidden = true;
    if (!hidden)
        CControlUI::DoPaint(target, visible);
    for (auto& item : m_items)
        if (item->IsVisible())
            item->DoPaint(target, visible);
}

namespace {

// Lays out the visible, non-float children along one axis: fixed extents
// first, the rest shared equally by the children without one (integer
// division, never below 0; a remainder stays empty at the far end).
// Across the axis each child gets its fixed extent or the whole area.
// Sums are taken in 64 bits: any number of children may each have the
// largest extent.
void StackChildren(std::vector<std::unique_ptr<CControlUI>>& items, const UIRect& inner, bool vertical)
{
    const auto along = [vertical](const CControlUI& item) {
        return vertical ? item.GetFixedHeight() : item.GetFixedWidth();
    };
    const auto across = [vertical](const CControlUI& item) {
        return vertical ? item.GetFixedWidth() : item.GetFixedHeight();
    };
    long long fixedTotal = 0;
    long long flexible = 0;
    for (auto& item : items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        if (along(*item) > 0)
            fixedTotal += along(*item);
        else
            ++flexible;
    }
    const long long available = vertical ? inner.Height() : inner.Width();
    const long long share = flexible == 0 ? 0 : std::max(0LL, (available - fixedTotal) / flexible);
    const long long fullAcross = vertical ? inner.Width() : inner.Height();
    long long at = vertical ? inner.top : inner.left;
    for (auto& item : items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        const long long length = along(*item) > 0 ? along(*item) : share;
        const long long breadth = across(*item) > 0 ? across(*item) : fullAcross;
        if (vertical)
            item->SetPos(UIRect::Clamped(inner.left, at, inner.left + breadth, at + length));
        else
            item->SetPos(UIRect::Clamped(at, inner.top, at + length, inner.top + breadth));
        at += length;
    }
}

}  // namespace

void CVerticalLayoutUI::LayoutChildren(const UIRect& inner) { StackChildren(m_items, inner, true); }

void CHorizontalLayoutUI::LayoutChildren(const UIRect& inner) { StackChildren(m_items, inner, false); }

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i)
        m_items[static_cast<size_t>(i)]->SetInternVisible(i == index && IsVisible());
    NeedParentUpdate();
    Invalidate();
    return true;
}

void CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "selectedid") {
        int index;
        if (ParseInteger(value, index))
            SelectItem(index);
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::LayoutChildren(const UIRect& inner)
{
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = m_items[static_cast<size_t>(i)].get();
        if (i == m_iCurSel) {
            page->SetInternVisible(IsVisible());
            if (!page->IsFloat())
                page->SetPos(inner);
        } else {
            page->SetInternVisible(false);
        }
    }
}
