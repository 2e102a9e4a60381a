#pragma once
// Rectangles, sizes and points of the control tree, in client pixels.
#include <algorithm>
#include <climits>

// Coordinates and sizes read from a skin, and the rectangles the layout
// makes of them, stay within plus or minus this many pixels: far beyond any
// screen, and far enough inside the range of int that sums of a few of them
// cannot overflow.
constexpr int kMaxCoordinate = 100000;

inline int ClampCoordinate(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, -kMaxCoordinate, kMaxCoordinate));
}

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

    // Exact for rectangles within kMaxCoordinate; held within the range of
    // int for any other.
    int Width() const { return Saturate(static_cast<long long>(right) - left); }
    int Height() const { return Saturate(static_cast<long long>(bottom) - top); }
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

    // A rectangle whose coordinates are held within kMaxCoordinate.
    static UIRect Clamped(long long left, long long top, long long right, long long bottom)
    {
        return UIRect{ClampCoordinate(left), ClampCoordinate(top), ClampCoordinate(right), ClampCoordinate(bottom)};
    }

private:
    static int Saturate(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }
};
