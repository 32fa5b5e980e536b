// The shell's context menu of an item and its verbs.
#include "acShellCtrls.h"

#include "Controls.h"

#include <array>
#include <cstring>

// The platform's x64 layout, never the 32-bit sizes.
static_assert(sizeof(CMINVOKECOMMANDINFO) == 56);

void InvokeContextMenu(TWinControl* owner, TacShellFolder* folder, int x, int y)
{
    if (!owner || !folder) return;
    const HWND wnd = owner->Handle();
    const TComPtr<IShellFolder> parentFolder = folder->ParentShellFolder();
    if (!parentFolder) return;
    TComPtr<IContextMenu> menu;
    PCUITEMID_CHILD id = folder->RelativeID();
    if (FAILED(parentFolder->GetUIObjectOf(wnd, 1, &id, IID_IContextMenu, nullptr, menu.PutVoid())) || !menu) return;

    const TPoint at = owner->ClientToScreen(TPoint{x, y});
    const HMENU popup = CreatePopupMenu();
    if (!popup) return;
    try {
        menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME);
        ActiveContextMenu2 = menu.As<IContextMenu2>();
        const int command = static_cast<int>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.X, at.Y, 0, wnd, nullptr));
        ActiveContextMenu2.Reset();
        if (command > 0) {
            std::array<char, 256> buffer{};
            if (FAILED(menu->GetCommandString(static_cast<UINT_PTR>(command - 1), GCS_VERBA, nullptr, buffer.data(),
                                              static_cast<UINT>(buffer.size()))))
                buffer[0] = '\0';
            buffer.back() = '\0';
            const UnicodeString verb = AnsiToUnicode(buffer.data());
            bool handled = false;
            auto* commandVerb = dynamic_cast<IacShellCommandVerb*>(owner);
            if (commandVerb) commandVerb->ExecuteCommand(verb, handled);
            HRESULT result = S_OK;
            if (!handled) {
                CMINVOKECOMMANDINFO info{};
                info.cbSize = sizeof info;
                info.hwnd = wnd;
                info.lpVerb = MAKEINTRESOURCEA(command - 1);
                info.nShow = SW_SHOWNORMAL;
                result = menu->InvokeCommand(&info);
            }
            if (commandVerb) commandVerb->CommandCompleted(verb, handled || result == S_OK);
        }
    } catch (...) {
        ActiveContextMenu2.Reset();
        DestroyMenu(popup);
        throw;
    }
    DestroyMenu(popup);
}

void InvokeFolderVerb(TacShellFolder* folder, const AnsiString& verb)
{
    if (!folder) return;
    const TComPtr<IShellFolder> parentFolder = folder->ParentShellFolder();
    if (!parentFolder) return;
    TComPtr<IContextMenu> menu;
    PCUITEMID_CHILD id = folder->RelativeID();
    if (FAILED(parentFolder->GetUIObjectOf(nullptr, 1, &id, IID_IContextMenu, nullptr, menu.PutVoid())) || !menu) return;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_ASYNCOK;
    info.lpVerb = verb.c_str();
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
}
