#include "Label.h"

#include <algorithm>

void CLabelUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "textcolor") {
        uint32_t color;
        if (ParseColor(value, color)) {
            m_dwTextColor = color;
            Invalidate();
        }
    } else if (name == "font") {
        int font;
        if (ParseInteger(value, font) && font >= 0) {
            m_iFont = font;
            Invalidate();
        }
    } else if (name == "align") {
        if (value == "left") m_align = TextAlign::Left;
        else if (value == "center") m_align = TextAlign::Center;
        else if (value == "right") m_align = TextAlign::Right;
        Invalidate();
    } else if (name == "valign") {
        if (value == "top") m_valign = TextVAlign::Top;
        else if (value == "vcenter") m_valign = TextVAlign::VCenter;
        else if (value == "bottom") m_valign = TextVAlign::Bottom;
        Invalidate();
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CLabelUI::PaintText(IRenderTarget& target, const UIRect&)
{
    if (!m_sText.empty())
        target.DrawText(m_rcItem, m_sText, m_iFont, m_dwTextColor, m_align, m_valign);
}

void CButtonUI::SetAttribute(std::string_view name, std::string_view value)
{
    PictureRef* picture = nullptr;
    if (name == "normalimage") picture = &m_normalImage;
    else if (name == "hotimage") picture = &m_hotImage;
    else if (name == "pushedimage") picture = &m_pushedImage;
    if (!picture) {
        CLabelUI::SetAttribute(name, value);
        return;
    }
    PictureRef parsed;
    if (ParsePicture(value, parsed)) {
        *picture = parsed;
        Invalidate();
    }
}

void CButtonUI::DoEvent(TEventUI& event)
{
    const bool inside = m_rcItem.Contains(event.point);
    switch (event.type) {
    case UIEventType::MouseEnter:
        m_bHot = true;
        Invalidate();
        break;
    case UIEventType::MouseLeave:
        m_bHot = false;
        Invalidate();
        break;
    case UIEventType::ButtonDown:
        m_bPushed = true;
        Invalidate();
        break;
    case UIEventType::MouseMove:
        if (m_bHot != inside) {
            m_bHot = inside;
            Invalidate();
        }
        break;
    case UIEventType::CaptureLost:
        if (m_bPushed) {
            m_bPushed = false;
            Invalidate();
        }
        break;
    case UIEventType::ButtonUp:
        if (m_bPushed) {
            m_bPushed = false;
            Invalidate();
            if (inside && m_pHost)
                m_pHost->SendNotify(this, L"click");
        }
        break;
    }
}

void CButtonUI::PaintStatusImage(IRenderTarget& target, const UIRect& paint)
{
    const PictureRef* picture = &m_normalImage;
    if (m_bPushed && !m_pushedImage.file.empty())
        picture = &m_pushedImage;
    else if (m_bHot && !m_hotImage.file.empty())
        picture = &m_hotImage;
    if (!picture->file.empty())
        target.DrawPicture(m_rcItem, *picture, paint);
}

void CProgressUI::SetAttribute(std::string_view name, std::string_view value)
{
    int number;
    if (name == "foreimage") {
        PictureRef picture;
        if (ParsePicture(value, picture)) {
            m_foreImage = picture;
            Invalidate();
        }
    } else if (name == "min") {
        if (ParseInteger(value, number))
            SetMinValue(number);
    } else if (name == "max") {
        if (ParseInteger(value, number))
            SetMaxValue(number);
    } else if (name == "value") {
        // The skin's value is taken as it stands; the bar holds it within
        // its range when it draws.
        if (ParseInteger(value, number)) {
            m_nValue = number;
            Invalidate();
        }
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::SetMinValue(int value)
{
    m_nMin = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value)
{
    m_nMax = value;
    Invalidate();
}

void CProgressUI::SetValue(int value)
{
    if (value == m_nValue || value < m_nMin || value > m_nMax)
        return;
    m_nValue = value;
    Invalidate();
}

UIRect CProgressUI::ForeRect() const
{
    const long long minimum = m_nMin;
    const long long maximum = m_nMax <= m_nMin ? minimum + 1 : m_nMax;
    const long long value = std::min(std::max(static_cast<long long>(m_nValue), minimum), maximum);
    UIRect fore = m_rcItem;
    fore.right = fore.left + static_cast<int>((value - minimum) * m_rcItem.Width() / (maximum - minimum));
    return fore;
}

void CProgressUI::PaintStatusImage(IRenderTarget& target, const UIRect& paint)
{
    if (m_foreImage.file.empty())
        return;
    // The fore picture is laid over the whole bar and cut to the filled
    // part, not squeezed into it.
    const UIRect fore = ForeRect().Intersect(paint);
    if (!fore.IsEmpty())
        target.DrawPicture(m_rcItem, m_foreImage, fore);
}
