#pragma once
// Rectangles, sizes and points of the control tree, in client pixels.
#include <algorithm>

struct UIPoint {
    int x = 0;
    int y = 0;
};

struct UISize {
    int cx = 0;
    int cy = 0;
};

struct UIRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(UIPoint point) const
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    UIRect Intersect(const UIRect& other) const
    {
        UIRect result{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                      std::min(bottom, other.bottom)};
        if (result.IsEmpty())
            return UIRect{};
        return result;
    }
    bool operator==(const UIRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const UIRect& other) const { return !(*this == other); }
};
