// Window procedures bound to an object's message method: a small executable stub per instance
// loads the instance's address into the first argument register and jumps to one shared
// procedure, which finds the method beside the stub.
#include "Controls.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

// One slot of an executable page: the stub, then the method it calls.
struct alignas(16) Instance {
    std::uint8_t code[32];
    TWndMethod method;
    Instance* nextFree;
};

constexpr std::size_t PageSize = 4096;
constexpr std::size_t SlotsPerPage = PageSize / sizeof(Instance);
static_assert(SlotsPerPage > 0);

std::mutex& InstanceLock()
{
    static std::mutex lock;
    return lock;
}
Instance*& FreeList()
{
    static Instance* head = nullptr;
    return head;
}

// Receives the instance in place of the window handle (the record carries no handle).
LRESULT CALLBACK InstanceProc(Instance* instance, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Copied first: the method may free the instance, which is not touched afterwards.
    TWndMethod method = instance->method;
    if (!method) return 0;
    TMessage message{msg, wParam, lParam, 0};
    try {
        method(message);
    } catch (...) {
        HandleCallbackException(method.Object());
        return 0;
    }
    return message.Result;
}

void WriteStub(Instance& slot)
{
    // mov rcx, imm64 (the instance); mov rax, imm64 (InstanceProc); jmp rax
    std::uint8_t* p = slot.code;
    const std::uint64_t self = reinterpret_cast<std::uintptr_t>(&slot);
    const std::uint64_t target = reinterpret_cast<std::uintptr_t>(&InstanceProc);
    *p++ = 0x48;
    *p++ = 0xB9;
    std::memcpy(p, &self, 8);
    p += 8;
    *p++ = 0x48;
    *p++ = 0xB8;
    std::memcpy(p, &target, 8);
    p += 8;
    *p++ = 0xFF;
    *p++ = 0xE0;
    std::memset(p, 0xCC, static_cast<std::size_t>(slot.code + sizeof(slot.code) - p));
}

Instance* TakeSlot()
{
    Instance*& head = FreeList();
    if (!head) {
        void* page = VirtualAlloc(nullptr, PageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        if (!page) throw std::bad_alloc();
        auto* slots = static_cast<Instance*>(page);
        for (std::size_t i = 0; i < SlotsPerPage; ++i) {
            auto* slot = new (&slots[i]) Instance{};
            WriteStub(*slot);
            slot->nextFree = head;
            head = slot;
        }
        FlushInstructionCache(GetCurrentProcess(), page, PageSize);
    }
    Instance* slot = head;
    head = slot->nextFree;
    slot->nextFree = nullptr;
    return slot;
}

} // namespace

WNDPROC MakeObjectInstance(TWndMethod method)
{
    if (!method) return nullptr;
    std::lock_guard guard(InstanceLock());
    Instance* slot = TakeSlot();
    slot->method = method;
    return reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(slot->code));
}

void FreeObjectInstance(WNDPROC instance)
{
    if (!instance) return;
    auto* slot = reinterpret_cast<Instance*>(reinterpret_cast<void*>(instance));
    std::lock_guard guard(InstanceLock());
    // The stub stays in place (pages are never given back), so a late caller reaches a
    // method-less instance only if the slot is reused; callers free an instance only once no
    // window can call it.
    slot->method = TWndMethod();
    slot->nextFree = FreeList();
    FreeList() = slot;
}
