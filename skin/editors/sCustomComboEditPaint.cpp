// The combo edit's cache with its button, and the copies of the cache to the window.
#include "sCustomComboEdit.h"
#include "acWindowDC.h"

#include "Themes.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsShapes.h"
#include "sGraphUtilsTemplate.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

// Theme parts and states of the drop-down button and of a tool button (vsstyle.h).
constexpr int kComboDropDown = 1, kComboDropDownRight = 6, kToolButton = 1;

bool ValidSection(TacSkinData* skin, int index) { return skin && index >= 0 && static_cast<size_t>(index) < skin->gd.size(); }

TColor SectionFontColor(TacSkinData* skin, int index, int state)
{
    if (!ValidSection(skin, index)) return clNone;
    return skin->gd[static_cast<size_t>(index)].Props[static_cast<size_t>(std::clamp(state, 0, 1))].FontColor.Color;
}

} // namespace

bool TsCustomComboEdit::PrepareCache()
{
    if (!TacCustomMaskEdit::PrepareCache()) return false;
    if (FShowButton) PaintBtn();
    return true;
}

void TsCustomComboEdit::PaintBtn()
{
    TsCtrlSkinData* sd = SkinData();
    TBitmap* cache = sd->FCacheBmp.get();
    if (!cache) return;
    const TRect r = BtnRect();
    const int state = std::min(GetBtnState(), 2);
    const int ppi = GetPPI(sd);
    TsSkinManager* manager = sd->GetSkinManager();
    TacSkinData* skin = sd->Skinned() ? sd->GetCommonSkinData() : nullptr;
    const TPoint pos(Left(), Top());
    if (ComboBtn()) {
        if (skin && manager) {
            const int btn = skin->ComboBtn.SkinIndex;
            if (!FButtonMode && ValidSection(skin, btn))
                PaintItem(btn, MakeCacheInfo(cache), true, state, r, pos, cache, manager);
            const int glyph = skin->ComboBtn.GlyphIndex;
            if (glyph >= 0 && static_cast<size_t>(glyph) < skin->ma.size()) {
                const TsMaskData& m = skin->ma[static_cast<size_t>(glyph)];
                const int w = m.Width, h = m.Height;
                DrawSkinGlyph(cache, TPoint(r.Left + (r.Width() - w) / 2, (Height() - h) / 2), state, 1, m,
                              MakeCacheInfo(cache));
                return;
            }
            TColor color = ValidSection(skin, btn) ? SectionFontColor(skin, btn, state)
                                                   : SectionFontColor(skin, sd->SkinIndex, state);
            if (color == clNone) color = Font()->Color();
            DrawArrow(cache, color, clNone, r, asBottom, 0, 0, 0, manager->Options()->ActualArrowStyle(), ppi);
            return;
        }
        // Unskinned: the themed drop-down button, else a face in Color with an arrow in the font colour.
        HDC dc = cache->Canvas()->Handle();
        bool themed = false;
        if (StyleServices().Enabled()) {
            const TThemedElementDetails d = FButtonMode ? TThemedElementDetails{L"COMBOBOX", kComboDropDownRight, 1}
                                                        : TThemedElementDetails{L"COMBOBOX", kComboDropDown, state + 1};
            themed = StyleServices().DrawElement(dc, d, r);
        }
        if (!themed) {
            FillDC(dc, r, ColorToRGB(Color()));
            DrawArrow(cache, Font()->Color(), clNone, r, asBottom, 0, 0, 0, arsSolid1, ppi);
        }
        return;
    }
    // Glyph button: a hot or pressed face under the glyph.
    TColor faceFont = clNone;
    if (state >= 1 && !ac_OldGlyphsMode && !FButtonMode) {
        if (skin && manager) {
            const int face = GlyphBtnSection();
            if (face >= 0) {
                PaintItem(face, MakeCacheInfo(cache), true, state, r, pos, cache, manager);
                faceFont = SectionFontColor(skin, face, state);
                if (faceFont != clNone) cache->Canvas()->Font()->SetColor(faceFont);
            }
        } else if (StyleServices().Enabled()) {
            StyleServices().DrawElement(cache->Canvas()->Handle(), TThemedElementDetails{L"TOOLBAR", kToolButton, state + 1},
                                        OffsRect(r, 0, 1));
        }
    }
    TacDrawGlyphData d;
    TCustomImageList* own = FGlyphMode->Images();
    const bool ownImage = own && IsValidIndex(FGlyphMode->ImageIndex(), GetImageCount(own));
    if (ownImage) {
        d.Images = own;
        d.NumGlyphs = 1;
        const int count = GetImageCount(own);
        int index = state == 1 ? FGlyphMode->ImageIndexHot() : state == 2 ? FGlyphMode->ImageIndexPressed() : -1;
        d.ImageIndex = IsValidIndex(index, count) ? index : FGlyphMode->ImageIndex();
    } else {
        d.Images = acResImgList();
        d.ImageIndex = FDefBmpID;
        const int h = d.Images ? d.Images->Height() : 0;
        d.NumGlyphs = h > 0 ? std::max(1, d.Images->Width() / h) : 1;
    }
    if (!d.Images) return;
    const int w = GetImageWidth(d.Images, d.ImageIndex, ppi) / std::max(1, d.NumGlyphs);
    const int h = GetImageHeight(d.Images, d.ImageIndex, ppi);
    d.ImgRect = MkRectWH(w, h, r.Left + (r.Width() - w) / 2 + 1, r.Top + (r.Height() - h) / 2);
    d.DstBmp = cache;
    d.Canvas = cache->Canvas();
    d.CurrentState = state;
    d.Enabled = Enabled();
    d.PPI = ppi;
    d.CommonSkinData = skin;
    d.SkinIndex = sd->SkinIndex;
    const int blend = FGlyphMode->Blend();
    d.Blend = GlyphEnabled() ? blend : blend + (100 - blend) / 2;
    if (skin) {
        d.Grayed = state == 0 && FGlyphMode->Grayed();
        d.BGColor = GetBGColor(sd, state);
    } else {
        d.Grayed = FGlyphMode->Grayed();
        d.BGColor = Color();
    }
    const TColor tone = FGlyphMode->ColorTone();
    if (tone != clNone) {
        auto* virtualList = dynamic_cast<TsVirtualImageList*>(d.Images);
        const bool charList = dynamic_cast<TsCharImageList*>(d.Images) ||
                              (virtualList && dynamic_cast<TsCharImageList*>(virtualList->AlphaImageList()));
        if (charList) {
            // Character glyphs take their colour from the canvas font.
            TFont* font = cache->Canvas()->Font();
            const TColor saved = font->Color();
            d.Grayed = false;
            font->SetColor(tone);
            acDrawGlyphEx(d);
            font->SetColor(saved);
            return;
        }
        d.Grayed = true;
        d.BGColor = tone;
    }
    acDrawGlyphEx(d);
}

