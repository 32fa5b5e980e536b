// The manager's colour properties on a loaded skin: HueOffset, Saturation and Brightness change
// the master bitmap, the images of a skin data, its section colours and the palette. The first
// skin data owns the master bitmap; the scaled copies other densities make of master images come
// from the already changed master and are not changed again, so that every pixel and colour is
// changed once however many densities load.
#include "sSkinManager.h"

#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"

#include <algorithm>

namespace {

constexpr TColor KeyColour = 0xFF00FF;

// The palette entries the hue and saturation steps change; web hot text, the edit states, the
// highlights and the tones keep the skin's values.
constexpr TacPaletteColors ChangedEntries[] = {
    pcMainColor,        pcLabelText,        pcWebText,         pcEditText,         pcEditBG,
    pcSelectionBG,      pcSelectionText,    pcSelectionBG_Focused, pcSelectionText_Focused,
    pcEditBG_Inverted,  pcEditText_Inverted, pcEditBG_OddRow,  pcEditBG_EvenRow,   pcBtnColor1Active,
    pcBtnColor2Active,  pcBtnBorderActive,  pcBtnFontActive,   pcBtnColor1Normal,  pcBtnColor2Normal,
    pcBtnBorderNormal,  pcBtnFontNormal,    pcBtnColor1Pressed, pcBtnColor2Pressed, pcBtnBorderPressed,
    pcBtnFontPressed,   pcBorder,           pcGrid,            pcHintBG,           pcHintText};

// The nine colour fields of every state (-1 stays) and every gradient point.
template <class Change>
void ChangeSectionColours(TacSkinData& data, Change change)
{
    for (TsGeneralData& section : data.gd)
        for (TsGenState& state : section.Props) {
            for (TColor* c : {&state.Color, &state.GlowColor, &state.LightColor, &state.BorderColor,
                              &state.FontColor.Color, &state.FontColor.Left, &state.FontColor.Top,
                              &state.FontColor.Right, &state.FontColor.Bottom})
                if (*c != -1) *c = change(*c);
            for (TsGradPoint& point : state.GradientArray) point.Color.C = change(point.Color.C);
        }
}

bool IsFirst(const TsSkinManager& m, const TacSkinData& data)
{
    return !m.SkinDataArray.empty() && m.SkinDataArray[0].get() == &data;
}

// Images of this density that the step changes: all of the first skin data's, only the image
// files of the others (their other bitmaps are cut from the changed master).
bool EntryChanged(bool first, const TacBmpData& entry) { return entry.Bmp && (first || entry.Ext); }

} // namespace

void TsSkinManager::ApplyHue(TacSkinData& Data)
{
    const int hue = FHueOffset;
    if (hue == 0) return;
    const bool first = IsFirst(*this, Data);
    const int keep = SkinCommonInfo.BIKeepHUE;

    // The title-button images the skin keeps in their colours, with their glow images: their
    // place in the master, or their own bitmaps.
    std::vector<TRect> keptRects;
    std::vector<const TBitmap*> keptBitmaps;
    if (keep > 0) {
        std::vector<const wchar_t*> names = {L"BICONCLOSE", L"BICLOSEALONE", L"SICONCLOSE"};
        if (keep == 1)
            names.insert(names.end(), {L"BICONMAX", L"BICONMIN", L"BICONNORM", L"BICONHELP", L"SICONMAX",
                                       L"SICONMIN", L"SICONNORM"});
        const int globalInfo = SkinCommonInfo.IndexGlobalInfo;
        for (const wchar_t* name : names)
            for (const UnicodeString& key : {UnicodeString(name), UnicodeString(name) + L"GLOW0"}) {
                const int index = GetMaskIndex(globalInfo, L"GLOBALINFO", key, &Data);
                if (index < 0) continue;
                const TsMaskData& mask = Data.ma[static_cast<size_t>(index)];
                if (mask.Bmp) keptBitmaps.push_back(mask.Bmp);
                else keptRects.push_back(mask.R);
            }
    }

    if (first && MasterBitmap) {
        if (keep <= 0) {
            ChangeBitmapPixels(MasterBitmap.get(), &ChangeColorHUE, hue, KeyColour);
        } else {
            std::unique_ptr<TBitmap> copy = CreateBmp32(MasterBitmap->Width(), MasterBitmap->Height());
            copy->Assign(MasterBitmap.get());
            ChangeBitmapPixels(copy.get(), &ChangeColorHUE, hue, KeyColour);
            const HDC dc = MasterBitmap->Canvas()->Handle();
            const int saved = SaveDC(dc);
            for (const TRect& r : keptRects) ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
            BitBlt(dc, 0, 0, copy->Width(), copy->Height(), copy->Canvas()->Handle(), 0, 0, SRCCOPY);
            RestoreDC(dc, saved);
        }
    }

    for (TacBmpData& entry : Data.BmpArray) {
        if (!EntryChanged(first, entry)) continue;
        if (keep > 0) {
            const auto owner = std::find_if(Data.ma.begin(), Data.ma.end(),
                                            [&](const TsMaskData& m) { return m.Bmp == entry.Bmp.get(); });
            if (owner != Data.ma.end() &&
                std::find(keptBitmaps.begin(), keptBitmaps.end(), owner->Bmp) != keptBitmaps.end())
                continue;
        }
        ChangeBitmapPixels(entry.Bmp.get(), &ChangeColorHUE, hue, KeyColour);
    }

    const auto change = [hue](TColor c) { return ChangeHue(hue, c); };
    if (first) {
        ChangeSectionColours(Data, change);
        SkinCommonInfo.Shadow1Color = change(SkinCommonInfo.Shadow1Color);
    }
    for (TacPaletteColors entry : ChangedEntries) Palette[entry] = change(Palette[entry]);
}

