// Reading GLOBALINFO into a skin data: the window metrics at the skin data's density (some of
// them measured against the EXBORDER image) and the two outer effects of windows, the light
// outline and the shadow, with their images.
#include "sSkinDataRead.h"

#include "SysUtils.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sGraphUtilsStretch.h"
#include "sStyleSimply.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

const UnicodeString GlobalInfo = L"GLOBALINFO";
constexpr int Missing = -99999;
// TitleGlows entries are looked up one by one; a skin cannot ask for more than this.
constexpr int MaxTitleGlows = 255;

int IndexOfGlobalInfo(const TacSkinData& data)
{
    for (size_t i = 0; i < data.gd.size(); ++i)
        if (data.gd[i].ClassName == GlobalInfo) return static_cast<int>(i);
    return -1;
}

// A 32-bit copy of r of the master bitmap (cut to it); null when nothing of r lies inside.
std::unique_ptr<TBitmap> CopyOut(TBitmap* master, const TRect& r)
{
    TacBmpRows src(master);
    if (!src.Valid() || r.Width() <= 0 || r.Height() <= 0) return nullptr;
    auto bmp = CreateBmp32(r.Width(), r.Height());
    TacBmpRows dst(bmp.get());
    bool any = false;
    for (int y = 0; y < dst.Height(); ++y)
        for (int x = 0; x < dst.Width(); ++x)
            if (src.Contains(r.Left + x, r.Top + y)) {
                dst.At(x, y) = src.At(r.Left + x, r.Top + y);
                any = true;
            }
    return any ? std::move(bmp) : nullptr;
}

// The image over a grey mask made from its alpha (white where it is transparent).
std::unique_ptr<TBitmap> TwoHalvesFromAlpha(TBitmap& image)
{
    TacBmpRows src(&image);
    auto bmp = CreateBmp32(src.Width(), src.Height() * 2);
    TacBmpRows dst(bmp.get());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x) {
            TsColor_ p = src.At(x, y);
            const std::uint8_t grey = static_cast<std::uint8_t>(255 - p.A);
            p.A = 255;
            dst.At(x, y) = p;
            TsColor_& m = dst.At(x, y + src.Height());
            m.R = m.G = m.B = grey;
            m.A = 255;
        }
    return bmp;
}

// Binds a new mask to an image made at the skin data's density and registers the image.
void RegisterMaskImage(TacSkinData& data, int index, std::unique_ptr<TBitmap> bmp, const UnicodeString& name)
{
    TsMaskData& mask = data.ma[static_cast<size_t>(index)];
    mask.Bmp = bmp.get();
    mask.R = TRect(0, 0, bmp->Width(), bmp->Height());
    mask.Width = bmp->Width();
    mask.Height = bmp->Height();
    mask.DivPPI = mask.MulPPi = data.PPI;
    const TRect r = mask.R;
    data.AddImage(std::move(bmp), name, mask.ClassName + L"-" + mask.PropertyName, r, r, data.PPI, mask.MaskType,
                  false);
}

// Source 1: the effect's image from GLOBALINFO at the skin data's level, else the plain key.
int OuterImageMask(TacSkinData& data, const TMemIniFile& ini, const UnicodeString& key)
{
    UnicodeString value;
    int sourcePPI = 96;
    if (data.ScaleValue > 0 && data.ScaleValue <= 3) {
        value = ini.ReadString(GlobalInfo, key + UnicodeString(aSfxs[static_cast<size_t>(data.ScaleValue)]), L"");
        sourcePPI = aPPIArray[static_cast<size_t>(data.ScaleValue)];
    }
    if (value.empty()) {
        value = ini.ReadString(GlobalInfo, key, L"");
        sourcePPI = 96;
    }
    if (value.empty()) return -1;
    const TacImageValue v = ParseImageValue(ConvertSkinStr(UpperCase(value)));
    std::unique_ptr<TBitmap> image = CopyOut(data.FOwner->MasterBitmap.get(), v.R);
    if (!image) return -1;
    if (sourcePPI != data.PPI) {
        auto resampled = CreateBmp32(std::max(1, MulDiv(image->Width(), data.PPI, sourcePPI)),
                                     std::max(1, MulDiv(image->Height(), data.PPI, sourcePPI)));
        Stretch(image.get(), resampled.get(), resampled->Width(), resampled->Height(), ftMitchell);
        image = std::move(resampled);
    }
    if (v.MaskType == 1) image = TwoHalvesFromAlpha(*image);

    const int index = data.MakeNewItem(IndexOfGlobalInfo(data), key, GlobalInfo,
                                       acImgTypes[static_cast<size_t>(std::min(v.ImgType, 4))], v.R, v.ImageCount,
                                       v.DrawMode, static_cast<std::int16_t>(v.MaskType));
    TsMaskData& mask = data.ma[static_cast<size_t>(index)];
    // Widths drawn at 96 PPI follow the manager's scaling; a density variant has them already.
    const auto width = [&](int w) {
        return static_cast<std::int16_t>(sourcePPI == 96 ? data.FOwner->ScaleInt(w, data.ScaleValue) : w);
    };
    mask.WL = width(v.WL);
    mask.WT = width(v.WT);
    mask.WR = width(v.WR);
    mask.WB = width(v.WB);
    RegisterMaskImage(data, index, std::move(image), L"Outer" + IntToStr(index));
    return index;
}

