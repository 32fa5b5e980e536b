// Combo-box wrapper: the button rectangle and its painting by state, owner-drawn items, the
// drop-down list wrapped on its first colour request (one brush answered each time), and the list
// given back its border and freed when the skin goes.
#include "acSBUtilsCombo.h"

#include "acGlow.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sGraphUtils.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsLayered.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"
#include "sVclUtilsAnim.h"

#include <algorithm>

using namespace sCommonDataSection;

bool acComboDroppedDown = false;

namespace {

constexpr UINT CN_DRAWITEM_AC = 0xBC2B;
constexpr UINT CN_COMMAND_AC = 0xBD11;

} // namespace

// ---------------------------------------------------------------------------------------------
// TacComboBoxWnd

TacComboBoxWnd::~TacComboBoxWnd()
{
    UnwrapList();
    LBSkinData.reset();
    if (listBrush_) DeleteObject(listBrush_);
    if (skinFont_) DeleteObject(skinFont_);
}

void TacComboBoxWnd::AfterCreation()
{
    LBoxOpening = false;
    LBSkinData = std::make_unique<TsCommonData>(this, true);
    TacEditWnd::AfterCreation();
}

DWORD TacComboBoxWnd::Style() const { return static_cast<DWORD>(GetWindowLongPtrW(CtrlHandle, GWL_STYLE)); }

TRect TacComboBoxWnd::ButtonRect()
{
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    int w = GetComboBtnSize(manager, SkinData ? SkinData->CurrentPPI : 96) + 1;
    const DWORD kind = Style() & 3;
    if (DlgMode) {
        if (kind == CBS_DROPDOWN) w -= 1;
        else if (kind == CBS_SIMPLE) w = 0;
    }
    const int margin = skin ? skin->ComboBoxMargin : 0;
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    const int width = wr.right - wr.left, height = wr.bottom - wr.top;
    const int left = (GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & WS_EX_RTLREADING) ? margin : width - w - margin;
    return TRect(left, margin, left + w, height - margin);
}

int TacComboBoxWnd::ButtonHeight()
{
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    if (!skin) return 16;
    const int glyph = skin->ComboBtn.GlyphIndex;
    if (glyph < 0 || static_cast<size_t>(glyph) >= skin->ma.size()) return 16;
    return skin->ma[static_cast<size_t>(glyph)].Height;
}

