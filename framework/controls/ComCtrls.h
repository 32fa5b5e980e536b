#pragma once
// Common controls: status bar, page control with tab sheets, month calendar, tool bar, list view.
// Each is the comctl32 window of its kind; the layer keeps their state while no window exists.
#include "Controls.h"
#include "DateUtils.h"
#include "ImageList.h"
#include "StdCtrls.h" // TAlignment
#include "StringList.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Status bar

class TStatusBar;

class TStatusPanel : public TCollectionItem {
public:
    TStatusPanel() = default;
    UnicodeString ClassName() const override { return L"TStatusPanel"; }

    const UnicodeString& Text() const { return text_; }
    void SetText(const UnicodeString& value);
    // Pixels; the last panel reaches to the right edge of the bar whatever its width.
    int Width() const { return width_; }
    void SetWidth(int value);

    void Assign(const TPersistent* source) override;

private:
    UnicodeString text_;
    int width_ = 50;
};

class TStatusPanels : public TCollection {
public:
    explicit TStatusPanels(TStatusBar* owner);
    UnicodeString ClassName() const override { return L"TStatusPanels"; }

    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    // EListError outside 0..Count-1.
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }
    TStatusPanel* operator[](int index) const { return Items(index); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TStatusBar* bar_;
};

// Status bar over msctls_statusbar32, aligned to the bottom of its parent. The panels are the
// bar's parts; with SimplePanel one part shows SimpleText instead.
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;
    UnicodeString ClassName() const override { return L"TStatusBar"; }

    TStatusPanels* Panels() const { return panels_.get(); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    const UnicodeString& SimpleText() const { return simpleText_; }
    void SetSimpleText(const UnicodeString& value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;

private:
    friend class TStatusPanels;
    void UpdatePanels(TCollectionItem* changed);
    void UpdateColors();

    std::unique_ptr<TStatusPanels> panels_;
    bool simplePanel_ = false;
    UnicodeString simpleText_;
    bool sizeGrip_ = true;
    std::vector<int> partWidths_; // widths the window's parts were last given
    COLORREF backColor_ = CLR_DEFAULT;
};

// ---------------------------------------------------------------------------------------------
// Page control

class TPageControl;

// One page of a page control: a window inside the page control's display area, shown while
// it is the active page.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    UnicodeString ClassName() const override { return L"TTabSheet"; }

    // Setting the parent to a page control makes the sheet one of its pages (the last).
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* value);
    void SetParent(TWinControl* parent) override;
    // Position among all pages, hidden tabs included.
    int PageIndex() const;
    void SetPageIndex(int value);
    // Position among the shown tabs; -1 when the tab is hidden.
    int TabIndex() const;
    // A hidden tab is not shown and its page cannot become the active one.
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);
    // Image of the page control's Images shown on the tab; -1 for none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);

    // When the page comes into view (it became active while the page control is shown, or
    // the page control was shown) and goes out of it.
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    void CreateParams(TCreateParams& params) override;
    void CMTextChanged(TMessage& message) override;
    void CMShowingChanged(TMessage& message) override;
    virtual void DoShow();
    virtual void DoHide();

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

using TTabChangingEvent = std::function<void(TObject* sender, bool& allowChange)>;
class TPageControl;
// Draws tab index in rect on the control's Canvas; active for the selected tab.
using TDrawTabEvent = std::function<void(TPageControl* control, int index, const TRect& rect, bool active)>;

// Page control over SysTabControl32: one tab per page whose tab is visible, the active page
// shown in the display area. A tab chosen by the user asks OnChanging, then activates its
// page (its OnShow) and fires OnChange; pages activated by code fire neither change event.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    UnicodeString ClassName() const override { return L"TPageControl"; }

    int PageCount() const { return static_cast<int>(pages_.size()); }
    // EListError outside 0..PageCount-1.
    TTabSheet* Pages(int index) const;
    // Null, or a page of this control whose tab is visible (other pages are refused).
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    // -1 without an active page.
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The active page's position among the shown tabs; -1 without one.
    int TabIndex() const;
    void SetTabIndex(int index);
    // The next (or previous) page after current, wrapping round; null when there is none.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward);

    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    // The area the pages fill, in client coordinates.
    TRect DisplayRect();

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    // Owner-drawn tabs: the window asks for each tab (WM_DRAWITEM) and OnDrawTab draws it on
    // Canvas; without a handler the caption is drawn centred.
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    TDrawTabEvent OnDrawTab;
    TCanvas* Canvas() const { return canvas_.get(); }

    void Loaded() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    void WMSize(TMessage& message) override;
    void WMEraseBkgnd(TMessage& message) override;
    void CMFontChanged(TMessage& message) override;
    void AdjustClientRect(TRect& rect) override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual bool CanChange();
    virtual void Change();

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void ChangeActivePage(TTabSheet* page);
    TTabSheet* PageForTab(int tabIndex) const;
    void UpdateTabs();
    void UpdateTab(TTabSheet* page);
    void ResizePages();
    void ImageListChanged();

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TCustomImageList* images_ = nullptr;
    std::unique_ptr<TChangeLink> imageLink_;
    std::unique_ptr<TCanvas> canvas_;
    bool ownerDraw_ = false;
    void CNDrawItem(TMessage& message);
};

// ---------------------------------------------------------------------------------------------
// Month calendar

