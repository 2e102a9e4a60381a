#pragma once
// Where a point of a borderless skinned window counts as frame, caption
// or client area.
#include "Control.h"

enum class HitArea { Client, Caption, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

// Controls of these classes stay clickable inside the caption area.
bool IsCaptionExemptClass(const wchar_t* controlClass);

// `point` in client position; `under` is the control under it, or null.
HitArea DecideHitArea(UIPoint point, UISize client, const UIRect& sizebox, const UIRect& caption, bool maximized,
                      const CControlUI* under);
