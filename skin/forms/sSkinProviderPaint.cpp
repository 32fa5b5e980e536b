// The window image of a skinned form: PaintAll builds frame, shadow margins, title bar, header,
// icon, caption, menu line, MDI client frame, extended-border template and size grip into the
// provider's 32-bit cache bitmap; the title icon, the grip over the client background and the
// setters that ask for a rebuild.
#include "sSkinProvider.h"

#include "Menus.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsGlyphEx.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTemplate.h"
#include "sGraphUtilsTextEx.h"
#include "sGraphUtilsTextOut.h"
#include "sSkinManager.h"
#include "sSkinMenus.h"
#include "sSkinProviderInternal.h"
#include "sStyleSimply.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <span>

using namespace provider_detail;

bool acCreatedMaximized = false;

namespace {

HWND FormWnd(const TsSkinProvider& sp) { return sp.Form && sp.Form->HandleAllocated() ? sp.Form->Handle() : nullptr; }

const TsMaskData* MaskAt(const TacSkinData* skin, int index)
{
    if (!skin || index < 0 || index >= static_cast<int>(skin->ma.size())) return nullptr;
    return &skin->ma[static_cast<size_t>(index)];
}

const TsGeneralData* SectionAt(const TacSkinData* skin, int index)
{
    if (!skin || index < 0 || index >= static_cast<int>(skin->gd.size())) return nullptr;
    return &skin->gd[static_cast<size_t>(index)];
}

int StateOf(const TacSkinData* skin, int index, bool active)
{
    const TsGeneralData* gd = SectionAt(skin, index);
    return gd ? std::max(0, std::min(active ? 1 : 0, gd->States - 1)) : 0;
}

// One row of a 32-bit bitmap, bounds-checked by the caller through Width and Height.
std::span<std::uint32_t> Row(TBitmap* bmp, int y)
{
    return {static_cast<std::uint32_t*>(bmp->ScanLine(y)), static_cast<size_t>(bmp->Width())};
}

TRect Clipped(const TRect& r, const TBitmap* bmp)
{
    return TRect(std::max<LONG>(r.Left, 0), std::max<LONG>(r.Top, 0), std::min<LONG>(r.Right, bmp->Width()),
                 std::min<LONG>(r.Bottom, bmp->Height()));
}

// GDI leaves alpha undefined: the pixels of R are kept before a GDI output, and afterwards every
// pixel the output changed becomes opaque; equal pixels keep their value.
class TGdiAlphaGuard {
public:
    TGdiAlphaGuard(TBitmap* bmp, const TRect& r) : bmp_(bmp), r_(Clipped(r, bmp))
    {
        if (r_.IsEmpty()) return;
        saved_ = CreateBmp32(r_.Width(), r_.Height());
        for (int y = 0; y < r_.Height(); ++y) {
            const auto src = Row(bmp_, r_.Top + y).subspan(static_cast<size_t>(r_.Left), static_cast<size_t>(r_.Width()));
            std::copy(src.begin(), src.end(), Row(saved_.get(), y).begin());
        }
    }
    ~TGdiAlphaGuard()
    {
        if (!saved_) return;
        GdiFlush();
        for (int y = 0; y < r_.Height(); ++y) {
            const auto now = Row(bmp_, r_.Top + y).subspan(static_cast<size_t>(r_.Left), static_cast<size_t>(r_.Width()));
            const auto was = Row(saved_.get(), y);
            for (size_t x = 0; x < now.size(); ++x)
                if (now[x] != was[x]) now[x] |= 0xFF000000u;
        }
    }
    TGdiAlphaGuard(const TGdiAlphaGuard&) = delete;
    TGdiAlphaGuard& operator=(const TGdiAlphaGuard&) = delete;

private:
    TBitmap* bmp_;
    TRect r_;
    std::unique_ptr<TBitmap> saved_;
};

bool IsMainForm(const TsSkinProvider& sp) { return Application && sp.Form && Application->MainForm() == sp.Form; }

// The system title font of the form's density.
HFONT MakeCaptionFont(TsSkinProvider& sp)
{
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    LOGFONTW lf = ncm.lfCaptionFont;
    lf.lfHeight = MulDiv(lf.lfHeight, GetPPI(sp.FCommonData.get()), 96);
    if (ac_UseSysCharSet) lf.lfCharSet = DEFAULT_CHARSET;
    return CreateFontIndirectW(&lf);
}

TSize TextSize(TBitmap* cache, const UnicodeString& text, HFONT font)
{
    TSize size;
    if (!text.empty()) acGetTextExtent(cache->Canvas()->Handle(), text, size, font);
    return size;
}

// Glow of the section's state under the text, then the text in the section's colours.
void WriteCaptionText(TsSkinProvider& sp, TBitmap* cache, const UnicodeString& text, TRect r, UINT flags, int section,
                      TacSkinData* skin, TsSkinManager* manager)
{
    const int state = sp.FormActive ? 1 : 0;
    const TsGeneralData* gd = SectionAt(skin, section);
    if (gd) {
        const TsGenState& props = gd->Props[static_cast<size_t>(std::min(state, 2))];
        if (props.GlowSize != 0)
            acDrawGlowForText(cache, text, r, flags, 0, props.GlowSize, props.GlowColor, state ? sp.FGlow1 : sp.FGlow2);
    }
    if (sp.BorderForm) {
        WriteText32(cache, text, true, r, flags, section, state, manager);
    } else {
        TGdiAlphaGuard guard(cache, r);
        acWriteTextEx(cache->Canvas(), text, true, r, flags, section, state != 0, manager);
    }
}

// The caption text and the added title.
void PaintCaptionText(TsSkinProvider& sp, TBitmap* cache, int W, TacSkinData* skin, TsSkinManager* manager)
{
    HWND wnd = FormWnd(sp);
    const TRect S = sp.ShadowSize();
    const int bw = SysBorderWidth(wnd, sp.BorderForm, true);
    const bool rtlReading = sp.Form->BiDiMode() == bdRightToLeft;
    TAlignment align = sp.FCaptionAlignment;
    if (rtlReading && align != taCenter) align = align == taLeftJustify ? taRightJustify : taLeftJustify;
    const bool icon = sp.IconVisible();
    int left = 0, right = 0;
    if (sp.FTitleBar) {
        left = sp.FTitleBar->FBarLeft;
        right = sp.FTitleBar->FBarRight;
    } else if (align == taCenter) {
        left = bw + S.Left;
        right = W - S.Right;
    } else if (sp.SysRTLAllowed()) {
        left = bw + sp.TitleBtnsWidth() + S.Right + skin->Spacing;
        right = (icon ? sp.FIconRect.Left : W - S.Right - bw) - skin->BIRightMargin;
    } else {
        left = icon ? sp.FIconRect.Right + skin->Spacing
                    : bw + skin->BILeftMargin + S.Left + (sp.FCaptionSkinIndex >= 0 ? 2 : 0);
        right = W - sp.TitleBtnsWidth() - S.Right - bw - skin->Spacing;
    }

    const bool showMain = sp.FAddedTitle->ShowMainCaption();
    const UnicodeString main = showMain ? sp.Form->Caption() : UnicodeString();
    const UnicodeString added = sp.FAddedTitle->Text();
    TCanvas* canvas = cache->Canvas();
    canvas->Font()->SetHandle(MakeCaptionFont(sp));
    const TSize mainSize = TextSize(cache, main, canvas->Font()->Handle());
    const TSize addSize = TextSize(cache, added, sp.FAddedTitle->Font()->Handle());
    const int h = std::max(mainSize.cy, addSize.cy);
    const int top = sp.FTitleBar ? sp.FTitleBar->FBarVCenter - h / 2 : sp.VCenter - h / 2 - 1;
    const int addWidth = added.empty() ? 0 : addSize.cx + 4;
    const int total = mainSize.cx + (added.empty() ? 0 : skin->Spacing + addWidth);
    if (align == taRightJustify && right - total >= left) left = right - total;
    if (align == taCenter) {
        const int centred = std::max(left, (left + right - total) / 2);
        right = std::min(right, centred + total);
        left = centred;
    }

    const UINT flags = 0x8824 | (rtlReading ? DT_RTLREADING : 0);
    TRect textRect(left, top, right, top + h);
    if (!main.empty()) {
        RECT calc = textRect;
        DrawTextW(canvas->Handle(), main.c_str(), static_cast<int>(main.size()), &calc, flags | DT_CALCRECT);
        textRect.Right = std::min<LONG>(right, calc.right);
        int section = sp.FTitleSkinIndex;
        if (sp.FCaptionSkinIndex >= 0) {
            // The caption section lies behind the text over a copy of what is painted so far.
            auto background = CreateBmp32(cache->Width(), cache->Height());
            BitBlt(background->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), canvas->Handle(), 0, 0, SRCCOPY);
            const TRect behind(textRect.Left - 2, textRect.Top - 2, textRect.Right + 2, textRect.Bottom + 2);
            PaintItem(sp.FCaptionSkinIndex, MakeCacheInfo(background.get()), true, sp.FormActive ? 1 : 0, behind,
                      TPoint(0, 0), cache, manager);
            section = sp.FCaptionSkinIndex;
        }
        WriteCaptionText(sp, cache, main, textRect, flags, section, skin, manager);
    } else {
        textRect.Right = textRect.Left - skin->Spacing;
    }

