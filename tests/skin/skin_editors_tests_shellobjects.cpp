// The shell layer: item ID lists, shell string records, items of a temporary folder (names,
// attributes, details, rename), roots, the context menu and verbs, and the change notifier.
#include "../framework/controls_test_support.h"
#include "../framework/runtime_test_tempdir.h"
#include "Files.h"
#include "Forms.h"
#include "PumpUntil.h"
#include "ShellExecute.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "acntUtils.h"
#include "acShellCtrls.h"
#include "skin_editors_test_shell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// An ID list of one item per payload (each item: 16-bit count, payload bytes).
PItemIDList MakeID(const std::vector<std::string>& payloads)
{
    UINT size = sizeof(USHORT);
    for (const std::string& p : payloads) size += static_cast<UINT>(sizeof(USHORT) + p.size());
    PItemIDList id = AllocPIDL(size);
    auto* at = reinterpret_cast<BYTE*>(id);
    for (const std::string& p : payloads) {
        const USHORT cb = static_cast<USHORT>(sizeof(USHORT) + p.size());
        std::memcpy(at, &cb, sizeof cb);
        std::memcpy(at + sizeof cb, p.data(), p.size());
        at += cb;
    }
    return id;
}

std::string Bytes(PCUIDLIST_RELATIVE id)
{
    return std::string(reinterpret_cast<const char*>(id), PIDLSize(id));
}

struct PIDLFree {
    void operator()(ITEMIDLIST* id) const { DisposePIDL(id); }
};
using PIDLPtr = std::unique_ptr<ITEMIDLIST, PIDLFree>;

PIDLPtr ParsePath(const UnicodeString& path)
{
    UnicodeString name = path;
    PIDLIST_RELATIVE id = nullptr;
    ULONG eaten = 0;
    if (FAILED(DesktopShellFolder()->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, &id, nullptr))) return nullptr;
    return PIDLPtr(id);
}

// The shell unit started once for the whole file, and one temporary folder shared by the folder
// tests: note.txt (5 bytes), sub.dir (a folder) and pack.ZIP.
class ShellObjects : public ControlsTest {
protected:
    static void SetUpTestSuite()
    {
        acShellCtrlsInitialization();
        dir = new TestTempDir;
        dir->Write(L"note.txt", std::string("hello"));
        dir->Write(L"pack.ZIP", std::string("PK"));
        CreateDirectoryW(dir->File(L"sub.dir").c_str(), nullptr);
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
        acShellCtrlsFinalization();
    }

    void SetUp() override
    {
        ControlsTest::SetUp();
        PIDLPtr abs = ParsePath(dir->Path());
        ASSERT_TRUE(abs);
        root = CreateRootFromPIDL(abs.get());
    }
    void TearDown() override
    {
        root.reset();
        ControlsTest::TearDown();
    }

    // The child of the root named name, as the shell controls make it.
    std::unique_ptr<TacShellFolder> Child(const UnicodeString& name)
    {
        UnicodeString n = name;
        PIDLIST_RELATIVE rel = nullptr;
        ULONG eaten = 0;
        if (FAILED(root->ShellFolder()->ParseDisplayName(nullptr, nullptr, n.data(), &eaten, &rel, nullptr))) return nullptr;
        PIDLPtr owned(rel);
        return std::make_unique<TacShellFolder>(root.get(), rel, BindToFolder(root->ShellFolder().Get(), rel, nullptr));
    }

    static TestTempDir* dir;
    std::unique_ptr<TacShellFolder> root;
};
TestTempDir* ShellObjects::dir = nullptr;

} // namespace

