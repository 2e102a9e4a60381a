#include "HitTest.h"

#include <cwchar>

bool IsCaptionExemptClass(const wchar_t* controlClass)
{
    static const wchar_t* const kExempt[] = {L"ButtonUI", L"OptionUI",   L"TextUI",     L"SliderUI",
                                             L"RichEditUI", L"CheckBoxUI", L"EditUI", L"ScrollBarUI"};
    for (const wchar_t* name : kExempt)
        if (std::wcscmp(name, controlClass) == 0)
            return true;
    return false;
}

HitArea DecideHitArea(UIPoint point, UISize client, const UIRect& sizebox, const UIRect& caption, bool maximized,
                      const CControlUI* under)
{
    // In 64 bits: the window's size and the skin's borders may be any int.
    const long long x = point.x;
    const long long y = point.y;
    if (!maximized) {
        const bool left = x < sizebox.left;
        const bool right = x >= static_cast<long long>(client.cx) - sizebox.right;
        const bool top = y < sizebox.top;
        const bool bottom = y >= static_cast<long long>(client.cy) - sizebox.bottom;
        if (top && left) return HitArea::TopLeft;
        if (top && right) return HitArea::TopRight;
        if (bottom && left) return HitArea::BottomLeft;
        if (bottom && right) return HitArea::BottomRight;
        if (top) return HitArea::Top;
        if (bottom) return HitArea::Bottom;
        if (left) return HitArea::Left;
        if (right) return HitArea::Right;
    }
    const bool inCaption = x >= caption.left && x < static_cast<long long>(client.cx) - caption.right &&
                           y >= caption.top && y < caption.bottom;
    if (inCaption && under && !IsCaptionExemptClass(under->GetClass()))
        return HitArea::Caption;
    return HitArea::Client;
}
