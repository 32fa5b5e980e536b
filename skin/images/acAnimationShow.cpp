// The show animation of controls and forms: the picture taken before a change, the frames of
// the output window over a control, and the layered window over a form.
#include "acAnimationShow.h"

#include "Forms.h"
#include "SysUtils.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sMessages.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// ---------------------------------------------------------------------------------------------
// The animation's state

// Owns the output window while it lives; the window's owner control may free it first.
class TacShowState::TOutputHolder : public TComponent {
public:
    TOutputHolder() : TComponent(nullptr) {}
    ~TOutputHolder() override
    {
        // The window's destruction tells Notification, which forgets it.
        if (Window) delete Window;
    }
    TOutputHolder(const TOutputHolder&) = delete;
    TOutputHolder& operator=(const TOutputHolder&) = delete;

    TOutputWindow* Window = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation != opRemove || component != Window) return;
        Window = nullptr;
        if (ow == component) ow = nullptr;
    }
};

TacShowState::TacShowState() : output_(std::make_unique<TOutputHolder>()) {}

TacShowState::~TacShowState() = default;

TOutputWindow* TacShowState::OutputWindow() const { return output_->Window; }

void TacShowState::TakeOutputWindow(TOutputWindow* window)
{
    output_->Window = window;
    ow = window;
    window->FreeNotification(output_.get());
}

