#pragma once
// Standard controls over the system's own window classes.
#include "Controls.h"
#include "Forms.h"
#include "ImageList.h"

#include <commctrl.h>

#include <array>
#include <memory>

// Scroll bars of memos, grids and scroll boxes.
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
// Text alignment of labels, edits and panels.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
// Where a button puts its glyph against its caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Where a push button puts its image (BUTTON_IMAGELIST alignment, in the same order).
enum TImageAlignment { iaLeft, iaRight, iaTop, iaBottom, iaCenter };

// The space a push button keeps round its image; a change notifies the button.
class TImageMargins : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TImageMargins"; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Right() const { return right_; }
    int Bottom() const { return bottom_; }
    void SetLeft(int value) { Set(left_, value); }
    void SetTop(int value) { Set(top_, value); }
    void SetRight(int value) { Set(right_, value); }
    void SetBottom(int value) { Set(bottom_, value); }
    TNotifyEvent OnChange;

private:
    void Set(int& field, int value)
    {
        if (field == value) return;
        field = value;
        if (OnChange) OnChange(this);
    }
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

// Base of the controls over the BUTTON class (push buttons, check boxes, radio buttons): the
// notifications the window sends its parent (BN_CLICKED...) arrive as CN_COMMAND and go to
// CNCommand.
class TButtonControl : public TWinControl {
public:
    UnicodeString ClassName() const override { return L"TButtonControl"; }

protected:
    // Control style csSetCaption and csDoubleClicks, without csCaptureMouse and csClickEvents:
    // the window reports its own clicks.
    explicit TButtonControl(TComponent* owner);
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    virtual void CNCommand(TMessage& message) = 0;
};

// Push button over the BUTTON class. A click (mouse, keyboard, BM_CLICK) arrives as CN_COMMAND
// and runs Click: the button's ModalResult goes to its form, then OnClick fires.
class TButton : public TButtonControl {
public:
    // 75 x 25, tab stop.
    explicit TButton(TComponent* owner);
    UnicodeString ClassName() const override { return L"TButton"; }

    // The default button answers Enter anywhere on its form, the cancel button Escape.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }

    void Click() override;

    // The button's images: the window shows them itself (BCM_SETIMAGELIST) from a list of its
    // own made of the images by state; an index that is not valid in Images falls back to
    // ImageIndex, and without a valid ImageIndex the button shows no image.
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    int ImageIndex() const { return imageIndex_[0]; }
    void SetImageIndex(int value) { SetStateImage(0, value); }
    int HotImageIndex() const { return imageIndex_[1]; }
    void SetHotImageIndex(int value) { SetStateImage(1, value); }
    int PressedImageIndex() const { return imageIndex_[2]; }
    void SetPressedImageIndex(int value) { SetStateImage(2, value); }
    // The image of the focused (and default) button.
    int SelectedImageIndex() const { return imageIndex_[3]; }
    void SetSelectedImageIndex(int value) { SetStateImage(3, value); }
    int DisabledImageIndex() const { return imageIndex_[4]; }
    void SetDisabledImageIndex(int value) { SetStateImage(4, value); }
    TImageAlignment ImageAlignment() const { return imageAlignment_; }
    void SetImageAlignment(TImageAlignment value);
    TImageMargins* ImageMargins() const { return imageMargins_.get(); }
    // Index i of the state images (0 normal .. 4 disabled) when valid in Images, else ImageIndex
    // when valid, else -1.
    int ValidImageIndex(int i) const;

    ~TButton() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void CMDialogKey(TMessage& message) override;
    void CNCommand(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    // Hands the window a new list of the state images (or none).
    void UpdateImages();

private:
    void SetStateImage(int i, int value);
    void FreeButtonImages();
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
    TCustomImageList* images_ = nullptr;
    std::array<int, 5> imageIndex_{-1, -1, -1, -1, -1};
    TImageAlignment imageAlignment_ = iaLeft;
    std::unique_ptr<TImageMargins> imageMargins_;
    std::unique_ptr<TChangeLink> imageLink_;
    HIMAGELIST buttonImages_ = nullptr; // the list the window shows; owned
};

// Registers the published properties and reader factories of the classes in this file.
void RegisterStdCtrlsClasses();
// The image properties of TButton and the class TImageMargins (part of the above).
void RegisterButtonImageProperties();

// ---------------------------------------------------------------------------------------------
// Labels, edits, memos, check boxes, radio buttons, group boxes and list boxes.

#include "StringList.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// Where a label whose text does not fit shortens it with "...".
enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };

