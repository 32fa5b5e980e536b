// The label with a rotated text and a soft shadow.
#include "sLabelFX.h"

#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsRotate.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextFont.h"
#include "sGraphUtilsTextOut.h"
#include "sMaskData.h"
#include "sMessages.h"
#include "sSkinManager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::uint8_t kDisabledBlend = 100;

// Half to even, as the rotated box and the text offsets are rounded.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

bool ManagerActive(TsSkinManager* m) { return m && m->IsActive(); }

} // namespace

// ---------------------------------------------------------------------------------------------
// TsShadow, TsKind

void TsShadow::UpdateRGB()
{
    const TColor c = ColorToRGB(FColor);
    R = GetRValue(c);
    G = GetGValue(c);
    B = GetBValue(c);
}

void TsShadow::SetDistance(int Value)
{
    if (Value == FDistance) return;
    FDistance = Value;
    FOwner->UpdatePosition();
    FOwner->Invalidate();
}

void TsShadow::SetBlurCount(int Value)
{
    if (Value == FBlurCount) return;
    FBlurCount = Value;
    FOwner->UpdatePosition();
    FOwner->Invalidate();
}

void TsShadow::SetColor(TColor Value)
{
    if (Value == FColor) return;
    FColor = Value;
    UpdateRGB();
    FOwner->Invalidate();
}

void TsShadow::SetMode(TsShadowMode Value)
{
    if (Value == FMode) return;
    FMode = Value;
    UpdateRGB();
    FOwner->UpdatePosition();
    FOwner->Invalidate();
}

void TsShadow::SetAlphaValue(std::uint8_t Value)
{
    if (Value == FAlphaValue) return;
    FAlphaValue = Value;
    FOwner->Invalidate();
}

void TsKind::SetColor(TColor Value)
{
    if (Value == FColor) return;
    FColor = Value;
    FOwner->Invalidate();
}

