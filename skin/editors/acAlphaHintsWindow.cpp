// The hint windows: measuring, the corner that points at the target, drawing the picture from
// the skin's hint section or from the current template, and showing it through the manager's
// layered animation window.
#include "acAlphaHints.h"
#include "acAlphaHintsInternal.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTemplate.h"
#include "sGraphUtilsText.h"
#include "sHtmlParse.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"
#include "sVclUtilsAnim.h"

#include <algorithm>
#include <cmath>

TacCustomHintWindow* CurrentHintWindow = nullptr;

namespace {

constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_VCENTER; // 0xC14 with DT_CALCRECT
constexpr UINT kTemplateTextFlags = DT_WORDBREAK | DT_NOPREFIX;                       // 0x810
constexpr UINT kSkinTextFlags = DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;            // 0x150

// The layered animation window: a borderless form of a window class of its own, so that its
// drop-shadow class style touches no other form.
class TacHintAnimForm : public TForm {
public:
    explicit TacHintAnimForm(TComponent* owner) : TForm(owner) {}
    UnicodeString ClassName() const override { return L"TacHintAnimForm"; }
};

void SetDropShadow(HWND wnd, bool on)
{
    const auto style = static_cast<DWORD>(GetClassLongPtrW(wnd, GCL_STYLE));
    const DWORD wanted = on ? style | CS_DROPSHADOW : style & ~static_cast<DWORD>(CS_DROPSHADOW);
    if (wanted != style) SetClassLongPtrW(wnd, GCL_STYLE, static_cast<LONG_PTR>(wanted));
}

TacHintImage* ImageForCorner(TacHintTemplate* t, TacMousePosition pos)
{
    switch (pos) {
    case mpLeftBottom: return t->Img_LeftBottom();
    case mpRightTop: return t->Img_RightTop();
    case mpRightBottom: return t->Img_RightBottom();
    default: return t->ImageDefault();
    }
}

TRect SizesOf(const TacBordersSizes* s) { return TRect(s->Left(), s->Top(), s->Right(), s->Bottom()); }

TRect Reduced(TRect r, const TRect& by)
{
    return TRect(r.Left + by.Left, r.Top + by.Top, r.Right - by.Right, r.Bottom - by.Bottom);
}

// The 32-bit picture of the first frame of a skin mask, with its transparency as alpha: an image
// over a mask half (mask type 1) takes its alpha from the mask's grey (white clear), and the key
// colour is clear.
std::unique_ptr<TBitmap> MaskPicture(const TsMaskData& mask, TsSkinManager* manager)
{
    TBitmap* src = mask.Bmp ? mask.Bmp : (manager ? manager->MasterBitmap.get() : nullptr);
    const int fw = static_cast<int>(mask.R.Width()) / std::max<int>(1, mask.ImageCount);
    const int fh = mask.MaskType == 1 ? static_cast<int>(mask.R.Height()) / 2 : static_cast<int>(mask.R.Height());
    if (!src || src->Empty() || fw <= 0 || fh <= 0) return nullptr;
    auto whole = CreateBmp32(src->Width(), src->Height());
    CopyPixels32(whole.get(), src, 0, 0);
    auto pic = CreateBmp32(fw, fh);
    const int sw = whole->Width(), sh = whole->Height();
    for (int y = 0; y < fh; ++y) {
        const int sy = mask.R.Top + y, my = sy + fh;
        if (sy < 0 || sy >= sh) continue;
        auto* out = static_cast<std::uint32_t*>(pic->ScanLine(y));
        const auto* in = static_cast<const std::uint32_t*>(whole->ScanLine(sy));
        const auto* maskRow =
            mask.MaskType == 1 && my < sh ? static_cast<const std::uint32_t*>(whole->ScanLine(my)) : nullptr;
        for (int x = 0; x < fw; ++x) {
            const int sx = mask.R.Left + x;
            if (sx < 0 || sx >= sw) continue;
            const std::uint32_t c = in[sx];
            std::uint32_t a = c >> 24;
            if (mask.MaskType == 1)
                a = maskRow ? 255 - (maskRow[sx] & 0xFF) : 255;
            else if (!(mask.DrawMode & 0x10))
                a = 255;
            if ((c & 0xFFFFFF) == 0xFF00FF) a = 0;
            out[x] = (a << 24) | (c & 0xFFFFFF);
        }
    }
    return pic;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Shared helpers of the unit

int acHintRound(double value) { return static_cast<int>(std::lrint(value)); }

void CopyPixels32(TBitmap* dst, TBitmap* src, int x, int y)
{
    if (!dst || !src || src->Empty() || dst->Empty()) return;
    auto whole = src->PixelFormat() == pf32bit ? nullptr : CreateBmp32(src);
    TBitmap* from = src;
    if (whole) {
        BitBlt(whole->Canvas()->Handle(), 0, 0, src->Width(), src->Height(), src->Canvas()->Handle(), 0, 0, SRCCOPY);
        GdiFlush();
        from = whole.get();
    }
    for (int row = 0; row < from->Height(); ++row) {
        const int dy = y + row;
        if (dy < 0 || dy >= dst->Height()) continue;
        const auto* in = static_cast<const std::uint32_t*>(from->ScanLine(row));
        auto* out = static_cast<std::uint32_t*>(dst->ScanLine(dy));
        for (int col = 0; col < from->Width(); ++col) {
            const int dx = x + col;
            if (dx >= 0 && dx < dst->Width()) out[dx] = whole ? (in[col] | 0xFF000000u) : in[col];
        }
    }
}

TacSkinData* HintSkinData() { return DefaultManager ? DefaultManager->CommonSkinData() : nullptr; }

const TsGeneralData* HintSection(int skinIndex)
{
    TacSkinData* sd = HintSkinData();
    if (!sd || skinIndex < 0 || static_cast<size_t>(skinIndex) >= sd->gd.size()) return nullptr;
    return &sd->gd[static_cast<size_t>(skinIndex)];
}

const TsMaskData* HintMask(int skinIndex)
{
    const TsGeneralData* g = HintSection(skinIndex);
    TacSkinData* sd = HintSkinData();
    if (!g || !sd || g->BorderIndex < 0 || static_cast<size_t>(g->BorderIndex) >= sd->ma.size()) return nullptr;
    return &sd->ma[static_cast<size_t>(g->BorderIndex)];
}

int HintTransparency(int skinIndex)
{
    const TsGeneralData* g = HintSection(skinIndex);
    return g ? g->Props[0].Transparency : 0;
}

// ---------------------------------------------------------------------------------------------
// TacCustomHintWindow

TacCustomHintWindow::TacCustomHintWindow(TComponent* owner) : THintWindow(owner) { CurrentHintWindow = this; }

TacCustomHintWindow::~TacCustomHintWindow()
{
    if (HandleAllocated()) DestroyHandle();
    if (CurrentHintWindow == this) CurrentHintWindow = nullptr;
    if (Manager && Manager->HintWindow == this) {
        Manager->HintWindow = nullptr;
        Manager->HintWindowHandle = nullptr;
    }
    if (rgn) DeleteObject(rgn);
}

void TacCustomHintWindow::CreateParams(TCreateParams& params)
{
    THintWindow::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(WS_BORDER);
}

int TacCustomHintWindow::ScaledValue(int value) const
{
    if (DefaultManager && DefaultManager->IsActive() && DefaultManager->Options() &&
        DefaultManager->Options()->ScaleMode() != smVCL)
        return DefaultManager->ScaleInt(value);
    TControl* ctrl = Manager ? Manager->CurrentHintInfo.HintControl : nullptr;
    if (!ctrl && Manager) ctrl = Manager->HintTimeCtrl;
    if (!ctrl && Application) ctrl = Application->MainForm();
    return MulDiv(value, ctrl ? GetControlPPI(ctrl) : DefaultPPI(), 96);
}

UINT TacCustomHintWindow::AlignFlags() const
{
    UINT flags = 0;
    switch (Manager ? Manager->TextAlignment() : taCenter) {
    case taRightJustify: flags = DT_RIGHT; break;
    case taCenter: flags = DT_CENTER; break;
    default: break;
    }
    if (BiDiMode() != bdLeftToRight) flags |= DT_RTLREADING;
    return flags;
}

void TacCustomHintWindow::SetupFont(TFont* font) const
{
    if (Manager && Manager->CustomFont) {
        font->Assign(Manager->CustomFont);
        return;
    }
    if (Screen) font->Assign(Screen->HintFont());
    font->SetHeight(ScaledValue(-12));
    if (const TsGeneralData* g = HintSection(SkinIndex)) font->SetColor(g->Props[0].FontColor.Color);
}

TSize TacCustomHintWindow::MeasureText(int maxWidth)
{
    int limit = maxWidth;
    if (Manager) limit = Manager->MaxWidth() < 1 ? GetSystemMetrics(SM_CXSCREEN) : MulDiv(Manager->MaxWidth(), DefaultPPI(), 96);
    if (limit < 1) limit = GetSystemMetrics(SM_CXSCREEN);
    const UnicodeString text = Manager && Manager->Active() ? Text : Caption();
    auto bmp = CreateBmp32(1, 1);
    SetupFont(bmp->Canvas()->Font());
    if (Manager && Manager->HTMLMode()) {
        TsHtml html;
        html.Init(bmp.get(), text, TRect(0, 0, limit, 0));
        html.WrapWidth = limit;
        TacLinks links;
        const TRect r = html.HTMLText(links, true);
        return TSize{r.Width(), r.Height()};
    }
    TRect r(0, 0, limit, 0);
    acDrawText(bmp->Canvas()->Handle(), text, r, kMeasureFlags | AlignFlags());
    return TSize{r.Width(), r.Height()};
}

TRect TacCustomHintWindow::CalcHintRect(int maxWidth, const UnicodeString& text, void*)
{
    Text = text;
    SkinIndex = Manager ? Manager->GetSkinIndex() : -1;
    TSize size{0, 0};
    if (Manager && Manager->TmpShowData.Width != 0)
        size = TSize{Manager->TmpShowData.Width, Manager->TmpShowData.Height};
    else if (Manager && Manager->HintFrame)
        size = TSize{Manager->HintFrame->Width(), Manager->HintFrame->Height()};
    else
        size = MeasureText(maxWidth);
    int w = size.cx, h = size.cy;
    if (Manager && Manager->OnMeasure) Manager->OnMeasure(text, Manager->CurrentHintInfo, w, h);
    if (SkinIndex >= 0) {
        const int spacing = 2 * (DefaultManager ? DefaultManager->ScaleInt(4) : 4);
        w += SkinMargin(0) + SkinMargin(2) + spacing;
        h += SkinMargin(1) + SkinMargin(3) + spacing;
    }
    return TRect(0, 0, w, h);
}

int TacCustomHintWindow::SkinMargin(int side) const
{
    int result = 0;
    if (const TsMaskData* m = HintMask(SkinIndex)) {
        const int widths[] = {m->WL, m->WT, m->WR, m->WB};
        result = widths[side & 3];
    }
    if (Manager && Manager->ShadowCalculated)
        if (const TsGeneralData* g = HintSection(SkinIndex)) {
            const TRect& o = g->OuterOffset;
            const int offsets[] = {static_cast<int>(o.Left), static_cast<int>(o.Top), static_cast<int>(o.Right),
                                   static_cast<int>(o.Bottom)};
            result += offsets[side & 3];
        }
    return result;
}

TPoint TacCustomHintWindow::GetMousePosition() const
{
    if (Manager && Manager->FHintPos.X != -1) return Manager->FHintPos;
    return acMousePos();
}

TRect TacCustomHintWindow::MainRect() const
{
    if (!Manager) return TRect(0, 0, Width(), Height());
    return TRect(0, 0, Manager->NewBounds.Width(), Manager->NewBounds.Height());
}

TRect TacCustomHintWindow::ShadowSizes() const
{
    if (!Manager || !Manager->Active() || SkinIndex < 0 || !FullLayer()) return TRect();
    return TRect(std::max(0, SkinMargin(0) - 1), std::max(0, SkinMargin(1) - 1), std::max(0, SkinMargin(2) - 1),
                 std::max(0, SkinMargin(3) - 1));
}

bool TacCustomHintWindow::FullLayer() const
{
    if (!acLayered()) return false;
    const TsGeneralData* g = HintSection(SkinIndex);
    if (!g) return true;
    return (g->Props[0].Transparency == 100 && g->OuterMask >= 0) || g->OuterMode >= 3;
}

TRect TacCustomHintWindow::TextRect() const
{
    const int spacing = DefaultManager ? DefaultManager->ScaleInt(4) : 4;
    return Reduced(MainRect(), TRect(SkinMargin(0) + spacing, SkinMargin(1) + spacing, SkinMargin(2) + spacing,
                                     SkinMargin(3) + spacing));
}

TacMousePosition TacCustomHintWindow::GetArrowPos(TRect& Rect, const TPoint& P)
{
    TacMousePosition pos = Manager ? Manager->DefaultMousePos : mpLeftTop;
    const TRect s = ShadowSizes();
    TRect r = Reduced(Rect, s);
    const int w = r.Width(), h = r.Height();
    bool below = pos != mpLeftBottom && pos != mpRightBottom;
    bool right = pos == mpLeftTop || pos == mpLeftBottom;
    if (!below) r.Offset(0, -h);
    if (!right) r.Offset(-w, 0);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    POINT tl{r.Left, r.Top};
    GetMonitorInfoW(MonitorFromPoint(tl, MONITOR_DEFAULTTONEAREST), &info);
    const TRect m = info.rcMonitor;
    const bool skin = !TemplateMode();
    const bool single = TemplateMode() && CurrentHintTemplate && CurrentHintTemplate->SingleImageUsed();
    bool changed = false;
    auto moveTop = [&](int top) { r = TRect(r.Left, top, r.Left + w, top + h); };
    auto moveLeft = [&](int left) { r = TRect(left, r.Top, left + w, r.Top + h); };
    if (r.Bottom > m.Bottom) {
        moveTop(skin ? m.Bottom - h : single ? P.Y - (r.Bottom - m.Bottom) : P.Y - h);
        below = false;
        changed = true;
    }
    if (r.Top < m.Top) {
        moveTop(m.Top);
        below = true;
        changed = true;
    }
    if (r.Right > m.Right) {
        moveLeft(skin ? m.Right - w : single ? P.X - (r.Right - m.Right) : P.X - w);
        right = false;
        changed = true;
    }
    if (r.Left < m.Left) {
        moveLeft(m.Left);
        right = true;
        changed = true;
    }
    if (changed) pos = below ? (right ? mpLeftTop : mpRightTop) : (right ? mpLeftBottom : mpRightBottom);
    Rect = TRect(r.Left - s.Left, r.Top - s.Top, r.Right + s.Right, r.Bottom + s.Bottom);
    return pos;
}

std::unique_ptr<TCustomForm> TacCustomHintWindow::CreateHintWindow(const TRect& R)
{
    auto form = std::make_unique<TacHintAnimForm>(nullptr);
    form->SetTag(ExceptTag);
    form->SetBorderStyle(bsNone);
    form->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    HWND wnd = form->Handle();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | 0x08080028);
    SetWindowPos(wnd, HWND_TOPMOST, R.Left, R.Top, R.Width(), R.Height(), SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    SetDropShadow(wnd, !FullLayer());
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    return form;
}

void TacCustomHintWindow::ActivateHint(const TRect& rect, const UnicodeString& text)
{
    TsAlphaHints* m = Manager;
    if (!m) {
        THintWindow::ActivateHint(rect, text);
        return;
    }
    destroyed_ = false;
    m->State = hsInit;
    m->CheckTimer.reset();
    m->HintShowing = true;
    if (m->AnimWindow) {
        HWND anim = m->AnimWindow->Handle();
        RECT ar{};
        GetWindowRect(anim, &ar);
        if (ar.left == 0 && ar.top == 0) {
            m->AnimWindow.reset();
        } else if (IsWindowVisible(anim)) {
            if (m->ShowTimer) {
                m->KillTimer();
                if (!m->NewWindow && AlphaBmp) m->FCacheBmp = std::move(AlphaBmp);
            }
        } else {
            m->AnimWindow.reset();
        }
    }
    m->KillTimer();
    if (m->Active())
        Text = text;
    else
        SetCaption(text);

    const TPoint loc = m->FHintLocation.X != 0 && m->FHintLocation.Y != 0 ? m->FHintLocation : rect.TopLeft();
    const TRect shadow = ShadowSizes();
    TRect r = rect;
    r.Offset(loc.X - shadow.Left - rect.Left, loc.Y - shadow.Top - rect.Top);

    HandleNeeded();
    HWND wnd = Handle();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_NOACTIVATE);
    FMousePos = GetArrowPos(r, loc);
    if (TemplateMode() && (FMousePos == mpLeftBottom || FMousePos == mpRightBottom) && !m->AutoAlignment())
        r.Offset(0, -16);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    SetDropShadow(wnd, false);
    SetWindowPos(wnd, HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);

    m->NewBounds = r;
    if (!m->FCacheBmp) m->FCacheBmp = CreateBmp32(r.Width(), r.Height());
    else m->FCacheBmp->SetSize(r.Width(), r.Height());

    if (!m->AnimWindow)
        m->AnimWindow = CreateHintWindow(r);
    else if (!m->Animated())
        m->AnimWindow->SetBounds(r.Left, r.Top, r.Width(), r.Height());

    if (acLayered()) {
        if (m->Animated()) {
            m->ShowTimer = std::make_unique<TsShowTimer>(nullptr);
            m->ShowTimer->Init(this, r.Width(), r.Height());
        } else {
            CreateAlphaBmp(r.Width(), r.Height());
            const int t = SkinIndex >= 0 && HintTransparency(SkinIndex) < 100 ? MulDiv(HintTransparency(SkinIndex), 255, 100) : 0;
            HWND anim = m->AnimWindow->Handle();
            SetWindowPos(anim, HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
            POINT pos{r.Left, r.Top};
            SetFormBlendValue(anim, AlphaBmp.get(), 255 - t, &pos);
            m->FCacheBmp = std::move(AlphaBmp);
        }
    }
    m->State = hsNormal;
    m->FHintPos.X = -1;
    m->SetHintTimeCtrl(m->CurrentHintInfo.HintControl ? m->CurrentHintInfo.HintControl : CtrlUnderMouse());
    m->StartHideTimer(0);
}

void TacCustomHintWindow::OnCloseHint()
{
    TsAlphaHints* m = Manager;
    if (CurrentHintWindow == this) CurrentHintWindow = nullptr;
    if (!m) return;
    m->KillTimer();
    m->ResetHintInfo();
    if (m->OnHideHint) m->OnHideHint(m);
    m->StartCheckTimer();
}

void TacCustomHintWindow::DoDestroy()
{
    OnCloseHint();
    if (Manager) {
        Manager->ResetHintInfo();
        if (AlphaBmp) Manager->FCacheBmp = std::move(AlphaBmp);
    }
    MaskBmp.reset();
    BodyBmp.reset();
}

void TacCustomHintWindow::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case SM_ALPHACMD:
        switch (AlphaCmdCode(message.WParam)) {
        case AC_CTRLHANDLED:
        case AC_CHILDBGCHANGED: message.Result = 1; return;
        case AC_GETBG: AnswerBackground(message); return;
        default: break;
        }
        break;
    case WM_ERASEBKGND: message.Result = 1; return;
    case WM_NCPAINT:
        PrepareMask();
        message.Result = 1;
        return;
    case WM_DESTROY:
        if (!destroyed_) {
            destroyed_ = true;
            DoDestroy();
        }
        break;
    default: break;
    }
    THintWindow::WndProc(message);
    TsAlphaHints* m = Manager;
    if (!m || !HandleAllocated()) return;
    switch (message.Msg) {
    case WM_MOVE:
    case WM_SIZE:
        if (m->State != hsInit && m->AnimWindow) {
            RECT wr{}, ar{};
            GetWindowRect(Handle(), &wr);
            GetWindowRect(m->AnimWindow->Handle(), &ar);
            SetWindowPos(m->AnimWindow->Handle(), nullptr, wr.left, wr.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            m->NewBounds = TRect(wr.left, wr.top, wr.left + (ar.right - ar.left), wr.top + (ar.bottom - ar.top));
        }
        break;
    case WM_SHOWWINDOW:
        if (message.WParam)
            CurrentHintWindow = this;
        else
            OnCloseHint();
        break;
    default: break;
    }
}

void TacCustomHintWindow::AnswerBackground(TMessage& message)
{
    auto* info = reinterpret_cast<TacBGInfo*>(message.LParam);
    if (!info) return;
    if (AlphaBmp) {
        info->Bmp = AlphaBmp.get();
        info->Offset = TPoint(0, 0);
        info->BgType = btCache;
    } else {
        info->BgType = btFill;
        info->Color = Color();
    }
}

void TacCustomHintWindow::FrameWndProc(TMessage& message)
{
    if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETBG) {
        AnswerBackground(message);
        return;
    }
    if (OldFrameProc) OldFrameProc(message);
}

