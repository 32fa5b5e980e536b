// The design the skinned edit and the skinned masked edit share: geometry, cache, frame, glyph.
#include "sEdit.h"
#include "acWindowDC.h"

#include <windowsx.h>

#include "Themes.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"
#include "acThdTimer.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTemplate.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextEx.h"
#include "Mask.h"
#include "sSkinManager.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

namespace {

constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                               SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING; // 0x737

int BevelCount(TCustomEdit* edit)
{
    return (edit->BevelInner() != bvNone ? 1 : 0) + (edit->BevelOuter() != bvNone ? 1 : 0);
}

} // namespace

int EditBorderWidth(TCustomEdit* Edit)
{
    const int border = Edit->BorderStyle() != bsNone ? (Edit->Ctl3D() ? 1 : 0) + 1 : 0;
    return border + BevelCount(Edit) * (Edit->BevelKind() != bkNone ? 1 : 0);
}

TacEditDesign::TacEditDesign(TCustomEdit* edit, bool masked)
    : Edit(edit), Masked(masked), FCommonData(std::make_unique<TsCtrlSkinData>(edit, true))
{
    FCommonData->COC = 3;
    FAddedGlyph = std::make_unique<TacAddedGlyph>(edit, FCommonData.get());
    FCommonData->CtrlSkinState |= ACS_FRAMECHANGED;
    FBoundLabel = std::make_unique<TsBoundLabel>(edit, FCommonData.get());
    FPadding = std::make_unique<TacPadding>(edit, [this](TObject*) { PaddingChanged(); });
}

TacEditDesign::~TacEditDesign()
{
    FBoundLabel.reset();
    FCommonData.reset();
    FAddedGlyph.reset();
    FPadding.reset();
}

int TacEditDesign::BorderWidth() const
{
    if (!Masked) return EditBorderWidth(Edit);
    return Edit->BorderStyle() != bsNone ? (Edit->Ctl3D() ? 1 : 0) + 2 : 0;
}

int TacEditDesign::Spacing() const
{
    if (TacSkinData* skin = FCommonData->GetCommonSkinData(); skin && skin->Spacing > 0) return skin->Spacing;
    return MulDiv(4, GetPPI(FCommonData.get()), 96);
}

bool TacEditDesign::AddedGlyphVisible() const
{
    TCustomImageList* images = FAddedGlyph->Images();
    return images && IsValidIndex(FAddedGlyph->ImageIndex(), GetImageCount(images));
}

int TacEditDesign::AddedGlyphSpace() const
{
    return AddedGlyphVisible() ? FAddedGlyph->Width() + Spacing() / 2 : 0;
}

TRect TacEditDesign::AddedGlyphRect()
{
    const int b = BorderWidth();
    const TRect p = PaddingToRect(FPadding.get(), GetPPI(FCommonData.get()));
    const int w = FAddedGlyph->Width();
    TRect r;
    r.Left = Edit->UseRightToLeftReading() ? Edit->Width() - b - w - p.Right : b + p.Left;
    r.Right = r.Left + w;
    r.Top = b + p.Top;
    r.Bottom = Edit->Height() - b - p.Bottom;
    FAddedGlyphRect = r;
    return r;
}

int TacEditDesign::TextHeight() const { return GetFontHeight(Edit->Font()->Handle(), false); }

TRect TacEditDesign::TextRect() const
{
    const int w = Edit->Width(), h = Edit->Height();
    TRect r;
    if (Masked) {
        const int b = BorderWidth();
        r = Edit->UseRightToLeftReading() ? TRect(b, b, w - b - AddedGlyphSpace(), h - b)
                                          : TRect(b + AddedGlyphSpace(), b, w - b, h - b);
    } else {
        const int i = Edit->BorderStyle() == bsNone
                          ? 0
                          : EditBorderWidth(Edit) + (Edit->BevelKind() != bkNone ? BevelCount(Edit) : 0);
        const int d = Edit->BorderStyle() == bsSingle ? 1 : 0;
        r.Top = i + d;
        r.Bottom = h - i;
        if (Edit->UseRightToLeftReading()) {
            r.Left = Edit->Ctl3D() ? i : i + 2;
            r.Right = w - i - AddedGlyphSpace() - Spacing() / 2 + d;
        } else {
            r.Left = AddedGlyphSpace() + i + d;
            r.Right = w - i - d;
        }
    }
    AddPadding(r, FAddedPadding);
    return r;
}