    const TsGeneralData* title = SectionAt(skin, sp.FTitleSkinIndex);
    if (added.empty() || !title) return;
    TRect addRect(textRect.Right + skin->Spacing, top, std::min(right, static_cast<int>(textRect.Right) + skin->Spacing + addWidth),
                  top + h);
    if (addRect.Right <= addRect.Left + 8) return;
    TFont* font = sp.FAddedTitle->Font();
    TColor color = font->Color();
    const TColor activeText = title->Props[static_cast<size_t>(std::min(sp.FormActive ? 1 : 0, title->States - 1))].FontColor.Color;
    if (color == clWindowText || color == clNone) {
        color = activeText;
    } else if (!sp.FormActive) {
        color = BlendColors(ColorToRGB(color), ColorToRGB(title->Props[0].FontColor.Color), 127);
    }
    const TsGenState& props = title->Props[static_cast<size_t>(std::min(sp.FormActive ? 1 : 0, 2))];
    canvas->Font()->Assign(font);
    canvas->Font()->SetColor(color);
    if (props.GlowSize != 0)
        acDrawGlowForText(cache, added, addRect, flags, 0, props.GlowSize, props.GlowColor, sp.FormActive ? sp.FGlow1 : sp.FGlow2);
    TGdiAlphaGuard guard(cache, addRect);
    HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(color));
    RECT r = addRect;
    DrawTextW(dc, added.c_str(), static_cast<int>(added.size()), &r, flags);
}

