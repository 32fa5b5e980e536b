#include "Components.h"

#include "Exceptions.h"

#include <algorithm>

namespace {

[[noreturn]] void ListIndexError(int index)
{
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

bool IsIdentStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); }

bool IsValidIdent(const UnicodeString& name)
{
    return !name.empty() && IsIdentStart(name[0]) && std::all_of(name.begin(), name.end(), IsIdentChar);
}

void Erase(std::vector<TComponent*>& list, TComponent* component)
{
    // Last occurrence first: removals during destruction usually hit the end of the list.
    auto it = std::find(list.rbegin(), list.rend(), component);
    if (it != list.rend()) list.erase(std::next(it).base());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* owner)
{
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    // A throwing Notification override must not escape a destructor; the bookkeeping below
    // finishes regardless, so no list keeps a pointer to this component.
    Destroying();
    while (!freeNotifies_.empty()) {
        TComponent* client = freeNotifies_.back();
        freeNotifies_.pop_back();
        client->RemoveNotification(this);
        try { client->Notification(this, opRemove); } catch (...) {}
    }
    while (!components_.empty()) {
        try { DestroyComponents(); } catch (...) {}
    }
    if (owner_) {
        try {
            owner_->RemoveComponent(this);
        } catch (...) {
            if (owner_) owner_->Remove(this);
        }
    }
}

void TComponent::SetName(const UnicodeString& name)
{
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError(L"'" + name + L"' is not a valid component name");
    if (owner_) owner_->ValidateRename(this, name_, name);
    name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const UnicodeString& oldName,
                                const UnicodeString& newName) const
{
    if (component && component->owner_ == this && !SameText(oldName, newName)) {
        const TComponent* other = FindComponent(newName);
        if (other && other != component)
            throw EComponentError(L"A component named " + newName + L" already exists");
    }
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount()) ListIndexError(index);
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const UnicodeString& name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::SetSubComponent(bool isSubComponent)
{
    if (isSubComponent) style_.Include(csSubComponent);
    else style_.Exclude(csSubComponent);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this) return;
    // Checked before the component leaves its old owner, so a clash leaves it where it was.
    if (FindComponent(component->name_))
        throw EComponentError(L"A component named " + component->name_ + L" already exists");
    if (component->owner_) component->owner_->RemoveComponent(component);
    Insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this) return;
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    Erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* instance = components_.back();
        // Siblings that asked about this one hear of it through the owner's notification.
        try {
            if (instance->state_.Contains(csFreeNotification)) RemoveComponent(instance);
        } catch (...) {
            if (instance->owner_ == this) Remove(instance);
            delete instance;
            throw;
        }
        if (instance->owner_ == this) Remove(instance);
        delete instance;
    }
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (!owner_ || component->owner_ != owner_) {
        if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
            freeNotifies_.push_back(component);
        if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
            component->freeNotifies_.end())
            component->freeNotifies_.push_back(this);
    }
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component) return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
    Erase(freeNotifies_, component);
}

void TComponent::Loaded()
{
    state_.Exclude(csLoading);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // By index from the end: a handler may free components of this owner.
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        if (i >= ComponentCount()) continue;
        components_[static_cast<size_t>(i)]->Notification(component, operation);
    }
}

// ---------------------------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::~TCollectionItem()
{
    if (!collection_) return;
    try {
        SetCollection(nullptr);
    } catch (...) {
        // Update of the collection failed; the item is out of the list already.
    }
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == collection_) return;
    if (collection_) collection_->RemoveItem(this);
    if (collection) {
        collection->InsertItem(this, collection->Count());
        collection->Changed();
    }
}

int TCollectionItem::Index() const
{
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || current == index) return;
    auto& items = collection_->items_;
    if (index < 0 || index >= static_cast<int>(items.size())) ListIndexError(index);
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const UnicodeString&)
{
    Changed(false);
}

UnicodeString TCollectionItem::GetDisplayName() const
{
    return ClassName();
}

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const
{
    return collection_;
}

// ---------------------------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TCollectionItemClass itemClass, TPersistent* owner)
    : itemClass_(std::move(itemClass)), owner_(owner)
{
}

TCollection::~TCollection()
{
    updateCount_ = 1; // no Update calls while dying
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add()
{
    return Insert(Count());
}

TCollectionItem* TCollection::Insert(int index)
{
    if (index < 0 || index > Count()) ListIndexError(index);
    if (!itemClass_) throw EListError(L"Collection has no item class");
    std::unique_ptr<TCollectionItem> item = itemClass_();
    InsertItem(item.get(), index);
    TCollectionItem* result = item.release();
    Changed();
    return result;
}

void TCollection::Delete(int index)
{
    delete Items(index);
}

void TCollection::Clear()
{
    if (items_.empty()) return;
    BeginUpdate();
    try {
        while (!items_.empty()) delete items_.back();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::EndUpdate()
{
    if (updateCount_ > 0) --updateCount_;
    Changed();
}

void TCollection::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return; // clearing first would lose the items being copied
    BeginUpdate();
    try {
        Clear();
        for (const TCollectionItem* item : other->items_) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*)
{
}

void TCollection::Changed()
{
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item, int index)
{
    items_.insert(items_.begin() + index, item);
    item->collection_ = this;
    item->id_ = nextId_++;
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it != items_.end()) items_.erase(it);
    item->collection_ = nullptr;
    Changed();
}