std::unique_ptr<TBitmap> TacCustomHintWindow::GetMask(int Width, int Height) const
{
    auto mask = CreateBmp32(Width, Height);
    mask->Canvas()->Brush()->SetColor(clBlack);
    mask->Canvas()->FillRect(TRect(0, 0, Width, Height));
    const TsMaskData* m = HintMask(SkinIndex);
    if (!m) return mask;
    for (int y = 0; y < Height; ++y) {
        auto* row = static_cast<std::uint32_t*>(mask->ScanLine(y));
        for (int x = 0; x < Width; ++x)
            if (PtIsTransparent(x, y, *m, Width, Height)) row[x] = 0xFFFFFFFF;
    }
    return mask;
}

void TacCustomHintWindow::PrepareMask()
{
    if (rgn) {
        DeleteObject(rgn);
        rgn = nullptr;
    }
    MaskBmp.reset();
    if (AlphaUsed) return;
    const int w = Manager ? Manager->NewBounds.Width() : Width(), h = Manager ? Manager->NewBounds.Height() : Height();
    if (w <= 0 || h <= 0) return;
    MaskBmp = GetMask(w, h);
    if (SkinIndex < 0 || ClassName() == L"TacTrackHintWindow" || !HandleAllocated()) return;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < h; ++y) {
        const auto* row = static_cast<const std::uint32_t*>(MaskBmp->ScanLine(y));
        for (int x = 0; x < w;) {
            if ((row[x] & 0xFF) > 254) {
                ++x;
                continue;
            }
            int end = x;
            while (end < w && (row[end] & 0xFF) <= 254) ++end;
            HRGN run = CreateRectRgn(x, y, end, y + 1);
            CombineRgn(region, region, run, RGN_OR);
            DeleteObject(run);
            x = end;
        }
    }
    rgn = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(rgn, region, nullptr, RGN_COPY);
    SetWindowRgn(Handle(), region, FALSE); // the window owns region now
}

