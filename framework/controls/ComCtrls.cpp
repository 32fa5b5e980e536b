#include "ComCtrls.h"

#include "FormReader.h"
#include "Themes.h"
#include "TypInfo.h"

#include <algorithm>
#include <cmath>

namespace {

// The window allows at most this many parts.
constexpr int kMaxStatusParts = 255;

COLORREF StyledOrDefault(TColor color)
{
    return TStyleManager::IsCustomStyleActive() ? StyledColorToGdi(color) : CLR_DEFAULT;
}

SYSTEMTIME ToSystemTime(TDateTime value)
{
    unsigned short y = 0;
    unsigned short m = 0;
    unsigned short d = 0;
    DecodeDate(value, y, m, d);
    SYSTEMTIME st{};
    st.wYear = y;
    st.wMonth = m;
    st.wDay = d;
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
    return st;
}

// Sets (TCM_SETITEMW) or inserts (TCM_INSERTITEMW) the tab at index.
void SendTabItem(HWND window, UINT msg, int index, UnicodeString text, int imageIndex)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text.data();
    item.iImage = imageIndex;
    SendMessageW(window, msg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool FromSystemTime(const SYSTEMTIME& st, TDateTime& value)
{
    return TryEncodeDate(st.wYear, st.wMonth, st.wDay, value);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TStatusPanel, TStatusPanels

void TStatusPanel::SetText(const UnicodeString& value)
{
    if (value == text_) return;
    text_ = value;
    Changed(false);
}

void TStatusPanel::SetWidth(int value)
{
    value = std::max(0, value);
    if (value == width_) return;
    width_ = value;
    Changed(false);
}

void TStatusPanel::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TStatusPanel*>(source)) {
        text_ = other->text_;
        width_ = other->width_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

TStatusPanels::TStatusPanels(TStatusBar* owner) : TCollection(ItemClass<TStatusPanel>(), owner), bar_(owner) {}

void TStatusPanels::Update(TCollectionItem* item) { bar_->UpdatePanels(item); }

// ---------------------------------------------------------------------------------------------
// TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner), panels_(std::make_unique<TStatusPanels>(this))
{
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool value)
{
    if (value == simplePanel_) return;
    simplePanel_ = value;
    UpdatePanels(nullptr);
}

void TStatusBar::SetSimpleText(const UnicodeString& value)
{
    if (value == simpleText_) return;
    simpleText_ = value;
    if (simplePanel_) UpdatePanels(nullptr);
}

void TStatusBar::SetSizeGrip(bool value)
{
    if (value == sizeGrip_) return;
    sizeGrip_ = value;
    RecreateWnd();
}

void TStatusBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, STATUSCLASSNAMEW);
    // The layer places the bar (Align), not the window itself.
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (sizeGrip_) params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd()
{
    TWinControl::CreateWnd();
    partWidths_.clear();
    backColor_ = CLR_DEFAULT;
    UpdateColors();
    UpdatePanels(nullptr);
}

void TStatusBar::UpdateColors()
{
    if (!HandleAllocated()) return;
    const COLORREF color = StyledOrDefault(Color());
    if (color == backColor_) return;
    backColor_ = color;
    SendMessageW(Handle(), SB_SETBKCOLOR, 0, static_cast<LPARAM>(color));
}

void TStatusBar::UpdatePanels(TCollectionItem* changed)
{
    if (!HandleAllocated()) return;
    HWND window = Handle();
    if (simplePanel_) {
        SendMessageW(window, SB_SIMPLE, TRUE, 0);
        SendMessageW(window, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
        return;
    }
    SendMessageW(window, SB_SIMPLE, FALSE, 0);
    const int count = std::min(panels_->Count(), kMaxStatusParts);
    std::vector<int> widths;
    for (int i = 0; i < count; ++i) widths.push_back(panels_->Items(i)->Width());
    auto* item = dynamic_cast<TStatusPanel*>(changed);
    if (item && widths == partWidths_) {
        // Only a text changed: leave the parts alone.
        const int index = item->Index();
        if (index >= 0 && index < count)
            SendMessageW(window, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item->Text().c_str()));
        return;
    }
    partWidths_ = widths;
    std::vector<int> edges;
    int edge = 0;
    for (int i = 0; i < count; ++i) {
        edge += widths[static_cast<size_t>(i)];
        edges.push_back(i == count - 1 ? -1 : edge);
    }
    if (edges.empty()) edges.push_back(-1);
    SendMessageW(window, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < static_cast<int>(edges.size()); ++i) {
        const UnicodeString text = i < count ? panels_->Items(i)->Text() : UnicodeString();
        SendMessageW(window, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TStatusBar::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
    case CM_STYLECHANGED:
    case CM_COLORCHANGED: UpdateColors(); break;
    default: break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetColor(clBtnFace);
    SetVisible(false);
}

TTabSheet::~TTabSheet()
{
    if (pageControl_) {
        try {
            pageControl_->RemovePage(this);
        } catch (...) {
        }
        pageControl_ = nullptr;
    }
}

void TTabSheet::SetPageControl(TPageControl* value) { SetParent(value); }

void TTabSheet::SetParent(TWinControl* parent)
{
    auto* pageControl = dynamic_cast<TPageControl*>(parent);
    if (pageControl_ && pageControl_ != pageControl) {
        TPageControl* old = pageControl_;
        pageControl_ = nullptr;
        old->RemovePage(this);
    }
    TWinControl::SetParent(parent);
    if (pageControl && pageControl_ != pageControl) {
        pageControl_ = pageControl;
        pageControl->InsertPage(this);
    }
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int value)
{
    if (pageControl_) pageControl_->MovePage(this, value);
}

int TTabSheet::TabIndex() const
{
    if (!pageControl_ || !tabVisible_) return -1;
    int index = 0;
    for (const TTabSheet* page : pageControl_->pages_) {
        if (page == this) return index;
        if (page->tabVisible_) ++index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool value)
{
    if (value == tabVisible_) return;
    tabVisible_ = value;
    if (!pageControl_) return;
    TPageControl* pc = pageControl_;
    if (!value && pc->activePage_ == this) {
        // The page of a hidden tab cannot stay active.
        TTabSheet* next = pc->FindNextPage(this, true, true);
        pc->ChangeActivePage(next != this ? next : nullptr);
    }
    pc->UpdateTabs();
    if (value && !pc->activePage_ && !pc->ComponentState().Contains(csLoading)) pc->ChangeActivePage(this);
}

void TTabSheet::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    if (pageControl_) pageControl_->UpdateTab(this);
}

void TTabSheet::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
}

void TTabSheet::CMTextChanged(TMessage& message)
{
    TWinControl::CMTextChanged(message);
    if (pageControl_) pageControl_->UpdateTab(this);
}

void TTabSheet::CMShowingChanged(TMessage& message)
{
    TWinControl::CMShowingChanged(message);
    try {
        if (Showing())
            DoShow();
        else
            DoHide();
    } catch (...) {
        HandleCallbackException(this);
    }
}

void TTabSheet::DoShow()
{
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide()
{
    if (OnHide) OnHide(this);
}

// ---------------------------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* owner)
    : TWinControl(owner), imageLink_(std::make_unique<TChangeLink>()), canvas_(std::make_unique<TCanvas>())
{
    SetControlStyle({csAcceptsControls, csCaptureMouse, csDoubleClicks});
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 289, 193);
    SetTabStop(true);
    imageLink_->OnChange = [this](TObject*) { ImageListChanged(); };
}

TPageControl::~TPageControl()
{
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
    if (images_) images_->UnRegisterChanges(imageLink_.get());
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount()) throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return pages_[static_cast<size_t>(index)];
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index)
{
    if (index < 0 || index >= PageCount()) {
        SetActivePage(nullptr);
        return;
    }
    SetActivePage(pages_[static_cast<size_t>(index)]);
}

int TPageControl::TabIndex() const { return activePage_ ? activePage_->TabIndex() : -1; }

void TPageControl::SetTabIndex(int index)
{
    TTabSheet* page = PageForTab(index);
    if (page) SetActivePage(page);
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && (page->pageControl_ != this || !page->tabVisible_)) return;
    ChangeActivePage(page);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const
{
    const int count = PageCount();
    if (count == 0) return nullptr;
    auto it = std::find(pages_.begin(), pages_.end(), current);
    int index = it == pages_.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - pages_.begin());
    for (int step = 0; step < count; ++step) {
        index = goForward ? (index + 1) % count : (index - 1 + count) % count;
        TTabSheet* page = pages_[static_cast<size_t>(index)];
        if (!checkTabVisible || page->tabVisible_) return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward)
{
    TTabSheet* page = FindNextPage(activePage_, goForward, true);
    if (page && page != activePage_ && CanChange()) {
        ChangeActivePage(page);
        Change();
    }
}

TTabSheet* TPageControl::PageForTab(int tabIndex) const
{
    if (tabIndex < 0) return nullptr;
    int index = 0;
    for (TTabSheet* page : pages_) {
        if (!page->tabVisible_) continue;
        if (index == tabIndex) return page;
        ++index;
    }
    return nullptr;
}

void TPageControl::InsertPage(TTabSheet* page)
{
    if (std::find(pages_.begin(), pages_.end(), page) != pages_.end()) return;
    pages_.push_back(page);
    UpdateTabs();
    if (!activePage_ && page->tabVisible_ && !ComponentState().Contains(csLoading)) ChangeActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    TTabSheet* next = nullptr;
    if (activePage_ == page) {
        next = FindNextPage(page, true, true);
        if (next == page) next = nullptr;
        activePage_ = nullptr;
    }
    pages_.erase(std::find(pages_.begin(), pages_.end(), page));
    if (ComponentState().Contains(csDestroying)) return;
    UpdateTabs();
    if (next) ChangeActivePage(next);
}

void TPageControl::MovePage(TTabSheet* page, int index)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    pages_.erase(it);
    index = std::clamp(index, 0, PageCount());
    pages_.insert(pages_.begin() + index, page);
    UpdateTabs();
}

void TPageControl::ChangeActivePage(TTabSheet* page)
{
    if (page == activePage_) return;
    TTabSheet* old = activePage_;
    // The new page is the active one (and its tab the selected one) before it is shown, so its
    // OnShow sees the control as the user does.
    activePage_ = page;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(TabIndex()), 0);
    if (page) {
        const TRect r = DisplayRect();
        page->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        page->BringToFront();
        page->SetVisible(true);
    }
    if (old && old->pageControl_ == this) old->SetVisible(false);
}

