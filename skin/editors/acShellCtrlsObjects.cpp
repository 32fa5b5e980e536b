// The shell layer: item ID lists, attributes, names, binding, roots and TacShellFolder.
#include "acShellCtrls.h"

#include "DateUtils.h"
#include "Files.h"
#include "Forms.h"
#include "ShellExecute.h"
#include "SysUtils.h"
#include "acntUtils.h"

#include <shlwapi.h>

#include <cstring>
#include <cwchar>

const std::array<int, acRootFolderCount> nFolder = {
    CSIDL_DESKTOP,        CSIDL_DRIVES,         CSIDL_NETWORK,           CSIDL_BITBUCKET,  CSIDL_APPDATA,
    CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_STARTUP,
    CSIDL_CONTROLS,       CSIDL_DESKTOPDIRECTORY, CSIDL_FAVORITES,       CSIDL_FONTS,      CSIDL_INTERNET,
    CSIDL_PERSONAL,       CSIDL_PRINTERS,       CSIDL_PRINTHOOD,         CSIDL_PROGRAMS,   CSIDL_RECENT,
    CSIDL_SENDTO,         CSIDL_STARTMENU,      CSIDL_STARTUP,           CSIDL_TEMPLATES,
};

const std::array<const wchar_t*, acRootFolderCount> acRootFolderNames = {
    L"rfDesktop",       L"rfMyComputer",       L"rfNetwork",   L"rfRecycleBin", L"rfAppData",
    L"rfCommonDesktopDirectory", L"rfCommonPrograms", L"rfCommonStartMenu", L"rfCommonStartup",
    L"rfControlPanel",  L"rfDesktopDirectory", L"rfFavorites", L"rfFonts",      L"rfInternet",
    L"rfPersonal",      L"rfPrinters",         L"rfPrintHood", L"rfPrograms",   L"rfRecent",
    L"rfSendTo",        L"rfStartMenu",        L"rfStartup",   L"rfTemplates",
};

bool RootFolderFromName(const UnicodeString& name, TacRootFolder& root)
{
    for (int i = 0; i < acRootFolderCount; ++i)
        if (SameText(name, acRootFolderNames[static_cast<size_t>(i)])) {
            root = static_cast<TacRootFolder>(i);
            return true;
        }
    return false;
}

bool DoOpenZipFile = true;
bool DontFoldersGenerate = false;
bool UseAllFolderAttributes = true;
HIMAGELIST SysSmallImages = nullptr;
TsAlphaImageList* SysSmallImageList = nullptr;
TComPtr<IContextMenu2> ActiveContextMenu2;

