#pragma once
// The small settings objects of a form's skin provider that a form designer edits: the user
// title buttons, a second title text, the form header's extra height, the title icon and the
// system blur, plus the state record of one title button and the adapter's item for a skinned
// graphic control. The provider paints, hit-tests and routes the title buttons; these objects
// hold their data and tell the provider when a change must show.
#include "Components.h"
#include "Controls.h"
#include "Graphics.h"

#include <memory>

class TsSkinProvider;
class TsCommonData;
class TacThreadedTimer;
class TacSpeedButtonHandler;
class THintWindow;

// Glyph kinds of title buttons.
enum TacTitleGlyph {
    tgCloseAlone, tgClose, tgMax, tgMin, tgNormal, tgHelp, tgSmallClose, tgSmallMax, tgSmallMin, tgSmallNormal,
    tgSmallHelp, tgUser, tgNone
};

// The state of one title button of a skinned form or dialog.
struct TsCaptionButton {
    int cpState = -1;                  // -1 hidden, 0 normal, 1 hot, 2 pressed
    int cpGlowID = -1;                 // glow window of the button, -1 none (0 is a valid ID)
    TRect cpRect;                      // window coordinates
    int cpHitCode = 0;
    TacThreadedTimer* cpTimer = nullptr; // running fade animation, owned
    bool cpHaveAlignment = false;
    TacTitleGlyph cpGlyphType = tgNone;
};
// Frees the button's running fade animation (the next paint shows the current picture).
void FreeCaptionButtonTimer(TsCaptionButton& button);

// Hit codes of the title items.
inline constexpr int HTUDBTN = 1000;  // user title button: HTUDBTN + index
inline constexpr int HTITEM = 2000;   // title-bar item: HTITEM + index (up to 2255)
inline constexpr int HTCHILDCLOSE = 101, HTCHILDMAX = 102, HTCHILDMIN = 103; // MDI child buttons

class TsTitleButtons;

// One extra button in the title bar.
class TsTitleButton : public TCollectionItem {
public:
    TsTitleButton();
    ~TsTitleButton() override;
    UnicodeString ClassName() const override { return L"TsTitleButton"; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(const TBitmap* value);
    const UnicodeString& Hint() const { return FHint; }
    void SetHint(const UnicodeString& value) { FHint = value; }
    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& value);
    bool UseSkinData() const { return FUseSkinData; }
    void SetUseSkinData(bool value) { FUseSkinData = value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    UnicodeString GetDisplayName() const override { return FName; }
    void MouseDown(int BtnIndex, TMouseButton Button, TShiftState Shift, int X, int Y);
    void MouseUp(int BtnIndex, TMouseButton Button, TShiftState Shift, int X, int Y);
    // The provider that shows the button, or null.
    TsSkinProvider* Provider() const;

    std::unique_ptr<THintWindow> HintWnd; // while the button's hint shows
    TsCaptionButton Data;

protected:
    // Copies everything but Visible to another title button.
    void AssignTo(TPersistent* Dest) const override;

private:
    void OnGlyphChange(TObject* Sender);
    bool FEnabled = true;
    std::unique_ptr<TBitmap> FGlyph;
    UnicodeString FHint;
    UnicodeString FName;
    bool FUseSkinData = true;
    bool FVisible = true;
};

class TsTitleButtons : public TCollection {
public:
    explicit TsTitleButtons(TsSkinProvider* AOwner);
    ~TsTitleButtons() override;
    UnicodeString ClassName() const override { return L"TsTitleButtons"; }
    TsTitleButton* Items(int Index) const { return static_cast<TsTitleButton*>(TCollection::Items(Index)); }
    void SetItems(int Index, const TsTitleButton* Value) { Items(Index)->Assign(Value); }
    TsTitleButton* Add() { return static_cast<TsTitleButton*>(TCollection::Add()); }

    TsSkinProvider* FOwner; // null while the collection goes

protected:
    TPersistent* GetOwner() const override;
};

// A second text in the title bar.
class TacAddedTitle : public TPersistent {
public:
    explicit TacAddedTitle(TsSkinProvider* AOwner);
    ~TacAddedTitle() override;
    UnicodeString ClassName() const override { return L"TacAddedTitle"; }

    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value);
    bool ShowMainCaption() const { return FShowMainCaption; }
    void SetShowMainCaption(bool value);
    const UnicodeString& Text() const { return FText; }
    void SetText(const UnicodeString& value);

    TsSkinProvider* FOwner;

private:
    void Repaint();
    std::unique_ptr<TFont> FFont;
    bool FShowMainCaption = true;
    UnicodeString FText;
};

// The extra height of the form header.
class TacFormHeader : public TPersistent {
public:
    explicit TacFormHeader(TsSkinProvider* AOwner) : FOwner(AOwner) {}
    UnicodeString ClassName() const override { return L"TacFormHeader"; }

    int AdditionalHeight() const { return FAdditionalHeight; }
    void SetAdditionalHeight(int value);
    // The height at the provider's current pixel density.
    int ScaledAddHeight() const;

    TsSkinProvider* FOwner;

private:
    int FAdditionalHeight = 0; // pixels at 96 PPI
};

// The icon in the title bar.
// A change of the glyph or of Visible refreshes the provider's caption.
class TsTitleIcon : public TPersistent {
public:
    explicit TsTitleIcon(TsSkinProvider* AOwner);
    ~TsTitleIcon() override;
    UnicodeString ClassName() const override { return L"TsTitleIcon"; }
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(const TBitmap* Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    void GlyphChanged(TObject* Sender);
    int Height = 0;
    int Width = 0;

private:
    void Refresh();
    TsSkinProvider* FOwner;
    std::unique_ptr<TBitmap> FGlyph;
    bool FVisible = true;
};

enum TacBlurMode { bmBlurBehind, bmAcrylicBlurBehind };

// The system's blur behind the form (Windows 10 and later): switching it on makes the form
// borderless in UWP mode with a blurred or acrylic background; switching it off restores the
// border style it had.
class TacSystemBlur : public TPersistent {
public:
    explicit TacSystemBlur(TsSkinProvider* AOwner) : FOwner(AOwner) {}
    UnicodeString ClassName() const override { return L"TacSystemBlur"; }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TacBlurMode Mode() const { return FMode; }
    // A changed mode is applied again even while the blur is on.
    void SetMode(TacBlurMode Value);

    TsSkinProvider* FOwner;
    bool FActive = false;
    TacBlurMode FMode = bmBlurBehind;
};

// The adapter's item for one skinned graphic control (a speed button and its kind).
class TacGraphItem : public TPersistent {
public:
    explicit TacGraphItem(TObject* AAdapter);
    ~TacGraphItem() override;
    UnicodeString ClassName() const override { return L"TacGraphItem"; }
    // Binds the control and the skin data to each other and gives the control its handler,
    // unless the control's Tag has a bit of ExceptTag.
    void DoHook(TControl* Control);

    TObject* Adapter;
    TControl* Ctrl = nullptr;
    std::unique_ptr<TsCommonData> SkinData; // control-class code 230
    std::unique_ptr<TacSpeedButtonHandler> Handler;
};
