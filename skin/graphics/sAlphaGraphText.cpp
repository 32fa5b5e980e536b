// Text in 32-bit bitmaps: the text is drawn black on white into a work bitmap and merged into the
// destination with the work pixel as coverage, so that the destination's alpha is raised where
// the text lies instead of being destroyed; captions in a section's font and contour colours;
// and the four-band frame fill.
#include "sAlphaGraph.h"

#include "SysUtils.h"
#include "acntUtils.h"
#include "sGraphUtils.h"
#include "sGraphUtilsText.h"
#include "sSkinManager.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using DrawCall = std::function<void(HDC dc, TRect& r)>;

void MergeText(TBitmap* Bmp, TRect R, TColor Color, bool AlphaMode, const DrawCall& draw)
{
    TacBmpRows d(Bmp);
    if (!d.Valid() || R.IsEmpty()) return;
    auto work = CreateBmp32(R.Width(), R.Height());
    TCanvas* canvas = work->Canvas();
    canvas->Font()->Assign(Bmp->Canvas()->Font());
    canvas->Font()->SetColor(clBlack);
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    TRect all(0, 0, work->Width(), work->Height());
    canvas->FillRect(all);
    canvas->Brush()->SetStyle(bsClear);
    HDC dc = canvas->Handle();
    const HGDIOBJ oldFont = SelectObject(dc, canvas->Font()->Handle());
    SetTextColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    draw(dc, all);
    SelectObject(dc, oldFont);
    GdiFlush();
    TacBmpRows w(work.get());
    if (!w.Valid()) return;
    TsColor_ k;
    k.I = SwapRedBlue(ColorToRGB(Color));
    for (int y = 0; y < w.Height(); ++y) {
        const int dy = R.Top + y;
        if (dy < 0 || dy >= d.Height()) continue;
        for (int x = 0; x < w.Width(); ++x) {
            const int dx = R.Left + x;
            if (dx < 0 || dx >= d.Width()) continue;
            const TsColor_ wp = w.At(x, y);
            const std::uint32_t rgb = static_cast<std::uint32_t>(wp.I) & 0x00FFFFFFu;
            if (rgb == 0x00FFFFFFu) continue;
            TsColor_& dp = d.At(dx, dy);
            if (!AlphaMode) {
                const auto cover = [](int c, int kc, int wc) {
                    return static_cast<std::uint8_t>(((c - kc) * wc + kc * 256) >> 8);
                };
                dp.R = cover(dp.R, k.R, wp.R);
                dp.G = cover(dp.G, k.G, wp.G);
                dp.B = cover(dp.B, k.B, wp.B);
                dp.A = 255;
            } else if (rgb == 0) {
                dp.A = std::max<std::uint8_t>(dp.A, 254);
                const int a = dp.A;
                const auto full = [a](int c, int kc) {
                    return static_cast<std::uint8_t>((((c - kc) + kc * 256) * a) >> 16);
                };
                dp.R = full(dp.R, k.R);
                dp.G = full(dp.G, k.G);
                dp.B = full(dp.B, k.B);
            } else {
                const int v = static_cast<int>(Round(0.299L * wp.R + 0.587L * wp.G + 0.114L * wp.B));
                dp.A = static_cast<std::uint8_t>(std::max(static_cast<int>(dp.A), 255 - v));
                const int a = dp.A;
                const auto part = [a, v](int c, int kc) {
                    return static_cast<std::uint8_t>((((c - kc) * v + kc * 256) * a) >> 16);
                };
                dp.R = part(dp.R, k.R);
                dp.G = part(dp.G, k.G);
                dp.B = part(dp.B, k.B);
            }
        }
    }
}

} // namespace

void WriteColor(TBitmap* Bmp, const UnicodeString& Text, bool AlphaMode, TRect R, UINT Flags, TColor Color,
                bool Narrow)
{
    if (!Bmp || Text.empty()) return;
    MergeText(Bmp, R, Color, AlphaMode, [&](HDC dc, TRect& r) {
        if (Narrow) {
            const AnsiString narrow = UnicodeToAnsi(Text);
            RECT rc = r;
            DrawTextA(dc, narrow.c_str(), static_cast<int>(narrow.size()), &rc, Flags);
        } else {
            acDrawText(dc, Text, r, Flags);
        }
    });
}

void WriteColorW(TBitmap* Bmp, const UnicodeString& Text, bool AlphaMode, TRect R, UINT Flags, TColor Color)
{
    if (!Bmp || Text.empty()) return;
    MergeText(Bmp, R, Color, AlphaMode, [&](HDC dc, TRect& r) {
        RECT rc = r;
        DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &rc, Flags);
    });
}

void WriteText32(TBitmap* Bmp, const UnicodeString& Text, bool AlphaMode, TRect R, UINT Flags, int SkinIndex,
                 int State, TsSkinManager* SkinManager, bool)
{
    if (!Bmp || Text.empty() || R.IsEmpty()) return;
    TsSkinManager* manager = SkinManager ? SkinManager : DefaultManager;
    TacSkinData* data = manager ? manager->CommonSkinData(96) : nullptr;
    if (!data || !manager->IsValidSkinIndex(SkinIndex) || !IsValidIndex(SkinIndex, static_cast<int>(data->gd.size()))) {
        WriteColor(Bmp, Text, AlphaMode, R, Flags, Bmp->Canvas()->Font()->Color());
        return;
    }
    const TsFontColor fc =
        data->gd[static_cast<size_t>(SkinIndex)].Props[static_cast<size_t>(std::clamp(State, 0, 2))].FontColor;
    if (AlphaMode) {
        const struct {
            TColor color;
            int dx, dy;
        } contour[] = {{fc.Left, -1, 0}, {fc.Top, 0, -1}, {fc.Right, 1, 0}, {fc.Bottom, 0, 1}};
        for (const auto& side : contour)
            if (side.color != static_cast<TColor>(-1))
                WriteColor(Bmp, Text, true,
                           TRect(R.Left + side.dx, R.Top + side.dy, R.Right + side.dx, R.Bottom + side.dy), Flags,
                           side.color);
    }
    WriteColor(Bmp, Text, AlphaMode, R, Flags, fc.Color);
}

void FillDCBorder32(TBitmap* Bmp, const TRect& R, int wl, int wt, int wr, int wb, TColor Color)
{
    FillRect32(Bmp, TRect(R.Left, R.Top, R.Right, R.Top + wt), Color, 255);
    FillRect32(Bmp, TRect(R.Left, R.Top + wt, R.Left + wl, R.Bottom), Color, 255);
    FillRect32(Bmp, TRect(R.Left + wl, R.Bottom - wb, R.Right, R.Bottom), Color, 255);
    FillRect32(Bmp, TRect(R.Right - wr, R.Top + wt, R.Right, R.Bottom - wb), Color, 255);
}
