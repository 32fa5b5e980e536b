// Start-up and shut-down of the shell unit.
#include "acShellCtrls.h"

#include "FormReader.h"
#include "TypInfo.h"
#include "acAlphaImageList.h"
#include "acShellCtrlsInternal.h"
#include "acntUtils.h"

#include <commctrl.h>

namespace {
bool oleInitialised = false;

// The notifier's published properties (none has a default, so each is always stored).
void RegisterNotifierClass()
{
    static const TEnumTypeInfo kFilters{{L"nfFileNameChange", L"nfDirNameChange", L"nfAttributeChange",
                                         L"nfSizeChange", L"nfWriteChange", L"nfSecurityChange"}};
    using N = TacCustomShellChangeNotifier;
    const UnicodeString name = L"TacShellChangeNotifier";
    RegisterPublishedClass(L"TacCustomShellChangeNotifier", L"TComponent");
    RegisterPublishedClass(name, L"TacCustomShellChangeNotifier");
    RegisterPublishedProperty(name, OrdProp(L"NotifyFilters", pkSet, &N::NotifyFilters, &N::SetFilters, std::nullopt, &kFilters));
    RegisterPublishedProperty(name, StrProp(L"Root", &N::Root, &N::SetRoot));
    RegisterPublishedProperty(name, OrdProp(L"WatchSubTree", pkBool, &N::WatchSubTree, &N::SetWatchSubTree));
    TPropInfo onChange;
    onChange.Name = L"OnChange";
    onChange.Kind = pkEvent;
    onChange.SetEvent = [](TPersistent* p, const std::any& handler) {
        auto* notifier = dynamic_cast<N*>(p);
        if (!notifier) return;
        if (!handler.has_value()) {
            notifier->SetOnChange(nullptr);
            return;
        }
        const auto* event = std::any_cast<TacChangeEvent>(&handler);
        if (!event) throw EPropertyError(L"Handler does not fit event 'OnChange'");
        notifier->SetOnChange(*event);
    };
    RegisterPublishedProperty(name, std::move(onChange));
    RegisterComponentClass<TacShellChangeNotifier>(name);
}
} // namespace

void acShellCtrlsInitialization()
{
    InitSysProc();
    RegisterNotifierClass();
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
