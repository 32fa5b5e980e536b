#include "sGraphUtilsGlyphEx.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsGrey8.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Glyph images in the standard order (normal, disabled, ...) rather than the library's.
bool StandardOrder(TBitmap* glyph)
{
    return glyph->PixelFormat() == pf4bit || !DefaultManager || DefaultManager->Options()->GetBool(3);
}

// The image of the strip to draw, -1 for none.
int ImageIndex(TBitmap* glyph, int numGlyphs, bool enabled, int state, bool down)
{
    if (!enabled) return 0;
    switch (state) {
    case 0: return 0;
    case 1: return StandardOrder(glyph) ? 0 : 1;
    case 2:
        if (numGlyphs > down + 2) return down + 2;
        return StandardOrder(glyph) ? 0 : std::min(1, numGlyphs - 1);
    case 3: return numGlyphs > 2 ? 2 : 0;
    default: return -1;
    }
}

// src scaled to width x height by dropping or repeating pixels, as GDI's COLORONCOLOR does.
void StretchInto(TBitmap& dst, TBitmap& src, int width, int height)
{
    HDC dc = dst.Canvas()->Handle();
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, width, height, src.Canvas()->Handle(), 0, 0, src.Width(), src.Height(), SRCCOPY);
    GdiFlush();
}

} // namespace

void DrawGlyphEx(TBitmap* glyph, TBitmap* dstBmp, TRect r, int numGlyphs, bool enabled, TsDisabledGlyphKind,
                 int state, int blend, bool down, bool reflected)
{
    if (!glyph || glyph->Empty() || !dstBmp || numGlyphs < 1) return;
    auto tmp = CreateBmp32(0, 0);
    CopyBmp(tmp.get(), glyph);
    tmp->SetPixelFormat(pf32bit);
    if (reflected) r.Offset(0, -(r.Height() / 8));
    if (numGlyphs == 1) state = 0;
    if (state > 0) blend = 0;
    const int index = ImageIndex(glyph, numGlyphs, enabled, state, down);
    const int w = tmp->Width() / numGlyphs;
    TacBmpRows rows(tmp.get());
    if (index < 0 || w < 1 || !rows.Valid()) return;
    const TColor transColor = static_cast<TColor>(SwapRedBlue(rows.At(index * w, rows.Height() - 1).I));
    const TRect srcRect(index * w, 0, (index + 1) * w - 1, tmp->Height() - 1);
    if (enabled || blend == 0)
        CopyTransRectA(dstBmp, tmp.get(), r.Left, r.Top, srcRect, transColor, MakeCacheInfo(dstBmp), 0);
    else
        BlendTransRectangle(dstBmp, r.Left, r.Top, tmp.get(), srcRect, static_cast<std::uint8_t>(blend),
                            static_cast<TColor>(0x00FF00FF));
    if (reflected) {
        r.Offset(0, r.Height());
        DrawGlyphReflection(dstBmp, tmp.get(), r.TopLeft(), blend, transColor, srcRect);
    }
}

void DrawGlyphReflection(TBitmap* dst, TBitmap* src, TPoint p, int blend, TColor transColor, TRect srcRect)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    int ox = 0, oy = 0;
    if (srcRect.Left < 0) {
        ox = -srcRect.Left;
        srcRect.Left = 0;
    }
    if (srcRect.Top < 0) {
        oy = -srcRect.Top;
        srcRect.Top = 0;
    }
    srcRect.Right = std::min<LONG>(srcRect.Right, s.Width() - 1);
    srcRect.Bottom = std::min<LONG>(srcRect.Bottom, s.Height() - 1);
    const int n = std::min(s.Height() / 3 * 2 - 1, d.Height() - 1 - static_cast<int>(p.Y));
    if (n < 1) return;
    const int step = 255 / (n + 1);
    int a = 255;
    const std::int32_t key = SwapRedBlue(transColor);
    for (int i = 0; i <= n; ++i) {
        const int dy = p.Y + i;
        const int sy = srcRect.Bottom - i - oy;
        if (dy < 0 || dy >= d.Height() || sy < 0 || sy >= s.Height()) continue;
        const auto k = static_cast<std::uint8_t>((((((n - i) * 255) / n) * a) >> 9) * (100 - blend) / 100);
        auto srcRow = s.Row(sy);
        auto dstRow = d.Row(dy);
        for (int j = 0; j <= srcRect.Right - srcRect.Left; ++j) {
            const int dx = p.X - ox + j;
            if (dx < 0) continue;
            if (dx >= d.Width()) break;
            const TsColor_ sp = srcRow[static_cast<size_t>(srcRect.Left + j)];
            if (sp.I == key) continue;
            TsColor_& dp = dstRow[static_cast<size_t>(dx)];
            dp.R = static_cast<std::uint8_t>(((sp.R - dp.R) * k + dp.R * 256) >> 8);
            dp.G = static_cast<std::uint8_t>(((sp.G - dp.G) * k + dp.G * 256) >> 8);
            dp.B = static_cast<std::uint8_t>(((sp.B - dp.B) * k + dp.B * 256) >> 8);
        }
        a = std::max(0, a - step);
    }
}

void DrawBmp(TCanvas* canvas, TBitmap* bmp, const TRect& r, bool reflected)
{
    if (!canvas || !bmp || bmp->Empty()) return;
    if (bmp->PixelFormat() != pf32bit) {
        canvas->StretchDraw(r, bmp);
        return;
    }
    const int w = r.Width(), h = r.Height();
    if (w < 1 || h < 1) return;
    auto work = CreateBmp32(w, reflected ? h + h / 2 : h);
    HDC dc = canvas->Handle();
    BitBlt(work->Canvas()->Handle(), 0, 0, work->Width(), work->Height(), dc, r.Left, r.Top, SRCCOPY);
    const TRect all(0, 0, w, h);
    if (bmp->Width() == w && bmp->Height() == h) {
        CopyBmp32(all, all, work.get(), bmp, EmptyCI, false, clNone, 0, reflected);
    } else {
        auto scaled = CreateBmp32(w, h);
        StretchInto(*scaled, *bmp, w, h);
        TBitmap alpha, scaledAlpha;
        MakeGreyBmp8(alpha, bmp->Width(), bmp->Height());
        MakeGreyBmp8(scaledAlpha, w, h);
        CopyChannel(bmp, &alpha, 3, true);
        StretchInto(scaledAlpha, alpha, w, h);
        CopyChannel(scaled.get(), &scaledAlpha, 3, false);
        CopyBmp32(all, all, work.get(), scaled.get(), EmptyCI, false, clNone, 0, false);
    }
    GdiFlush();
    BitBlt(dc, r.Left, r.Top, work->Width(), work->Height(), work->Canvas()->Handle(), 0, 0, SRCCOPY);
}

HICON MakeCompIcon(TBitmap* bmp)
{
    if (!bmp || bmp->Empty()) return nullptr;
    // Rows of a monochrome bitmap are padded to 16 bits.
    const int stride = (bmp->Width() + 15) / 16 * 2;
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(stride) * bmp->Height(), 0);
    HBITMAP mask = CreateBitmap(bmp->Width(), bmp->Height(), 1, 1, zeros.data());
    ICONINFO info{TRUE, 0, 0, mask, bmp->Handle()};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    return icon;
}
