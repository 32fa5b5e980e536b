// The list view: SysListView32 with the layer's columns, items, small images and colours. The
// window is filled again from the collections whenever they change, so it never shows a column
// or item the collections do not hold.
#include "ComCtrls.h"

#include "Themes.h"

namespace {

constexpr DWORD ViewStyleBits(TViewStyle style)
{
    switch (style) {
    case vsSmallIcon: return LVS_SMALLICON;
    case vsList: return LVS_LIST;
    case vsReport: return LVS_REPORT;
    default: return LVS_ICON;
    }
}

int ColumnFormat(const TListColumn& column)
{
    int fmt = column.Alignment() == taRightJustify ? LVCFMT_RIGHT : column.Alignment() == taCenter ? LVCFMT_CENTER
                                                                                                      : LVCFMT_LEFT;
    if (column.ImageIndex() >= 0) fmt |= LVCFMT_IMAGE;
    return fmt;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Columns

void TListColumn::SetCaption(const UnicodeString& value)
{
    if (value == caption_) return;
    caption_ = value;
    Changed(false);
}

void TListColumn::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    Changed(false);
}

void TListColumn::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    Changed(false);
}

void TListColumn::SetWidth(int value)
{
    if (value == width_) return;
    width_ = value;
    Changed(false);
}

void TListColumn::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TListColumn*>(source)) {
        caption_ = other->caption_;
        alignment_ = other->alignment_;
        imageIndex_ = other->imageIndex_;
        width_ = other->width_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

TListColumns::TListColumns(TListView* owner) : TCollection(ItemClass<TListColumn>(), owner), listView_(owner) {}

void TListColumns::Update(TCollectionItem*) { listView_->UpdateColumns(); }

// ---------------------------------------------------------------------------------------------
// Items

TListItem::TListItem() : subItems_(std::make_unique<TStringList>())
{
    subItems_->OnChange = [this](TObject*) { Changed(false); };
}

void TListItem::SetCaption(const UnicodeString& value)
{
    if (value == caption_) return;
    caption_ = value;
    Changed(false);
}

void TListItem::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    Changed(false);
}

void TListItem::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TListItem*>(source)) {
        caption_ = other->caption_;
        imageIndex_ = other->imageIndex_;
        subItems_->Assign(other->subItems_.get()); // reports the change itself
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

TListItems::TListItems(TListView* owner) : TCollection(ItemClass<TListItem>(), owner), listView_(owner) {}

void TListItems::Update(TCollectionItem* item)
{
    if (auto* listItem = dynamic_cast<TListItem*>(item))
        listView_->UpdateItem(listItem);
    else
        listView_->UpdateItems();
}

// ---------------------------------------------------------------------------------------------
// The list view

TListView::TListView(TComponent* owner)
    : TWinControl(owner), columns_(std::make_unique<TListColumns>(this)), items_(std::make_unique<TListItems>(this))
{
    SetControlStyle({csCaptureMouse, csDoubleClicks});
    SetColor(clWindow);
    SetBounds(Left(), Top(), 250, 150);
    SetTabStop(true);
}

TListView::~TListView()
{
    // The collections' updates must not reach a half-destroyed control.
    items_.reset();
    columns_.reset();
}

void TListView::SetViewStyle(TViewStyle value)
{
    if (value == viewStyle_) return;
    viewStyle_ = value;
    if (!HandleAllocated()) return;
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | ViewStyleBits(value));
}

void TListView::SetSmallImages(TCustomImageList* value)
{
    if (value == smallImages_) return;
    if (smallImages_) smallImages_->RemoveFreeNotification(this);
    smallImages_ = value;
    if (smallImages_) smallImages_->FreeNotification(this);
    if (HandleAllocated())
        SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
                     reinterpret_cast<LPARAM>(smallImages_ ? smallImages_->Handle() : nullptr));
}

void TListView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == smallImages_) SetSmallImages(nullptr);
}

void TListView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_LISTVIEWW);
    params.Style |= ViewStyleBits(viewStyle_) | LVS_SHAREIMAGELISTS | WS_TABSTOP;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd()
{
    TWinControl::CreateWnd();
    if (smallImages_)
        SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
    UpdateColors();
    UpdateColumns();
    UpdateItems();
}

void TListView::CMColorChanged(TMessage& message)
{
    TWinControl::CMColorChanged(message);
    UpdateColors();
}

void TListView::CMFontChanged(TMessage& message)
{
    TWinControl::CMFontChanged(message);
    UpdateColors();
}

void TListView::UpdateColors()
{
    if (!HandleAllocated()) return;
    const auto back = static_cast<LPARAM>(StyledColorToGdi(Color()));
    SendMessageW(Handle(), LVM_SETBKCOLOR, 0, back);
    SendMessageW(Handle(), LVM_SETTEXTBKCOLOR, 0, back);
    SendMessageW(Handle(), LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(StyledColorToGdi(Font()->Color())));
    Invalidate();
}

void TListView::UpdateColumns()
{
    if (!HandleAllocated() || !columns_) return;
    const HWND wnd = Handle();
    while (SendMessageW(wnd, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int i = 0; i < columns_->Count(); ++i) {
        const TListColumn& column = *columns_->Items(i);
        UnicodeString caption = column.Caption();
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | (column.ImageIndex() >= 0 ? LVCF_IMAGE : 0);
        lvc.fmt = ColumnFormat(column);
        lvc.cx = column.Width();
        lvc.pszText = caption.data();
        lvc.iSubItem = i;
        lvc.iImage = column.ImageIndex();
        SendMessageW(wnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lvc));
    }
    // Sub-item texts of new columns.
    if (items_)
        for (int i = 0; i < items_->Count(); ++i) UpdateItem(items_->Items(i));
}

void TListView::UpdateItems()
{
    if (!HandleAllocated() || !items_) return;
    const HWND wnd = Handle();
    SendMessageW(wnd, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < items_->Count(); ++i) {
        const TListItem& item = *items_->Items(i);
        UnicodeString caption = item.Caption();
        LVITEMW lvi{};
        lvi.mask = LVIF_TEXT | LVIF_IMAGE;
        lvi.iItem = i;
        lvi.pszText = caption.data();
        lvi.iImage = item.ImageIndex();
        SendMessageW(wnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
        UpdateItem(items_->Items(i));
    }
}

void TListView::UpdateItem(TListItem* item)
{
    if (!HandleAllocated() || !item || !columns_) return;
    const HWND wnd = Handle();
    const int index = item->Index();
    if (index < 0 || index >= static_cast<int>(SendMessageW(wnd, LVM_GETITEMCOUNT, 0, 0))) return;
    UnicodeString caption = item->Caption();
    LVITEMW lvi{};
    lvi.mask = LVIF_TEXT | LVIF_IMAGE;
    lvi.iItem = index;
    lvi.pszText = caption.data();
    lvi.iImage = item->ImageIndex();
    SendMessageW(wnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
    for (int sub = 1; sub < columns_->Count(); ++sub) {
        UnicodeString text = sub - 1 < item->SubItems()->Count() ? item->SubItems()->Strings(sub - 1) : UnicodeString();
        LVITEMW s{};
        s.mask = LVIF_TEXT;
        s.iItem = index;
        s.iSubItem = sub;
        s.pszText = text.data();
        SendMessageW(wnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&s));
    }
}
