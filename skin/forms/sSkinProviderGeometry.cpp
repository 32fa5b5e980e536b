// Non-client geometry of a skinned form: system metrics at the form's density, frame and caption
// sizes, where the client area lies in the window image, the title items' layout and the hit
// code of every point of the frame.
#include "sSkinProvider.h"

#include "acntUtils.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sSkinProviderInternal.h"
#include "sVclUtils.h"

#include <windows.h>

#include <algorithm>

using namespace provider_detail;

namespace {

using TGetSystemMetricsForDpi = int(WINAPI*)(int, UINT);
TGetSystemMetricsForDpi getSystemMetricsForDpi = nullptr;

HWND FormWnd(const TsSkinProvider& sp)
{
    return sp.Form && sp.Form->HandleAllocated() ? sp.Form->Handle() : nullptr;
}

LONG Style(HWND wnd) { return wnd ? GetWindowLongW(wnd, GWL_STYLE) : 0; }

TacSkinData* SkinOf(TsCommonData* data) { return data ? data->GetCommonSkinData() : nullptr; }

const TsMaskData* ValidMask(const TacSkinData* skin, int index)
{
    if (!skin || index < 0 || index >= static_cast<int>(skin->ma.size())) return nullptr;
    return &skin->ma[static_cast<size_t>(index)];
}

bool IsMaximized(HWND wnd) { return wnd && IsZoomed(wnd); }
bool IsMinimized(HWND wnd) { return wnd && IsIconic(wnd); }

// The framework's windowed controls have no inner border: the form's BorderWidth is 0.
constexpr int kFormBorderWidth = 0;

int HScrollHeight(const TsSkinProvider& sp, HWND wnd)
{
    return sp.ListSW && (Style(wnd) & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0;
}
int VScrollWidth(const TsSkinProvider& sp, HWND wnd)
{
    return sp.ListSW && (Style(wnd) & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
}

bool Contains(const TRect& r, POINT p) { return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom; }

bool IsMainForm(const TsSkinProvider& sp) { return Application && sp.Form && Application->MainForm() == sp.Form; }

} // namespace

// ---------------------------------------------------------------------------------------------
// Unit routines

int ac_GetSysMetrics(int Index, int PPI)
{
    if (!getSystemMetricsForDpi) {
        if (HMODULE user = GetModuleHandleW(L"user32.dll"))
            getSystemMetricsForDpi =
                reinterpret_cast<TGetSystemMetricsForDpi>(reinterpret_cast<void*>(GetProcAddress(user, "GetSystemMetricsForDpi")));
    }
    if (getSystemMetricsForDpi && PPI > 0) return getSystemMetricsForDpi(Index, static_cast<UINT>(PPI));
    return GetSystemMetrics(Index);
}

int SkinBorderWidth(TacBorderForm* BorderForm)
{
    if (!BorderForm || !BorderForm->SkinData || !BorderForm->SkinData->GetSkinManager()) return 0;
    const TacSkinData* skin = SkinOf(BorderForm->SkinData);
    return skin ? skin->ExBorderWidth : 0;
}

int SkinTitleHeight(TacBorderForm* BorderForm)
{
    if (!BorderForm || !BorderForm->SkinData) return 0;
    const TacSkinData* skin = SkinOf(BorderForm->SkinData);
    if (!skin) return 0;
    const bool maximized = BorderForm->sp && IsMaximized(FormWnd(*BorderForm->sp));
    return maximized ? skin->ExMaxHeight : skin->ExTitleHeight;
}

int SysBorderWidth(HWND Wnd, TacBorderForm* BorderForm, bool Ask)
{
    if (Ask) {
        if (const int w = SkinBorderWidth(BorderForm)) return w;
    }
    const LONG style = Style(Wnd);
    const bool withManager = BorderForm && BorderForm->SkinData && BorderForm->SkinData->GetSkinManager();
    if (style & WS_THICKFRAME) {
        const int answer = static_cast<int>(SendAMessage(Wnd, AC_GETBORDERWIDTH, 1));
        return withManager ? answer : answer + (BorderForm && IsWin8Up() ? 4 : 0);
    }
    if (style & WS_BORDER) return static_cast<int>(SendAMessage(Wnd, AC_GETBORDERWIDTH, 2));
    return static_cast<int>(SendAMessage(Wnd, AC_GETBORDERWIDTH, 3));
}

int SysBorderHeight(HWND Wnd, TacBorderForm* BorderForm, bool Ask)
{
    return BorderForm ? 0 : SysBorderWidth(Wnd, BorderForm, Ask);
}

int SysCaptHeight(TsSkinProvider* provider, int PPI)
{
    if (!provider || !provider->Form) return ac_GetSysMetrics(SM_CYCAPTION, PPI);
    HWND wnd = FormWnd(*provider);
    const bool iconic = IsMinimized(wnd);
    int index = SM_CYCAPTION;
    switch (provider->Form->BorderStyle()) {
    case bsDialog: index = IsWin10Up() && !iconic ? SM_CYSMCAPTION : SM_CYCAPTION; break;
    case bsToolWindow:
    case bsSizeToolWin: index = iconic ? SM_CYCAPTION : SM_CYSMCAPTION; break;
    default: break;
    }
    return ac_GetSysMetrics(index, PPI ? PPI : GetPPI(provider->FCommonData.get()));
}

void SkinMenuOffset(TsSkinProvider* Provider, TPoint& P)
{
    P = TPoint(0, 0);
    if (!Provider || !Provider->BorderForm) return;
    HWND wnd = FormWnd(*Provider);
    TacBorderForm* bf = Provider->BorderForm;
    P.X = SysBorderWidth(wnd, bf, true) - SysBorderWidth(wnd, bf, false);
    P.Y = Provider->CaptionHeight(true) - Provider->SysCaptHeight() + SysBorderHeight(wnd, bf, true) -
          SysBorderHeight(wnd, bf, false);
}

int DiffTitle(TacBorderForm* BorderForm)
{
    if (!BorderForm || !BorderForm->sp) return 0;
    TsSkinProvider& sp = *BorderForm->sp;
    return sp.CaptionHeight(true) - sp.CaptionHeight(false) - SysBorderWidth(FormWnd(sp), BorderForm, false);
}

int DiffBorder(TacBorderForm* BorderForm)
{
    if (!BorderForm || !BorderForm->sp) return 0;
    HWND wnd = FormWnd(*BorderForm->sp);
    return SysBorderWidth(wnd, BorderForm, true) - SysBorderWidth(wnd, BorderForm, false);
}

bool IsBorderUnchanged(int MaskIndex, const TacSkinData* SkinData)
{
    if (MaskIndex < 0) return true;
    const TsMaskData* mask = ValidMask(SkinData, MaskIndex);
    return mask && mask->ImageCount == 1;
}

bool ExtBordersNeeded(TsSkinProvider* sp, bool Flag)
{
    if (!sp || !sp->FCommonData || !SkinOf(sp->FCommonData.get())) return false;
    TsSkinManager* manager = ManagerOf(*sp);
    if (!manager || !manager->ExtendedBorders() || !sp->AllowExtBorders()) return false;
    const bool maximized = IsMaximized(FormWnd(*sp));
    if (manager->Options()->GetBool(2) && maximized) return false;
    if (!sp->UWPMode()) return true;
    return !Flag && !maximized;
}

int SnapDelta(int Value, int Edge, int Buffer)
{
    return Value > Edge - Buffer && Value < Edge + Buffer ? Value - Edge : 0;
}

TWinControl* FindControlByDlgID(int ID, TComponent* Component)
{
    if (!Component) return nullptr;
    for (int i = 0; i < Component->ComponentCount(); ++i) {
        TComponent* c = Component->Components(i);
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated() && GetDlgCtrlID(w->Handle()) == ID)
            return w;
        if (TWinControl* found = FindControlByDlgID(ID, c)) return found;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Provider measures

void TsSkinProvider::InitSysParams(int PPI)
{
    CYCaption = -1;
    CYCaption = ::SysCaptHeight(this, PPI);
    const int ppi = PPI ? PPI : GetPPI(FCommonData.get());
    CXSizeFrame = ac_GetSysMetrics(SM_CXSIZEFRAME, ppi);
    CXFixedFrame = ac_GetSysMetrics(SM_CXFIXEDFRAME, ppi);
    CXPaddedBorder = ac_GetSysMetrics(SM_CXPADDEDBORDER, ppi);
}

int TsSkinProvider::SizeFrame()
{
    CXSizeFrame = ac_GetSysMetrics(SM_CXSIZEFRAME, GetPPI(FCommonData.get()));
    return CXSizeFrame;
}

int TsSkinProvider::FixedFrame()
{
    CXFixedFrame = ac_GetSysMetrics(SM_CXFIXEDFRAME, GetPPI(FCommonData.get()));
    return CXFixedFrame;
}

int TsSkinProvider::FramePadding()
{
    if (!Form || (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin)) return 0;
    return ac_GetSysMetrics(SM_CXPADDEDBORDER, GetPPI(FCommonData.get()));
}

int TsSkinProvider::MenuHeight()
{
    if (!Form || !FormHasMainMenu(*this) || Form->FormStyle() == fsMDIChild || Form->BorderStyle() == bsDialog) return 0;
    return ac_GetSysMetrics(SM_CYMENU, GetPPI(FCommonData.get())) - 1;
}

bool TsSkinProvider::HasOwnFrame()
{
    return Form && (Form->BorderStyle() != bsNone || (Style(FormWnd(*this)) & WS_CHILD) || SysBlurActive() ||
                    FluentBorderStyle != bsNone);
}

int TsSkinProvider::BorderWidth(bool Ask) { return ::SysBorderWidth(FormWnd(*this), BorderForm, Ask) + kFormBorderWidth; }

int TsSkinProvider::BorderHeight(bool Ask) { return SysBorderHeight(FormWnd(*this), BorderForm, Ask) + kFormBorderWidth; }

int TsSkinProvider::CaptionHeight(bool Ask)
{
    HWND wnd = FormWnd(*this);
    if (!IsMinimized(wnd) && (!HasOwnFrame() || (Style(wnd) & WS_CAPTION) != WS_CAPTION)) return 0;
    const int h = Ask ? ::SkinTitleHeight(BorderForm) : 0;
    if (FSysExHeight) return std::max(h, SysCaptHeight() + 4);
    return h ? h : SysCaptHeight();
}

int TsSkinProvider::ActualTitleHeight(bool Ask)
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    if (!skin) return 0;
    if (Ask || (skin->ExMaxHeight != 0 && IsMaximized(FormWnd(*this)))) return skin->ExMaxHeight;
    return skin->ExTitleHeight;
}

int TsSkinProvider::HeaderHeight()
{
    HWND wnd = FormWnd(*this);
    if (!wnd) return 0;
    if (BorderForm) return SysBorderHeight(wnd, BorderForm, false) + CaptionHeight(true);
    int result = GetWindowHeight(wnd) - GetClientHeight(wnd);
    if (CaptionHeight(true) != 0 || (Style(wnd) & WS_BORDER)) result -= BorderHeight(true);
    result = std::max(result, 0);
    if (IsMinimized(wnd)) result += SysBorderHeight(wnd, BorderForm, false);
    if (FCommonData && FCommonData->Skinned()) result -= HScrollHeight(*this, wnd);
    return result;
}

int TsSkinProvider::CaptionWidth()
{
    const TRect s = ShadowSize();
    HWND wnd = FormWnd(*this);
    if (IsMinimized(wnd) && !IsMainForm(*this)) return s.Left + s.Right + 160;
    return (Form ? Form->Width() : 0) + (BorderForm ? 2 * DiffBorder(BorderForm) : 0) + s.Left + s.Right;
}

int TsSkinProvider::GetTopCoord()
{
    const bool maximized = IsMaximized(FormWnd(*this));
    if (!BorderForm) return maximized ? 6 : 0;
    const TacSkinData* skin = SkinOf(FCommonData.get());
    return ShadowSize().Top + (maximized ? 4 : skin ? skin->BITopMargin : 0);
}

TRect TsSkinProvider::ShadowSize()
{
    if (!BorderForm) return {};
    if (FUWPMode) {
        if (!UWPTemplates[1]) UWPTemplate(true);
        return UWPShadowSize;
    }
    const TacSkinData* skin = SkinOf(FCommonData.get());
    return skin ? skin->FormShadowSize : TRect();
}

int TsSkinProvider::OffsetX()
{
    HWND wnd = FormWnd(*this);
    if (BorderForm) return BorderWidth(true) + ShadowSize().Left;
    if (!wnd) return 0;
    return (GetWindowWidth(wnd) - GetClientWidth(wnd) - VScrollWidth(*this, wnd)) / 2;
}

int TsSkinProvider::OffsetY()
{
    HWND wnd = FormWnd(*this);
    if (!BorderForm) {
        if (!wnd) return 0;
        return GetWindowHeight(wnd) - GetClientHeight(wnd) - ((Style(wnd) & WS_BORDER) ? BorderWidth(true) : 0) -
               HScrollHeight(*this, wnd);
    }
    const int menu = MenuHeight();
    return CaptionHeight(true) + GetLinesCount() * menu + kFormBorderWidth + ShadowSize().Top + (menu != 0 ? 1 : 0);
}

void TsSkinProvider::FormLeftTop(TPoint& P)
{
    HWND wnd = FormWnd(*this);
    P = TPoint(0, 0);
    if (!wnd) return;
    if (Form->FormStyle() != fsMDIChild) {
        RECT r{};
        GetWindowRect(wnd, &r);
        P = TPoint(r.left, r.top);
        return;
    }
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    P.X = origin.x - ::SysBorderWidth(wnd, BorderForm, true);
    P.Y = origin.y - SysBorderHeight(wnd, BorderForm, true) - (IsMinimized(wnd) ? 0 : CaptionHeight(true));
}

void TsSkinProvider::CursorToPoint(int X, int Y, TPoint& P)
{
    TPoint lt;
    FormLeftTop(lt);
    P = TPoint(X - lt.X, Y - lt.Y);
}

int TsSkinProvider::GetLinesCount()
{
    if (FLinesCount >= 0) return FLinesCount;
    HWND wnd = FormWnd(*this);
    if (!wnd || !Form->Menu() || Form->FormStyle() == fsMDIChild) return 0;
    RECT item{}, client{}, window{};
    GetMenuItemRect(wnd, Form->Menu()->Handle(), 0, &item);
    GetClientRect(wnd, &client);
    GetWindowRect(wnd, &window);
    const int avail = window.top + (window.bottom - window.top) - (client.bottom - client.top) - BorderHeight(false) -
                      ((Style(wnd) & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0) - 2 * kFormBorderWidth;
    int lines = 1;
    const int step = ac_GetSysMetrics(SM_CYMENU, GetPPI(FCommonData.get())) - 2;
    if (item.bottom < avail && step > 0) lines = 1 + (avail - item.bottom) / step;
    FLinesCount = lines;
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Buttons

int TsSkinProvider::ButtonHeight()
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    const TsMaskData* mask = skin ? ValidMask(skin, skin->TitleGlyphs[tgClose]) : nullptr;
    return mask ? mask->Height : 21;
}

int TsSkinProvider::SysButtonWidth(const TsCaptionButton& Button)
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    const int glyph = Button.cpGlyphType;
    const TsMaskData* mask =
        skin && glyph >= 0 && glyph < static_cast<int>(skin->TitleGlyphs.size()) ? ValidMask(skin, skin->TitleGlyphs[glyph]) : nullptr;
    return mask ? mask->Width : 21;
}

int TsSkinProvider::SmallButtonWidth()
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    const TsMaskData* mask = skin ? ValidMask(skin, skin->TitleGlyphs[tgSmallClose]) : nullptr;
    return mask ? mask->Width : 16;
}

int TsSkinProvider::SmallButtonHeight()
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    const TsMaskData* mask = skin ? ValidMask(skin, skin->TitleGlyphs[tgSmallClose]) : nullptr;
    return mask ? mask->Height : 16;
}

