// The HTML label (caption markup with clickable links), the caption label of a bound label and
// the label with an image.
#include "sLabel.h"

#include "Messages.h"
#include "ShellExecute.h"
#include "sAlphaGraph.h"
#include "acAlphaImageList.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsText.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <windowsx.h>

#include <algorithm>

namespace {

TacHtmlFactory& HtmlFactory()
{
    static TacHtmlFactory factory = [] { return std::make_unique<TsHtml>(); };
    return factory;
}

std::unique_ptr<TsHtml> MakeHtml()
{
    auto html = HtmlFactory() ? HtmlFactory()() : nullptr;
    return html ? std::move(html) : std::make_unique<TsHtml>();
}

} // namespace

TacHtmlFactory SetHtmlLabelFactory(TacHtmlFactory Factory)
{
    TacHtmlFactory previous = std::move(HtmlFactory());
    HtmlFactory() = std::move(Factory);
    return previous;
}

// ---------------------------------------------------------------------------------------------
// TsHTMLLabel

void TsHTMLLabel::SetUseHTML(bool Value)
{
    if (Value == FUseHTML) return;
    FUseHTML = Value;
    Repaint();
}

void TsHTMLLabel::SetFitToWidth(bool Value)
{
    if (Value == FFitToWidth) return;
    FFitToWidth = Value;
    if (AutoSize() && !ComponentState().Contains(csLoading)) AdjustBounds();
}

UnicodeString TsHTMLLabel::PlainCaption() { return GetPlainText(Caption()); }

void TsHTMLLabel::DoDrawText(TRect& Rect, TTextFormat Flags)
{
    if (!FUseHTML) {
        TsLabel::DoDrawText(Rect, Flags);
        return;
    }
    const UnicodeString text = Caption();
    if (text.empty()) return;
    auto html = MakeHtml();
    auto bmp = CreateBmp32(std::max(Width(), 1), std::max(Height(), 1));
    TCanvas* canvas = bmp->Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(ColorToRGB(TextColor()));
    html->SkinManager = GetSkinManager();
    html->TranspMode = PaintMode;
    if (Flags.Contains(tfCalcRect)) {
        TRect r = Rect;
        if (AutoSize()) r.Right = !FFitToWidth && Aligned() ? r.Left + Width() : r.Left + 65535;
        html->Init(bmp.get(), text, r, HotLink, PressedLink);
        Rect = html->HTMLText(Links, true);
        return;
    }
    html->Alignment = static_cast<std::uint8_t>(Alignment() == taRightJustify ? 1 : Alignment() == taCenter ? 2 : 0);
    html->Layout = static_cast<std::uint8_t>(Layout());
    html->BidiMode = static_cast<std::uint8_t>(BiDiMode());
    html->Init(bmp.get(), text, Rect, HotLink, PressedLink);
    const HDC dc = Canvas()->Handle();
    BitBlt(canvas->Handle(), 0, 0, bmp->Width(), bmp->Height(), dc, 0, 0, SRCCOPY);
    html->HTMLText(Links, false);
    BitBlt(dc, 0, 0, bmp->Width(), bmp->Height(), canvas->Handle(), 0, 0, SRCCOPY);
}

void TsHTMLLabel::SetHot(int n)
{
    HotLink = n;
    SetCursor(n >= 0 ? crHandPoint : crDefault);
    Repaint();
}

void TsHTMLLabel::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED: {
        TWinControl* focus = FocusControl();
        if (focus && focus->ComponentState().Contains(csLoading)) return;
        if (!Visible() && !Designing()) return;
        break;
    }
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        if (HotLink >= 0 || PressedLink >= 0) {
            PressedLink = -1;
            SetHot(-1);
        }
        break;
    case WM_MOUSEMOVE: {
        const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        const int i = acLinkAtPoint(Links, p);
        const int n = i >= 0 ? Links[static_cast<size_t>(i)].Ndx : -1;
        if (n < 0) {
            if (HotLink >= 0) SetHot(-1);
        } else if (n != HotLink) {
            SetHot(n);
        }
        break;
    }
    case WM_LBUTTONDOWN:
        if (HotLink >= 0) {
            PressedLink = HotLink;
            Repaint();
        }
        break;
    case WM_LBUTTONUP:
        if (!Clicking && PressedLink >= 0) {
            Clicking = true;
            if (HotLink >= 0) DoClick(PressedLink);
            PressedLink = -1;
            Clicking = false;
            Repaint();
        }
        break;
    default: break;
    }
    TsLabel::WndProc(Message);
    if ((Message.Msg == WM_SIZE || Message.Msg == WM_WINDOWPOSCHANGED) && AutoSize() && Aligned() && !Adjusting) {
        Adjusting = true;
        AdjustBounds();
        Adjusting = false;
    }
}

void TsHTMLLabel::DoClick(int n)
{
    const auto it = std::find_if(Links.begin(), Links.end(), [n](const TacLink& l) { return l.Ndx == n; });
    if (it == Links.end()) return;
    UnicodeString url = it->URL;
    bool allow = true;
    if (OnLinkClick) OnLinkClick(this, url, allow);
    if (!url.empty() && allow)
        acShellExecute(Application ? Application->Handle() : nullptr, L"open", url.c_str(), nullptr, nullptr,
                       static_cast<int>(FShowMode));
}

// ---------------------------------------------------------------------------------------------
// TsEditLabel

