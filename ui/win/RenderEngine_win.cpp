#include "RenderEngine_win.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "PictureCache_win.h"

namespace {

RECT ToRect(const UIRect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

void Blend(HDC dc, HDC source, const UIRect& to, int fromX, int fromY, int fromWidth, int fromHeight, bool opaque)
{
    if (to.IsEmpty() || fromWidth <= 0 || fromHeight <= 0)
        return;
    // An opaque picture needs no blending; plain blits are several times faster.
    if (opaque) {
        if (to.Width() == fromWidth && to.Height() == fromHeight) {
            BitBlt(dc, to.left, to.top, fromWidth, fromHeight, source, fromX, fromY, SRCCOPY);
        } else {
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, to.left, to.top, to.Width(), to.Height(), source, fromX, fromY, fromWidth, fromHeight,
                       SRCCOPY);
        }
        return;
    }
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, to.left, to.top, to.Width(), to.Height(), source, fromX, fromY, fromWidth, fromHeight, blend);
}

}  // namespace

void DrawNineGrid(HDC dc, const UIRect& dest, const CPicture& picture, const UIRect& corner, const UIRect& clip,
                  bool skipMiddle)
{
    const UIRect visible = dest.Intersect(clip);
    if (visible.IsEmpty() || !picture.bitmap)
        return;
    ScopedMemoryDc ownSource;
    HDC source = picture.dc;
    if (!source) {
        ownSource.reset(CreateCompatibleDC(dc));
        source = ownSource.get();
    }
    if (!source)
        return;
    std::optional<ScopedSelectObject> selected;
    if (!picture.dc)
        selected.emplace(source, picture.bitmap);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);

    // Margins never larger than the picture or the destination allow.
    const int left = std::min({corner.left, picture.width, dest.Width() / 2 + dest.Width() % 2});
    const int right = std::min({corner.right, picture.width - left, dest.Width() - left});
    const int top = std::min({corner.top, picture.height, dest.Height() / 2 + dest.Height() % 2});
    const int bottom = std::min({corner.bottom, picture.height - top, dest.Height() - top});
    const int srcMiddleWidth = picture.width - left - right;
    const int srcMiddleHeight = picture.height - top - bottom;

    const int xs[4] = {dest.left, dest.left + left, dest.right - right, dest.right};
    const int ys[4] = {dest.top, dest.top + top, dest.bottom - bottom, dest.bottom};
    const int sxs[3] = {0, left, picture.width - right};
    const int sys[3] = {0, top, picture.height - bottom};
    const int sws[3] = {left, srcMiddleWidth, right};
    const int shs[3] = {top, srcMiddleHeight, bottom};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (skipMiddle && row == 1 && column == 1)
                continue;
            const UIRect to{xs[column], ys[row], xs[column + 1], ys[row + 1]};
            if (to.Intersect(visible).IsEmpty())
                continue;
            Blend(dc, source, to, sxs[column], sys[row], sws[column], shs[row], picture.opaque);
        }
    }
    RestoreDC(dc, saved);
}

namespace {

HFONT SharedFont(const SkinFont& wanted)
{
    static std::map<std::tuple<std::wstring, int, bool, bool, bool>, ScopedFont> fonts;
    ScopedFont& font = fonts[std::make_tuple(wanted.name, wanted.size, wanted.bold, wanted.underline, wanted.italic)];
    if (!font) {
        font.reset(CreateFontW(-wanted.size, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, wanted.italic, wanted.underline, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, wanted.name.c_str()));
    }
    return font.get();
}

}  // namespace

void CFontTable::Load(const std::vector<SkinFont>& fonts, int defaultFont)
{
    m_specs = fonts;
    m_default = defaultFont;
}

HFONT CFontTable::Get(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_specs.size()))
        index = m_default;
    HFONT font = index >= 0 && index < static_cast<int>(m_specs.size())
                     ? SharedFont(m_specs[static_cast<size_t>(index)])
                     : nullptr;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

