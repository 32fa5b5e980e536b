// The moving text hint: an edit's grey hint flies into its bound label and becomes its caption.
#include "acAnimation.h"

#include "Controls.h"
#include "StdCtrls.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sGraphUtilsText.h"
#include "sLabel.h"
#include "sMessages.h"
#include "sVclUtils.h"
#include "sVclUtilsAnim.h"

#include <algorithm>
#include <cmath>

int acMoveTextFrames = 0;

namespace {

TRect ScreenRectOf(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

// Fits r to the text in font (its top-left stays).
void FitToText(TRect& r, const UnicodeString& text, TFont* font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = font ? SelectObject(dc, font->Handle()) : nullptr;
    TRect m(0, 0, std::max<int>(r.Width(), 1), std::max<int>(r.Height(), 1));
    acDrawText(dc, text, m, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    if (old) SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    r = TRect(r.Left, r.Top, r.Left + m.Width(), r.Top + m.Height());
}

// The text of d as a coverage picture: black text on white, w x h.
std::unique_ptr<TBitmap> TextMask(const TacMoveTextData& d, int w, int h)
{
    auto bmp = CreateBmp32(w, h);
    HDC dc = bmp->Canvas()->Handle();
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TRect r(0, 0, w, h);
    if (auto* self = dynamic_cast<TacSelfPaintingLabel*>(d.Ctrl)) {
        self->SetUseSkinColor(false);
        self->PaintText(bmp.get(), r);
        self->SetUseSkinColor(true);
    } else {
        HGDIOBJ old = d.Font ? SelectObject(dc, d.Font->Handle()) : nullptr;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        acDrawText(dc, d.Text, r, d.Flags | DT_NOPREFIX, bmp.get());
        if (old) SelectObject(dc, old);
    }
    GdiFlush();
    return bmp;
}

// A frame: From's text in its colour at weight over To's in its colour at 255 - weight.
void DrawFrame(TBitmap& out, TBitmap& maskFrom, TBitmap& maskTo, TColor colorFrom, TColor colorTo, int weight)
{
    const COLORREF cf = static_cast<COLORREF>(ColorToRGB(colorFrom));
    const COLORREF ct = static_cast<COLORREF>(ColorToRGB(colorTo));
    const int fr[3] = {GetBValue(cf), GetGValue(cf), GetRValue(cf)};
    const int tr[3] = {GetBValue(ct), GetGValue(ct), GetRValue(ct)};
    for (int y = 0; y < out.Height(); ++y) {
        const auto* mf = static_cast<const std::uint8_t*>(maskFrom.ScanLine(y));
        const auto* mt = static_cast<const std::uint8_t*>(maskTo.ScanLine(y));
        auto* o = static_cast<std::uint8_t*>(out.ScanLine(y));
        for (int x = 0; x < out.Width(); ++x) {
            const int af = (255 - mf[x * 4 + 2]) * weight / 255;
            const int at = (255 - mt[x * 4 + 2]) * (255 - weight) / 255;
            const int sum = af + at;
            for (int c = 0; c < 3; ++c)
                o[x * 4 + c] = static_cast<std::uint8_t>(sum ? (fr[c] * af + tr[c] * at) / sum : 0);
            o[x * 4 + 3] = static_cast<std::uint8_t>(std::min(sum, 255));
        }
    }
    UpdateAlpha(&out);
}

} // namespace

void AnimMoveText(const TacMoveTextData& From, const TacMoveTextData& To)
{
    acMoveTextFrames = 0;
    const int w = std::max<int>({From.R.Width(), To.R.Width(), 1});
    const int h = std::max<int>({From.R.Height(), To.R.Height(), 1});
    auto maskFrom = TextMask(From, w, h);
    auto maskTo = TextMask(To, w, h);
    auto frame = CreateBmp32(w, h);
    auto form = std::make_unique<TacGlowForm>(nullptr);
    form->HandleNeeded();
    const HWND wnd = form->Handle();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_NOACTIVATE);

    // The edit shows no hint while it flies.
    if (From.Ctrl) {
        From.Ctrl->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATECACHE, 1), 0);
        auto* windowed = dynamic_cast<TWinControl*>(From.Ctrl);
        if (windowed && windowed->HandleAllocated())
            RedrawWindow(windowed->Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        else
            From.Ctrl->Repaint();
    }

