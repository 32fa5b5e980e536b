// Start-up and shut-down of the shell unit.
#include "acShellCtrls.h"

#include "acAlphaImageList.h"
#include "acShellCtrlsInternal.h"
#include "acntUtils.h"

#include <commctrl.h>

namespace {
bool oleInitialised = false;
} // namespace

void acShellCtrlsInitialization()
{
    InitSysProc();
    try {
        PItemIDList desktop = DesktopPIDL();
        try {
            acSetDesktopFolder(std::make_unique<TacShellFolder>(nullptr, desktop, DesktopShellFolder()));
        } catch (...) {
            DisposePIDL(desktop);
            throw;
        }
        DisposePIDL(desktop);
    } catch (const Exception&) {
        // Without a desktop ID the items hang below no desktop item.
    }
    oleInitialised = SUCCEEDED(OleInitialize(nullptr));
    if (acSHGetFileInfo) {
        SHFILEINFOW info{};
        SysSmallImages = reinterpret_cast<HIMAGELIST>(
            acSHGetFileInfo(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        if (SysSmallImages) {
            SysSmallImageList = new TsAlphaImageList(nullptr);
            SysSmallImageList->SetShareImages(true);
            SysSmallImageList->SetHandle(SysSmallImages);
            ImageList_SetBkColor(SysSmallImages, CLR_NONE);
        }
    }
}

void acShellCtrlsFinalization()
{
    // Every worker ends before OLE goes.
    acFreeChangeThreads();
    acSetDesktopFolder(nullptr);
    if (oleInitialised) OleUninitialize();
    oleInitialised = false;
    delete SysSmallImageList;
    SysSmallImageList = nullptr;
    SysSmallImages = nullptr;
    ActiveContextMenu2.Reset();
}
