// Scaling in the skin manager: which density a control is painted at, one skin data per density
// in use, scaled numbers and forms, and single masks read from the skin text at the best density.
#include "sSkinManager.h"

#include "Controls.h"
#include "Exceptions.h"
#include "Files.h"
#include "Forms.h"
#include "JPEGImage.h"
#include "Strings.h"
#include "SysUtils.h"
#include "acAlphaImageList.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPng.h"
#include "sMessages.h"
#include "sSkinManagerStartup.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sStyleSimply.h"
#include "sVclUtils.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

// The PPI of a control as it is shown: the screen's for a control with a window, 96 before it
// has one.
int ControlPPI(TControl* control)
{
    if (!control) return acSystemPPI();
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed) windowed = control->Parent();
    return windowed && windowed->HandleAllocated() ? acSystemPPI() : 96;
}

} // namespace

int acSystemPPI() { return Screen ? Screen->PixelsPerInch() : 96; }

// ---------------------------------------------------------------------------------------------
// Scale level and skin data per density

int TsSkinManager::GetScale() const
{
    if (Designing(this)) return 0;
    switch (FOptions->ScaleMode()) {
    case smOldMode:
    case smVCL: return 0;
    case smAuto: return SysFontScale;
    case smCustomPPI: return PPIToIndex(FOptions->PixelsPerInch());
    default: return static_cast<int>(FOptions->ScaleMode());
    }
}

TacSkinData* TsSkinManager::CommonSkinData(int PPI)
{
    const bool vcl = FOptions && FOptions->ScaleMode() == smVCL && !Designing(this);
    const size_t index = vcl ? static_cast<size_t>(PPIToIndex(PPI)) : 0;
    if (!IsActive() && !ManagerState.Contains(msSkinChanging) && !ManagerState.Contains(msBroadCasting)) {
        TacSkinData* data = StdScaleArray[index].get();
        if (data && data->PPI != PPI) {
            data->PPI = PPI;
            data->ScalePercent = MulDiv(100, PPI, 96);
        }
        return data;
    }
    if (Designing(this)) PPI = 96;
    if (SkinDataArray.size() < index + 1) {
        if (SkinDataArray.empty() && PPI != 96 && vcl) CommonSkinData(96);
        SkinDataArray.resize(index + 1);
    }
    const bool changing = ManagerState.Contains(msSkinChanging);
    if (TacSkinData* data = SkinDataArray[index].get()) {
        if (changing && !data->Initializing && SkinDataArray[0] && SkinDataArray[0]->gd.empty()) data->Init();
        return data;
    }
    auto created = std::make_unique<TacSkinData>(this, PPI);
    created->ScaleValue = vcl ? static_cast<int>(index) : PPIToIndex(PPI);
    TacSkinData* data = created.get();
    SkinDataArray[index] = std::move(created);
    const bool firstHasSections = SkinDataArray[0] && !SkinDataArray[0]->gd.empty();
    if (PPI != 96 && firstHasSections) data->Init();
    else if (index == 0 && changing && !firstHasSections) data->Init();
    return data;
}

void TsSkinManager::InitCommonData()
{
    switch (FOptions->ScaleMode()) {
    case smVCL:
        CommonSkinData(96);
        if (acSystemPPI() != 96) CommonSkinData(acSystemPPI());
        break;
    case smCustomPPI: CommonSkinData(FOptions->PixelsPerInch()); break;
    default: CommonSkinData(aPPIArray[static_cast<size_t>(GetScale())]); break;
    }
    IterateImageLists(&SetBaseColor, ColorToRGB(clWindowText));
}

int TsSkinManager::ScaleInt(int Value, int ScaleIndex) const
{
    switch (FOptions->ScaleMode()) {
    case smCustomPPI: return MulDiv(Value, FOptions->PixelsPerInch(), 96);
    case smOldMode: return ScaleInteger(Value, 0);
    default: return ScaleInteger(Value, ScaleIndex == -1 ? GetScale() : ScaleIndex);
    }
}

