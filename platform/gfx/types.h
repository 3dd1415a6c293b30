// Points, sizes and rectangles in pixels. A rectangle's right and bottom edges are
// exclusive, as everywhere in the platform; the layout of TRect is that of the system's
// RECT (four signed 32-bit integers), so region data can be read and written directly.
#pragma once

#include <algorithm>
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;

    friend bool operator==(const TPoint&, const TPoint&) = default;
    TPoint operator+(TPoint o) const { return {X + o.X, Y + o.Y}; }
    TPoint operator-(TPoint o) const { return {X - o.X, Y - o.Y}; }
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;

    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    friend bool operator==(const TRect&, const TRect&) = default;

    static TRect FromSize(int32_t left, int32_t top, int32_t width, int32_t height) {
        return {left, top, left + width, top + height};
    }

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }

    TRect Offset(int32_t dx, int32_t dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    TRect Inflate(int32_t dx, int32_t dy) const {
        return {Left - dx, Top - dy, Right + dx, Bottom + dy};
    }
    // The common part of two rectangles; an empty rectangle when they do not overlap.
    TRect Intersect(const TRect& o) const {
        TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
                std::min(Bottom, o.Bottom)};
        return r.IsEmpty() ? TRect{} : r;
    }
    // The smallest rectangle holding both; an empty operand does not count.
    TRect Union(const TRect& o) const {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return {std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right),
                std::max(Bottom, o.Bottom)};
    }
};

static_assert(sizeof(TRect) == 16, "TRect must have the system's RECT layout");