void TacEditDesign::PaddingChanged()
{
    if (Edit->ComponentState().Contains(csLoading)) return;
    FCommonData->CtrlSkinState |= ACS_FRAMECHANGED;
    FCommonData->Invalidate(true);
}

bool TacEditDesign::ColorStored() const { return !Skinned() || FCommonData->FCustomColor; }

bool TacEditDesign::FontStored() const
{
    return IsCustomFont(Edit, Edit->Font(), !Skinned() || FCommonData->FCustomFont);
}

void TacEditDesign::UpdateFrame(bool noRedraw)
{
    if (Edit->HandleAllocated())
        SetWindowPos(Edit->Handle(), nullptr, 0, 0, 0, 0, kFrameChanged | (noRedraw ? SWP_NOREDRAW : 0));
}

void TacEditDesign::NCCalcSize(TMessage& message)
{
    if (Edit->ComponentState().Contains(csLoading)) {
        FAddedPadding = TRect();
        return;
    }
    FAddedPadding = PaddingToRect(FPadding.get(), GetPPI(FCommonData.get()));
    const int h = Edit->Height(), t = TextHeight();
    switch (FVerticalAlignment) {
    case taAlignBottom: FAddedPadding.Top = h - t - FAddedPadding.Bottom; break;
    case taVerticalCenter: {
        const int d = (h - t - FAddedPadding.Top - FAddedPadding.Bottom) / 2;
        FAddedPadding.Top += d;
        if (!Masked) FAddedPadding.Bottom += d;
        break;
    }
    default: break;
    }
    auto* client = reinterpret_cast<RECT*>(message.LParam);
    if (!client) return;
    client->left += FAddedPadding.Left;
    client->top += FAddedPadding.Top;
    client->right -= FAddedPadding.Right;
    client->bottom -= FAddedPadding.Bottom;
    if (AddedGlyphVisible()) {
        const int s = AddedGlyphSpace();
        const bool noSection = !Masked && FCommonData->SkinIndex < 0;
        if (Edit->UseRightToLeftReading()) {
            client->right -= s;
            if (noSection) FAddedPadding.Right += s;
        } else {
            client->left += s;
            if (noSection) FAddedPadding.Left += s;
        }
    }
}

LRESULT TacEditDesign::NCHitTest(const TMessage& message)
{
    if (!AddedGlyphVisible() || !Edit->HandleAllocated()) return HTCLIENT;
    RECT wr{};
    GetWindowRect(Edit->Handle(), &wr);
    const POINT p{GET_X_LPARAM(message.LParam) - wr.left, GET_Y_LPARAM(message.LParam) - wr.top};
    const RECT g = AddedGlyphRect();
    return PtInRect(&g, p) ? HTBORDER : HTCLIENT;
}

UnicodeString TacEditDesign::DisplayText() const
{
    UnicodeString text = Masked ? static_cast<TCustomMaskEdit*>(Edit)->GetEditText() : Edit->Text();
    const wchar_t pc = Edit->PasswordChar();
    if (pc != 0) text.assign(text.size(), pc == L'*' ? L'\x25CF' : pc);
    return text;
}