void TsKind::SetKindType(TsKindType Value)
{
    if (Value == FKindType) return;
    FKindType = Value;
    FOwner->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TsLabelFX

TsLabelFX::TsLabelFX(TComponent* AOwner)
    : TsCustomLabel(AOwner), ShadowBmp(CreateBmp32(0, 0)), FShadow(std::make_unique<TsShadow>(this)),
      FKind(std::make_unique<TsKind>(this))
{
}

TacShadowData TsLabelFX::CurrentShadowData()
{
    TacShadowData d;
    const auto custom = [&] {
        d.BlurCount = FShadow->BlurCount();
        d.Distance = FShadow->Distance();
        d.Alpha = FShadow->AlphaValue();
        d.Color = FShadow->Color();
    };
    switch (FShadow->Mode()) {
    case smNone: break;
    case smCustom: custom(); break;
    case smSkin1: {
        TsSkinManager* m = GetSkinManager();
        const TacSkinData* data = ManagerActive(m) ? m->CommonSkinData(96) : nullptr;
        if (data && data->Shadow1Blur >= 0) {
            d.Color = m->SkinCommonInfo.Shadow1Color;
            d.BlurCount = data->Shadow1Blur;
            d.Distance = data->Shadow1Offset;
            d.Alpha = FShadow->AlphaValue();
        } else {
            custom();
        }
        break;
    }
    }
    return d;
}

void TsLabelFX::Margins(int& L, int& R)
{
    const TacShadowData d = CurrentShadowData();
    L = std::min(0, d.Distance - d.BlurCount);
    R = std::max(0, d.Distance + d.BlurCount);
}

TColor TsLabelFX::CurrentFontColor()
{
    switch (FKind->KindType()) {
    case ktStandard: return ColorToRGB(Font()->Color());
    case ktCustom: return ColorToRGB(FKind->Color());
    case ktSkin: break;
    }
    TsSkinManager* m = GetSkinManager();
    if (!ManagerActive(m)) return FKind->Color();
    const int index = SkinSection().empty() ? -1 : m->GetSkinIndex(SkinSection());
    if (!ShadowExists()) return GetFontColor(this, index, m);
    const TacSkinData* data = m->CommonSkinData(96);
    const auto section = [data](int i) -> const TsGeneralData* {
        return data && i >= 0 && i < static_cast<int>(data->gd.size()) ? &data->gd[static_cast<size_t>(i)] : nullptr;
    };
    if (const TsGeneralData* own = section(index)) return own->Props[0].FontColor.Color;
    if (const TsGeneralData* global = section(m->SkinCommonInfo.IndexGlobalInfo))
        if (global->Props[0].FontColor.Left != -1) return global->Props[0].FontColor.Left;
    return FKind->Color();
}

TColor TsLabelFX::TextColor()
{
    TsSkinManager* m = GetSkinManager();
    TColor c;
    if (FKind->KindType() == ktSkin && ManagerActive(m))
        c = m->Palette[pcLabelText];
    else
        c = FKind->KindType() == ktCustom ? FKind->Color() : clWindowText;
    if (Enabled()) return c;
    return BlendColors(ColorToRGB(c), ColorToRGB(m ? m->GetGlobalColor() : Color()), kDisabledBlend);
}

void TsLabelFX::SetAngle(int Value)
{
    if (Value == FAngle) return;
    FAngle = Value;
    if (Value != 0) SetWordWrap(false);
    if (AutoSize()) {
        AdjustBounds();
        Repaint();
    } else {
        Invalidate();
    }
}

void TsLabelFX::Invalidate()
{
    if (WordWrap() && FAngle != 0) FAngle = 0;
    ShadowDirty = true;
    TsCustomLabel::Invalidate();
}

void TsLabelFX::UpdatePosition()
{
    if (ComponentState().Contains(csLoading)) return;
    if (DefaultManager) {
        const TacManagerState s = DefaultManager->ManagerState;
        if (s.Contains(msScaleChanging) || s.Contains(msAnimScaling) || s.Contains(msFormScaling)) return;
    }
    int L = 0, R = 0;
    Margins(L, R);
    TacOffsetKeeper* k = FShadow->OffsetKeeper();
    if (L == k->LeftTop && R == k->RightBottom) return;
    PositionUpdating = true;
    AdjustBounds();
    PositionUpdating = false;
    k->LeftTop = L;
    k->RightBottom = R;
}

void TsLabelFX::AdjustBounds()
{
    const TComponentState state = ComponentState();
    if (state.Contains(csLoading) || state.Contains(csReading) || !Parent()) return;
    TacOffsetKeeper* k = FShadow->OffsetKeeper();
    const int L0 = k->LeftTop, R0 = k->RightBottom;
    int L1 = 0, R1 = 0;
    Margins(L1, R1);
    int left = Left(), top = Top(), width = 0, height = 0;
    const int centred = ((L0 - L1) - R0 + R1) / 2;
    if (!AutoSize()) {
        width = Width() + L0 - R0 + (R1 - L1);
        height = Height() + L0 - R0 + (R1 - L1);
        left = Alignment() == taCenter ? Left() - centred : Left() - L0 + L1;
        switch (Layout()) {
        case tlTop: top = Top() - L0 + L1; break;
        case tlCenter: top = Top() - centred; break;
        case tlBottom: top = Top() + L1 + Height() - R0 - height; break;
        }
    } else {
        const bool aligned = Align() == alTop || Align() == alBottom || Align() == alClient;
        TRect r(0, 0, aligned ? Width() : 65535, 0);
        HDC dc = GetDC(nullptr);
        {
            const TCanvasDCScope scope(*Canvas(), dc);
            DoDrawText(r, TTextFormat{tfCalcRect});
        }
        ReleaseDC(nullptr, dc);
        width = r.Width() + (R1 - L1);
        height = r.Height() + (R1 - L1);
        switch (Alignment()) {
        case taLeftJustify: left = Left() - L0 + L1; break;
        case taRightJustify:
            if (PrevWidth == 0) PrevWidth = width;
            left = Left() + PrevWidth - width;
            PrevWidth = width;
            break;
        case taCenter: left = Left() - centred; break;
        }
        switch (Layout()) {
        case tlTop: top = Top() - L0 + L1; break;
        case tlCenter: top = Top() - centred; break;
        case tlBottom: top = Top() + R1 - R0; break;
        }
    }
    SetBounds(left, top, width, height);
    // A windowless label hears of no move or size: the margins now in place are kept here.
    if (!PositionUpdating) {
        k->LeftTop = L1;
        k->RightBottom = R1;
    }
}

void TsLabelFX::WndProc(TMessage& Message)
{
    TsCustomLabel::WndProc(Message);
    switch (Message.Msg) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (!PositionUpdating) Margins(FShadow->OffsetKeeper()->LeftTop, FShadow->OffsetKeeper()->RightBottom);
        break;
    case SM_ALPHACMD: {
        const WORD cmd = AlphaCmdCode(Message.WParam);
        if ((cmd == AC_SETNEWSKIN || cmd == AC_REMOVESKIN) && !Destroying()) UpdatePosition();
        break;
    }
    default: break;
    }
}

