#pragma once
// The shell layer of the shell controls (tree view, list view, combo box): item ID lists, the
// attribute and display-name routines, the special roots, one namespace item (TacShellFolder),
// the shell context menu with the owner's command interface, and the change notifier with its
// worker thread. Item ID lists made here come from the shell allocator and go back to it through
// DisposePIDL. Everything runs on the main thread except the notifier's worker, which only waits
// and hands each change to the main thread.
#include "ComObj.h"
#include "Components.h"
#include "Sets.h"
#include "StringList.h"
#include "Strings.h"
#include "Threads.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TWinControl;
class TsAlphaImageList;

using PItemIDList = ITEMIDLIST*;

enum TacShellFolderCapability { fcCanCopy, fcCanDelete, fcCanLink, fcCanMove, fcCanRename, fcDropTarget, fcHasPropSheet };
using TacShellFolderCapabilities = TSet<TacShellFolderCapability>;

enum TacShellFolderProperty {
    fpCut,
    fpIsLink,
    fpReadOnly,
    fpShared,
    fpFileSystem,
    fpFileSystemAncestor,
    fpRemovable,
    fpValidate
};
using TacShellFolderProperties = TSet<TacShellFolderProperty>;

enum TacShellObjectType { otFolders, otNonFolders, otHidden };
using TacShellObjectTypes = TSet<TacShellObjectType>;

enum TacShowExtension { seSystem, seShow, seHide };

enum TacNotifyFilter { nfFileNameChange, nfDirNameChange, nfAttributeChange, nfSizeChange, nfWriteChange, nfSecurityChange };
using TacNotifyFilters = TSet<TacNotifyFilter>;

enum TacRootFolder {
    rfDesktop,
    rfMyComputer,
    rfNetwork,
    rfRecycleBin,
    rfAppData,
    rfCommonDesktopDirectory,
    rfCommonPrograms,
    rfCommonStartMenu,
    rfCommonStartup,
    rfControlPanel,
    rfDesktopDirectory,
    rfFavorites,
    rfFonts,
    rfInternet,
    rfPersonal,
    rfPrinters,
    rfPrintHood,
    rfPrograms,
    rfRecent,
    rfSendTo,
    rfStartMenu,
    rfStartup,
    rfTemplates
};
inline constexpr int acRootFolderCount = rfTemplates + 1;
// The CSIDL of each root.
extern const std::array<int, acRootFolderCount> nFolder;
// The names a Root property holds ("rfDesktop" ...), in the enumeration's order.
extern const std::array<const wchar_t*, acRootFolderCount> acRootFolderNames;
// Finds a root by its name (case-insensitive).
bool RootFolderFromName(const UnicodeString& name, TacRootFolder& root);

// A shell root: a TacRootFolder name or a file-system path.
using TacRoot = UnicodeString;

struct TacFileData {
    UnicodeString Caption;
    int ImageIndex = 0;
};

class TacShellFolder;
using TacAddFolderEvent = std::function<void(TObject* sender, TacShellFolder* folder, bool& canAdd)>;
using TacGetImageIndexEvent = std::function<void(TObject* sender, int index, int& imageIndex)>;

// What a control that shows the shell context menu may do with the chosen verb: handle it itself
// (set handled) or leave it to the shell, and hear how it ended.
class IacShellCommandVerb {
public:
    virtual void ExecuteCommand(const UnicodeString& verb, bool& handled) = 0;
    virtual void CommandCompleted(const UnicodeString& verb, bool succeeded) = 0;

protected:
    ~IacShellCommandVerb() = default;
};
// {7D2A7245-2376-4D33-8008-A130935A2E8B}
inline constexpr GUID IID_IacShellCommandVerb = {0x7D2A7245, 0x2376, 0x4D33, {0x80, 0x08, 0xA1, 0x30, 0x93, 0x5A, 0x2E, 0x8B}};

// Exported settings and the system small-icon list.
extern bool DoOpenZipFile;
extern bool DontFoldersGenerate;
extern bool UseAllFolderAttributes;
extern HIMAGELIST SysSmallImages;
extern TsAlphaImageList* SysSmallImageList;
// Held only while a context menu is open: the shell controls pass menu messages to it.
extern TComPtr<IContextMenu2> ActiveContextMenu2;

// ---------------------------------------------------------------------------------------------
// Item ID lists

PItemIDList AllocPIDL(UINT size);
PItemIDList NextItemID(PCUIDLIST_RELATIVE id);
void StripLastItemID(PItemIDList id);
int ItemIDCount(PCUIDLIST_RELATIVE id);
UINT PIDLSize(PCUIDLIST_RELATIVE id);
PItemIDList DuplicatePIDL(PCUIDLIST_RELATIVE id);
PItemIDList JoinPIDLs(PCUIDLIST_RELATIVE id1, PCUIDLIST_RELATIVE id2);
PItemIDList LastItemIDOf(PCUIDLIST_RELATIVE id);
// New absolute IDs of every ancestor of id, the desktop's empty ID first, the parent's last.
std::vector<PItemIDList> AncestorPIDLList(PCUIDLIST_ABSOLUTE id);
void FreePIDLList(std::vector<PItemIDList>& list);
bool SamePIDLs(PCUIDLIST_ABSOLUTE id1, PCUIDLIST_ABSOLUTE id2);
void DisposePIDL(PItemIDList id);
TComPtr<IShellFolder> DesktopShellFolder();
PItemIDList DesktopPIDL();