bool TacEditDesign::PrepareCache()
{
    if (Masked && (FCommonData->CtrlSkinState & ACS_FRAMECHANGED)) {
        FCommonData->BGChanged = true;
        FCommonData->CtrlSkinState &= ~ACS_FRAMECHANGED;
        UpdateFrame(true);
    }
    TCacheInfo ci = EmptyCI;
    const bool skinned = Skinned();
    if (skinned || Masked) {
        TacBGInfo bg;
        if (Edit->Parent()) {
            GetBGInfo(bg, Edit->Parent(), false);
            if (bg.BgType == btNotReady) return false;
            ci = BGInfoToCI(bg);
        }
    }
    InitCacheBmp(FCommonData.get());
    TBitmap* cache = FCommonData->FCacheBmp.get();
    if (!cache) return false;
    const TRect all(0, 0, cache->Width(), cache->Height());
    HDC dc = cache->Canvas()->Handle();
    if (skinned) {
        const int state = ControlIsActive(FCommonData.get()) ? 1 : 0;
        const TPoint pos(Edit->Left(), Edit->Top());
        if (Edit->BorderStyle() == bsSingle)
            PaintItem(FCommonData.get(), ci, true, state, all, pos, cache, true);
        else
            PaintItemBG(FCommonData.get(), ci, state, all, pos, cache);
        VirtualPaintText ? VirtualPaintText() : PaintText();
        if (!Edit->Enabled()) BmpDisabledKind(cache, FDisabledKind, Edit, ci, pos);
        FCommonData->BGChanged = false;
    } else if (Masked) {
        bool themed = false;
        if (StyleServices().Enabled()) {
            TThemedEdit element = teEditTextNormal;
            if (!Edit->Enabled())
                element = teEditTextDisabled;
            else if (Edit->ReadOnly())
                element = teEditTextReadOnly;
            else if (Edit->Focused())
                element = teEditTextFocused;
            else if (FCommonData->FMouseAbove)
                element = teEditTextHot;
            themed = StyleServices().DrawElement(dc, StyleServices().GetElementDetails(element), all);
        }
        if (!themed || ColorToRGB(Edit->Color()) != ColorToRGB(clWindow)) FillDC(dc, all, ColorToRGB(Edit->Color()));
        if (!Edit->Ctl3D() && Edit->BorderStyle() == bsSingle)
            FillDCBorder(dc, all, 1, 1, 1, 1, ColorToRGB(clWindowFrame));
        VirtualPaintText ? VirtualPaintText() : PaintText();
    } else {
        FillDC(dc, all, ColorToRGB(Edit->Color()));
    }
    if (AddedGlyphVisible()) PaintAddedGlyph();
    return true;
}

void TacEditDesign::PaintText()
{
    TBitmap* cache = FCommonData->FCacheBmp.get();
    if (!cache) return;
    TCanvas* canvas = cache->Canvas();
    canvas->Font()->Assign(Edit->Font());
    TRect r = VirtualTextRect ? VirtualTextRect() : TextRect();
    const int mode = GetTransMode(FCommonData.get(), -1, 0);
    UINT flags = GetStringFlags(Edit, Edit->Alignment());
    if (Masked)
        flags |= DT_NOPREFIX | DT_NOCLIP;
    else
        flags = (flags & ~static_cast<UINT>(DT_VCENTER)) | DT_SINGLELINE | DT_NOPREFIX;
    if (mode == 2) {
        flags |= 0x40000000;
        if (!Masked) r.Left -= 2;
    }
    const bool empty = IsDefaultValue ? IsDefaultValue() : Edit->Text().empty();
    const int state = ControlIsActive(FCommonData.get()) ? 1 : 0;
    if (empty) {
        if (!FCommonData->FFocused) TextHintOut(FCommonData.get(), r, Edit->TextHint(), state, flags);
    } else if (Skinned()) {
        acWriteTextEx(canvas, DisplayText(), Edit->Enabled(), r, flags, FCommonData.get(), state != 0);
    } else {
        // Without a skin the text takes the font's colour over the cache.
        const UnicodeString text = DisplayText();
        HDC dc = canvas->Handle();
        const HGDIOBJ oldFont = SelectObject(dc, Edit->Font()->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Edit->Enabled() ? Edit->Font()->Color() : clGrayText)));
        RECT rc = r;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags & ~0x40000000u);
        SelectObject(dc, oldFont);
    }
    if (mode == 1) FillAlphaRect(cache, r, 255, clNone);
}

