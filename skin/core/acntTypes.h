#pragma once
// Small records and classes shared by the skin units: bounds and layer records, the paint
// option sets of skinned buttons, paddings, the timer that knows whom it works for, and the
// borderless layered window that glow and shadow effects show.
#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Objects.h"
#include "StringList.h"
#include "Timers.h"
#include "sConst.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum TacUpdateFlags : std::uint8_t { ufUpdateThumbs, ufUpdateScale, ufFormCreating, ufFormInitializing };
enum TacArrowsStyle : std::uint8_t { arsSolid1, arsLines1, arsSolid2, arsLines2, arsSolid3, arsDefault };
enum TacOpaqueMode : std::uint8_t { omAuto, omForceOpaque, omAlphaChannel };

// ---------------------------------------------------------------------------------------------
// Records

struct TacBounds {
    int BLeft = 0, BTop = 0, BWidth = 0, BHeight = 0;
};
constexpr TacBounds acBounds(int left, int top, int width, int height) { return {left, top, width, height}; }

struct TacToolTipData {
    std::uint8_t Alpha = 0;
    TPoint SrcPoint;
    int Distance = 0;
};

// Passed to the window-composition attribute call for blur-behind; the Windows layout.
struct TacAccentPolicy {
    int AccentState = 0, AccentFlags = 0, GradientColor = 0, AnimationId = 0;
};
struct TacWinCompAttrData {
    DWORD attribute = 0;
    PVOID pData = nullptr;
    SIZE_T dataSize = 0;
};

// Colours a control may be given instead of its skin's (clNone: not set).
struct TacColoring {
    TColor ColorToneBG = clNone, ColorGlyph = clNone, ColorText = clNone;
};
using PacColoring = TacColoring*;

struct TacLayerPos {
    TacBounds Bounds;
    std::uint8_t LayerBlend = 0;
};
using PacLayerPos = TacLayerPos*;

struct TacButtonPaintData {
    TColor AColor1 = 0, AColor2 = 0, ABorderColor = 0, AFontColor = 0;
    UnicodeString AText;
    int ABevelWidth = 0, ABorderWidth = 0;
    bool ATransparent = false;
};

struct TacAnimEventData {
    bool DoOutput = false, DoLighting = false;
};
using PacAnimEventData = TacAnimEventData*;

using TacCtrlArray = std::vector<TControl*>;
using TStringLists = std::vector<TStringList*>;
using TRects = std::vector<TRect>;
// The per-step routine of a timer animation; false ends the animation.
using TacAnimProc = bool (*)(TObject* data, int iteration);
using TacGetColoring = std::function<void(TObject* sender, int state, TacColoring& coloring)>;
using TacColorPreview = std::function<void(TObject* sender, TColor originColor, TColor previousColor, TColor& newColor)>;
using TacAnimUpdateEvent = std::function<void(TObject* sender, PacAnimEventData data)>;

// ---------------------------------------------------------------------------------------------
// Small classes

// Common base of skin data objects.
class TacObject : public TObject {
public:
    UnicodeString ClassName() const override { return L"TacObject"; }
};

class TacItemDrawData : public TacObject {
public:
    UnicodeString ClassName() const override { return L"TacItemDrawData"; }
    int ImageIndex = 0;
};

// A timer that remembers the object it works for.
class TacTimer : public TTimer {
public:
    explicit TacTimer(TComponent* owner) : TTimer(owner) {}
    UnicodeString ClassName() const override { return L"TacTimer"; }
    TObject* FOwner = nullptr;
};

class TacPaintButtonOptions;

// Colours of one paint state of a button; every change tells the options' OnInvalidate.
class TacDataNormal : public TPersistent {
public:
    explicit TacDataNormal(TacPaintButtonOptions* owner);
    UnicodeString ClassName() const override { return L"TacDataNormal"; }

    // Index 0 Color1, 1 Color2, 2 FontColor, 3 BorderColor.
    TColor GetColor(int index) const;
    void SetColor(int index, TColor value);

