// Reading the images of a skin text into a skin data: every image key of every section, at the
// density variant that suits the skin data best, cut from the master bitmap or read from an
// image file of the skin.
#include "sSkinDataRead.h"

#include "Colors.h"
#include "Exceptions.h"
#include "StringList.h"
#include "SysUtils.h"
#include "sGraphUtils.h"

#include <algorithm>

namespace {

constexpr std::uint32_t KeyColour = 0x00FF00FF;
const UnicodeString GlobalInfo = L"GLOBALINFO";

int Field(const UnicodeString& value, size_t pos, size_t count)
{
    if (pos - 1 + count > value.size()) throw EConvertError(L"Image value too short: " + value);
    return StrToInt(value.substr(pos - 1, count));
}

bool AreaHasTransparent(const TacBmpRows& rows, TRect area, bool byAlpha)
{
    area.Left = std::max<LONG>(area.Left, 0);
    area.Top = std::max<LONG>(area.Top, 0);
    area.Right = std::min<LONG>(area.Right, rows.Width());
    area.Bottom = std::min<LONG>(area.Bottom, rows.Height());
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            const TsColor_& p = rows.At(x, y);
            if (byAlpha ? p.A == 0 : (static_cast<std::uint32_t>(p.I) & 0x00FFFFFF) == KeyColour) return true;
        }
    return false;
}

// An image entry: a value in one of the image notations, or one naming a bitmap or JPEG file.
bool IsImageEntry(const UnicodeString& value)
{
    static const UnicodeString markers = L"@!&^~";
    return markers.find(value[0]) != UnicodeString::npos || Pos(L".JPG", value) || Pos(L".BMP", value);
}

} // namespace

TacImageValue ParseImageValue(const UnicodeString& value)
{
    TacImageValue v;
    v.R = TRect(Field(value, 2, 4), Field(value, 6, 4), Field(value, 10, 4), Field(value, 14, 4));
    v.WL = Field(value, 18, 4);
    v.WT = Field(value, 22, 4);
    v.WR = Field(value, 26, 4);
    v.WB = Field(value, 30, 4);
    v.ImageCount = Field(value, 34, 1);
    v.MaskType = Field(value, 35, 1);
    v.ImgType = Field(value, 36, 1);
    v.DrawMode = Field(value, 37, 2);
    if (value.size() > 44) v.FileName = value.substr(44);
    return v;
}

bool HasTransparentCorner(const TsMaskData& mask, TBitmap* master)
{
    if (HeightOf(mask.R) <= 0) return false;
    TacBmpRows rows(mask.Bmp ? mask.Bmp : master);
    if (!rows.Valid()) return false;
    const bool byAlpha = (mask.DrawMode & 0x10) != 0;
    const int frames = std::max<int>(1, mask.ImageCount);
    const int frameW = WidthOf(mask.R) / frames;
    const int frameH = HeightOf(mask.R) / std::max(1, mask.MaskType + 1);
    for (int f = 0; f < frames; ++f) {
        const int l = mask.R.Left + f * frameW, t = mask.R.Top, r = l + frameW, b = t + frameH;
        if (AreaHasTransparent(rows, TRect(l, t, l + mask.WL, t + mask.WT), byAlpha) ||
            AreaHasTransparent(rows, TRect(r - mask.WR, t, r, t + mask.WT), byAlpha) ||
            AreaHasTransparent(rows, TRect(l, b - mask.WB, l + mask.WL, b), byAlpha) ||
            AreaHasTransparent(rows, TRect(r - mask.WR, b - mask.WB, r, b), byAlpha))
            return true;
    }
    return false;
}

namespace {

// Adds the image of key in section (index sectionIndex) at the variant that suits the skin data
// best; nothing when no variant has a value or its image cannot be read.
void AddImageEntry(TacSkinData& data, const TMemIniFile& ini, int sectionIndex, const UnicodeString& section,
                   const UnicodeString& key)
{
    const int level = std::clamp(data.ScaleValue, 0, 3);
    const int start = level + (aPPIArray[static_cast<size_t>(level)] < data.PPI ? 1 : 0);
    UnicodeString value;
    int found = -1;
    auto tryLevel = [&](int k) {
        value = UpperCase(ini.ReadString(section, key + UnicodeString(aSfxs[static_cast<size_t>(k)]), L""));
        if (!value.empty()) found = k;
    };
    for (int k = start; k <= 3 && found < 0; ++k) tryLevel(k);
    for (int k = std::min(start, 4) - 1; k >= 0 && found < 0; --k) tryLevel(k);
    if (found < 0) return;

    const TacImageValue v = ParseImageValue(ConvertSkinStr(value));
    const size_t before = data.ma.size();
    const int index = data.MakeNewItem(sectionIndex, key, section, acImgTypes[static_cast<size_t>(std::min(v.ImgType, 4))],
                                       v.R, v.ImageCount, v.DrawMode, static_cast<std::int16_t>(v.MaskType));
    TsMaskData& mask = data.ma[static_cast<size_t>(index)];
    mask.DivPPI = aPPIArray[static_cast<size_t>(found)];
    mask.WL = static_cast<std::int16_t>(v.WL);
    mask.WT = static_cast<std::int16_t>(v.WT);
    mask.WR = static_cast<std::int16_t>(v.WR);
    mask.WB = static_cast<std::int16_t>(v.WB);
    const bool keepAlpha = mask.ImgType == itisaTexture || mask.ImgType == itisaGlow;
    if (!data.DefineBmp(mask, v.FileName, v.R, keepAlpha)) {
        data.ma.resize(before);
        return;
    }
    if (mask.ImgType == itisaBorder && HasTransparentCorner(mask, data.FOwner->MasterBitmap.get())) mask.Cfg |= 1;
}

// Walks every key of every section (GLOBALINFO's only when withGlobalInfo) and adds the image
// entries; sectionIndex gives the index passed for the n-th section walked.
template <class IndexOf>
void WalkImages(TacSkinData& data, const TMemIniFile& ini, bool withGlobalInfo, IndexOf sectionIndex)
{
    TStringList sections, keys;
    ini.ReadSections(&sections);
    int walked = 0;
    for (int i = 0; i < sections.Count(); ++i) {
        const UnicodeString section = sections.Strings(i);
        const bool globalInfo = section == GlobalInfo;
        if (globalInfo && !withGlobalInfo) continue;
        const int index = sectionIndex(i, walked++);
        ini.ReadSection(section, &keys);
        for (int k = 0; k < keys.Count(); ++k) {
            const UnicodeString key = keys.Strings(k);
            // The master image is the manager's; suffixed keys are variants of their plain key.
            if ((globalInfo && key == L"MASTERBITMAP") || Pos(L"*", key)) continue;
            const UnicodeString value = UpperCase(ini.ReadString(section, key, L""));
            if (value.empty() || !IsImageEntry(value)) continue;
            AddImageEntry(data, ini, index, section, key);
        }
    }
}

} // namespace

void TacSkinData::LoadAllMasks()
{
    FreeBitmaps();
    if (!FOwner) return;
    if (TMemIniFile* ini = FOwner->SkinFile) {
        FOwner->Palette[pcMainColor] = ini->ReadInteger(GlobalInfo, L"COLOR", ColorToRGB(clBtnFace));
        WalkImages(*this, *ini, true, [](int position, int) { return position; });
    } else if (FOwner->CommonSections() && FOwner->CommonSections()->Count() > 0) {
        TMemIniFile ini(UnicodeString(), nullptr, true);
        ini.SetStrings(*FOwner->CommonSections());
        WalkImages(*this, ini, false, [](int, int walked) { return walked + 1; });
    }
}
