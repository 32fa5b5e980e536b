#pragma once
// Combo-box wrappers: a combo box ("combobox", "comboboxex32", framework combo boxes) gets the
// skinned frame and drop-down button, and its drop-down list a TacComboListWnd: a flat frame in
// the skin's border colour and skinned scroll bars. The list wrapper also serves the library's own
// combo controls for their pop-up lists.
#include "acSBUtilsEdit.h"
#include "sCommonData.h"

#include <memory>

class TacComboListWnd : public TacEditWnd {
public:
    UnicodeString ClassName() const override { return L"TacComboListWnd"; }
    ~TacComboListWnd() override;
    // A list wrapper with the list's own parameters (no control, skin colours, default bars); on
    // Vista or later the list is layered at full opacity; a list that is not a simple box is made
    // one pixel wider.
    static TacComboListWnd* Create(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                                   const UnicodeString& SkinSection, bool SimplyBox, bool Repaint);
    void AfterCreation() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;
    bool IsDropDownListWnd() const override { return true; }
    // A drop-down list keeps the capture it lives by; a simple box's list does not.
    bool KeepsCaptureOnButtonUp() const override { return !SimplyBox; }

    bool Shown = false;
    bool DBScroll = false;
    bool SimplyBox = false;

private:
    void PrepareListCache();
    void PaintListFrame(HDC DC);
};

class TacComboBoxWnd : public TacEditWnd {
public:
    UnicodeString ClassName() const override { return L"TacComboBoxWnd"; }
    ~TacComboBoxWnd() override;
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;

    // The drop-down button's rectangle (window coordinates).
    virtual TRect ButtonRect();
    // The height of the skin's button glyph, 16 without one.
    int ButtonHeight();
    void PaintButton(HDC DC);
    void RepaintButton();
    // Selects the imposed skin font into DC; the wrapper keeps the one font it made.
    void CheckFont(HDC DC);
    // Paints one owner-drawn item at R of DC.
    void DrawItem(int Index, const TRect& R, UINT State, HDC DC);
    // The brush answered to the list's colour request (one per wrapper, made again for a new colour).
    HBRUSH ListBrush(TColor Color);

    HWND FListHandle = nullptr;
    TacScrollWnd* ListSW = nullptr;
    std::unique_ptr<TsCommonData> LBSkinData;
    bool LBoxOpening = false;
    bool DropDownList = false;

private:
    DWORD Style() const;
    void WrapList(HWND List);
    void UnwrapList();
    void HandleCtlColor(TMessage& Message);
    HBRUSH listBrush_ = nullptr;
    TColor listBrushColor_ = clNone;
    HFONT skinFont_ = nullptr;
};

// The drop-down flag: a combo's list is open.
extern bool acComboDroppedDown;
