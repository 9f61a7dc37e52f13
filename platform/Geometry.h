#pragma once
// Points, sizes and rectangles in pixels. A rectangle holds its left and top edges
// and the edges just past its right and bottom, as window bounds do.

#include <algorithm>

namespace orvalis::platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect FromOriginAndSize(Point origin, Size size) {
        return {origin.x, origin.y, origin.x + size.width, origin.y + size.height};
    }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    Point Origin() const { return {left, top}; }
    Size Extent() const { return {Width(), Height()}; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Intersect(const Rect& other) const {
        Rect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
               std::min(bottom, other.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace orvalis::platform