void TsCustomComboEdit::PaintText()
{
    TacCustomMaskEdit::PaintText();
    TsCtrlSkinData* sd = SkinData();
    TBitmap* cache = sd->FCacheBmp.get();
    if (!cache || !FButtonMode || !FShowFocus || !Focused() || !CanShowFocus(sd)) return;
    TRect r = TextRect();
    r = TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    cache->Canvas()->Font()->SetColor(Font()->Color());
    acDrawFocusRect(cache->Canvas(), r);
}

void TsCustomComboEdit::OurPaintHandler(HDC dc)
{
    TsCtrlSkinData* sd = SkinData();
    HWND wnd = Handle();
    PAINTSTRUCT ps{};
    const bool bracket = !InAnimationProcess;
    if (bracket) BeginPaint(wnd, &ps);
    {
        TacWindowDC target(wnd, dc);
        if (!sd->Skinned()) {
            PrepareCache();
            if (TBitmap* cache = sd->FCacheBmp.get())
                BitBlt(target.Get(), 3, 3, Width() - 6, Height() - 6, cache->Canvas()->Handle(), 3, 3, SRCCOPY);
        } else if (!InUpdating(sd) && !(InAnimationProcess && sd->PrintDC && sd->PrintDC != dc)) {
            const bool animating = ThreadedTimerIsLive(sd->AnimTimer) && sd->AnimTimer->Enabled();
            if (!animating) {
                if (sd->HalfVisible || (Parent() && GetBoolMsg(Parent(), AC_GETOUTOFVIEW))) sd->BGChanged = true;
                if (TWinControl* parent = Parent()) {
                    const TRect pc = parent->ClientRect();
                    const TRect b = BoundsRect();
                    sd->HalfVisible =
                        b.Left < pc.Left || b.Top < pc.Top || b.Right > pc.Right || b.Bottom > pc.Bottom;
                }
                if (sd->BGChanged && !PrepareCache()) sd->FUpdating = true;
            }
            if (TBitmap* cache = sd->FCacheBmp.get(); cache && !sd->FUpdating) {
                UpdateCorners(sd, CurrentState(), AllCorners);
                BitBlt(target.Get(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
            }
        }
    }
    if (bracket) EndPaint(wnd, &ps);
}

void TsCustomComboEdit::PaintBorder(HDC dc)
{
    TsCtrlSkinData* sd = SkinData();
    if (!Visible() || !Parent() || !Parent()->Visible() || InUpdating(sd) || FButtonMode || !HandleAllocated()) return;
    if (ThreadedTimerIsLive(sd->AnimTimer) && sd->AnimTimer->Enabled()) return;
    TacWindowDC target(Handle(), dc);
    if (sd->BGChanged && !PrepareCache()) return;
    TBitmap* cache = sd->FCacheBmp.get();
    if (!cache) return;
    UpdateCorners(sd, CurrentState(), AllCorners);
    HDC src = cache->Canvas()->Handle();
    const int w = cache->Width(), h = cache->Height(), b = BordWidth();
    const TRect& p = AddedPadding();
    BitBltBorder(target.Get(), 0, 0, w, h, src, 0, 0, b + p.Left, b + p.Top, b + p.Right, b + p.Bottom);
    if (FShowButton) {
        const int half = D.Spacing() / 2;
        if (UseRightToLeftReading()) {
            const int x = BtnOffset();
            BitBlt(target.Get(), x, 0, GlyphSpace(true), h, src, x, 0, SRCCOPY);
        } else {
            const int x = BtnRect().Left - half;
            BitBlt(target.Get(), x, 0, GlyphSpace(true) + half, h, src, x, 0, SRCCOPY);
        }
    }
    if (D.AddedGlyphVisible()) {
        const int half = D.Spacing() / 2;
        if (UseRightToLeftReading())
            BitBlt(target.Get(), b, 0, D.AddedGlyphSpace(), h, src, b, 0, SRCCOPY);
        else {
            const int x = AddedGlyphRect().Left - half;
            BitBlt(target.Get(), x, 0, D.AddedGlyphSpace() + half, h, src, x, 0, SRCCOPY);
        }
    }
}

void TsCustomComboEdit::PaintBtnStd()
{
    if (ComponentState().Contains(csDestroying) || !HandleAllocated()) return;
    PrepareCache();
    TBitmap* cache = SkinData()->FCacheBmp.get();
    if (!cache) return;
    TacWindowDC target(Handle(), nullptr);
    const int b = EditBorderWidth(this);
    ExcludeClipRect(target.Get(), 0, 0, Width(), b);
    ExcludeClipRect(target.Get(), 0, Height() - b, Width(), Height());
    ExcludeClipRect(target.Get(), 0, 0, b, Height());
    ExcludeClipRect(target.Get(), Width() - b, 0, Width(), Height());
    const TRect r = BtnRect();
    BitBlt(target.Get(), r.Left - b, r.Top, r.Width() + 2 * b, r.Height(), cache->Canvas()->Handle(), r.Left - b, r.Top,
           SRCCOPY);
}

void TsCustomComboEdit::CacheToDC(const TRect& r)
{
    TBitmap* cache = SkinData()->FCacheBmp.get();
    if (!cache || !HandleAllocated()) return;
    TacWindowDC target(Handle(), nullptr);
    if (!SkinData()->Skinned()) {
        const int b = BordWidth();
        ExcludeClipRect(target.Get(), 0, 0, Width(), b);
        ExcludeClipRect(target.Get(), 0, Height() - b, Width(), Height());
        ExcludeClipRect(target.Get(), 0, 0, b, Height());
        ExcludeClipRect(target.Get(), Width() - b, 0, Width(), Height());
    }
    BitBlt(target.Get(), r.Left, r.Top, r.Width(), r.Height(), cache->Canvas()->Handle(), r.Left, r.Top, SRCCOPY);
}