int TsSkinProvider::UserButtonWidth(const TsTitleButton* TitleButton)
{
    const TBitmap* glyph = TitleButton ? TitleButton->Glyph() : nullptr;
    const int g = glyph && glyph->Width() > 0 ? glyph->Width() + 2 : 0;
    const TsMaskData* mask = ValidMask(SkinOf(FCommonData.get()), UserBtnIndex);
    return std::max(g, mask ? mask->Width : 21);
}

bool TsSkinProvider::HaveSysMenu() { return Form && Form->BorderIcons().Contains(biSystemMenu); }

int TsSkinProvider::SysButtonsCount()
{
    if (!SystemMenu || !HaveSysMenu()) return 0;
    return 1 + (SystemMenu->VisibleMax() ? 1 : 0) + (SystemMenu->VisibleMin() ? 1 : 0) +
           (Form->BorderIcons().Contains(biHelp) ? 1 : 0);
}

int TsSkinProvider::TitleBtnsWidth()
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    if (!skin) return 0;
    const int spacing = BigButtons ? skin->BISpacing : 0;
    int width = skin->BIRightMargin;
    if (SystemMenu && HaveSysMenu()) {
        width += SysButtonWidth(ButtonClose);
        if (SystemMenu->VisibleMax()) width += SysButtonWidth(ButtonMax) + spacing;
        if (SystemMenu->VisibleMin()) width += SysButtonWidth(ButtonMin) + spacing;
        if (Form->BorderIcons().Contains(biHelp)) width += SysButtonWidth(ButtonHelp) + spacing;
    }
    if (FTitleButtons && FTitleButtons->Count() > 0) {
        width += skin->Spacing;
        for (int i = 0; i < FTitleButtons->Count(); ++i) width += UserButtonWidth(FTitleButtons->Items(i)) + spacing;
    }
    return width;
}

