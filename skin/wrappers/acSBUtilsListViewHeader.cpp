// The list view's column header painted by the wrapper in report view: each column in the skin's
// column-header section by state (hot under the mouse, pressed by the left button), with its
// image, text and sort arrow, and the area after the last column in the same look.
#include "acSBUtilsListView.h"

#include "ComCtrls.h"
#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsPaintItem.h"
#include "sSkinManager.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>

using namespace sCommonDataSection;

namespace {

constexpr int kHeaderTextMax = 2048;
constexpr int kDrawnArrowWidth = 6;

// The font of the list with the skin's face name; the caller deletes it.
HFONT HeaderFont(HWND list)
{
    LOGFONTW lf{};
    const auto own = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    if (!own || !GetObjectW(own, sizeof lf, &lf)) GetNCMetricsFont(0, lf);
    ApplySkinFontName(lf);
    return CreateFontIndirectW(&lf);
}

} // namespace

bool TacListViewWnd::HeaderActive() const
{
    return FhWndHeader && !Destroyed && SkinData && SkinnedNow() && ViewStyle() == 3;
}

TColor TacListViewWnd::HeaderColor() const
{
    if (TControl* control = OwnerControl()) return ColorToRGB(control->Color());
    return static_cast<TColor>(GetSysColor(COLOR_WINDOW));
}

bool TacListViewWnd::GetHeaderColumnRect(int Index, TRect& R) const
{
    if (!FhWndHeader) return false;
    // Positions are mapped through the order array: after a reorder each column's text, image
    // and arrow stay in its own rectangle.
    const int item = static_cast<int>(SendMessageW(FhWndHeader, HDM_ORDERTOINDEX, static_cast<WPARAM>(Index), 0));
    RECT r{};
    if (!SendMessageW(FhWndHeader, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r)))
        return false;
    R = TRect(r.left, r.top, r.right, r.bottom);
    return true;
}

void TacListViewWnd::PaintHeader(HDC DC)
{
    if (!FhWndHeader) return;
    PAINTSTRUCT ps{};
    HDC dc = DC ? DC : BeginPaint(FhWndHeader, &ps);
    if (dc) {
        const int count = static_cast<int>(SendMessageW(FhWndHeader, HDM_GETITEMCOUNT, 0, 0));
        int right = 0;
        for (int i = 0; i < count; ++i) {
            TRect r;
            if (!GetHeaderColumnRect(i, r) || r.Width() <= 0 || r.Height() <= 0) continue;
            ColumnSkinPaint(r, static_cast<int>(SendMessageW(FhWndHeader, HDM_ORDERTOINDEX, static_cast<WPARAM>(i), 0)),
                            dc);
            right = std::max<int>(right, r.Right);
        }
        RECT client{};
        GetClientRect(FhWndHeader, &client);
        if (right < client.right) ColumnSkinPaint(TRect(right, 0, client.right, client.bottom), -2, dc);
    }
    if (!DC) EndPaint(FhWndHeader, &ps);
}