// Title section, header, icon and the bar behind the title buttons (step e); without the title
// section itself when the title lies on the extended-border template.
void PaintTitleLayers(TsSkinProvider& sp, TBitmap* cache, const TRect& R, int TB, bool titleSection, bool iconicChild,
                      TacSkinData* skin, TsSkinManager* manager)
{
    if (titleSection && sp.FTitleSkinIndex >= 0) {
        const TRect title(R.Left, R.Top, R.Right, iconicChild ? R.Bottom : TB);
        PaintItem(sp.FTitleSkinIndex, MakeCacheInfo(cache), true, StateOf(skin, sp.FTitleSkinIndex, sp.FormActive), title,
                  TPoint(0, 0), cache, manager);
    }
    if (sp.FFormHeader->AdditionalHeight() > 0 && sp.FHeaderIndex >= 0) {
        const TRect header(R.Left, R.Top, R.Right, TB + sp.FFormHeader->ScaledAddHeight());
        PaintItem(sp.FHeaderIndex, MakeCacheInfo(cache), true, sp.FormActive ? 1 : 0, header, TPoint(0, 0), cache, manager);
    }
    PaintTitleIcon(&sp);
    if (sp.SysButtonsCount() > 0) {
        const int bar = manager->GetMaskIndex(sp.FCommonData->SkinIndex, L"TITLEBAR", skin);
        if (const TsMaskData* mask = MaskAt(skin, bar)) {
            const int right = cache->Width() - sp.ShadowSize().Right - sp.BorderWidth(true);
            const TRect r(right - sp.BarWidth(bar), R.Top, right, TB);
            DrawSkinRect(cache, r, MakeCacheInfo(cache), *mask, sp.FormActive ? 1 : 0, true);
        }
    }
}

// The child's visible items that the menu line merges: both owner-draw handlers set.
bool Mergeable(const TMenuItem* item) { return item->Visible() && item->OnAdvancedDrawItem && item->OnMeasureItem; }

