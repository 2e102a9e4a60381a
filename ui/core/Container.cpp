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
    LayoutChildren(rect);
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
    const int left = m_rcItem.left + xy.x;
    const int top = m_rcItem.top + xy.y;
    child.SetPos(UIRect{left, top, left + std::max(0, child.GetFixedWidth()),
                        top + std::max(0, child.GetFixedHeight())});
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

// The share of the space left over for each child without a fixed extent.
int ShareOfRest(int available, int fixedTotal, int flexibleCount)
{
    if (flexibleCount == 0)
        return 0;
    return std::max(0, (available - fixedTotal) / flexibleCount);
}

}  // namespace

void CVerticalLayoutUI::LayoutChildren(const UIRect& inner)
{
    int fixedTotal = 0;
    int flexible = 0;
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        if (item->GetFixedHeight() > 0)
            fixedTotal += item->GetFixedHeight();
        else
            ++flexible;
    }
    const int share = ShareOfRest(inner.Height(), fixedTotal, flexible);
    int top = inner.top;
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        const int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : share;
        const int width = item->GetFixedWidth() > 0 ? item->GetFixedWidth() : inner.Width();
        item->SetPos(UIRect{inner.left, top, inner.left + width, top + height});
        top += height;
    }
}

void CHorizontalLayoutUI::LayoutChildren(const UIRect& inner)
{
    int fixedTotal = 0;
    int flexible = 0;
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        if (item->GetFixedWidth() > 0)
            fixedTotal += item->GetFixedWidth();
        else
            ++flexible;
    }
    const int share = ShareOfRest(inner.Width(), fixedTotal, flexible);
    int left = inner.left;
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        const int width = item->GetFixedWidth() > 0 ? item->GetFixedWidth() : share;
        const int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : inner.Height();
        item->SetPos(UIRect{left, inner.top, left + width, inner.top + height});
        left += width;
    }
}

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