enum TCalDayOfWeek {
    dowMonday,
    dowTuesday,
    dowWednesday,
    dowThursday,
    dowFriday,
    dowSaturday,
    dowSunday,
    dowLocaleDefault
};

// Month calendar over SysMonthCal32 with one selected day. OnChange fires whenever that day
// changes, by the user (a day clicked, a month scrolled) or by code; OnClick when the user
// picks a day.
class TMonthCalendar : public TWinControl {
public:
    explicit TMonthCalendar(TComponent* owner);
    UnicodeString ClassName() const override { return L"TMonthCalendar"; }

    // The selected day (a whole date; a time of day is dropped). Today at first.
    TDateTime Date() const { return date_; }
    void SetDate(TDateTime value);
    TCalDayOfWeek FirstDayOfWeek() const { return firstDayOfWeek_; }
    void SetFirstDayOfWeek(TCalDayOfWeek value);
    // The same day of the previous (next) month, or its last day when the month is shorter.
    void PrevMonth();
    void NextMonth();

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    virtual void Change();

private:
    void ShiftMonths(int months);
    void UpdateColors();

    TDateTime date_ = 0;
    TCalDayOfWeek firstDayOfWeek_ = dowLocaleDefault;
    COLORREF appliedColors_ = CLR_INVALID; // the colours the window was last given
};

// ---------------------------------------------------------------------------------------------
// Tool bar: the comctl32 tool bar window with its image lists and buttons. Buttons are
// controls laid out by whoever owns the tool bar; the window draws nothing of them yet.

enum TCustomDrawStateItem { cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot,
                            cdsMarked, cdsIndeterminate };
using TCustomDrawState = TSet<TCustomDrawStateItem>;
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider, tbsTextButton };

class TToolBar;

class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner) : TGraphicControl(owner) {}
    UnicodeString ClassName() const override { return L"TToolButton"; }

    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle value) { style_ = value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { imageIndex_ = value; }

private:
    TToolButtonStyle style_ = tbsButton;
    int imageIndex_ = -1;
};

class TToolBar : public TWinControl {
public:
    explicit TToolBar(TComponent* owner) : TWinControl(owner) {}
    UnicodeString ClassName() const override { return L"TToolBar"; }

    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value) { images_ = value; }
    TCustomImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TCustomImageList* value) { hotImages_ = value; }
    TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TCustomImageList* value) { disabledImages_ = value; }
    // Captions right of the images instead of below them.
    bool List() const { return list_; }
    void SetList(bool value) { list_ = value; }
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool value) { showCaptions_ = value; }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TCustomImageList* images_ = nullptr;
    TCustomImageList* hotImages_ = nullptr;
    TCustomImageList* disabledImages_ = nullptr;
    bool list_ = false;
    bool showCaptions_ = false;
};

// ---------------------------------------------------------------------------------------------
// List view over SysListView32 (ComCtrlsListView.cpp): columns, items and the colours of the
// window; the window's columns and items follow the collections.

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView;

class TListColumn : public TCollectionItem {
public:
    TListColumn() = default;
    UnicodeString ClassName() const override { return L"TListColumn"; }

    const UnicodeString& Caption() const { return caption_; }
    void SetCaption(const UnicodeString& value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // An image of the list view's small images shown in the column header; -1 none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int Width() const { return width_; }
    void SetWidth(int value);

    void Assign(const TPersistent* source) override;

private:
    UnicodeString caption_;
    TAlignment alignment_ = taLeftJustify;
    int imageIndex_ = -1;
    int width_ = 50;
};

class TListColumns : public TCollection {
public:
    explicit TListColumns(TListView* owner);
    UnicodeString ClassName() const override { return L"TListColumns"; }
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TListView* listView_;
};

class TListItem : public TCollectionItem {
public:
    TListItem();
    UnicodeString ClassName() const override { return L"TListItem"; }

    const UnicodeString& Caption() const { return caption_; }
    void SetCaption(const UnicodeString& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    // The texts of the columns after the first.
    TStrings* SubItems() const { return subItems_.get(); }

    void Assign(const TPersistent* source) override;

private:
    UnicodeString caption_;
    int imageIndex_ = -1;
    std::unique_ptr<TStringList> subItems_;
};

class TListItems : public TCollection {
public:
    explicit TListItems(TListView* owner);
    UnicodeString ClassName() const override { return L"TListItems"; }
    TListItem* Add() { return static_cast<TListItem*>(TCollection::Add()); }
    TListItem* Items(int index) const { return static_cast<TListItem*>(TCollection::Items(index)); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TListView* listView_;
};

class TListView : public TWinControl {
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;
    UnicodeString ClassName() const override { return L"TListView"; }

    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle value);
    TCustomImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TCustomImageList* value);
    TListColumns* Columns() const { return columns_.get(); }
    TListItems* Items() const { return items_.get(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CMColorChanged(TMessage& message) override;
    void CMFontChanged(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TListColumns;
    friend class TListItems;
    void UpdateColumns();
    void UpdateItems();
    void UpdateItem(TListItem* item);
    void UpdateColors();

    TViewStyle viewStyle_ = vsIcon;
    TCustomImageList* smallImages_ = nullptr;
    std::unique_ptr<TListColumns> columns_;
    std::unique_ptr<TListItems> items_;
};

// Registers the published properties and reader factories of the classes in this file.
void RegisterComCtrlsClasses();
