// Control images: a control with its children painted into a 32-bit bitmap, a control's
// background as its parent gives it, and buffered printing through uxtheme.
#include "sVclUtils.h"

#include "Forms.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsFill.h"
#include "sMessages.h"
#include "sSkinProvider.h"

namespace {

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

// The DC's state around a block, with the window origin moved so that (0, 0) lands at (x, y).
class TOriginScope {
public:
    TOriginScope(HDC dc, int x, int y) : dc_(dc), saved_(SaveDC(dc)) { OffsetWindowOrgEx(dc, -x, -y, nullptr); }
    ~TOriginScope() { RestoreDC(dc_, saved_); }
    TOriginScope(const TOriginScope&) = delete;
    TOriginScope& operator=(const TOriginScope&) = delete;

private:
    HDC dc_;
    int saved_;
};

class TCanvasLock {
public:
    explicit TCanvasLock(TCanvas* canvas) : canvas_(canvas) { canvas_->Lock(); }
    ~TCanvasLock() { canvas_->Unlock(); }
    TCanvasLock(const TCanvasLock&) = delete;
    TCanvasLock& operator=(const TCanvasLock&) = delete;

private:
    TCanvas* canvas_;
};

// An invisible child stands for the background its parent gives it.
void PaintHiddenChild(HDC dc, TControl* control)
{
    TacBGInfo bg;
    GetBGInfo(bg, control->Parent(), false);
    const TRect r = MkRect(control);
    if (bg.BgType == btCache && bg.Bmp)
        BitBlt(dc, 0, 0, r.Width(), r.Height(), bg.Bmp->Canvas()->Handle(), bg.Offset.X + control->Left(),
               bg.Offset.Y + control->Top(), SRCCOPY);
    else
        FillDC(dc, r, ColorToRGB(bg.Color), 0);
}

void PaintGraphic(HDC dc, TControl* control)
{
    const auto wdc = reinterpret_cast<WPARAM>(dc);
    control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PRINTING, 1), reinterpret_cast<LPARAM>(dc));
    // A plain windowless control has no printing of its own: it paints.
    if (control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_CTRLHANDLED), 0) == 1)
        control->Perform(WM_PRINT, wdc, PRF_CLIENT | PRF_ERASEBKGND);
    else
        control->Perform(WM_PAINT, wdc, 0);
    control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PRINTING, 0), reinterpret_cast<LPARAM>(dc));
}

void PaintWindowed(TBitmap* bmp, HDC dc, TWinControl* control)
{
    HWND wnd = control->Handle();
    const LRESULT printing = TrySendMessage(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_PRINTING, 1), reinterpret_cast<LPARAM>(dc));
    if (printing == 1 || WndIsSkinned(wnd)) {
        const LRESULT printed =
            TrySendMessage(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
        TrySendMessage(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_PRINTING, 0), reinterpret_cast<LPARAM>(dc));
        // -2: the window printed its children itself.
        if (printed != -2) PaintChildCtrls(control, bmp);
    } else {
        control->PaintTo(dc, 0, 0);
    }
}

// An MDI frame's children, each at its place in the frame's client area, the last (lowest)
// first. They come after the frame itself: painted before it, the frame's background would
// cover them.
void PaintMDIChildren(TBitmap* bmp, TCustomForm* frame)
{
    HWND frameWnd = frame->Handle();
    for (int i = frame->MDIChildCount() - 1; i >= 0; --i) {
        TCustomForm* child = frame->MDIChildren(i);
        if (!child->HandleAllocated() || !IsWindowVisible(child->Handle())) continue;
        HWND wnd = child->Handle();
        // A skinned child prints its whole window, an unskinned one its client area.
        POINT place{0, 0};
        if (WndIsSkinned(wnd)) {
            RECT r{};
            GetWindowRect(wnd, &r);
            place = {r.left, r.top};
        } else {
            ClientToScreen(wnd, &place);
        }
        ScreenToClient(frameWnd, &place);
        SkinPaintTo(bmp, child, place.x, place.y, nullptr, false);
    }
}

} // namespace

void SkinPaintTo(TBitmap* bmp, TControl* control, int dstX, int dstY, TComponent* skinProvider, bool checkOverlapped)
{
    if (!bmp || !control || bmp->Empty()) return;
    HDC dc = bmp->Canvas()->Handle();
    if (control->Parent() && !control->Visible() && !Designing(control) && !skinProvider) {
        TOriginScope origin(dc, dstX, dstY);
        PaintHiddenChild(dc, control);
    } else {
        TCanvasLock lock(bmp->Canvas());
        TOriginScope origin(dc, dstX, dstY);
        auto* provider = dynamic_cast<TsSkinProvider*>(skinProvider);
        if (!provider || !provider->BorderForm) IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            if (windowed->HandleAllocated()) {
                PaintWindowed(bmp, dc, windowed);
                if (auto* frame = dynamic_cast<TCustomForm*>(windowed); frame && frame->FormStyle() == fsMDIForm)
                    PaintMDIChildren(bmp, frame);
            }
        } else {
            PaintGraphic(dc, control);
        }
        if (provider) SendAMessage(control, AC_FORMPAINTED, reinterpret_cast<LPARAM>(provider));
    }
    if (!checkOverlapped || !control->Parent()) return;
    TWinControl* parent = control->Parent();
    const TRect bounds = control->BoundsRect();
    bool later = false;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* sibling = parent->Controls(i);
        if (sibling == control) {
            later = true;
            continue;
        }
        if (!later || !sibling->Visible() || dynamic_cast<TOutputWindow*>(sibling)) continue;
        const TRect common = RectsAnd(bounds, sibling->BoundsRect());
        if (common.Width() <= 0 || common.Height() <= 0) continue;
        SkinPaintTo(bmp, sibling, dstX + sibling->Left() - control->Left(), dstY + sibling->Top() - control->Top(),
                    nullptr, false);
    }
}