void TsLabelFX::MakeShadow(const TRect& TextRect, int X, int Y, int dx, int dy, UINT Flags, const UnicodeString& Text,
                           const TacShadowData& Data)
{
    const int Wc = std::max(Width(), 1), Hc = std::max(Height(), 1);
    ShadowBmp = CreateBmp32(Wc, Hc);
    TCanvas* sc = ShadowBmp->Canvas();
    const HDC sdc = sc->Handle();
    const RECT all{0, 0, Wc, Hc};
    FillRect(sdc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    TRect r = TextRect;
    r.Offset(Data.Distance, Data.Distance);
    sc->SetFont(Font());
    sc->Font()->SetColor(clWhite);
    sc->Brush()->SetStyle(bsClear);
    HDC dc = acCanvasTextDC(sc);
    SetBkMode(dc, TRANSPARENT);
    if (FAngle != 0) {
        TacAngledFont af = MakeAngledFont(dc, Font(), FAngle * 10);
        SetTextColor(dc, RGB(255, 255, 255));
        acExtTextOut(dc, X + dx + Data.Distance, Y + dy + Data.Distance, 0, nullptr, Text.c_str(),
                     static_cast<UINT>(Text.length()), nullptr);
        if (af.OldFont) SelectObject(dc, af.OldFont);
    } else {
        SetTextColor(dc, RGB(255, 255, 255));
        acDrawText(dc, Text, r, Flags & ~static_cast<UINT>(acDrawTextGdiPlus));
    }
    GdiFlush();

    const size_t stride = static_cast<size_t>(Wc) + 2;
    const size_t size = stride * (static_cast<size_t>(Hc) + 2);
    if (Mask.size() < size * 2) Mask.resize(size * 2);
    std::fill(Mask.begin(), Mask.end(), 0);
    for (int pass = 0; pass < Data.BlurCount; ++pass) {
        for (int y = 0; y < Hc; ++y) {
            const auto* line = static_cast<const std::uint8_t*>(ShadowBmp->ScanLine(y));
            for (int x = 0; x < Wc; ++x)
                if (line[x * 4] != 0) Mask[(static_cast<size_t>(y) + 1) * stride + static_cast<size_t>(x) + 1] = 255;
        }
        for (size_t y = 1; y <= static_cast<size_t>(Hc); ++y)
            for (size_t x = 1; x <= static_cast<size_t>(Wc); ++x) {
                const size_t i = y * stride + x;
                Mask[i] = static_cast<std::uint8_t>(
                    (Mask[i - stride] + Mask[i + stride] + Mask[i - 1] + Mask[i + 1]) >> 2);
            }
    }

    if (Transparent()) {
        BitBlt(sdc, 0, 0, Wc, Hc, Canvas()->Handle(), 0, 0, SRCCOPY);
    } else {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color())));
        FillRect(sdc, &all, brush);
        DeleteObject(brush);
    }
    GdiFlush();
    const int shade[3] = {FShadow->B, FShadow->G, FShadow->R};
    for (int y = 0; y < Hc; ++y) {
        auto* line = static_cast<std::uint8_t*>(ShadowBmp->ScanLine(y));
        for (int x = 0; x < Wc; ++x) {
            const int m = Mask[(static_cast<size_t>(y) + 1) * stride + static_cast<size_t>(x) + 1] * Data.Alpha >> 8;
            for (int c = 0; c < 3; ++c)
                line[x * 4 + c] = static_cast<std::uint8_t>((line[x * 4 + c] * (255 - m) + shade[c] * m) >> 8);
        }
    }
    ShadowDirty = false;
}

