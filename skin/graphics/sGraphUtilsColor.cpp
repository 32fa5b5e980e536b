#include "sGraphUtilsColor.h"

#include "SysUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint8_t ClampByte(double value) { return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0)); }

// (R, G, B) of a sector of the hue circle (0..5) from v, p, q, t.
template <class T>
void Sector(int i, T v, T p, T q, T t, T& r, T& g, T& b)
{
    switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
    }
}

// Hue in degrees (not truncated) of r, g, b with max and d = max - min > 0.
double HueOf(int r, int g, int b, int max, int d)
{
    const double rr = max - 60.0 * r / d;
    const double gg = max - 60.0 * g / d;
    const double bb = max - 60.0 * b / d;
    double h;
    if (max == r) h = bb - gg;
    else if (max == g) h = 120 + rr - bb;
    else h = 240 + gg - rr;
    if (h < 0) h += 360;
    return h;
}

std::uint8_t Grey(const TsColor_& p)
{
    return static_cast<std::uint8_t>(Round(p.R * 0.299L + p.G * 0.587L + p.B * 0.114L));
}

} // namespace

void ChangeBitmapPixels(TBitmap* bmp, TacChangeColor2 proc, int param, TColor transColor)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid() || !proc) return;
    const bool skipKey = transColor != clNone;
    const std::int32_t key = SwapRedBlue(transColor) & 0x00FFFFFF;
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y))
            if (!skipKey || p.I != key) proc(p, param);
}

void ChangeColorBrightness(TsColor_& pixel, int param) { pixel.C = ChangeBrightness(pixel.C, param); }
void ChangeColorSaturation(TsColor_& pixel, int param) { pixel = ChangeSaturation(param, pixel); }
void ChangeColorHUE(TsColor_& pixel, int param) { pixel = ChangeHue(param, pixel); }

void ChangeColorTone(TsColor_& pixel, int param)
{
    TsColor_RGB tone;
    tone.Intg = param;
    pixel = ChangeTone(pixel, tone);
}

void MakeAlphaPixel(TsColor_& pixel, int) { pixel.A = 255; }

TsColor_ ChangeTone(TsColor_ pixel, TsColor_RGB tone)
{
    const int l = std::max({pixel.R, pixel.G, pixel.B});
    pixel.R = static_cast<std::uint8_t>((l * tone.Red) >> 8);
    pixel.G = static_cast<std::uint8_t>((l * tone.Green) >> 8);
    pixel.B = static_cast<std::uint8_t>((l * tone.Blue) >> 8);
    return pixel;
}

TColor ChangeTone(TColor color, TColor tone)
{
    TsColor_ p;
    p.C = color;
    TsColor_RGB t;
    t.Col = tone;
    return ChangeTone(p, t).C;
}

TColor ChangeBrightness(TColor color, int delta)
{
    if (delta == 0) return color;
    TsColor c;
    c.C = color;
    for (std::uint8_t* channel : {&c.R, &c.G, &c.B}) {
        const int v = *channel;
        *channel = static_cast<std::uint8_t>(delta > 0 ? std::min(255, v + ((v * delta) >> 8))
                                                       : std::max(0, v - ((-delta * v) >> 8)));
    }
    return c.C;
}

TColor ChangeSaturation(TColor color, int delta)
{
    if (delta == 0) return color;
    TsColor_ p;
    p.C = color;
    return ChangeSaturation(delta, p).C;
}

TsColor_ ChangeSaturation(int delta, TsColor_ pixel)
{
    if (delta == 0) return pixel;
    const int grey = Grey(pixel);
    for (std::uint8_t* channel : {&pixel.R, &pixel.G, &pixel.B})
        *channel = static_cast<std::uint8_t>(std::clamp(*channel * (255 + delta) - delta * grey, 0, 65535) >> 8);
    return pixel;
}

TsColor_ ChangeHue(int delta, TsColor_ pixel)
{
    const int max = std::max({pixel.R, pixel.G, pixel.B});
    const int min = std::min({pixel.R, pixel.G, pixel.B});
    const int d = max - min;
    if (max == 0 || d == 0) return pixel; // no saturation: no hue to turn
    const double s = static_cast<double>(d) / max;
    const double v = max;
    int h = static_cast<int>(Trunc(HueOf(pixel.R, pixel.G, pixel.B, max, d) + delta)) % 360;
    if (h < 0) h += 360;
    const int i = h / 60;
    const double f = h / 60.0 - i;
    const std::uint8_t vv = ClampByte(v);
    const std::uint8_t p = ClampByte((1 - s) * v);
    const std::uint8_t q = ClampByte((1 - s * f) * v);
    const std::uint8_t t = ClampByte((1 - s * (1 - f)) * v);
    Sector<std::uint8_t>(i, vv, p, q, t, pixel.R, pixel.G, pixel.B);
    return pixel;
}