// The menu line (step f).
void PaintMenuLine(TsSkinProvider& sp, TBitmap* cache, int W, int TB, const TRect& S, int state, TsSkinManager* manager)
{
    HWND wnd = FormWnd(sp);
    TMainMenu* menu = sp.Form->Menu();
    TsSkinableMenus* menus = manager->SkinableMenus();
    if (!menu || !menus || menu->Items()->Count() == 0 || sp.Form->FormStyle() == fsMDIChild ||
        sp.Form->BorderStyle() == bsDialog || sp.MenuHeight() <= 0 || !sp.CanDrawNCArea() || !manager->SkinnedPopups())
        return;
    const int lines = sp.GetLinesCount();
    const int mh = sp.MenuHeight();
    int section = sp.FMenuLineSkin.empty() ? -1 : manager->GetSkinIndex(sp.FMenuLineSkin);
    if (section < 0) section = manager->SkinCommonInfo.Sections[ssMenuLine];
    const TRect line(S.Left, TB, W - S.Right, TB + lines * mh + 1);
    if (section >= 0) PaintItem(section, MakeCacheInfo(cache), true, state, line, TPoint(0, 0), cache, manager);
    sp.MenuLineBmp->SetSize(std::max(0, W - static_cast<int>(S.Left + S.Right)), lines * mh + 1);
    BitBlt(sp.MenuLineBmp->Canvas()->Handle(), 0, 0, sp.MenuLineBmp->Width(), sp.MenuLineBmp->Height(),
           cache->Canvas()->Handle(), sp.OffsetX() - sp.BorderWidth(true), sp.OffsetY() - lines * mh - sp.BorderWidth(true) - 1,
           SRCCOPY);

    TCustomForm* child = MDISkinProvider == &sp && sp.Form->FormStyle() == fsMDIForm ? sp.Form->ActiveMDIChild() : nullptr;
    const bool maximizedChild = child && child->HandleAllocated() && IsZoomed(child->Handle());
    if (maximizedChild) {
        HICON icon = nullptr;
        if (AppIcon && !AppIcon->Empty()) icon = AppIcon->Handle();
        if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
        const int size = mh - 2;
        const int x = SysBorderWidth(wnd, sp.BorderForm, false) + S.Left + 1;
        TGdiAlphaGuard guard(cache, TRect(x, TB + 1, x + size, TB + 1 + size));
        DrawIconEx(cache->Canvas()->Handle(), x, TB + 1, icon, size, size, 0, nullptr, DI_NORMAL);
    }

    // Screen rectangles of the menu bar's items, in the window image.
    RECT wr{};
    GetWindowRect(wnd, &wr);
    TPoint shift(-wr.left, -wr.top);
    if (sp.BorderForm)
        shift = TPoint(shift.X + DiffBorder(sp.BorderForm) + S.Left,
                       shift.Y + DiffTitle(sp.BorderForm) + S.Top + (sp.FSysExHeight ? 4 : 0));
    const TOwnerDrawState odState = OwnerDrawStateFromOds(0x500);
    TsSkinProvider* previous = menus->MenuProvider;
    menus->MenuProvider = &sp;
    auto draw = [&](TMenuItem* item, TRect r) {
        item->OnAdvancedDrawItem(item, cache->Canvas(), r, odState);
        sp.LastMenuItemRect = r;
    };
    HMENU bar = GetMenu(wnd);
    for (int i = 0, pos = 0; i < menu->Items()->Count(); ++i) {
        TMenuItem* item = menu->Items()->Items(i);
        if (!item->Visible()) continue;
        const int index = pos++;
        if (!item->OnAdvancedDrawItem || !item->OnMeasureItem) menus->InitMenuLine(menu, true);
        if (!item->OnAdvancedDrawItem) continue;
        RECT r{};
        if (!bar || !GetMenuItemRect(wnd, bar, static_cast<UINT>(index), &r)) continue;
        draw(item, TRect(r.left + shift.X, r.top + shift.Y, r.right + shift.X, r.bottom + shift.Y));
    }
    if (maximizedChild && child->Menu()) {
        // The child's items follow the own ones on the same line, wrapped at the form's width.
        const int limit = W - 2 * SysBorderWidth(wnd, sp.BorderForm, false) - S.Right;
        TRect last = sp.LastMenuItemRect;
        if (last.IsEmpty()) last = TRect(S.Left + SysBorderWidth(wnd, sp.BorderForm, false), TB, S.Left, TB + mh);
        for (int i = 0; i < child->Menu()->Items()->Count(); ++i) {
            TMenuItem* item = child->Menu()->Items()->Items(i);
            if (!Mergeable(item)) continue;
            const int width = std::max<LONG>(last.Height(), 8 * static_cast<int>(item->Caption().size()) + 16);
            TRect r(last.Right, last.Top, last.Right + width, last.Bottom);
            if (r.Right > limit) r = TRect(S.Left + SysBorderWidth(wnd, sp.BorderForm, false), last.Top + mh,
                                           S.Left + SysBorderWidth(wnd, sp.BorderForm, false) + width, last.Bottom + mh);
            draw(item, r);
            last = r;
        }
    }
    menus->MenuProvider = previous;
}

// The "MDIAREA" frame over the client area of an MDI main form (step h).
void PaintMDIArea(TsSkinProvider& sp, TBitmap* cache, TsSkinManager* manager)
{
    const int section = manager->GetSkinIndex(L"MDIAREA");
    HWND wnd = FormWnd(sp);
    if (section < 0 || !wnd) return;
    RECT client{};
    GetClientRect(wnd, &client);
    TRect r(sp.OffsetX(), sp.OffsetY(), sp.OffsetX() + client.right, sp.OffsetY() + client.bottom);
    for (int i = 0; i < sp.Form->ControlCount(); ++i) {
        TControl* c = sp.Form->Controls(i);
        if (!c->Visible()) continue;
        switch (c->Align()) {
        case alTop: r.Top = std::max<LONG>(r.Top, sp.OffsetY() + c->Top() + c->Height()); break;
        case alBottom: r.Bottom = std::min<LONG>(r.Bottom, sp.OffsetY() + c->Top()); break;
        case alLeft: r.Left = std::max<LONG>(r.Left, sp.OffsetX() + c->Left() + c->Width()); break;
        case alRight: r.Right = std::min<LONG>(r.Right, sp.OffsetX() + c->Left()); break;
        default: break;
        }
    }
    if (sp.MenuPresent()) ++r.Top;
    PaintItem(section, MakeCacheInfo(cache), true, 0, r, TPoint(0, 0), cache, manager);
}

// Pixels of the corner area of a border mask that are key-coloured in the mask's first frame.
void CutCorner(TBitmap* cache, TBitmap* source, const TsMaskData& mask, TsSkinManager* manager, const TRect& area,
               bool right, bool bottom)
{
    TBitmap* master = mask.Bmp ? mask.Bmp : manager->MasterBitmap.get();
    if (!master || master->PixelFormat() != pf32bit) return;
    const int cw = right ? mask.WR : mask.WL, chh = bottom ? mask.WB : mask.WT;
    const int mx0 = mask.R.Left + (right ? mask.Width - cw : 0);
    const int my0 = mask.R.Top + (bottom ? mask.Height - chh : 0);
    const int x0 = right ? area.Right - cw : area.Left;
    const int y0 = bottom ? area.Bottom - chh : area.Top;
    for (int y = 0; y < chh; ++y) {
        const int cy = y0 + y, my = my0 + y;
        if (cy < 0 || cy >= cache->Height() || my < 0 || my >= master->Height()) continue;
        const auto dst = Row(cache, cy);
        const auto src = Row(source, cy);
        const auto m = Row(master, my);
        for (int x = 0; x < cw; ++x) {
            const int cx = x0 + x, mx = mx0 + x;
            if (cx < 0 || cx >= cache->Width() || mx < 0 || mx >= master->Width()) continue;
            if ((m[static_cast<size_t>(mx)] & 0xFFFFFF) == 0xFF00FF) dst[static_cast<size_t>(cx)] = src[static_cast<size_t>(cx)];
        }
    }
}