int TsSkinManager::ScalePPI(int Value, int PPI) const
{
    if (PPI == 0) {
        switch (FOptions->ScaleMode()) {
        case smOldMode: PPI = 96; break;
        case smVCL: PPI = acSystemPPI(); break;
        default: PPI = aPPIArray[static_cast<size_t>(GetScale())]; break;
        }
    }
    return MulDiv(Value, PPI, 96);
}

int CurrentPPI(TsSkinManager* Manager, TControl* Control, bool CheckActive)
{
    if (!Manager) Manager = DefaultManager;
    if (!Manager || (CheckActive && !Manager->IsActive())) return ControlPPI(Control);
    if (Manager->ComponentState().Contains(csDesigning)) return 96;
    switch (Manager->Options()->ScaleMode()) {
    case smVCL: return ControlPPI(Control);
    case smCustomPPI: return Manager->Options()->PixelsPerInch();
    default: return aPPIArray[static_cast<size_t>(Manager->GetScale())];
    }
}

namespace {

int SizeForMode(TsSkinManager* manager, int base, int PPI)
{
    const int sys = manager->SysFontScale;
    switch (manager->Options()->ScaleMode()) {
    case smAuto:
    case smOldMode: return base;
    case smVCL: return MulDiv(base, PPI, acSystemPPI());
    case smCustomPPI: return MulDiv(base, manager->Options()->PixelsPerInch(), aPPIArray[static_cast<size_t>(sys)]);
    default:
        return MulDiv(base, aScalePercents[static_cast<size_t>(manager->GetScale())],
                      aScalePercents[static_cast<size_t>(sys)]);
    }
}

} // namespace

int GetScrollSize(TsSkinManager* Manager, int PPI)
{
    if (!Manager) return GetSystemMetrics(SM_CXVSCROLL);
    const int size = Manager->ScrollsOptions()->ScrollSize();
    if (size >= 0) return MulDiv(size, PPI, 96);
    return SizeForMode(Manager, GetSystemMetrics(SM_CXVSCROLL), PPI);
}

int GetComboBtnSize(TsSkinManager* Manager, int PPI)
{
    if (!Manager) return GetSystemMetrics(SM_CXVSCROLL);
    return SizeForMode(Manager, GetSystemMetrics(SM_CXVSCROLL), PPI);
}

bool IsSysPPIUsed(TsSkinManager* Manager)
{
    if (!Manager || Manager->Options()->ScaleMode() != smVCL) return false;
    const int ppi = acSystemPPI();
    return ppi == 96 || ppi == 120 || ppi == 144 || ppi == 192;
}

void SetPPIAnimated(int PPI)
{
    TsSkinManager* manager = DefaultManager;
    if (!manager) return;
    // Only for the change made here: when none follows, hot tracking must not stay off.
    TacManagerStateScope animating(*manager, msAnimScaling);
    if (PPI != manager->Options()->PixelsPerInch()) {
        const bool vcl = manager->Options()->ScaleMode() == smVCL;
        const LPARAM flag = MAKELPARAM(vcl ? 1 : 0, PPI);
        for (TComponent* component : std::vector<TComponent*>(HookedComponents))
            if (auto* form = dynamic_cast<TCustomForm*>(component); form && form->HandleAllocated())
                SendAMessage(form->Handle(), AC_CHANGESCALE, flag);
        manager->Options()->SetPixelsPerInch(static_cast<TacPixelsPerInch>(PPI));
    }
    manager->Options()->SetScaleMode(smCustomPPI);
}

// ---------------------------------------------------------------------------------------------
// Forms