void TacListViewWnd::ColumnSkinPaint(const TRect& R, int Index, HDC DC)
{
    const int w = R.Width(), h = R.Height();
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    if (!manager || !skin || w <= 0 || h <= 0) return;
    TBitmap bmp(w, h, pf32bit);
    const int state = FPressedColumn >= 0 ? (Index == FPressedColumn ? 2 : 0) : (Index == HoverColIndex ? 1 : 0);
    const int used = PaintSection(&bmp, manager->SkinCommonInfo.Sections[ssColHeader],
                                  manager->SkinCommonInfo.Sections[ssButton], state, skin, TPoint(0, 0), HeaderColor(),
                                  nullptr);
    const TsGeneralData* section = SectionOf(skin, used);

    if (Index >= 0 && FhWndHeader) {
        std::array<wchar_t, kHeaderTextMax> text{};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE | HDI_ORDER;
        item.pszText = text.data();
        item.cchTextMax = kHeaderTextMax;
        if (SendMessageW(FhWndHeader, HDM_GETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item))) {
            text.back() = 0;
            HDC dc = bmp.Canvas()->Handle();
            const HFONT font = HeaderFont(CtrlHandle);
            const HGDIOBJ oldFont = SelectObject(dc, font);
            const bool pressed = state == 2;
            const bool shift = pressed && section && section->ShiftOnClick;
            const TColor fontColor = section ? section->Props[static_cast<size_t>(ClampState(*section, state))].FontColor.Color
                                             : clBtnText;

            // Sort arrow: the scroll button's glyph of that side, else a small drawn arrow.
            const bool sortDown = (item.fmt & HDF_SORTDOWN) != 0, sortUp = (item.fmt & HDF_SORTUP) != 0;
            const TacSide side = sortDown ? asBottom : asTop;
            int glyph = -1, glyphWidth = 0;
            if (sortDown || sortUp) {
                glyph = skin->ScrollBtns[side].GlyphIndex;
                if (glyph >= 0 && glyph < static_cast<int>(skin->ma.size()))
                    glyphWidth = skin->ma[static_cast<size_t>(glyph)].Width;
                else
                    glyph = -1;
                if (glyph < 0) glyphWidth = kDrawnArrowWidth;
            }
            const int arrowRoom = glyphWidth > 0 ? glyphWidth + 6 : 0;

            // Column image of the list's small images.
            HIMAGELIST images = nullptr;
            if (auto* list = dynamic_cast<TListView*>(OwnerControl()))
                images = list->SmallImages() ? list->SmallImages()->Handle() : nullptr;
            else
                images = reinterpret_cast<HIMAGELIST>(SendMessageW(CtrlHandle, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
            int imageW = 0, imageH = 0;
            const bool withImage = images && (item.fmt & (HDF_IMAGE | HDF_BITMAP)) && item.iImage >= 0 &&
                                   ImageList_GetIconSize(images, &imageW, &imageH);
            const int imageRoom = withImage ? imageW + 4 : 0;

            const TRect tr(4, 1, w - 4, h - 1);
            SIZE extent{};
            const int length = lstrlenW(text.data());
            GetTextExtentPoint32W(dc, text.data(), length, &extent);
            const int avail = std::max<int>(0, tr.Width() - imageRoom - arrowRoom);
            const int textW = std::min<int>(extent.cx, avail);
            int textL = tr.Left + imageRoom;
            switch (item.fmt & HDF_JUSTIFYMASK) {
            case HDF_RIGHT: textL = tr.Right - arrowRoom - textW; break;
            case HDF_CENTER: textL = tr.Left + imageRoom + (avail - textW) / 2; break;
            default: break;
            }
            if (withImage)
                ImageList_Draw(images, item.iImage, dc, textL - imageRoom, (h - imageH) / 2 + (pressed ? 1 : 0),
                               ILD_TRANSPARENT);
            RECT textRect{textL, tr.Top, textL + textW, tr.Bottom};
            if (shift) OffsetRect(&textRect, 1, 1);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(fontColor)));
            if (length > 0)
                DrawTextW(dc, text.data(), length, &textRect,
                          DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            SelectObject(dc, oldFont);
            DeleteObject(font);
            GdiFlush();

            if (arrowRoom > 0) {
                const int arrowL = textL + textW + 6;
                const TRect arrowR(arrowL, 0, arrowL + glyphWidth, h);
                if (glyph >= 0)
                    DrawCenteredGlyph(&bmp, glyph, state, arrowR, skin);
                else
                    DrawColorArrow(&bmp, section ? section->Props[static_cast<size_t>(std::min(state, 2))].FontColor.Color
                                                 : clBtnText,
                                   arrowR, side, skin->PPI > 0 ? skin->PPI : 96);
            }
        }
    }
    BitBlt(DC, R.Left, R.Top, w, h, bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TacListViewWnd::HeaderWndProc(TMessage& Message)
{
    const HWND header = FhWndHeader;
    const auto passOn = [&] {
        Message.Result = CallWindowProcW(FhDefHeaderProc, header, Message.Msg, Message.WParam, Message.LParam);
    };
    if (!HeaderActive()) {
        passOn();
        return;
    }
    switch (Message.Msg) {
    case WM_PAINT:
        // The previous procedure never paints.
        PaintHeader(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 0;
        return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCHITTEST: {
        if (SkinManager) SkinManager->SetActiveControl(CtrlHandle);
        passOn();
        HDHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        ScreenToClient(header, &hit.pt);
        const int found = static_cast<int>(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        const int column = found >= 0 && (hit.flags & HHT_ONHEADER) ? found : -2;
        if (column != HoverColIndex) {
            HoverColIndex = column;
            RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return;
    }
    case WM_LBUTTONUP:
        FPressedColumn = -1;
        passOn();
        if (IsWindow(header)) InvalidateRect(header, nullptr, FALSE);
        return;
    case WM_LBUTTONDOWN: {
        passOn();
        HDHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        const int found = static_cast<int>(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        FPressedColumn = (hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) || found < 0 ? -1 : found;
        InvalidateRect(header, nullptr, FALSE);
        return;
    }
    default: passOn(); return;
    }
}