int TsSkinProvider::BarWidth(int MaskIndex)
{
    const TsMaskData* mask = ValidMask(SkinOf(FCommonData.get()), MaskIndex);
    return 2 * (mask ? mask->Width : 0) + TitleBtnsWidth();
}

bool TsSkinProvider::IconVisible()
{
    HWND wnd = FormWnd(*this);
    return FTitleIcon && FTitleIcon->Visible() && Form &&
           (Form->BorderStyle() == bsSingle || Form->BorderStyle() == bsSizeable) && FShowAppIcon && wnd &&
           GetSystemMenu(wnd, FALSE) != nullptr;
}

TPoint TsSkinProvider::IconSize()
{
    if (!IconVisible()) return TPoint(0, 0);
    const TacSkinData* skin = SkinOf(FCommonData.get());
    const int c = CaptionHeight(true) - (skin ? skin->BITopMargin : 0);
    const int bySize = c >= -100 && c < 48 ? 16 : c >= 48 && c <= 64 ? 24 : 32;
    const int ppi = GetPPI(FCommonData.get());
    const TBitmap* glyph = FTitleIcon->Glyph();
    const int w = FTitleIcon->Width ? FTitleIcon->Width : glyph && glyph->Width() ? glyph->Width() : bySize;
    const int h = FTitleIcon->Height ? FTitleIcon->Height : glyph && glyph->Height() ? glyph->Height() : bySize;
    return TPoint(MulDiv(w, ppi, 96), MulDiv(h, ppi, 96));
}