// ---------------------------------------------------------------------------------------------
// Attributes, names, images, binding

TacShellFolderCapabilities CapabilitiesOf(IShellFolder* parentFolder, PCUITEMID_CHILD id);
TacShellFolderProperties PropertiesOf(IShellFolder* parentFolder, PCUITEMID_CHILD id);
bool AttrIsFolder(IShellFolder* parentFolder, PCUITEMID_CHILD id);
bool AttrIsLink(IShellFolder* parentFolder, PCUITEMID_CHILD id);
bool AttrIsReadOnly(IShellFolder* parentFolder, PCUITEMID_CHILD id);
bool AttrHasSubFolders(IShellFolder* parentFolder, PCUITEMID_CHILD id);
bool AttrIsFileFolder(IShellFolder* parentFolder, PCUITEMID_CHILD id);
bool AttrIsFile(IShellFolder* parentFolder, PCUITEMID_CHILD id);

SHCONTF ObjectTypesToEnumFlags(TacShellObjectTypes types);
DWORD FiltersToNotifyFlags(TacNotifyFilters filters);
bool EnumHasItems(IShellFolder* folder, SHCONTF flags);
int GetShellImage(PCIDLIST_ABSOLUTE absoluteID, bool large, bool open);
UnicodeString GetDisplayName(IShellFolder* parentFolder, PCUITEMID_CHILD id, DWORD flags, TacShowExtension showExt);
// Takes the text out of a shell string record and frees what the record owns.
UnicodeString StrRetToText(PCUITEMID_CHILD id, STRRET& strRet);

TComPtr<IShellFolder> BindToFolder(IShellFolder* parent, PCUIDLIST_RELATIVE id, HWND wnd);
TComPtr<IShellDetails> BindToShellDetails(IShellFolder* folder, PCUIDLIST_RELATIVE id, HWND wnd);
TComPtr<IShellFolder2> BindToShellFolder2(IShellFolder* folder, PCUIDLIST_RELATIVE id, HWND wnd);

// The item of an absolute ID, with its own folder interface; the caller owns it.
std::unique_ptr<TacShellFolder> CreateRootFromPIDL(PCIDLIST_ABSOLUTE absoluteID);
// The item of newRoot. A bad root raises "Error Setting Path: %s" and sets newRoot back to
// oldRoot, keeping oldRootFolder; on success oldRootFolder is freed.
std::unique_ptr<TacShellFolder> CreateRootFolder(std::unique_ptr<TacShellFolder>& oldRootFolder, const TacRoot& oldRoot,
                                                 TacRoot& newRoot);

// Shows the shell's context menu of folder at (x, y) in owner's client co-ordinates and runs
// the chosen verb, through the owner when it implements IacShellCommandVerb.
void InvokeContextMenu(TWinControl* owner, TacShellFolder* folder, int x, int y);
// Runs verb (e.g. "open") on folder without a menu.
void InvokeFolderVerb(TacShellFolder* folder, const AnsiString& verb);
[[noreturn]] void RaiseNoDetails(TacShellFolder* folder, DWORD code);

// ---------------------------------------------------------------------------------------------
// TacShellFolder: one namespace item. Owns its two IDs and its details, never its parent.

class TacShellFolder : public TObject {
public:
    // id stays the caller's. Without a parent the item hangs below the desktop item.
    TacShellFolder(TacShellFolder* parent, PCUIDLIST_RELATIVE id, TComPtr<IShellFolder> shellFolder);
    ~TacShellFolder() override;
    TacShellFolder(const TacShellFolder&) = delete;
    TacShellFolder& operator=(const TacShellFolder&) = delete;

    UnicodeString ClassName() const override { return L"TacShellFolder"; }

    PItemIDList RelativeID() const { return FPIDL; }
    PItemIDList AbsoluteID() const { return FFullPIDL; }
    int Level() const { return FLevel; }
    TStringList& Details() { return FDetails; }
    HWND ViewHandle() const { return FViewHandle; }
    void SetViewHandle(HWND wnd) { FViewHandle = wnd; }
    TacShellFolder* Parent() const { return FParent; }
    const TComPtr<IShellFolder>& ShellFolder() const { return FIShellFolder; }
    TComPtr<IShellFolder2> ShellFolder2() { return GetShellFolder2(); }

    // The folder holding this item: the parent's own folder, or the desktop's.
    TComPtr<IShellFolder> ParentShellFolder() const;