namespace {

std::unique_ptr<TacShowState> g_show;

bool CanAnimate(TWinControl* control)
{
    if (!control || !control->HandleAllocated() || !IsWindowVisible(control->Handle())) return false;
    HWND root = GetAncestor(control->Handle(), GA_ROOT);
    return !(root && IsIconic(root));
}

std::unique_ptr<TBitmap> CopyOf(TBitmap* src)
{
    auto copy = CreateBmp32(src->Width(), src->Height());
    BitBlt(copy->Canvas()->Handle(), 0, 0, src->Width(), src->Height(), src->Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
    return copy;
}

void CopyInto(TBitmap& dst, TBitmap& src)
{
    BitBlt(dst.Canvas()->Handle(), 0, 0, src.Width(), src.Height(), src.Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
}

// Alpha 255 where the colours of a and b differ, 0 where they are equal (a's alpha is set).
void MarkDifferences(TBitmap* a, TBitmap* b)
{
    TacBmpRows ra(a), rb(b);
    if (!ra.Valid() || !rb.Valid()) return;
    const int w = std::min(ra.Width(), rb.Width()), h = std::min(ra.Height(), rb.Height());
    for (int y = 0; y < h; ++y) {
        const auto rowA = ra.Row(y);
        const auto rowB = rb.Row(y);
        for (int x = 0; x < w; ++x) {
            TsColor_& p = rowA[static_cast<size_t>(x)];
            const TsColor_ q = rowB[static_cast<size_t>(x)];
            p.A = p.R != q.R || p.G != q.G || p.B != q.B ? 255 : 0;
        }
    }
}

void RefreshMagnifier()
{
    if (auto* magnifier = dynamic_cast<TWinControl*>(acMagnForm); magnifier && magnifier->HandleAllocated())
        SendAMessage(magnifier->Handle(), AC_REFRESH);
}

// Paces a frame: at least frameTime milliseconds after tick.
void EndFrame(DWORD tick, int frameTime)
{
    Sleep(0);
    WaitTicks(tick, static_cast<DWORD>(frameTime));
}

// ---------------------------------------------------------------------------------------------
// The output-window path

void ShowInOutput(HWND wnd, TBitmap& bmp)
{
    GdiFlush();
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    BitBlt(dc, 0, 0, bmp.Width(), bmp.Height(), bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(wnd, dc);
}

// atcBlur: the old children swell and fade while the new content fades in.
class TBlurFrames {
public:
    TBlurFrames(TacShowState& state, TBitmap& newBmp, WORD time)
        : state_(state), rate_(1 + (1000 - std::min<int>(999, time)) * 0.0006), scaled_(state.ChildRects),
          shrunk_(CopyOf(state.Before.get())), newBmp_(CopyOf(&newBmp))
    {
        // The new picture covers only where it differs from the bare background.
        if (state.Background) MarkDifferences(newBmp_.get(), state.Background.get());
    }
    double Rate() const { return rate_; }

    void Build(TBitmap& frame, int index, double value, double value2)
    {
        Shrink();
        if (state_.Background) CopyInto(frame, *state_.Background);
        const int w = frame.Width(), h = frame.Height();
        if (value > 1 && !shrunk_->Empty()) {
            const auto opacity = static_cast<BYTE>(std::clamp<long long>(Round(value), 0, 255));
            auto work = CreateBmp32(w, h);
            HDC workDC = work->Canvas()->Handle();
            SetStretchBltMode(workDC, COLORONCOLOR);
            for (size_t i = 0; i < scaled_.size(); ++i) {
                const TRect& from = scaled_[i];
                const TRect& to = state_.ChildRects[i];
                if (from.Width() <= 0 || from.Height() <= 0) continue;
                // The child's first place, swollen by 1/32 of its size a frame.
                const int dx = (index + 1) * to.Width() / 32, dy = (index + 1) * to.Height() / 32;
                const TRect target(to.Left - dx, to.Top - dy, to.Right + dx, to.Bottom + dy);
                const TRect clip = RectsAnd(target, TRect(0, 0, w, h));
                if (clip.Width() <= 0 || clip.Height() <= 0) continue;
                const int saved = SaveDC(workDC);
                IntersectClipRect(workDC, clip.Left, clip.Top, clip.Right, clip.Bottom);
                StretchBlt(workDC, target.Left, target.Top, target.Width(), target.Height(),
                           shrunk_->Canvas()->Handle(), from.Left, from.Top, from.Width(), from.Height(), SRCCOPY);
                RestoreDC(workDC, saved);
                GdiFlush();
                FillAlphaRect(work.get(), clip, 255, clNone);
                PaintBmpRect32(&frame, work.get(), clip, TPoint(clip.Left, clip.Top), opacity);
            }
        }
        const auto newOpacity = static_cast<BYTE>(std::clamp<long long>(255 - Round(value2), 0, 255));
        PaintBmpRect32(&frame, newBmp_.get(), MkRect(newBmp_.get()), TPoint(0, 0), newOpacity);
    }

private:
    // The before-picture and the child rectangles shrink by 7/8, cumulatively.
    void Shrink()
    {
        const int w = shrunk_->Width() * 7 / 8, h = shrunk_->Height() * 7 / 8;
        for (TRect& r : scaled_) r = TRect(r.Left * 7 / 8, r.Top * 7 / 8, r.Right * 7 / 8, r.Bottom * 7 / 8);
        auto smaller = CreateBmp32(w, h);
        if (w > 0 && h > 0) {
            HDC dc = smaller->Canvas()->Handle();
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, 0, 0, w, h, shrunk_->Canvas()->Handle(), 0, 0, shrunk_->Width(), shrunk_->Height(), SRCCOPY);
            GdiFlush();
        }
        shrunk_ = std::move(smaller);
    }

    TacShowState& state_;
    double rate_;
    std::vector<TRect> scaled_;
    std::unique_ptr<TBitmap> shrunk_;
    std::unique_ptr<TBitmap> newBmp_;
};

// atcBlur2: a soft blur with a slight zoom of the before-picture, frame after frame.
void SoftBlur(TBitmap& before, TBitmap& scratch)
{
    const int w = before.Width(), h = before.Height();
    const int sw = MulDiv(w, 3, 6), sh = MulDiv(h, 3, 6);
    if (sw <= 5 || sh <= 5) return;
    HDC s = scratch.Canvas()->Handle(), b = before.Canvas()->Handle();
    SetStretchBltMode(s, HALFTONE);
    StretchBlt(s, 0, 0, sw, sh, b, 0, 0, w, h, SRCCOPY);
    SetStretchBltMode(b, HALFTONE);
    StretchBlt(b, 0, 0, w, h, s, 2, 2, sw - 5, sh - 5, SRCCOPY);
    GdiFlush();
}

void ShowThroughOutputWindow(TWinControl* control, WORD time, TacAnimTypeCtrl animType,
                             const TacIterationProc& callback, TacShowProvider* provider,
                             std::unique_ptr<TacShowState>& state)
{
    if (!state || !state->OutputWindow()) {
        PrepareForAnimation(control, atcFade);
        state = std::move(g_show);
    }
    if (!state || !state->OutputWindow() || !state->Before) return;
    TOutputWindow* out = state->OutputWindow();
    HWND outWnd = out->Handle();
    HWND wnd = control->Handle();
    if (out->Parent()) {
        // Right above the control, under whatever lies above it.
        HWND above = GetWindow(wnd, GW_HWNDPREV);
        if (above != outWnd)
            SetWindowPos(outWnd, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const int w = control->Width(), h = control->Height();
    auto newBmp = CreateBmp32(w, h);
    SkinPaintTo(newBmp.get(), control);
    auto frame = CreateBmp32(w, h);
    // A content change that resized the control leaves the picture taken before it unfit to
    // blend with: the new picture comes at once.
    const bool fits = state->Before->Width() == w && state->Before->Height() == h;
    const int steps = fits ? time / acCtrlFrameTime : 0;
    if (provider) {
        // The output window takes the form's shape.
        provider->FillArOR();
        if (HRGN rgn = provider->GetRgnFromArOR(); rgn && !SetWindowRgn(outWnd, rgn, FALSE)) DeleteObject(rgn);
    }

    std::unique_ptr<TBlurFrames> blur;
    std::unique_ptr<TBitmap> scratch;
    int offset = 0;
    switch (animType) {
    case atcBlur: blur = std::make_unique<TBlurFrames>(*state, *newBmp, time); break;
    case atcBlur2: scratch = CreateBmp32(w, h); break;
    case atcRunup: offset = GetControlPPI(control) * 16 / 96; break;
    case atcFade:
    case atcAero: break;
    }

    TacIterationData data;
    data.OutRect = TRect(0, 0, w, h);
    data.Ctrl = control;
    data.BmpTo = newBmp.get();
    data.BmpOut = frame.get();
    TBitmap& before = *state->Before;
    if (steps > 0) {
        double value = 255, value2 = 255;
        const double step = 255.0 / steps;
        const int limit = animType == atcBlur ? BlurFrameLimit(steps) : 0;
        for (int index = 0; value > 2; ++index) {
            if (limit && index >= limit) break;
            const DWORD tick = GetTickCount();
            switch (animType) {
            case atcRunup:
                CopyInto(*frame, before);
                data.Blend = static_cast<BYTE>(std::clamp<long long>(Round(value), 0, 255));
                if (callback) callback(data);
                SumBmpRect(frame.get(), newBmp.get(), data.Blend, data.OutRect,
                           TPoint(data.OutRect.Left, data.OutRect.Top + offset));
                value = value * 2 / 3;
                offset /= 2;
                break;
            case atcBlur2:
                SoftBlur(before, *scratch);
                value = std::max(0.0, value - step);
                value2 = value2 * 3 / 4;
                data.Blend = static_cast<BYTE>(std::clamp<long long>(Round(value2), 0, 255));
                SumBitmapsByMask(frame.get(), &before, newBmp.get(), nullptr, data.Blend);
                break;
            case atcBlur:
                data.Blend = static_cast<BYTE>(std::clamp<long long>(Round(value), 0, 255));
                blur->Build(*frame, index, value, value2);
                value = std::max(0.0, value / blur->Rate());
                value2 = std::max(0.0, value2 - step);
                break;
            case atcFade:
            case atcAero:
                data.Blend = static_cast<BYTE>(std::clamp<long long>(Round(value), 0, 255));
                SumBitmapsByMask(frame.get(), &before, newBmp.get(), nullptr, data.Blend);
                value = std::max(0.0, value - step);
                break;
            }
            if (animType != atcRunup && callback) callback(data);
            ShowInOutput(outWnd, *frame);
            RefreshMagnifier();
            EndFrame(tick, acCtrlFrameTime);
        }
    }

    ShowInOutput(outWnd, *newBmp);
    RefreshMagnifier();
    InAnimationProcess = false;
    if (IsWindowVisible(wnd)) {
        if (!out->Parent()) {
            FillAlphaRect(newBmp.get(), MkRect(newBmp.get()), 255, clNone);
            SendMessageW(wnd, WM_SETREDRAW, 1, 0);
            SetFormBlendValue(outWnd, newBmp.get(), 254);
        } else {
            SendMessageW(wnd, WM_SETREDRAW, 1, 0);
        }
        if (IsWinVistaUp())
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const bool layeredForm =
            dynamic_cast<TCustomForm*>(control) && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        if (!layeredForm)
            SetWindowPos(outWnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ---------------------------------------------------------------------------------------------
// The layered path of a form

// The border window's place: the form's window moved by the shadow and the difference between
// the skin's and the system's frame.
TPoint BorderFormPos(TCustomForm* form, TacShowProvider& provider, const RECT& wr)
{
    const TRect shadow = provider.ShadowSize();
    const int dx = shadow.Left + provider.SkinBorderWidth() - provider.SysBorderWidth();
    int dy = shadow.Top;
    if (!provider.SysExHeight() && form->BorderStyle() != bsNone) {
        dy += provider.SkinTitleHeight() - provider.SysCaptHeight() - provider.SysBorderWidth();
        if (IsZoomed(form->Handle()) && provider.ExMaxHeight() != provider.ExTitleHeight())
            dy += provider.ExTitleHeight() - provider.ExMaxHeight();
    }
    return TPoint(wr.left - dx, wr.top - dy);
}

void ShowLayeredForm(TCustomForm* form, TacShowProvider& provider, WORD time, int maxBlend, TacAnimTypeCtrl animType)
{
    HWND wnd = form->Handle();
    const bool border = provider.HasBorderForm();
    std::unique_ptr<TBitmap> cover;
    if (border) {
        cover = provider.TakeCoverBmp();
        if (TBitmap* cache = provider.CacheBmp(); !cover && cache && !cache->Empty()) cover = CopyOf(cache);
    }
    provider.PaintAll();
    TBitmap* cache = provider.CacheBmp();
    if (!cache || cache->Empty()) return;
    auto picture = CopyOf(cache);
    SkinPaintTo(picture.get(), form, 0, 0, dynamic_cast<TComponent*>(&provider));
    if (!border)
        FillAlphaRect(picture.get(), provider.UWPMode() ? provider.UWPClientRect() : MkRect(picture.get()), 255, clNone);

    const int w = picture->Width(), h = picture->Height();
    const TSize size{w, h};
    const int steps = time / acFormFrameTime;
    const auto alpha = static_cast<BYTE>(std::clamp(maxBlend, 0, 255));
    BLENDFUNCTION blend{};
    InitBlendData(blend, steps < 1 ? alpha : 0);

    // The frame: the picture itself, or for atcAero the picture drawn into a growing rectangle.
    std::unique_ptr<TBitmap> aeroFrame = animType == atcAero ? CreateBmp32(w, h) : nullptr;
    auto frameAt = [&](int i) -> TBitmap* {
        if (!aeroFrame) return picture.get();
        const TacAnimFrame f = AnimShowFrame(atAero, w, h, steps, i, alpha);
        if (f.CopyWhole || f.Last) return picture.get();
        FillRect32(aeroFrame.get(), MkRect(aeroFrame.get()), 0, 0);
        HDC dc = aeroFrame->Canvas()->Handle();
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, static_cast<int>(Round(f.Left)), static_cast<int>(Round(f.Top)),
                   static_cast<int>(Round(f.Right - f.Left)), static_cast<int>(Round(f.Bottom - f.Top)),
                   picture->Canvas()->Handle(), 0, 0, w, h, SRCCOPY);
        GdiFlush();
        return aeroFrame.get();
    };

    RECT wr{};
    GetWindowRect(wnd, &wr);
    const bool topmost = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    // Taken before a new window comes to the top.
    HWND preceding = GetWindow(wnd, GW_HWNDPREV);
    std::unique_ptr<TacGlowForm> glow, oldBorder;
    TacGlowForm* layered = nullptr;
    TPoint pos(wr.left, wr.top);
    if (border) {
        oldBorder = provider.DetachBorderForm();
        layered = provider.CreateNewForm();
        pos = BorderFormPos(form, provider, wr);
    } else {
        glow = std::make_unique<TacGlowForm>(nullptr);
        glow->SetBounds(wr.left, wr.top, w, h);
        layered = glow.get();
    }
    HWND layeredWnd = layered ? layered->Handle() : nullptr;
    if (layeredWnd) {
        SetWindowLongPtrW(layeredWnd, GWL_EXSTYLE,
                          GetWindowLongPtrW(layeredWnd, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_NOACTIVATE);
        UpdateLayeredWnd(layeredWnd, frameAt(0), &size, &blend, &pos);
        if (!border) {
            provider.FillArOR();
            if (HRGN rgn = provider.GetRgnFromArOR(); rgn && !SetWindowRgn(layeredWnd, rgn, FALSE)) DeleteObject(rgn);
        }
        HWND after = topmost ? HWND_TOPMOST : (preceding && preceding != layeredWnd ? preceding : HWND_TOP);
        SetWindowPos(layeredWnd, after, pos.X, pos.Y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    }

    if (steps > 0) {
        double current = 0;
        for (int i = 0; i <= steps; ++i) {
            const DWORD tick = GetTickCount();
            current = std::min<double>(alpha, current + static_cast<double>(alpha) / steps);
            blend.SourceConstantAlpha = static_cast<BYTE>(std::clamp<long long>(Round(current), 0, alpha));
            if (layeredWnd) UpdateLayeredWnd(layeredWnd, frameAt(i), &size, &blend, &pos);
            if (oldBorder && oldBorder->HandleAllocated() && cover) {
                BLENDFUNCTION old{};
                InitBlendData(old, static_cast<BYTE>(std::clamp(3 * (alpha - blend.SourceConstantAlpha), 0, 255)));
                const TSize coverSize{cover->Width(), cover->Height()};
                UpdateLayeredWnd(oldBorder->Handle(), cover.get(), &coverSize, &old, nullptr);
            }
            EndFrame(tick, acFormFrameTime);
        }
    }

    blend.SourceConstantAlpha = alpha;
    InAnimationProcess = false;
    if (form->AlphaBlend()) form->SetAlphaBlendValue(alpha);
    SendMessageW(wnd, WM_SETREDRAW, 1, 0);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (provider.SysBlurActive())
        IterateControls(form, 0, TacIterProc([](TControl* c, int) {
                            std::intptr_t data = 0;
                            RepaintOpaque(c, data);
                        }));
    if (border) {
        if (layeredWnd) {
            if (HRGN rgn = provider.MakeRgn(); rgn && !SetWindowRgn(layeredWnd, rgn, FALSE)) DeleteObject(rgn);
            SetWindowPos(layeredWnd, nullptr, pos.X, pos.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        provider.UpdateExBordersPos(true, alpha);
    }
    // The layered window without border form, the cover picture and the old border window go.
}

} // namespace

const TacShowState* acShowState() { return g_show.get(); }

TacShowProvider* GetShowProvider(HWND form)
{
    if (!form) return nullptr;
    // Every provider is one of the library's objects.
    auto* object = reinterpret_cast<TObject*>(SendAMessage(form, AC_GETPROVIDER));
    return dynamic_cast<TacShowProvider*>(object);
}

void PrepareForAnimation(TWinControl* control, TacAnimTypeCtrl animType)
{
    if (!CanAnimate(control)) return;
    if (!g_show) g_show = std::make_unique<TacShowState>();
    TacShowState& state = *g_show;
    HWND wnd = control->Handle();
    const int w = control->Width(), h = control->Height();
    RECT wr{};
    GetWindowRect(wnd, &wr);

    if (!state.Before) {
        state.Before = CreateBmp32(w, h);
        HDC screen = GetDC(nullptr);
        BitBlt(state.Before->Canvas()->Handle(), 0, 0, w, h, screen, wr.left, wr.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        FillAlphaRect(state.Before.get(), MkRect(state.Before.get()), 255, clNone);
    }

    if (animType == atcBlur) {
        TWinControl* container = control;
        for (int i = 0; i < control->ControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(control->Controls(i));
            if (child && child->Visible() && child->Align() == alClient) {
                container = child;
                break;
            }
        }
        const int cw = container->Width(), ch = container->Height();
        state.ChildRects.clear();
        for (int i = 0; i < container->ControlCount(); ++i) {
            TControl* child = container->Controls(i);
            if (!child->Visible() || dynamic_cast<TOutputWindow*>(child)) continue;
            const TRect r = child->BoundsRect();
            state.ChildRects.emplace_back(std::clamp<int>(r.Left, 0, cw), std::clamp<int>(r.Top, 0, ch),
                                          std::clamp<int>(r.Right, 0, cw), std::clamp<int>(r.Bottom, 0, ch));
        }
    }

    state.Background = std::make_unique<TBitmap>();
    PaintParentBG(control, state.Background.get());
    MarkDifferences(state.Background.get(), state.Before.get());

    if (!state.OutputWindow()) {
        // Its owner is the control: without a parent it stays on top with a topmost control.
        auto* out = new TOutputWindow(control);
        state.TakeOutputWindow(out);
        if (TWinControl* parent = control->Parent()) {
            out->SetParent(parent);
            out->BringToFront();
            out->SetBoundsRect(control->BoundsRect());
            ShowWindow(out->Handle(), SW_SHOWNA);
        } else {
            out->SetBounds(wr.left, wr.top, w, h);
            SetWindowPos(out->Handle(), HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        }
    }
}

void AnimShowControl(TWinControl* control, WORD time, int maxBlend, TacAnimTypeCtrl animType,
                     const TacIterationProc& callback)
{
    // What PrepareForAnimation kept belongs to this animation and goes with it, whatever happens.
    std::unique_ptr<TacShowState> state = std::move(g_show);
    if (!CanAnimate(control)) return;
    TacAnimationScope scope;
    TacShowProvider* provider = nullptr;
    if (auto* form = dynamic_cast<TCustomForm*>(control)) {
        provider = GetShowProvider(form->Handle());
        if (provider && acLayered()) {
            state.reset();
            ShowLayeredForm(form, *provider, time, maxBlend, animType);
            return;
        }
    }
    ShowThroughOutputWindow(control, time, animType, callback, provider, state);
}