// The extended-border template (step i).
void PaintExtendedBorders(TsSkinProvider& sp, TBitmap* cache, const TRect& R, int TB, bool XD, bool iconicChild,
                          TacSkinData* skin, TsSkinManager* manager)
{
    TBitmap* templ = sp.FUWPMode ? sp.UWPTemplate(sp.FormActive) : sp.FormActive ? skin->ShdaTemplate.get() : skin->ShdiTemplate.get();
    sp.BorderForm->ShadowTemplate = templ;
    if (!templ || templ->Empty()) return;
    const TRect S = sp.ShadowSize();
    const TRect all(0, 0, cache->Width(), cache->Height());
    const TRect src(0, 0, templ->Width(), templ->Height());
    const TRect half((templ->Width() - 1) / 2, (templ->Height() - 1) / 2, (templ->Width() - 1) / 2, (templ->Height() - 1) / 2);
    const TsMaskData* ex = MaskAt(skin, skin->ExBorder);
    const TRect exMargins = ex ? TRect(ex->WL, ex->WT, ex->WR, ex->WB) : half;
    const int side = ex && ex->DrawMode != 0 ? 1 : 0;
    const TRect modes(side, side, side, side);
    if (sp.FUWPMode) {
        TRect client = sp.UWPClientRect();
        client = TRect(client.Left - S.Left, client.Top - S.Top, client.Right + S.Right, client.Bottom + S.Bottom);
        FillRect32Excl(cache, all, client, 0, 0);
        PaintControlByTemplate(cache, templ, all, src, half, half, TRect(), false, false);
        return;
    }
    if (XD) {
        const int bw = SysBorderWidth(FormWnd(sp), sp.BorderForm, true);
        const TRect inner(S.Left + bw, S.Top, cache->Width() - S.Right - bw, cache->Height() - S.Bottom - bw);
        PaintControlByTemplate(cache, templ, inner, src, exMargins, exMargins, modes, true, true);
        if (sp.CaptionHeight(true) != 0 && sp.CanDrawNCArea()) {
            PaintTitleLayers(sp, cache, R, TB, false, iconicChild, skin, manager);
            PaintCaptionText(sp, cache, cache->Width(), skin, manager);
        }
        return;
    }
    auto painted = CreateBmp32(cache->Width(), cache->Height());
    BitBlt(painted->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    auto shadow = CreateBmp32(cache->Width(), cache->Height());
    FillRect32(shadow.get(), all, 0, 0);
    PaintControlByTemplate(shadow.get(), templ, all, src, exMargins, exMargins, modes, true, true);
    // The frame lies over the template; only key-coloured corner pixels of the masks let it show.
    BitBlt(cache->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), shadow->Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
    for (int y = std::max<LONG>(0, R.Top); y < std::min<LONG>(cache->Height(), R.Bottom); ++y) {
        const auto dst = Row(cache, y);
        const auto src = Row(painted.get(), y);
        for (int x = std::max<LONG>(0, R.Left); x < std::min<LONG>(cache->Width(), R.Right); ++x)
            dst[static_cast<size_t>(x)] = src[static_cast<size_t>(x)];
    }
    const TsGeneralData* title = SectionAt(skin, sp.FTitleSkinIndex);
    const TsMaskData* top = title ? MaskAt(skin, title->BorderIndex) : nullptr;
    const TsGeneralData* form = SectionAt(skin, sp.FCommonData->SkinIndex);
    const TsMaskData* frame = form ? MaskAt(skin, form->BorderIndex) : nullptr;
    if (!top) top = frame;
    if (top) {
        CutCorner(cache, shadow.get(), *top, manager, R, false, false);
        CutCorner(cache, shadow.get(), *top, manager, R, true, false);
    }
    if (frame) {
        CutCorner(cache, shadow.get(), *frame, manager, R, false, true);
        CutCorner(cache, shadow.get(), *frame, manager, R, true, true);
    }
}

bool GripShown(TsSkinProvider& sp)
{
    HWND wnd = FormWnd(sp);
    return sp.FGripMode == gmRightBottom && wnd && !IsZoomed(wnd) &&
           ((GetWindowLongW(wnd, GWL_STYLE) & WS_THICKFRAME) || (sp.FUWPMode && sp.FluentBorderStyle == bsSizeable));
}

// The form's paint event into the cache at the client offset (step 7).
void RunPaintEvent(TsSkinProvider& sp, TBitmap* cache)
{
    TCanvas* canvas = sp.Form->Canvas();
    HDC dc = cache->Canvas()->Handle();
    canvas->SetHandle(dc);
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, sp.OffsetX(), sp.OffsetY(), nullptr);
    canvas->Lock();
    sp.FFormState |= FS_MOVEBLEND;
    try {
        sp.Form->OnPaint(sp.Form);
    } catch (...) {
        sp.FFormState &= ~FS_MOVEBLEND;
        canvas->Unlock();
        RestoreDC(dc, saved);
        canvas->SetHandle(nullptr);
        throw;
    }
    sp.FFormState &= ~FS_MOVEBLEND;
    canvas->Unlock();
    RestoreDC(dc, saved);
    canvas->SetHandle(nullptr);
}

} // namespace

