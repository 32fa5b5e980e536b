#include "sSkinManagerStartup.h"

#include "Files.h"
#include "Forms.h"
#include "Strings.h"
#include "acUnitCounter.h"

#include <windows.h>

bool IsNT = false;
std::array<std::unique_ptr<TacSkinData>, 4> StdScaleArray;

namespace {

TacUnitCounter unitCounter;

void InitIsNT()
{
    static_assert(sizeof(OSVERSIONINFOW) == 276);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    IsNT = GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void CreateStdScaleArray()
{
    // Least body: for now each level gets an empty skin data. The skin data class adds its PPI
    // (aPPIArray[i]), its scale index i and LoadParams, which give the built-in metrics.
    for (std::unique_ptr<TacSkinData>& data : StdScaleArray) data = std::make_unique<TacSkinData>();
}

// Shows the version at the first parameter that is "/acver" in any case.
void CheckVersionSwitch()
{
    for (int i = 1; i <= ParamCount(); ++i)
        if (LowerCase(ParamStr(i)) == L"/acver") {
            if (Application) Application->MessageBox(acLibraryVersionText, Application->Title(), MB_OK);
            break;
        }
}

} // namespace

void sSkinManagerInitialization()
{
    if (!unitCounter.StartUp()) return;
    InitIsNT();
    CreateStdScaleArray();
    CheckVersionSwitch();
}

void sSkinManagerFinalization()
{
    if (!unitCounter.ShutDown()) return;
    for (std::unique_ptr<TacSkinData>& data : StdScaleArray) data.reset();
}
