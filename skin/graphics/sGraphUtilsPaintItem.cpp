// Skin items: a section's background with its corner images and border image, into a bitmap or
// through a work bitmap onto a device context; a control's own section with its colour changes;
// and whole bitmaps of windows that are not controls of the library.
#include "sGraphUtilsPaintItem.h"

#include "sCommonData.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsPaintItemParts.h"
#include "sVclUtils.h"

#include <algorithm>
#include <memory>

using namespace paintitem_detail;

namespace {

// The four corner images of the section in State, at the corners of R.
void DrawCorners(TBitmap* bmp, const TRect& r, const TsGeneralData& s, const TacSkinData& data, int state)
{
    const TCacheInfo own = MakeCacheInfo(bmp, 0, 0);
    if (const TsMaskData* img = CornerImage(data, s.ImgTL)) DrawSkinGlyph(bmp, TPoint(r.Left, r.Top), state, 1, *img, own);
    if (const TsMaskData* img = CornerImage(data, s.ImgTR))
        DrawSkinGlyph(bmp, TPoint(r.Right - img->Width, r.Top), state, 1, *img, own);
    if (const TsMaskData* img = CornerImage(data, s.ImgBL))
        DrawSkinGlyph(bmp, TPoint(r.Left, r.Bottom - img->Height), state, 1, *img, own);
    if (const TsMaskData* img = CornerImage(data, s.ImgBR))
        DrawSkinGlyph(bmp, TPoint(r.Right - img->Width, r.Bottom - img->Height), state, 1, *img, own);
}

// Background, corners, then the border: the section's own border image or, when given, border.
void PaintItemWith(int skinIndex, const TCacheInfo& ci, int state, const TRect& r, const TPoint& pP,
                   TBitmap* itemBmp, TacObject* skinData, const TsMaskData* border)
{
    TacSkinData* data = nullptr;
    const TsGeneralData* section = SectionOf(skinData, skinIndex, &data);
    if (!section || !itemBmp || r.IsEmpty() || !InsideBitmap(r, itemBmp)) return;
    Make32(itemBmp);
    if (state >= section->States) state = section->States - 1;
    state = std::max(state, 0);
    PaintItemBG(skinIndex, ci, state, r, pP, itemBmp, data, -1, -1, sFuchsia);
    DrawCorners(itemBmp, r, *section, *data, state);
    if (const TsMaskData* own = ImageOf(*data, section->BorderIndex))
        DrawSkinRect(itemBmp, r, Shifted(ci, pP), border ? *border : *own, state, true);
}

// A border image that is drawn in this state: not in state 0 when its DrawMode has bit 1.
const TsMaskData* DrawnBorder(const TacSkinData& data, const TsGeneralData& section, int state)
{
    const TsMaskData* border = ImageOf(data, section.BorderIndex);
    return border && !(state == 0 && (border->DrawMode & 2) != 0) ? border : nullptr;
}

// Tone, then hue, then saturation of the control over the whole bitmap; key pixels stay.
void ChangeColours(TsCommonData* skinData, TBitmap* bmp)
{
    if (skinData->FColorTone != clNone)
        ChangeBitmapPixels(bmp, ChangeColorTone, static_cast<int>(acColorToRGB(skinData->FColorTone,
                                                                               skinData->GetSkinManager())),
                           sFuchsia);
    if (skinData->FHUEOffset != 0) ChangeBitmapPixels(bmp, ChangeColorHUE, skinData->FHUEOffset, sFuchsia);
    if (skinData->FSaturation != 0) ChangeBitmapPixels(bmp, ChangeColorSaturation, skinData->FSaturation, sFuchsia);
}

// The control's skin data and section when its manager, section and R inside the bitmap allow
// painting.
const TsGeneralData* ControlSection(TsCommonData* skinData, TBitmap* itemBmp, const TRect& r, TacSkinData*& data)
{
    if (!skinData || !itemBmp || !skinData->GetSkinManager()) return nullptr;
    const TsGeneralData* section = SectionOf(skinData->GetCommonSkinData(), skinData->SkinIndex, &data);
    if (!section || !RectInRect(TRect(0, 0, itemBmp->Width(), itemBmp->Height()), r)) return nullptr;
    return section;
}

void PaintSectionAt(TBitmap* bmp, int index, int state, TacObject* skinData, const TPoint& pP, TColor bgColor,
                    HDC parentDC)
{
    if (!bmp) return;
    Make32(bmp);
    TCacheInfo ci;
    ci.FillColor = bgColor;
    ci.Ready = parentDC != nullptr;
    if (parentDC) {
        BitBlt(bmp->Canvas()->Handle(), 0, 0, bmp->Width(), bmp->Height(), parentDC, pP.X, pP.Y, SRCCOPY);
        GdiFlush();
        ci.Bmp = bmp;
    }
    PaintItem(index, ci, true, state, TRect(0, 0, bmp->Width(), bmp->Height()), TPoint(0, 0), bmp, skinData, -1, -1);
}

} // namespace

void PaintItemFast(int SkinIndex, int BorderIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI, bool,
                   int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp, TacObject* SkinData)
{
    TacSkinData* data = nullptr;
    const TsGeneralData* section = SectionOf(SkinData, SkinIndex, &data);
    if (!section || !ItemBmp || !InsideBitmap(R, ItemBmp)) return;
    if (State >= section->States) State = section->States - 1;
    PaintItemBGFast(SkinIndex, TextureIndex, HotTextureIndex, CI, State, R, pP, ItemBmp, data);
    if (const TsMaskData* border = ImageOf(*data, BorderIndex))
        DrawSkinRect(ItemBmp, R, Shifted(CI, pP), *border, std::max(State, 0), true);
}

