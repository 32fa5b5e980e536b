#pragma once
// A server's open connections: one context per connection, kept in a list that is locked for
// every look at it.
#include "IdIOHandler.h"

#include <memory>
#include <mutex>
#include <vector>

class TIdContext : public TObject {
public:
    explicit TIdContext(std::unique_ptr<TIdTCPConnection> connection) : connection_(std::move(connection)) {}

    UnicodeString ClassName() const override { return L"TIdContext"; }

    TIdTCPConnection* Connection() const { return connection_.get(); }

private:
    std::unique_ptr<TIdTCPConnection> connection_;
};

// The contexts as seen under the lock. The list does not own them; a context stays valid while
// it is in the list and the list is locked.
class TIdContextList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TIdContext* Items(int index) const;  // EListError outside 0..Count-1
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class TIdContextThreadList;
    std::vector<TIdContext*> items_;
};

class TIdContextThreadList {
public:
    // Locks the list (the same thread may lock it again) and returns it; pair with UnlockList.
    TIdContextList* LockList()
    {
        mutex_.lock();
        return &list_;
    }
    void UnlockList() { mutex_.unlock(); }

    // Used by the server when a connection starts and ends.
    void Add(TIdContext* context);
    void Remove(TIdContext* context);

private:
    std::recursive_mutex mutex_;
    TIdContextList list_;
};
