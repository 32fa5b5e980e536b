#include "sGraphUtilsSystem.h"

#include "acUnitCounter.h"
#include "sGraphUtilsCheck.h"
#include "sGraphUtilsRotate.h"

namespace {

TacUnitCounter g_unitCounter;
HMODULE g_gdi32 = nullptr;
HMODULE g_user32 = nullptr;
TacSystemEntries g_entries;

template <typename F>
F Bind(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace

const TacSystemEntries& acSystemEntries() { return g_entries; }

TacSystemEntries acReplaceSystemEntries(const TacSystemEntries& entries)
{
    const TacSystemEntries previous = g_entries;
    g_entries = entries;
    return previous;
}

void sGraphUtilsInitialization()
{
    if (!g_unitCounter.StartUp()) return;
    g_gdi32 = LoadLibraryW(L"gdi32.dll");
    g_entries.SetLayout = Bind<TSetLayout>(g_gdi32, "SetLayout");
    g_entries.GetLayout = Bind<TGetLayout>(g_gdi32, "GetLayout");
    g_user32 = LoadLibraryW(L"user32.dll");
    if (!g_entries.UpdateLayeredWindow)
        g_entries.UpdateLayeredWindow = Bind<TUpdateLayeredWindow>(g_user32, "UpdateLayeredWindow");
    if (!g_entries.SetLayeredWindowAttributes)
        g_entries.SetLayeredWindowAttributes = Bind<TSetLayeredWindowAttributes>(g_user32, "SetLayeredWindowAttributes");
    LoadDefaultCheckBoxSize();
}

void sGraphUtilsFinalization()
{
    if (!g_unitCounter.ShutDown()) return;
    FreeSinCosTable();
    g_entries = {};
    if (g_gdi32) FreeLibrary(g_gdi32);
    if (g_user32) FreeLibrary(g_user32);
    g_gdi32 = g_user32 = nullptr;
}