bool TsSkinProvider::SysRTLAllowed()
{
    TsSkinManager* manager = ManagerOf(*this);
    return Form && Form->BiDiMode() == bdRightToLeft && manager && manager->ButtonsOptions()->AllowRTLSysButtons;
}

void TsSkinProvider::RBGripPoint(int MaskIndex, TPoint& P)
{
    P = TPoint(0, 0);
    const TBitmap* cache = CacheBmp();
    const TsMaskData* mask = ValidMask(SkinOf(FCommonData.get()), MaskIndex);
    if (!cache || !mask) return;
    const TRect s = ShadowSize();
    const int b = ::SysBorderWidth(FormWnd(*this), BorderForm, true);
    P.X = cache->Width() - mask->Width - b - s.Right - 1;
    P.Y = cache->Height() - mask->Height - b - s.Bottom - 1;
}

// ---------------------------------------------------------------------------------------------
// Title layout

void TsSkinProvider::CalcItems()
{
    HWND wnd = FormWnd(*this);
    const TacSkinData* skin = SkinOf(FCommonData.get());
    if (!wnd || !skin) return;
    const bool maximized = IsMaximized(wnd);
    const bool rtl = SysRTLAllowed();
    const TRect shadow = ShadowSize();
    const int sysBorder = ::SysBorderWidth(wnd, BorderForm, true);
    // Step 1.
    int left = sysBorder;
    int right = CaptionWidth() - std::max(4, sysBorder);
    int top = 0;
    // Step 2.
    if (!BorderForm) {
        VCenter = CaptionHeight(true) / 2;
        top = maximized ? SizeFrame() - 1 : 0;
        FHeaderHeight = SysBorderHeight(wnd, BorderForm, true) + CaptionHeight(true) + shadow.Top;
        VCenter += sysBorder / 2;
    } else {
        top = GetTopCoord();
        FHeaderHeight = CaptionHeight(true) + shadow.Top;
        VCenter = FHeaderHeight - ActualTitleHeight(false) / 2;
        if (!(maximized && skin->ExTitleHeight != skin->ExMaxHeight)) VCenter += skin->ExCenterOffs;
        left += shadow.Left + skin->BILeftMargin;
        right -= shadow.Right + skin->BIRightMargin;
    }
    if (maximized) VCenter += 2;
    // Step 3: the icon.
    const bool icon = IconVisible();
    const TPoint iconSize = IconSize();
    FIconRect.Top = VCenter - iconSize.Y / 2;
    FIconRect.Bottom = FIconRect.Top + iconSize.Y;
    int freeLeft = left;
    if (!rtl) {
        FIconRect.Left = left + (BorderForm && icon ? skin->Spacing : 0);
        FIconRect.Right = FIconRect.Left + iconSize.X;
        freeLeft = FIconRect.Right + (icon ? skin->Spacing : 0);
    } else {
        FIconRect.Right = right;
        right -= iconSize.X;
        FIconRect.Left = right;
        freeLeft = left;
    }
    // Steps 4-6: the buttons, from the right end (from the left end right to left).
    const int spacing = BigButtons ? skin->BISpacing : 0;
    int end = rtl ? freeLeft : right;
    auto place = [&](TsCaptionButton& button, int width) {
        if (!rtl) {
            button.cpRect.Right = end;
            button.cpRect.Left = end - width;
            end -= width + spacing;
        } else {
            button.cpRect.Left = end;
            button.cpRect.Right = end + width;
            end += width + spacing;
        }
        const bool aligned = button.cpHaveAlignment || button.cpGlyphType == tgUser || button.cpGlyphType == tgNone;
        button.cpRect.Top = aligned && ManagerOf(*this) && ManagerOf(*this)->SkinCommonInfo.BIVAlign == 1
                                ? top
                                : VCenter - ButtonHeight() / 2;
        button.cpRect.Bottom = button.cpRect.Top + ButtonHeight();
    };
    auto move = [&](int by) { end += rtl ? by : -by; };
    if (SystemMenu && HaveSysMenu()) {
        ButtonClose.cpGlyphType = tgClose;
        ButtonClose.cpHitCode = HTCLOSE;
        place(ButtonClose, SysButtonWidth(ButtonClose));
        if (SystemMenu->VisibleMax()) {
            ButtonMax.cpGlyphType = maximized ? tgNormal : tgMax;
            ButtonMax.cpHitCode = HTMAXBUTTON;
            place(ButtonMax, SysButtonWidth(ButtonMax));
        } else {
            ButtonMax.cpRect = TRect();
        }
        if (SystemMenu->VisibleMin()) {
            ButtonMin.cpGlyphType =
                Form->WindowState() == wsMinimized && IsMinimized(wnd) && !IsMainForm(*this) ? tgNormal : tgMin;
            ButtonMin.cpHitCode = HTMINBUTTON;
            place(ButtonMin, SysButtonWidth(ButtonMin));
        } else {
            ButtonMin.cpRect = TRect();
        }
        if (Form->BorderIcons().Contains(biHelp)) {
            move(skin->Spacing);
            ButtonHelp.cpGlyphType = tgHelp;
            ButtonHelp.cpHitCode = HTHELP;
            place(ButtonHelp, SysButtonWidth(ButtonHelp));
        } else {
            ButtonHelp.cpRect = TRect();
        }
    } else {
        ButtonClose.cpRect = TRect();
    }
    if (FTitleButtons && FTitleButtons->Count() > 0) {
        move(skin->Spacing);
        for (int i = 0; i < FTitleButtons->Count(); ++i) {
            TsTitleButton* button = FTitleButtons->Items(i);
            if (!button->Visible()) continue;
            button->Data.cpGlyphType = button->UseSkinData() ? tgUser : tgNone;
            button->Data.cpHitCode = HTUDBTN + i;
            place(button->Data, UserButtonWidth(button));
        }
    }
    // Step 7: what a title bar gets.
    if (FTitleBar) {
        int barLeft = rtl ? end : freeLeft;
        int barRight = rtl ? right : end;
        if (rtl) barLeft += skin->Spacing + (icon ? skin->Spacing : 0);
        else barRight -= skin->Spacing;
        FTitleBar->FFullRight = barRight;
        FTitleBar->FBarLeft = barLeft;
        FTitleBar->FBarRight = barRight;
        FTitleBar->FBarTop = GetTopCoord();
        FTitleBar->FBarBottom = FHeaderHeight;
        FTitleBar->FBarVCenter = VCenter;
    }
}

