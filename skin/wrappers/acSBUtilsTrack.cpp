// The track bar wrapper: the window's own rectangles and ticks, painted from the skin.
#include "acSBUtilsTrack.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsShapes.h"
#include "sGraphUtilsStretch.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool ValidMask(TacSkinData* data, int index) { return data && IsValidIndex(index, static_cast<int>(data->ma.size())); }

bool HasStyle(HWND Wnd, LONG_PTR bits) { return (GetWindowLongPtrW(Wnd, GWL_STYLE) & bits) == bits; }

// The track-bar elements of the skin for the bar's orientation.
const TacTrackBarData* TrackData(TacSkinData* skin, bool vertical)
{
    return skin ? &skin->TrackBar[vertical ? 0 : 1] : nullptr;
}

// The state frame of an image over key colour, in a bitmap of its own.
std::unique_ptr<TBitmap> GlyphFrame(const TsMaskData& mask, int state)
{
    auto g = std::make_unique<TBitmap>(mask.Width, mask.Height, pf32bit);
    FillRect32(g.get(), TRect(0, 0, mask.Width, mask.Height), clFuchsia, 0xFF);
    DrawSkinGlyph(g.get(), TPoint(0, 0), state, 1, mask, MakeCacheInfo(g.get(), 0, 0));
    GdiFlush();
    return g;
}