void TsLabelFX::DoDrawText(TRect& Rect, TTextFormat Flags)
{
    if (ComponentState().Contains(csLoading)) {
        TsCustomLabel::DoDrawText(Rect, Flags);
        return;
    }
    const bool measuring = Flags.Contains(tfCalcRect);
    UnicodeString text = Caption();
    if (measuring && (text.empty() || (ShowAccelChar() && text == L"&"))) text = L" ";
    UINT flags = DrawTextBiDiModeFlags(0) | DT_NOCLIP;
    if (WordWrap()) flags |= DT_WORDBREAK;
    if (PaintMode == 2 && Transparent()) flags |= acDrawTextGdiPlus;
    if (!ShowAccelChar()) flags |= DT_NOPREFIX;

    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    HDC dc = acCanvasTextDC(canvas);
    TRect m(0, 0, Rect.Width(), 0);
    acDrawText(dc, text, m, flags | DT_CALCRECT);
    const double w = m.Width(), h = m.Height();
    const double c = acCos(FAngle), s = acSin(FAngle);
    const int W = RoundEven(w * std::fabs(c) + h * std::fabs(s));
    const int H = RoundEven(w * std::fabs(s) + h * std::fabs(c));
    int dx = 0, dy = 0;
    if (!measuring) {
        dx = RoundEven((w - w * c - h * s) / 2) + (W - static_cast<int>(w)) / 2 + 1;
        dy = RoundEven((h * (1 - c) + w * s) / 2) + (H - static_cast<int>(h)) / 2 + 1;
    }

    TsSkinManager* manager = GetSkinManager();
    const bool shadowed = ShadowExists() || (FSkinIndex >= 0 && ManagerActive(manager));
    TacShadowData data;
    int L = 0, extra = 0;
    if (shadowed) {
        data = CurrentShadowData();
        FShadow->R = GetRValue(ColorToRGB(data.Color));
        FShadow->G = GetGValue(ColorToRGB(data.Color));
        FShadow->B = GetBValue(ColorToRGB(data.Color));
        L = std::min(0, data.Distance - data.BlurCount);
        extra = L + std::max(0, data.Distance + data.BlurCount);
    }
    ShadowMargin = L;
    const int R = extra - L, D = data.Distance;

    int X = 0, Y = 0;
    if (AutoSize()) {
        X = Rect.Left - L;
        Y = Rect.Top - L;
    } else {
        switch (Alignment()) {
        case taLeftJustify: X = Rect.Left - L; break;
        case taRightJustify: X = Rect.Right - W - R; break;
        case taCenter: X = (Rect.Right - W - extra) / 2 + D; break;
        }
        switch (Layout()) {
        case tlTop: Y = Rect.Top - L; break;
        case tlCenter: Y = (Height() - H - extra) / 2 + D; break;
        case tlBottom: Y = Height() - H - R; break;
        }
    }
    TRect textRect(X, Y, X + W, Y + H);
    if (measuring) {
        Rect = TRect(0, 0, W, H);
        return;
    }

    const auto drawText = [&](int ox, int oy, TColor color) {
        SetBkMode(dc, TRANSPARENT);
        if (FAngle != 0) {
            TacAngledFont af = MakeAngledFont(dc, Font(), FAngle * 10);
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
            RECT clip = textRect;
            OffsetRect(&clip, ox, oy);
            acExtTextOut(dc, X + dx + ox, Y + dy + oy, 0, &clip, text.c_str(), static_cast<UINT>(text.length()),
                         nullptr);
            if (af.OldFont) SelectObject(dc, af.OldFont);
        } else {
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
            TRect r = textRect;
            r.Offset(ox, oy);
            acDrawText(dc, text, r, flags);
        }
    };
    if (!Enabled()) {
        drawText(1, 1, clBtnHighlight);
        drawText(0, 0, clBtnShadow);
        return;
    }
    if (shadowed) {
        MakeShadow(textRect, X, Y, dx, dy, flags, text, data);
        BitBlt(dc, 0, 0, ShadowBmp->Width(), ShadowBmp->Height(), ShadowBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
        dc = acCanvasTextDC(canvas);
    }
    drawText(0, 0, CurrentFontColor());
}