// ---------------------------------------------------------------------------------------------
// Hit testing

int TsSkinProvider::ButtonIndexAt(TPoint P)
{
    if (BorderForm || !SystemMenu || !HaveSysMenu()) return 0;
    const POINT p{P.X, P.Y};
    int position = 1;
    int result = Contains(ButtonClose.cpRect, p) ? 1 : 0;
    auto test = [&](const TsCaptionButton& b) {
        ++position;
        if (Contains(b.cpRect, p)) result = position;
    };
    if (SystemMenu->VisibleMax()) test(ButtonMax);
    if (SystemMenu->VisibleMin()) test(ButtonMin);
    if (Form->BorderIcons().Contains(biHelp)) test(ButtonHelp);
    if (FTitleButtons) {
        for (int i = 0; i < FTitleButtons->Count(); ++i) {
            ++position;
            TsTitleButton* b = FTitleButtons->Items(i);
            if (b->Visible() && Contains(b->Data.cpRect, p)) result = position;
        }
    }
    return result;
}

int TsSkinProvider::HTProcess(TMessage& Message)
{
    HWND wnd = FormWnd(*this);
    if (!wnd || !Form) return HTNOWHERE;
    TPoint p;
    CursorToPoint(static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam)), p);
    const bool iconic = IsMinimized(wnd);
    const bool help = Form->BorderIcons().Contains(biHelp);
    // Step 1: the title buttons.
    int n = ButtonIndexAt(p);
    if (n >= 1) {
        int result = HTCLIENT;
        const int sys = SysButtonsCount();
        const bool visMax = SystemMenu->VisibleMax(), visMin = SystemMenu->VisibleMin();
        if (n > sys) {
            const int index = n - sys - 1;
            if (FTitleButtons && index < FTitleButtons->Count()) {
                if (FTitleButtons->Items(index)->Enabled()) result = HTUDBTN + index;
            }
        } else if (n == 1) {
            result = SystemMenu->EnabledClose() ? HTCLOSE : HTCAPTION;
        } else if (n == 2) {
            if (visMax)
                result = SystemMenu->EnabledMax() || (SystemMenu->EnabledRestore() && !iconic) ? HTMAXBUTTON : HTCAPTION;
            else if (visMin || iconic)
                result = SystemMenu->EnabledMin() ? HTMINBUTTON : HTCAPTION;
            else if (help)
                result = HTHELP;
        } else if (n == 3) {
            if (visMin || iconic)
                result = iconic || SystemMenu->EnabledMin() ? HTMINBUTTON : HTCAPTION;
            else if (help)
                result = HTHELP;
        } else if (help) {
            result = HTHELP;
        }
        if (result != HTCLIENT) return result;
    }
    const LONG style = Style(wnd);
    const int width = GetWindowWidth(wnd), height = GetWindowHeight(wnd);
    // Step 2: the sizing edges.
    if ((style & WS_THICKFRAME) && !BorderForm) {
        const int b = ::SysBorderWidth(wnd, BorderForm, true);
        const bool topEdge = p.Y < (FUWPMode ? OffsetY() : SysBorderHeight(wnd, BorderForm, false));
        const bool bottomEdge = p.Y >= height - b;
        if (p.X < b) return topEdge ? HTTOPLEFT : bottomEdge ? HTBOTTOMLEFT : HTLEFT;
        if (p.X >= width - b) return topEdge ? HTTOPRIGHT : bottomEdge ? HTBOTTOMRIGHT : HTRIGHT;
        if (topEdge) return HTTOP;
        if (bottomEdge) return HTBOTTOM;
    }
    // Step 3: the caption.
    const int capt = SysCaptHeight();
    const int borderAsk = SysBorderHeight(wnd, BorderForm, true), borderSys = SysBorderHeight(wnd, BorderForm, false);
    if (p.Y >= 0 && p.Y <= capt + borderAsk) {
        if (p.Y >= borderSys + capt && p.Y <= borderSys + CaptionHeight(false) + MenuHeight()) return HTMENU;
        return Contains(FIconRect, POINT{p.X, p.Y}) ? HTSYSMENU : HTCAPTION;
    }
    // Step 4: the menu line.
    if (p.Y <= capt + borderAsk + GetLinesCount() * MenuHeight()) return HTMENU;
    // Step 5: the size grip.
    const TacSkinData* skin = SkinOf(FCommonData.get());
    const bool gripShown = FGripMode == gmRightBottom && !IsMaximized(wnd) &&
                           ((style & WS_THICKFRAME) || (FUWPMode && FluentBorderStyle == bsSizeable));
    // Without a window image there is no grip point: the grip is not hit (a point of (0, 0)
    // would make the whole client area a sizing corner).
    if (gripShown && skin && ValidMask(skin, skin->GripRightBottom) && CacheBmp()) {
        TPoint grip;
        RBGripPoint(skin->GripRightBottom, grip);
        if (BorderForm) {
            const TRect s = ShadowSize();
            grip.X -= DiffBorder(BorderForm) + s.Left;
            grip.Y -= DiffTitle(BorderForm) + s.Top;
        }
        if (p.X > grip.X && p.Y > grip.Y) return HTBOTTOMRIGHT;
    }
    return HTCLIENT;
}

