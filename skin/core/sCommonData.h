#pragma once
// Per-control skin data: the object a skinned control, form provider, frame adapter or window
// wrapper keeps its skin state in (section and index, manager, skin data for its pixel density,
// cache bitmap, class code, colour options, animation timers, update counting), the
// "ACSDATA" window property that leads from a window handle to it, and the small objects that
// hang off it.
//
// Every live object is in a process-wide registry (entered by the constructor, left first thing
// in the destructor), so a property value is used only when it names a live object of this
// process. The skin data hears of the destruction of its manager and of a component owner
// through free notifications, so it never follows a pointer to a dead object.
#include "Graphics.h"
#include "Messages.h"
#include "Objects.h"
#include "acntTypes.h"
#include "sConst.h"

#include <windows.h>

#include <memory>
#include <span>

class TControl;
class TsSkinManager;
class TacSkinData;
class TacThreadedTimer;
class TsCommonData;
class TComponent;

// Whether and when the outer shadow or glow of a control's section is painted.
class TacOuterEffects : public TPersistent {
public:
    explicit TacOuterEffects(TsCommonData* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacOuterEffects"; }
    TacOuterVisibility Visibility() const { return FVisibility; }
    // Stores a changed value and, unless the owner is loading, repaints the effect.
    void SetVisibility(TacOuterVisibility Value);
    // The parent repaints (its cache holds the effect) and so does the owner.
    void Invalidate();
    // The effect shows now: always, or while focused (a hovered effect never counts).
    bool IsShown() const;

    TsCommonData* FOwner;
    TacOuterVisibility FVisibility = ovNone;
};

// Scroll-bar width and button size of one direction of a control with skinned scroll bars
// (-1: the skin's size).
class TacScrollData : public TPersistent {
public:
    explicit TacScrollData(TsCommonData* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacScrollData"; }
    int ScrollWidth() const { return FScrollWidth; }
    int ButtonsSize() const { return FButtonsSize; }
    // 0 ScrollWidth (the frame is recomputed), 1 ButtonsSize (the frame is repainted).
    void SetSize(int Index, int Value);
    void SetScrollWidth(int Value) { SetSize(0, Value); }
    void SetButtonsSize(int Value) { SetSize(1, Value); }
    void Invalidate() {}

    int FScrollWidth = -1;
    int FButtonsSize = -1;
    TsCommonData* FOwner;
};

class TacCommonDataLink;
class TWinControl;

class TsCommonData : public TPersistent {
public:
    // owner becomes FOwnerObject; a control owner also FOwnerControl, and a windowed one lends
    // its current WindowProc to WndProc. With createCacheBmp an empty 32-bit cache bitmap.
    explicit TsCommonData(TObject* owner, bool createCacheBmp = false);
    ~TsCommonData() override;
    TsCommonData(const TsCommonData&) = delete;
    TsCommonData& operator=(const TsCommonData&) = delete;
    UnicodeString ClassName() const override { return L"TsCommonData"; }

    // The owner calls it from its own Loaded, or after creation at run time: resolves the
    // section, applies colours and publishes the object on the window.
    virtual void Loaded(bool ResetColors = true);

    // --- published
    TacOpaqueMode OpaqueMode() const { return FOpaqueMode; }
    void SetOpaqueMode(TacOpaqueMode value);
    bool CustomColor() const { return FCustomColor; }
    bool CustomFont() const { return FCustomFont; }
    // 0 CustomColor, 1 CustomFont.
    void SetBoolean(int index, bool value);
    // FSkinManager when set, else the default manager (possibly null).
    TsSkinManager* GetSkinManager() const;
    TsSkinManager* SkinManager() const { return GetSkinManager(); }
    void SetSkinManager(TsSkinManager* value);
    bool ManagerStored() const { return FSkinManager != nullptr; }
    const UnicodeString& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const UnicodeString& value);
    bool SectionStored() const;
    TacOuterEffects* OuterEffects() const { return FOuterEffects.get(); }
    // 0 HUEOffset, 1 Saturation (published by TsCtrlSkinData).
    void SetInteger(int index, int value);
    void SetColorTone(TColor value);

    // --- the window link
    // The window of the owner, or 0.
    HWND OwnerHandle() const;
    // Publishes this object on the owner's window ("ACSDATA"); the owner calls it again
    // whenever its window is created anew.
    void InitCommonProp();
    // Takes the property off the window it was published on, also when the owner is already
    // being destroyed (its window still exists then).
    void RemoveCommonProp();
    // Owners call it (after RemoveCommonProp) when they go before their skin data: the object
    // keeps no window, owner or window procedure of theirs.
    void ClearLinks();

