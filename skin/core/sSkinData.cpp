// The skin data of one pixel density: its life, its built-in metrics, its masks and sections,
// and the list of bitmaps made for the density.
#include "sSkinManager.h"

#include "SysUtils.h"
#include "acntUtils.h"

#include <algorithm>

TacSkinData::TacSkinData(TsSkinManager* AOwner, int aPPI)
    : FOwner(AOwner), ScaleValue(PPIToIndex(aPPI)), ScalePercent(MulDiv(aPPI, 100, 96)), PPI(aPPI)
{
}

TacSkinData::~TacSkinData() { Reset(); }

bool TacSkinData::Active() const { return FOwner && FOwner->IsActive(); }

int TacSkinData::BrightMin() const { return FOwner ? FOwner->SkinCommonInfo.BrightMin : 0; }

int TacSkinData::BrightMax() const { return FOwner ? FOwner->SkinCommonInfo.BrightMax : 0; }

void TacSkinData::Reset()
{
    FreeBitmaps();
    gd.clear();
    ma.clear();
    oe.clear();
    rsta.reset();
    rsti.reset();
    ShdaTemplate.reset();
    ShdiTemplate.reset();
}

void TacSkinData::Init()
{
    // A skin that fails to load raises out of the reload; the flag must not stay set.
    struct Flag {
        bool& value;
        explicit Flag(bool& v) : value(v) { value = true; }
        ~Flag() { value = false; }
    } initializing(Initializing);
    if (FOwner) FOwner->ReloadSkin(PPI);
}

void TacSkinData::LoadParams()
{
    Spacing = ScalePPI(4, PPI);
    LineWidth = ScalePPI(acLineWidth, PPI);
    ArrowSize = ScalePPI(5, PPI);
    SmallArrowSize = ScalePPI(4, PPI);
    ScrollBtnLength = ScalePPI(acScrollBtnLength, PPI);
}

int TacSkinData::ScaleIntValue(int value) const { return MulDiv(value, PPI, 96); }

int TacSkinData::MakeNewItem(int SkinIndex, const UnicodeString& PropertyName, const UnicodeString& ClassName,
                             TacImgType ImgType, const TRect& R, int ImageCount, int DrawMode, std::int16_t MaskType)
{
    TsMaskData& mask = ma.emplace_back();
    mask.PropertyName = PropertyName;
    mask.ClassName = ClassName;
    mask.SkinIndex = SkinIndex;
    mask.DrawMode = static_cast<std::int16_t>(DrawMode);
    mask.MaskType = MaskType;
    mask.ImgType = ImgType;
    mask.ImageCount = static_cast<std::int16_t>(ImageCount);
    mask.Manager = FOwner;
    mask.R = R;
    mask.DivPPI = 96;
    mask.MulPPi = PPI;
    return static_cast<int>(ma.size()) - 1;
}

int TacSkinData::AddNewSection(const UnicodeString& Name, int ParentIndex, int States, int Transparency,
                               TColor Color, TColor FontColor)
{
    // A parent index outside the array counts as none.
    TsGeneralData section;
    if (IsValidIndex(ParentIndex, static_cast<int>(gd.size()))) {
        section = gd[static_cast<size_t>(ParentIndex)]; // each state copies its own gradient
    } else {
        section.States = States;
        for (TsGenState& state : section.Props) {
            state.Transparency = Transparency;
            state.Color = Color;
            state.FontColor.Color = FontColor;
            state.FontColor.Left = state.FontColor.Top = state.FontColor.Right = state.FontColor.Bottom = -1;
        }
    }
    section.ClassName = Name;
    section.ParentClass.clear();
    gd.push_back(std::move(section));
    return static_cast<int>(gd.size()) - 1;
}

void TacSkinData::AddImage(std::unique_ptr<TBitmap> Bmp, const UnicodeString& FileName, const UnicodeString& Path,
                           const TRect& R, const TRect& SrcRect, int DivPPI, int MaskType, bool Ext)
{
    TacBmpData& entry = BmpArray.emplace_back();
    entry.R = R.IsEmpty() && Bmp ? TRect(0, 0, Bmp->Width(), Bmp->Height()) : R;
    entry.Bmp = std::move(Bmp);
    entry.FileName = FileName;
    entry.Path = Path;
    entry.SrcRect = SrcRect;
    entry.Ext = Ext;
    entry.MulPPI = PPI;
    entry.DivPPI = DivPPI;
    entry.MaskType = MaskType;
}

int TacSkinData::SearchBmpIndex(const UnicodeString& FileName, const TRect& R) const
{
    for (size_t i = 0; i < BmpArray.size(); ++i) {
        const TacBmpData& entry = BmpArray[i];
        if (entry.FileName == FileName && (!FileName.empty() || entry.SrcRect == R)) return static_cast<int>(i);
    }
    return -1;
}

void TacSkinData::UpdateItem(TsMaskData& Mask, int Index)
{
    if (!IsValidIndex(Index, static_cast<int>(BmpArray.size()))) return;
    const TacBmpData& entry = BmpArray[static_cast<size_t>(Index)];
    if (entry.Bmp) {
        Mask.Bmp = entry.Bmp.get();
        Mask.R = TRect(0, 0, entry.Bmp->Width(), entry.Bmp->Height());
        Mask.Width = entry.Bmp->Width();
        Mask.Height = entry.Bmp->Height();
    } else {
        Mask.Width = WidthOf(Mask.R);
        Mask.Height = HeightOf(Mask.R);
    }
    Mask.MulPPi = entry.MulPPI;
    Mask.DivPPI = entry.DivPPI;
    const int m = Mask.MulPPi, d = Mask.DivPPI;
    // A mask without frames or without height (not yet completed) is taken as one frame of one
    // half instead of dividing by zero.
    const int frames = std::max<int>(1, Mask.ImageCount);
    const int halves = std::max<int>(1, Mask.MaskType + 1);
    Mask.WL = static_cast<std::int16_t>(MulDiv(Mask.WL, m, d));
    Mask.WT = static_cast<std::int16_t>(MulDiv(Mask.WT, m, d));
    Mask.WR = static_cast<std::int16_t>(std::min(MulDiv(Mask.WR, m, d), Mask.Width / frames - 1 - Mask.WL));
    Mask.WB = static_cast<std::int16_t>(std::min(MulDiv(Mask.WB, m, d), Mask.Height / halves - 1 - Mask.WT));
}

void TacSkinData::FreeBitmaps() { ClearBmpArray(); }

void TacSkinData::ClearBmpArray()
{
    for (TacBmpData& entry : BmpArray) {
        if (!entry.Bmp) continue;
        // Masks left behind must not point at a freed bitmap.
        for (TsMaskData& mask : ma)
            if (mask.Bmp == entry.Bmp.get()) mask.Bmp = nullptr;
        if (entry.CanvasLocked) entry.Bmp->Canvas()->Unlock();
        entry.Bmp.reset();
    }
    BmpArray.clear();
}
