#pragma once
// Controls with children, and the three layouts the skins use.
#include <memory>
#include <vector>

#include "Control.h"

class CContainerUI : public CControlUI {
public:
    const wchar_t* GetClass() const override { return L"ContainerUI"; }

    // Takes ownership.  False (and the control is deleted) for null.
    virtual bool Add(std::unique_ptr<CControlUI> control);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;

    void SetPos(const UIRect& rect) override;
    void SetHost(IControlHost* host, CControlUI* parent) override;
    // Hiding a container hides everything inside it, windows that controls
    // host included.
    void SetVisible(bool visible) override;
    void SetInternVisible(bool visible) override;
    CControlUI* FindControlAt(UIPoint point) override;
    void DoPaint(IRenderTarget& target, const UIRect& paint) override;
    bool CoversOpaquely(IRenderTarget& target, const UIRect& area) override;

protected:
    // Places the children that take part in the layout inside `inner`.
    virtual void LayoutChildren(const UIRect& inner);
    // Float children stand at their fixed position relative to the
    // container's top-left corner, with their fixed size.
    void PlaceFloat(CControlUI& child);
    // Whether the child at `index` shows while this container does.
    virtual bool ShowsChild(int) const { return true; }
    // Tells the children whether they can be seen now.
    void UpdateChildrenVisibility();

    std::vector<std::unique_ptr<CControlUI>> m_items;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override { return L"VerticalLayoutUI"; }

protected:
    void LayoutChildren(const UIRect& inner) override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override { return L"HorizontalLayoutUI"; }

protected:
    void LayoutChildren(const UIRect& inner) override;
};

// Shows one child (page) at a time; page 0 at start.
class CTabLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override { return L"TabLayoutUI"; }
    int GetCurSel() const { return m_iCurSel; }
    // False for an index that names no page.
    bool SelectItem(int index);
    // "selectedid" names a page the skin has not added yet when it is read:
    // it is selected once that page exists.
    void SetAttribute(std::string_view name, std::string_view value) override;
    using CControlUI::SetAttribute;
    bool Add(std::unique_ptr<CControlUI> control) override;

protected:
    void LayoutChildren(const UIRect& inner) override;
    bool ShowsChild(int index) const override { return index == m_iCurSel; }

private:
    int m_iCurSel = 0;
    int m_iPendingSel = -1;
};
