#pragma once
// Skinned combo edit with a button: the skinned masked edit with a button inside its right edge
// (left edge in right-to-left reading) that is a drop-down arrow painted from the skin or a glyph
// from GlyphMode or the shared glyph list, with hot and pressed states, a click key, a button
// hint and mouse lighting; in button mode the whole control acts as one button. It carries the
// pop-up window protocol the edits with pickers build on: a descendant sets FPopupWindow, the
// button click shows it below the edit through the pop-up controller, and command AC_POPUPCLOSED
// (or a second click, cancel mode, the focus moving away) ends the drop-down.
#include "HintWindow.h"
#include "Menus.h"
#include "Timers.h"
#include "acAnimation.h"
#include "sMaskEdit.h"

#include <memory>

class TsCustomComboEdit;

// The button hint's pause: a framework timer started on the first hover over the button.
class TacHintTimer : public TTimer {
public:
    explicit TacHintTimer(TsCustomComboEdit* owner);
    UnicodeString ClassName() const override { return L"TacHintTimer"; }
    // Stops and shows the owner's button hint.
    void TimerEvent(TObject* sender);

    TsCustomComboEdit* FOwner;
};

class TsCustomComboEdit : public TacCustomMaskEdit, public TacAnimatedCombo {
public:
    explicit TsCustomComboEdit(TComponent* owner);
    ~TsCustomComboEdit() override;
    UnicodeString ClassName() const override { return L"TsCustomComboEdit"; }
    void AfterConstruction();
    void Loaded() override;

    // --- properties
    TShortCut ClickKey() const { return FClickKey; }
    void SetClickKey(TShortCut value) { FClickKey = value; }
    TsGlyphMode* GlyphMode() const { return FGlyphMode.get(); }
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);
    bool DirectInput() const { return FDirectInput; }
    void SetDirectInput(bool value) { FDirectInput = value; }
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool value);
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool value) { FShowFocus = value; }
    bool ButtonMode() const { return FButtonMode; }
    void SetButtonMode(bool value);
    virtual bool GetReadOnly() const { return FReadOnly; }
    virtual void SetReadOnly(bool value);
    bool DroppedDown() const;
    int PopupWidth() const { return FPopupWidth; }
    void SetPopupWidth(int value) { FPopupWidth = value; }
    int PopupHeight() const { return FPopupHeight; }
    void SetPopupHeight(int value) { FPopupHeight = value; }
    int BtnState() const { return GetBtnState(); }
    bool SkipDrop() const { return FSkipDrop; }
    TControl* PopupWindow() const { return FPopupWindow; }
    TNotifyEvent OnButtonClick;

    // --- button geometry (window coordinates)
    // The button is the drop-down arrow: no default glyph and no usable GlyphMode image.
    bool ComboBtn() const;
    int GlyphWidth() const;
    int GlyphHeight() const;
    int GlyphSpace(bool full = false) const;
    int BtnOffset() const;
    TRect BtnRect();
    TRect TextRect() override;
    bool MouseInRect(const TRect& r) const;
    bool MouseInBtn();
    bool GlyphEnabled() const;
    int GetBtnState() const;
    void SetBtnState(int value);

    // --- pop-up protocol
    virtual void ButtonClick();
    // The click of a glyph button (an arrow clicks on button-down itself).
    void DoClick();
    virtual void PopupWindowShow();
    virtual void PopupWindowClose();
    void CloseForm();
    virtual bool CanDoChange() { return !DroppedDown(); }
    virtual void SelectAll();

    // --- button hint
    void TryShowBtnHint();
    void HideHint();
    THintWindow* HintWnd() const { return FHintWnd.get(); }
    TacHintTimer* HintTimer() const { return FHintTimer; }

    // --- painting
    bool AllowBtnStyle() override { return FButtonMode; }
    bool PrepareCache() override;
    void PaintText() override;
    void PaintBorder(HDC dc) override;
    void OurPaintHandler(HDC dc) override;
    int CurrentState() override;
    virtual void PaintBtnStd();
    void PaintBtn();
    void CacheToDC(const TRect& r);
    void AnimateCtrl(int state);
    void DoMouseAbove();
    // The skin data's lighting event.
    void UpdateLight(TObject* sender, PacAnimEventData data);
    void UpdateCaret();

    // The skin sections the control uses: its own, the whole-button one and the button face of
    // a hot glyph button (-1 when the skin has none).
    int ComboSection() const;
    int ButtonSection() const;
    int GlyphBtnSection() const;

    bool acComboButtonWidth(int& width) const override;
    bool AllowBtnStyle() const override { return FButtonMode; }
    TRect ButtonRect() const override { return CalcBtnRect(); }

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

    TControl* FPopupWindow = nullptr; // set by descendants
    bool FDroppedDown = false;
    int FDefBmpID = 3;

private:
    void Inherited(TMessage& message) { TacCustomMaskEdit::WndProc(message); }
    bool RunTime() const { return !ComponentState().Contains(csDesigning); }
    bool Arrow() const { return ComboBtn(); }
    // The window-relative mouse position.
    TPoint MousePos() const;
    // The button's new state on screen; unskinned only R of the cache is copied.
    void RepaintBtn(const TRect& r);
    bool AnswerCommand(TMessage& message);
    void MouseMoved(int stateBefore);
    void LButtonDown(TMessage& message);
    void LButtonUp(TMessage& message);
    int ComboOffset() const;
    TRect CalcBtnRect() const;

    int FBtnState = 0;
    int FPopupWidth = 230;
    int FPopupHeight = 166;
    bool FReadOnly = false;
    bool FDirectInput = true;
    bool FShowButton = true;
    std::unique_ptr<THintWindow> FHintWnd;
    TRect FBtnRect{-1, 0, 0, 0};
    TShortCut FClickKey = 0x8028; // Alt+Down
    TacHintTimer* FHintTimer = nullptr; // owned by this component
    std::unique_ptr<TsGlyphMode> FGlyphMode;
    int FButtonWidth = 0;
    bool FButtonMode = false;
    bool FShowFocus = true;
    bool FSkipDrop = false;
};

void RegisterCustomComboEditClasses();
void sCustomComboEditInitialization();
void sCustomComboEditFinalization();
