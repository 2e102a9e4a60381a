#pragma once
// What controls draw with.  The Windows edge implements it on a back
// buffer; tests record the calls.
#include <cstdint>
#include <string>

#include "AttributeSyntax.h"
#include "UIGeometry.h"

enum class TextAlign { Left, Center, Right };
enum class TextVAlign { Top, VCenter, Bottom };

class IRenderTarget {
public:
    virtual ~IRenderTarget() = default;
    virtual void FillColor(const UIRect& rect, uint32_t argb) = 0;
    // Stretches `picture` over `dest` with its nine-grid margins, drawing
    // only what falls inside `clip`.  A picture that cannot be had is not drawn.
    virtual void DrawPicture(const UIRect& dest, const PictureRef& picture, const UIRect& clip) = 0;
    // One line; `font` indexes the skin's font table, -1 for the default font.
    virtual void DrawText(const UIRect& rect, const std::wstring& text, int font, uint32_t argb, TextAlign align,
                          TextVAlign valign) = 0;
    // True when the picture covers every pixel of its rectangle.
    virtual bool IsPictureOpaque(const PictureRef&) { return false; }
};
