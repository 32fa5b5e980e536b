// The skinned label base, the published label and the web label.
#include "sLabel.h"

#include "Messages.h"
#include "ShellExecute.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextFont.h"
#include "sGraphUtilsTextOut.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <cstdlib>

namespace {

// Text or font changes of any label re-adjust one label at a time.
bool g_adjusting = false;

// The library's weight for blending a disabled colour.
constexpr std::uint8_t kDisabledBlend = 100;

bool ManagerActive(TsSkinManager* m) { return m && m->IsActive(); }

} // namespace

// ---------------------------------------------------------------------------------------------
// TsCustomLabel

TsCustomLabel::TsCustomLabel(TComponent* AOwner) : TCustomLabel(AOwner)
{
    SetTransparent(true);
    SetShowAccelChar(true);
    FCurrentPPI = DefaultPPI();
}

int TsCustomLabel::SkinIndex()
{
    TsSkinManager* m = GetSkinManager();
    if (!ManagerActive(m) || FSkinSection.empty()) {
        FSkinIndex = -1;
        return -1;
    }
    if (FSkinIndex < 0) FSkinIndex = m->GetSkinIndex(FSkinSection);
    return FSkinIndex;
}

TsSkinManager* TsCustomLabel::GetSkinManager() const { return FSkinManager ? FSkinManager : DefaultManager; }

void TsCustomLabel::SetSkinManager(TsSkinManager* Value)
{
    if (Value == FSkinManager) return;
    FSkinManager = Value;
    if (Value) Value->FreeNotification(this);
    FSkinIndex = -1;
    Repaint();
}

void TsCustomLabel::SetSkinSection(const UnicodeString& Value)
{
    if (Value == FSkinSection) return;
    FSkinSection = Value;
    FSkinIndex = -1;
    Repaint();
}

void TsCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSkinManager) FSkinManager = nullptr;
}

void TsCustomLabel::Loaded()
{
    TCustomLabel::Loaded();
    UpdateGlassMode(this, false);
    if (TsSkinManager* m = GetSkinManager()) m->UpdateFontName(this);
}

void TsCustomLabel::ChangeScale(int M, int D)
{
    TCustomLabel::ChangeScale(M, D);
    if (M > 0 && D > 0) FCurrentPPI = MulDiv(FCurrentPPI, M, D);
}

TColor TsCustomLabel::TextColor()
{
    TsSkinManager* m = FSkinManager;
    const bool active = ManagerActive(m);
    const TColor c = active ? m->Palette[pcLabelText] : Font()->Color();
    if (Enabled()) return c;
    return BlendColors(ColorToRGB(c), ColorToRGB(active ? m->GetGlobalColor() : Color()), kDisabledBlend);
}

void TsCustomLabel::PaintSection(TCanvas* Canvas, TsSkinManager* Manager)
{
    TacBGInfo bg;
    if (Parent()) GetBGInfo(bg, Parent());
    const TCacheInfo ci = BGInfoToCI(bg);
    PaintItem(FSkinIndex, ci, true, 0, ClientRect(), TPoint(Left(), Top()), Canvas->Handle(),
              Manager->CommonSkinData(96));
}

void TsCustomLabel::Paint()
{
    if (Destroying()) return;
    TsSkinManager* m = GetSkinManager();
    if (SkinIndex() >= 0 && ManagerActive(m)) PaintSection(Canvas(), m);
    TCustomLabel::Paint();
    if (PaintMode == 1 || !Transparent()) {
        const TRect client = ClientRect();
        auto bmp = CreateBmp32(client.Width(), client.Height());
        BitBlt(bmp->Canvas()->Handle(), 0, 0, client.Width(), client.Height(), Canvas()->Handle(), 0, 0, SRCCOPY);
        FillAlphaRect(bmp.get(), TRect(0, 0, client.Width(), client.Height()), 255, clNone);
        BitBlt(Canvas()->Handle(), 0, 0, client.Width(), client.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    FSkinIndex = -1;
}

void TsCustomLabel::DrawLabelText(TCanvas* Canvas, TRect& Rect, UINT Flags, TColor Color)
{
    UnicodeString text = Caption();
    const bool measuring = (Flags & DT_CALCRECT) != 0;
    if (measuring && (text.empty() || (ShowAccelChar() && text == L"&"))) text += L" ";
    if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    if (PaintMode == 2 && Transparent()) Flags |= acDrawTextGdiPlus;
    Canvas->SetFont(GetCurrentFont());
    Canvas->Brush()->SetStyle(bsClear);
    const HDC dc = acCanvasTextDC(Canvas);
    TSize dots;
    acGetTextExtent(dc, L"...", dots, nullptr);
    text = EllipsisText(text, Rect, Flags, dots.cx, [dc, Flags](const UnicodeString& t, TRect& r) {
        acDrawText(dc, t, r, (Flags | DT_CALCRECT) & ~static_cast<UINT>(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS));
        return r.Height();
    });
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Color)));
    acDrawText(dc, text, Rect, Flags);
}

