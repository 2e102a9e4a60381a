#pragma once
// One line of text, and the two controls built on it: the button and the
// progress bar.
#include "Control.h"

class CLabelUI : public CControlUI {
public:
    CLabelUI() = default;
    const wchar_t* GetClass() const override { return L"LabelUI"; }
    void SetAttribute(std::string_view name, std::string_view value) override;
    using CControlUI::SetAttribute;

    uint32_t GetTextColor() const { return m_dwTextColor; }
    int GetFont() const { return m_iFont; }
    TextAlign GetTextAlign() const { return m_align; }
    TextVAlign GetTextVAlign() const { return m_valign; }

protected:
    void PaintText(IRenderTarget& target, const UIRect& paint) override;

    uint32_t m_dwTextColor = 0xFF000000;
    int m_iFont = -1;
    TextAlign m_align = TextAlign::Left;
    TextVAlign m_valign = TextVAlign::VCenter;
};

// Clickable: draws its normal, hot (mouse over) or pushed (pressed, wherever
// the mouse stands) picture and sends
// "click" when the mouse button is released over it.
class CButtonUI : public CLabelUI {
public:
    CButtonUI() { m_align = TextAlign::Center; }
    const wchar_t* GetClass() const override { return L"ButtonUI"; }
    void SetAttribute(std::string_view name, std::string_view value) override;
    using CControlUI::SetAttribute;
    void DoEvent(TEventUI& event) override;

    bool IsHot() const { return m_bHot; }
    bool IsPushed() const { return m_bPushed; }

protected:
    void PaintStatusImage(IRenderTarget& target, const UIRect& paint) override;

private:
    PictureRef m_normalImage;
    PictureRef m_hotImage;
    PictureRef m_pushedImage;
    bool m_bHot = false;
    bool m_bPushed = false;
};

// A horizontal bar: the back picture over the whole bar, the fore picture
// over the part from the left edge to the value.
class CProgressUI : public CLabelUI {
public:
    const wchar_t* GetClass() const override { return L"ProgressUI"; }
    void SetAttribute(std::string_view name, std::string_view value) override;
    using CControlUI::SetAttribute;

    int GetMinValue() const { return m_nMin; }
    int GetMaxValue() const { return m_nMax; }
    int GetValue() const { return m_nValue; }
    void SetMinValue(int value);
    void SetMaxValue(int value);
    // Ignored when equal to the current value or outside min to max.
    void SetValue(int value);

    // The part of the bar the fore picture covers, as drawn: a maximum not
    // above the minimum counts as minimum + 1, the value is held within.
    UIRect ForeRect() const;

protected:
    void PaintStatusImage(IRenderTarget& target, const UIRect& paint) override;

private:
    PictureRef m_foreImage;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
};
