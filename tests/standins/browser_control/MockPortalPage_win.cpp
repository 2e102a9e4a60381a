#include "MockPortalPage_win.h"


namespace {

// 微软雅黑, the face the launcher's skins use (mapped to an installed CJK
// face in the test prefix).
const wchar_t kFace[] = L"\x5fae\x8f6f\x96c5\x9ed1";

HFONT MakeFont(int height, int weight)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, kFace);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Text(HDC dc, const wchar_t* text, RECT rect, int height, int weight, COLORREF colour, UINT format)
{
    HFONT font = MakeFont(height, weight);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &rect, format | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

BYTE Mix(BYTE from, BYTE to, int step, int steps) { return static_cast<BYTE>(from + (to - from) * step / steps); }

}  // namespace

void PaintMockPortalPage(HDC dc, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    // A night-sky gradient in bands.
    const int bands = 64;
    for (int band = 0; band < bands; ++band) {
        RECT rect = {area.left, area.top + height * band / bands, area.right, area.top + height * (band + 1) / bands};
        Fill(dc, rect, RGB(Mix(18, 64, band, bands), Mix(26, 34, band, bands), Mix(54, 96, band, bands)));
    }
    // The page's own title bar: the launcher window has no frame, the page
    // draws the marks that call min_wnd and close_wnd.
    RECT bar = {area.left, area.top, area.right, area.top + 44};
    Fill(dc, bar, RGB(12, 16, 30));
    RECT barText = {area.left + 20, area.top, area.right - 120, area.top + 44};
    // Zelkmar 游戏中心
    Text(dc, L"Zelkmar  \x6e38\x620f\x4e2d\x5fc3", barText, 18, FW_NORMAL, RGB(200, 208, 230), DT_LEFT | DT_VCENTER);
    RECT marks = {area.right - 100, area.top, area.right - 20, area.top + 44};
    Text(dc, L"\x2014    \x2715", marks, 18, FW_NORMAL, RGB(200, 208, 230), DT_RIGHT | DT_VCENTER);

    RECT title = {area.left, area.top + 100, area.right, area.top + 190};
    Text(dc, L"ZELKMAR", title, 72, FW_BOLD, RGB(255, 214, 120), DT_CENTER | DT_VCENTER);
    RECT greeting = {area.left, area.top + 195, area.right, area.top + 245};
    // 欢迎回来，勇士！
    Text(dc, L"\x6b22\x8fce\x56de\x6765\xff0c\x52c7\x58eb\xff01", greeting, 30, FW_NORMAL, RGB(236, 240, 255),
         DT_CENTER | DT_VCENTER);

    // The notice board.
    RECT board = {area.left + width / 2 - 260, area.top + 270, area.left + width / 2 + 260, area.top + 400};
    Fill(dc, board, RGB(30, 36, 70));
    RECT boardTitle = {board.left + 20, board.top + 10, board.right - 20, board.top + 44};
    // 最新公告
    Text(dc, L"\x6700\x65b0\x516c\x544a", boardTitle, 20, FW_BOLD, RGB(255, 214, 120), DT_LEFT | DT_VCENTER);
    RECT line1 = {board.left + 20, board.top + 50, board.right - 20, board.top + 82};
    // · 新版本「星海远征」已上线
    Text(dc, L"\x00b7 \x65b0\x7248\x672c\x300c\x661f\x6d77\x8fdc\x5f81\x300d\x5df2\x4e0a\x7ebf", line1, 18,
         FW_NORMAL, RGB(220, 226, 245), DT_LEFT | DT_VCENTER);
    RECT line2 = {board.left + 20, board.top + 84, board.right - 20, board.top + 116};
    // · 周末双倍经验活动进行中
    Text(dc, L"\x00b7 \x5468\x672b\x53cc\x500d\x7ecf\x9a8c\x6d3b\x52a8\x8fdb\x884c\x4e2d", line2, 18, FW_NORMAL,
         RGB(220, 226, 245), DT_LEFT | DT_VCENTER);

    // The start button.
    const RECT button = {area.left + width / 2 - 130, area.top + 440, area.left + width / 2 + 130, area.top + 512};
    HBRUSH brush = CreateSolidBrush(RGB(242, 140, 40));
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 196, 120));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, button.left, button.top, button.right, button.bottom, 24, 24);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    // 开始游戏
    Text(dc, L"\x5f00\x59cb\x6e38\x620f", button, 32, FW_BOLD, RGB(255, 255, 255), DT_CENTER | DT_VCENTER);

    RECT status = {area.left, area.bottom - 48, area.right, area.bottom - 16};
    // 服务器：一区 · 状态：畅通
    Text(dc, L"\x670d\x52a1\x5668\xff1a\x4e00\x533a \x00b7 \x72b6\x6001\xff1a\x7545\x901a", status, 16, FW_NORMAL,
         RGB(150, 160, 190), DT_CENTER | DT_VCENTER);
}