void TsCustomLabel::DoDrawText(TRect& Rect, TTextFormat Flags)
{
    DrawLabelText(Canvas(), Rect, TextFormatToDrawTextFlags(Flags), ColorToRGB(TextColor()));
}

void TsCustomLabel::TextOrFontChanged()
{
    const bool skip = ComponentState().Contains(csLoading) || Destroying() || !Parent() || g_adjusting || FFontCopying;
    if (skip) return;
    g_adjusting = true;
    if (AutoSize() && Alignment() == taRightJustify && !UseRightToLeftAlignment()) {
        const int right = Left() + Width();
        AdjustBounds();
        if (Left() + Width() != right) SetBounds(right - Width(), Top(), Width(), Height());
    } else {
        AdjustBounds();
    }
    if (!Application || !Application->Terminated()) Invalidate();
    g_adjusting = false;
}

void TsCustomLabel::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_PARENTBIDIMODECHANGED:
        TextOrFontChanged();
        return;
    case CM_HITTEST:
        if (FTransparentForMouse) {
            Message.Result = HTNOWHERE;
            return;
        }
        break;
    default: break;
    }
    TCustomLabel::WndProc(Message);
    if (Message.Msg != SM_ALPHACMD) return;
    TsSkinManager* m = GetSkinManager();
    switch (AlphaCmdCode(Message.WParam)) {
    case AC_SETTRANSPMODE:
        PaintMode = HIWORD(Message.LParam);
        Message.Result = MAKELONG(LOWORD(Message.LParam), PaintMode);
        if (PaintMode == 2 && Transparent() && AutoSize()) AdjustBounds();
        break;
    case AC_REMOVESKIN:
        if (Destroying()) break;
        if (FSkinManager && FSkinManager->ComponentState().Contains(csDestroying)) FSkinManager = nullptr;
        if (ParentFontPending) SetParentFont(true);
        FSkinIndex = -1;
        Invalidate();
        break;
    case AC_REFRESH: {
        const int low = LOWORD(Message.WParam);
        if ((low == 0 || low == FSkinIndex) && !Destroying() && !Designing()) {
            ParentFontPending = ParentFont();
            FSkinIndex = -1;
            Invalidate();
        }
        break;
    }
    case AC_FONTCHANGED:
        if (m) m->UpdateFontName(this);
        break;
    case AC_GETFONTINDEX:
        if (ManagerActive(m) && Parent())
            Message.Result = GetFontIndex(this, reinterpret_cast<TacPaintInfo*>(Message.LParam));
        break;
    case AC_CANANIMATE: Message.Result = ManagerActive(m) ? 1 : (Transparent() ? 1 : 0); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// TsLabel

void TsLabel::SetUseSkinColor(bool Value)
{
    if (Value == FUseSkinColor) return;
    FUseSkinColor = Value;
    Repaint();
}

TColor TsLabel::TextColor()
{
    TsSkinManager* m = GetSkinManager();
    const TColor c = FUseSkinColor && ManagerActive(m) ? GetFontColor(this, SkinIndex(), m) : Font()->Color();
    if (Enabled()) return c;
    return BlendColors(ColorToRGB(c), ColorToRGB(GetControlColor(Parent())), kDisabledBlend);
}

void TsLabel::PaintText(TBitmap* Bmp, const TRect& R)
{
    TRect r = R;
    UINT flags = DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : 0);
    if (Alignment() == taRightJustify) flags |= DT_RIGHT;
    if (Alignment() == taCenter) flags |= DT_CENTER;
    DrawLabelText(Bmp->Canvas(), r, flags, ColorToRGB(TextColor()));
}