// The DrawText flag of an ellipsis position (0 for epNone).
UINT EllipsisDrawTextFlag(TEllipsisPosition position);
// A wrapped text with a path or end ellipsis: the last word (cut at the last blank or tab) is
// removed and "..." appended until fits(shown) holds. Stops as well when no blank or tab is left
// to cut, or when only "..." would remain, so one word too long for the space ends the loop.
UnicodeString CutWordsToFit(const UnicodeString& text, const std::function<bool(const UnicodeString&)>& fits);

// Text drawn by its parent (no window). With AutoSize the label takes the size of its text
// (keeping its right edge when right-aligned; with WordWrap only the height follows).
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomLabel"; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // A transparent label leaves its background to the parent.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // '&' marks the next character as the accelerator (underlined) unless this is off.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    // The control the label's accelerator focuses; forgotten when that control is destroyed.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);
    // Shortens a text that does not fit (not while auto-sized).
    TEllipsisPosition EllipsisPosition() const { return ellipsisPosition_; }
    void SetEllipsisPosition(TEllipsisPosition value);

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Paint() override;
    // The text to draw in rect with DrawText flags: with an ellipsis position and no auto size,
    // words are cut (word wrap with a path or end ellipsis) and the ellipsis flag is added.
    // measure gives the height of a text drawn with DT_CALCRECT in the rectangle it gets.
    UnicodeString EllipsisText(const UnicodeString& text, const TRect& rect, UINT& flags, int ellipsisWidth,
                               const std::function<int(const UnicodeString&, TRect&)>& measure);
    // Draws (or with tfCalcRect measures) the caption in rect.
    virtual void DoDrawText(TRect& rect, TTextFormat format);
    // Sizes the label to its text when AutoSize is on.
    virtual void AdjustBounds();
    void CMTextChanged(TMessage& message) override;
    void CMFontChanged(TMessage& message) override;

private:
    TTextFormat BaseFormat() const;

    bool autoSize_ = true;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
    TEllipsisPosition ellipsisPosition_ = epNone;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
    UnicodeString ClassName() const override { return L"TLabel"; }
};

// Single-line edit over the EDIT class. OnChange fires for every change of the text (typing,
// code); OnKeyPress sees each typed character first and swallows it by setting it to 0.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomEdit"; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // Characters the user may enter; 0: no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Shown instead of every character when not 0.
    wchar_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(wchar_t value);
    // Only the digits 0 to 9 can be typed (pasting is not filtered).
    bool NumbersOnly() const { return numbersOnly_; }
    void SetNumbersOnly(bool value);
    // Letters typed or set are converted to this case.
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value);
    bool Modified() const;
    void SetModified(bool value);
    // bsSingle gives the sunken client edge (WS_EX_CLIENTEDGE), bsNone no border.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // Bevels are kept for whoever paints the control's frame; the window draws none itself.
    TBevelKind BevelKind() const { return bevelKind_; }
    void SetBevelKind(TBevelKind value);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    // Grey text shown while the edit is empty (EM_SETCUEBANNER).
    const UnicodeString& TextHint() const { return textHint_; }
    void SetTextHint(const UnicodeString& value);
    // Off: a flat frame (WS_BORDER) instead of the sunken client edge of bsSingle.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    // The whole text is selected when the focus enters the edit (single-line only).
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    // Off: the selection stays shown while the edit has no focus (ES_NOHIDESEL).
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);

    int SelStart();
    void SetSelStart(int value);
    int SelLength();
    void SetSelLength(int value);
    void SelectAll();
    void Clear() { SetText(UnicodeString()); }

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& message) override;
    void CMTextChanged(TMessage& message) override;
    void CMEnter(TMessage& message) override;
    // CM_CHANGED to the edit itself (LParam the edit), then OnChange.
    virtual void Change();
    bool IsMultiLine() const { return multiLine_; }
    void SetMultiLine(bool value) { multiLine_ = value; }

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    TAlignment alignment_ = taLeftJustify;
    wchar_t passwordChar_ = 0;
    bool numbersOnly_ = false;
    TEditCharCase charCase_ = ecNormal;
    bool modified_ = false;
    bool multiLine_ = false;
    TBorderStyle borderStyle_ = bsSingle;
    TBevelKind bevelKind_ = bkNone;
    TBevelCut bevelInner_ = bvRaised;
    TBevelCut bevelOuter_ = bvLowered;
    int bevelWidth_ = 1;
    UnicodeString textHint_;
    bool ctl3D_ = true;
    bool autoSelect_ = true;
    bool hideSelection_ = true;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
    UnicodeString ClassName() const override { return L"TEdit"; }
};

