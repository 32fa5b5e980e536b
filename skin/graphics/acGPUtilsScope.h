#pragma once
// Internal helpers of the GDI+ routines: owners of the GDI+ objects a routine makes (each freed
// once, pens and brushes before their graphics) and the colour conversions.
#include "acGPUtilsEntries.h"
#include "sAlphaGraph.h"

#include <cstdint>

namespace acgp_detail {

// The program is no library: GDI+ stays started between the unit's start-up and shut-down.
inline constexpr bool IsLibrary = false;

inline const TacgpEntries& E() { return acgpEntries(); }

// Opaque GDI+ colour of a TColor.
inline Gdiplus::ARGB OpaqueArgb(std::int32_t color)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(SwapRedBlue(color)) & 0xFFFFFFu);
}
// GDI+ colour of a TColor whose byte 3 is its alpha.
inline Gdiplus::ARGB AlphaArgb(std::int32_t color) { return static_cast<std::uint32_t>(SwapRedBlue(color)); }

// acgpStartup before a routine's work and acgpShutdown after it.
class Session {
public:
    Session() : loaded_(acgpStartup(IsLibrary)) {}
    ~Session() { acgpShutdown(IsLibrary); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    explicit operator bool() const { return loaded_; }

private:
    bool loaded_;
};

// Owns one GDI+ object and frees it with the table's function (when bound).
template <class T, auto Slot>
class Owned {
public:
    Owned() = default;
    ~Owned() { Reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T* Get() const { return p_; }
    T** Out()
    {
        Reset();
        return &p_;
    }
    T* Release()
    {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset()
    {
        if (p_) {
            if (auto free = E().*Slot) free(p_);
            p_ = nullptr;
        }
    }

private:
    T* p_ = nullptr;
};

using Pen = Owned<Gdiplus::GpPen, &TacgpEntries::GdipDeletePen>;
using Brush = Owned<Gdiplus::GpBrush, &TacgpEntries::GdipDeleteBrush>;
using Image = Owned<Gdiplus::GpImage, &TacgpEntries::GdipDisposeImage>;
using StringFormat = Owned<Gdiplus::GpStringFormat, &TacgpEntries::GdipDeleteStringFormat>;
using Font = Owned<Gdiplus::GpFont, &TacgpEntries::GdipDeleteFont>;

// A graphics object on a DC; empty when it cannot be made.
class Graphics {
public:
    explicit Graphics(HDC dc)
    {
        if (dc && E().GdipCreateFromHDC && E().GdipCreateFromHDC(dc, &g_) != Gdiplus::Ok) g_ = nullptr;
    }
    ~Graphics()
    {
        if (g_ && E().GdipDeleteGraphics) E().GdipDeleteGraphics(g_);
    }
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    Gdiplus::GpGraphics* Get() const { return g_; }
    explicit operator bool() const { return g_ != nullptr; }
    // The shapes' smoothing mode.
    void Smooth() const
    {
        if (E().GdipSetSmoothingMode)
            E().GdipSetSmoothingMode(g_, static_cast<Gdiplus::SmoothingMode>(acgpSmoothingMode));
    }

private:
    Gdiplus::GpGraphics* g_ = nullptr;
};

// A pen of one colour and width in pixels; empty when it cannot be made.
inline void MakePen(Pen& pen, Gdiplus::ARGB color, float width)
{
    if (E().GdipCreatePen1 && E().GdipCreatePen1(color, width, Gdiplus::UnitPixel, pen.Out()) != Gdiplus::Ok)
        pen.Release();
}

inline void MakeSolidBrush(Brush& brush, Gdiplus::ARGB color)
{
    Gdiplus::GpSolidFill* fill = nullptr;
    if (E().GdipCreateSolidFill && E().GdipCreateSolidFill(color, &fill) == Gdiplus::Ok) *brush.Out() = fill;
}

} // namespace acgp_detail
