#pragma once
// The skinned label family: windowless labels that take their text colour from the active skin
// and, when a section is named, paint that section under their text. They own no skin data of
// their own. TsLabel is the published label, TsWebLabel opens an address, TsStickyLabel follows
// another control, TsHTMLLabel shows the caption markup with clickable links, TsEditLabel is the
// caption of a bound label, TsImgLabel draws an image left of its text; TsLabelFX (sLabelFX.h)
// draws rotated text with a soft shadow.
#include "ImageList.h"
#include "StdCtrls.h"
#include "acAnimation.h"
#include "sConst.h"
#include "sHtmlParse.h"

#include <functional>
#include <memory>

class TsSkinManager;
class TsBoundLabel;

class TsCustomLabel : public TCustomLabel {
public:
    explicit TsCustomLabel(TComponent* AOwner);
    UnicodeString ClassName() const override { return L"TsCustomLabel"; }

    const UnicodeString& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const UnicodeString& Value);
    // The manager set, else the default one.
    TsSkinManager* GetSkinManager() const;
    TsSkinManager* SkinManager() const { return FSkinManager; }
    void SetSkinManager(TsSkinManager* Value);
    bool TransparentForMouse() const { return FTransparentForMouse; }
    void SetTransparentForMouse(bool Value) { FTransparentForMouse = Value; }
    // Index of SkinSection in the skin, -1 without a section or an active manager; cached until
    // the next paint.
    int SkinIndex();
    // Pixels per inch the label is scaled for (follows ChangeScale).
    int CurrentPPI() const { return FCurrentPPI; }

    virtual TFont* GetCurrentFont() { return Font(); }
    virtual TColor TextColor();

    void WndProc(TMessage& Message) override;
    void Loaded() override;
    void ChangeScale(int M, int D) override;

    int PaintMode = 0; // how the parent paints children (1 opaque, 2 text with alpha)
    int FSkinIndex = -1;
    bool ParentFontPending = false;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void DoDrawText(TRect& Rect, TTextFormat Flags) override;
    // The caption drawn (or with DT_CALCRECT measured) by the library's text routine in colour,
    // with the ellipsis handling; flags are DrawText flags.
    void DrawLabelText(TCanvas* Canvas, TRect& Rect, UINT Flags, TColor Color);
    // The section's background over the parent's, into the canvas (section found, manager active).
    void PaintSection(TCanvas* Canvas, TsSkinManager* Manager);
    bool Destroying() const { return ComponentState().Contains(csDestroying); }
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    // Set while a font copy of the web label must not re-adjust the bounds.
    bool FFontCopying = false;

private:
    void TextOrFontChanged();
    UnicodeString FSkinSection;
    TsSkinManager* FSkinManager = nullptr;
    bool FTransparentForMouse = false;
    int FCurrentPPI = 96;
};

class TsLabel : public TsCustomLabel, public TacSelfPaintingLabel {
public:
    explicit TsLabel(TComponent* AOwner) : TsCustomLabel(AOwner) {}
    UnicodeString ClassName() const override { return L"TsLabel"; }

    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool Value) override;
    TColor TextColor() override;
    // The caption in the label's font and text colour, into Bmp at R (the text-hint flight).
    void PaintText(TBitmap* Bmp, const TRect& R) override;

private:
    bool FUseSkinColor = true;
};

class TsWebLabel : public TsLabel {
public:
    explicit TsWebLabel(TComponent* AOwner);
    UnicodeString ClassName() const override { return L"TsWebLabel"; }

    void SetFont(const TFont* Value);
    TFont* HoverFont() const { return FHoverFont.get(); }
    void SetHoverFont(const TFont* Value) { FHoverFont->Assign(Value); }
    const UnicodeString& URL() const { return FURL; }
    void SetURL(const UnicodeString& Value) { FURL = Value; }
    TsWindowShowMode ShowMode() const { return FShowMode; }
    void SetShowMode(TsWindowShowMode Value) { FShowMode = Value; }
    bool MouseInside() const { return FMouseInside; }

