#pragma once
// The base of every control: name, position, fixed size, float placement,
// background colour and picture, text, visibility.
#include <cstdint>
#include <string>
#include <string_view>

#include "AttributeSyntax.h"
#include "Notify.h"
#include "Render.h"
#include "UIGeometry.h"

class CControlUI;

// What a control needs from the window that shows it.
class IControlHost {
public:
    virtual ~IControlHost() = default;
    virtual void Invalidate(const UIRect& rect) = 0;
    // The layout must be computed again (a visibility or size changed).
    virtual void NeedUpdate() = 0;
    virtual void SendNotify(CControlUI* sender, const wchar_t* type, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
};

enum class UIEventType { MouseEnter, MouseLeave, MouseMove, ButtonDown, ButtonUp };

struct TEventUI {
    UIEventType type = UIEventType::MouseMove;
    UIPoint point;
};

class CControlUI {
public:
    CControlUI() = default;
    virtual ~CControlUI() = default;
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual const wchar_t* GetClass() const { return L"ControlUI"; }

    const std::wstring& GetName() const { return m_sName; }
    void SetName(std::wstring name) { m_sName = std::move(name); }

    // Skin attributes, UTF-8 as the skin has them.  Unknown names and values
    // that cannot be read are ignored.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    void SetAttribute(const std::wstring& name, const std::wstring& value)
    {
        SetAttribute(WideToUtf8(name), WideToUtf8(value));
    }

    const std::wstring& GetText() const { return m_sText; }
    // Redraws only when the text changes.
    virtual void SetText(const std::wstring& text);

    const UIRect& GetPos() const { return m_rcItem; }
    // Positions, fixed positions and fixed sizes are held within
    // kMaxCoordinate, whatever the skin or the caller gives.
    virtual void SetPos(const UIRect& rect);

    UIPoint GetFixedXY() const { return m_xyFixed; }
    void SetFixedXY(UIPoint point);
    // 0 means "no fixed size": the layout shares the space left over.
    int GetFixedWidth() const { return m_cxyFixed.cx; }
    int GetFixedHeight() const { return m_cxyFixed.cy; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool isFloat);

    // Visible by its own flag and not hidden by its tab page.
    bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    virtual void SetVisible(bool visible);
    // Set by the parent (a tab layout hides the pages not selected).
    virtual void SetInternVisible(bool visible);

    uint32_t GetBkColor() const { return m_dwBackColor; }
    const PictureRef& GetBkImage() const { return m_bkImage; }

    CControlUI* GetParent() const { return m_pParent; }
    IControlHost* GetHost() const { return m_pHost; }
    // Attaches the control (and, for containers, its children) to a window.
    virtual void SetHost(IControlHost* host, CControlUI* parent);

    // The topmost visible control under `point`, or null.
    virtual CControlUI* FindControlAt(UIPoint point);
    virtual void DoPaint(IRenderTarget& target, const UIRect& paint);
    // True when painting this control covers every pixel of `area`, so
    // what lies under it need not be painted.
    virtual bool CoversOpaquely(IRenderTarget& target, const UIRect& area);
    virtual void DoEvent(TEventUI& event);

    void Invalidate();

protected:
    virtual void PaintBkColor(IRenderTarget& target, const UIRect& paint);
    virtual void PaintBkImage(IRenderTarget& target, const UIRect& paint);
    virtual void PaintStatusImage(IRenderTarget&, const UIRect&) {}
    virtual void PaintText(IRenderTarget&, const UIRect&) {}
    void NeedParentUpdate();

    std::wstring m_sName;
    std::wstring m_sText;
    UIRect m_rcItem;
    UIPoint m_xyFixed;
    UISize m_cxyFixed;
    bool m_bFloat = false;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    uint32_t m_dwBackColor = 0;
    PictureRef m_bkImage;
    CControlUI* m_pParent = nullptr;
    IControlHost* m_pHost = nullptr;
};
