#pragma once
// The edit wrapper: skins edit-like scrolled windows (edits and memos, list boxes, the drop-down
// lists of combo boxes, and through descendants list views and the like). It paints the window's
// border from the cache bitmap while the client stays the window's own, keeps the control's
// colours in step with the skin, shows the hot and focused looks, and keeps the skinned scroll
// bars current after every change that can scroll the content.
#include "acScrollWnd.h"
#include "Sets.h"

#include <windows.h>

// What a colour change left to repaint: the client (csPaintNeeded) or the frame.
enum TacCtrlStateItem { csPaintNeeded, csNCPaintNeeded };
using TacCtrlState = TSet<TacCtrlStateItem>;

class TacEditWnd : public TacBaseWnd {
public:
    UnicodeString ClassName() const override { return L"TacEditWnd"; }

    // Its own construction (the base's steps are not run).
    void Create(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager, const TacSkinParams& SkinParams,
                bool Repaint = true) override;
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;

    // The client rectangle in window coordinates, computed once.
    TRect ClientRect();
    // The library's commands; true when answered here.
    bool HandleAlphaCmd(TMessage& Message);
    // An edit without bars whose frame is wider than its border edges: the previous procedure
    // paints that frame content before the skinned border goes over it.
    bool NCContent();

    // --- what later wrapper classes answer differently
    // Drop-down lists keep their visual style unless they are repainted at once.
    virtual bool IsDropDownListWnd() const { return false; }
    // Virtual trees take their size messages also while hidden.
    virtual bool IsVirtualTreeWnd() const { return false; }

    TRect FClientRect{0, -1, 0, -1};
    TColor FrameColor = 0;
    TacCtrlState CtrlState;
    bool StdNCPaint = false;
    bool SingleLineEdit = false;
    bool CtrlListChanged = false;
    TColor FocusColor = clNone;
    TColor Color = clNone;
    bool FInBufferedPrintClient = false;

protected:
    // Skinned now: a foreign window's own skin data counts by its section and active manager.
    bool SkinnedNow() const;
    // The border strips from the cache and both bars into the window DC dc.
    void PaintFrame(HDC dc);
    // The cache is made again when its background changed.
    void RefreshCache();

private:
    void PaintWindowFrame(TMessage& Message);
    void HandlePaint(TMessage& Message);
    void HandleEraseBkgnd(TMessage& Message);
    void HandlePrint(TMessage& Message);
    void HandleFocus(TMessage& Message);
    bool HasFocusColor() const;
};