    TFont* GetCurrentFont() override;
    TColor TextColor() override;
    void WndProc(TMessage& Message) override;
    void Click() override;
    void Loaded() override;
    void ChangeScale(int M, int D) override;

protected:
    void DoDrawText(TRect& Rect, TTextFormat Flags) override;

private:
    std::unique_ptr<TFont> FNormalFont, FHoverFont;
    UnicodeString FURL;
    TsWindowShowMode FShowMode = soDefault;
    bool FMouseInside = false;
};

enum TAlignTo { altLeft, altTop, altBottom, altRight, altTopCenter, altBottomCenter };

class TsStickyLabel : public TsLabel {
public:
    explicit TsStickyLabel(TComponent* AOwner) : TsLabel(AOwner) {}
    ~TsStickyLabel() override;
    UnicodeString ClassName() const override { return L"TsStickyLabel"; }

    int Gap() const { return FGap; }
    void SetGap(int Value);
    TAlignTo AlignTo() const { return FAlignTo; }
    void SetAlignTo(TAlignTo Value);
    TControl* AttachTo() const { return FAttachTo; }
    void SetAttachTo(TControl* Value);
    // Places the label beside its control.
    void Adjust();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;
    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void NewWinProc(TMessage& Message);
    void GiveBackWindowProc();
    void Detach();
    int FGap = 2;
    TAlignTo FAlignTo = altLeft;
    TControl* FAttachTo = nullptr;
    bool Adjusting = false;
    TWndMethod SavedWindowProc;
};

// Called with the label, the link's URL (may be changed) and whether it may be opened.
using TLinkClickEvent = std::function<void(TObject* Sender, UnicodeString& URL, bool& AllowOpen)>;

// Makes the renderer of HTML labels; tests replace it. Returns the previous one.
using TacHtmlFactory = std::function<std::unique_ptr<TsHtml>()>;
TacHtmlFactory SetHtmlLabelFactory(TacHtmlFactory Factory);

class TsHTMLLabel : public TsLabel {
public:
    explicit TsHTMLLabel(TComponent* AOwner) : TsLabel(AOwner) {}
    UnicodeString ClassName() const override { return L"TsHTMLLabel"; }

    bool UseHTML() const { return FUseHTML; }
    void SetUseHTML(bool Value);
    bool FitToWidth() const { return FFitToWidth; }
    void SetFitToWidth(bool Value);
    TsWindowShowMode ShowMode() const { return FShowMode; }
    void SetShowMode(TsWindowShowMode Value) { FShowMode = Value; }
    UnicodeString PlainCaption();
    // Opens the URL of link number n.
    void DoClick(int n);

    void WndProc(TMessage& Message) override;

    int HotLink = -1, PressedLink = -1;
    TacLinks Links;
    TLinkClickEvent OnLinkClick;

protected:
    void DoDrawText(TRect& Rect, TTextFormat Flags) override;

private:
    void SetHot(int n);
    bool Aligned() const { return Align() == alTop || Align() == alBottom || Align() == alClient; }
    bool FUseHTML = true, FFitToWidth = false, Adjusting = false, Clicking = false;
    TsWindowShowMode FShowMode = soDefault;
};

// The caption label of a bound label: owned by the bound label, no component's child.
class TsEditLabel : public TsHTMLLabel {
public:
    explicit TsEditLabel(TsBoundLabel* ABoundLabel);
    // Tells the bound label, which would free it again.
    ~TsEditLabel() override;
    UnicodeString ClassName() const override { return L"TsEditLabel"; }

    void Click() override;
    void DblClick() override;

    TsBoundLabel* BoundLabel;
};

class TsImgLabel : public TsLabel {
public:
    explicit TsImgLabel(TComponent* AOwner);
    ~TsImgLabel() override;
    UnicodeString ClassName() const override { return L"TsImgLabel"; }

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    int Spacing() const { return FSpacing; }
    // 0 ImageIndex, 1 Spacing.
    void SetInteger(int Index, int Value);
    bool ImageExists() const;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void AdjustBounds() override;

private:
    void ImageListChange(TObject* Sender);
    TSize ImageSize();
    int FSpacing = 4;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = -1;
};

// Registers the label family's published properties and reader factories.
void RegisterLabelClasses();
void sLabelInitialization();
void sLabelFinalization();