TEST_F(ShellObjects, IDListRoutines)
{
    PIDLPtr three(MakeID({"a", "bc", "def"}));
    PIDLPtr empty(MakeID({}));
    EXPECT_EQ(ItemIDCount(three.get()), 3);
    EXPECT_EQ(PIDLSize(three.get()), 3u + 4u + 5u + 2u);
    EXPECT_EQ(PIDLSize(empty.get()), 2u);
    EXPECT_EQ(PIDLSize(nullptr), 0u);
    EXPECT_EQ(ItemIDCount(empty.get()), 0);

    PIDLPtr copy(JoinPIDLs(nullptr, three.get()));
    EXPECT_EQ(Bytes(copy.get()), Bytes(three.get()));
    PIDLPtr joined(JoinPIDLs(three.get(), three.get()));
    EXPECT_EQ(ItemIDCount(joined.get()), 6);
    PIDLPtr last(LastItemIDOf(three.get()));
    PIDLPtr def(MakeID({"def"}));
    EXPECT_EQ(Bytes(last.get()), Bytes(def.get()));

    std::vector<PItemIDList> ancestors = AncestorPIDLList(three.get());
    ASSERT_EQ(ancestors.size(), 3u);
    const std::vector<std::vector<std::string>> expected = {{}, {"a"}, {"a", "bc"}};
    for (size_t i = 0; i < 3; ++i) {
        PIDLPtr want(MakeID(expected[i]));
        EXPECT_EQ(Bytes(ancestors[i]), Bytes(want.get())) << i;
    }
    FreePIDLList(ancestors);
    EXPECT_TRUE(ancestors.empty());

    StripLastItemID(copy.get());
    PIDLPtr two(MakeID({"a", "bc"}));
    EXPECT_EQ(Bytes(copy.get()), Bytes(two.get()));
    StripLastItemID(nullptr);

    PIDLPtr folder = ParsePath(dir->Path());
    PIDLPtr again = ParsePath(dir->Path());
    PIDLPtr file = ParsePath(dir->File(L"note.txt"));
    EXPECT_TRUE(SamePIDLs(folder.get(), again.get()));
    EXPECT_FALSE(SamePIDLs(folder.get(), file.get()));
}

TEST_F(ShellObjects, StrRetToTextDecodesAllThreeKinds)
{
    PIDLPtr item(MakeID({std::string("xx?1nm\0yy", 9)}));
    PIDLPtr unterminated(MakeID({"xxabc"}));
    struct Case {
        const char* what;
        UINT type;
        std::string text; // WSTR and CSTR content
        UINT offset;
        ITEMIDLIST* id;
        std::wstring expected;
    };
    const Case cases[] = {
        {"wide", STRRET_WSTR, "?1abc", 0, nullptr, L"1abc"},
        {"wide letter", STRRET_WSTR, "?a", 0, nullptr, L"?a"},
        {"8-bit buffer", STRRET_CSTR, "name.txt", 0, nullptr, L"name.txt"},
        {"8-bit buffer ?digit", STRRET_CSTR, "?2?b", 0, nullptr, L"2b"},
        {"offset in item", STRRET_OFFSET, "", 4, item.get(), L"1nm"},
        {"offset without terminator stops at the item's end", STRRET_OFFSET, "", 4, unterminated.get(), L"abc"},
        {"offset past the item", STRRET_OFFSET, "", 40, item.get(), L""},
    };
    for (const Case& c : cases) {
        STRRET s{};
        s.uType = c.type;
        if (c.type == STRRET_WSTR) {
            const std::wstring w(c.text.begin(), c.text.end());
            s.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((w.size() + 1) * sizeof(wchar_t)));
            std::wmemcpy(s.pOleStr, w.c_str(), w.size() + 1);
        } else if (c.type == STRRET_CSTR) {
            std::memcpy(s.cStr, c.text.c_str(), c.text.size() + 1);
        } else {
            s.uOffset = c.offset;
        }
        EXPECT_EQ(StrRetToText(c.id, s), c.expected) << c.what;
        if (c.type == STRRET_WSTR) {
            EXPECT_EQ(s.pOleStr, nullptr) << c.what << ": the wide string is freed";
        }
    }
}