void TsSkinProvider::AC_WMNCMouseMove(TMessage& Message)
{
    if (!Form || !Form->Enabled()) return;
    HWND wnd = FormWnd(*this);
    if (TsSkinManager* manager = ManagerOf(*this)) manager->SetActiveControl(wnd);
    const int code = HTProcess(Message);
    Message.WParam = static_cast<WPARAM>(code);
    const bool title = code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP ||
                       (code >= HTCHILDCLOSE && code <= HTCHILDMIN) || (code >= HTUDBTN && code <= HTUDBTN + 100) ||
                       (code >= HTITEM && code <= HTITEM + 100);
    if (title) {
        SetHotHT(code);
        return;
    }
    SetHotHT(0);
    PassOn(Message);
}

// ---------------------------------------------------------------------------------------------
// What the show animation asks

int TsSkinProvider::SkinBorderWidth() { return ::SkinBorderWidth(BorderForm); }
int TsSkinProvider::SkinTitleHeight() { return ::SkinTitleHeight(BorderForm); }
int TsSkinProvider::SysBorderWidth() { return ::SysBorderWidth(FormWnd(*this), BorderForm, false); }

int TsSkinProvider::SysCaptHeight()
{
    if (CYCaption < 0) CYCaption = ::SysCaptHeight(this, 0);
    return CYCaption;
}

int TsSkinProvider::ExTitleHeight()
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    return skin ? skin->ExTitleHeight : 0;
}

int TsSkinProvider::ExMaxHeight()
{
    const TacSkinData* skin = SkinOf(FCommonData.get());
    return skin ? skin->ExMaxHeight : 0;
}

bool provider_detail::FormHasMainMenu(const TsSkinProvider& provider)
{
    return provider.Form && provider.Form->Menu() && provider.Form->Menu()->Items()->Count() > 0;
}