bool TsSkinProvider::PaintAll()
{
    if (!Form || !FCommonData) return true;
    if (Form->ControlState().Contains(csCreating)) return true;
    if ((FFormState & FS_IMAGETAKEN) || ((FFormState & FS_MOVEBLEND) && !(FFormState & FS_VCLSCALING))) return true;
    if (FCommonData->SkinIndex < 0) return true;
    HWND wnd = FormWnd(*this);
    TsSkinManager* manager = ManagerOf(*this);
    TacSkinData* skin = FCommonData->GetCommonSkinData();
    if (!wnd || !manager || !skin) return true;
    if (DoReinit) {
        DoReinit = false;
        InitSysParams();
        FLinesCount = -1;
        MenuChanged = true;
        FCommonData->BGChanged = true;
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, 0x737);
    }
    LastMenuItemRect = TRect();
    const int BH = BorderHeight(true);
    const int CH = CaptionHeight(true);
    const TRect S = ShadowSize();
    const int TB = CH + BH + S.Top;
    const int W = CaptionWidth();
    const bool iconicChild = IsIconic(wnd) && !IsMainForm(*this);
    int H = Form->Height();
    if (iconicChild) H = TB - S.Top + 2;
    if (BorderForm) H += DiffTitle(BorderForm) + DiffBorder(BorderForm) + S.Top + S.Bottom;
    const int state = StateOf(skin, FCommonData->SkinIndex, FormActive);
    const bool XD = BorderForm && skin->ExDrawMode == 1;
    if (!FCommonData->FCacheBmp) {
        FCommonData->FCacheBmp = CreateBmp32(W, H);
    } else {
        FCommonData->FCacheBmp->SetPixelFormat(pf32bit);
        FCommonData->FCacheBmp->SetSize(W, H);
    }
    TBitmap* cache = FCommonData->FCacheBmp.get();
    if (Form->FormStyle() == fsMDIForm && MenuChanged) {
        TCustomForm* child = Form->ActiveMDIChild();
        if (child && child->HandleAllocated() && IsZoomed(child->Handle()) && child->FormState().Contains(fsShowing)) return true;
    }
    const TRect R = FUWPMode ? UWPClientRect() : TRect(S.Left, S.Top, W - S.Right, H - S.Bottom);
    if (FCommonData->BGChanged) {
        const bool blur = FSystemBlur && FSystemBlur->Active();
        if (blur) FillRect32(cache, TRect(0, 0, W, H), 0, 0);
        CalcItems();
        const TPoint offset(OffsetX(), OffsetY());
        TCacheInfo ci = EmptyCI;
        if (TWinControl* parent = Form->Parent()) {
            TacBGInfo bg;
            GetBGInfo(bg, parent);
            if (bg.BgType == btNotReady) {
                FCommonData->FUpdating = true;
                return false;
            }
            ci = GetParentCache(FCommonData.get());
        }
        const TsGeneralData* gd = SectionAt(skin, FCommonData->SkinIndex);
        if (!blur && gd) {
            const TPoint pos(Form->Left(), Form->Top());
            if (gd->ImgTL >= 0 && !FUWPMode && (HasOwnFrame() || (Form->Parent() && !XD))) {
                PaintItem(FCommonData->SkinIndex, ci, true, state, R, pos, cache, manager);
            } else {
                PaintItemBG(FCommonData->SkinIndex, ci, state, R, pos, cache, skin, -1, -1,
                            FCommonData->FCustomColor ? Form->Color() : sFuchsia);
                const TCacheInfo self = MakeCacheInfo(cache);
                auto corner = [&](int index, bool right, bool bottom) {
                    const TsMaskData* m = MaskAt(skin, index);
                    if (!m) return;
                    const TPoint p(right ? R.Right - m->Width : R.Left, bottom ? R.Bottom - m->Height : R.Top);
                    DrawSkinGlyph(cache, p, state, 1, *m, self);
                };
                corner(gd->ImgTL, false, false);
                corner(gd->ImgTR, true, false);
                corner(gd->ImgBL, false, true);
                corner(gd->ImgBR, true, true);
            }
        }
        const bool title = CH != 0 && CanDrawNCArea() && !FUWPMode;
        if (title && !XD) PaintTitleLayers(*this, cache, R, TB, true, iconicChild, skin, manager);
        PaintMenuLine(*this, cache, W, TB, S, state, manager);
        if (title && !BorderForm) PaintCaptionText(*this, cache, W, skin, manager);
        if (Form->FormStyle() == fsMDIForm && MDIForm) PaintMDIArea(*this, cache, manager);
        if (BorderForm) PaintExtendedBorders(*this, cache, R, TB, XD, iconicChild, skin, manager);
        if (GripShown(*this) && manager->IsValidImgIndex(skin->GripRightBottom)) {
            TPoint p;
            RBGripPoint(skin->GripRightBottom, p);
            DrawSkinGlyph(cache, p, 0, 1, skin->ma[static_cast<size_t>(skin->GripRightBottom)], MakeCacheInfo(cache));
        }
        if (title) {
            SaveBGForBtns(W, true);
            PaintTitleContent(W);
        }
        MenuChanged = false;
        FCommonData->BGChanged = false;
        if (Form->OnPaint) {
            if (IsIconic(wnd)) {
                FirstInitialized = true;
                FCommonData->BGChanged = true;
                FCommonData->FUpdating = false;
                return true;
            }
            RunPaintEvent(*this, cache);
        }
        if (UWPNoBorderMode() && (GetWindowLongW(wnd, GWL_STYLE) & WS_THICKFRAME)) {
            const TRect client = UWPClientRect();
            FillDCBorder32(cache, client, 2, 2, 2, 2, manager->Palette[pcBorder]);
            FillRect32Excl(cache, TRect(0, 0, W, H), client, 0, 0);
        }
        FCommonData->PaintOuterEffects(Form, offset);
        FirstInitialized = true;
        FCommonData->BGChanged = false;
    }
    if (!Form->Parent()) FCommonData->FUpdating = false;
    return true;
}