TEST_F(ShellObjects, NamesWithTheExtensionRule)
{
    auto note = Child(L"note.txt");
    auto sub = Child(L"sub.dir");
    ASSERT_TRUE(note && sub);
    EXPECT_TRUE(SameText(note->PathName(), dir->File(L"note.txt"))) << note->PathName();
    EXPECT_TRUE(SameText(root->PathName(), dir->Path())) << root->PathName();
    // Levels count from below the desktop item, the top of every chain.
    EXPECT_EQ(root->Level(), 0);
    EXPECT_EQ(note->Level(), 1);
    EXPECT_EQ(note->Parent(), root.get());
    EXPECT_EQ(root->Parent(), acDesktopFolder());

    EXPECT_EQ(note->DisplayName(seHide), L"note");
    EXPECT_EQ(note->DisplayName(seShow), L"note.txt");
    EXPECT_TRUE(note->DisplayName(seSystem).starts_with(L"note"));
    // A folder is no file: neither rule applies.
    EXPECT_EQ(sub->DisplayName(seHide), L"sub.dir");
    EXPECT_EQ(sub->DisplayName(seShow), L"sub.dir");
    EXPECT_EQ(GetDisplayName(nullptr, note->RelativeID(), SHGDN_INFOLDER, seSystem), L"parentfolder = nil");

    EXPECT_NE(note->ImageIndex(false), sub->ImageIndex(false)) << "a file and a folder have different icons";

    // A class identifier is asked again with the plain flags, once only.
    PIDLPtr computer;
    {
        PItemIDList id = nullptr;
        ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, nFolder[rfMyComputer], &id)));
        computer.reset(id);
    }
    const UnicodeString computerName = GetDisplayName(DesktopShellFolder().Get(), computer.get(), SHGDN_FORPARSING, seSystem);
    EXPECT_FALSE(computerName.starts_with(L"::{")) << computerName;
    TFakeShellFolder* fake = nullptr;
    const TComPtr<IShellFolder> fakeFolder = NewFakeShellFolder(false, &fake);
    fake->fixedName = L"::{1234}";
    EXPECT_EQ(GetDisplayName(fakeFolder.Get(), note->RelativeID(), SHGDN_INFOLDER, seSystem), L"::{1234}");
    EXPECT_EQ(fake->nameCalls, 2);
}

TEST_F(ShellObjects, ZipRuleAnswersWithoutAskingTheShell)
{
    TFakeShellFolder* fake = nullptr;
    PIDLPtr empty(MakeID({}));
    TacShellFolder fakeRoot(nullptr, empty.get(), NewFakeShellFolder(false, &fake));
    PIDLPtr abs = ParsePath(dir->File(L"pack.ZIP"));
    TacShellFolder zip(&fakeRoot, abs.get(), {});
    fake->attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    EXPECT_FALSE(zip.IsFolder(L"pack.ZIP", false));
    EXPECT_TRUE(zip.IsFile(L"PACK.zip", false));
    EXPECT_EQ(fake->attributeCalls, 0);
    EXPECT_TRUE(zip.IsFolder(L"pack.ZIP", true)) << "with zip files opened the shell decides";
    EXPECT_GT(fake->attributeCalls, 0);
}

TEST_F(ShellObjects, CapabilitiesAndProperties)
{
    auto note = Child(L"note.txt");
    auto sub = Child(L"sub.dir");
    ASSERT_TRUE(note && sub);
    EXPECT_TRUE(note->Capabilities().Contains(fcCanRename));
    EXPECT_TRUE(note->Capabilities().Contains(fcCanCopy));
    EXPECT_TRUE(note->Properties().Contains(fpFileSystem));
    EXPECT_TRUE(note->IsFile());
    EXPECT_FALSE(note->IsFolder());
    EXPECT_TRUE(sub->IsFolder());
    EXPECT_TRUE(sub->IsFileFolder());
    EXPECT_FALSE(note->IsFileFolder());
    EXPECT_TRUE(EnumHasItems(root->ShellFolder().Get(), ObjectTypesToEnumFlags({otFolders, otNonFolders})));
    EXPECT_FALSE(EnumHasItems(sub->ShellFolder().Get(), ObjectTypesToEnumFlags({otFolders, otNonFolders})));
    EXPECT_EQ(FiltersToNotifyFlags({nfFileNameChange, nfSecurityChange}), 0x101u);
}

