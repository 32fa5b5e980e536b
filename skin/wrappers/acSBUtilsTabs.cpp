// The tab control wrapper: geometry of the tabs and the page frame from the window's own
// answers, and painting of the frame and the tabs from the skin.
#include "acSBUtilsTabs.h"

#include "ComCtrls.h"
#include "acAlphaImageList.h"
#include "acSBUtilsSpin.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTextEx.h"
#include "sGraphUtilsTextOut.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace {

bool ValidSkinIndex(const TacSkinData* skin, int index)
{
    return skin && index >= 0 && index < static_cast<int>(skin->gd.size());
}

TColor SectionFontColor(const TacSkinData* skin, int index, int state, TColor fallback)
{
    if (!ValidSkinIndex(skin, index)) return fallback;
    return skin->gd[static_cast<size_t>(index)].Props[state > 0 ? 1 : 0].FontColor.Color;
}

// The bitmap's canvas gets a copy of the window's font (the canvas owns the copy).
void SelectWindowFont(HWND wnd, TCanvas* canvas)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf{};
    if (GetObjectW(font, sizeof lf, &lf) == sizeof lf)
        if (HFONT copy = CreateFontIndirectW(&lf)) canvas->Font()->SetHandle(copy);
}

// A font made from the canvas font, turned for a side tab: upward on the left, downward on the
// right.
HFONT RotatedFont(TFont* font, bool left)
{
    LOGFONTW lf{};
    lf.lfHeight = font->Height();
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = font->Style().Contains(fsItalic);
    lf.lfUnderline = font->Style().Contains(fsUnderline);
    lf.lfStrikeOut = font->Style().Contains(fsStrikeOut);
    lf.lfCharSet = font->Charset();
    lf.lfEscapement = left ? -2700 : -900;
    lf.lfOrientation = lf.lfEscapement;
    UnicodeString face = font->Name();
    if (face == L"MS Sans Serif") face = L"Arial";
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

struct TabItem {
    UnicodeString Text;
    int Image = -1;
};

TabItem ReadTabItem(HWND wnd, int index)
{
    std::vector<wchar_t> buffer(4097, L'\0');
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
    item.dwStateMask = TCIS_HIGHLIGHTED;
    item.pszText = buffer.data();
    item.cchTextMax = 4096;
    TabItem result;
    if (SendMessageW(wnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) {
        buffer.back() = L'\0';
        result.Text = item.pszText ? item.pszText : L"";
        result.Image = item.iImage;
    }
    return result;
}

// Copies src into dst at R, leaving out Excluded (both in dst's coordinates).
void CopyExcluding(TBitmap* dst, const TRect& R, TBitmap* src, const TRect* Excluded)
{
    const HDC dc = dst->Canvas()->Handle();
    const int saved = SaveDC(dc);
    if (Excluded) ExcludeClipRect(dc, Excluded->Left, Excluded->Top, Excluded->Right, Excluded->Bottom);
    BitBlt(dc, R.Left, R.Top, R.Width(), R.Height(), src->Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void Inflate(TRect& r, int dx, int dy)
{
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

} // namespace

int acTabPosition(HWND Wnd)
{
    const LONG style = GetWindowLongW(Wnd, GWL_STYLE);
    if (style & TCS_VERTICAL) return (style & TCS_BOTTOM) ? 3 : 2;
    return (style & TCS_BOTTOM) ? 1 : 0;
}

int acTabStyle(HWND Wnd)
{
    const LONG style = GetWindowLongW(Wnd, GWL_STYLE);
    if (style & TCS_FLATBUTTONS) return 2;
    return (style & TCS_BUTTONS) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// The minimal wrapper

void TacTabWnd::acWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_PRINT: {
        if (!SkinData) break;
        InitCacheBmp(SkinData);
        TBitmap* cache = SkinData->FCacheBmp.get();
        if (!cache) break;
        RECT r{};
        GetWindowRect(CtrlHandle, &r);
        cache->SetPixelFormat(pf32bit);
        cache->SetSize(r.right - r.left, r.bottom - r.top);
        PAINTSTRUCT ps{};
        const bool paint = Message.Msg == WM_PAINT && !Message.WParam;
        const HDC given = reinterpret_cast<HDC>(Message.WParam);
        const HDC dc = paint ? BeginPaint(CtrlHandle, &ps) : given;
        if (dc) BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
        if (paint) EndPaint(CtrlHandle, &ps);
        Message.Result = Message.Msg == WM_ERASEBKGND ? 1 : 0;
        return;
    }
    default: break;
    }
    TacMainWnd::acWndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Geometry

TacTabControlWnd::~TacTabControlWnd()
{
    LeaveWindow();
    BtnSW.reset();
}

int TacTabControlWnd::TabCount() { return static_cast<int>(SendMessageW(CtrlHandle, TCM_GETITEMCOUNT, 0, 0)); }

int TacTabControlWnd::ActiveTabIndex() { return static_cast<int>(SendMessageW(CtrlHandle, TCM_GETCURSEL, 0, 0)); }

TRect TacTabControlWnd::TabRect(int Index)
{
    RECT r{};
    SendMessageW(CtrlHandle, TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
    return TRect(r);
}

int TacTabControlWnd::RowCount() { return static_cast<int>(SendMessageW(CtrlHandle, TCM_GETROWCOUNT, 0, 0)); }

static TRect WindowBox(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return TRect(0, 0, r.right - r.left, r.bottom - r.top);
}

TRect TacTabControlWnd::ClientRect()
{
    RECT r = WindowBox(CtrlHandle);
    SendMessageW(CtrlHandle, TCM_ADJUSTRECT, 0, reinterpret_cast<LPARAM>(&r));
    TRect c(r);
    c.Top += 2;
    return c;
}

TRect TacTabControlWnd::TabsRect()
{
    TRect r = WindowBox(CtrlHandle);
    if (TabCount() == 0) return r;
    const TRect c = ClientRect();
    switch (TabPosition()) {
    case 0: r.Bottom = c.Top - 4; break;
    case 1: r.Top = c.Bottom + 2; break;
    case 2: r.Right = c.Left - 1; break;
    default: r.Left = c.Right + 1; break;
    }
    return r;
}

TRect TacTabControlWnd::PageRect()
{
    TRect r = WindowBox(CtrlHandle);
    if (TabCount() == 0) return r;
    const TRect c = ClientRect();
    switch (TabPosition()) {
    case 0: r.Top = c.Top - 4; break;
    case 1: r.Bottom = c.Bottom + 2; break;
    case 2: r.Left = c.Left - 1; break;
    default: r.Right = c.Right + 1; break;
    }
    return r;
}

int TacTabControlWnd::TabRow(int Index)
{
    const int rows = RowCount();
    if (rows < 2) return 1;
    const TRect tab = TabRect(Index);
    const int w = std::max<int>(1, tab.Width()), h = std::max<int>(1, tab.Height());
    switch (TabPosition()) {
    case 0: return (tab.Bottom + h / 2) / h;
    case 2: return (tab.Right + w / 2) / w;
    case 3: return rows - ((tab.Right - TabsRect().Left + w / 2) / w) + 1;
    default: return rows - ((tab.Bottom - TabsRect().Top + h / 2) / h) + 1;
    }
}

TRect TacTabControlWnd::SkinTabRect(int Index, bool Active)
{
    if (Index < 0 || Index >= TabCount()) return TRect();
    TRect r = TabRect(Index);
    if (TabStyle() != 0 || r.Width() <= 0) return r;
    if (Active)
        r.Bottom -= 1;
    else {
        r.Bottom += 3;
        r.Right -= 1;
    }
    const int a = Active ? 1 : 0;
    const int position = TabPosition();
    switch (position) {
    case 0:
        Inflate(r, 2 * a, 2 * a);
        r.Bottom += 1;
        break;
    case 1:
        Inflate(r, 2 * a, a);
        r.Top -= 2;
        r.Bottom += Active ? 1 : -3;
        break;
    case 2:
        Inflate(r, 0, 1);
        r.Right += 2;
        if (Active)
            Inflate(r, 1, 1);
        else {
            r.Bottom -= 4;
            r.Right += 2;
        }
        break;
    default:
        Inflate(r, 1, 0);
        r.Offset(-1, -1);
        if (Active) {
            Inflate(r, 1, 1);
            r.Bottom += 3;
        } else {
            r.Bottom -= 2;
        }
        break;
    }
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    const int covering = skin ? skin->TabsCovering : 0;
    if (covering >= 1) {
        if (position >= 2) {
            r.Offset(0, covering);
            Inflate(r, 0, covering);
        } else {
            r.Offset(covering, 0);
            Inflate(r, covering, 0);
        }
    }
    return r;
}

void TacTabControlWnd::CheckUpDown()
{
    if (!SkinData || !SkinData->Skinned()) return;
    const HWND upDown = FindWindowExW(CtrlHandle, nullptr, UPDOWN_CLASSW, nullptr);
    if (upDown && BtnSW && BtnSW->CtrlHandle == upDown && !BtnSW->Destroyed) return;
    BtnSW.reset();
    if (!upDown) return;
    TacSkinParams params;
    params.SkinSection = L"UPDOWNBTN";
    BtnSW.reset(CreateWrapper<TacSpinWnd>(upDown, nullptr, SkinData->GetSkinManager(), params, true));
}

void TacTabControlWnd::RedrawButtons()
{
    if (BtnSW && SkinData && !SkinData->BGChanged)
        RedrawWindow(BtnSW->CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TacTabControlWnd::AC_WMPaint(TMessage& Message)
{
    if (!SkinData || SkinData->FUpdating) return;
    TsSkinManager* manager = SkinData->GetSkinManager();
    if (!manager) return;
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const bool printing = (SkinData->CtrlSkinState & ACS_PRINTING) != 0;
    const bool own = !(Message.Msg == WM_PRINT || InAnimationProcess || printing);
    const HDC dc = own ? GetDC(CtrlHandle) : reinterpret_cast<HDC>(Message.WParam);
    if (!dc) return;
    const int saved = SaveDC(dc);

    SkinData->BGChanged = true;
    const int count = TabCount();
    UnicodeString section = SkinData->SkinSection();
    if (count == 0)
        section = L"TRANSPARENT";
    else if (section == L"PAGECONTROL")
        section += UnicodeString(sTabPositions[static_cast<size_t>(TabPosition())]);
    SkinData->SkinIndex = manager->GetSkinIndex(section);

    const TCacheInfo parent = GetParentCacheHwnd(CtrlHandle);
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (cache) {
        cache->SetPixelFormat(pf32bit);
        cache->SetSize(std::max<int>(0, WndSize.cx), std::max<int>(0, WndSize.cy));
        DrawSkinTabs(parent);
        const TRect page = PageRect();
        PaintItem(SkinData->SkinIndex, parent, true, 0, page, TPoint(WndPos.X + page.Left, WndPos.Y + page.Top), cache,
                  manager);
        SkinData->BGChanged = false;
        GdiFlush();

        const int active = ActiveTabIndex();
        const HDC cacheDC = cache->Canvas()->Handle();
        if (count > 0 && active >= 0) {
            const TRect r = SkinTabRect(active, true);
            const int clip = SaveDC(dc);
            ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
            BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cacheDC, 0, 0, SRCCOPY);
            RestoreDC(dc, clip);
            // The selected tab last, straight onto the window, over what lies under it.
            if (r.Width() > 0 && r.Height() > 0) {
                TBitmap tab(r.Width(), r.Height(), pf32bit);
                BitBlt(tab.Canvas()->Handle(), 0, 0, r.Width(), r.Height(), cacheDC, r.Left, r.Top, SRCCOPY);
                DrawSkinTab(active, 2, &tab, TPoint(-r.Left, -r.Top));
                GdiFlush();
                BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), tab.Canvas()->Handle(), 0, 0, SRCCOPY);
            }
        } else {
            BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cacheDC, 0, 0, SRCCOPY);
        }
    }
    if (auto* control = dynamic_cast<TWinControl*>(OwnerControl())) PaintControls(dc, control, true, TPoint(0, 0));
    RestoreDC(dc, saved);
    if (own) ReleaseDC(CtrlHandle, dc);
}

void TacTabControlWnd::DrawSkinTabs(const TCacheInfo& CI)
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    TsSkinManager* manager = SkinData->GetSkinManager();
    const TRect tabs = TabsRect();
    if (CI.Ready && CI.Bmp)
        BitBlt(cache->Canvas()->Handle(), tabs.Left, tabs.Top, tabs.Width(), tabs.Height(), CI.Bmp->Canvas()->Handle(),
               CI.X + WndPos.X + tabs.Left, CI.Y + WndPos.Y + tabs.Top, SRCCOPY);
    else
        FillRect32(cache, tabs, CI.FillColor == clFuchsia && manager ? manager->GetGlobalColor() : CI.FillColor, 0xFF);
    const int count = TabCount(), active = ActiveTabIndex(), rows = std::max(1, RowCount());
    for (int row = 1; row <= rows; ++row)
        for (int i = 0; i < count; ++i)
            if (i != active && TabRow(i) == row) DrawSkinTab(i, 0, cache, TPoint(0, 0));
}

void TacTabControlWnd::DrawSkinTab(int Index, int State, TBitmap* Bmp, const TPoint& Offset)
{
    if (Index < 0 || !Bmp || !SkinData) return;
    if (State == 1 && TabRect(Index).Left < 0) return;
    TsSkinManager* manager = SkinData->GetSkinManager();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    if (!manager || !skin) return;
    const bool selected = State == 2 && Index == ActiveTabIndex();
    const TRect R = SkinTabRect(Index, selected);
    if (R.Width() <= 0 || R.Height() <= 0) return;

    const int position = TabPosition();
    int S = -1;
    if (skin->Tabs[tlSingle][asTop].SkinIndex > 0) S = skin->Tabs[tlSingle][acTabSides[static_cast<size_t>(position)]].SkinIndex;

    TRect target = R;
    target.Offset(Offset.X, Offset.Y);
    TBitmap tab(R.Width(), R.Height(), pf32bit);
    if (selected) {
        BitBlt(tab.Canvas()->Handle(), 0, 0, R.Width(), R.Height(), Bmp->Canvas()->Handle(), target.Left, target.Top,
               SRCCOPY);
        if (ValidSkinIndex(skin, S))
            PaintItem(S, MakeCacheInfo(&tab, 0, 0), true, 2, TRect(0, 0, R.Width(), R.Height()), TPoint(0, 0), &tab,
                      manager);
    } else if (ValidSkinIndex(skin, S)) {
        PaintItem(S, MakeCacheInfo(Bmp, 0, 0), true, State, TRect(0, 0, R.Width(), R.Height()),
                  TPoint(target.Left, target.Top), &tab, manager);
    } else {
        BitBlt(tab.Canvas()->Handle(), 0, 0, R.Width(), R.Height(), Bmp->Canvas()->Handle(), target.Left, target.Top,
               SRCCOPY);
    }
    GdiFlush();
    // A tab above or left of the page never covers it.
    TRect page = PageRect();
    page.Offset(Offset.X, Offset.Y);
    CopyExcluding(Bmp, target, &tab, position == 0 || position == 2 ? &page : nullptr);
    DrawTabContent(Index, State, Bmp, target, S);
}

void TacTabControlWnd::DrawTabContent(int Index, int State, TBitmap* Bmp, const TRect& R, int S)
{
    TsSkinManager* manager = SkinData->GetSkinManager();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    TCanvas* canvas = Bmp->Canvas();
    SelectWindowFont(CtrlHandle, canvas);
    const TabItem item = ReadTabItem(CtrlHandle, Index);
    const int fontState = State > 0 ? 1 : 0;
    const TColor fontColor = SectionFontColor(skin, S, fontState, ColorToRGB(clBtnText));

    // Owner drawing of a framework page control.
    auto* pageControl = dynamic_cast<TPageControl*>(OwnerControl());
    bool ownFont = false;
    if (pageControl && pageControl->OwnerDraw() && pageControl->OnDrawTab) {
        TCanvas* own = pageControl->Canvas();
        const TCanvasDCScope scope(*own, canvas->Handle());
        own->Font()->Assign(pageControl->Font());
        own->Font()->SetColor(fontColor);
        const HFONT handle = own->Font()->Handle();
        const TFontStyles style = own->Font()->Style();
        const UnicodeString name = own->Font()->Name();
        pageControl->OnDrawTab(pageControl, Index, R, State == 2);
        ownFont = own->Font()->Handle() != handle || !(own->Font()->Style() == style) || own->Font()->Name() != name;
        if (ownFont) canvas->Font()->Assign(own->Font());
    }

    // The image list: the page control's own, else the window's.
    TCustomImageList* list = pageControl ? pageControl->Images() : nullptr;
    const auto himl = list ? nullptr : reinterpret_cast<HIMAGELIST>(SendMessageW(CtrlHandle, TCM_GETIMAGELIST, 0, 0));
    int w = 0, h = 0;
    const bool hasImage = item.Image >= 0 && (list || himl);
    if (hasImage) {
        if (list) {
            w = list->Width();
            h = list->Height();
        } else {
            ImageList_GetIconSize(himl, &w, &h);
        }
    }
    auto drawImage = [&](int x, int y) {
        if (!hasImage) return;
        auto* alpha = dynamic_cast<TsAlphaImageList*>(list);
        if (alpha && manager->Effects()->GetBoolean(1)) {
            // Only normal tabs show their images discoloured.
            const TColor blend = State != 0 ? clNone
                                 : ValidSkinIndex(skin, S) ? skin->gd[static_cast<size_t>(S)].Props[0].Color
                                                           : ColorToRGB(clBtnFace);
            DrawAlphaImgList(alpha, Bmp, x, y, item.Image, 0, blend, 0, 1, false);
        } else if (list) {
            list->Draw(canvas, x, y, item.Image);
        } else {
            ImageList_Draw(himl, item.Image, canvas->Handle(), x, y, ILD_TRANSPARENT);
        }
    };

    const int position = TabPosition();
    if (position < 2) {
        TRect r = R;
        if (hasImage) {
            const int textWidth = canvas->TextWidth(item.Text);
            drawImage(r.Left + (r.Width() - (textWidth + w + 8)) / 2, r.Top + (r.Height() - h) / 2);
            r.Left += w;
        }
        const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (ownFont)
            acWriteText(canvas, item.Text, true, r, flags);
        else
            acWriteTextEx(canvas, item.Text, true, r, flags, S, State != 0, manager);
        GdiFlush();
        return;
    }

    // Side tabs: the caption turned, upward on the left, downward on the right.
    const bool left = position == 2;
    const HDC dc = canvas->Handle();
    const HFONT rotated = RotatedFont(canvas->Font(), left);
    const HGDIOBJ previous = SelectObject(dc, rotated);
    SIZE extent{};
    GetTextExtentPoint32W(dc, item.Text.c_str(), static_cast<int>(item.Text.size()), &extent);
    const int gap = hasImage ? 4 : 0;
    const int run = static_cast<int>(extent.cx) + (hasImage ? h + gap : 0);
    const int top = R.Top + (R.Height() - run) / 2;
    int textTop = top;
    if (hasImage) {
        drawImage(R.Left + (R.Width() - w) / 2, top);
        textTop = top + h + gap;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(ownFont ? canvas->Font()->Color() : fontColor));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    const int across = (R.Width() - static_cast<int>(extent.cy)) / 2;
    if (left) // the glyphs' tops face left; the run starts at its bottom end
        TextOutW(dc, R.Left + across, textTop + extent.cx, item.Text.c_str(), static_cast<int>(item.Text.size()));
    else // the glyphs' tops face right; the run starts at its top end
        TextOutW(dc, R.Right - across, textTop, item.Text.c_str(), static_cast<int>(item.Text.size()));
    SelectObject(dc, previous);
    DeleteObject(rotated);
    GdiFlush();
}

// ---------------------------------------------------------------------------------------------
// Messages

void TacTabControlWnd::AfterCreation()
{
    if (SkinData && SkinData->SkinSection().empty()) SkinData->SetSkinSection(L"PAGECONTROL");
    TacMainWnd::AfterCreation();
}

void TacTabControlWnd::acWndProc(TMessage& Message)
{
    if (!SkinData || !SkinData->Skinned()) {
        TacMainWnd::acWndProc(Message);
        return;
    }
    TControl* control = OwnerControl();
    const auto mine = [&] { return Message.LParam == reinterpret_cast<LPARAM>(SkinData->GetSkinManager()); };
    switch (Message.Msg) {
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_SETNEWSKIN:
            if (mine()) {
                CommonMessage(Message, SkinData);
                if (auto* owner = dynamic_cast<TWinControl*>(control))
                    for (int i = 0; i < owner->ControlCount(); ++i)
                        if (auto* child = dynamic_cast<TWinControl*>(owner->Controls(i))) child->HandleNeeded();
            }
            AlphaBroadCastCheck(control, CtrlHandle, Message);
            return;
        case AC_REMOVESKIN:
            if (mine()) {
                CommonMessage(Message, SkinData);
                CheckUpDown();
                AlphaBroadCastCheck(control, CtrlHandle, Message);
                RedrawWindow(CtrlHandle, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            } else {
                AlphaBroadCastCheck(control, CtrlHandle, Message);
            }
            return;
        case AC_REFRESH:
            if (RefreshNeeded(SkinData, Message)) {
                CommonMessage(Message, SkinData);
                InvalidateRect(CtrlHandle, nullptr, TRUE);
                CheckUpDown();
            }
            AlphaBroadCastCheck(control, CtrlHandle, Message);
            return;
        case AC_PARENTUPDATED:
            if (SkinData->FUpdating && !InUpdating(SkinData, true)) InvalidateRect(CtrlHandle, nullptr, TRUE);
            if (auto* owner = dynamic_cast<TWinControl*>(control)) SetParentUpdated(owner);
            return;
        case AC_CTRLHANDLED: Message.Result = 1; return;
        case AC_ISUPDATING: Message.Result = SkinData->FUpdating ? 1 : 0; return;
        case 27: // the skin manager, for the pages
            Message.Result = reinterpret_cast<LRESULT>(SkinData->GetSkinManager());
            return;
        case AC_GETBG: CommonMessage(Message, SkinData); return;
        default: break;
        }
        break;
    case WM_NCPAINT: Message.Result = 0; return;
    case WM_PAINT: {
        // Painting happens on the erase that this invalidation brings.
        InvalidateRect(CtrlHandle, nullptr, TRUE);
        PAINTSTRUCT ps{};
        BeginPaint(CtrlHandle, &ps);
        EndPaint(CtrlHandle, &ps);
        RedrawButtons();
        Message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        if (IsWindowVisible(CtrlHandle)) {
            if (!InAnimationProcess) AC_WMPaint(Message);
            CheckUpDown();
            Message.Result = 1;
            return;
        }
        break;
    case WM_PRINT:
        CheckUpDown();
        AC_WMPaint(Message);
        RedrawButtons();
        Message.Result = 0;
        return;
    case TCM_SETCURSEL:
        SendMessageW(CtrlHandle, WM_SETREDRAW, FALSE, 0);
        TacMainWnd::acWndProc(Message);
        SendMessageW(CtrlHandle, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    case WM_SIZE: {
        const TSize old = WndSize;
        TacMainWnd::acWndProc(Message);
        CheckUpDown();
        RECT r{};
        GetWindowRect(CtrlHandle, &r);
        if (r.right - r.left < old.cx || r.bottom - r.top < old.cy)
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_FRAME);
        InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        return;
    }
    case CM_CONTROLLISTCHANGE:
        TacMainWnd::acWndProc(Message);
        CheckUpDown();
        return;
    default: break;
    }
    TacMainWnd::acWndProc(Message);
}
