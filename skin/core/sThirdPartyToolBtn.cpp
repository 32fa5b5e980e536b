// CopyToolBtnGlyph: a tool button's image placed as the tool bar lays it out, in skin colours.
#include "sThirdParty.h"

#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"

void CopyToolBtnGlyph(TToolBar* toolBar, TToolButton* button, TCustomDrawState state, TCustomDrawStage,
                      TBitmap* bmp)
{
    if (!toolBar || !button || !bmp) return;
    const int stateIndex = state.Contains(cdsSelected) || state.Contains(cdsChecked) ? 2
                           : state.Contains(cdsHot)                                  ? 1
                                                                                     : 0;
    // Skinned tool bars of other kinds answer with their skin data.
    TsCommonData* commonData = nullptr;
    if (toolBar->HandleAllocated())
        commonData = reinterpret_cast<TsCommonData*>(
            ::SendMessageW(toolBar->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_GETCOMMONDATA), 0));
    const int skinIndex = commonData ? commonData->SkinIndex : -1;
    TacSkinData* skinData = commonData ? commonData->GetCommonSkinData() : nullptr;
    const int ppi = commonData ? GetPPI(commonData) : 96;

    const bool enabled = button->Enabled() && !state.Contains(cdsDisabled);
    TCustomImageList* images = toolBar->Images();
    if (!enabled && toolBar->DisabledImages()) images = toolBar->DisabledImages();
    else if (stateIndex == 1 && toolBar->HotImages()) images = toolBar->HotImages();

    const int w = GetImageWidth(images, button->ImageIndex(), ppi);
    const int h = GetImageHeight(images, button->ImageIndex(), ppi);
    const int bw = button->Width(), bh = button->Height();
    TRect r;
    if (toolBar->List()) {
        r.Left = 5;
        r.Top = (bh - h) / 2;
    } else {
        r.Left = (bw - w) / 2 + 1 - (button->Style() == tbsDropDown ? 8 : 0);
        const int captionHeight = toolBar->ShowCaptions() ? bmp->Canvas()->TextHeight(L"Yy") + 3 : 0;
        r.Top = (bh - h - captionHeight) / 2;
    }
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;

    TsSkinManager* manager = commonData ? commonData->SkinManager() : DefaultManager;
    if (skinIndex >= 0) bmp->Canvas()->Font()->SetColor(GetFontColor(toolBar, skinIndex, manager, stateIndex));
    if (stateIndex == 2 && skinIndex >= 0 && CanClickShift(skinIndex, skinData)) r.Offset(1, 1);

    TacDrawGlyphData d;
    d.Images = images;
    d.ImageIndex = button->ImageIndex();
    d.CurrentState = stateIndex;
    d.Enabled = enabled;
    d.DstBmp = bmp;
    d.Canvas = bmp->Canvas();
    d.ImgRect = r;
    d.PPI = ppi;
    d.SkinIndex = skinIndex;
    d.CommonSkinData = skinData;
    // A disabled image of the tool bar's own needs no more greying.
    if (!enabled && images != toolBar->DisabledImages()) d.DisabledGlyphKind = TsDisabledGlyphKind{dgBlended, dgGrayed};
    acDrawGlyphEx(d);
}