// Source 2: a computed shadow over the effect's side colours. Widths still unknown become half
// the shadow's size.
int OuterCalcMask(TacSkinData& data, TacOutEffData& e, const UnicodeString& key)
{
    const int l = std::max(0, e.OffsetL), t = std::max(0, e.OffsetT), r = std::max(0, e.OffsetR),
              b = std::max(0, e.OffsetB);
    std::unique_ptr<TBitmap> shadow = MakeShadow(e.ColorL, e.Radius, 0, t + b, l + r, e.Blur, true, true);
    const int w = shadow->Width(), h = shadow->Height();
    if (e.WidthL == -1) e.WidthL = w / 2;
    if (e.WidthR == -1) e.WidthR = w / 2;
    if (e.WidthT == -1) e.WidthT = h / 2;
    if (e.WidthB == -1) e.WidthB = h / 2;
    const int wl = (w + e.OffsetL - e.OffsetR) / 2, wr = (w + e.OffsetR - e.OffsetL) / 2;
    const int wt = (h + e.OffsetT - e.OffsetB) / 2, wb = (h + e.OffsetB - e.OffsetT) / 2;
    auto image = MakeTwoHalfOuterImage(*shadow, e.ColorL, e.ColorT, e.ColorR, e.ColorB, wl, wt, wr, wb);
    const int index = data.MakeNewItem(IndexOfGlobalInfo(data), key, GlobalInfo, itisaBorder,
                                       TRect(0, 0, image->Width(), image->Height()), 1, 1, 1);
    TsMaskData& mask = data.ma[static_cast<size_t>(index)];
    mask.WL = static_cast<std::int16_t>(wl);
    mask.WT = static_cast<std::int16_t>(wt);
    mask.WR = static_cast<std::int16_t>(wr);
    mask.WB = static_cast<std::int16_t>(wb);
    RegisterMaskImage(data, index, std::move(image), L"OuterCalc" + IntToStr(index));
    return index;
}

struct TacOutEffDefaults {
    const wchar_t* Prefix;
    int OffsetL, OffsetR, OffsetT, OffsetB;
    TColor ColorL;
    int Opacity;
};

void ReadOuterEffect(TacSkinData& data, const TMemIniFile& ini, TacOutEffData& e, const TacOutEffDefaults& d,
                     bool light)
{
    const UnicodeString p = d.Prefix;
    const auto read = [&](const wchar_t* name, int def) { return ini.ReadInteger(GlobalInfo, p + name, def); };
    const auto scaled = [&](int value) { return data.FOwner->ScaleInt(value, data.ScaleValue); };
    e.WidthL = read(L"WIDTHL", -1);
    e.WidthR = read(L"WIDTHR", -1);
    e.WidthT = read(L"WIDTHT", -1);
    e.WidthB = read(L"WIDTHB", -1);
    e.OffsetL = scaled(read(L"OFFSETL", d.OffsetL));
    e.OffsetR = scaled(read(L"OFFSETR", d.OffsetR));
    e.OffsetT = scaled(read(L"OFFSETT", d.OffsetT));
    e.OffsetB = scaled(read(L"OFFSETB", d.OffsetB));
    e.Radius = scaled(read(L"RADIUS_OE", 9));
    e.Blur = scaled(read(L"BLUR_OE", 5));
    e.ColorL = read(L"COLORL", d.ColorL);
    if (light) {
        e.ColorL = acColorToRGB(e.ColorL, data.FOwner);
        e.ColorR = acColorToRGB(read(L"COLORR", 0xFFFFFF), data.FOwner);
        e.ColorT = acColorToRGB(read(L"COLORT", 0), data.FOwner);
        e.ColorB = acColorToRGB(read(L"COLORB", 0xFFFFFF), data.FOwner);
    } else {
        e.ColorT = 0xFF00FF;
    }
    e.Opacity = read(L"OPACITY", d.Opacity);
    e.Source = read(L"SOURCE", 2);

    // Widths given by the skin are scaled; widths taken from a computed shadow are at this
    // density already. -1 stays "unknown".
    const auto scaleGiven = [&](int& w) {
        if (w >= 0) w = scaled(w);
    };
    scaleGiven(e.WidthL);
    scaleGiven(e.WidthR);
    scaleGiven(e.WidthT);
    scaleGiven(e.WidthB);
    const UnicodeString maskKey = p + L"MASK";
    switch (e.Source) {
    case 1: e.Mask = OuterImageMask(data, ini, maskKey); break;
    case 2: e.Mask = OuterCalcMask(data, e, maskKey); break;
    default: e.Mask = -1; break;
    }
}

} // namespace