    TacShellFolderCapabilities Capabilities() const;
    TacShellFolderProperties Properties() const;
    bool SubFolders() const;
    bool IsFileFolder() const;
    bool IsReadOnly() const;
    // A ".zip" name counts as a file (not a folder) when openZipFiles is false.
    bool IsFolder(const UnicodeString& name = {}, bool openZipFiles = true) const;
    bool IsFile(const UnicodeString& name = {}, bool openZipFiles = true) const;

    UnicodeString PathName() const;
    UnicodeString DisplayName(TacShowExtension showExt = seSystem) const;
    int ImageIndex(bool largeIcon) const;
    bool ExecuteDefault() const;
    // Renames the item on disk; false when it cannot be renamed, "Rename to %s failed" raised
    // when the shell refuses.
    bool Rename(const UnicodeString& newName);

    TComPtr<IUnknown> GetDetailInterface();
    TComPtr<IShellDetails> GetShellDetails();
    TComPtr<IShellFolder2> GetShellFolder2();
    void LoadColumnDetails(TacShellFolder* rootFolder, HWND wnd, int columnCount);
    // 1-based.
    UnicodeString GetDetails(int index) const;
    void SetDetails(int index, const UnicodeString& value);

private:
    PItemIDList FPIDL = nullptr;
    PItemIDList FFullPIDL = nullptr;
    int FLevel = 0;
    TStringList FDetails;
    HWND FViewHandle = nullptr;
    TacShellFolder* FParent = nullptr;
    TComPtr<IShellFolder> FIShellFolder;
    TComPtr<IShellFolder2> FIShellFolder2;
    TComPtr<IShellDetails> FIShellDetails;
    TComPtr<IUnknown> FDetailInterface;
};

// The desktop item every parent chain ends at (made at start-up; null before).
TacShellFolder* acDesktopFolder();

// ---------------------------------------------------------------------------------------------
// Change notifier

using TacChangeEvent = std::function<void()>;

// Waits on a change notification of one folder and hands each change to the main thread. The
// wait set also holds a wake event: new options and the end of the notifier wake the worker,
// which reopens its watch itself.
class TacCustomShellChangeNotifier;
void acFreeChangeThreads();

class TacShellChangeThread : public TThread {
public:
    explicit TacShellChangeThread(TacChangeEvent changeEvent);
    ~TacShellChangeThread() override;

    UnicodeString ClassName() const override { return L"TacShellChangeThread"; }

    void SetDirectoryOptions(const UnicodeString& directory, bool watchSubTree, DWORD notifyOptionFlags);
    void SetChangeEvent(TacChangeEvent changeEvent);
    // Wakes the worker so that it sees Terminate.
    void Wake();
    // Whether the change event runs now (on the main thread, the worker waiting for it).
    bool InChangeEvent() const { return FInChangeEvent; }
    // How many watches the worker has opened so far (a change of options opens a new one).
    int WatchesOpened() const { return FWatchesOpened; }

protected:
    void Execute() override;

private:
    bool OpenWatch();
    void CloseWatch();

    HANDLE FWakeEvent = nullptr;
    HANDLE FWaitHandle = INVALID_HANDLE_VALUE;
    TacChangeEvent FChangeEvent;
    UnicodeString FDirectory;
    bool FWatchSubTree = false;
    bool FWaitChanged = false;
    DWORD FNotifyOptionFlags = 0;
    std::atomic<bool> FInChangeEvent{false};
    std::atomic<int> FWatchesOpened{0};
    // The notifier holding this worker (main thread only).
    TacCustomShellChangeNotifier* FNotifier = nullptr;

    friend class TacCustomShellChangeNotifier;
    friend void acFreeChangeThreads();
};

class TacCustomShellChangeNotifier : public TComponent {
public:
    explicit TacCustomShellChangeNotifier(TComponent* owner);
    ~TacCustomShellChangeNotifier() override;

    UnicodeString ClassName() const override { return L"TacCustomShellChangeNotifier"; }

    TacNotifyFilters NotifyFilters() const { return FFilters; }
    void SetFilters(TacNotifyFilters value);
    const TacRoot& Root() const { return FRoot; }
    void SetRoot(const TacRoot& value);
    bool WatchSubTree() const { return FWatchSubTree; }
    void SetWatchSubTree(bool value);
    const TacChangeEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TacChangeEvent value);
    // The worker, while OnChange is assigned.
    TacShellChangeThread* ChangeThread() const { return FThread; }

protected:
    void Change();
    void Start();

private:
    TacNotifyFilters FFilters;
    bool FWatchSubTree = true;
    TacRoot FRoot;
    TacShellChangeThread* FThread = nullptr;
    TacChangeEvent FOnChange;

    friend void acFreeChangeThreads();
};

class TacShellChangeNotifier : public TacCustomShellChangeNotifier {
public:
    using TacCustomShellChangeNotifier::TacCustomShellChangeNotifier;
    UnicodeString ClassName() const override { return L"TacShellChangeNotifier"; }
};

// Worker threads not yet freed (for tests and shut-down).
int acLiveChangeThreadCount();

void acShellCtrlsInitialization();
void acShellCtrlsFinalization();
