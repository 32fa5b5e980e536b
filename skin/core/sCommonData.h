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

    int FScrollWidth = -1;
    int FButtonsSize = -1;
    TsCommonData* FOwner;
};

class TacCommonDataLink;

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
    void RemoveCommonProp();
    // Owners call it (after RemoveCommonProp) when they go before their skin data.
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

// --- colour writing and animation stop of skinned controls (their lookups are still to come:
// these do nothing yet)
void ApplySkinColors(TsCommonData* commonData, bool repaint);
void UpdateControlColors(TsCommonData* commonData, bool repaint);
void StopTimer(TsCommonData* commonData);

// Start-up and shut-down of the unit (they only count).
void sCommonDataInitialization();
void sCommonDataFinalization();
