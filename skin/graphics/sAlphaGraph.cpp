#include "sAlphaGraph.h"

#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsGrey8.h"
#include "sGraphUtilsMix.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

using namespace graphutils_detail;

namespace {

constexpr std::int32_t TransparentWhite = 0x00FFFFFF;

} // namespace

void SwapLong(std::span<std::uint32_t> values)
{
    for (std::uint32_t& v : values) v = SwapLong(v);
}

void FillLongword(std::span<std::uint32_t> dest, int count, std::uint32_t value)
{
    if (count <= 0) return;
    std::fill_n(dest.begin(), std::min(dest.size(), static_cast<size_t>(count)), value);
}

TsColor GetAPixel(TBitmap* bmp, int x, int y)
{
    TsColor result;
    result.I = 0;
    TacBmpRows rows(bmp);
    if (rows.Contains(x, y)) result.I = rows.At(x, y).I;
    return result;
}

void SetAPixel(TBitmap* bmp, int x, int y, TsColor value)
{
    TacBmpRows rows(bmp);
    if (rows.Contains(x, y)) rows.At(x, y).I = value.I;
}

void SetAPixel(TBitmap* bmp, int x, int y, TColor value)
{
    TsColor c;
    c.C = value;
    SetAPixel(bmp, x, y, c);
}

void FillRect32(TBitmap* bmp, const TRect& r, TColor color, std::uint8_t alpha)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    TsColor_ pixel;
    pixel.I = SwapRedBlue(color);
    pixel.A = alpha;
    const int top = std::max<int>(0, r.Top);
    const int bottom = std::min<int>(rows.Height(), r.Bottom);
    const int left = std::max<int>(0, r.Left);
    const int right = std::min<int>(rows.Width(), r.Right);
    for (int y = top; y < bottom; ++y) {
        auto row = rows.Row(y);
        for (int x = left; x < right; ++x) row[x] = pixel;
    }
}

void FillRect32Excl(TBitmap* bmp, const TRect& r, const TRect& excl, TColor color, std::uint8_t alpha)
{
    FillRect32(bmp, {r.Left, r.Top, r.Right, excl.Top}, color, alpha);
    FillRect32(bmp, {r.Left, excl.Top, excl.Left, excl.Bottom}, color, alpha);
    FillRect32(bmp, {excl.Right, excl.Top, r.Right, excl.Bottom}, color, alpha);
    FillRect32(bmp, {r.Left, excl.Bottom, r.Right, r.Bottom}, color, alpha);
}

void FillAlphaRect(TBitmap* bmp, TRect r, std::uint8_t alpha, TColor color, const std::vector<TRect>& excl)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    r.Left = std::max<LONG>(r.Left, 0);
    r.Top = std::max<LONG>(r.Top, 0);
    const int right = r.Left + std::min<int>(WidthOf(r), rows.Width() - r.Left);
    const int bottom = r.Top + std::min<int>(HeightOf(r), rows.Height() - r.Top);
    for (int y = r.Top; y < bottom; ++y)
        for (int x = r.Left; x < right; ++x) {
            if (std::any_of(excl.begin(), excl.end(), [&](const TRect& e) { return e.Contains({x, y}); })) continue;
            TsColor_& p = rows.At(x, y);
            if (color == clNone || p.I != color) p.A = alpha;
        }
}

void BlendColorRect(TBitmap* bmp, TRect r, std::uint8_t blend, TColor color)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    TsColor c;
    c.C = ColorToRGB(color);
    r.Left = std::max<LONG>(r.Left, 0);
    r.Top = std::max<LONG>(r.Top, 0);
    r.Right = std::min<LONG>(r.Right, rows.Width() - 1);
    r.Bottom = std::min<LONG>(r.Bottom, rows.Height() - 1);
    const int k = 255 - blend;
    for (int y = r.Top; y <= r.Bottom; ++y)
        for (int x = r.Left; x <= r.Right; ++x) {
            TsColor_& p = rows.At(x, y);
            p.R = static_cast<std::uint8_t>((p.R * blend + c.R * k) >> 8);
            p.G = static_cast<std::uint8_t>((p.G * blend + c.G * k) >> 8);
            p.B = static_cast<std::uint8_t>((p.B * blend + c.B * k) >> 8);
        }
}

