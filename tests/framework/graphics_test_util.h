#pragma once
// Small helpers shared by the graphics tests.
#include "Graphics.h"

#include <cstdint>
#include <cstring>
#include <vector>

// RGB of pixel (x, y) of a 32-bit bitmap read through its scan line, as a TColor (0x00BBGGRR).
inline TColor ScanPixel(TBitmap& bitmap, int x, int y)
{
    const auto* row = static_cast<const std::uint8_t*>(bitmap.ScanLine(y));
    return row[4 * x + 2] | row[4 * x + 1] << 8 | row[4 * x] << 16;
}

inline std::uint8_t ScanAlpha(TBitmap& bitmap, int x, int y)
{
    return static_cast<const std::uint8_t*>(bitmap.ScanLine(y))[4 * x + 3];
}

inline void SetScanPixel(TBitmap& bitmap, int x, int y, TColor color, std::uint8_t alpha = 0)
{
    auto* row = static_cast<std::uint8_t*>(bitmap.ScanLine(y));
    row[4 * x] = static_cast<std::uint8_t>(color >> 16);
    row[4 * x + 1] = static_cast<std::uint8_t>(color >> 8);
    row[4 * x + 2] = static_cast<std::uint8_t>(color);
    row[4 * x + 3] = alpha;
}

// Index of a GDI handle in the process's handle table.
inline unsigned GdiHandleIndex(HGDIOBJ handle)
{
    return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle) & 0xFFFF);
}

// Leak check by handle reuse. Freed slots of the GDI handle table are handed out again (last
// freed first) before unused ones. While a drain lives it holds brushes on every free slot, so
// objects made meanwhile take fresh slots: a loop that frees what it makes keeps reusing its own
// few slots, a loop that leaks moves the first fresh slot up by every handle it keeps. A second
// drain after the loop finds where the fresh slots begin now.
class GdiSlotDrain {
public:
    GdiSlotDrain()
    {
        // Free slots come back in an order of their own, fresh ones one after another.
        unsigned last = 0;
        while (run_ < 64 && brushes_.size() < 60000) {
            HGDIOBJ brush = ::CreateSolidBrush(0);
            if (!brush) break;
            brushes_.push_back(brush);
            const unsigned index = GdiHandleIndex(brush);
            if (index == last + 1) {
                ++run_;
            } else {
                run_ = 0;
                firstFresh_ = index;
            }
            last = index;
        }
        nextFresh_ = last + 1;
    }
    ~GdiSlotDrain()
    {
        for (HGDIOBJ brush : brushes_) ::DeleteObject(brush);
    }
    GdiSlotDrain(const GdiSlotDrain&) = delete;
    GdiSlotDrain& operator=(const GdiSlotDrain&) = delete;

    bool Drained() const { return run_ >= 64; }
    // The first fresh slot this drain took, and the one the next new object will take.
    unsigned FirstFreshSlot() const { return firstFresh_; }
    unsigned NextFreshSlot() const { return nextFresh_; }

private:
    std::vector<HGDIOBJ> brushes_;
    unsigned run_ = 0;
    unsigned firstFresh_ = 0;
    unsigned nextFresh_ = 0;
};

// Counts pixels of a 32-bit bitmap inside rect whose colour differs from background.
inline int CountInk(TBitmap& bitmap, const TRect& rect, TColor background)
{
    int ink = 0;
    for (int y = rect.Top; y < rect.Bottom; ++y)
        for (int x = rect.Left; x < rect.Right; ++x)
            if (ScanPixel(bitmap, x, y) != background) ++ink;
    return ink;
}