    // --- skin data and state
    // The skin data to paint with, for the control's pixel density.
    TacSkinData* GetCommonSkinData();
    // Null drops the cached skin data.
    void SetCommonSkinData(TacSkinData* value);
    bool Skinned(bool CheckActive = false) const;
    bool IsTransparentSection() const;
    bool DoForceOpaque() const { return false; }
    // Sets BGChanged; with Full resolves SkinIndex again.
    void UpdateIndexes(bool Full = true);

    // --- updates and repainting
    void BeginUpdate();
    void EndUpdate(bool Repaint = false);
    bool GetUpdating();
    void Invalidate(bool Full = false);
    bool RepaintIfMoved();

    // --- outer effects
    // Paints the control's outer shadow or glow into the background record's bitmap (command
    // AC_PAINTOUTER; Value bit 0x100: compose in FOuterCache first).
    void PaintOuter(TacBGInfo* BGInfo, int Value);
    // Asks every ready, visible child of Parent to paint its outer effect into this cache.
    void PaintOuterEffects(TWinControl* Parent, const TPoint& Offset);

    // --- fields
    TacSkinData* FCommonSkinData = nullptr; // cached; null: looked up again
    TacOpaqueMode FOpaqueMode = omAuto;
    bool FCustomFont = false;
    bool FCustomColor = false;
    std::unique_ptr<TBitmap> FOuterCache;
    UnicodeString FSkinSection; // upper case; empty: the control's default section
    TsSkinManager* FSkinManager = nullptr; // null: the default manager
    std::unique_ptr<TacOuterEffects> FOuterEffects;
    int RedrawLockCount = 0;
    TColor FColorTone = clNone;
    TColor SavedColor = clNone, SavedFontColor = clNone;
    bool FFocused = false;
    bool FUpdating = false;
    bool FMouseAbove = false;
    bool HalfVisible = false;
    bool Loading = true; // until Loaded
    bool GlassModeInit = false;
    BYTE COC = 0; // control-class code
    BYTE TranspMode = 0;
    int GlowID = -1;
    int PPIIndex = -1;
    int FHUEOffset = 0, FSaturation = 0;
    int CurrentPPI = 96;
    int FUpdateCount = 0;
    HDC PrintDC = nullptr;
    std::unique_ptr<TBitmap> FCacheBmp;
    HWND FSWHandle = nullptr; // window of an owner that is not a control (a wrapper)
    // The owner's window procedure: messages sent through it bypass the window system.
    TWndMethod WndProc;
    TObject* FOwnerObject = nullptr;
    TacThreadedTimer* PulsTimer = nullptr;
    TacThreadedTimer* ClickTimer = nullptr;
    TacThreadedTimer* AnimTimer = nullptr;
    WORD BGType = 0;
    TRect InvalidRectH, InvalidRectV;
    std::uint32_t CtrlSkinState = 0; // ACS_* bits (sCtrlStates.h)
    bool BGChanged = true;
    int SkinIndex = -1;
    TControl* FOwnerControl = nullptr;
    // The control stays hot after the mouse left it (a pressed button, an open drop-down).
    bool KeepActive = false;

private:
    friend class TacCommonDataLink;
    // Follows the lives of the manager and of a component owner.
    std::unique_ptr<TacCommonDataLink> link_;
    // The window that carries the property now (null: none).
    HWND propHandle_ = nullptr;
    void DropProp();
    void FreeTimer(TacThreadedTimer*& timer);
};

// The skin data of ordinary controls: adds the mouse-light effect.
class TsCtrlSkinData : public TsCommonData {
public:
    explicit TsCtrlSkinData(TObject* owner, bool createCacheBmp = false) : TsCommonData(owner, createCacheBmp) {}
    ~TsCtrlSkinData() override;
    UnicodeString ClassName() const override { return L"TsCtrlSkinData"; }
    void Loaded(bool ResetColors = true) override;

    int HUEOffset() const { return FHUEOffset; }
    int Saturation() const { return FSaturation; }
    TColor ColorTone() const { return FColorTone; }

    // Whether the mouse light is on this control: with CheckCurrent, as it is now; else whether
    // it should be (the mouse above, the default manager's lighting of the active control).
    bool DoLighting(bool CheckCurrent = false) const;
    // Without Check drops the light; with Check only a light that is no longer wanted.
    void DestroyNeedlessLight(bool Check);