class TCustomMemo;

// The lines of a memo: the text of its window split at line breaks (CR LF). The last line
// counts only when it is not empty, so "a" + CR LF is one line. Between BeginUpdate and
// EndUpdate the lines are collected and the window gets the whole text once at the end.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : memo_(memo) {}
    UnicodeString ClassName() const override { return L"TMemoStrings"; }

    int Count() const override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const UnicodeString& s) override;

protected:
    UnicodeString Get(int index) const override;
    void Put(int index, const UnicodeString& s) override;
    void SetUpdateState(bool updating) override;

private:
    TCustomMemo* memo_;
    bool updating_ = false;
    bool dirty_ = false;
    std::vector<UnicodeString> pending_;
};

// Multi-line edit over the EDIT class.
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    UnicodeString ClassName() const override { return L"TCustomMemo"; }

    TStrings* Lines() const { return lines_.get(); }
    void SetLines(const TStrings* value) { lines_->Assign(value); }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    // Long lines wrap at the right edge (and no horizontal scrolling happens).
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;

private:
    friend class TMemoStrings;
    struct LineSpan {
        size_t Start;
        size_t Length;
        size_t BreakLength;
    };
    // The text and its lines, read from the window again only after it changed.
    const std::vector<LineSpan>& LineSpans(const UnicodeString*& text);
    // One of those lines; nothing for an index outside them.
    std::optional<LineSpan> LineAt(int index, const UnicodeString*& text);
    // Replaces the characters [start, end) of the text.
    void ReplaceText(size_t start, size_t end, const UnicodeString& with);
    // Splits the cached text into lines from the offset from on, appending to the cached lines.
    void SplitCachedLines(size_t from);
    // The cached text and lines after the window's text had [start, end) replaced.
    void ReplaceCachedText(size_t start, size_t end, const UnicodeString& with);

    std::unique_ptr<TMemoStrings> lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    UnicodeString cachedText_;
    std::vector<LineSpan> cachedLines_;
    bool cacheValid_ = false;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
    UnicodeString ClassName() const override { return L"TMemo"; }
};

// Check boxes and radio buttons: the window shows a mark for the state, with the caption beside it.
class TCheckableButton : public TButtonControl {
public:
    UnicodeString ClassName() const override { return L"TCheckableButton"; }

    // taRightJustify: the caption stands right of the mark; taLeftJustify: left of it.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

protected:
    explicit TCheckableButton(TComponent* owner) : TButtonControl(owner) {}
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    // The BM_SETCHECK value of the current state.
    virtual WPARAM CheckMark() const = 0;
    // Shows the current state in the window, when there is one.
    void ShowCheckMark();

private:
    TAlignment alignment_ = taRightJustify;
};

// Check box over the BUTTON class. Every change of State (a click or code) fires OnClick.
class TCustomCheckBox : public TCheckableButton {
public:
    explicit TCustomCheckBox(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomCheckBox"; }

    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState value);
    // A click steps unchecked -> grayed -> checked when set, else toggles.
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }

protected:
    void CreateParams(TCreateParams& params) override;
    void CNCommand(TMessage& message) override;
    WPARAM CheckMark() const override { return static_cast<WPARAM>(state_); }
    virtual void Toggle();

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
};

class TCheckBox : public TCustomCheckBox {
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
    UnicodeString ClassName() const override { return L"TCheckBox"; }
};

