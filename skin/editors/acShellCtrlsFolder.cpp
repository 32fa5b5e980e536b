// TacShellFolder: one item of the shell namespace.
#include "acShellCtrls.h"

#include "DateUtils.h"
#include "Files.h"
#include "Forms.h"
#include "ShellExecute.h"
#include "SysUtils.h"
#include "acShellCtrlsInternal.h"
#include "acntUtils.h"

static_assert(sizeof(SHELLEXECUTEINFOW) == 112);

namespace {
std::unique_ptr<TacShellFolder> desktopFolder;
} // namespace

TacShellFolder* acDesktopFolder() { return desktopFolder.get(); }

void acSetDesktopFolder(std::unique_ptr<TacShellFolder> folder) { desktopFolder = std::move(folder); }

TacShellFolder::TacShellFolder(TacShellFolder* parent, PCUIDLIST_RELATIVE id, TComPtr<IShellFolder> shellFolder)
    : FParent(parent), FIShellFolder(std::move(shellFolder))
{
    if (parent) {
        FFullPIDL = JoinPIDLs(parent->FFullPIDL, id);
    } else {
        PItemIDList desktop = DesktopPIDL();
        FFullPIDL = JoinPIDLs(desktop, id);
        DisposePIDL(desktop);
        FParent = desktopFolder.get();
    }
    FPIDL = DuplicatePIDL(id);
    for (TacShellFolder* p = parent; p && p->FParent; p = p->FParent) ++FLevel;
}

TacShellFolder::~TacShellFolder()
{
    DisposePIDL(FPIDL);
    DisposePIDL(FFullPIDL);
}

TComPtr<IShellFolder> TacShellFolder::ParentShellFolder() const
{
    if (FParent) return FParent->FIShellFolder;
    return DesktopShellFolder();
}

TacShellFolderCapabilities TacShellFolder::Capabilities() const
{
    return CapabilitiesOf(ParentShellFolder().Get(), FPIDL);
}

TacShellFolderProperties TacShellFolder::Properties() const { return PropertiesOf(ParentShellFolder().Get(), FPIDL); }
bool TacShellFolder::SubFolders() const { return AttrHasSubFolders(ParentShellFolder().Get(), FPIDL); }
bool TacShellFolder::IsFileFolder() const { return AttrIsFileFolder(ParentShellFolder().Get(), FPIDL); }
bool TacShellFolder::IsReadOnly() const { return AttrIsReadOnly(ParentShellFolder().Get(), FPIDL); }

namespace {
bool IsZipName(const UnicodeString& name, bool openZipFiles)
{
    return !openZipFiles && LowerCase(ExtractFileExt(name)) == L".zip";
}
} // namespace

bool TacShellFolder::IsFolder(const UnicodeString& name, bool openZipFiles) const
{
    if (IsZipName(name, openZipFiles)) return false;
    return AttrIsFolder(ParentShellFolder().Get(), FPIDL);
}

bool TacShellFolder::IsFile(const UnicodeString& name, bool openZipFiles) const
{
    if (IsZipName(name, openZipFiles)) return true;
    return AttrIsFile(ParentShellFolder().Get(), FPIDL);
}

UnicodeString TacShellFolder::PathName() const
{
    return GetDisplayName(DesktopShellFolder().Get(), FFullPIDL, SHGDN_FORPARSING, seSystem);
}

UnicodeString TacShellFolder::DisplayName(TacShowExtension showExt) const
{
    TComPtr<IShellFolder> parentFolder;
    try {
        parentFolder = FParent ? ParentShellFolder() : DesktopShellFolder();
    } catch (const Exception&) {
        return L"?";
    }
    if (!parentFolder) return L"?";
    return GetDisplayName(parentFolder.Get(), FPIDL, SHGDN_INFOLDER, showExt);
}

int TacShellFolder::ImageIndex(bool largeIcon) const { return GetShellImage(FFullPIDL, largeIcon, false); }

bool TacShellFolder::ExecuteDefault() const
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = Application ? Application->Handle() : nullptr;
    info.lpIDList = FFullPIDL;
    info.nShow = SW_SHOW;
    return acShellExecuteEx(&info) != FALSE;
}