void TsSkinManager::ApplySaturation(TacSkinData& Data)
{
    const int amount = std::clamp(FSaturation * 255 / 100, -255, 255);
    if (amount == 0) return;
    const bool first = IsFirst(*this, Data);
    if (first && MasterBitmap) ChangeBitmapPixels(MasterBitmap.get(), &ChangeColorSaturation, amount, KeyColour);
    for (TacBmpData& entry : Data.BmpArray)
        if (EntryChanged(first, entry))
            ChangeBitmapPixels(entry.Bmp.get(), &ChangeColorSaturation, amount, KeyColour);
    const auto change = [amount](TColor c) { return ChangeSaturation(c, amount); };
    ChangeSectionColours(Data, change);
    if (first) SkinCommonInfo.Shadow1Color = change(SkinCommonInfo.Shadow1Color);
    for (TacPaletteColors entry : ChangedEntries) Palette[entry] = change(Palette[entry]);
}

void TsSkinManager::ApplyBrightness(TacSkinData& Data)
{
    const int amount = FBrightness;
    if (amount == 0) return;
    const bool first = IsFirst(*this, Data);
    // Images of MaskType 1 keep their lower half, the black-and-white mask.
    if (first && MasterBitmap) {
        std::unique_ptr<TBitmap> unchanged = CreateBmp32(0, 0);
        CopyBmp(unchanged.get(), MasterBitmap.get());
        ChangeBitmapPixels(MasterBitmap.get(), &ChangeColorBrightness, amount, KeyColour);
        const HDC dst = MasterBitmap->Canvas()->Handle();
        const HDC src = unchanged->Canvas()->Handle();
        for (const TsMaskData& mask : Data.ma) {
            if (mask.Bmp || mask.MaskType != 1) continue;
            const TRect& r = mask.R;
            const int half = HeightOf(r) / 2;
            BitBlt(dst, r.Left, r.Top + half, WidthOf(r), half, src, r.Left, r.Top + half, SRCCOPY);
        }
    }
    for (TacBmpData& entry : Data.BmpArray) {
        if (!EntryChanged(first, entry)) continue;
        TBitmap* bmp = entry.Bmp.get();
        if (entry.MaskType == 0) {
            ChangeBitmapPixels(bmp, &ChangeColorBrightness, amount, KeyColour);
            if (amount > 0 && Pos(L".PNG", entry.FileName)) UpdateAlpha(bmp);
            continue;
        }
        const int w = bmp->Width(), h = bmp->Height(), half = h / 2;
        std::unique_ptr<TBitmap> band = CreateBmp32(w, half);
        BitBlt(band->Canvas()->Handle(), 0, 0, w, half, bmp->Canvas()->Handle(), 0, half, SRCCOPY);
        ChangeBitmapPixels(bmp, &ChangeColorBrightness, amount, KeyColour);
        BitBlt(bmp->Canvas()->Handle(), 0, half, w, half, band->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    ChangeSectionColours(Data, [amount](TColor c) { return ChangeBrightness(c, amount); });
}