TEST_F(ShellObjects, DetailsThroughShellFolder2)
{
    const TComPtr<IShellFolder2> folder2 = root->GetShellFolder2();
    ASSERT_TRUE(folder2);
    EXPECT_EQ(root->GetShellDetails(), TComPtr<IShellDetails>()) << "Wine offers no IShellDetails";
    std::vector<std::wstring> headers;
    for (UINT column = 0; column < 5; ++column) {
        SHELLDETAILS d{};
        if (SUCCEEDED(folder2->GetDetailsOf(nullptr, column, &d))) headers.push_back(StrRetToText(nullptr, d.str));
    }
    EXPECT_EQ(headers, (std::vector<std::wstring>{L"File", L"Size", L"Type", L"Modified", L"Attributes"}));

    auto note = Child(L"note.txt");
    ASSERT_TRUE(note);
    try {
        note->GetDetails(1);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find(L": Missing call to LoadColumnDetails"), std::wstring::npos) << e.Message();
    }
    note->LoadColumnDetails(root.get(), nullptr, 4);
    ASSERT_EQ(note->Details().Count(), 4);
    EXPECT_FALSE(note->GetDetails(1).empty()) << "the size";
    EXPECT_FALSE(note->GetDetails(2).empty());

    note->SetDetails(5, L"appended");
    note->SetDetails(1, L"replaced");
    EXPECT_EQ(note->Details().Count(), 5);
    EXPECT_EQ(note->GetDetails(5), L"appended");
    EXPECT_EQ(note->GetDetails(1), L"replaced");
}

TEST_F(ShellObjects, DetailsFromFindDataAndFromShellDetails)
{
    TFakeShellFolder* fake = nullptr;
    PIDLPtr empty(MakeID({}));
    TacShellFolder plainRoot(nullptr, empty.get(), NewFakeShellFolder(false, &fake));
    fake->attributes = SFGAO_FILESYSTEM;
    ASSERT_FALSE(plainRoot.GetDetailInterface()) << "the fake has neither detail interface";

    PIDLPtr noteID = ParsePath(dir->File(L"note.txt"));
    PIDLPtr subID = ParsePath(dir->File(L"sub.dir"));
    TacShellFolder note(&plainRoot, noteID.get(), {});
    TacShellFolder sub(&plainRoot, subID.get(), {});
    note.LoadColumnDetails(&plainRoot, nullptr, 5);
    sub.LoadColumnDetails(&plainRoot, nullptr, 3);
    ASSERT_EQ(note.Details().Count(), 5);
    EXPECT_EQ(note.GetDetails(1), L"5");
    EXPECT_EQ(note.GetDetails(2), L"note.txt");
    EXPECT_FALSE(note.GetDetails(3).empty());
    EXPECT_EQ(note.GetDetails(4), IntToStr(GetFileAttributesW(dir->File(L"note.txt").c_str())));
    EXPECT_EQ(note.GetDetails(5), L"");
    EXPECT_EQ(sub.GetDetails(1), L"-1");
    EXPECT_EQ(sub.GetDetails(2), L"sub.dir");
    EXPECT_EQ(sub.GetDetails(3), L"-1");

    dir->Write(L"brief.txt", std::string("x"));
    PIDLPtr briefID = ParsePath(dir->File(L"brief.txt"));
    TacShellFolder brief(&plainRoot, briefID.get(), {});
    DeleteFileW(dir->File(L"brief.txt").c_str());
    EXPECT_THROW(brief.LoadColumnDetails(&plainRoot, nullptr, 2), Exception) << "no find data: no details";

    TacShellFolder detailRoot(nullptr, empty.get(), NewFakeShellFolder(true));
    ASSERT_TRUE(detailRoot.GetShellDetails());
    EXPECT_FALSE(detailRoot.GetShellFolder2()) << "an IShellFolder is never taken as an IShellFolder2";
    TacShellFolder viaDetails(&detailRoot, noteID.get(), {});
    viaDetails.LoadColumnDetails(&detailRoot, nullptr, 3);
    EXPECT_EQ(viaDetails.GetDetails(1), L"detail 1");
    EXPECT_EQ(viaDetails.GetDetails(3), L"detail 3");
}