void PaintChildCtrls(TWinControl* parent, TBitmap* bmp)
{
    if (!parent || !bmp) return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(parent->Controls(i));
        if (!child || !(child->Visible() || Designing(child)) || !child->HandleAllocated()) continue;
        // SkinPaintTo moves the origin to the child's place itself.
        SkinPaintTo(bmp, child, child->Left(), child->Top(), nullptr, false);
    }
}

void StdPaintTo(TBitmap* bmp, TWinControl* control)
{
    if (!bmp || bmp->Empty()) return;
    if (control) {
        TCanvasLock lock(bmp->Canvas());
        control->PaintTo(bmp->Canvas()->Handle(), 0, 0);
    }
    FillAlphaRect(bmp, MkRect(bmp), 255, clNone);
}

void StdPaintTo(TBitmap* bmp, TControl* control)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed || !control) {
        StdPaintTo(bmp, windowed);
        return;
    }
    if (!bmp || bmp->Empty() || !control->Parent()) return;
    {
        TCanvasLock lock(bmp->Canvas());
        control->Parent()->PaintTo(bmp->Canvas()->Handle(), -control->Left(), -control->Top());
    }
    FillAlphaRect(bmp, MkRect(bmp), 255, clNone);
}

std::unique_ptr<TBitmap> acGetFormImage(TForm* form)
{
    if (!form) return nullptr;
    auto* provider = form->HandleAllocated()
                         ? reinterpret_cast<TsSkinProvider*>(SendAMessage(form->Handle(), AC_GETPROVIDER))
                         : nullptr;
    if (!provider || !provider->FCommonData || !provider->FCommonData->Skinned()) return form->GetFormImage();
    // The window image with the form's children painted over it; the client part is the result.
    if (provider->FCommonData->BGChanged || !provider->CacheBmp()) provider->PaintAll();
    TBitmap* cache = provider->CacheBmp();
    if (!cache || cache->Empty()) return form->GetFormImage();
    auto copy = CreateBmp32(cache->Width(), cache->Height());
    BitBlt(copy->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    SkinPaintTo(copy.get(), form, 0, 1, provider, false);
    auto result = CreateBmp32(form->ClientWidth(), form->ClientHeight());
    BitBlt(result->Canvas()->Handle(), 0, 0, result->Width(), result->Height(), copy->Canvas()->Handle(),
           provider->OffsetX(), provider->OffsetY(), SRCCOPY);
    return result;
}

void PaintParentBG(TControl* control, TBitmap* bmp)
{
    if (!control || !bmp) return;
    bmp->SetPixelFormat(pf32bit);
    bmp->SetSize(control->Width(), control->Height());
    if (bmp->Empty()) return;
    TacBGInfo bg;
    if (control->Parent()) GetBGInfo(bg, control->Parent(), false);
    if (bg.BgType == btFill) {
        FillRect32(bmp, MkRect(bmp), ColorToRGB(bg.Color), 255);
    } else if (bg.BgType == btCache && bg.Bmp) {
        BitBlt(bmp->Canvas()->Handle(), 0, 0, bmp->Width(), bmp->Height(), bg.Bmp->Canvas()->Handle(),
               bg.Offset.X + control->Left(), bg.Offset.Y + control->Top(), SRCCOPY);
    } else {
        FillRect32(bmp, MkRect(bmp), GetControlColor(control), 255);
    }
}

void SaveGraphCtrls(TWinControl* parent, std::vector<TControl*>& list)
{
    if (!parent) return;
    parent->SetDoubleBuffered(true);
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        if (child->ControlStyle().Contains(csOpaque)) continue;
        child->SetControlStyle(child->ControlStyle() + TControlStyle{csOpaque});
        list.push_back(child);
    }
}

void RestoreGraphCtrls(TWinControl*, std::vector<TControl*>& list)
{
    for (TControl* child : list) child->SetControlStyle(child->ControlStyle() - TControlStyle{csOpaque});
    list.clear();
}

