#include "sDefaults.h"

#include "Forms.h"
#include "acUnitCounter.h"

#include <windows.h>

namespace {
TacUnitCounter counter;
}

void sDefaultsInitialization()
{
    if (!counter.StartUp()) return;
    // Bound by name: systems before Vista lack it.
    HMODULE user32 = LoadLibraryW(L"user32.dll");
    if (!user32) return;
    using TSetProcessDPIAware = BOOL(WINAPI*)();
    const auto setProcessDPIAware =
        reinterpret_cast<TSetProcessDPIAware>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
    const TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
    if (setProcessDPIAware && !(mainForm && mainForm->ClassName() == L"TAppBuilder")) setProcessDPIAware();
    FreeLibrary(user32);
}

void sDefaultsFinalization() { counter.ShutDown(); }