TsEditLabel::TsEditLabel(TsBoundLabel* ABoundLabel) : TsHTMLLabel(nullptr), BoundLabel(ABoundLabel)
{
    if (ABoundLabel && ABoundLabel->FCommonData && ABoundLabel->FCommonData->ManagerStored())
        SetSkinManager(ABoundLabel->FCommonData->GetSkinManager());
}

TsEditLabel::~TsEditLabel()
{
    if (!BoundLabel) return;
    BoundLabel->FActive = false;
    if (BoundLabel->FTheLabel.get() == this) static_cast<void>(BoundLabel->FTheLabel.release());
}

void TsEditLabel::Click()
{
    TsHTMLLabel::Click();
    if (BoundLabel && BoundLabel->AllowClick()) BoundLabel->DoClick(this);
}

void TsEditLabel::DblClick()
{
    TsHTMLLabel::DblClick();
    if (BoundLabel && BoundLabel->AllowClick()) BoundLabel->DoClick(this);
}

// ---------------------------------------------------------------------------------------------
// TsImgLabel

TsImgLabel::TsImgLabel(TComponent* AOwner) : TsLabel(AOwner), FImageChangeLink(std::make_unique<TChangeLink>())
{
    FImageChangeLink->OnChange = [this](TObject* sender) { ImageListChange(sender); };
}

TsImgLabel::~TsImgLabel()
{
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
}

void TsImgLabel::SetImages(TCustomImageList* Value)
{
    if (Value == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (Value) {
        Value->RegisterChanges(FImageChangeLink.get());
        Value->FreeNotification(this);
    }
    if (AutoSize()) AdjustBounds();
    Repaint();
}

void TsImgLabel::SetInteger(int Index, int Value)
{
    int& field = Index == 0 ? FImageIndex : FSpacing;
    if (field == Value) return;
    field = Value;
    if (AutoSize()) AdjustBounds();
    Repaint();
}

void TsImgLabel::ImageListChange(TObject*)
{
    if (AutoSize()) AdjustBounds();
    Repaint();
}

bool TsImgLabel::ImageExists() const
{
    return FImages && FImageIndex >= 0 && FImageIndex < FImages->Count();
}

void TsImgLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TsLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

TSize TsImgLabel::ImageSize()
{
    if (!ImageExists()) return TSize(0, 0);
    return TSize(GetImageWidth(FImages, FImageIndex, CurrentPPI()), GetImageHeight(FImages, FImageIndex, CurrentPPI()));
}

void TsImgLabel::AdjustBounds()
{
    TsLabel::AdjustBounds();
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading) || !AutoSize() || !ImageExists())
        return;
    const TSize img = ImageSize();
    SetBounds(Left(), Top(), Width() + img.cx + FSpacing, std::max(Height(), static_cast<int>(img.cy)));
}

void TsImgLabel::Paint()
{
    if (Destroying()) return;
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    auto bmp = CreateBmp32(w, h);
    const HDC dc = Canvas()->Handle();
    BitBlt(bmp->Canvas()->Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
    TsSkinManager* m = GetSkinManager();
    if (SkinIndex() >= 0 && m && m->IsActive()) PaintSection(bmp->Canvas(), m);
    TRect R = ClientRect();
    if (!Transparent()) {
        bmp->Canvas()->Brush()->SetStyle(bsSolid);
        bmp->Canvas()->Brush()->SetColor(ColorToRGB(Color()));
        bmp->Canvas()->FillRect(R);
    }
    TSize img(0, 0);
    if (ImageExists()) {
        img = ImageSize();
        SetImagesPPI(FImages, CurrentPPI());
        TColor tone = clNone;
        if (dynamic_cast<TsAlphaImageList*>(FImages) && m && m->IsActive() && m->Effects()->GetBoolean(1)) {
            int index = SkinIndex();
            if (Parent()) {
                TacPaintInfo info;
                info.FontIndex = index;
                info.R = BoundsRect();
                info.SkinManager = m;
                const LRESULT answer = SendAMessage(Parent(), AC_GETFONTINDEX, reinterpret_cast<LPARAM>(&info));
                if (answer != 0) index = info.FontIndex;
            }
            const TacSkinData* data = m->CommonSkinData(96);
            tone = data && index >= 0 && index < static_cast<int>(data->gd.size())
                       ? data->gd[static_cast<size_t>(index)].Props[0].Color
                       : 0;
        }
        DrawAlphaImgList(FImages, bmp.get(), 0, (Height() - img.cy) / 2, FImageIndex, 0, tone, 0, 1, false,
                         CurrentPPI());
    }
    const UnicodeString text = Caption();
    if (!text.empty()) {
        if (img.cx != 0) R.Left = FSpacing + img.cx;
        UINT flags = DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : 0);
        if (Alignment() == taRightJustify) flags |= DT_RIGHT;
        if (Alignment() == taCenter) flags |= DT_CENTER;
        if (Layout() != tlTop) {
            TRect measured = R;
            DrawLabelText(bmp->Canvas(), measured, flags | DT_CALCRECT, ColorToRGB(TextColor()));
            R.Offset(0, Layout() == tlCenter ? (Height() - measured.Bottom) / 2 : Height() - measured.Bottom);
        }
        DrawLabelText(bmp->Canvas(), R, flags, ColorToRGB(TextColor()));
        if (PaintMode == 1 || !Transparent()) FillAlphaRect(bmp.get(), TRect(0, 0, w, h), 255, clNone);
    }
    BitBlt(dc, 0, 0, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    FSkinIndex = -1;
}