    std::unique_ptr<TBitmap> HotCache;  // the lit state
    std::unique_ptr<TBitmap> LightMask; // the light spot
    TacAnimUpdateEvent OnUpdateLight;
    bool FDoLighting = false;
    int LightDistanceX = 0, LightDistanceY = 0;
    TPoint OldMousePos;
};

// The skin data of controls with skinned scroll bars.
class TsScrollWndData : public TsCommonData {
public:
    explicit TsScrollWndData(TObject* owner, bool createCacheBmp = false);
    ~TsScrollWndData() override;
    UnicodeString ClassName() const override { return L"TsScrollWndData"; }
    TacScrollData* HorzScrollData() const { return FHorzScrollData.get(); }
    TacScrollData* VertScrollData() const { return FVertScrollData.get(); }

    std::unique_ptr<TacScrollData> FHorzScrollData, FVertScrollData;
};

// The record AC_GETSKININDEXREC fills: the receiver's skin index goes into its second field.
struct TacSkinIndexRec {
    int Reserved = 0;
    int SkinIndex = -1;
};

// While set, skinned controls postpone painting (the manager sets it during a skin broadcast).
extern bool RestrictDrawing;

// The live skin data on a window of this process, or null (no property, a foreign window, or a
// value that is not a live object).
TsCommonData* GetCommonData(HWND handle);
// True for a window with skin data, a scroll wrapper, or that answers the handled-control
// command with 1.
bool WndIsSkinned(HWND handle);
// Whether a control is drawn by the library; with checkSkinned its skin data must be skinned.
bool CtrlIsSkinned(TControl* control, bool checkSkinned = true);
// Whether p is a TsCommonData that exists now.
bool CommonDataIsLive(const void* p);

// The skin data of commonData, or the default manager's (else the start-up one) for PPI.
TacSkinData* GetSkinData(TsCommonData* commonData, int PPI = 96);
// The pixels per inch the skin data paints at.
int GetPPI(TsCommonData* commonData);
int CurrentScale(TsCommonData* commonData);
// Value scaled from 96 PPI to the density the control's skin data paints at.
int ScaleInt(int value, TsCommonData* commonData = nullptr, bool useControlPPI = false);
// The manager of commonData is changing its skin.
bool SkinIsChanging(TsCommonData* commonData);
// The first of names (empty ones skipped) the manager knows becomes the section index.
void InitIndexes(TsCommonData* commonData, std::span<const UnicodeString> names);
// Resolves the section: the one set, else by the control-class code.
void UpdateData(TsCommonData* commonData);
// BGType from the section's texture draw modes and gradient over every skin data.
void InitBGType(TsCommonData* commonData);
// With reset FUpdating is cleared first; true (and FUpdating set) while painting waits.
bool InUpdating(TsCommonData* commonData, bool reset = false);

// ---------------------------------------------------------------------------------------------
// Background, colour and font look-ups of skinned controls

class TWinControl;

// Answers a background request (AC_GETBG) about the control in State: its cache, a plain fill,
// or what its parent shows beneath a transparent section.
void InitBGInfo(TsCommonData* CommonData, TacBGInfo* BGInfo, int State, HWND Handle = nullptr);
// The plain background colour of the control in State.
TColor GetBGColor(TsCommonData* CommonData, int State, HWND Handle = nullptr);
// The colour children see as the control's background (the answer to AC_GETBGCOLOR): its own
// Color unskinned; skinned, state 0 of its section mixed with its parent's colour by the same
// rule as GetBGColor.
TColor GetChildBGColor(TsCommonData* CommonData);
// Gives a control without skin its standard look back, as AC_REMOVESKIN does: the button-face
// class brush of its window (once it has one), window colours for an edit unless they are the
// user's, window-text colour for the labels of any other windowed control.
void RestoreStandardLook(TsCommonData* CommonData);
// What lies under the control: its parent's background (FillColor 0xFF00FF and not Ready when
// the parent cannot give it yet).
TCacheInfo GetParentCache(TsCommonData* CommonData);
// The same through the parent window of Handle; EmptyCI without one.
TCacheInfo GetParentCacheHwnd(HWND Handle);

// --- the cache bitmap
// Makes the cache (32-bit) and gives it the control's size.
void InitCacheBmp(TsCommonData* CommonData);
// Copies the (prepared) cache of a visible windowed control straight onto its window.
void RepaintImmediate(TsCommonData* CommonData);
// Tells the parent that its cache is stale (AC_INVALIDATECACHE) and, when visible, to prepare it.
void InvalidateParentCache(TsCommonData* CommonData);
// Copies the cache from SrcPos into DstRect of DC, leaving out the visible child controls that
// paint themselves (their bounds moved by OffsetX, OffsetY).
void CopyWinControlCache(TWinControl* Control, TsCommonData* CommonData, const TRect& SrcPos, int OffsetY,
                         int OffsetX, bool UpdateCorners, HDC DC, const TRect& DstRect);
// The same for a plain window and its visible child windows; of a group box only its frame is
// left out.
void CopyHwndCache(HWND Handle, TsCommonData* CommonData, const TRect& SrcPos, int OffsetY, int OffsetX,
                   bool UpdateCorners, HDC DC, const TRect& DstRect);

// --- colours written into the control
// The control's colour and font colour from its section (edits), and its window-class brush.
void ApplySkinColors(TsCommonData* commonData, bool repaint);
// Colour and font colour of the section's state (hot when ControlIsActive).
void UpdateControlColors(TsCommonData* commonData, bool repaint);

// --- font colours
// The section whose font colours the control's text takes in State: its own, one its parent
// names (AC_GETFONTINDEX), or -1 for the parent's font.
int GetFontIndex(TControl* Control, int SkinIndex, TsSkinManager* Manager, int State = 0);
// Passes a font-index request on to Control (the record's rectangle moved by its position) or
// to a window; the receiver's answer.
LRESULT GetFontIndex(TControl* Control, TacPaintInfo* pInfo);
LRESULT GetFontIndex(HWND Handle, TacPaintInfo* pInfo);
// The colour of the control's text in State.
TColor GetFontColor(TControl* Control, int SkinIndex, TsSkinManager* Manager, int State = 0,
                    TsCommonData* CommonData = nullptr);
TColor GetFontColor(HWND Handle, int SkinIndex, TsSkinManager* Manager, int State = 0);
// Whether the text over the section in State is drawn with the parent's font colour.
bool NeedParentFont(TsSkinManager* Manager, int SkinIndex, int State, TControl* Control);
bool NeedParentFont(TsCommonData* CommonData, int State);
// The colour of a text hint: the font colour blended 148/255 toward the background.
TColor TextHintColor(TsCommonData* CommonData, int State = 0, bool UseAlpha = false);
// Draws a text hint into the cache bitmap (Flags: DrawText flags; bit 30 through GDI+).
void TextHintOut(TsCommonData* CommonData, const TRect& R, const UnicodeString& Text, int State, UINT Flags);

// --- state and mask routines
// The control is drawn hot: focused, or under the mouse where hot tracking allows it.
bool ControlIsActive(TsCommonData* CommonData);
// Whether a focus rectangle is drawn over the skin.
bool CanShowFocus(TsCommonData* CommonData);
// Whether pressed content is shifted.
bool CanClickShift(int SkinIndex, TacSkinData* SkinData);
// The widest border of the section's border mask; 0 without one or for a mask drawn whole.
int SkinBorderMaxWidth(TsCommonData* CommonData);
// The rectangle of Size without the transparent corner pixels of the section's border mask; the
// caller owns the region (null for an invalid section).
HRGN GetRgnFromSkin(int SkinIndex, TSize Size, TacSkinData* SkinData);
// The bitmap's rectangle without the key pixels in its corners (the border widths of the
// section's border mask).
HRGN GetTransCornersRgn(int SkinIndex, TBitmap* Bitmap, TacSkinData* SkinData);
// Tints a painted image by the control's tone (a button: by Color when UseGiven), hue and
// saturation, then restores its transparent corners.
void UpdateBmpColors(TBitmap* Bitmap, TsCommonData* CommonData, bool UseGiven = false, TColor Color = clNone);

// --- effects
// The colour of the mouse light over the control in State; -1 for none.
TColor GetLightColor(TsCommonData* CommonData, int State);
// Shows, repaints or hides the glow around the control as it is hot or not.
void ShowGlowingIfNeeded(TsCommonData* CommonData, bool Clicked = false, HWND Handle = nullptr, int Alpha = 255,
                         bool DoAnimation = true);
// Stops the control's state animation and drops its images.
void StopTimer(TsCommonData* commonData);
void StopTimer(TacThreadedTimer* Timer);
// Runs the last step of an animation at once.
void FinishTimer(TacThreadedTimer* Timer);
bool TimerIsActive(TsCommonData* CommonData);

// ---------------------------------------------------------------------------------------------
// Shared message handling of skinned controls (true: handled, the caller passes it on no more)

// The standard window and control messages; 0xA100 goes to CommonMessage.
bool CommonWndProc(TMessage& Message, TsCommonData* CommonData);
// The library's command message; the caller returns Message.Result to the sender.
bool CommonMessage(TMessage& Message, TsCommonData* CommonData);
// A refresh command (LParam the manager, low word a section index or 0) concerns the control.
bool RefreshNeeded(TsCommonData* CommonData, const TMessage& Message);
// A size change in progress changes the background of the children (it varies that way).
bool FullRepaintOnly(TsCommonData* CommonData);
// Data becomes the control's answer to AC_SETTRANSPMODE with LParam Data.
void ChangeTranspMode(TControl* Control, int& Data);
// The mouse is over the owner's window (client area, visible part) and not over another window
// of ours that is not inside it.
bool acMouseInControl(TsCommonData* CommonData);
// The control may have outer effects: a provider or a windowed owner, and the manager allows it.
bool HaveOuterEffects(TsCommonData* CommonData);

// ---------------------------------------------------------------------------------------------
// The caption label bound to a control

class TsEditLabel;
class TFont;

// A caption label placed beside an edit-like control and moved, scaled, enabled and shown
// with it.
class TsBoundLabel : public TPersistent {
public:
    // owner: the bound control (or another object); commonData: its skin data, may be null.
    TsBoundLabel(TObject* AOwner, TsCommonData* ACommonData);
    ~TsBoundLabel() override;
    TsBoundLabel(const TsBoundLabel&) = delete;
    TsBoundLabel& operator=(const TsBoundLabel&) = delete;
    UnicodeString ClassName() const override { return L"TsBoundLabel"; }

