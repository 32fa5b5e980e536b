#pragma once
// Small helpers the provider's source files share (not part of the unit's interface).
#include "Components.h"
#include "Messages.h"
#include "sMessages.h"
#include "sVclUtils.h"

#include <windows.h>

class TsSkinManager;
class TsSkinProvider;

namespace provider_detail {

inline bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}
inline bool IsDestroying(const TComponent* component) { return InState(component, csDestroying); }
inline bool IsDesigning(const TComponent* component) { return InState(component, csDesigning); }
inline bool IsLoading(const TComponent* component) { return InState(component, csLoading); }

// The provider's skin manager (its skin data's, else the default one), or null.
TsSkinManager* ManagerOf(const TsSkinProvider& provider);

// The one place where the provider reads a command's LParam as an address (commands 25, 34, 55
// and 66): null unless the address came with a library send of this thread, so another process
// cannot make the provider write through an address of its choosing.
template <class T>
T* CommandPointer(const TMessage& Message)
{
    return acCommandPointerTrusted(Message) ? reinterpret_cast<T*>(Message.LParam) : nullptr;
}

// The form shows a main menu with at least one item.
bool FormHasMainMenu(const TsSkinProvider& provider);

} // namespace provider_detail