void UpdateAlpha(TBitmap* bmp) { UpdateAlpha(bmp, TRect(0, 0, bmp ? bmp->Width() : 0, bmp ? bmp->Height() : 0)); }

void UpdateAlpha(TBitmap* bmp, const TRect& r)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    // Without composition the system shows premultiplied near-white too bright: keep it at 244.
    const bool composition = AeroIsEnabled();
    const int top = std::max<int>(0, r.Top);
    const int bottom = std::min<int>(rows.Height(), r.Bottom);
    const int left = std::max<int>(0, r.Left);
    const int right = std::min<int>(rows.Width(), r.Right);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            TsColor_& p = rows.At(x, y);
            if (p.I == TransparentWhite) {
                p.I = 0;
                continue;
            }
            const bool nearWhite = p.R > 244 && p.G > 244 && p.B > 244;
            int b = (p.B * p.A) >> 8;
            int g = (p.G * p.A) >> 8;
            int red = (p.R * p.A) >> 8;
            if (!composition && nearWhite) {
                b = std::min(b, 244);
                g = std::min(g, 244);
                red = std::min(red, 244);
            }
            p.B = static_cast<std::uint8_t>(b);
            p.G = static_cast<std::uint8_t>(g);
            p.R = static_cast<std::uint8_t>(red);
        }
}

void UpdateTransPixels(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y))
            if (p.I == TransparentWhite) p.I = 0;
}

void CheckEmptyAChannel(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    for (int y = 0; y < rows.Height(); ++y)
        for (const TsColor_& p : rows.Row(y))
            if (p.A != 0) return;
    const std::int32_t transparent = SwapRedBlue(bmp->Canvas()->Pixels(0, rows.Height() - 1));
    rows = TacBmpRows(bmp); // read the rows again after the canvas call
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y))
            if (p.I != transparent) p.A = 255;
}

void FillTransPixels32(TBitmap* dst, TBitmap* src, const TRect& r, TPoint offset, int maskIndex, TObject* skinData,
                       int corner)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    const int lastCol = std::min(WidthOf(r) - 1, s.Width() - static_cast<int>(offset.X) - 1);
    int lastRow = std::min(HeightOf(r) - 1, s.Height() - static_cast<int>(offset.Y) - 1);
    // A pixel takes part only where destination and source both have it.
    auto inside = [&](int x, int y) {
        return d.Contains(r.Left + x, r.Top + y) && s.Contains(offset.X + x, offset.Y + y);
    };
    if (maskIndex == -1) {
        for (int y = 0; y <= lastRow; ++y)
            for (int x = 0; x <= lastCol; ++x) {
                if (!inside(x, y)) continue;
                TsColor_& p = d.At(r.Left + x, r.Top + y);
                p.A = 0;
                if (p.I == KeyPixel) p = s.At(offset.X + x, offset.Y + y);
            }
        return;
    }
    auto* data = dynamic_cast<TacSkinData*>(skinData);
    if (!data || !IsValidIndex(maskIndex, static_cast<int>(data->ma.size()))) return;
    const TsMaskData& mask = data->ma[static_cast<size_t>(maskIndex)];
    TBitmap* testImage = mask.Bmp;
    if (!testImage) {
        auto* manager = dynamic_cast<TsSkinManager*>(mask.Manager);
        testImage = manager ? manager->MasterBitmap.get() : nullptr;
    }
    TacBmpRows t(testImage);
    if (!t.Valid()) return;
    TPoint origin(mask.R.Left, mask.R.Top);
    if (corner == 14 || corner == 17) origin.X = mask.R.Left + mask.Width - mask.WR;
    if (corner == 16 || corner == 17) origin.Y = mask.R.Top + mask.Height - mask.WB;
    if (origin.Y + lastRow >= t.Height()) lastRow = t.Height() - 1 - origin.Y;
    for (int y = 0; y <= lastRow; ++y)
        for (int x = 0; x <= lastCol; ++x) {
            if (!inside(x, y) || !t.Contains(origin.X + x, origin.Y + y)) continue;
            if ((t.At(origin.X + x, origin.Y + y).I & 0x00FFFFFF) != 0xFF00FF) continue;
            TsColor_& p = d.At(r.Left + x, r.Top + y);
            const std::uint8_t keepAlpha = p.A;
            p = s.At(offset.X + x, offset.Y + y);
            p.A = keepAlpha;
        }
}