namespace {

TComPtr<IMalloc> ShellMalloc()
{
    TComPtr<IMalloc> malloc;
    OleCheck(SHGetMalloc(malloc.PutAddress()));
    return malloc;
}

const SHITEMID* Item(PCUIDLIST_RELATIVE id) { return reinterpret_cast<const SHITEMID*>(id); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Item ID lists

PItemIDList AllocPIDL(UINT size)
{
    auto* id = static_cast<PItemIDList>(ShellMalloc()->Alloc(size));
    if (id) std::memset(id, 0, size);
    return id;
}

PItemIDList NextItemID(PCUIDLIST_RELATIVE id)
{
    auto* bytes = reinterpret_cast<const BYTE*>(id);
    return reinterpret_cast<PItemIDList>(const_cast<BYTE*>(bytes + Item(id)->cb));
}

void StripLastItemID(PItemIDList id)
{
    if (!id || id->mkid.cb == 0) return;
    PItemIDList last = id;
    for (PItemIDList next = NextItemID(last); next->mkid.cb != 0; next = NextItemID(next)) last = next;
    last->mkid.cb = 0;
}

int ItemIDCount(PCUIDLIST_RELATIVE id)
{
    int count = 0;
    if (!id) return 0;
    for (; Item(id)->cb != 0; id = NextItemID(id)) ++count;
    return count;
}

UINT PIDLSize(PCUIDLIST_RELATIVE id)
{
    if (!id) return 0;
    UINT size = sizeof(USHORT);
    for (; Item(id)->cb != 0; id = NextItemID(id)) size += Item(id)->cb;
    return size;
}

PItemIDList DuplicatePIDL(PCUIDLIST_RELATIVE id)
{
    const UINT size = PIDLSize(id);
    if (size == 0) return nullptr;
    PItemIDList copy = AllocPIDL(size);
    if (copy) std::memcpy(copy, id, size);
    return copy;
}

PItemIDList JoinPIDLs(PCUIDLIST_RELATIVE id1, PCUIDLIST_RELATIVE id2)
{
    const UINT size1 = id1 ? PIDLSize(id1) - sizeof(USHORT) : 0;
    const UINT size2 = PIDLSize(id2);
    PItemIDList joined = AllocPIDL(size1 + (size2 ? size2 : sizeof(USHORT)));
    if (!joined) return nullptr;
    if (size1) std::memcpy(joined, id1, size1);
    if (size2) std::memcpy(reinterpret_cast<BYTE*>(joined) + size1, id2, size2);
    return joined;
}

PItemIDList LastItemIDOf(PCUIDLIST_RELATIVE id)
{
    if (!id) return nullptr;
    int count = ItemIDCount(id);
    while (count-- > 1) id = NextItemID(id);
    return DuplicatePIDL(id);
}

std::vector<PItemIDList> AncestorPIDLList(PCUIDLIST_ABSOLUTE id)
{
    std::vector<PItemIDList> list;
    const int count = ItemIDCount(id);
    PItemIDList prefix = DuplicatePIDL(id);
    if (!prefix) return list;
    // Strip from the end; each shorter prefix is one ancestor further up.
    for (int i = count; i > 0; --i) {
        StripLastItemID(prefix);
        list.insert(list.begin(), DuplicatePIDL(prefix));
    }
    DisposePIDL(prefix);
    return list;
}

void FreePIDLList(std::vector<PItemIDList>& list)
{
    for (PItemIDList id : list) DisposePIDL(id);
    list.clear();
}

bool SamePIDLs(PCUIDLIST_ABSOLUTE id1, PCUIDLIST_ABSOLUTE id2)
{
    // CompareIDs answers in the low word; Wine reports -1 as 0xFFFF there.
    const HRESULT result = DesktopShellFolder()->CompareIDs(0, id1, id2);
    return SUCCEEDED(result) && static_cast<short>(HRESULT_CODE(result)) == 0;
}

void DisposePIDL(PItemIDList id)
{
    if (id) ShellMalloc()->Free(id);
}

TComPtr<IShellFolder> DesktopShellFolder()
{
    TComPtr<IShellFolder> folder;
    OleCheck(SHGetDesktopFolder(folder.PutAddress()));
    return folder;
}

PItemIDList DesktopPIDL()
{
    PItemIDList id = nullptr;
    OleCheck(SHGetSpecialFolderLocation(nullptr, nFolder[rfDesktop], &id));
    return id;
}

// ---------------------------------------------------------------------------------------------
// Attributes

namespace {

SFGAOF AttributesOf(IShellFolder* parentFolder, PCUITEMID_CHILD id, SFGAOF mask)
{
    if (!parentFolder || !id) return 0;
    SFGAOF attributes = mask;
    if (FAILED(parentFolder->GetAttributesOf(1, &id, &attributes))) return 0;
    return attributes & mask;
}

} // namespace

TacShellFolderCapabilities CapabilitiesOf(IShellFolder* parentFolder, PCUITEMID_CHILD id)
{
    const SFGAOF a = AttributesOf(parentFolder, id, 0x177);
    TacShellFolderCapabilities result;
    if (a & SFGAO_CANCOPY) result << fcCanCopy;
    if (a & SFGAO_CANDELETE) result << fcCanDelete;
    if (a & SFGAO_CANLINK) result << fcCanLink;
    if (a & SFGAO_CANMOVE) result << fcCanMove;
    if (a & SFGAO_CANRENAME) result << fcCanRename;
    if (a & SFGAO_DROPTARGET) result << fcDropTarget;
    if (a & SFGAO_HASPROPSHEET) result << fcHasPropSheet;
    return result;
}

TacShellFolderProperties PropertiesOf(IShellFolder* parentFolder, PCUITEMID_CHILD id)
{
    const SFGAOF first = AttributesOf(parentFolder, id, UseAllFolderAttributes ? 0xFC000 : 0x38000);
    const SFGAOF second = AttributesOf(parentFolder, id,
                                       SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE | SFGAO_VALIDATE);
    TacShellFolderProperties result;
    if (first & SFGAO_GHOSTED) result << fpCut;
    if (first & SFGAO_LINK) result << fpIsLink;
    if (first & SFGAO_READONLY) result << fpReadOnly;
    if (first & SFGAO_SHARE) result << fpShared;
    if (second & SFGAO_FILESYSTEM) result << fpFileSystem;
    if (second & SFGAO_FILESYSANCESTOR) result << fpFileSystemAncestor;
    if (second & SFGAO_REMOVABLE) result << fpRemovable;
    if (second & SFGAO_VALIDATE) result << fpValidate;
    return result;
}

bool AttrIsFolder(IShellFolder* f, PCUITEMID_CHILD id) { return AttributesOf(f, id, SFGAO_FOLDER) != 0; }
bool AttrIsLink(IShellFolder* f, PCUITEMID_CHILD id) { return AttributesOf(f, id, SFGAO_LINK) != 0; }
bool AttrIsReadOnly(IShellFolder* f, PCUITEMID_CHILD id) { return AttributesOf(f, id, SFGAO_READONLY) != 0; }
bool AttrHasSubFolders(IShellFolder* f, PCUITEMID_CHILD id) { return AttributesOf(f, id, SFGAO_HASSUBFOLDER) != 0; }

bool AttrIsFileFolder(IShellFolder* f, PCUITEMID_CHILD id)
{
    return AttributesOf(f, id, SFGAO_FILESYSTEM) != 0 && AttrIsFolder(f, id) && !AttrIsLink(f, id);
}

bool AttrIsFile(IShellFolder* f, PCUITEMID_CHILD id)
{
    return AttributesOf(f, id, SFGAO_FILESYSTEM) != 0 && !AttrIsFolder(f, id) && !AttrIsLink(f, id);
}

SHCONTF ObjectTypesToEnumFlags(TacShellObjectTypes types)
{
    SHCONTF flags = 0;
    if (types.Contains(otFolders)) flags |= SHCONTF_FOLDERS;
    if (types.Contains(otNonFolders)) flags |= SHCONTF_NONFOLDERS;
    if (types.Contains(otHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
    return flags;
}

DWORD FiltersToNotifyFlags(TacNotifyFilters filters)
{
    static constexpr DWORD kFlags[] = {FILE_NOTIFY_CHANGE_FILE_NAME, FILE_NOTIFY_CHANGE_DIR_NAME,
                                       FILE_NOTIFY_CHANGE_ATTRIBUTES, FILE_NOTIFY_CHANGE_SIZE,
                                       FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_SECURITY};
    DWORD flags = 0;
    for (int f = nfFileNameChange; f <= nfSecurityChange; ++f)
        if (filters.Contains(static_cast<TacNotifyFilter>(f))) flags |= kFlags[f];
    return flags;
}

bool EnumHasItems(IShellFolder* folder, SHCONTF flags)
{
    if (!folder) return false;
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    bool result = false;
    TComPtr<IEnumIDList> items;
    if (SUCCEEDED(folder->EnumObjects(nullptr, flags, items.PutAddress())) && items) {
        PITEMID_CHILD id = nullptr;
        ULONG fetched = 0;
        result = items->Next(1, &id, &fetched) == S_OK;
        if (id) CoTaskMemFree(id);
    }
    SetErrorMode(oldMode);
    return result;
}

int GetShellImage(PCIDLIST_ABSOLUTE absoluteID, bool large, bool open)
{
    if (!acSHGetFileInfo) return 0;
    UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX;
    if (open) flags |= SHGFI_OPENICON;
    if (!large) flags |= SHGFI_SMALLICON;
    SHFILEINFOW info{};
    acSHGetFileInfo(reinterpret_cast<const wchar_t*>(absoluteID), 0, &info, sizeof info, flags);
    return info.iIcon;
}

// ---------------------------------------------------------------------------------------------
// Names

static_assert(sizeof(STRRET) == 272);

UnicodeString StrRetToText(PCUITEMID_CHILD id, STRRET& strRet)
{
    UnicodeString text;
    switch (strRet.uType) {
    case STRRET_WSTR:
        if (strRet.pOleStr) {
            text = strRet.pOleStr;
            CoTaskMemFree(strRet.pOleStr);
            strRet.pOleStr = nullptr;
        }
        break;
    case STRRET_OFFSET: {
        // An 8-bit string inside the item: never read past the item's own byte count.
        if (!id || strRet.uOffset >= Item(id)->cb) break;
        const char* start = reinterpret_cast<const char*>(id) + strRet.uOffset;
        const size_t room = Item(id)->cb - strRet.uOffset;
        text = AnsiToUnicode(AnsiString(start, strnlen(start, room)));
        break;
    }
    case STRRET_CSTR:
        text = AnsiToUnicode(AnsiString(strRet.cStr, strnlen(strRet.cStr, sizeof strRet.cStr)));
        break;
    default:
        break;
    }
    if (text.size() > 1 && text[0] == L'?' && iswdigit(text[1])) std::erase(text, L'?');
    return text;
}

UnicodeString GetDisplayName(IShellFolder* parentFolder, PCUITEMID_CHILD id, DWORD flags, TacShowExtension showExt)
{
    if (!parentFolder) return L"parentfolder = nil";
    UnicodeString name;
    STRRET strRet{};
    if (SUCCEEDED(parentFolder->GetDisplayNameOf(id, flags, &strRet))) name = StrRetToText(id, strRet);
    if (showExt != seSystem) {
        const UnicodeString ext1 = ExtractFileExt(name);
        STRRET parsing{};
        if (SUCCEEDED(parentFolder->GetDisplayNameOf(id, SHGDN_FORPARSING, &parsing))) {
            const UnicodeString parsingName = StrRetToText(id, parsing);
            if (FileExists(parsingName)) {
                const UnicodeString ext2 = ExtractFileExt(parsingName);
                if (showExt == seShow) {
                    if (ext1 != ext2) name += ext2;
                } else if (!ext1.empty()) {
                    name.resize(name.size() - ext1.size());
                }
            }
        }
    }
    // A class identifier: ask for the plain name, once.
    if (flags != SHGDN_NORMAL && name.starts_with(L"::{"))
        return GetDisplayName(parentFolder, id, SHGDN_NORMAL, showExt);
    return name;
}

// ---------------------------------------------------------------------------------------------
// Binding

TComPtr<IShellFolder> BindToFolder(IShellFolder* parent, PCUIDLIST_RELATIVE id, HWND wnd)
{
    TComPtr<IShellFolder> folder;
    if (parent) {
        if (SUCCEEDED(parent->BindToObject(id, nullptr, IID_IShellFolder, folder.PutVoid())) && folder) return folder;
        PCUITEMID_CHILD child = id;
        if (SUCCEEDED(parent->GetUIObjectOf(wnd, 1, &child, IID_IShellFolder, nullptr, folder.PutVoid())) && folder)
            return folder;
        if (SUCCEEDED(parent->CreateViewObject(wnd, IID_IShellFolder, folder.PutVoid())) && folder) return folder;
    }
    if (SUCCEEDED(DesktopShellFolder()->BindToObject(id, nullptr, IID_IShellFolder, folder.PutVoid())) && folder)
        return folder;
    return {};
}

TComPtr<IShellDetails> BindToShellDetails(IShellFolder* folder, PCUIDLIST_RELATIVE id, HWND wnd)
{
    TComPtr<IShellDetails> details;
    if (folder) {
        if (SUCCEEDED(folder->BindToObject(id, nullptr, IID_IShellDetails, details.PutVoid())) && details)
            return details;
        PCUITEMID_CHILD child = id;
        if (SUCCEEDED(folder->GetUIObjectOf(wnd, 1, &child, IID_IShellDetails, nullptr, details.PutVoid())) && details)
            return details;
        if (SUCCEEDED(folder->CreateViewObject(wnd, IID_IShellDetails, details.PutVoid())) && details) return details;
    }
    if (SUCCEEDED(DesktopShellFolder()->BindToObject(id, nullptr, IID_IShellDetails, details.PutVoid())) && details)
        return details;
    return {};
}

TComPtr<IShellFolder2> BindToShellFolder2(IShellFolder* folder, PCUIDLIST_RELATIVE id, HWND wnd)
{
    if (WinMajorVer() < 5) return {};
    TComPtr<IShellFolder2> folder2;
    if (SUCCEEDED(DesktopShellFolder()->BindToObject(id, nullptr, IID_IShellFolder2, folder2.PutVoid())) && folder2)
        return folder2;
    if (folder) {
        PCUITEMID_CHILD child = id;
        if (SUCCEEDED(folder->GetUIObjectOf(wnd, 1, &child, IID_IShellFolder2, nullptr, folder2.PutVoid())) && folder2)
            return folder2;
        if (SUCCEEDED(folder->BindToObject(id, nullptr, IID_IShellFolder2, folder2.PutVoid())) && folder2)
            return folder2;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Roots

std::unique_ptr<TacShellFolder> CreateRootFromPIDL(PCIDLIST_ABSOLUTE absoluteID)
{
    const TComPtr<IShellFolder> desktop = DesktopShellFolder();
    TComPtr<IShellFolder> folder = BindToFolder(desktop.Get(), absoluteID, nullptr);
    if (!folder) folder = desktop;
    return std::make_unique<TacShellFolder>(nullptr, absoluteID, std::move(folder));
}

std::unique_ptr<TacShellFolder> CreateRootFolder(std::unique_ptr<TacShellFolder>& oldRootFolder, const TacRoot& oldRoot,
                                                 TacRoot& newRoot)
{
    PItemIDList id = nullptr;
    HRESULT result = E_FAIL;
    TacRootFolder root;
    if (RootFolderFromName(newRoot, root)) {
        result = SHGetSpecialFolderLocation(nullptr, nFolder[root], &id);
    } else if (!newRoot.empty()) {
        newRoot = NormalDir(newRoot);
        if (newRoot.ends_with(L":")) newRoot += L"\\";
        UnicodeString path = ExpandFileName(newRoot);
        ULONG eaten = 0;
        result = DesktopShellFolder()->ParseDisplayName(nullptr, nullptr, path.data(), &eaten, &id, nullptr);
    }
    if (FAILED(result) || !id) {
        if (id) CoTaskMemFree(id);
        const UnicodeString message = Format(UnicodeString(L"Error Setting Path: %s"), newRoot);
        newRoot = oldRoot;
        throw Exception(message);
    }
    std::unique_ptr<TacShellFolder> folder;
    try {
        folder = CreateRootFromPIDL(id);
    } catch (...) {
        CoTaskMemFree(id);
        throw;
    }
    CoTaskMemFree(id);
    oldRootFolder.reset();
    return folder;
}

[[noreturn]] void RaiseNoDetails(TacShellFolder* folder, DWORD code)
{
    throw Exception(Format(UnicodeString(L"Unable to retrieve folder details for \"%s\". Error code $%x"),
                           folder->DisplayName(seSystem), static_cast<unsigned>(code)));
}
