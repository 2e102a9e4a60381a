#pragma once
// Window handles travel between processes as decimal text (`winid`,
// `gameMgrId`, the stored platform window id); this turns such a text back
// into a handle, the one way the launcher does it.
#include <windows.h>

#include <string>

#include "Common/DecimalText.h"

// The window `text` names (see WindowIdFromText); null, which is no window,
// for a text that is not a number.
inline HWND WindowFromIdText(const std::wstring& text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(WindowIdFromText(text)));
}