void TacCustomHintWindow::TextOut(TBitmap* Bmp)
{
    TsAlphaHints* m = Manager;
    const TRect tr = TextRect();
    const bool record = m && m->TmpShowData.Width != 0;
    const UnicodeString text = m && m->Active() ? Text : Caption();
    if (!record && m && m->OnPaint) {
        bool defaultDraw = true;
        m->OnPaint(text, m->CurrentHintInfo, tr, Bmp, defaultDraw);
        if (!defaultDraw) return;
    }
    SetupFont(Bmp->Canvas()->Font());
    auto drawText = [&](const UnicodeString& s, TRect r, UINT extra) {
        if (m && m->HTMLMode()) {
            TsHtml html;
            html.AlphaChannel = true;
            html.BidiMode = BiDiMode() == bdLeftToRight ? 0 : 1;
            const TAlignment a = m->TextAlignment();
            html.Alignment = a == taRightJustify ? 1 : a == taCenter ? 2 : 0;
            html.Init(Bmp, s, r);
            html.WrapWidth = r.Width();
            TacLinks links;
            html.HTMLText(links, false);
        } else if (TemplateMode()) {
            SetBkMode(Bmp->Canvas()->Handle(), TRANSPARENT);
            acDrawText(Bmp->Canvas()->Handle(), s, r, kTemplateTextFlags | AlignFlags() | extra);
        } else {
            WriteText32(Bmp, s, true, r, kSkinTextFlags | AlignFlags() | extra, SkinIndex, 0, DefaultManager);
        }
    };
    if (m && m->HintFrame) {
        TCustomFrame* frame = m->HintFrame.get();
        // The frame lives on this (transparent) window; only its picture is seen.
        if (!frame->Parent()) frame->SetParent(this);
        frame->SetBounds(0, 0, tr.Width(), tr.Height());
        frame->HandleNeeded();
        for (int i = 0; i < frame->ControlCount(); ++i)
            if (auto* child = dynamic_cast<TWinControl*>(frame->Controls(i))) child->HandleNeeded();
        OldFrameProc = frame->WindowProc;
        frame->WindowProc = TWndMethod(this, &TacCustomHintWindow::FrameWndProc);
        frame->PaintTo(Bmp->Canvas()->Handle(), tr.Left, tr.Top);
        frame->WindowProc = OldFrameProc;
        OldFrameProc = TWndMethod();
        GdiFlush();
        for (int i = 0; i < frame->ControlCount(); ++i) {
            TControl* c = frame->Controls(i);
            if (!c->Visible()) continue;
            TRect cr = c->BoundsRect();
            cr.Offset(tr.Left, tr.Top);
            for (int y = std::max<int>(0, cr.Top); y < std::min<int>(Bmp->Height(), cr.Bottom); ++y) {
                auto* row = static_cast<std::uint32_t*>(Bmp->ScanLine(y));
                for (int x = std::max<int>(0, cr.Left); x < std::min<int>(Bmp->Width(), cr.Right); ++x) row[x] |= 0xFF000000u;
            }
        }
        return;
    }
    if (!record) {
        drawText(text, tr, 0);
        return;
    }
    const TacShowHintData& d = m->TmpShowData;
    TRect area = tr;
    if (d.Image && !d.Image->Empty()) {
        const int iw = d.Image->Width(), ih = d.Image->Height();
        TPoint at;
        switch (d.ImageAlignment) {
        case 1:
            at = TPoint(area.Left + (area.Width() - iw) / 2, area.Top);
            area.Top += ih + 4;
            break;
        case 2:
            at = TPoint(area.Right - iw, area.Top + (area.Height() - ih) / 2);
            area.Right -= iw + 4;
            break;
        case 3:
            at = TPoint(area.Left + (area.Width() - iw) / 2, area.Bottom - ih);
            area.Bottom -= ih + 4;
            break;
        default:
            at = TPoint(area.Left, area.Top + (area.Height() - ih) / 2);
            area.Left += iw + 4;
            break;
        }
        if (d.Image->PixelFormat() == pf32bit)
            CopyPixels32(Bmp, d.Image, at.X, at.Y);
        else
            Bmp->Canvas()->Draw(at.X, at.Y, d.Image);
    }
    // The caption centred in what is left.
    TRect measured(0, 0, area.Width(), 0);
    if (m->HTMLMode()) {
        TsHtml html;
        html.Init(Bmp, d.Caption, measured);
        html.WrapWidth = area.Width();
        TacLinks links;
        measured = html.HTMLText(links, true);
    } else {
        acDrawText(Bmp->Canvas()->Handle(), d.Caption, measured, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
    }
    TRect place(area.Left + (area.Width() - measured.Width()) / 2, area.Top + (area.Height() - measured.Height()) / 2, 0, 0);
    place.Right = place.Left + measured.Width();
    place.Bottom = place.Top + measured.Height();
    drawText(d.Caption, place, DT_VCENTER);
}

std::unique_ptr<TBitmap> TacCustomHintWindow::GetBody(int Width, int Height)
{
    auto body = CreateBmp32(Width, Height);
    const TsGeneralData* g = HintSection(SkinIndex);
    TacSkinData* sd = HintSkinData();
    const TRect all(0, 0, Width, Height);
    if (!g || !sd) return body;
    if (Manager && Manager->ShadowCalculated) {
        // A soft shadow around the body, then the section inside the bands and the text.
        const TRect bands = ShadowSizes();
        const TRect inner = Reduced(all, bands);
        const TsMaskData* outer =
            g->OuterMask >= 0 && static_cast<size_t>(g->OuterMask) < sd->ma.size() ? &sd->ma[static_cast<size_t>(g->OuterMask)] : nullptr;
        std::unique_ptr<TBitmap> shadow = outer ? MaskPicture(*outer, DefaultManager) : nullptr;
        TRect borders;
        if (shadow) {
            borders = TRect(outer->WL, outer->WT, outer->WR, outer->WB);
        } else {
            const int radius = std::max<int>({bands.Left, bands.Top, bands.Right, bands.Bottom, 1});
            const TColor color = static_cast<TColor>(std::clamp(g->OuterOpacity, 0, 255)) << 24 | (g->OuterColorL & 0xFFFFFF);
            shadow = MakeShadow(color, radius, 0, 0, 0, radius, false, false);
            borders = TRect(radius, radius, radius, radius);
        }
        if (shadow && !shadow->Empty())
            PaintControlByTemplate(body.get(), shadow.get(), all, TRect(0, 0, shadow->Width(), shadow->Height()), borders,
                                   borders, TRect(1, 1, 1, 1), true, true);
        auto face = CreateBmp32(inner.Width(), inner.Height());
        PaintItem32(SkinIndex, false, 0, TRect(0, 0, inner.Width(), inner.Height()), TPoint(0, 0), face.get(), sd);
        // PaintItem32 premultiplied the face: straight colours again for the composition below.
        for (int y = 0; y < face->Height(); ++y) {
            auto* row = static_cast<std::uint32_t*>(face->ScanLine(y));
            for (int x = 0; x < face->Width(); ++x) {
                const std::uint32_t a = row[x] >> 24;
                if (a == 0 || a == 255) continue;
                auto ch = [&](int s) { return std::min<std::uint32_t>(255, ((row[x] >> s) & 0xFF) * 255 / a); };
                row[x] = a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
            }
        }
        for (int y = 0; y < face->Height(); ++y) {
            const auto* in = static_cast<const std::uint32_t*>(face->ScanLine(y));
            auto* out = static_cast<std::uint32_t*>(body->ScanLine(y + inner.Top));
            for (int x = 0; x < face->Width(); ++x)
                if (in[x] >> 24) out[x + inner.Left] = in[x];
        }
        TextOut(body.get());
        UpdateAlpha(body.get());
        return body;
    }
    const TsMaskData* mask = HintMask(SkinIndex);
    if (g->Props[0].Transparency == 100 && mask) {
        if (auto pic = MaskPicture(*mask, DefaultManager)) {
            const TRect src(0, 0, pic->Width(), pic->Height());
            const TRect borders(mask->WL, mask->WT, mask->WR, mask->WB);
            PaintControlByTemplate(body.get(), pic.get(), all, src, borders, borders, TRect(1, 1, 1, 1), true, true);
        }
        TextOut(body.get());
        UpdateAlpha(body.get());
        return body;
    }
    PaintItem(SkinIndex, EmptyCI, false, 0, all, TPoint(0, 0), body.get(), static_cast<TComponent*>(DefaultManager));
    TextOut(body.get());
    return body;
}

void TacCustomHintWindow::CreateAlphaBmp(int Width, int Height)
{
    AlphaBmp = CreateBmp32(Width, Height);
    const TsGeneralData* g = HintSection(SkinIndex);
    const TsMaskData* mask = HintMask(SkinIndex);
    AlphaUsed = mask && mask->MaskType == 0 && (mask->DrawMode & 0x10);
    if (Manager) Manager->NewBounds = TRect(Manager->NewBounds.Left, Manager->NewBounds.Top,
                                            Manager->NewBounds.Left + Width, Manager->NewBounds.Top + Height);
    PrepareMask();
    BodyBmp = GetBody(Width, Height);
    const bool ownAlpha = (g && g->Props[0].Transparency == 100 && mask) || (Manager && Manager->ShadowCalculated);
    if (ownAlpha) {
        CopyPixels32(AlphaBmp.get(), BodyBmp.get(), 0, 0);
        return;
    }
    for (int y = 0; y < Height; ++y) {
        const auto* body = static_cast<const std::uint32_t*>(BodyBmp->ScanLine(y));
        const auto* shape = MaskBmp ? static_cast<const std::uint32_t*>(MaskBmp->ScanLine(y)) : nullptr;
        auto* out = static_cast<std::uint32_t*>(AlphaBmp->ScanLine(y));
        for (int x = 0; x < Width; ++x) {
            if (shape && (shape[x] & 0xFF) > 254) {
                out[x] = 0;
                continue;
            }
            const std::uint32_t c = body[x] & 0xFFFFFF;
            out[x] = c == static_cast<std::uint32_t>(sFuchsia) ? 0 : 0xFF000000u | c;
        }
    }
}

void TacCustomHintWindow::UpdateWnd(int Width, int Height)
{
    TsAlphaHints* m = Manager;
    if (!m) return;
    if (Width == 0 || Height == 0) {
        Width = this->Width();
        Height = this->Height();
    }
    const bool wasShowing = m->HintShowing;
    CreateAlphaBmp(Width, Height);
    const TRect target = m->NewBounds;
    POINT pos{target.Left, target.Top};
    if (!m->Animated()) {
        if (!m->AnimWindow) m->AnimWindow = CreateHintWindow(target);
        SetWindowPos(m->AnimWindow->Handle(), HWND_TOPMOST, target.Left, target.Top, Width, Height,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        SetFormBlendValue(m->AnimWindow->Handle(), AlphaBmp.get(), 255, &pos);
    } else if (m->AnimWindow) {
        HWND anim = m->AnimWindow->Handle();
        RECT ar{};
        GetWindowRect(anim, &ar);
        const double sx = ar.left, sy = ar.top;
        const double stepX = (target.Left - sx) / 10.0, stepY = (target.Top - sy) / 10.0;
        for (int i = 1; i <= 10 && HandleAllocated(); ++i) {
            const DWORD start = GetTickCount();
            POINT p{acHintRound(sx + stepX * i), acHintRound(sy + stepY * i)};
            SetFormBlendValue(anim, AlphaBmp.get(), wasShowing ? 255 : 0, &p);
            WaitTicks(start, 12);
        }
        m->NewWindow.reset();
        SetFormBlendValue(anim, AlphaBmp.get(), 255, &pos);
    } else {
        m->AnimWindow = CreateHintWindow(target);
        HWND anim = m->AnimWindow->Handle();
        const int t = SkinIndex >= 0 ? std::clamp(HintTransparency(SkinIndex), 0, 100) : 0;
        const double top = t == 100 ? 255.0 : 255.0 - 2.55 * t;
        for (int i = 1; i <= 10 && HandleAllocated(); ++i) {
            const DWORD start = GetTickCount();
            SetFormBlendValue(anim, AlphaBmp.get(), acHintRound(top * i / 10.0), &pos);
            WaitTicks(start, 12);
        }
    }
    m->HintShowing = true;
    m->FCacheBmp = std::move(AlphaBmp);
}

// ---------------------------------------------------------------------------------------------
// TacPngHintWindow

TacPngHintWindow::~TacPngHintWindow()
{
    if (HandleAllocated()) DestroyHandle();
}

bool TacPngHintWindow::TemplateMode() const { return SkinIndex < 0; }

TRect TacPngHintWindow::ShadowSizes() const
{
    if (!Manager || !Manager->Active()) return TRect();
    if (!TemplateMode()) return TacCustomHintWindow::ShadowSizes();
    TacHintTemplate* t = CurrentHintTemplate ? CurrentHintTemplate : DefaultHintTemplate.get();
    if (!t) return TRect();
    // A single-image template draws every corner from ImageDefault, with its bands.
    return SizesOf((t->SingleImageUsed() ? t->ImageDefault() : ImageForCorner(t, FMousePos))->ShadowSizes());
}

bool TacPngHintWindow::FullLayer() const { return TemplateMode() || TacCustomHintWindow::FullLayer(); }

TRect TacPngHintWindow::TextRect() const
{
    if (!TemplateMode()) return TacCustomHintWindow::TextRect();
    return CurrentHintImage ? Reduced(MainRect(), SizesOf(CurrentHintImage->ClientMargins())) : MainRect();
}

void TacPngHintWindow::SetupFont(TFont* font) const
{
    if (!TemplateMode() || (Manager && Manager->CustomFont)) {
        TacCustomHintWindow::SetupFont(font);
        return;
    }
    TacHintTemplate* t = CurrentHintTemplate ? CurrentHintTemplate : DefaultHintTemplate.get();
    if (!t) return;
    font->Assign(t->Font());
    font->SetHeight(ScaledValue(t->Font()->Height()));
    const TColor c = t->Font()->Color();
    font->SetColor(static_cast<std::int32_t>(c) < 0 ? 0 : c);
}

void TacPngHintWindow::UpdateImageTemplate()
{
    TacHintTemplate* t = CurrentHintTemplate;
    if (t && !t->SingleImageUsed()) CurrentHintImage = ImageForCorner(t, FMousePos);
}

void TacPngHintWindow::PlaceAgainstRecord(TRect& r)
{
    TsAlphaHints* m = Manager;
    m->FHintLocation = m->TmpShowData.Position;
    m->SetHintTimeCtrl(m->TmpShowData.Control);
    m->CurrentHintInfo.HintControl = m->TmpShowData.Control;
    m->InitTemplate();
    if (m->AutoAlignment()) m->CheckAutoHintPos();
    r = TRect(m->FHintLocation.X, m->FHintLocation.Y, m->FHintLocation.X + r.Width(), m->FHintLocation.Y + r.Height());
}

TRect TacPngHintWindow::CalcHintRect(int maxWidth, const UnicodeString& text, void* data)
{
    TsAlphaHints* m = Manager;
    if (!m) return THintWindow::CalcHintRect(maxWidth, text, data);
    const bool record = m->TmpShowData.Width != 0;
    if (m->GetSkinIndex() >= 0) {
        TRect r = TacCustomHintWindow::CalcHintRect(maxWidth, text, data);
        if (record && m->TmpShowData.Control) PlaceAgainstRecord(r);
        return r;
    }
    Text = text;
    SkinIndex = -1;
    m->InitTemplate();
    TSize size{0, 0};
    if (record)
        size = TSize{m->TmpShowData.Width, m->TmpShowData.Height};
    else if (m->HintFrame)
        size = TSize{m->HintFrame->Width(), m->HintFrame->Height()};
    else
        size = MeasureText(maxWidth);
    int w = size.cx, h = size.cy;
    if (m->OnMeasure) m->OnMeasure(text, m->CurrentHintInfo, w, h);
    auto withMargins = [&] {
        const TRect cm = CurrentHintImage ? SizesOf(CurrentHintImage->ClientMargins()) : TRect();
        return TRect(0, 0, w + cm.Left + cm.Right, h + cm.Top + cm.Bottom);
    };
    TRect r = withMargins();
    if (record && m->TmpShowData.Control) {
        PlaceAgainstRecord(r);
    } else if (!record) {
        const TPoint p = m->FHintLocation.X != 0 && m->FHintLocation.Y != 0 ? m->FHintLocation : GetMousePosition();
        TRect placed = r;
        placed.Offset(p.X, p.Y);
        FMousePos = GetArrowPos(placed, p);
    }
    UpdateImageTemplate();
    const TRect sized = withMargins();
    return TRect(r.Left, r.Top, r.Left + sized.Width(), r.Top + sized.Height());
}

void TacPngHintWindow::CreateAlphaBmp(int Width, int Height)
{
    if (!TemplateMode()) {
        TacCustomHintWindow::CreateAlphaBmp(Width, Height);
        return;
    }
    TsAlphaHints* m = Manager;
    AlphaBmp = CreateBmp32(Width, Height);
    if (m) m->NewBounds = TRect(m->NewBounds.Left, m->NewBounds.Top, m->NewBounds.Left + Width, m->NewBounds.Top + Height);
    if (!CurrentHintImage && m) m->InitTemplate();
    if (TacHintImage* img = CurrentHintImage) {
        if (img->Image()->Empty() && img->ImageData().Size() > 0) img->StreamChanged();
        if (!img->Image()->Empty()) {
            auto pic = CreateBmp32(img->Image()->Width(), img->Image()->Height());
            CopyPixels32(pic.get(), img->Image(), 0, 0);
            const TRect borders = SizesOf(img->BordersWidths());
            const TacBorderDrawModes* dm = img->BorderDrawModes();
            const TRect modes(dm->Left(), dm->Top(), dm->Right(), dm->Bottom());
            PaintControlByTemplate(AlphaBmp.get(), pic.get(), TRect(0, 0, Width, Height),
                                   TRect(0, 0, pic->Width(), pic->Height()), borders, borders, modes,
                                   dm->Center() == dmStretch, true);
        }
    }
    if (m) {
        m->InitTemplate();
        if (FMousePos != m->DefaultMousePos) UpdateImageTemplate();
    }
    // The text goes into a copy; the picture's alpha is kept where GDI wrote over it.
    auto copy = CreateBmp32(Width, Height);
    CopyPixels32(copy.get(), AlphaBmp.get(), 0, 0);
    SetupFont(copy->Canvas()->Font());
    TextOut(copy.get());
    GdiFlush();
    for (int y = 0; y < Height; ++y) {
        const auto* src = static_cast<const std::uint32_t*>(AlphaBmp->ScanLine(y));
        auto* dst = static_cast<std::uint32_t*>(copy->ScanLine(y));
        for (int x = 0; x < Width; ++x) dst[x] = (dst[x] & 0xFFFFFF) | (src[x] & 0xFF000000u);
    }
    AlphaBmp = std::move(copy);
    UpdateAlpha(AlphaBmp.get());
}

void TacPngHintWindow::DoDestroy()
{
    AlphaBmp.reset();
    if (Manager) Manager->AnimWindow.reset();
    TacCustomHintWindow::DoDestroy();
}
