#pragma once
// Point, size and rectangle value types. Their fields mirror POINT, SIZE and RECT (same order
// and width), and they convert to and from those structs for Win32 calls.
#include <windows.h>

struct TPoint {
    LONG X = 0;
    LONG Y = 0;

    constexpr TPoint() = default;
    constexpr TPoint(LONG x, LONG y) : X(x), Y(y) {}
    constexpr TPoint(const POINT& p) : X(p.x), Y(p.y) {}
    constexpr operator POINT() const { return POINT{X, Y}; }

    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    LONG cx = 0;
    LONG cy = 0;

    constexpr TSize() = default;
    constexpr TSize(LONG width, LONG height) : cx(width), cy(height) {}
    constexpr TSize(const SIZE& s) : cx(s.cx), cy(s.cy) {}
    constexpr operator SIZE() const { return SIZE{cx, cy}; }

    constexpr LONG Width() const { return cx; }
    constexpr LONG Height() const { return cy; }

    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

// Right and Bottom are exclusive, as in GDI.
struct TRect {
    LONG Left = 0;
    LONG Top = 0;
    LONG Right = 0;
    LONG Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(LONG left, LONG top, LONG right, LONG bottom)
        : Left(left), Top(top), Right(right), Bottom(bottom) {}
    constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
        : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
    constexpr TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
    constexpr operator RECT() const { return RECT{Left, Top, Right, Bottom}; }

    constexpr LONG Width() const { return Right - Left; }
    constexpr LONG Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(const TPoint& p) const
    {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    constexpr void Offset(LONG dx, LONG dy)
    {
        Left += dx;
        Right += dx;
        Top += dy;
        Bottom += dy;
    }

    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

static_assert(sizeof(TPoint) == sizeof(POINT) && sizeof(TSize) == sizeof(SIZE) && sizeof(TRect) == sizeof(RECT));

constexpr TPoint Point(LONG x, LONG y) { return {x, y}; }
constexpr TRect Rect(LONG left, LONG top, LONG right, LONG bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(LONG left, LONG top, LONG width, LONG height)
{
    return {left, top, left + width, top + height};
}
