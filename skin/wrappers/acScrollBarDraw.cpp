// Painting the skinned scroll bars: buttons, track halves and thumb composed off-screen and copied
// into the window DC in one blit, and the corner box between two bars with its size grip.
#include "acScrollBar.h"
#include "acScrollBarPaint.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsPaintItem.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

TacSkinData* SkinDataOf(TacScrollWnd* sw) { return sw && sw->SkinData ? sw->SkinData->GetCommonSkinData() : nullptr; }

bool ValidSection(TacSkinData* data, int index) { return data && IsValidIndex(index, static_cast<int>(data->gd.size())); }
bool ValidMask(TacSkinData* data, int index) { return data && IsValidIndex(index, static_cast<int>(data->ma.size())); }

void PaintElement(const TacConstElementData& e, int State, const TRect& R, TBitmap* Bmp, TacSkinData* data)
{
    PaintItemFast(e.SkinIndex, e.MaskIndex, e.BGIndex[0], e.BGIndex[1], MakeCacheInfo(Bmp, 0, 0), true, State, R,
                  TPoint(R.Left, R.Top), Bmp, data->FOwner);
}

// What lies under the window: the parent's background, as a cache info and as pixels in Bmp
// (R: the bar in window coordinates). A parent's cache info points at the parent's client
// origin; the window's own place in it is added here (which is also the correction an MDI
// client needs for its place in the form).
TCacheInfo FillParentBackground(HWND Wnd, const TRect& R, TBitmap* Bmp)
{
    TacBGInfo bg;
    const HWND parent = GetParent(Wnd);
    if (parent) {
        GetBGInfo(bg, parent, false);
        RECT w{};
        GetWindowRect(Wnd, &w);
        POINT place{w.left, w.top};
        ScreenToClient(parent, &place);
        bg.Offset.X += place.x;
        bg.Offset.Y += place.y;
    } else {
        bg.BgType = btFill;
        bg.Color = DefaultManager && DefaultManager->IsActive() ? DefaultManager->GetGlobalColor() : clBtnFace;
    }
    TCacheInfo ci = BGInfoToCI(bg);
    if (ci.Ready && ci.Bmp)
        BitBlt(Bmp->Canvas()->Handle(), 0, 0, Bmp->Width(), Bmp->Height(), ci.Bmp->Canvas()->Handle(), ci.X + R.Left,
               ci.Y + R.Top, SRCCOPY);
    else
        FillRect32(Bmp, TRect(0, 0, Bmp->Width(), Bmp->Height()), ci.FillColor, 0xFF);
    return ci;
}