TEST_F(ShellObjects, RenameOnDiskAndRefusedRename)
{
    dir->Write(L"old.txt", std::string("1"));
    dir->Write(L"taken.txt", std::string("2"));
    auto item = Child(L"old.txt");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->Rename(L"new.txt"));
    EXPECT_TRUE(FileExists(dir->File(L"new.txt")));
    EXPECT_FALSE(FileExists(dir->File(L"old.txt")));
    EXPECT_EQ(item->DisplayName(seShow), L"new.txt");
    EXPECT_TRUE(SameText(item->PathName(), dir->File(L"new.txt"))) << item->PathName();
    PIDLPtr expected = ParsePath(dir->File(L"new.txt"));
    EXPECT_TRUE(SamePIDLs(item->AbsoluteID(), expected.get()));

    try {
        item->Rename(L"taken.txt");
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Rename to taken.txt failed");
    }
    EXPECT_TRUE(FileExists(dir->File(L"new.txt")));
    DeleteFileW(dir->File(L"new.txt").c_str());
    DeleteFileW(dir->File(L"taken.txt").c_str());
}

TEST_F(ShellObjects, RootsByNameAndByPath)
{
    int made = 0;
    for (int i = 0; i < acRootFolderCount; ++i) {
        auto old = std::make_unique<TacShellFolder>(nullptr, root->AbsoluteID(), root->ShellFolder());
        TacRoot name = acRootFolderNames[static_cast<size_t>(i)];
        const TacRoot asked = name;
        try {
            auto made_ = CreateRootFolder(old, L"old", name);
            ASSERT_TRUE(made_);
            EXPECT_FALSE(old) << "the old root is freed";
            EXPECT_EQ(name, asked);
            ++made;
            if (i == rfDesktop) {
                EXPECT_EQ(ItemIDCount(made_->AbsoluteID()), 0);
            }
        } catch (const Exception& e) {
            // A root the prefix does not provide fails like a bad path.
            EXPECT_EQ(e.Message(), L"Error Setting Path: " + asked);
            EXPECT_EQ(name, L"old");
            EXPECT_TRUE(old);
        }
    }
    EXPECT_GE(made, 3);

    std::unique_ptr<TacShellFolder> old;
    TacRoot path = dir->Path();
    auto byPath = CreateRootFolder(old, L"", path);
    EXPECT_TRUE(SameText(byPath->PathName(), dir->Path()));

    for (const TacRoot& bad : {TacRoot(L"Q:\\no\\such\\folder"), TacRoot()}) {
        TacShellFolder* kept = byPath.get();
        TacRoot name = bad;
        try {
            CreateRootFolder(byPath, dir->Path(), name);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), L"Error Setting Path: " + NormalDir(bad)) << e.Message();
        }
        EXPECT_EQ(name, dir->Path());
        EXPECT_EQ(byPath.get(), kept) << "the old root stays";
    }
}

