#include "sSkinManagerStartup.h"

#include "Files.h"
#include "Forms.h"
#include "Strings.h"
#include "acUnitCounter.h"
#include "sConst.h"

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

// The library's built-in metrics per scale level, used while no skin is active. LoadParams scales
// acScrollBtnLength, which sConst's start-up has given its system value by now.
void CreateStdScaleArray()
{
    for (size_t i = 0; i < StdScaleArray.size(); ++i) {
        auto data = std::make_unique<TacSkinData>(nullptr, aPPIArray[i]);
        data->ScaleValue = static_cast<int>(i);
        data->LoadParams();
        StdScaleArray[i] = std::move(data);
    }
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
    RegisterSkinManagerClasses();
    CreateStdScaleArray();
    CheckVersionSwitch();
}

void sSkinManagerFinalization()
{
    if (!unitCounter.ShutDown()) return;
    for (std::unique_ptr<TacSkinData>& data : StdScaleArray) data.reset();
}