// Lays the glyph's non-key pixels over dst at (x, y), mirrored across the bar when asked.
void LayGlyph(TBitmap& dst, int x, int y, TBitmap& glyph, bool mirrorRows, bool mirrorColumns)
{
    const int w = glyph.Width(), h = glyph.Height();
    for (int gy = 0; gy < h; ++gy) {
        const int dy = y + gy;
        if (dy < 0 || dy >= dst.Height()) continue;
        const int sy = mirrorRows ? h - 1 - gy : gy;
        const auto* src = static_cast<const std::uint32_t*>(glyph.ScanLine(sy));
        auto* row = static_cast<std::uint32_t*>(dst.ScanLine(dy));
        for (int gx = 0; gx < w; ++gx) {
            const int dx = x + gx;
            if (dx < 0 || dx >= dst.Width()) continue;
            const std::uint32_t p = src[mirrorColumns ? w - 1 - gx : gx];
            if ((p & 0xFFFFFF) == 0xFF00FF) continue;
            row[dx] = p | 0xFF000000u;
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Channel and ticks

TRect acTrackChannelRect(HWND Wnd)
{
    RECT r{1, 1, 0, 0};
    if (Wnd) SendMessageW(Wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
    TRect channel(r);
    if (Wnd && HasStyle(Wnd, TBS_VERT) && channel.Width() > channel.Height())
        channel = TRect(channel.Top, channel.Left, channel.Bottom, channel.Right);
    return channel;
}

std::vector<TPoint> acTrackTickPoints(HWND Wnd, const TRect& Channel, const TRect& Thumb)
{
    std::vector<TPoint> points;
    if (!Wnd) return points;
    const int count = static_cast<int>(SendMessageW(Wnd, TBM_GETNUMTICS, 0, 0));
    if (count <= 0) return points;
    const bool vertical = HasStyle(Wnd, TBS_VERT);
    const int start = vertical ? Channel.Top : Channel.Left;
    const int end = vertical ? Channel.Bottom : Channel.Right;
    const int half = (vertical ? Thumb.Height() : Thumb.Width()) / 2;
    const int across = vertical ? (Channel.Left + Channel.Right) / 2 : (Channel.Top + Channel.Bottom) / 2;
    const auto at = [&](int along) { return vertical ? TPoint(across, along) : TPoint(along, across); };
    const int first = start + half, last = end - half;
    points.push_back(at(first));
    const int minimum = static_cast<int>(SendMessageW(Wnd, TBM_GETRANGEMIN, 0, 0));
    const int maximum = static_cast<int>(SendMessageW(Wnd, TBM_GETRANGEMAX, 0, 0));
    for (int i = 0; i + 2 < count; ++i) {
        int pos = static_cast<int>(SendMessageW(Wnd, TBM_GETTICPOS, static_cast<WPARAM>(i), 0));
        // A vertical bar's tick may come measured along the horizontal, which puts it across the
        // bar (within the thumb's width) or off the channel: then from the tick's value.
        const bool measuredAcross = vertical && pos >= Thumb.Left && pos < Thumb.Right;
        if (pos < start || pos >= end || measuredAcross) {
            const int value = static_cast<int>(SendMessageW(Wnd, TBM_GETTIC, static_cast<WPARAM>(i), 0));
            pos = maximum > minimum ? first + MulDiv(value - minimum, last - first, maximum - minimum) : first;
        }
        points.push_back(at(pos));
    }
    if (count > 1) points.push_back(at(last));
    return points;
}

// ---------------------------------------------------------------------------------------------
// Queries

bool TacTrackWnd::IsVertical() { return HasStyle(CtrlHandle, TBS_VERT); }

int TacTrackWnd::TickMarks()
{
    if (HasStyle(CtrlHandle, TBS_BOTH)) return 2;
    if (HasStyle(CtrlHandle, TBS_TOP)) return 1;
    return 0;
}

int TacTrackWnd::TickStyle() { return HasStyle(CtrlHandle, TBS_NOTICKS) ? 0 : 1; }

TRect TacTrackWnd::ChannelRect() { return acTrackChannelRect(CtrlHandle); }

TRect TacTrackWnd::ThumbRect()
{
    RECT r{1, 1, 0, 0};
    SendMessageW(CtrlHandle, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    return TRect(r);
}

int TacTrackWnd::TickCount() { return static_cast<int>(SendMessageW(CtrlHandle, TBM_GETNUMTICS, 0, 0)); }

int TacTrackWnd::TickPos(int Index)
{
    return static_cast<int>(SendMessageW(CtrlHandle, TBM_GETTICPOS, static_cast<WPARAM>(Index), 0));
}

std::vector<TPoint> TacTrackWnd::TicksArray() { return acTrackTickPoints(CtrlHandle, ChannelRect(), ThumbRect()); }

bool TacTrackWnd::IsActive()
{
    // A foreign window has no control to ask: it is active while focused or while the manager
    // holds it as the control under the mouse.
    if (ControlIsActive(SkinData) || GetFocus() == CtrlHandle) return true;
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    return manager && manager->ActiveControl() == CtrlHandle && IsWindowEnabled(CtrlHandle);
}

int TacTrackWnd::ThumbState()
{
    if (bMousePressed) return 2;
    return IsActive() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TacTrackWnd::AC_WMPaint(TMessage& Message)
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    PAINTSTRUCT ps{};
    BeginPaint(CtrlHandle, &ps);
    if (SkinData && !SkinData->FUpdating) {
        InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        if (ParentWnd) SendAMessage(ParentWnd, AC_MDINOTIFY);
        const HDC given = reinterpret_cast<HDC>(Message.WParam);
        if (IsWindowVisible(CtrlHandle) || given) {
            const HDC dc = given ? given : GetWindowDC(CtrlHandle);
            if (dc) {
                PrepareCache();
                if (TBitmap* cache = SkinData->FCacheBmp.get())
                    BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
                if (!given) ReleaseDC(CtrlHandle, dc);
            }
        }
    }
    EndPaint(CtrlHandle, &ps);
    Message.Result = 0;
}

void TacTrackWnd::PrepareCache()
{
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return;
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(std::max<int>(0, WndSize.cx), std::max<int>(0, WndSize.cy));
    PaintBody();
}

void TacTrackWnd::PaintBody()
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    TsSkinManager* manager = SkinData->GetSkinManager();
    if (!cache || cache->Empty() || !skin || !manager) return;
    const TCacheInfo parent = GetParentCacheHwnd(CtrlHandle);
    const TRect whole(0, 0, cache->Width(), cache->Height());
    CopyParentBackground(cache, parent, WndPos, manager);
    PaintItem(SkinData->SkinIndex, parent, true, 0, whole, WndPos, cache, manager);
    const TacTrackBarData* track = TrackData(skin, IsVertical());
    if (track && track->SkinIndex >= 0) {
        PaintBar();
        PaintThumb(static_cast<int>(SendMessageW(CtrlHandle, TBM_GETPOS, 0, 0)));
    }
    if (!IsWindowEnabled(CtrlHandle)) BlendTowardParent(cache, parent, WndPos, manager);
    GdiFlush();
}

void TacTrackWnd::PaintBar()
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    const bool vertical = IsVertical();
    const TacTrackBarData* track = TrackData(skin, vertical);
    if (track && ValidMask(skin, track->ChannelIndex)) {
        const TsMaskData& image = skin->ma[static_cast<size_t>(track->ChannelIndex)];
        TRect r = ChannelRect();
        if (vertical) {
            const int w = image.Width - 1;
            r.Left = (r.Left + r.Right - w) / 2;
            r.Right = r.Left + w;
        } else {
            const int h = image.Height - 1;
            r.Top = (r.Top + r.Bottom - h) / 2;
            r.Bottom = r.Top + h;
        }
        DrawSkinRect(cache, r, MakeCacheInfo(cache, 0, 0), image, IsActive() ? 1 : 0, true);
    }
    if (vertical)
        PaintTicksVer();
    else
        PaintTicksHor();
}

int TacTrackWnd::TickOffset()
{
    const TRect channel = ChannelRect(), thumb = ThumbRect();
    const int thickness = IsVertical() ? channel.Width() - thumb.Width() : channel.Height() - thumb.Height();
    // The ticks stay clear of the thumb on either side of the channel.
    return std::abs(thickness) / 2 + 2;
}

void TacTrackWnd::PaintTicksHor()
{
    if (TickStyle() != 1) return;
    const TRect channel = ChannelRect();
    const int d = TickOffset();
    const int marks = TickMarks();
    const std::vector<TPoint> ticks = TicksArray();
    for (const TPoint& p : ticks) {
        if (marks == 1 || marks == 2) PaintTick(TPoint(p.X, channel.Top - d - TickHeight), true);
        if (marks == 0 || marks == 2) PaintTick(TPoint(p.X, channel.Bottom + d), true);
    }
}

void TacTrackWnd::PaintTicksVer()
{
    if (TickStyle() != 1) return;
    const TRect channel = ChannelRect();
    const int d = TickOffset();
    const int marks = TickMarks();
    const std::vector<TPoint> ticks = TicksArray();
    for (const TPoint& p : ticks) {
        if (marks == 1 || marks == 2) PaintTick(TPoint(channel.Left - d - TickHeight, p.Y), false);
        if (marks == 0 || marks == 2) PaintTick(TPoint(channel.Right + d, p.Y), false);
    }
}

// P: the tick's start across the bar (top or left) and its place along the bar.
void TacTrackWnd::PaintTick(const TPoint& P, bool Horizontal)
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    const TacTrackBarData* track = TrackData(skin, !Horizontal);
    // The tick's rectangle: 2 along the bar, TickHeight across it.
    const TRect r = Horizontal ? TRect(P.X - 1, P.Y, P.X + 1, P.Y + TickHeight)
                               : TRect(P.X, P.Y - 1, P.X + TickHeight, P.Y + 1);
    if (track && ValidMask(skin, track->TickIndex)) {
        const TsMaskData& image = skin->ma[static_cast<size_t>(track->TickIndex)];
        const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
        DrawSkinGlyph(cache, TPoint(cx - image.Width / 2, cy - image.Height / 2), 0, 1, image,
                      MakeCacheInfo(cache, 0, 0));
        return;
    }
    TRect frame = r;
    int width = 1;
    DrawRectangleOnDC(cache->Canvas()->Handle(), frame, clWhite, width, ColorToRGB(clBtnShadow));
}

void TacTrackWnd::PaintThumb(int)
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    const bool vertical = IsVertical();
    const TacTrackBarData* track = TrackData(skin, vertical);
    if (!track || !ValidMask(skin, track->SliderIndex)) return;
    const TsMaskData& image = skin->ma[static_cast<size_t>(track->SliderIndex)];
    const TRect thumb = ThumbRect();
    if (thumb.IsEmpty() || image.Width <= 0 || image.Height <= 0) return;
    const bool mirror = TickMarks() == 1;
    auto glyph = GlyphFrame(image, ThumbState());
    const bool fixed = vertical ? thumb.Width() == 23 : thumb.Height() == 23;
    const bool sameSize = thumb.Width() == image.Width && thumb.Height() == image.Height;
    if (fixed || sameSize) {
        // At its own size, centred on the thumb.
        const int x = thumb.Left + (thumb.Width() - image.Width) / 2;
        const int y = thumb.Top + (thumb.Height() - image.Height) / 2;
        LayGlyph(*cache, x, y, *glyph, mirror && !vertical, mirror && vertical);
        return;
    }
    // Stretched: composed at the image's size over the background it covers, then scaled.
    TBitmap work(image.Width, image.Height, pf32bit);
    SetStretchBltMode(work.Canvas()->Handle(), COLORONCOLOR);
    StretchBlt(work.Canvas()->Handle(), 0, 0, image.Width, image.Height, cache->Canvas()->Handle(), thumb.Left,
               thumb.Top, thumb.Width(), thumb.Height(), SRCCOPY);
    GdiFlush();
    LayGlyph(work, 0, 0, *glyph, mirror && !vertical, mirror && vertical);
    TBitmap scaled;
    Stretch(&work, &scaled, thumb.Width(), thumb.Height(), ftMitchell);
    BitBlt(cache->Canvas()->Handle(), thumb.Left, thumb.Top, thumb.Width(), thumb.Height(), scaled.Canvas()->Handle(), 0,
           0, SRCCOPY);
    GdiFlush();
}

// ---------------------------------------------------------------------------------------------
// Messages

void TacTrackWnd::AfterCreation()
{
    TickHeight = 4;
    TacMainWnd::AfterCreation();
}

void TacTrackWnd::acWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        if (SkinData && SkinData->Skinned()) {
            AC_WMPaint(Message);
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (SkinData && SkinData->Skinned()) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_NCPAINT:
        if (SkinData && SkinData->Skinned()) {
            Message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONDOWN: bMousePressed = true; break;
    case WM_LBUTTONUP: bMousePressed = false; break;
    default: break;
    }
    TacMainWnd::acWndProc(Message);
}
