// The provider's title settings (user title buttons, added title, form header, title icon),
// the graphic-control item of the adapter, and the provider's simple property setters.
#include "sSkinProvider.h"

#include "HintWindow.h"
#include "acSBUtils.h"
#include "acThdTimer.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"
#include "sSkinProviderInternal.h"

using namespace provider_detail;

void FreeCaptionButtonTimer(TsCaptionButton& button)
{
    TacThreadedTimer* timer = std::exchange(button.cpTimer, nullptr);
    if (ThreadedTimerIsLive(timer) && !timer->Destroyed) delete timer;
}

// ---------------------------------------------------------------------------------------------
// Title buttons

TsTitleButton::TsTitleButton() : FGlyph(CreateBmp32(0, 0)), FName(L"TsTitleButton")
{
    FGlyph->OnChange = [this](TObject* sender) { OnGlyphChange(sender); };
}

TsTitleButton::~TsTitleButton()
{
    FreeCaptionButtonTimer(Data);
    FGlyph.reset();
    HintWnd.reset();
}

void TsTitleButton::SetGlyph(const TBitmap* value)
{
    if (value)
        FGlyph->Assign(value);
    else
        FGlyph->SetSize(0, 0);
    // Assign of an equal picture may not report a change; the new picture must show anyway.
    OnGlyphChange(FGlyph.get());
}

void TsTitleButton::SetName(const UnicodeString& value)
{
    if (FName != value) FName = value;
}

void TsTitleButton::SetVisible(bool value)
{
    if (FVisible == value) return;
    FVisible = value;
    if (TsSkinProvider* provider = Provider()) provider->UpdateSkinCaption();
}

TsSkinProvider* TsTitleButton::Provider() const
{
    auto* buttons = dynamic_cast<TsTitleButtons*>(Collection());
    return buttons ? buttons->FOwner : nullptr;
}

void TsTitleButton::AssignTo(TPersistent* Dest) const
{
    auto* dest = dynamic_cast<TsTitleButton*>(Dest);
    if (!dest) {
        TCollectionItem::AssignTo(Dest);
        return;
    }
    dest->FEnabled = FEnabled;
    dest->SetGlyph(FGlyph.get());
    dest->FHint = FHint;
    dest->FName = FName;
    dest->FUseSkinData = FUseSkinData;
    dest->OnMouseDown = OnMouseDown;
    dest->OnMouseUp = OnMouseUp;
}

void TsTitleButton::OnGlyphChange(TObject*) { FreeCaptionButtonTimer(Data); }

void TsTitleButton::MouseDown(int, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TsTitleButton::MouseUp(int, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

TsTitleButtons::TsTitleButtons(TsSkinProvider* AOwner)
    : TCollection(TCollection::ItemClass<TsTitleButton>(), AOwner), FOwner(AOwner)
{
}

TsTitleButtons::~TsTitleButtons()
{
    // Item changes while the items go must not reach the provider.
    FOwner = nullptr;
    Clear();
}

TPersistent* TsTitleButtons::GetOwner() const { return FOwner; }

// ---------------------------------------------------------------------------------------------
// Added title, form header, title icon

TacAddedTitle::TacAddedTitle(TsSkinProvider* AOwner) : FOwner(AOwner), FFont(std::make_unique<TFont>())
{
    FFont->SetColor(clNone);
}

TacAddedTitle::~TacAddedTitle() = default;

void TacAddedTitle::Repaint()
{
    if (FOwner && !IsLoading(FOwner)) FOwner->UpdateSkinCaption();
}

void TacAddedTitle::SetFont(const TFont* value)
{
    if (value) FFont->Assign(value);
    Repaint();
}

void TacAddedTitle::SetShowMainCaption(bool value)
{
    if (FShowMainCaption == value) return;
    FShowMainCaption = value;
    Repaint();
}

void TacAddedTitle::SetText(const UnicodeString& value)
{
    if (FText == value) return;
    FText = value;
    Repaint();
}

void TacFormHeader::SetAdditionalHeight(int value)
{
    if (FAdditionalHeight == value) return;
    FAdditionalHeight = value;
    if (FOwner && !IsLoading(FOwner) && FOwner->FCommonData) FOwner->FCommonData->Invalidate();
}

int TacFormHeader::ScaledAddHeight() const
{
    return FOwner && FOwner->FCommonData ? ScaleInt(FAdditionalHeight, FOwner->FCommonData.get(), true)
                                        : FAdditionalHeight;
}


// ---------------------------------------------------------------------------------------------
// Graphic-control items

TacGraphItem::TacGraphItem(TObject* AAdapter)
    : Adapter(AAdapter), SkinData(std::make_unique<TsCommonData>(this, true))
{
    SkinData->COC = COC_TacGraphItem;
}

TacGraphItem::~TacGraphItem()
{
    Handler.reset();
    if (SkinData) SkinData->ClearLinks();
    SkinData.reset();
}

void TacGraphItem::DoHook(TControl* Control)
{
    Ctrl = Control;
    if (!Control || (Control->Tag() & ExceptTag)) return;
    SkinData->FOwnerControl = Control;
    SkinData->FOwnerObject = Control;
    auto* adapter = dynamic_cast<TacCtrlAdapter*>(Adapter);
    TsSkinManager* manager = adapter && adapter->Provider ? ManagerOf(*adapter->Provider) : SkinData->GetSkinManager();
    Handler = std::make_unique<TacSpeedButtonHandler>(Control, manager, SkinData.get(), SkinData->SkinSection());
}

// ---------------------------------------------------------------------------------------------
// The provider's simple setters

void TsSkinProvider::SetCaptionAlignment(TAlignment Value)
{
    if (FCaptionAlignment == Value) return;
    FCaptionAlignment = Value;
    FCommonData->BGChanged = true;
    if (Form && Form->Visible() && !IsDesigning(this) && FCommonData->Skinned()) UpdateSkinCaption();
}

void TsSkinProvider::SetDisabledBlendValue(BYTE Value)
{
    if (FDisabledBlendValue == Value) return;
    FDisabledBlendValue = Value;
    if (!IsDesigning(this)) UpdateLayerForm();
}

void TsSkinProvider::SetDisabledBlendColor(TColor Value)
{
    if (FDisabledBlendColor == Value) return;
    FDisabledBlendColor = Value;
    if (!IsDesigning(this)) UpdateLayerForm();
}

void TsSkinProvider::SetTitleBar(TsTitleBar* Value)
{
    if (FTitleBar == Value) return;
    FTitleBar = Value;
    UpdateSkinCaption();
}

void TsSkinProvider::SetTitleButtons(const TsTitleButtons* Value)
{
    if (Value) FTitleButtons->Assign(Value);
}
