#include "IdContext.h"

#include "Exceptions.h"

#include <algorithm>

TIdContext* TIdContextList::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return items_[static_cast<size_t>(index)];
}

void TIdContextThreadList::Add(TIdContext* context)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    list_.items_.push_back(context);
}

void TIdContextThreadList::Remove(TIdContext* context)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto& items = list_.items_;
    items.erase(std::remove(items.begin(), items.end(), context), items.end());
}
