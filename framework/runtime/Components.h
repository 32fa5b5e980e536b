#pragma once
// Component model: ownership trees with names and free notifications, and collections of
// persistent items.
//
// C++ runs destructors from the most derived class down, so by the time ~TComponent frees the
// owned components the owner's derived parts are already gone and its Notification override is
// no longer reached. A derived class whose owned components still use its state while they die
// (a window that parents its owned controls) calls DestroyComponents() in its own destructor.
#include "Objects.h"
#include "Sets.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TComponent;
class TCollection;
class TCollectionItem;
class TReader;
class TWriter;

// Events are plain callables; an empty one is "not assigned".
using TNotifyEvent = std::function<void(TObject* sender)>;

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,         // never set: there is no designer at run time
    csFreeNotification,  // another component asked to hear about this one's destruction
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleFlag>;

class TComponent : public TPersistent {
public:
    // The owner (may be null) takes the new component and frees it in its destructor.
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    UnicodeString ClassName() const override { return L"TComponent"; }

    TComponent* Owner() const { return owner_; }

    const UnicodeString& Name() const { return name_; }
    // Raises EComponentError for a name that is no identifier or that a sibling already has
    // (compared without regard to case). An empty name is always allowed.
    virtual void SetName(const UnicodeString& name);

    // Pointer-sized user value. Reads and writes are atomic, so one thread may use it as a flag
    // that another thread sets.
    intptr_t Tag() const { return tag_.load(); }
    void SetTag(intptr_t value) { tag_.store(value); }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;  // EListError outside 0..ComponentCount-1
    int ComponentIndex() const;               // position in the owner's list, -1 without owner
    // The owned component with that name (without regard to case), or null.
    TComponent* FindComponent(const UnicodeString& name) const;

    TComponentState ComponentState() const { return state_; }
    TComponentStyle ComponentStyle() const { return style_; }

    // Makes this component part of its owner's published state (written inline, not as a
    // separate component).
    void SetSubComponent(bool isSubComponent);

    // Takes component into this owner's list (removing it from its previous owner's) and
    // tells every component of this owner (opInsert).
    void InsertComponent(TComponent* component);
    // Releases component from this owner's list without freeing it, telling the owned
    // components (opRemove).
    void RemoveComponent(TComponent* component);
    // Frees the owned components, the last one first.
    void DestroyComponents();

    // Asks that component be told (Notification opRemove) when this component is destroyed.
    // Components of the same owner hear about each other through the owner already.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Sets csDestroying on this component and all it owns.
    void Destroying();

    // Called after the component's properties were read from a stored state; clears csLoading.
    virtual void Loaded();
    // The form reader hands a component the one whose definition encloses it (a control takes
    // it as its parent, a menu item as its parent item). The default ignores it.
    virtual void SetParentComponent(TComponent*) {}

protected:
    // The default clears a free notification link to a component being removed and passes the
    // notification on to every owned component.
    virtual void Notification(TComponent* component, TOperation operation);

    TPersistent* GetOwner() const override { return owner_; }

private:
    friend class TReader;  // the form reader and writer set csLoading/csReading/csWriting
    friend class TWriter;

    void IncludeState(TComponentStateFlag flag) { state_.Include(flag); }
    void ExcludeState(TComponentStateFlag flag) { state_.Exclude(flag); }
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void ValidateRename(TComponent* component, const UnicodeString& oldName,
                        const UnicodeString& newName) const;
    void RemoveNotification(TComponent* component);

    TComponent* owner_ = nullptr;
    UnicodeString name_;
    std::atomic<intptr_t> tag_{0};
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentState state_;
    TComponentStyle style_{csInheritable};
};

// Builds a new, unattached item; the collection takes it. Stands in for the framework's item
// class reference: TCollection coll(TCollection::ItemClass<TMyItem>()).
using TCollectionItemClass = std::function<std::unique_ptr<TCollectionItem>()>;

class TCollectionItem : public TPersistent {
public:
    TCollectionItem() = default;
    // Freeing an item removes it from its collection.
    ~TCollectionItem() override;

    UnicodeString ClassName() const override { return L"TCollectionItem"; }

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (or out of any, with null).
    void SetCollection(TCollection* collection);

    int ID() const { return id_; }
    int Index() const;  // -1 outside a collection
    // Moves the item within its collection; raises EListError outside 0..Count-1.
    virtual void SetIndex(int index);

    UnicodeString DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const UnicodeString& value);
    // The default is the class name.
    virtual UnicodeString GetDisplayName() const;

protected:
    // Tells the collection that this item (allItems false) or every item changed.
    void Changed(bool allItems);
    TPersistent* GetOwner() const override;

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass itemClass, TPersistent* owner = nullptr);
    ~TCollection() override;

    template <class Item>
    static TCollectionItemClass ItemClass()
    {
        return [] { return std::unique_ptr<TCollectionItem>(std::make_unique<Item>()); };
    }

    UnicodeString ClassName() const override { return L"TCollection"; }

    TCollectionItem* Add();
    TCollectionItem* Insert(int index);  // 0..Count
    void Delete(int index);              // frees the item
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const;  // EListError outside 0..Count-1
    TCollectionItem* FindItemID(int id) const;

    // Changes between BeginUpdate and the last EndUpdate call Update once, at the end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    TPersistent* Owner() const { return owner_; }

    // Replaces the items with copies of another collection's (each item's Assign copies).
    void Assign(const TPersistent* source) override;

protected:
    // item is the changed item, or null when the whole collection changed.
    virtual void Update(TCollectionItem* item);
    void Changed();
    TPersistent* GetOwner() const override { return owner_; }

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item, int index);
    void RemoveItem(TCollectionItem* item);

    TCollectionItemClass itemClass_;
    TPersistent* owner_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
    int nextId_ = 0;
};