namespace {

std::vector<SHELLEXECUTEINFOW> executed;
BOOL RecordExecute(SHELLEXECUTEINFOW* info)
{
    executed.push_back(*info);
    return TRUE;
}

// A form that takes the verbs of its context menu when told to.
class TVerbForm : public TForm, public IacShellCommandVerb {
public:
    explicit TVerbForm(TComponent* owner) : TForm(owner) {}
    bool handle = true;
    std::vector<std::wstring> calls;
    void ExecuteCommand(const UnicodeString& verb, bool& handled) override
    {
        calls.push_back(L"execute " + verb);
        handled = handle;
    }
    void CommandCompleted(const UnicodeString& verb, bool succeeded) override
    {
        calls.push_back(L"completed " + verb + (succeeded ? L" ok" : L" failed"));
    }
};

// What the menu timer does: close the menu, or pick the item whose text holds pick.
std::wstring menuPick;
std::vector<std::wstring> menuItems;
void CALLBACK MenuTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    const HWND menuWnd = FindWindowW(L"#32768", nullptr);
    if (!menuWnd || !IsWindowVisible(menuWnd)) return;
    KillTimer(nullptr, id);
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWnd, MN_GETHMENU, 0, 0));
    menuItems.clear();
    wchar_t mnemonic = 0;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        menuItems.push_back(text);
        const std::wstring t = text;
        const size_t amp = t.find(L'&');
        if (!menuPick.empty() && t.find(menuPick) != std::wstring::npos && amp + 1 < t.size()) mnemonic = t[amp + 1];
    }
    if (mnemonic) PostMessageW(menuWnd, WM_CHAR, towlower(mnemonic), 0);
    else EndMenu();
}

bool ClipboardHasFiles()
{
    return IsClipboardFormatAvailable(CF_HDROP) != FALSE;
}

} // namespace

TEST_F(ShellObjects, ContextMenuVerbsAndDefaultAction)
{
    auto note = Child(L"note.txt");
    ASSERT_TRUE(note);
    auto* form = new TVerbForm(Application);
    form->SetBounds(40, 40, 200, 150);
    form->Show();

    // Closed without a choice: the owner hears nothing.
    menuPick.clear();
    SetTimer(nullptr, 0, 20, &MenuTimer);
    InvokeContextMenu(form, note.get(), 10, 10);
    EXPECT_FALSE(menuItems.empty()) << "the shell's menu was shown";
    EXPECT_TRUE(form->calls.empty());
    EXPECT_FALSE(ActiveContextMenu2);

    // A chosen verb goes to the owner first; handled there, the shell does not run it.
    menuPick = L"Copy";
    SetTimer(nullptr, 0, 20, &MenuTimer);
    InvokeContextMenu(form, note.get(), 10, 10);
    EXPECT_EQ(form->calls, (std::vector<std::wstring>{L"execute copy", L"completed copy ok"}));

    // Not handled: the shell runs it (the copied file is on the clipboard).
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    form->calls.clear();
    form->handle = false;
    SetTimer(nullptr, 0, 20, &MenuTimer);
    InvokeContextMenu(form, note.get(), 10, 10);
    EXPECT_EQ(form->calls, (std::vector<std::wstring>{L"execute copy", L"completed copy ok"}));
    EXPECT_TRUE(PumpUntil(&ClipboardHasFiles));

    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    InvokeFolderVerb(note.get(), "copy");
    EXPECT_TRUE(PumpUntil(&ClipboardHasFiles)) << "the verb ran";
    InvokeFolderVerb(nullptr, "copy");
    delete form;

    executed.clear();
    const TShellExecuteExProc old = SetShellExecuteEntry(&RecordExecute);
    EXPECT_TRUE(note->ExecuteDefault());
    SetShellExecuteEntry(old);
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].cbSize, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(executed[0].fMask, static_cast<ULONG>(SEE_MASK_INVOKEIDLIST));
    EXPECT_EQ(executed[0].lpIDList, note->AbsoluteID());
    EXPECT_EQ(executed[0].nShow, SW_SHOW);
    EXPECT_EQ(executed[0].hwnd, Application->Handle());
}

