#include "IdSocketHandle.h"

#include "Exceptions.h"

TIdSocketHandle* TIdSocketHandles::Add()
{
    auto handle = std::make_unique<TIdSocketHandle>();
    handle->SetPort(defaultPort_);
    items_.push_back(std::move(handle));
    return items_.back().get();
}

TIdSocketHandle* TIdSocketHandles::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return items_[static_cast<size_t>(index)].get();
}