void BufferedPrintClient(HWND wnd, const TRect& r, TColor color)
{
    if (!acBeginBufferedPaint || !acEndBufferedPaint || !wnd) return;
    HDC dc = GetDC(wnd);
    if (!dc) return;
    const RECT rc = r;
    BP_PAINTPARAMS params{};
    params.cbSize = sizeof(params);
    HDC buffer = nullptr;
    if (HPAINTBUFFER pb = acBeginBufferedPaint(dc, &rc, BPBF_TOPDOWNDIB, &params, &buffer); pb && buffer) {
        FillDC(buffer, r, ColorToRGB(color), 0);
        SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(buffer), PRF_CLIENT);
        if (acBufferedPaintSetAlpha) acBufferedPaintSetAlpha(pb, &rc, 255);
        acEndBufferedPaint(pb, TRUE);
    }
    ReleaseDC(wnd, dc);
}

void DoBufferedOut(TCanvas* canvas, TBitmap* bmp, const TRect& r)
{
    if (!canvas || !bmp || !acBeginBufferedPaint || !acEndBufferedPaint) return;
    const RECT rc = r;
    BP_PAINTPARAMS params{};
    params.cbSize = sizeof(params);
    HDC buffer = nullptr;
    if (HPAINTBUFFER pb = acBeginBufferedPaint(canvas->Handle(), &rc, BPBF_TOPDOWNDIB, &params, &buffer); pb && buffer) {
        BitBlt(buffer, r.Left, r.Top, r.Width(), r.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
        if (acBufferedPaintSetAlpha) acBufferedPaintSetAlpha(pb, &rc, 255);
        acEndBufferedPaint(pb, TRUE);
    }
}

// --- windowless children painted by their parent

bool acGraphPainting = false;

namespace {

class TGraphPaintingGuard {
public:
    TGraphPaintingGuard() { acGraphPainting = true; }
    ~TGraphPaintingGuard() { acGraphPainting = false; }
    TGraphPaintingGuard(const TGraphPaintingGuard&) = delete;
    TGraphPaintingGuard& operator=(const TGraphPaintingGuard&) = delete;
};

bool Meets(const TRect& a, const TRect& b)
{
    const TRect c = RectsAnd(a, b);
    return c.Width() > 0 && c.Height() > 0;
}

} // namespace

void PaintControls(HDC dc, TWinControl* parent, bool check, const TPoint& offset, bool)
{
    if (acGraphPainting || !dc || !parent) return;
    // Cleared on every way out, the early ones included.
    TGraphPaintingGuard guard;
    if (check && !(parent->Visible() || Designing(parent))) return;
    if (parent->ControlCount() == 0) return;
    RECT clipBox{};
    const int clipType = GetClipBox(dc, &clipBox);
    const TRect clip = clipBox;
    if (clipType == NULLREGION || clipType == ERROR || clip.Width() <= 0 || clip.Height() <= 0) {
        SendAMessage(parent, AC_SETOUTOFVIEW);
        return;
    }
    TacBGInfo bg;
    GetBGInfo(bg, parent, false);

    std::vector<TControl*> counting;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (dynamic_cast<TWinControl*>(c)) continue;
        if (!(c->Visible() || Designing(c)) || c->Width() < 1 || c->Height() <= 0) continue;
        const RECT where = OffsRect(c->BoundsRect(), offset.X, offset.Y);
        if (!RectVisible(dc, &where)) continue;
        counting.push_back(c);
    }

    const int width = parent->ClientWidth(), height = parent->ClientHeight();
    HDC memDC = nullptr;
    HBITMAP memBmp = nullptr;
    HGDIOBJ oldBmp = nullptr;
    std::vector<TControl*> painted;
    for (TControl* c : counting) {
        const TRect where = OffsRect(c->BoundsRect(), offset.X, offset.Y);
        if (!Meets(where, clip)) {
            SendAMessage(c, AC_SETOUTOFVIEW);
            continue;
        }
        if (!memDC) {
            memDC = CreateCompatibleDC(dc);
            memBmp = CreateCompatibleBitmap(dc, std::max(1, width), std::max(1, height));
            oldBmp = SelectObject(memDC, memBmp);
            if (bg.BgType == btCache && bg.Bmp)
                BitBlt(memDC, 0, 0, width, height, bg.Bmp->Canvas()->Handle(), bg.Offset.X, bg.Offset.Y, SRCCOPY);
            else
                FillDC(memDC, TRect(0, 0, width, height), ColorToRGB(bg.Color), 0);
        }
        const int saved = SaveDC(memDC);
        SetWindowOrgEx(memDC, -c->Left(), -c->Top(), nullptr);
        IntersectClipRect(memDC, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memDC), 0);
        RestoreDC(memDC, saved);
        painted.push_back(c);
    }
    for (TControl* c : painted) {
        // A child that left its corner in the key colour is not to be shown.
        if ((GetPixel(memDC, c->Left(), c->Top()) & 0x00FFFFFF) == 0x00FF00FF) continue;
        BitBlt(dc, c->Left() + offset.X, c->Top() + offset.Y, c->Width(), c->Height(), memDC, c->Left(), c->Top(),
               SRCCOPY);
    }
    if (memDC) {
        SelectObject(memDC, oldBmp);
        DeleteObject(memBmp);
        DeleteDC(memDC);
    }
}
