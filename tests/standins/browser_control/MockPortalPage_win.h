#pragma once
// What the stand-in control shows for a portal document, so that a
// screenshot of the launcher looks like what a player sees: the page's
// own title bar with its minimise and close marks, a greeting, a notice
// board and the start button, in Chinese.  Drawn with GDI only.
#include <windows.h>

void PaintMockPortalPage(HDC dc, const RECT& area);