void TacComboBoxWnd::PaintButton(HDC DC)
{
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    TBitmap* cache = SkinData ? SkinData->FCacheBmp.get() : nullptr;
    if (!manager || !manager->IsActive() || !skin || !DC) return;
    int state = 0;
    if (FListHandle && IsWindowVisible(FListHandle)) state = 2;
    else if (ControlIsActive(SkinData) || manager->ActiveControl() == CtrlHandle) state = 1;
    const TRect r = ButtonRect();
    if (r.Width() <= 0 || r.Height() <= 0) return;
    TBitmap bmp(r.Width(), r.Height(), pf32bit);
    if (cache && !cache->Empty())
        BitBlt(bmp.Canvas()->Handle(), 0, 0, r.Width(), r.Height(), cache->Canvas()->Handle(), r.Left, r.Top, SRCCOPY);
    const int btn = skin->ComboBtn.SkinIndex;
    const TsGeneralData* section = SectionOf(skin, btn);
    if (section) {
        TCacheInfo ci = MakeCacheInfo(&bmp);
        PaintItem(btn, ci, true, state, TRect(0, 0, r.Width(), r.Height()), TPoint(0, 0), &bmp, skin);
    }
    const int glyph = skin->ComboBtn.GlyphIndex;
    if (glyph >= 0 && static_cast<size_t>(glyph) < skin->ma.size()) {
        const TsMaskData& md = skin->ma[static_cast<size_t>(glyph)];
        const int frames = md.ImageCount > 0 ? md.ImageCount : 1;
        const int gw = md.Width / frames;
        DrawSkinGlyph(&bmp, TPoint((r.Width() - gw) / 2, (r.Height() - ButtonHeight()) / 2), std::min(state, frames - 1),
                      1, md, MakeCacheInfo(&bmp));
    } else {
        const TColor color = section ? section->Props[static_cast<size_t>(ClampState(*section, std::min(state, 2)))].FontColor.Color : 0;
        DrawArrow(&bmp, color, clNone, TRect(0, 0, r.Width(), r.Height()), asBottom, 0, 0, 0,
                  manager->SkinCommonInfo.ArrowStyle, SkinData->CurrentPPI);
    }
    BitBlt(DC, r.Left, r.Top, r.Width(), r.Height(), bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TacComboBoxWnd::RepaintButton()
{
    if (!SkinData || Destroyed) return;
    if (acMouseInControlDC(CtrlHandle) && (Style() & 3) != CBS_SIMPLE)
        ShowGlowingIfNeeded(SkinData, false, CtrlHandle);
    else if (SkinData->GlowID >= 0)
        HideGlow(SkinData->GlowID, false);
    HDC dc = GetWindowDC(CtrlHandle);
    PaintButton(dc);
    ReleaseDC(CtrlHandle, dc);
}

void TacComboBoxWnd::CheckFont(HDC DC)
{
    const UnicodeString name = GetSkinFontName();
    if (name.empty() || !DC) return;
    LOGFONTW lf{};
    GetObjectW(GetCurrentObject(DC, OBJ_FONT), sizeof lf, &lf);
    if (name == lf.lfFaceName) return;
    lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    // One font per wrapper: a new one per item would never be freed.
    if (skinFont_) DeleteObject(skinFont_);
    skinFont_ = CreateFontIndirectW(&lf);
    SelectObject(DC, skinFont_);
}

HBRUSH TacComboBoxWnd::ListBrush(TColor Color)
{
    if (!listBrush_ || listBrushColor_ != Color) {
        if (listBrush_) DeleteObject(listBrush_);
        listBrush_ = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color)));
        listBrushColor_ = Color;
    }
    return listBrush_;
}

void TacComboBoxWnd::DrawItem(int Index, const TRect& R, UINT State, HDC DC)
{
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    if (!manager || !skin || R.Width() <= 0 || R.Height() <= 0) return;
    if (SkinData->BGChanged) PrepareCache(SkinData, CtrlHandle, DlgMode);
    TBitmap bmp(R.Width(), R.Height(), pf32bit);
    const TsGeneralData* list = SectionOf(skin, manager->GetSkinIndex(L"EDIT"));
    TColor text = list ? list->Props[0].FontColor.Color : clWindowText;
    if (State & ODS_SELECTED) {
        const int sel = manager->SkinCommonInfo.Sections[ssSelection];
        if (const TsGeneralData* s = SectionOf(skin, sel)) {
            PaintItem(sel, MakeCacheInfo(&bmp), true, 1, TRect(0, 0, R.Width(), R.Height()), TPoint(0, 0), &bmp, skin);
            text = s->Props[static_cast<size_t>(ClampState(*s, 1))].FontColor.Color;
        } else {
            FillDC(bmp.Canvas()->Handle(), TRect(0, 0, R.Width(), R.Height()), manager->GetHighLightColor(true));
            text = manager->GetHighLightFontColor(true);
        }
    } else {
        FillDC(bmp.Canvas()->Handle(), TRect(0, 0, R.Width(), R.Height()), list ? list->Props[0].Color : clWindow);
    }
    wchar_t buffer[512]{};
    const LRESULT length = SendMessageW(CtrlHandle, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (Index >= 0 && length >= 0 && length < 512)
        SendMessageW(CtrlHandle, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buffer));
    HDC bdc = bmp.Canvas()->Handle();
    SelectObject(bdc, reinterpret_cast<HFONT>(SendMessageW(CtrlHandle, WM_GETFONT, 0, 0)));
    SetBkMode(bdc, TRANSPARENT);
    SetTextColor(bdc, static_cast<COLORREF>(ColorToRGB(text)));
    RECT tr{2, 0, R.Width() - 2, R.Height()};
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & WS_EX_RTLREADING) flags |= DT_RTLREADING | DT_RIGHT;
    DrawTextW(bdc, buffer, -1, &tr, flags);
    BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), bdc, 0, 0, SRCCOPY);
}