void TsSkinManager::UpdateScale(TWinControl* Control, int OldPPI, int NewPPI)
{
    if (!Control) return;
    const TacScaleMode mode = FOptions->ScaleMode();
    if (auto* form = dynamic_cast<TCustomForm*>(Control)) {
        if (form->HandleAllocated()) {
            auto* provider = reinterpret_cast<TsSkinProvider*>(SendAMessage(form->Handle(), AC_GETPROVIDER));
            if (provider && provider->FCommonData && provider->FCommonData->FSkinManager &&
                provider->FCommonData->FSkinManager != this)
                return;
        }
        form->SetScaled(mode == smVCL);
    }
    if (mode == smVCL && (NewPPI == 0 || NewPPI == OldPPI)) return;
    StoreDefFont();
    int current = OldPPI;
    LRESULT answer = 0;
    if (NewPPI == 0) {
        answer = Control->HandleAllocated() ? SendAMessage(Control->Handle(), AC_GETPPI) : 0;
        // A control answering -1 is not scaled here (a form whose own scaling is off), in every
        // mode: taken as its PPI it would give negative sizes. No PPI is negative either.
        if (answer < 0) return;
        current = answer == 0 ? 96 : static_cast<int>(answer);
    }
    int target = NewPPI;
    if (target == 0)
        target = mode == smCustomPPI ? static_cast<int>(FOptions->PixelsPerInch())
                                     : aPPIArray[static_cast<size_t>(GetScale())];
    if (target == current || target == 0) return;

    TacManagerStateScope scaling(*this, msFormScaling);
    const int clientWidth = MulDiv(Control->ClientWidth(), target, current);
    const int clientHeight = MulDiv(Control->ClientHeight(), target, current);
    const TRect bounds = Control->BoundsRect();
    struct Animation {
        TacSkinEffects* effects;
        bool old;
        ~Animation() { effects->SetAllowAnimation(old); }
    } animation{FEffects.get(), FEffects->AllowAnimation()};
    FEffects->SetAllowAnimation(false);
    Control->DisableAlign();
    struct Realign {
        TWinControl* control;
        ~Realign() { control->EnableAlign(); }
    } realign{Control};
    Control->ChangeScale(target, current); // bounds, font and children
    Control->SetBounds(bounds.Left, bounds.Top, Control->Width(), Control->Height());
    Control->SetClientWidth(clientWidth);
    Control->SetClientHeight(clientHeight);
    if (Control->HandleAllocated()) SendAMessage(Control->Handle(), AC_SETPPI, target);
    if (target < current) {
        RECT r{bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
        InvalidateRect(nullptr, &r, TRUE);
    }
}

void TsSkinManager::UpdateAllScale()
{
    FSkinableMenus->ResetCache();
    if (!SkinDataArray.empty() && SkinDataArray[0]) IterateImageLists(&ScaleImageList, SkinDataArray[0]->PPI);
    for (TComponent* component : std::vector<TComponent*>(HookedComponents))
        if (auto* form = dynamic_cast<TCustomForm*>(component)) UpdateScale(form, 96, 0);
}

// ---------------------------------------------------------------------------------------------
// Single masks at the best density

namespace {

constexpr std::uint32_t KeyColour = 0x00FF00FF;

void MakeOpaqueExceptKey(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y)) p.A = (static_cast<std::uint32_t>(p.I) & 0x00FFFFFF) == KeyColour ? 0 : 255;
}

// The digit fields of a mask value (1-based position, width), in the order R.Left, R.Top,
// R.Right, R.Bottom, WL, WT, WR, WB, ImageCount, MaskType, ImgType, DrawMode.
constexpr std::array<std::pair<size_t, size_t>, 12> MaskFields{
    {{2, 4}, {6, 4}, {10, 4}, {14, 4}, {18, 4}, {22, 4}, {26, 4}, {30, 4}, {34, 1}, {35, 1}, {36, 1}, {37, 2}}};

// The fields of a mask value; false when the value is too short or a field is no number. The
// skin reader does not check these keys, and they are read while painting: nothing raises.
bool ReadMaskFields(const UnicodeString& s, std::array<int, MaskFields.size()>& values)
{
    for (size_t i = 0; i < MaskFields.size(); ++i) {
        const auto [pos, count] = MaskFields[i];
        if (pos - 1 + count > s.size() || !TryStrToInt(s.substr(pos - 1, count), values[i])) return false;
    }
    return true;
}

