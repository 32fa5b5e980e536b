#pragma once
// Per-control skin data: the object a skinned control, form provider or window wrapper keeps its
// skin state in, and the "ACSDATA" window property that leads from a window handle to it.
//
// Every live object is in a process-wide registry (entered by the constructor, left first thing
// in the destructor), so a property value is used only when it names a live object of this
// process.
#include "Messages.h"
#include "Objects.h"

#include <windows.h>

class TControl;
class TsSkinManager;

class TsCommonData : public TPersistent {
public:
    // owner becomes FOwnerObject; a control owner also FOwnerControl, and a windowed one lends
    // its current WindowProc to WndProc.
    explicit TsCommonData(TObject* owner);
    ~TsCommonData() override;
    TsCommonData(const TsCommonData&) = delete;
    TsCommonData& operator=(const TsCommonData&) = delete;
    UnicodeString ClassName() const override { return L"TsCommonData"; }

    // The window of the owner, or 0.
    HWND OwnerHandle() const;
    // Publishes this object on the owner's window ("ACSDATA"); the owner calls it again
    // whenever its window is created anew.
    void InitCommonProp();
    void RemoveCommonProp();
    void ClearLinks();

    // FSkinManager when set, else the default manager (possibly null).
    TsSkinManager* GetSkinManager() const;

    // The owner's window procedure: messages sent through it bypass the window system.
    TWndMethod WndProc;
    TObject* FOwnerObject = nullptr;
    TControl* FOwnerControl = nullptr;
    HWND FSWHandle = nullptr; // window of an owner that is not a control (a wrapper)
    TsSkinManager* FSkinManager = nullptr;
    int SkinIndex = -1;
    bool BGChanged = true;
    // The control stays hot after the mouse left it (a pressed button, an open drop-down).
    bool KeepActive = false;
    // The control's colour and font colour are the user's, not the skin's.
    bool CustomColor = false;
    bool CustomFont = false;
};

// While set, skinned controls postpone painting (the manager sets it during a skin broadcast).
extern bool RestrictDrawing;

// The live skin data on a window of this process, or null (no property, a foreign window, or a
// value that is not a live object).
TsCommonData* GetCommonData(HWND handle);
// True for a window with skin data, a scroll wrapper, or that answers the handled-control
// command with 1.
bool WndIsSkinned(HWND handle);
// Whether p is a TsCommonData that exists now.
bool CommonDataIsLive(const void* p);

// Value scaled from 96 PPI to the density the control's skin data paints at. For now there is
// no manager to ask: MulDiv(value, DefaultPPI(), 96).
int ScaleInt(int value, TsCommonData* commonData = nullptr, bool useControlPPI = false);

// Start-up and shut-down of the unit (they only count).
void sCommonDataInitialization();
void sCommonDataFinalization();