void PaintItemFast(int SkinIndex, int BorderIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI,
                   bool Filling, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp,
                   TComponent* SkinManager)
{
    if (TacObject* data = ManagerSkinData(SkinManager))
        PaintItemFast(SkinIndex, BorderIndex, TextureIndex, HotTextureIndex, CI, Filling, State, R, pP, ItemBmp, data);
}

void PaintItem(int SkinIndex, const TCacheInfo& CI, bool, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, TacObject* SkinData, int, int)
{
    PaintItemWith(SkinIndex, CI, State, R, pP, ItemBmp, SkinData, nullptr);
}

void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, TComponent* SkinManager, int, int)
{
    if (TacObject* data = ManagerSkinData(SkinManager))
        PaintItem(SkinIndex, CI, Filling, State, R, pP, ItemBmp, data, -1, -1);
}

void PaintItem(int SkinIndex, const TCacheInfo& CI, bool, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, TacObject* SkinData, const TsMaskData& MaskData)
{
    PaintItemWith(SkinIndex, CI, State, R, pP, ItemBmp, SkinData, &MaskData);
}

void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               HDC DC, TacObject* SkinData)
{
    if (!DC || !SectionOf(SkinData, SkinIndex) || R.Left < 0 || R.Top < 0 || R.Right <= R.Left ||
        R.Bottom <= R.Top)
        return;
    const int w = WidthOf(R), h = HeightOf(R);
    const int saved = SaveDC(DC);
    auto work = CreateBmp32(w, h);
    PaintItem(SkinIndex, CI, Filling, State, TRect(0, 0, w, h), pP, work.get(), SkinData, -1, -1);
    BitBlt(DC, R.Left, R.Top, w, h, work->Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(DC, saved);
}

void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               HDC DC, TComponent* SkinManager)
{
    if (TacObject* data = ManagerSkinData(SkinManager)) PaintItem(SkinIndex, CI, Filling, State, R, pP, DC, data);
}

void PaintItem(TsCommonData* SkinData, const TCacheInfo& CI, bool, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, bool UpdateCorners, int i1, int i2)
{
    TacSkinData* data = nullptr;
    const TsGeneralData* section = ControlSection(SkinData, ItemBmp, R, data);
    if (!section) return;
    Make32(ItemBmp);
    if (State >= section->States) State = section->States - 1;
    State = std::max(State, 0);
    PaintItemBG(SkinData, CI, State, R, pP, ItemBmp, i1, i2);
    DrawCorners(ItemBmp, R, *section, *data, State);
    bool recolour = false;
    if (const TsMaskData* border = DrawnBorder(*data, *section, State)) {
        DrawSkinRect(ItemBmp, R, Shifted(CI, pP), *border, State, UpdateCorners);
        recolour = true;
    } else {
        recolour = section->Props[static_cast<size_t>(std::min(State, 2))].Transparency == 0;
    }
    if (recolour) ChangeColours(SkinData, ItemBmp);
}

bool PaintSkinControl(TsCommonData* SkinData, TControl* Parent, bool, int State, const TRect& R, const TPoint& pP,
                      TBitmap* ItemBmp, bool UpdateCorners, int, int)
{
    TacSkinData* data = nullptr;
    const TsGeneralData* section = ControlSection(SkinData, ItemBmp, R, data);
    if (!section) return true;
    Make32(ItemBmp);
    if (State >= section->States) State = section->States - 1;
    State = std::max(State, 0);
    TacBGInfo bg;
    GetBGInfo(bg, Parent, false);
    if (bg.BgType == btNotReady) return false;
    const TCacheInfo ci = BGInfoToCI(bg);
    PaintItemBG(SkinData, ci, State, R, pP, ItemBmp);
    if (const TsMaskData* border = DrawnBorder(*data, *section, State))
        DrawSkinRect(ItemBmp, R, Shifted(ci, pP), *border, State, UpdateCorners);
    DrawCorners(ItemBmp, R, *section, *data, State);
    return true;
}

int PaintSection(TBitmap* Bmp, const UnicodeString& Section, const UnicodeString& SecondSection, int State,
                 TacObject* SkinData, const TPoint& pP, TColor BGColor, HDC ParentDC)
{
    auto* data = dynamic_cast<TacSkinData*>(SkinData);
    TsSkinManager* manager = data ? data->FOwner : nullptr;
    if (!manager) return -1;
    int index = manager->GetSkinIndex(Section, data);
    if (!manager->IsValidSkinIndex(index)) index = manager->GetSkinIndex(SecondSection, data);
    if (!manager->IsValidSkinIndex(index)) return index;
    PaintSectionAt(Bmp, index, State, SkinData, pP, BGColor, ParentDC);
    return index;
}

int PaintSection(TBitmap* Bmp, int SkinIndex, int SecondIndex, int State, TacObject* SkinData, const TPoint& pP,
                 TColor BGColor, HDC ParentDC)
{
    const int index = SkinIndex >= 0 ? SkinIndex : SecondIndex;
    if (index >= 0) PaintSectionAt(Bmp, index, State, SkinData, pP, BGColor, ParentDC);
    return index;
}