// Radio button over the BUTTON class. Checking one (click or code) unchecks the other radio
// buttons of the same parent and fires OnClick; unchecking fires nothing.
class TRadioButton : public TCheckableButton {
public:
    explicit TRadioButton(TComponent* owner);
    UnicodeString ClassName() const override { return L"TRadioButton"; }

    bool Checked() const { return checked_; }
    void SetChecked(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CNCommand(TMessage& message) override;
    WPARAM CheckMark() const override { return checked_ ? BST_CHECKED : BST_UNCHECKED; }

private:
    bool checked_ = false;
};

// Group box over the BUTTON class (BS_GROUPBOX); holds other controls.
class TCustomGroupBox : public TWinControl {
public:
    explicit TCustomGroupBox(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomGroupBox"; }

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void WMEraseBkgnd(TMessage& message) override;
    void AdjustClientRect(TRect& rect) override;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
    UnicodeString ClassName() const override { return L"TGroupBox"; }
};

class TCustomListBox;

// The items of a list box: the window's strings, or kept here while it has no window.
class TListBoxStrings : public TStrings {
public:
    explicit TListBoxStrings(TCustomListBox* listBox) : listBox_(listBox) {}
    UnicodeString ClassName() const override { return L"TListBoxStrings"; }

    int Count() const override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const UnicodeString& s) override;

protected:
    UnicodeString Get(int index) const override;

private:
    friend class TCustomListBox;
    TCustomListBox* listBox_;
    std::vector<UnicodeString> stored_; // the items while there is no window
};

// List box over the LISTBOX class: one selected item. OnClick fires when the user selects an
// item, OnDblClick when the user double-clicks one.
class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    UnicodeString ClassName() const override { return L"TCustomListBox"; }

    TStrings* Items() const { return items_.get(); }
    void SetItems(const TStrings* value) { items_->Assign(value); }
    int Count() const { return items_->Count(); }
    // -1: nothing selected. Setting an index outside the items selects nothing.
    int ItemIndex() const;
    void SetItemIndex(int value);
    void Clear() { items_->Clear(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& message) override;

private:
    friend class TListBoxStrings;
    std::unique_ptr<TListBoxStrings> items_;
    int itemIndex_ = -1; // while there is no window
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
    UnicodeString ClassName() const override { return L"TListBox"; }
};

enum TScrollBarKind { sbHorizontal, sbVertical };

// Stand-alone scroll bar over the SCROLLBAR class (StdCtrlsScrollBar.cpp). The window keeps range,
// page and position; the user's scrolling arrives as CN_HSCROLL / CN_VSCROLL and moves Position
// by SmallChange, LargeChange or to the thumb, then OnScroll and OnChange fire.
class TScrollBar : public TWinControl {
public:
    // 121 x 17 (horizontal), range 0 to 100, tab stop.
    explicit TScrollBar(TComponent* owner);
    UnicodeString ClassName() const override { return L"TScrollBar"; }

    TScrollBarKind Kind() const { return kind_; }
    // A new kind swaps width and height and makes a new window.
    void SetKind(TScrollBarKind value);
    int Min() const { return min_; }
    void SetMin(int value) { SetParams(position_, value, max_); }
    int Max() const { return max_; }
    void SetMax(int value) { SetParams(position_, min_, value); }
    // At most the range (Max - Min + 1).
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    int Position() const { return position_; }
    void SetPosition(int value) { SetParams(value, min_, max_); }
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = value; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = value; }
    // Max below Min raises EInvalidOperation; the position is kept inside Min ... Max - PageSize
    // + 1, as the window keeps it. OnChange fires when the position changes.
    void SetParams(int APosition, int AMin, int AMax);

    TNotifyEvent OnChange;
    // The scroll code (SB_*) and the position the scroll is going to; the handler may change it.
    std::function<void(TObject* sender, int scrollCode, int& scrollPos)> OnScroll;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    virtual void Change();
    virtual void Scroll(int scrollCode, int& scrollPos);

private:
    void DoScroll(TMessage& message);
    void ApplyToWindow();
    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int pageSize_ = 0;
    int position_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
};

// Registers the published properties and reader factories of the classes above; start-up
// calls it after RegisterStdCtrlsClasses.
void RegisterStdCtrlsWidgetClasses();