void TacEditDesign::PaintAddedGlyph()
{
    TBitmap* cache = FCommonData->FCacheBmp.get();
    if (!cache) return;
    const bool skinned = Skinned();
    const TRect g = AddedGlyphRect();
    const int w = FAddedGlyph->Width(), h = FAddedGlyph->Height();
    TacDrawGlyphData d;
    d.Images = FAddedGlyph->Images();
    d.ImageIndex = FAddedGlyph->ImageIndex();
    d.NumGlyphs = 1;
    d.DstBmp = cache;
    // The canvas also without a skin: a 32-bit image list draws only through it.
    d.Canvas = cache->Canvas();
    d.ImgRect = MkRectWH(w, h, g.Left + (g.Width() - w) / 2, g.Top + (g.Height() - h) / 2);
    d.CurrentState = Edit->Focused() || FCommonData->FFocused ? 1 : 0;
    d.Enabled = Edit->Enabled();
    d.PPI = GetPPI(FCommonData.get());
    d.CommonSkinData = FCommonData->GetCommonSkinData();
    d.SkinIndex = FCommonData->SkinIndex;
    const int blend = FAddedGlyph->Blend();
    d.Blend = Edit->Enabled() ? blend : blend + (100 - blend) / 2;
    if (skinned) {
        d.Grayed = d.CurrentState == 0 && FAddedGlyph->Grayed();
        d.BGColor = GetBGColor(FCommonData.get(), d.CurrentState);
    } else {
        d.Grayed = FAddedGlyph->Grayed();
        d.BGColor = Edit->Color();
    }
    const TColor tone = FAddedGlyph->ColorTone();
    if (tone != clNone) {
        auto* virtualList = dynamic_cast<TsVirtualImageList*>(d.Images);
        const bool charList = dynamic_cast<TsCharImageList*>(d.Images) ||
                              (virtualList && dynamic_cast<TsCharImageList*>(virtualList->AlphaImageList()));
        if (charList) {
            // Character glyphs take their colour from the canvas font.
            TFont* font = cache->Canvas()->Font();
            const TColor saved = font->Color();
            const int savedSize = font->Size();
            d.Grayed = false;
            font->SetColor(tone);
            font->SetSize(0);
            acDrawGlyphEx(d);
            font->SetSize(savedSize);
            font->SetColor(saved);
            return;
        }
        d.Grayed = true;
        d.BGColor = tone;
    }
    acDrawGlyphEx(d);
}