TEST_F(ShellObjects, NotifierFollowsItsFolderAndEndsItsThread)
{
    CreateDirectoryW(dir->File(L"watchA").c_str(), nullptr);
    CreateDirectoryW(dir->File(L"watchB").c_str(), nullptr);
    {
        TacShellChangeNotifier notifier(nullptr);
        EXPECT_EQ(notifier.Root(), L"C:\\");
        EXPECT_TRUE(notifier.WatchSubTree());
        EXPECT_EQ(notifier.NotifyFilters(), TacNotifyFilters({nfFileNameChange, nfDirNameChange}));
        EXPECT_EQ(notifier.ChangeThread(), nullptr) << "no thread without an event";

        // A root that cannot be watched leaves the worker waiting for new options.
        notifier.SetRoot(dir->File(L"missing"));
        int changes = 0;
        notifier.SetOnChange([&changes] { ++changes; });
        TacShellChangeThread* thread = notifier.ChangeThread();
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(acLiveChangeThreadCount(), 1);

        notifier.SetRoot(dir->File(L"watchA"));
        ASSERT_TRUE(PumpUntil([&] { return thread->WatchesOpened() == 1; }));
        dir->Write(L"watchA\\new.txt", std::string("x"));
        EXPECT_TRUE(PumpUntil([&] { return changes > 0; })) << "a new file";
        PumpUntilSettled([] { return true; });
        changes = 0;
        CreateDirectoryW(dir->File(L"watchA\\newdir").c_str(), nullptr);
        EXPECT_TRUE(PumpUntil([&] { return changes > 0; })) << "a new folder";

        notifier.SetRoot(dir->File(L"watchB"));
        ASSERT_TRUE(PumpUntil([&] { return thread->WatchesOpened() == 2; }));
        PumpUntilSettled([] { return true; });
        changes = 0;
        dir->Write(L"watchB\\moved.txt", std::string("y"));
        EXPECT_TRUE(PumpUntil([&] { return changes > 0; })) << "after the move to another folder";
    }
    EXPECT_EQ(acLiveChangeThreadCount(), 0) << "the notifier's worker ended with it";

    // Several notifiers, destroyed while changes arrive.
    {
        std::vector<std::unique_ptr<TacShellChangeNotifier>> notifiers;
        int changes = 0;
        for (int i = 0; i < 3; ++i) {
            notifiers.push_back(std::make_unique<TacShellChangeNotifier>(nullptr));
            notifiers.back()->SetRoot(dir->File(L"watchA"));
            notifiers.back()->SetOnChange([&changes] { ++changes; });
        }
        EXPECT_EQ(acLiveChangeThreadCount(), 3);
        ASSERT_TRUE(PumpUntil([&] {
            for (auto& n : notifiers)
                if (n->ChangeThread()->WatchesOpened() < 1) return false;
            return true;
        }));
        dir->Write(L"watchA\\burst.txt", std::string("z"));
        notifiers.clear();
    }
    EXPECT_EQ(acLiveChangeThreadCount(), 0);
}

TEST(ShellUnit, ShutDownEndsTheWorkersItFinds)
{
    acShellCtrlsInitialization();
    TestTempDir dir;
    auto* notifier = new TacShellChangeNotifier(nullptr);
    notifier->SetRoot(dir.Path());
    notifier->SetOnChange([] {});
    EXPECT_EQ(acLiveChangeThreadCount(), 1);
    // Published as a form reads and writes it.
    EXPECT_EQ(GetPropValue(notifier, L"NotifyFilters"), L"nfFileNameChange,nfDirNameChange");
    SetPropValue(notifier, L"NotifyFilters", L"nfSizeChange");
    EXPECT_EQ(notifier->NotifyFilters(), TacNotifyFilters{nfSizeChange});
    EXPECT_EQ(GetPropValue(notifier, L"WatchSubTree"), L"True");
    EXPECT_TRUE(SameText(GetPropValue(notifier, L"Root"), dir.Path()));
    acShellCtrlsFinalization();
    EXPECT_EQ(acLiveChangeThreadCount(), 0);
    EXPECT_EQ(notifier->ChangeThread(), nullptr) << "the notifier no longer holds the freed worker";
    delete notifier;
}