// An inactive bar: towards the parent's pixels when they are ready, else towards its colour.
void Fade(TBitmap* Bmp, const TCacheInfo& ci, const TRect& R)
{
    if (ci.Ready && ci.Bmp) {
        TBitmap under(Bmp->Width(), Bmp->Height(), pf32bit);
        BitBlt(under.Canvas()->Handle(), 0, 0, Bmp->Width(), Bmp->Height(), ci.Bmp->Canvas()->Handle(), ci.X + R.Left,
               ci.Y + R.Top, SRCCOPY);
        BlendTransRectangle(Bmp, 0, 0, &under, TRect(0, 0, Bmp->Width() - 1, Bmp->Height() - 1), DefBlendDisabled,
                            static_cast<TColor>(0xFF00FF));
    } else {
        TsColor c;
        c.C = ci.FillColor;
        BlendTransBitmap(Bmp, DefBlendDisabled, c);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Items

void DrawCenteredGlyph(TBitmap* Bmp, int ImgIndex, int State, const TRect& R, TacSkinData* SkinData)
{
    if (!Bmp || !ValidMask(SkinData, ImgIndex)) return;
    const TsMaskData& mask = SkinData->ma[static_cast<size_t>(ImgIndex)];
    const TPoint p(R.Left + (R.Width() - mask.Width) / 2, R.Top + (R.Height() - mask.Height) / 2);
    DrawSkinGlyph(Bmp, p, State, 1, mask, MakeCacheInfo(Bmp, 0, 0));
}

TRect BtnDrawRect(const TRect& R, TacSkinData* SkinData, TacSide Side)
{
    TRect r = R;
    if (!SkinData) return r;
    const TacConstElementData& e = SkinData->ScrollBtns[Side];
    if (e.SkinIndex < 0 || !ValidSection(SkinData, e.SkinIndex) ||
        !SkinData->gd[static_cast<size_t>(e.SkinIndex)].ReservedBoolean || !ValidMask(SkinData, e.GlyphIndex))
        return r;
    // The button reaches as far into the bar as its glyph is wider (or less far when narrower)
    // than a standard 17-pixel button.
    const TsMaskData& glyph = SkinData->ma[static_cast<size_t>(e.GlyphIndex)];
    switch (Side) {
    case asLeft: r.Right += glyph.Width - 17; break;
    case asTop: r.Bottom += glyph.Height - 17; break;
    case asRight: r.Left -= glyph.Width - 17; break;
    default: r.Top -= glyph.Height - 17; break;
    }
    return r;
}

void ac_DrawScrollBtn(const TRect& R, int State, TBitmap* Bmp, TacSkinData* SkinData, TacSide Side)
{
    if (!Bmp || !SkinData || R.Width() <= 0 || R.Height() <= 0) return;
    const TacConstElementData& e = SkinData->ScrollBtns[Side];
    const bool section = ValidSection(SkinData, e.SkinIndex);
    const TRect r = BtnDrawRect(R, SkinData, Side);
    // The element is painted at r; only R of it lands in Bmp. The work area covers both, so a
    // button drawn smaller than R leaves the rest of R as it was.
    const TRect area(std::min(R.Left, r.Left), std::min(R.Top, r.Top), std::max(R.Right, r.Right),
                     std::max(R.Bottom, r.Bottom));
    TBitmap item(area.Width(), area.Height(), pf32bit);
    BitBlt(item.Canvas()->Handle(), 0, 0, area.Width(), area.Height(), Bmp->Canvas()->Handle(), area.Left, area.Top,
           SRCCOPY);
    const TRect local(r.Left - area.Left, r.Top - area.Top, r.Right - area.Left, r.Bottom - area.Top);
    const TRect inR(R.Left - area.Left, R.Top - area.Top, R.Right - area.Left, R.Bottom - area.Top);
    if (!local.IsEmpty()) PaintElement(e, State, local, &item, SkinData);
    if (ValidMask(SkinData, e.GlyphIndex)) {
        DrawCenteredGlyph(&item, e.GlyphIndex, State, inR, SkinData);
    } else {
        const int colorState = std::min(State, 2);
        const TColor color = section ? SkinData->gd[static_cast<size_t>(e.SkinIndex)].Props[static_cast<size_t>(colorState)].FontColor.Color
                                     : clBlack;
        const int shift = State > 1 && section && SkinData->gd[static_cast<size_t>(e.SkinIndex)].ShiftOnClick ? 1 : 0;
        const TacArrowsStyle style =
            SkinData->FOwner ? SkinData->FOwner->Options()->ActualArrowStyle() : TacArrowsStyle::arsSolid1;
        const int ppi = SkinData->PPI > 0 ? SkinData->PPI : 96;
        TRect arrowR = inR;
        arrowR.Offset(shift, shift);
        // Vertical buttons take the small colour arrow, horizontal ones the skin's arrow style.
        if (Side == asTop || Side == asBottom)
            DrawColorArrow(&item, color, arrowR, Side, ppi);
        else
            DrawArrow(&item, color, clNone, arrowR, Side, 0, 0, 0, style, ppi);
    }
    BitBlt(Bmp->Canvas()->Handle(), R.Left, R.Top, R.Width(), R.Height(), item.Canvas()->Handle(), inR.Left, inR.Top,
           SRCCOPY);
}

void ac_DrawSlider(const TRect& R, int State, TBitmap* Bmp, TacSkinData* SkinData, bool Vertical)
{
    if (!Bmp || !SkinData || R.Width() <= 0 || R.Height() <= 0) return;
    const TacConstElementData& e = SkinData->Sliders[Vertical ? 1 : 0];
    PaintElement(e, State, R, Bmp, SkinData);
    DrawCenteredGlyph(Bmp, e.GlyphIndex, State, R, SkinData);
}

// ---------------------------------------------------------------------------------------------
// One bar

std::unique_ptr<TBitmap> ComposeScrollBar(TacScrollBar* sb, HWND Wnd, const TRect& R, int ThumbPos, int ThumbSize,
                                          const TacBarLook& Look)
{
    TacScrollWnd* sw = sb->sw;
    TacSkinData* data = SkinDataOf(sw);
    if (!data || R.Width() <= 0 || R.Height() <= 0) return nullptr;
    auto bmp = std::make_unique<TBitmap>(R.Width(), R.Height(), pf32bit);
    const TCacheInfo ci = FillParentBackground(Wnd, R, bmp.get());

    const bool horz = sb->nBarType == SB_HORZ;
    const int L = horz ? R.Width() : R.Height();
    const int B = GetScrollMetric(sb, false);
    const auto along = [&](int from, int to) {
        return horz ? TRect(from, 0, to, R.Height()) : TRect(0, from, R.Width(), to);
    };
    const TacConstElementData& before = data->Scrolls[horz ? asLeft : asTop];
    const TacConstElementData& after = data->Scrolls[horz ? asRight : asBottom];
    const TacSide side1 = horz ? asLeft : asTop;
    const TacSide side2 = horz ? asRight : asBottom;
    const int thumb = ThumbPos - (horz ? R.Left : R.Top); // in the bitmap
    if (L > 2 * B) {
        const int centre = std::clamp(thumb + ThumbSize / 2, 0, L);
        PaintElement(before, Look.Pressed == HTSCROLL_PAGEUP ? 2 : 0, along(0, centre), bmp.get(), data);
        PaintElement(after, Look.Pressed == HTSCROLL_PAGEDOWN ? 2 : 0, along(centre, L), bmp.get(), data);
        if (B > 0) {
            ac_DrawScrollBtn(along(0, B), Look.Button1, bmp.get(), data, side1);
            ac_DrawScrollBtn(along(L - B, L), Look.Button2, bmp.get(), data, side2);
        }
        if (Look.Active && L - 2 * B >= 2)
            ac_DrawSlider(along(thumb, thumb + ThumbSize), Look.Thumb, bmp.get(), data, !horz);
    } else {
        PaintElement(before, 0, along(0, L), bmp.get(), data);
        ac_DrawScrollBtn(along(0, L / 2), Look.Button1, bmp.get(), data, side1);
        ac_DrawScrollBtn(along(L / 2, L), Look.Button2, bmp.get(), data, side2);
    }
    if (!Look.Active) Fade(bmp.get(), ci, R);
    return bmp;
}

TacBarLook ScrollBarLook(TacScrollBar* sb, HWND Wnd, int Pressed)
{
    const TacScrollTracking& t = ScrollTracking;
    TacBarLook look;
    TControl* control = sb->sw && sb->sw->SkinData ? sb->sw->SkinData->FOwnerControl : nullptr;
    look.Active = IsScrollBarActive(sb) && (!control || control->Enabled());
    const bool tracked = Wnd == t.TrackedWindow;
    const bool hotBar = tracked && t.HoverBar == sb->nBarType && look.Active;
    look.Pressed = Pressed != HTSCROLL_NONE ? Pressed : tracked && t.CurrentBar == sb->nBarType ? t.PressedPortion : -1;
    if (tracked || Pressed != HTSCROLL_NONE) {
        look.Button1 = look.Pressed == HTSCROLL_LINEUP ? 2 : hotBar && t.HotPortion == HTSCROLL_LINEUP ? 1 : 0;
        look.Button2 = look.Pressed == HTSCROLL_LINEDOWN ? 2 : hotBar && t.HotPortion == HTSCROLL_LINEDOWN ? 1 : 0;
    } else {
        look.Pressed = HTSCROLL_NONE;
    }
    look.Thumb = hotBar && t.HotPortion == HTSCROLL_THUMBTRACK ? 1 : 0;
    return look;
}

void DrawScrollBar(TacScrollBar* sb, HWND Wnd, HDC DC, int ThumbPos, int Pressed, const TRect& R)
{
    if (!sb || !sb->sw || !DC) return;
    TacScrollWnd* sw = sb->sw;
    if (sw->fThumbTracking || !sb->fScrollVisible) return;
    TacSkinData* data = SkinDataOf(sw);
    if (!data || !data->FOwner || !sw->SkinData || !ValidSection(data, sw->SkinData->SkinIndex)) return;
    if (R.Width() <= 1 || R.Height() <= 1) return;
    sb->ScrollInfo.cbSize = sizeof(SCROLLINFO);
    sb->ScrollInfo.fMask = SIF_ALL;
    GetScrollInfo(Wnd, sb->nBarType, &sb->ScrollInfo);
    const TacBarLook look = ScrollBarLook(sb, Wnd, Pressed);
    int size = 0, pos = 0;
    CalcThumbSize(sb, R, size, pos);
    if (ThumbPos != -1) pos = ThumbPos;
    auto bmp = ComposeScrollBar(sb, Wnd, R, pos, size, look);
    if (bmp) BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void DrawHorzScrollBar(TacScrollBar* sb, HWND Wnd, HDC DC, int ThumbPos, int Pressed, const TRect& R)
{
    DrawScrollBar(sb, Wnd, DC, ThumbPos, Pressed, R);
}

void DrawVertScrollBar(TacScrollBar* sb, HWND Wnd, HDC DC, int ThumbPos, int Pressed, const TRect& R)
{
    DrawScrollBar(sb, Wnd, DC, ThumbPos, Pressed, R);
}

// ---------------------------------------------------------------------------------------------
// Both bars and the corner

bool IsSizeGripCorner(TacScrollWnd* sw, HWND Wnd)
{
    if (!sw || !sw->SkinData || (sw->SkinData->COC != 223 && sw->SkinData->COC != 224)) return false;
    const HWND parent = GetParent(Wnd);
    if (!parent || (GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD)) return false;
    TRect h, v;
    ac_GetHScrollRect(sw, Wnd, h);
    ac_GetVScrollRect(sw, Wnd, v);
    RECT client{};
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (h.Bottom + sw->cyBottomEdge != client.bottom) return false;
    if (sw->fLeftScrollbar) return v.Left - sw->cxLeftEdge == client.left;
    return v.Right + sw->cxRightEdge == client.right;
}

namespace {

void DrawCorner(TacScrollWnd* sw, HWND Wnd, HDC DC, const TRect& R)
{
    TacSkinData* data = SkinDataOf(sw);
    if (!data || R.Width() <= 0 || R.Height() <= 0) return;
    TBitmap bmp(R.Width(), R.Height(), pf32bit);
    const TCacheInfo ci = FillParentBackground(Wnd, R, &bmp);
    const int index = data->Scrolls[asLeft].SkinIndex;
    if (ValidSection(data, index) && data->gd[static_cast<size_t>(index)].Props[0].Transparency < 100) {
        TColor color = data->gd[static_cast<size_t>(index)].Props[0].Color;
        if (color == static_cast<TColor>(0xFF00FF) && data->FOwner) color = data->FOwner->GetGlobalColor();
        FillRect32(&bmp, TRect(0, 0, R.Width(), R.Height()), color, 0xFF);
        if (!IsScrollBarActive(sw->sBarHorz.get()) || !IsScrollBarActive(sw->sBarVert.get())) Fade(&bmp, ci, R);
    }
    if (IsSizeGripCorner(sw, Wnd) && ValidMask(data, data->GripRightBottom)) {
        const TsMaskData& grip = data->ma[static_cast<size_t>(data->GripRightBottom)];
        DrawSkinGlyph(&bmp, TPoint(R.Width() - grip.Width, R.Height() - grip.Height), 0, 1, grip,
                      MakeCacheInfo(&bmp, 0, 0));
    }
    BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
}

TRect ToWindow(const TRect& screen, const RECT& window)
{
    return TRect(screen.Left - window.left, screen.Top - window.top, screen.Right - window.left,
                 screen.Bottom - window.top);
}

} // namespace

int ac_NCDraw(TacScrollWnd* sw, HWND Wnd, int Pressed, HDC DC)
{
    if (!sw) return 0;
    if (TsCommonData* sd = sw->SkinData) {
        TsSkinManager* manager = sd->SkinManager();
        if (!manager || !manager->IsActive() || sd->FUpdating) return 0;
        TControl* control = sd->FOwnerControl;
        if (control && control->ControlState().Contains(csCreating)) return 0;
        if (!IsWindowVisible(Wnd) && !(control && control->Visible())) return 0;
        if (sd->BGChanged) SendAMessage(Wnd, AC_PREPARECACHE);
    }
    const HDC dc = DC ? DC : GetWindowDC(Wnd);
    if (!dc) return 0;
    RECT window{};
    GetWindowRect(Wnd, &window);
    TRect h, v;
    ac_GetHScrollRect(sw, Wnd, h);
    ac_GetVScrollRect(sw, Wnd, v);
    const bool horz = sw->sBarHorz && sw->sBarHorz->fScrollVisible;
    const bool vert = sw->sBarVert && sw->sBarVert->fScrollVisible;
    if (horz) DrawScrollBar(sw->sBarHorz.get(), Wnd, dc, -1, Pressed, ToWindow(h, window));
    if (vert) DrawScrollBar(sw->sBarVert.get(), Wnd, dc, -1, Pressed, ToWindow(v, window));
    if (horz && vert) DrawCorner(sw, Wnd, dc, ToWindow(TRect(v.Left, h.Top, v.Right, h.Bottom), window));
    if (!DC) ReleaseDC(Wnd, dc);
    return 0;
}