    TColor Color1() const { return FColor1; }
    void SetColor1(TColor value) { SetColor(0, value); }
    TColor Color2() const { return FColor2; }
    void SetColor2(TColor value) { SetColor(1, value); }
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value) { SetColor(2, value); }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value) { SetColor(3, value); }

protected:
    TColor FColor1 = clBtnFace;
    TColor FColor2 = clBtnHighlight;
    TColor FFontColor = clBtnText;
    TColor FBorderColor = clActiveBorder;
    TacPaintButtonOptions* FOwner;
};

class TacDataActive : public TacDataNormal {
public:
    explicit TacDataActive(TacPaintButtonOptions* owner);
    UnicodeString ClassName() const override { return L"TacDataActive"; }
};

class TacDataPressed : public TacDataNormal {
public:
    explicit TacDataPressed(TacPaintButtonOptions* owner);
    UnicodeString ClassName() const override { return L"TacDataPressed"; }
};

// How an unskinned button paints itself: bevel and border widths and one colour set per state.
class TacPaintButtonOptions : public TPersistent {
public:
    TacPaintButtonOptions();
    UnicodeString ClassName() const override { return L"TacPaintButtonOptions"; }

    // Index 0 BevelWidth, 1 BorderWidth.
    void SetInteger(int index, int value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value) { SetInteger(0, value); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value) { SetInteger(1, value); }

    TacDataActive* DataActive() const { return FDataActive.get(); }
    TacDataNormal* DataNormal() const { return FDataNormal.get(); }
    TacDataPressed* DataPressed() const { return FDataPressed.get(); }
    // The colour set of a paint state: 1 active, 2 pressed, anything else normal.
    TacDataNormal* GetData(int state) const;

    TNotifyEvent FOnInvalidate;

private:
    friend class TacDataNormal;
    void Invalidate();

    int FBevelWidth = 2;
    int FBorderWidth = 1;
    std::unique_ptr<TacDataActive> FDataActive;
    std::unique_ptr<TacDataNormal> FDataNormal;
    std::unique_ptr<TacDataPressed> FDataPressed;
};

// Inner spacing of a control; a change is reported unless the control is loading.
class TacPadding : public TPersistent {
public:
    TacPadding(TControl* control, TNotifyEvent onChange);
    UnicodeString ClassName() const override { return L"TacPadding"; }

    // Index 0 Left, 1 Top, 2 Right, 3 Bottom.
    int GetPadding(int index) const;
    void SetPadding(int index, TacIntProperty value);

    int Left() const { return FLeft; }
    void SetLeft(int value) { SetPadding(0, value); }
    int Top() const { return FTop; }
    void SetTop(int value) { SetPadding(1, value); }
    int Right() const { return FRight; }
    void SetRight(int value) { SetPadding(2, value); }
    int Bottom() const { return FBottom; }
    void SetBottom(int value) { SetPadding(3, value); }

private:
    TacIntProperty FTop = 0;
    TacIntProperty FLeft = 0;
    TacIntProperty FRight = 0;
    TacIntProperty FBottom = 0;
    TControl* FControl;
    TNotifyEvent FOnChange;
};

// Borderless, non-activating auxiliary window for glow and shadow images. The skin engine never
// skins it (its Tag is ExceptTag); with TransparentMouse it lets the mouse through.
class TacGlowForm : public TCustomForm {
public:
    explicit TacGlowForm(TComponent* owner);
    ~TacGlowForm() override;
    UnicodeString ClassName() const override { return L"TacGlowForm"; }

    std::unique_ptr<TBitmap> AlphaBmp; // the 32-bit image the layered window shows
    bool TransparentMouse = true;

    void WndProc(TMessage& message) override;
    void Loaded() override;

protected:
    void CreateParams(TCreateParams& params) override;
};

// Registers the published properties of the option classes above.
void RegisterAcntTypesClasses();

// Start-up: registers the option classes' properties. The shut-down only counts.
void acntTypesInitialization();
void acntTypesFinalization();