void FillTransPixels32(TBitmap* dst, TBitmap* src, const TRect& r, TPoint offset, int maskIndex,
                       TsSkinManager* manager, int corner)
{
    if (!manager) manager = DefaultManager;
    if (!manager) return;
    FillTransPixels32(dst, src, r, offset, maskIndex, manager->CommonSkinData(96), corner);
}

void DiffBmp32(TBitmap* bmp1, TBitmap* bmp2)
{
    TacBmpRows a(bmp1), b(bmp2);
    if (!SameSize(a, b)) return;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if ((a.At(x, y).I & 0x00FFFFFF) == (b.At(x, y).I & 0x00FFFFFF)) a.At(x, y).I = 0;
}

HICON MakeIcon32(TBitmap* bmp, bool)
{
    if (!bmp || bmp->Empty()) return nullptr;
    const int w = bmp->Width();
    const int h = bmp->Height();
    bmp->SetPixelFormat(pf32bit);
    // Grey palette: a mask byte is its own grey level.
    TBitmap mask;
    MakeGreyBmp8(mask, w, h);
    TacBmpRows colour(bmp);
    if (!colour.Valid()) return nullptr;
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint8_t*>(mask.ScanLine(y));
        auto pixels = colour.Row(y);
        for (int x = 0; x < w; ++x) row[x] = static_cast<std::uint8_t>(255 - pixels[x].A);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Handle();
    info.hbmColor = bmp->Handle();
    return CreateIconIndirect(&info);
}

void PrepareLightMask(std::unique_ptr<TBitmap>& bmp, int radius, int, TColor color)
{
    const int r = std::min(std::max(radius, ScaleInt(100)), ScaleInt(200));
    if (bmp && bmp->Width() == 2 * r + 1 && bmp->Height() == 2 * r + 1 && bmp->Canvas()->Brush()->Color() == color)
        return;
    bmp = MakeShadow(color, r, 0, 0, 0, r, false, false);
    // The brush colour only marks which colour the mask was made for.
    bmp->Canvas()->Brush()->SetColor(color);
}

void BmpDisabledKind(TBitmap* bmp, TsDisabledKind disabledKind, TControl* control, const TCacheInfo& ci,
                     TPoint offset)
{
    if (!bmp || bmp->Empty()) return;
    if (disabledKind.Contains(dkGrayed)) {
        if (DefDisabledSaturation != -100)
            ChangeBitmapPixels(bmp, &ChangeColorSaturation, DefDisabledSaturation * 255 / 100, clFuchsia);
        else
            GrayScale(bmp);
    }
    if (disabledKind.Contains(dkBlended)) {
        TRect r(0, 0, bmp->Width(), bmp->Height());
        if (ci.Ready) {
            r.Offset(ci.X + offset.X, ci.Y + offset.Y);
            BlendTransRectangle(bmp, 0, 0, ci.Bmp, r, DefBlendDisabled, clFuchsia);
        } else {
            const TColor color = ci.FillColor == clFuchsia ? GetControlColor(control) : ci.FillColor;
            BlendColorRect(bmp, r, DefBlendDisabled, color);
        }
    }
}

namespace {
TacUnitCounter unitCounter;
}

void sAlphaGraphInitialization() { unitCounter.StartUp(); }
void sAlphaGraphFinalization() { unitCounter.ShutDown(); }