void TacEditDesign::OurPaintHandler(HDC dc)
{
    HWND wnd = Edit->Handle();
    const bool bracket = !InAnimationProcess && !(dc && dc == FCommonData->PrintDC);
    PAINTSTRUCT ps{};
    if (bracket) BeginPaint(wnd, &ps);
    TsCommonData* sd = FCommonData.get();
    TacThreadedTimer* pulse = ThreadedTimerIsLive(sd->PulsTimer) ? sd->PulsTimer : nullptr;
    const bool pulsing = pulse && pulse->Enabled() && pulse->BmpOut && !pulse->BmpOut->Empty();
    // The masked edit shows a pulse frame even while its skin data is updating.
    if ((Masked && pulsing) || !InUpdating(sd)) {
        TacWindowDC target(wnd, dc);
        if (pulsing) {
            // A running pulse shows its prepared frame.
            BitBlt(target.Get(), 0, 0, Edit->Width(), Edit->Height(), pulse->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
        } else {
            if (sd->BGChanged || sd->HalfVisible || (Edit->Parent() && GetBoolMsg(Edit->Parent(), AC_GETOUTOFVIEW)))
                sd->BGChanged = true;
            if (TWinControl* parent = Edit->Parent()) {
                const TRect pc = parent->ClientRect();
                const TRect b = Edit->BoundsRect();
                sd->HalfVisible = b.Left < pc.Left || b.Top < pc.Top || b.Right > pc.Right || b.Bottom > pc.Bottom;
            }
            if (sd->BGChanged && !PrepareCache()) {
                sd->FUpdating = true;
            } else if (TBitmap* cache = sd->FCacheBmp.get()) {
                UpdateCorners(sd, ControlIsActive(sd) ? 1 : 0, AllCorners);
                BitBlt(target.Get(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
            }
        }
    }
    if (bracket) EndPaint(wnd, &ps);
}

void TacEditDesign::PaintBorder(HDC dc)
{
    TsCommonData* sd = FCommonData.get();
    if (Masked && (!Edit->Parent() || !Edit->Visible() || Edit->BorderStyle() == bsNone ||
                   Edit->ControlState().Contains(csCreating)))
        return;
    if (InUpdating(sd) || !Edit->HandleAllocated()) return;
    TacWindowDC target(Edit->Handle(), dc);
    if (sd->BGChanged && !PrepareCache()) {
        sd->FUpdating = true;
        return;
    }
    TBitmap* cache = sd->FCacheBmp.get();
    if (!cache) return;
    int b = BorderWidth();
    if (b == 0 && !Masked) b = BevelCount(Edit);
    UpdateCorners(sd, ControlIsActive(sd) ? 1 : 0, AllCorners);
    HDC src = cache->Canvas()->Handle();
    const int w = cache->Width(), h = cache->Height();
    BitBltBorder(target.Get(), 0, 0, w, h, src, 0, 0, FAddedPadding.Left + b, FAddedPadding.Top + b,
                 FAddedPadding.Right + b, FAddedPadding.Bottom + b);
    if (AddedGlyphVisible()) {
        const int half = Spacing() / 2;
        if (Edit->UseRightToLeftReading())
            BitBlt(target.Get(), b, 0, AddedGlyphSpace(), h, src, b, 0, SRCCOPY);
        else {
            const int x = AddedGlyphRect().Left - half;
            BitBlt(target.Get(), x, 0, AddedGlyphSpace() + half, h, src, x, 0, SRCCOPY);
        }
    }
}

void TacEditDesign::PaintAddedGlyphStd()
{
    if (!Edit->HandleAllocated()) return;
    if (Masked ? (Skinned() || !AddedGlyphVisible()) : FAddedPadding == TRect()) return;
    PrepareCache();
    TBitmap* cache = FCommonData->FCacheBmp.get();
    if (!cache) return;
    TacWindowDC target(Edit->Handle(), nullptr);
    HDC dc = target.Get(), src = cache->Canvas()->Handle();
    const int w = cache->Width(), h = cache->Height();
    const int b = BorderWidth();
    IntersectClipRect(dc, b, b, w - b, h - b);
    if (AddedGlyphVisible()) {
        TRect g = AddedGlyphRect();
        const int half = Spacing() / 2;
        if (Edit->UseRightToLeftReading())
            g.Left -= half;
        else
            g.Right += half;
        BitBlt(dc, g.Left, g.Top, g.Width(), g.Height(), src, g.Left, g.Top, SRCCOPY);
    }
    if (Masked) return;
    const TRect& p = FAddedPadding;
    if (p.Top) BitBlt(dc, 0, 0, w, p.Top + b, src, 0, 0, SRCCOPY);
    if (p.Left) BitBlt(dc, 0, 0, p.Left + b, h, src, 0, 0, SRCCOPY);
    if (p.Right) BitBlt(dc, w - p.Right - b, 0, p.Right + b, h, src, w - p.Right - b, 0, SRCCOPY);
    if (p.Bottom) BitBlt(dc, 0, h - p.Bottom - b, w, p.Bottom + b, src, 0, h - p.Bottom - b, SRCCOPY);
}
