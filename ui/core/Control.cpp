#include "Control.h"

void CControlUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "name") {
        m_sName = Utf8ToWide(value);
    } else if (name == "text") {
        SetText(Utf8ToWide(value));
    } else if (name == "pos") {
        int pos[4];
        if (!ParseCoordinateList(value, pos, 4))
            return;
        // The fixed position is (l, t); a negative l or t takes (r, b).
        // The size is always r - l by b - t (held like the rest).
        if (pos[0] < 0 || pos[1] < 0)
            SetFixedXY(UIPoint{pos[2], pos[3]});
        else
            SetFixedXY(UIPoint{pos[0], pos[1]});
        SetFixedWidth(pos[2] - pos[0]);
        SetFixedHeight(pos[3] - pos[1]);
    } else if (name == "width") {
        int width;
        if (ParseCoordinate(value, width))
            SetFixedWidth(width);
    } else if (name == "height") {
        int height;
        if (ParseCoordinate(value, height))
            SetFixedHeight(height);
    } else if (name == "float") {
        bool isFloat;
        if (ParseBool(value, isFloat))
            SetFloat(isFloat);
    } else if (name == "visible") {
        bool visible;
        if (ParseBool(value, visible))
            SetVisible(visible);
    } else if (name == "bkcolor") {
        uint32_t color;
        if (ParseColor(value, color)) {
            m_dwBackColor = color;
            Invalidate();
        }
    } else if (name == "bkimage") {
        PictureRef picture;
        if (ParsePicture(value, picture)) {
            m_bkImage = picture;
            Invalidate();
        }
    }
}

void CControlUI::SetText(const std::wstring& text)
{
    if (m_sText == text)
        return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetPos(const UIRect& rect)
{
    const UIRect held = UIRect::Clamped(rect.left, rect.top, rect.right, rect.bottom);
    if (m_rcItem == held)
        return;
    Invalidate();
    m_rcItem = held;
    Invalidate();
}

void CControlUI::SetFixedXY(UIPoint point)
{
    m_xyFixed = UIPoint{ClampCoordinate(point.x), ClampCoordinate(point.y)};
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int width)
{
    m_cxyFixed.cx = ClampCoordinate(width);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height)
{
    m_cxyFixed.cy = ClampCoordinate(height);
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat)
{
    m_bFloat = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    m_bVisible = visible;
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible)
{
    if (m_bInternVisible == visible)
        return;
    m_bInternVisible = visible;
    NeedParentUpdate();
}

void CControlUI::SetHost(IControlHost* host, CControlUI* parent)
{
    m_pHost = host;
    m_pParent = parent;
}

CControlUI* CControlUI::FindControlAt(UIPoint point)
{
    return IsVisible() && m_rcItem.Contains(point) ? this : nullptr;
}

void CControlUI::DoPaint(IRenderTarget& target, const UIRect& paint)
{
    const UIRect visible = paint.Intersect(m_rcItem);
    if (visible.IsEmpty())
        return;
    PaintBkColor(target, visible);
    PaintBkImage(target, visible);
    PaintStatusImage(target, visible);
    PaintText(target, visible);
}

void CControlUI::DoEvent(TEventUI&) {}

bool CControlUI::CoversOpaquely(IRenderTarget& target, const UIRect& area)
{
    if (!IsVisible() || area.Intersect(m_rcItem) != area)
        return false;
    return (m_dwBackColor >> 24) == 0xFF || (!m_bkImage.file.empty() && target.IsPictureOpaque(m_bkImage));
}

void CControlUI::PaintBkColor(IRenderTarget& target, const UIRect& paint)
{
    if (m_dwBackColor != 0)
        target.FillColor(m_rcItem.Intersect(paint), m_dwBackColor);
}

void CControlUI::PaintBkImage(IRenderTarget& target, const UIRect& paint)
{
    if (!m_bkImage.file.empty())
        target.DrawPicture(m_rcItem, m_bkImage, paint);
}

void CControlUI::Invalidate()
{
    if (m_pHost && !m_rcItem.IsEmpty())
        m_pHost->Invalidate(m_rcItem);
}

void CControlUI::NeedParentUpdate()
{
    if (m_pHost)
        m_pHost->NeedUpdate();
}