int TacSkinData::ScaledInteger(const UnicodeString& Name, int Default, bool FromMask, int MaskIndex)
{
    const TMemIniFile* ini = FOwner ? FOwner->SkinFile : nullptr;
    if (!ini) return Default;
    if (FromMask && MaskIndex >= 0 && static_cast<size_t>(MaskIndex) < ma.size()) {
        int p = ma[static_cast<size_t>(MaskIndex)].DivPPI;
        int value = ini->ReadInteger(GlobalInfo, Name + UnicodeString(aSfxs[static_cast<size_t>(PPIToIndex(p))]), Missing);
        if (value == Missing || p <= 0) {
            value = ini->ReadInteger(GlobalInfo, Name, Default);
            p = 96;
        }
        return MulDiv(value, PPI, p);
    }
    const size_t level = static_cast<size_t>(std::clamp(ScaleValue, 0, 3));
    int value = ini->ReadInteger(GlobalInfo, Name + UnicodeString(aSfxs[level]), Missing);
    if (value != Missing) {
        const TacOptions* options = FOwner->Options();
        if (options->ScaleMode() == smCustomPPI && options->PixelsPerInch() < 96)
            value = MulDiv(value, options->PixelsPerInch(), 96);
        return value;
    }
    if (level == 0) return Default;
    value = ini->ReadInteger(GlobalInfo, Name, Default);
    return FromMask ? MulDiv(value, PPI, 96) : value;
}

void LoadGlobalInfo(TacSkinData& data, const TMemIniFile& ini)
{
    const auto scaled = [&](const wchar_t* name, int def) { return data.ScaledInteger(name, def, false, -1); };
    const auto plain = [&](const wchar_t* name, int def) { return ini.ReadInteger(GlobalInfo, name, def); };
    data.ExDrawMode = plain(L"BORDERMODE", 0);
    data.ExShadowOffs = scaled(L"ALIGNOFFSET", 0);
    data.ExShadowOffsR = scaled(L"ALIGNOFFSETR", data.ExShadowOffs);
    data.ExShadowOffsT = scaled(L"ALIGNOFFSETT", data.ExShadowOffs);
    data.ExShadowOffsB = scaled(L"ALIGNOFFSETB", data.ExShadowOffs);
    data.WndShadowRadius = scaled(L"WSHRAD", 17);
    data.WndShadowOffset = scaled(L"WSHOFFS", 2);
    data.WndShadowSize = scaled(L"WSHSIZE", 13);
    data.WndShadowColorN = plain(L"WSHCOLN", TColorOf(0x44000000u));
    data.WndShadowColorA = plain(L"WSHCOLA", TColorOf(0x99000000u));
    data.BISpacing = scaled(L"BISPACE", 0);
    data.BIRightMargin = scaled(L"BIRIGHT", 0);
    data.BILeftMargin = scaled(L"BILEFT", 0);
    data.BITopMargin = scaled(L"BITOP", 0);
    for (size_t i = 0; i < 5; ++i)
        data.GlowMargins[i] = scaled((UnicodeString(acTitleGlyphs[i]) + L"GLOWMARGIN").c_str(), 0);
    const int glows = std::clamp(plain(L"BICONCLOSEGLOW", 0), 0, MaxTitleGlows);
    for (size_t i = 0; i < 5; ++i) data.TitleGlows[i].assign(static_cast<size_t>(glows), -1);
    data.Shadow1Offset = scaled(L"SHADOW1OFFSET", 0);
    data.Shadow1Blur = scaled(L"SHADOW1BLUR", -1);
    data.Shadow1Transparency = plain(L"SHADOW1TRANSPARENCY", 0);
    data.ComboBoxMargin = plain(L"COMBOMARGIN", 2);
    if (data.ComboBoxMargin == 1 && data.PPI > 143) data.ComboBoxMargin = 2;
    data.SliderMargin = plain(L"SLIDERMARGIN", 1);

    data.oe.assign(2, TacOutEffData());
    ReadOuterEffect(data, ini, data.oe[1], {L"SH_", 3, 3, 2, 5, 0, 60}, false);
    ReadOuterEffect(data, ini, data.oe[0], {L"LO_", 2, 2, 2, 4, 0xFFFFFF, 200}, true);
}

void TacSkinData::InitMaskParams()
{
    const auto fromMask = [&](const wchar_t* name, int def) { return ScaledInteger(name, def, true, ExBorder); };
    ExBorderWidth = std::max(1, fromMask(L"BORDERWIDTH", 4));
    ExContentOffs = fromMask(L"FORMOFFSET", GetSystemMetrics(SM_CXFRAME));
    ExTitleHeight = fromMask(L"TITLEHEIGHT", 30);
    if (ExTitleHeight < 1) ExTitleHeight = FOwner ? FOwner->ScaleInt(30, ScaleValue) : 30;
    ExMaxHeight = fromMask(L"MAXHEIGHT", 0);
    if (ExMaxHeight < 1) ExMaxHeight = ExTitleHeight;
    ExCenterOffs = fromMask(L"CENTEROFFSET", 0);
}