bool TsSkinProvider::HasTitleImage() const
{
    if (!FCommonData) return false;
    const TacSkinData* skin = FCommonData->GetCommonSkinData();
    const TsGeneralData* gd = SectionAt(skin, FTitleSkinIndex);
    return gd && (gd->Props[0].TextureIndex >= 0 || MaskAt(skin, gd->BorderIndex));
}

void PaintTitleIcon(TsSkinProvider* Provider)
{
    if (!Provider || !Provider->IconVisible()) return;
    TBitmap* cache = Provider->CacheBmp();
    if (!cache || cache->Empty()) return;
    const TRect IR = Provider->FIconRect;
    TBitmap* source = Provider->FTitleIcon->Glyph();
    if (source && !source->Empty()) {
        // Worked on a copy: the title icon's glyph keeps what the application gave it.
        TBitmap glyph;
        glyph.Assign(source);
        if (glyph.PixelFormat() != pf32bit) {
            glyph.SetPixelFormat(pf32bit);
            for (int y = 0; y < glyph.Height(); ++y)
                for (std::uint32_t& px : Row(&glyph, y))
                    px = (px & 0xFFFFFF) == 0xFF00FF ? 0x00FF00FFu : (px | 0xFF000000u);
        }
        glyph.SetTransparent(true);
        glyph.SetTransparentColor(static_cast<TColor>(0xFF00FF));
        int w = Provider->FTitleIcon->Width ? Provider->FTitleIcon->Width : glyph.Width();
        int h = Provider->FTitleIcon->Height ? Provider->FTitleIcon->Height : glyph.Height();
        if (ManagerOf(*Provider)) {
            w = ScaleInt(w, Provider->FCommonData.get());
            h = ScaleInt(h, Provider->FCommonData.get());
        }
        if (w != glyph.Width() && h != glyph.Height())
            DrawBmp(cache->Canvas(), &glyph, TRect(IR.Left, IR.Top, IR.Left + w, IR.Top + h), false);
        else
            CopyByMask(TRect(IR.Left, IR.Top, IR.Left + glyph.Width(), IR.Top + glyph.Height()),
                       TRect(0, 0, glyph.Width(), glyph.Height()), cache, &glyph, EmptyCI, false);
        return;
    }
    TGdiAlphaGuard guard(cache, IR);
    HDC dc = cache->Canvas()->Handle();
    // Neither the form nor the application carries an icon of its own here: the library's
    // program icons come next, then the system's.
    int w = Provider->FTitleIcon->Width ? Provider->FTitleIcon->Width : std::max<int>(10, IR.Width());
    int h = Provider->FTitleIcon->Height ? Provider->FTitleIcon->Height : std::max<int>(10, IR.Height());
    TIcon* icon = h > 16 && AppIconLarge && !AppIconLarge->Empty() ? AppIconLarge.get()
                  : AppIcon && !AppIcon->Empty()                    ? AppIcon.get()
                                                                    : nullptr;
    if (icon)
        DrawIconEx(dc, IR.Left, IR.Top, icon->Handle(), w, h, 0, nullptr, DI_NORMAL);
    else
        DrawIconEx(dc, IR.Left, IR.Top, LoadIconW(nullptr, IDI_APPLICATION), IR.Width(), IR.Height(), 0, nullptr, DI_NORMAL);
}

