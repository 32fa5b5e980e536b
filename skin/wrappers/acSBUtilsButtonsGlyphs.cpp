// The push-button wrappers with something beside the caption: bit buttons (a glyph bitmap),
// framework buttons (their image list) and split buttons (a drop-down arrow).
#include "acSBUtilsButtons.h"

#include "Buttons.h"
#include "StdCtrls.h"
#include "sCommonData.h"
#include "sGraphUtilsArrows.h"
#include "sSkinManager.h"
#include "sThirdParty.h"

#include <algorithm>

namespace {

bool Shifted(TacBtnWnd& w, TsCommonData* data)
{
    return w.CurrentState() == 2 && CanClickShift(data->SkinIndex, data->GetCommonSkinData());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TacBitBtnWnd

TBitBtn* TacBitBtnWnd::BitBtn() const { return dynamic_cast<TBitBtn*>(OwnerControl()); }

HBITMAP TacBitBtnWnd::ForeignBitmap() const
{
    return reinterpret_cast<HBITMAP>(SendMessageW(CtrlHandle, BM_GETIMAGE, IMAGE_BITMAP, 0));
}

int TacBitBtnWnd::CurrentState()
{
    TBitBtn* b = BitBtn();
    const int state = TacBtnWnd::CurrentState();
    if (!b || !b->Default() || state != 0 || !IsWindowEnabled(CtrlHandle)) return state;
    const HWND focus = GetFocus();
    if (!focus) return 3;
    return (GetWindowLongW(focus, GWL_STYLE) & 8) ? 0 : 3;
}

TSize TacBitBtnWnd::GlyphSize()
{
    if (TBitBtn* b = BitBtn()) return b->GlyphFrameSize();
    if (HBITMAP bmp = ForeignBitmap()) {
        BITMAP info{};
        if (GetObjectW(bmp, sizeof(info), &info)) return TSize{info.bmWidth, info.bmHeight};
    }
    return TSize{0, 0};
}

int TacBitBtnWnd::MaxCaptionWidth()
{
    TBitBtn* b = BitBtn();
    if (!b) return TacBtnWnd::MaxCaptionWidth();
    if (Caption.empty()) return 0;
    int width = WndSize.cx - 2 * std::max(0, b->Margin());
    const TSize g = GlyphSize();
    if (g.cx > 0 && (b->Layout() == blGlyphLeft || b->Layout() == blGlyphRight)) width -= g.cx + b->Spacing();
    return std::max(0, width);
}

TRect TacBitBtnWnd::GlyphRect()
{
    const TSize g = GlyphSize();
    const TSize t = TextRectSize();
    const int W = WndSize.cx, H = WndSize.cy;
    TBitBtn* b = BitBtn();
    if (!b) {
        // A foreign button's bitmap ends 2 pixels left of the caption, centred vertically.
        const TRect c = TacBtnWnd::CaptionRect();
        const int y = (H - g.cy) / 2 + (CurrentState() == 2 ? 1 : 0);
        return TRect(c.Left - 2 - g.cx, y, c.Left - 2, y + g.cy);
    }
    const int s = g.cx > 0 && !Caption.empty() ? b->Spacing() : 0;
    int x = 0, y = 0;
    switch (b->Layout()) {
    case blGlyphLeft:
        x = (W - g.cx - t.cx - s) / 2;
        y = (H - g.cy) / 2;
        break;
    case blGlyphRight:
        x = (W - g.cx + s + t.cx) / 2;
        y = (H - g.cy) / 2;
        break;
    case blGlyphTop:
        x = (W - g.cx) / 2 + 1;
        y = (H - g.cy - t.cy - s) / 2;
        break;
    case blGlyphBottom:
        x = (W - g.cx) / 2 + 1;
        y = H - (H - g.cy - t.cy - s) / 2 - g.cy;
        break;
    }
    TRect r(x, y, x + g.cx, y + g.cy);
    if (Shifted(*this, SkinData)) r.Offset(1, 1);
    return r;
}

TRect TacBitBtnWnd::CaptionRect()
{
    TBitBtn* b = BitBtn();
    const TSize g = GlyphSize();
    if (!b || g.cx == 0) return TacBtnWnd::CaptionRect();
    const TSize t = TextRectSize();
    const TRect gr = GlyphRect();
    const int s = Caption.empty() ? 0 : b->Spacing();
    const int cx = (WndSize.cx - t.cx) / 2, cy = (WndSize.cy - t.cy) / 2;
    switch (b->Layout()) {
    case blGlyphLeft: return TRect(gr.Right + s, cy, gr.Right + s + t.cx, cy + t.cy);
    case blGlyphRight: return TRect(gr.Left - s - t.cx, cy, gr.Left - s, cy + t.cy);
    case blGlyphTop: return TRect(cx, gr.Bottom + s, cx + t.cx, gr.Bottom + s + t.cy);
    case blGlyphBottom: return TRect(cx, gr.Top - s - t.cy, cx + t.cx, gr.Top - s);
    }
    return TacBtnWnd::CaptionRect();
}

void TacBitBtnWnd::DrawGlyph()
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    const TSize g = GlyphSize();
    if (!cache || g.cx <= 0 || g.cy <= 0) return;
    const TRect r = GlyphRect();
    if (TBitBtn* b = BitBtn()) {
        TacDrawGlyphData data;
        data.SkinIndex = SkinData->SkinIndex;
        data.NumGlyphs = b->NumGlyphs();
        data.CurrentState = std::min(CurrentState(), 2);
        data.Down = CurrentState() == 2;
        TsSkinManager* m = Manager();
        data.Grayed = data.CurrentState == 0 && m && m->Effects()->GetBoolean(1) && SkinData->Skinned();
        data.Enabled = IsWindowEnabled(CtrlHandle) != FALSE;
        data.Glyph = b->Glyph();
        data.DstBmp = cache;
        data.ImgRect = r;
        data.Canvas = cache->Canvas();
        data.CommonSkinData = SkinData->GetCommonSkinData();
        acDrawGlyphEx(data);
        return;
    }
    HDC source = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(source, ForeignBitmap());
    BitBlt(cache->Canvas()->Handle(), r.Left, r.Top, g.cx, g.cy, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    GdiFlush();
}

// ---------------------------------------------------------------------------------------------
// TacButtonWnd

void TacButtonWnd::AfterCreation()
{
    Btn = dynamic_cast<TButton*>(OwnerControl());
    TacBtnWnd::AfterCreation();
}

bool TacButtonWnd::HaveImage() const { return Btn && Btn->ValidImageIndex(0) >= 0; }

TSize TacButtonWnd::GlyphSize()
{
    return HaveImage() ? TSize{Btn->Images()->Width(), Btn->Images()->Height()} : TSize{0, 0};
}

int TacButtonWnd::GlyphIndex()
{
    if (!HaveImage()) return -1;
    if (!IsWindowEnabled(CtrlHandle)) return Btn->ValidImageIndex(4);
    const int state = CurrentState();
    if (state == 2) return Btn->ValidImageIndex(2);
    if (Btn->Focused()) return Btn->ValidImageIndex(3);
    if (state == 1) return Btn->ValidImageIndex(1);
    return Btn->ValidImageIndex(0);
}

TRect TacButtonWnd::GlyphRect()
{
    if (!HaveImage()) return TRect();
    const TSize g = GlyphSize();
    const TImageMargins* m = Btn->ImageMargins();
    const int W = WndSize.cx, H = WndSize.cy;
    const int cx = (W - g.cx) / 2, cy = (H - g.cy) / 2;
    int x = cx, y = cy;
    switch (Btn->ImageAlignment()) {
    case iaLeft: x = m->Left() + 3; break;
    case iaRight: x = W - m->Right() - 3 - g.cx; break;
    case iaTop: y = m->Top() + 3; break;
    case iaBottom: y = H - m->Bottom() - 3 - g.cy; break;
    case iaCenter: break;
    }
    TRect r(x, y, x + g.cx, y + g.cy);
    if (Shifted(*this, SkinData)) r.Offset(1, 1);
    return r;
}

TRect TacButtonWnd::CaptionRect()
{
    TRect c = TacBtnWnd::CaptionRect();
    if (!HaveImage()) return c;
    // The caption is centred in the room beside the image.
    const TRect g = GlyphRect();
    const int w = c.Width(), h = c.Height();
    switch (Btn->ImageAlignment()) {
    case iaLeft: c.Left = g.Right + (WndSize.cx - g.Right - w) / 2; break;
    case iaRight: c.Left = (g.Left - w) / 2; break;
    case iaTop: c.Top = g.Bottom + (WndSize.cy - g.Bottom - h) / 2; break;
    case iaBottom: c.Top = (g.Top - h) / 2; break;
    case iaCenter: break;
    }
    c.Right = c.Left + w;
    c.Bottom = c.Top + h;
    return c;
}

void TacButtonWnd::DrawGlyph()
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    const int index = GlyphIndex();
    if (!cache || index < 0) return;
    const TRect r = GlyphRect();
    Btn->Images()->Draw(cache->Canvas(), r.Left, r.Top, index, IsWindowEnabled(CtrlHandle) != FALSE);
    GdiFlush();
}

// ---------------------------------------------------------------------------------------------
// TacSplitBtnWnd

TRect TacSplitBtnWnd::CaptionRect()
{
    ArrowWidth = 8;
    TRect r = TacBtnWnd::CaptionRect();
    r.Offset(-8, 0);
    return r;
}

TRect TacSplitBtnWnd::ArrowRect()
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    const int w = cache ? cache->Width() : WndSize.cx, h = cache ? cache->Height() : WndSize.cy;
    return TRect(w - 2 * ArrowWidth - 6, 0, w, h);
}

void TacSplitBtnWnd::PrepareCache()
{
    TacBtnWnd::PrepareCache();
    TBitmap* cache = SkinData->FCacheBmp.get();
    TsSkinManager* m = Manager();
    if (!cache || cache->Empty() || !m) return;
    const TColor color = GetFontColor(CtrlHandle, SkinData->SkinIndex, m, std::min(CurrentState(), 2));
    DrawColorArrow(cache, color, ArrowRect(), asBottom, SkinData->CurrentPPI);
    GdiFlush();
}