CRenderEngine::~CRenderEngine()
{
    if (m_dc && m_previousBitmap)
        SelectObject(m_dc.get(), m_previousBitmap);
}

bool CRenderEngine::Prepare(HDC windowDc, int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (m_dc && width == m_width && height == m_height)
        return true;
    if (m_dc && m_previousBitmap)
        SelectObject(m_dc.get(), m_previousBitmap);
    m_previousBitmap = nullptr;
    // The old buffer's pixels go with it: until a new one exists nothing may
    // be drawn into them.
    m_bits = nullptr;
    m_width = 0;
    m_height = 0;
    m_bitmap.reset();
    m_dc.reset(CreateCompatibleDC(windowDc));
    if (!m_dc)
        return false;
    void* bits = nullptr;
    m_bitmap.reset(CreateTopDownDib(windowDc, width, height, &bits));
    if (!m_bitmap || !bits) {
        m_dc.reset();
        return false;
    }
    m_bits = static_cast<uint32_t*>(bits);
    m_width = width;
    m_height = height;
    m_previousBitmap = SelectObject(m_dc.get(), m_bitmap.get());
    SetBkMode(m_dc.get(), TRANSPARENT);
    return true;
}

void CRenderEngine::FillColor(const UIRect& rect, uint32_t argb)
{
    const UIRect area = rect.Intersect(UIRect{0, 0, m_width, m_height});
    if (area.IsEmpty() || !m_bits)
        return;
    GdiFlush();
    const uint32_t alpha = argb >> 24;
    if (alpha == 255) {
        for (int y = area.top; y < area.bottom; ++y) {
            uint32_t* row = m_bits + static_cast<size_t>(y) * static_cast<size_t>(m_width);
            std::fill(row + area.left, row + area.right, argb);
        }
        return;
    }
    // Premultiplied source over the buffer.
    const uint32_t red = ((argb >> 16) & 0xFF) * alpha / 255;
    const uint32_t green = ((argb >> 8) & 0xFF) * alpha / 255;
    const uint32_t blue = (argb & 0xFF) * alpha / 255;
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = m_bits + static_cast<size_t>(y) * static_cast<size_t>(m_width);
        for (int x = area.left; x < area.right; ++x) {
            const uint32_t under = row[x];
            const uint32_t keep = 255 - alpha;
            const uint32_t a = alpha + ((under >> 24) & 0xFF) * keep / 255;
            const uint32_t r = red + ((under >> 16) & 0xFF) * keep / 255;
            const uint32_t g = green + ((under >> 8) & 0xFF) * keep / 255;
            const uint32_t b = blue + (under & 0xFF) * keep / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

void CRenderEngine::DrawPicture(const UIRect& dest, const PictureRef& picture, const UIRect& clip)
{
    if (picture.file.empty() || !m_dc)
        return;
    if (const CPicture* decoded = GetPicture(picture.file, m_pictureFolder))
        DrawNineGrid(m_dc.get(), dest, *decoded, picture.corner, clip);
}

void CRenderEngine::DrawText(const UIRect& rect, const std::wstring& text, int font, uint32_t argb, TextAlign align,
                             TextVAlign valign)
{
    if (text.empty() || !m_dc)
        return;
    UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    format |= align == TextAlign::Center ? DT_CENTER : align == TextAlign::Right ? DT_RIGHT : DT_LEFT;
    format |= valign == TextVAlign::Top ? DT_TOP : valign == TextVAlign::Bottom ? DT_BOTTOM : DT_VCENTER;
    ScopedSelectObject selected(m_dc.get(), m_fonts ? m_fonts->Get(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(m_dc.get(), RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    RECT area = ToRect(rect);
    ::DrawTextW(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &area, format);
}

bool CRenderEngine::IsPictureOpaque(const PictureRef& picture)
{
    const CPicture* decoded = picture.file.empty() ? nullptr : GetPicture(picture.file, m_pictureFolder);
    return decoded && decoded->opaque;
}
