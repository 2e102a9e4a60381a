#pragma once
// Drawing into a window's 32bpp back buffer: colours, nine-grid pictures
// with AlphaBlend, one line of text with the skin's fonts.
#include <windows.h>

#include <string>
#include <vector>

#include "common/win/ScopedHandles.h"
#include "core/DialogBuilder.h"
#include "core/Render.h"

struct CPicture;

// Stretches `picture` over `dest` on `dc` keeping the corners unscaled,
// drawing only inside `clip`.  `skipMiddle` leaves the middle part out
// (the shadow's middle lies under its window).
void DrawNineGrid(HDC dc, const UIRect& dest, const CPicture& picture, const UIRect& corner, const UIRect& clip,
                  bool skipMiddle = false);

// The fonts of one skin, each made when it is first drawn with and then
// shared by every window of the process that uses the same face, size and
// style: finding a face is slow (under Wine it reads the whole font list),
// and a window that stays hidden draws no text.  UI thread only.
class CFontTable {
public:
    void Load(const std::vector<SkinFont>& fonts, int defaultFont);
    // -1 or an index past the table: the default font.
    HFONT Get(int index) const;

private:
    std::vector<SkinFont> m_specs;
    int m_default = -1;
};

class CRenderEngine : public IRenderTarget {
public:
    CRenderEngine() = default;
    ~CRenderEngine() override;
    CRenderEngine(const CRenderEngine&) = delete;
    CRenderEngine& operator=(const CRenderEngine&) = delete;

    // (Re)creates the back buffer when the size changed.  False when it
    // cannot be had; nothing is then drawn until a later call succeeds.
    bool Prepare(HDC windowDc, int width, int height);
    HDC GetDC() const { return m_dc.get(); }
    void SetFonts(const CFontTable* fonts) { m_fonts = fonts; }
    // Where the pictures are: a folder of plain files, or (empty) the skin archive.
    void SetPictureFolder(const std::wstring& folder) { m_pictureFolder = folder; }

    void FillColor(const UIRect& rect, uint32_t argb) override;
    void DrawPicture(const UIRect& dest, const PictureRef& picture, const UIRect& clip) override;
    void DrawText(const UIRect& rect, const std::wstring& text, int font, uint32_t argb, TextAlign align,
                  TextVAlign valign) override;
    bool IsPictureOpaque(const PictureRef& picture) override;

private:
    ScopedMemoryDc m_dc;
    ScopedBitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    const CFontTable* m_fonts = nullptr;
    std::wstring m_pictureFolder;
};