void TPageControl::Loaded()
{
    TWinControl::Loaded();
    if (!activePage_) ChangeActivePage(FindNextPage(nullptr, true, true));
    UpdateTabs();
}

bool TPageControl::CanChange()
{
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change()
{
    if (HandleAllocated()) {
        const int tab = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
        if (TTabSheet* page = PageForTab(tab)) ChangeActivePage(page);
    }
    if (OnChange) OnChange(this);
}

void TPageControl::SetImages(TCustomImageList* value)
{
    if (ChangeImageList(images_, value, imageLink_.get(), this)) ImageListChanged();
}

void TPageControl::ImageListChanged()
{
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
    UpdateTabs();
}

void TPageControl::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        if (HandleAllocated() && !ComponentState().Contains(csDestroying)) {
            SendMessageW(Handle(), TCM_SETIMAGELIST, 0, 0);
            UpdateTabs();
        }
    }
}

TRect TPageControl::DisplayRect()
{
    if (!HandleAllocated()) {
        TRect r = ClientRect();
        return TRect(r.Left + 4, r.Top + 24, std::max(r.Left + 4, r.Right - 4), std::max(r.Top + 24, r.Bottom - 4));
    }
    RECT r{};
    ::GetClientRect(Handle(), &r);
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void TPageControl::AdjustClientRect(TRect& rect) { rect = DisplayRect(); }

void TPageControl::ResizePages()
{
    const TRect r = DisplayRect();
    for (TTabSheet* page : pages_) page->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TPageControl::UpdateTab(TTabSheet* page)
{
    if (!HandleAllocated() || !page->tabVisible_) return;
    SendTabItem(Handle(), TCM_SETITEMW, page->TabIndex(), page->Caption(), page->imageIndex_);
    ResizePages();
}

void TPageControl::UpdateTabs()
{
    if (!HandleAllocated()) return;
    HWND window = Handle();
    SendMessageW(window, TCM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (TTabSheet* page : pages_) {
        if (page->tabVisible_) SendTabItem(window, TCM_INSERTITEMW, index++, page->Caption(), page->imageIndex_);
    }
    SendMessageW(window, TCM_SETCURSEL, static_cast<WPARAM>(TabIndex()), 0);
    ResizePages();
}

void TPageControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_TABCONTROLW);
    params.Style |= WS_CLIPCHILDREN | TCS_TABS;
    if (ownerDraw_) params.Style |= TCS_OWNERDRAWFIXED;
}

void TPageControl::SetOwnerDraw(bool value)
{
    if (ownerDraw_ == value) return;
    ownerDraw_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TPageControl::CNDrawItem(TMessage& message)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    message.Result = TRUE;
    if (!item || !item->hDC) return;
    const TCanvasDCScope scope(*canvas_, item->hDC);
    canvas_->Font()->Assign(Font());
    canvas_->Brush()->SetColor(Color());
    const TRect rect(item->rcItem);
    const int index = static_cast<int>(item->itemID);
    const bool active = (item->itemState & ODS_SELECTED) != 0;
    if (OnDrawTab) {
        OnDrawTab(this, index, rect, active);
        return;
    }
    canvas_->FillRect(rect);
    TTabSheet* page = PageForTab(index);
    RECT r = rect;
    if (page) {
        SetBkMode(item->hDC, TRANSPARENT);
        DrawTextW(item->hDC, page->Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void TPageControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (images_) SendMessageW(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    UpdateTabs();
}

void TPageControl::Dispatch(TMessage& message)
{
    if (message.Msg == CN_DRAWITEM) {
        CNDrawItem(message);
        return;
    }
    if (message.Msg == CN_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        switch (header ? header->code : 0) {
        case TCN_SELCHANGING: message.Result = CanChange() ? FALSE : TRUE; return;
        case TCN_SELCHANGE:
            Change();
            message.Result = 0;
            return;
        default: break;
        }
    }
    TWinControl::Dispatch(message);
}

void TPageControl::WMSize(TMessage& message)
{
    TWinControl::WMSize(message);
    ResizePages();
}

void TPageControl::WMEraseBkgnd(TMessage& message)
{
    // The strip beside the tabs takes the control's (styled) colour.
    RECT r{};
    ::GetClientRect(Handle(), &r);
    FillRect(reinterpret_cast<HDC>(message.WParam), &r, BackgroundBrush());
    message.Result = 1;
}

void TPageControl::CMFontChanged(TMessage& message)
{
    TWinControl::CMFontChanged(message);
    ResizePages();
}

// ---------------------------------------------------------------------------------------------
// TMonthCalendar

TMonthCalendar::TMonthCalendar(TComponent* owner) : TWinControl(owner), date_(::Date())
{
    SetControlStyle({csCaptureMouse, csDoubleClicks, csOpaque});
    SetColor(clWindow);
    SetBounds(Left(), Top(), 225, 160);
    SetTabStop(true);
}

void TMonthCalendar::SetDate(TDateTime value)
{
    if (!std::isfinite(value)) throw EConvertError(L"Invalid date");
    const TDateTime day = std::trunc(value);
    SYSTEMTIME st = ToSystemTime(day); // rejects dates outside the years 1 to 9999
    if (day == date_) return;
    date_ = day;
    if (HandleAllocated()) SendMessageW(Handle(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    if (!ComponentState().Contains(csLoading)) Change();
}

void TMonthCalendar::SetFirstDayOfWeek(TCalDayOfWeek value)
{
    if (value == firstDayOfWeek_) return;
    firstDayOfWeek_ = value;
    if (HandleAllocated() && value != dowLocaleDefault)
        SendMessageW(Handle(), MCM_SETFIRSTDAYOFWEEK, 0, static_cast<LPARAM>(value));
    else if (HandleAllocated())
        RecreateWnd();
}

void TMonthCalendar::ShiftMonths(int months)
{
    unsigned short y = 0;
    unsigned short m = 0;
    unsigned short d = 0;
    DecodeDate(date_, y, m, d);
    int total = y * 12 + (m - 1) + months;
    const int year = total / 12;
    const int month = total % 12 + 1;
    if (year < 1 || year > 9999) return;
    TDateTime value = 0;
    if (TryEncodeDate(year, month, std::min<int>(d, DaysInAMonth(year, month)), value)) SetDate(value);
}

void TMonthCalendar::PrevMonth() { ShiftMonths(-1); }
void TMonthCalendar::NextMonth() { ShiftMonths(1); }

void TMonthCalendar::Change()
{
    if (OnChange) OnChange(this);
}

void TMonthCalendar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, MONTHCAL_CLASSW);
}

void TMonthCalendar::CreateWnd()
{
    TWinControl::CreateWnd();
    if (firstDayOfWeek_ != dowLocaleDefault)
        SendMessageW(Handle(), MCM_SETFIRSTDAYOFWEEK, 0, static_cast<LPARAM>(firstDayOfWeek_));
    SYSTEMTIME st = ToSystemTime(date_);
    SendMessageW(Handle(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    appliedColors_ = CLR_INVALID;
    if (TStyleManager::IsCustomStyleActive() || Color() != clWindow) UpdateColors();
}

void TMonthCalendar::UpdateColors()
{
    if (!HandleAllocated()) return;
    // Each setting repaints the window: only when the colours differ from the ones it has.
    const COLORREF key = StyledColorToGdi(Color()) ^ (TStyleManager::IsCustomStyleActive() ? 0x01000000u : 0u);
    if (key == appliedColors_) return;
    appliedColors_ = key;
    HWND window = Handle();
    SendMessageW(window, MCM_SETCOLOR, MCSC_BACKGROUND, static_cast<LPARAM>(StyledColorToGdi(clBtnFace)));
    SendMessageW(window, MCM_SETCOLOR, MCSC_MONTHBK, static_cast<LPARAM>(StyledColorToGdi(Color())));
    SendMessageW(window, MCM_SETCOLOR, MCSC_TEXT, static_cast<LPARAM>(StyledColorToGdi(clWindowText)));
    SendMessageW(window, MCM_SETCOLOR, MCSC_TITLEBK, static_cast<LPARAM>(StyledColorToGdi(clHighlight)));
    SendMessageW(window, MCM_SETCOLOR, MCSC_TITLETEXT, static_cast<LPARAM>(StyledColorToGdi(clHighlightText)));
    SendMessageW(window, MCM_SETCOLOR, MCSC_TRAILINGTEXT, static_cast<LPARAM>(StyledColorToGdi(clGrayText)));
}

void TMonthCalendar::Dispatch(TMessage& message)
{
    if (message.Msg == CN_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        const UINT code = header ? header->code : 0;
        if (code == MCN_SELCHANGE || code == MCN_SELECT) {
            const auto* change = reinterpret_cast<const NMSELCHANGE*>(message.LParam);
            TDateTime day = 0;
            if (FromSystemTime(change->stSelStart, day) && day != date_) {
                date_ = day;
                Change();
            }
            if (code == MCN_SELECT) Click();
            message.Result = 0;
            return;
        }
    }
    if (message.Msg == WM_PAINT || message.Msg == CM_STYLECHANGED || message.Msg == CM_COLORCHANGED) {
        // A style chosen while the window exists reaches it at its next painting at the latest.
        if (appliedColors_ != CLR_INVALID || TStyleManager::IsCustomStyleActive()) UpdateColors();
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------

void RegisterComCtrlsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    if (!IsPublishedClass(L"TCollectionItem")) RegisterPublishedClass(L"TCollectionItem", L"TPersistent");
    const UnicodeString p = L"TStatusPanel";
    RegisterPublishedClass(p, L"TCollectionItem");
    RegisterPublishedProperty(p, StrProp(L"Text", &TStatusPanel::Text, &TStatusPanel::SetText, UnicodeString()));
    RegisterPublishedProperty(p, OrdProp(L"Width", pkInteger, &TStatusPanel::Width, &TStatusPanel::SetWidth, int64_t{50}));

    const UnicodeString s = L"TStatusBar";
    RegisterPublishedClass(s, L"TWinControl");
    RegisterPublishedProperty(s, ObjProp(L"Panels", &TStatusBar::Panels));
    RegisterPublishedProperty(s, OrdProp(L"SimplePanel", pkBool, &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, int64_t{0}));
    RegisterPublishedProperty(s, StrProp(L"SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText, UnicodeString()));
    RegisterPublishedProperty(s, OrdProp(L"SizeGrip", pkBool, &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, int64_t{1}));
    RegisterComponentClass<TStatusBar>(s);

    const UnicodeString t = L"TTabSheet";
    RegisterPublishedClass(t, L"TWinControl");
    RegisterPublishedProperty(t, ObjProp(L"PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl,
                                         L"Page control expected", TNilObject::Pass));
    RegisterPublishedProperty(t, OrdProp(L"TabVisible", pkBool, &TTabSheet::TabVisible, &TTabSheet::SetTabVisible, int64_t{1}));
    RegisterPublishedProperty(t, OrdProp(L"ImageIndex", pkInteger, &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex, int64_t{-1}));
    RegisterPublishedProperty(t, OrdProp(L"PageIndex", pkInteger, &TTabSheet::PageIndex, &TTabSheet::SetPageIndex));
    RegisterPublishedProperty(t, EventProp(L"OnShow", &TTabSheet::OnShow));
    RegisterPublishedProperty(t, EventProp(L"OnHide", &TTabSheet::OnHide));
    RegisterComponentClass<TTabSheet>(t);

    const UnicodeString c = L"TPageControl";
    RegisterPublishedClass(c, L"TWinControl");
    RegisterPublishedProperty(c, ObjProp(L"ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage,
                                         L"Tab sheet expected", TNilObject::Pass));
    RegisterPublishedProperty(c, ObjProp(L"Images", &TPageControl::Images, &TPageControl::SetImages,
                                         L"Image list expected", TNilObject::Pass));
    RegisterPublishedProperty(c, EventProp(L"OnChange", &TPageControl::OnChange));
    RegisterPublishedProperty(c, EventProp(L"OnChanging", &TPageControl::OnChanging));
    RegisterComponentClass<TPageControl>(c);

    static const TEnumTypeInfo dayInfo{{L"dowMonday", L"dowTuesday", L"dowWednesday", L"dowThursday", L"dowFriday",
                                        L"dowSaturday", L"dowSunday", L"dowLocaleDefault"},
                                       0};
    const UnicodeString m = L"TMonthCalendar";
    RegisterPublishedClass(m, L"TWinControl");
    RegisterPublishedProperty(m, OrdProp(L"FirstDayOfWeek", pkEnum, &TMonthCalendar::FirstDayOfWeek,
                                         &TMonthCalendar::SetFirstDayOfWeek, int64_t{dowLocaleDefault}, &dayInfo));
    RegisterPublishedProperty(m, EventProp(L"OnChange", &TMonthCalendar::OnChange));
    RegisterComponentClass<TMonthCalendar>(m);
}