void TacComboBoxWnd::WrapList(HWND List)
{
    if (!List || ListSW) return;
    FListHandle = List;
    const bool simple = (Style() & 3) == CBS_SIMPLE;
    const bool hasItems = SendMessageW(CtrlHandle, CB_GETCOUNT, 0, 0) > 0;
    const bool wasDlg = acDlgMode;
    if (!OwnerControl()) acDlgMode = DlgMode;
    ListSW = TacComboListWnd::Create(List, nullptr, SkinData->GetSkinManager(), L"EDIT", simple, hasItems);
    acDlgMode = wasDlg;
}

void TacComboBoxWnd::UnwrapList()
{
    if (!ListSW) return;
    UninitializeACScroll(FListHandle, true, false, ListSW);
    FListHandle = nullptr;
}

void TacComboBoxWnd::HandleCtlColor(TMessage& Message)
{
    LBoxOpening = true;
    TacEditWnd::acWndProc(Message);
    const auto list = reinterpret_cast<HWND>(Message.LParam);
    if (!FListHandle || FListHandle != list) {
        if (!ListSW) WrapList(list);
    }
    LBoxOpening = false;
    if (!ListSW || !ListSW->SkinData || DlgMode) return;
    TacSkinIndexRec rec{};
    SendMessageW(list, SM_ALPHACMD, MakeAlphaCmd(AC_GETSKININDEXREC), reinterpret_cast<LPARAM>(&rec));
    const TsGeneralData* section = SectionOf(ListSW->SkinData->GetCommonSkinData(), ListSW->SkinData->SkinIndex);
    if (!section) return;
    const auto dc = reinterpret_cast<HDC>(Message.WParam);
    const TColor font = section->Props[0].FontColor.Color;
    if (font >= 0) SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(font)));
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(section->Props[0].Color)));
    Message.Result = reinterpret_cast<LRESULT>(ListBrush(section->Props[0].Color));
}