    double x = From.R.Left, y = From.R.Top;
    const double tx = To.R.Left, ty = To.R.Top;
    const double d0 = std::hypot(tx - x, ty - y);
    bool first = true;
    for (;;) {
        const DWORD start = GetTickCount();
        x += (tx - x) / 6;
        y += (ty - y) / 6;
        const double rx = tx - x, ry = ty - y;
        // Tested before the weight: a flight to the same place has no distance to divide by.
        if (std::fabs(rx) < 0.5 && std::fabs(ry) < 0.5) break;
        const int weight = std::min(255, static_cast<int>(std::nearbyint(255 * std::hypot(rx, ry) / d0)));
        DrawFrame(*frame, *maskFrom, *maskTo, From.Color, To.Color, weight);
        const POINT pos{static_cast<LONG>(std::nearbyint(x)), static_cast<LONG>(std::nearbyint(y))};
        SetFormBlendValue(wnd, frame.get(), 255, &pos);
        SetWindowPos(wnd, HWND_TOPMOST, pos.x, pos.y, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE | (first ? SWP_SHOWWINDOW : 0) | SWP_NOOWNERZORDER);
        first = false;
        ++acMoveTextFrames;
        WaitTicks(start, 12);
    }

    if (auto* label = dynamic_cast<TCustomLabel*>(To.Ctrl)) {
        label->SetVisible(true);
        UpdateGlassMode(label, false);
        label->Repaint();
    }
    if (To.BoundLabel) To.BoundLabel->PreventVisible = false;
    form.reset();
}

void MakeLabelTextHint(TsCommonData* SkinData, TsBoundLabel* BoundLabel, const UnicodeString& Text)
{
    if (Text.empty() || !BoundLabel || BoundLabel->FActive) return;
    TControl* edit = SkinData && SkinData->FOwnerControl ? SkinData->FOwnerControl : BoundLabel->FOwnerControl;
    auto* windowed = dynamic_cast<TWinControl*>(edit);
    // The hint is the caption before the label is made active, which would give an empty label
    // the edit's name.
    if (BoundLabel->Caption().empty()) BoundLabel->SetText(Text);
    if (windowed && (!windowed->HandleAllocated() || !IsWindowVisible(windowed->Handle()))) {
        BoundLabel->PreventVisible = false;
        BoundLabel->SetBoolean(1, true);
        return;
    }

    TacMoveTextData from;
    from.Text = Text;
    from.Font = edit ? edit->Font() : nullptr;
    from.Color = TextHintColor(SkinData);
    from.Ctrl = edit;
    from.Flags = 0;
    if (windowed) {
        const TRect wr = ScreenRectOf(windowed->Handle());
        TRect tr;
        if (SendAMessage(windowed->Handle(), AC_GETTEXTRECT, reinterpret_cast<LPARAM>(&tr)) != 0) {
            tr.Offset(wr.Left, wr.Top);
            from.R = tr;
        } else {
            from.R = wr;
            from.R.Offset(3, 3);
        }
    }
    FitToText(from.R, Text, from.Font);

    BoundLabel->PreventVisible = true;
    BoundLabel->SetBoolean(1, true);
    TacMoveTextData to;
    to.BoundLabel = BoundLabel;
    TsEditLabel* label = BoundLabel->TheLabel();
    to.Text = label ? label->Caption() : BoundLabel->Caption();
    to.Font = label ? label->Font() : BoundLabel->Font();
    to.Color = to.Font ? to.Font->Color() : clWindowText;
    to.Ctrl = label;
    to.Flags = 64;
    if (label && label->Parent() && label->Parent()->HandleAllocated()) {
        const TRect tr = BoundLabel->GetTextRect();
        POINT p{label->Left() + tr.Left, label->Top() + tr.Top};
        ClientToScreen(label->Parent()->Handle(), &p);
        to.R = TRect(p.x, p.y, p.x + tr.Width(), p.y + tr.Height());
    }
    if (SkinData) SkinData->CtrlSkinState |= ACS_TEXTMOVING;
    AnimMoveText(from, to);
    if (CommonDataIsLive(SkinData)) SkinData->CtrlSkinState &= ~ACS_TEXTMOVING;
}