bool TacShellFolder::Rename(const UnicodeString& newName)
{
    if (!Capabilities().Contains(fcCanRename)) return false;
    PITEMID_CHILD newID = nullptr;
    const TComPtr<IShellFolder> parentFolder = ParentShellFolder();
    if (!parentFolder || FAILED(parentFolder->SetNameOf(nullptr, FPIDL, newName.c_str(), SHGDN_NORMAL, &newID)) ||
        !newID) {
        if (newID) CoTaskMemFree(newID);
        throw Exception(Format(UnicodeString(L"Rename to %s failed"), newName));
    }
    // The shell allocates the new ID with the task allocator, which is the shell allocator.
    DisposePIDL(FPIDL);
    DisposePIDL(FFullPIDL);
    FPIDL = newID;
    FFullPIDL = FParent ? JoinPIDLs(FParent->FFullPIDL, FPIDL) : DuplicatePIDL(FPIDL);
    return true;
}

TComPtr<IUnknown> TacShellFolder::GetDetailInterface()
{
    if (!FDetailInterface && FIShellFolder) {
        FIShellDetails = BindToShellDetails(FIShellFolder.Get(), FFullPIDL, FViewHandle);
        if (!FIShellDetails && WinMajorVer() >= 5) {
            FIShellFolder2 = BindToShellFolder2(FIShellFolder.Get(), FFullPIDL, FViewHandle);
            // Only a folder that answers for IShellFolder2 is one.
            if (!FIShellFolder2) FIShellFolder2 = FIShellFolder.As<IShellFolder2>();
        }
        if (FIShellFolder2) FDetailInterface = FIShellFolder2.As<IUnknown>();
        else if (FIShellDetails) FDetailInterface = FIShellDetails.As<IUnknown>();
    }
    return FDetailInterface;
}

TComPtr<IShellDetails> TacShellFolder::GetShellDetails()
{
    if (!FDetailInterface) GetDetailInterface();
    return FIShellDetails;
}

TComPtr<IShellFolder2> TacShellFolder::GetShellFolder2()
{
    if (!FDetailInterface) GetDetailInterface();
    return FIShellFolder2;
}

void TacShellFolder::LoadColumnDetails(TacShellFolder* rootFolder, HWND wnd, int columnCount)
{
    if (!rootFolder || FDetails.Count() >= columnCount) return;
    FDetails.Clear();
    FViewHandle = wnd;
    if (const TComPtr<IShellFolder2> folder2 = rootFolder->GetShellFolder2()) {
        for (int column = 1; column <= columnCount; ++column) {
            SHELLDETAILS details{};
            if (SUCCEEDED(folder2->GetDetailsOf(FPIDL, static_cast<UINT>(column), &details)))
                FDetails.Add(StrRetToText(FPIDL, details.str));
            else
                FDetails.Add(L"");
        }
        return;
    }
    if (const TComPtr<IShellDetails> shellDetails = rootFolder->GetShellDetails()) {
        for (int column = 1; column <= columnCount; ++column) {
            SHELLDETAILS details{};
            if (SUCCEEDED(shellDetails->GetDetailsOf(FPIDL, static_cast<UINT>(column), &details)))
                FDetails.Add(StrRetToText(FPIDL, details.str));
            else
                FDetails.Add(L"");
        }
        return;
    }
    if (!Properties().Contains(fpFileSystem)) return;
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileW(PathName().c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) RaiseNoDetails(this, GetLastError());
    FindClose(find);
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    for (int column = 1; column <= columnCount; ++column) {
        switch (column) {
        case 1: {
            const long long size = folder ? -1 : static_cast<long long>((ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
            FDetails.Add(IntToStr(size));
            break;
        }
        case 2:
            FDetails.Add(data.cFileName);
            break;
        case 3: {
            if (folder) {
                FDetails.Add(L"-1");
                break;
            }
            FILETIME local{};
            SYSTEMTIME st{};
            TDateTime when = 0;
            if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &st) &&
                TryEncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, when))
                FDetails.Add(DateTimeToStr(when));
            else
                FDetails.Add(L"");
            break;
        }
        case 4:
            FDetails.Add(IntToStr(data.dwFileAttributes));
            break;
        default:
            FDetails.Add(L"");
            break;
        }
    }
}

UnicodeString TacShellFolder::GetDetails(int index) const
{
    if (FDetails.Count() == 0)
        throw Exception(Format(UnicodeString(L"%s: Missing call to LoadColumnDetails"), DisplayName(seSystem)));
    return FDetails[index - 1];
}

void TacShellFolder::SetDetails(int index, const UnicodeString& value)
{
    if (index <= FDetails.Count()) FDetails.SetStrings(index - 1, value);
    else FDetails.Insert(index - 1, value);
}