// ---------------------------------------------------------------------------------------------
// TsWebLabel

TsWebLabel::TsWebLabel(TComponent* AOwner)
    : TsLabel(AOwner), FNormalFont(std::make_unique<TFont>()), FHoverFont(std::make_unique<TFont>())
{
    FNormalFont->Assign(Font());
    FHoverFont->Assign(Font());
    FNormalFont->OnChange = [this](TObject*) { Font()->Assign(FNormalFont.get()); };
    SetCursor(crHandPoint);
    SetTransparent(true);
}

void TsWebLabel::SetFont(const TFont* Value)
{
    FFontCopying = true;
    Font()->Assign(Value);
    FNormalFont->Assign(Value);
    FFontCopying = false;
    Repaint();
}

void TsWebLabel::Loaded()
{
    TsLabel::Loaded();
    FFontCopying = true;
    Font()->Assign(FNormalFont.get());
    FFontCopying = false;
}

TFont* TsWebLabel::GetCurrentFont()
{
    return FMouseInside && !Designing() ? FHoverFont.get() : FNormalFont.get();
}

TColor TsWebLabel::TextColor()
{
    TsSkinManager* m = GetSkinManager();
    const bool skinned = !Destroying() && ManagerActive(m) && UseSkinColor();
    TColor c;
    if (!FMouseInside || Designing() || !Enabled())
        c = skinned ? m->Palette[pcWebText] : ColorToRGB(FNormalFont->Color());
    else
        c = skinned ? m->Palette[pcWebTextHot] : FHoverFont->Color();
    if (Enabled()) return c;
    return BlendColors(ColorToRGB(c), ColorToRGB(m ? m->GetGlobalColor() : (Parent() ? Parent()->Color() : clBtnFace)),
                       kDisabledBlend);
}

void TsWebLabel::DoDrawText(TRect& Rect, TTextFormat Flags) { TsLabel::DoDrawText(Rect, Flags); }

void TsWebLabel::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TsLabel::WndProc(Message);
        if (Message.LParam != 0) return;
        if (Enabled()) FMouseInside = Message.Msg == CM_MOUSEENTER;
        if (AutoSize()) {
            Invalidate();
            Update();
            AdjustBounds();
        }
        if (Parent() && Parent()->HandleAllocated()) {
            const RECT r = BoundsRect();
            InvalidateRect(Parent()->Handle(), &r, TRUE);
        }
        return;
    case CM_PARENTFONTCHANGED:
        TsLabel::WndProc(Message);
        if (ParentFont() && Parent()) {
            FFontCopying = true;
            FNormalFont->Assign(Font());
            FFontCopying = false;
            FHoverFont->SetName(FNormalFont->Name());
            FHoverFont->SetHeight(FNormalFont->Height());
            FHoverFont->SetColor(FNormalFont->Color());
        }
        return;
    default: break;
    }
    TsLabel::WndProc(Message);
    if (Message.Msg == SM_ALPHACMD && AlphaCmdCode(Message.WParam) == AC_FONTCHANGED && !Designing()) {
        FNormalFont->Assign(Font());
        FHoverFont->SetName(Font()->Name());
        FHoverFont->SetHeight(Font()->Height());
    }
}

void TsWebLabel::Click()
{
    TsLabel::Click();
    if (FURL.empty()) return;
    acShellExecute(Application ? Application->Handle() : nullptr, L"open", FURL.c_str(), nullptr, nullptr,
                   static_cast<int>(FShowMode));
}

void TsWebLabel::ChangeScale(int M, int D)
{
    TsLabel::ChangeScale(M, D);
    if (M <= 0 || D <= 0) return;
    FNormalFont->SetHeight(MulDiv(FNormalFont->Height(), M, D));
    FHoverFont->SetHeight(MulDiv(FHoverFont->Height(), M, D));
}