void TacComboBoxWnd::acWndProc(TMessage& Message)
{
    if (Destroyed || !SkinData || !SkinnedNow()) {
        if (Message.Msg == SM_ALPHACMD && AlphaCmdCode(Message.WParam) == AC_REMOVESKIN) {
            TacEditWnd::acWndProc(Message);
            UnwrapList();
            return;
        }
        TacEditWnd::acWndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_PAINT: {
        if (!ParamsChanged) SetSkinParams();
        DropDownList = (Style() & 3) == CBS_DROPDOWNLIST;
        InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        const auto given = reinterpret_cast<HDC>(Message.WParam);
        HDC dc = given ? given : GetWindowDC(CtrlHandle);
        SkinData->BGChanged = true;
        SendMessageW(CtrlHandle, SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0);
        TBitmap* cache = SkinData->FCacheBmp.get();
        if (cache && !cache->Empty())
            BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, 3, 3, 3, 3);
        if ((Style() & 3) != CBS_SIMPLE) PaintButton(dc);
        if (!given) ReleaseDC(CtrlHandle, dc);
        return;
    }
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_SIZE:
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
    case WM_NCCALCSIZE:
        TacEditWnd::acWndProc(Message);
        cxLeftEdge = 3;
        return;
    case WM_SETREDRAW: {
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        const int step = Message.WParam == 0 ? 1 : -1;
        SkinData->FUpdateCount = std::max(0, SkinData->FUpdateCount + step);
        if (ListSW && ListSW->SkinData) ListSW->SkinData->FUpdateCount = std::max(0, ListSW->SkinData->FUpdateCount + step);
        return;
    }
    case WM_DRAWITEM:
        if (Message.LParam) CheckFont(reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hDC);
        TacEditWnd::acWndProc(Message);
        InvalidateRect(CtrlHandle, nullptr, FALSE);
        return;
    case WM_CTLCOLORLISTBOX:
        if (!LBoxOpening) {
            HandleCtlColor(Message);
            return;
        }
        break;
    case WM_COMMAND:
    case CN_COMMAND_AC:
        if (Message.Msg == CN_COMMAND_AC || (Style() & 3) == CBS_DROPDOWN) {
            if (HIWORD(Message.WParam) == CBN_DROPDOWN) {
                acComboDroppedDown = true;
            } else if (HIWORD(Message.WParam) == CBN_CLOSEUP) {
                acComboDroppedDown = false;
                SkinData->BGChanged = true;
                RepaintButton();
            }
        }
        break;
    case CN_DRAWITEM_AC:
        if (Message.LParam) {
            const auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
            DrawItem(static_cast<int>(di->itemID), TRect(di->rcItem.left, di->rcItem.top, di->rcItem.right, di->rcItem.bottom),
                     di->itemState & (0x1000 | 0x20 | ODS_SELECTED), di->hDC);
            Message.Result = 1;
            return;
        }
        break;
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_REMOVESKIN:
            TacEditWnd::acWndProc(Message);
            if (FListHandle && IsWindow(FListHandle)) {
                const LONG_PTR style = GetWindowLongPtrW(FListHandle, GWL_STYLE);
                SetWindowLongPtrW(FListHandle, GWL_STYLE, (style & ~WS_THICKFRAME) | WS_BORDER);
            }
            UnwrapList();
            return;
        case AC_MOUSEENTER:
        case AC_MOUSELEAVE:
            TacEditWnd::acWndProc(Message);
            RepaintButton();
            return;
        default: break;
        }
        break;
    case WM_SETFOCUS:
    case WM_LBUTTONUP:
    case WM_KILLFOCUS:
        TacEditWnd::acWndProc(Message);
        if (!Destroyed) RepaintButton();
        return;
    default: break;
    }
    TacEditWnd::acWndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TacComboListWnd