TColor ChangeHue(int delta, TColor color)
{
    if (delta == 0) return color;
    TsColor_ p;
    p.I = SwapRedBlue(color);
    return SwapRedBlue(ChangeHue(delta, p).I);
}

TsHSV Rgb2Hsv(TsColor color)
{
    TsHSV result;
    const int max = std::max({color.R, color.G, color.B});
    const int min = std::min({color.R, color.G, color.B});
    const int d = max - min;
    result.s = max == 0 ? 0 : static_cast<double>(d) / max;
    result.v = max / 255.0;
    result.h = result.s == 0 ? 0 : static_cast<int>(HueOf(color.R, color.G, color.B, max, d));
    return result;
}

TsColor Hsv2Rgb(double h, double s, double v)
{
    TsColor result;
    result.I = 0;
    if (s == 0) {
        result.R = result.G = result.B = static_cast<std::uint8_t>(Round(std::clamp(v * 255, 0.0, 255.0)));
        return result;
    }
    if (h == 360) h = 0;
    const double sector = h / 60;
    const int i = static_cast<int>(Round(std::floor(sector)));
    const double f = sector - i;
    const double value = v * 255;
    auto limit = [](double x) { return static_cast<std::uint8_t>(Round(std::clamp(x, 0.0, 255.0))); };
    Sector<std::uint8_t>(i, limit(value), limit((1 - s) * value), limit((1 - s * f) * value),
                         limit((1 - (1 - f) * s) * value), result.R, result.G, result.B);
    return result;
}

void RGBToHSV(double r, double g, double b, double& h, double& s, double& v)
{
    v = std::max({r, g, b});
    const double d = v - std::min({r, g, b});
    s = v == 0 ? 0 : d / v;
    h = 0; // grey has no hue
    if (s == 0) return;
    if (v == r) h = 60 * (g - b) / d;
    else if (v == g) h = 60 * (b - r) / d + 120;
    else h = 60 * (r - g) / d + 240;
    if (h < 0) h += 360;
}

void HSVtoRGB(double h, double s, double v, double& r, double& g, double& b)
{
    // No hue, or practically no saturation: grey.
    if (std::isnan(h) || (s >= 0 && s <= 0.0002)) {
        r = g = b = v;
        return;
    }
    if (h == 360) h = 0;
    const double sector = h / 60;
    const int i = static_cast<int>(Trunc(sector));
    const double f = sector - i;
    Sector<double>(i, v, (1 - s) * v, (1 - s * f) * v, (1 - (1 - f) * s) * v, r, g, b);
}

std::uint32_t SwapInteger(std::uint32_t value)
{
    return ((value & 0xFF) << 16) + (((value >> 8) & 0xFF) << 8) + (value >> 16);
}

void GrayScale(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y)) p.R = p.G = p.B = Grey(p);
}

void GrayScaleTrans(TBitmap* bmp, TsColor transColor)
{
    TacBmpRows rows(bmp);
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y))
            if (p.I != transColor.I) p.R = p.G = p.B = Grey(p);
}

namespace {

std::uint8_t& ChannelOf(TsColor_& p, int channel) { return reinterpret_cast<std::uint8_t*>(&p)[channel]; }

} // namespace

void CopyChannel32(TBitmap* dst, TBitmap* src, int channel)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid() || channel < 0 || channel > 3) return;
    if (s.Width() < d.Width() || s.Height() < d.Height()) return;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x) ChannelOf(d.At(x, y), channel) = ChannelOf(s.At(x, y), channel);
}

void CopyChannel32(TBitmap* dst, TBitmap* src, int channel, const TRect& srcRect, TPoint dstPoint)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid() || channel < 0 || channel > 3) return;
    for (int sy = srcRect.Top; sy < srcRect.Bottom; ++sy)
        for (int sx = srcRect.Left; sx < srcRect.Right; ++sx) {
            const int dx = dstPoint.X + sx - srcRect.Left;
            const int dy = dstPoint.Y + sy - srcRect.Top;
            if (s.Contains(sx, sy) && d.Contains(dx, dy))
                ChannelOf(d.At(dx, dy), channel) = ChannelOf(s.At(sx, sy), channel);
        }
}

void CopyChannel(TBitmap* bmp32, TBitmap* bmp8, int channel, bool fromBmp32To8)
{
    TacBmpRows rows(bmp32);
    if (!rows.Valid() || !bmp8 || bmp8->PixelFormat() != pf8bit || bmp8->Empty() || channel < 0 || channel > 3)
        return;
    const int width = std::min(rows.Width(), bmp8->Width());
    const int height = std::min(rows.Height(), bmp8->Height());
    for (int y = 0; y < height; ++y) {
        auto* bytes = static_cast<std::uint8_t*>(bmp8->ScanLine(y));
        auto pixels = rows.Row(y);
        for (int x = 0; x < width; ++x) {
            if (fromBmp32To8) bytes[x] = ChannelOf(pixels[x], channel);
            else ChannelOf(pixels[x], channel) = bytes[x];
        }
    }
}