void PaintClientGrip(HDC DC, TsSkinProvider* Provider)
{
    TsSkinManager* manager = Provider ? ManagerOf(*Provider) : nullptr;
    TacSkinData* skin = Provider && Provider->FCommonData ? Provider->FCommonData->GetCommonSkinData() : nullptr;
    TBitmap* cache = Provider ? Provider->CacheBmp() : nullptr;
    if (!manager || !skin || !cache || !manager->IsValidImgIndex(skin->GripRightBottom)) return;
    const TsMaskData& mask = skin->ma[static_cast<size_t>(skin->GripRightBottom)];
    auto B = CreateBmp32(mask.Width, mask.Height);
    TPoint P;
    Provider->RBGripPoint(skin->GripRightBottom, P);
    HDC cacheDC = cache->Canvas()->Handle();
    HDC bdc = B->Canvas()->Handle();
    cache->Canvas()->Lock();
    TacBGInfo bg;
    GetBGInfo(bg, Provider->Form);
    if (bg.BgType == btCache) {
        BitBlt(bdc, 0, 0, B->Width(), B->Height(), cacheDC, P.X, P.Y, SRCCOPY);
    } else {
        FillDC(bdc, TRect(0, 0, B->Width(), B->Height()), bg.Color);
        const TsGeneralData* gd = SectionAt(skin, Provider->FCommonData->SkinIndex);
        const TsMaskData* frame = gd ? MaskAt(skin, gd->BorderIndex) : nullptr;
        const int bw = Provider->SysBorderWidth();
        const TRect S = Provider->ShadowSize();
        const int W = cache->Width(), H = cache->Height();
        if (frame && frame->WR - bw > 0 && frame->WB - bw > 0) {
            const int rw = frame->WR - bw, bh = frame->WB - bw;
            BitBlt(bdc, B->Width() - rw, 0, rw, B->Height(), cacheDC, W - frame->WR - S.Right, H - bw - B->Height() - S.Bottom, SRCCOPY);
            BitBlt(bdc, 0, B->Height() - bh, B->Width(), bh, cacheDC, W - bw - B->Width() - S.Right, H - frame->WB - S.Bottom, SRCCOPY);
        }
    }
    cache->Canvas()->Unlock();
    DrawSkinGlyph(B.get(), TPoint(0, 0), 0, 1, mask, MakeCacheInfo(B.get()));
    BitBlt(DC, P.X, P.Y, B->Width(), B->Height(), bdc, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Setters that ask for a new image

void TsSkinProvider::SetSkinSection(int Index, const UnicodeString& Value)
{
    if (Index != 0) {
        FMenuLineSkin = Value;
        if (IsDesigning(this) && Form && Form->HandleAllocated()) InvalidateRect(Form->Handle(), nullptr, TRUE);
        return;
    }
    if (FTitleSkin == Value) return;
    FTitleSkin = Value;
    FTitleSkinIndex = -1;
    if (FCommonData) FCommonData->BGChanged = true;
    InitIndexes();
    if (IsDesigning(this) || !Form || !Form->HandleAllocated() || !IsWindowVisible(Form->Handle())) return;
    if (BorderForm)
        UpdateExBordersPos(true, 255);
    else
        ProcessMessage(WM_NCPAINT);
}

void TsSkinProvider::SetResizeMode(TsResizeMode) { FResizeMode = rmStandard; }

void TsSkinProvider::SetBoolean(int Index, bool Value)
{
    const bool loadingOrDesign = IsLoading(this) || IsDesigning(this) || (Form && IsLoading(Form));
    HWND wnd = FormWnd(*this);
    switch (Index) {
    case 0:
        if (FAllowExtBorders == Value) return;
        FAllowExtBorders = Value;
        if (loadingOrDesign) return;
        InitExBorders(true);
        if (FCommonData) FCommonData->BGChanged = true;
        if (wnd) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
        UpdateRgn(this, true, false);
        return;
    case 1:
        if (FDrawNonClientArea == Value) return;
        FDrawNonClientArea = Value;
        UpdateNCArea(Value);
        return;
    case 2:
        if (FShowAppIcon == Value) return;
        FShowAppIcon = Value;
        if (IsDesigning(this)) return;
        if (FCommonData) FCommonData->BGChanged = true;
        if (wnd && IsWindowVisible(wnd)) UpdateSkinCaption();
        return;
    case 3:
        if (FUseGlobalColor == Value) return;
        FUseGlobalColor = Value;
        if (Value && Form && FCommonData && FCommonData->Skinned() && !FCommonData->FCustomColor)
            if (TsSkinManager* manager = ManagerOf(*this)) Form->SetColor(manager->GetGlobalColor());
        return;
    case 4:
        if (FUWPMode == Value) return;
        FUWPMode = Value;
        // FluentUWPMode is left alone: the blur saves the mode there before it switches the mode
        // on, and gives it back from there.
        if (FFormState & FS_BLURSTYLING) return;
        if (loadingOrDesign) {
            if (!Value && FSystemBlur) FSystemBlur->FActive = false;
            return;
        }
        // Through the blur's own switch, which gives the form its border style back.
        if (!Value && FSystemBlur && FSystemBlur->Active()) FSystemBlur->SetActive(false);
        UpdateUWPMode();
        if (!Value && Form && Form->BorderStyle() == bsNone && FluentBorderStyle != bsNone) {
            Form->SetBorderStyle(FluentBorderStyle);
            FluentBorderStyle = bsNone;
            CheckSysMenu(true);
        }
        return;
    default: return;
    }
}