// Whether a pixel of the area (left, top, w, h) of bmp, clipped to the bitmap, is transparent:
// of alpha 0 (byAlpha), else of the key colour whatever its alpha.
bool AreaHasTransparent(TBitmap* bmp, int left, int top, int w, int h, bool byAlpha)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return false;
    const int right = std::min(left + w, rows.Width());
    const int bottom = std::min(top + h, rows.Height());
    for (int y = std::max(top, 0); y < bottom; ++y)
        for (int x = std::max(left, 0); x < right; ++x) {
            const TsColor_& p = rows.At(x, y);
            if (byAlpha ? p.A == 0 : (static_cast<std::uint32_t>(p.I) & 0x00FFFFFF) == KeyColour) return true;
        }
    return false;
}

} // namespace

int TsSkinManager::GetScaledMaskData(const UnicodeString& SectionName, const UnicodeString& PropName, int PPI,
                                     TsMaskData& MaskData, std::unique_ptr<TBitmap>& Bmp)
{
    if (!IsActive() || !SkinFile) return -1;
    int level = -1;
    UnicodeString value;
    for (int i = 0; i < 4 && level < 0; ++i)
        if (aPPIArray[static_cast<size_t>(i)] >= PPI) {
            value = SkinFile->ReadString(SectionName, PropName + UnicodeString(aSfxs[static_cast<size_t>(i)]), L"");
            if (!value.empty()) level = i;
        }
    for (int i = 3; i >= 0 && level < 0; --i)
        if (aPPIArray[static_cast<size_t>(i)] <= PPI) {
            value = SkinFile->ReadString(SectionName, PropName + UnicodeString(aSfxs[static_cast<size_t>(i)]), L"");
            if (!value.empty()) level = i;
        }
    if (level < 0) return -1;

    const UnicodeString s = ConvertSkinStr(UpperCase(value));
    std::array<int, MaskFields.size()> f{};
    if (!ReadMaskFields(s, f)) return -1;
    MaskData = TsMaskData();
    MaskData.R = TRect(f[0], f[1], f[2], f[3]);
    MaskData.WL = static_cast<std::int16_t>(f[4]);
    MaskData.WT = static_cast<std::int16_t>(f[5]);
    MaskData.WR = static_cast<std::int16_t>(f[6]);
    MaskData.WB = static_cast<std::int16_t>(f[7]);
    MaskData.ImageCount = static_cast<std::int16_t>(f[8]);
    MaskData.MaskType = static_cast<std::int16_t>(f[9]);
    MaskData.ImgType = acImgTypes[static_cast<size_t>(std::clamp(f[10], 0, 4))];
    MaskData.DrawMode = static_cast<std::int16_t>(f[11]);
    const UnicodeString fileName = s.size() >= 45 ? s.substr(44) : UnicodeString();
    MaskData.ClassName = SectionName;
    MaskData.PropertyName = PropName;
    MaskData.SkinIndex = 0;
    MaskData.Manager = this;
    MaskData.DivPPI = aPPIArray[static_cast<size_t>(level)];
    MaskData.MulPPi = PPI;
    if (MaskData.ImageCount < 1) MaskData.ImageCount = 1;

    Bmp.reset();
    if (!fileName.empty()) {
        std::unique_ptr<TBitmap> image = std::make_unique<TBitmap>();
        TMemoryStream* stream = nullptr;
        UnicodeString path;
        if (SkinIsPacked) {
            if (!sc) return -1;
            for (TacFileItem& item : sc->Files)
                if (UpperCase(item.Name) == fileName) stream = item.Stream.get();
            if (!stream) return -1;
            stream->SetPosition(0);
        } else {
            path = Pos(L":", fileName) ? fileName : SkinCommonInfo.SkinPath + fileName;
            if (!FileExists(path)) return -1;
        }
        try {
            if (Pos(L".PNG", fileName)) {
                if (stream) LoadBmpFromPngStream(image.get(), *stream);
                else LoadBmpFromPngFile(image.get(), path);
                if (image->PixelFormat() != pf32bit) {
                    image->SetPixelFormat(pf32bit);
                    MakeOpaqueExceptKey(image.get());
                }
                if (FBrightness <= 0 && MaskData.ImgType != itisaBorder) UpdateAlpha(image.get());
            } else if (Pos(L".JPG", fileName) || Pos(L".JPEG", fileName)) {
                TJPEGImage jpeg;
                if (stream) jpeg.LoadFromStream(*stream);
                else jpeg.LoadFromFile(path);
                image = CreateBmp32(jpeg.Width(), jpeg.Height());
                image->Canvas()->Draw(0, 0, &jpeg);
                MakeOpaqueExceptKey(image.get());
            } else if (Pos(L".BMP", fileName)) {
                if (stream) image->LoadFromStream(*stream);
                else image->LoadFromFile(path);
                image->SetPixelFormat(pf32bit);
                MakeOpaqueExceptKey(image.get());
            } else {
                return -1;
            }
        } catch (const Exception&) {
            return -1; // an unreadable image is no image
        }
        if (image->Width() <= 0 || image->Height() <= 0) return -1;
        Bmp = std::move(image);
        MaskData.Bmp = Bmp.get();
        MaskData.R = TRect(0, 0, Bmp->Width(), Bmp->Height());
        MaskData.Width = Bmp->Width();
        MaskData.Height = Bmp->Height();
        if (MaskData.MulPPi != MaskData.DivPPI) ScaleMaskData(MaskData, nullptr, false, Bmp);
    } else {
        if (!MasterBitmap) return -1;
        if (MaskData.MulPPi == MaskData.DivPPI || (MaskData.DrawMode & 8) != 0) {
            Bmp = CreateBmp32(MaskData.R.Width(), MaskData.R.Height());
            BitBlt(Bmp->Canvas()->Handle(), 0, 0, MaskData.R.Width(), MaskData.R.Height(),
                   MasterBitmap->Canvas()->Handle(), MaskData.R.Left, MaskData.R.Top, SRCCOPY);
            MaskData.Bmp = Bmp.get();
            MaskData.R = TRect(0, 0, Bmp->Width(), Bmp->Height());
            MaskData.Height = Bmp->Height() / (MaskData.MaskType + 1 > 0 ? MaskData.MaskType + 1 : 1);
            MaskData.Width = Bmp->Width() / MaskData.ImageCount;
        } else {
            const bool smooth = MaskData.ImgType == itisaTexture || MaskData.ImgType == itisaGlow;
            ScaleMaskData(MaskData, MasterBitmap.get(), smooth, Bmp);
        }
    }

    if (MaskData.ImgType == itisaBorder && MaskData.R.Height() >= 1) {
        TBitmap* source = MaskData.Bmp ? MaskData.Bmp : MasterBitmap.get();
        const bool byAlpha = (MaskData.DrawMode & 16) != 0;
        const int frameW = MaskData.R.Width() / MaskData.ImageCount;
        const int frameH = MaskData.R.Height() / (MaskData.MaskType + 1 > 0 ? MaskData.MaskType + 1 : 1);
        for (int f = 0; f < MaskData.ImageCount; ++f) {
            const int left = MaskData.R.Left + f * frameW;
            const int top = MaskData.R.Top;
            if (AreaHasTransparent(source, left, top, MaskData.WL, MaskData.WT, byAlpha) ||
                AreaHasTransparent(source, left + frameW - MaskData.WR, top, MaskData.WR, MaskData.WT, byAlpha) ||
                AreaHasTransparent(source, left, top + frameH - MaskData.WB, MaskData.WL, MaskData.WB, byAlpha) ||
                AreaHasTransparent(source, left + frameW - MaskData.WR, top + frameH - MaskData.WB, MaskData.WR,
                                   MaskData.WB, byAlpha)) {
                MaskData.Cfg |= 1;
                break;
            }
        }
    }
    return PPI;
}