    // --- published
    bool UseHTML() const { return FUseHTML; }
    bool Active() const { return FActive; }
    bool EnabledAlways() const { return FEnabledAlways; }
    // 0 UseHTML, 1 Active, 3 EnabledAlways.
    void SetBoolean(int Index, bool Value);
    bool UseSkinColor() const { return FUseSkin; }
    void SetUseSkin(bool Value);
    bool AllowClick() const { return FAllowClick; }
    void SetAllowClick(bool Value) { FAllowClick = Value; }
    int Indent() const { return FIndent; }
    int MaxWidth() const { return FMaxWidth; }
    int Offset() const { return FOffset; }
    // 0 Indent, 1 MaxWidth, 2 Offset.
    void SetInteger(int Index, int Value);
    const UnicodeString& Caption() const { return FText; }
    void SetText(const UnicodeString& Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* Value);
    TsCaptionLayout Layout() const { return FLayout; }
    void SetLayout(TsCaptionLayout Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);

    // --- operations
    void FontChanged(TObject* Sender);
    // The font is stored: not the parent's, and unlike a default font.
    bool DoStoreFont() const;
    void UpdateFontOnce(bool Init);
    void UpdateAlignment();
    void UpdateVisibility();
    void UpdateScale(int PPI);
    void AlignLabel();
    // The label's text measured in its width; empty without label.
    TRect GetTextRect() const;
    void DoClick(TObject* Sender);
    // The bound control passes its messages here.
    void HandleOwnerMsg(const TMessage& Message, TControl* Control);
    TsEditLabel* TheLabel() const { return FTheLabel.get(); }

    int FOffset = 0, FIndent = 0, FMaxWidth = 0;
    int CurrentPPI = 96;
    bool FUseHTML = false, FUseSkin = true, FParentFont = true, FAllowClick = false, FFontUpdating = false,
         FEnabledAlways = false;
    std::unique_ptr<TFont> FFont;
    UnicodeString FText;
    TsCaptionLayout FLayout = sclLeft;
    bool FActive = false;
    std::unique_ptr<TsEditLabel> FTheLabel;
    TControl* FOwnerControl = nullptr;
    TsCommonData* FCommonData = nullptr;
    bool PreventVisible = false;

private:
    void Realign() { if (FActive) AlignLabel(); }
};

// Switches a shown bound label off and repaints where it was.
void HideBoundLabel(TsBoundLabel* BoundLabel);

// Start-up and shut-down of the unit (they only count).
void sCommonDataInitialization();
void sCommonDataFinalization();