TacComboListWnd* TacComboListWnd::Create(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                                         const UnicodeString& SkinSection, bool SimplyBox, bool Repaint)
{
    TacSkinParams params;
    params.SkinSection = SkinSection;
    auto* w = new TacComboListWnd();
    w->SimplyBox = SimplyBox;
    try {
        w->TacEditWnd::Create(AHandle, ASkinData, ASkinManager, params, Repaint);
    } catch (...) {
        delete w;
        throw;
    }
    // Without the layered functions DoLayered would hide the open list.
    if (IsWinVistaUp() && acLayered()) DoLayered(AHandle, true, 255);
    if (!SimplyBox) {
        RECT r{};
        GetWindowRect(AHandle, &r);
        SetWindowPos(AHandle, nullptr, 0, 0, r.right - r.left + 1, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return w;
}

TacComboListWnd::~TacComboListWnd()
{
    if (ac_SetWindowTheme && CtrlHandle && IsWindow(CtrlHandle)) ac_SetWindowTheme(CtrlHandle, nullptr, nullptr);
}

void TacComboListWnd::AfterCreation()
{
    Shown = false;
    DBScroll = false;
    RECT r{};
    if (CtrlHandle) GetWindowRect(CtrlHandle, &r);
    WndRect = TRect(r.left, r.top, r.right, r.bottom);
    TacEditWnd::AfterCreation();
}

void TacComboListWnd::SetSkinParams()
{
    if (bPreventStyleChange || !SkinData) return;
    bPreventStyleChange = true;
    const bool wasUpdating = SkinData->FUpdating;
    SkinData->FUpdating = true;
    const TsGeneralData* section = SkinnedNow() ? SectionOf(SkinData->GetCommonSkinData(), SkinData->SkinIndex) : nullptr;
    TsSkinManager* manager = SkinData->GetSkinManager();
    if (section) {
        if (!SkinData->CustomColor())
            Color = DlgMode ? ColorToRGB(clWindow) : section->Props[static_cast<size_t>(ClampState(*section, ControlIsActive(SkinData) ? 1 : 0))].Color;
        FrameColor = manager ? manager->Palette[pcBorder] : 0;
        SkinData->BGChanged = true;
    } else {
        FrameColor = 0;
    }
    SkinData->FUpdating = wasUpdating;
    bPreventStyleChange = false;
}

void TacComboListWnd::PrepareListCache()
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (SimplyBox) {
        SendMessageW(CtrlHandle, SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0);
        return;
    }
    SetSkinParams();
    if (!SkinData->FCacheBmp) SkinData->FCacheBmp = std::make_unique<TBitmap>();
    TBitmap* cache = SkinData->FCacheBmp.get();
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(WndSize.cx, WndSize.cy);
    const TRect all(0, 0, WndSize.cx, WndSize.cy);
    FillDC(cache->Canvas()->Handle(), all, Color);
    FillDCBorder(cache->Canvas()->Handle(), all, 1, 1, 1, 1, FrameColor);
    SkinData->BGChanged = false;
}

void TacComboListWnd::PaintListFrame(HDC DC)
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (cache && !cache->Empty())
        BitBltBorder(DC, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, cxLeftEdge < 0 ? 1 : cxLeftEdge,
                     cyTopEdge, cxRightEdge, cyBottomEdge);
    ac_NCDraw(this, CtrlHandle, -1, DC);
}

void TacComboListWnd::acWndProc(TMessage& Message)
{
    if (Destroyed || !SkinData || !SkinnedNow()) {
        TacEditWnd::acWndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_NCPAINT: {
        PrepareListCache();
        HDC dc = GetWindowDC(CtrlHandle);
        PaintListFrame(dc);
        ReleaseDC(CtrlHandle, dc);
        Message.Result = 0;
        return;
    }
    case WM_PRINT:
    case WM_PRINTCLIENT: {
        PrepareListCache();
        const auto dc = reinterpret_cast<HDC>(Message.WParam);
        if (!dc) return;
        // The client at its place in the window, then the frame around it.
        const TRect client = ClientRect();
        POINT old{};
        OffsetViewportOrgEx(dc, client.Left, client.Top, &old);
        LPARAM flags = PRF_CLIENT | PRF_ERASEBKGND;
        Message.Result = CallPrevWndProc(CtrlHandle, WM_PRINTCLIENT, Message.WParam, flags);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
        PaintListFrame(dc);
        return;
    }
    case WM_ERASEBKGND:
        if (Message.WParam) {
            RECT r{};
            GetClientRect(CtrlHandle, &r);
            FillDC(reinterpret_cast<HDC>(Message.WParam), TRect(r.left, r.top, r.right, r.bottom), Color);
        }
        Message.Result = 1;
        return;
    case SM_ALPHACMD:
        if (AlphaCmdCode(Message.WParam) == AC_PREPARECACHE && !SimplyBox) {
            PrepareListCache();
            return;
        }
        break;
    case WM_NCHITTEST:
    case WM_NCLBUTTONDBLCLK:
        TacEditWnd::acWndProc(Message);
        UpdateScrolls(this, true);
        return;
    case WM_WINDOWPOSCHANGED:
    case WM_LBUTTONUP:
        TacEditWnd::acWndProc(Message);
        if (!Destroyed) UpdateScrolls(this, true);
        return;
    default: break;
    }
    TacEditWnd::acWndProc(Message);
}
