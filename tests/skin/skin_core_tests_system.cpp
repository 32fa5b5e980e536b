// The library's ties to the system: the Windows version probes, message boxes, object links,
// the glow window under Xvfb, files and folders, the registry and system settings.
#include "../framework/controls_test_support.h"
#include "../framework/runtime_test_tempdir.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sMessages.h"

#include "Files.h"

#include <gtest/gtest.h>

namespace {

struct VersionCase {
    DWORD getVersionMajor, getVersionMinor;
    bool workstationAnswers;
    DWORD major, minor; // workstation answer
    int expectedMajor;
    bool vista, win8, win10;
};

const VersionCase* currentCase = nullptr;

DWORD FakeGetVersion()
{
    // Low byte major, next byte minor, the build number in the high word.
    return currentCase->getVersionMajor | currentCase->getVersionMinor << 8 | 0x23F00000u;
}

bool FakeWorkstation(DWORD& major, DWORD& minor)
{
    if (!currentCase->workstationAnswers) return false;
    major = currentCase->major;
    minor = currentCase->minor;
    return true;
}

} // namespace

TEST(SkinSystem, WindowsVersionBehindGetVersionComesFromTheWorkstationInformation)
{
    const VersionCase cases[] = {
        {6, 2, true, 10, 0, 10, true, true, true},   // Windows 10 says 6.2 to GetVersion
        {6, 2, false, 0, 0, 6, true, true, false},   // no answer: GetVersion's pair stays
        {6, 1, true, 10, 0, 6, true, false, false},  // Windows 7 is taken as it says
        {10, 0, true, 10, 0, 10, true, true, true},
        {5, 1, true, 10, 0, 5, false, false, false},
        {6, 2, true, 6, 3, 6, true, true, false},    // Windows 8.1
    };
    for (const VersionCase& c : cases) {
        currentCase = &c;
        const TWinVerSources sources{&FakeGetVersion, &FakeWorkstation};
        SetWinVerSources(&sources);
        InitWinVer();
        EXPECT_EQ(WinMajorVer(), c.expectedMajor) << c.getVersionMajor << "." << c.getVersionMinor;
        EXPECT_EQ(IsWinVistaUp(), c.vista);
        EXPECT_EQ(IsWin8Up(), c.win8);
        EXPECT_EQ(IsWin10Up(), c.win10);
    }
    SetWinVerSources(nullptr);
    InitWinVer();
    EXPECT_TRUE(IsWin10Up()) << "the Windows 10 prefix";
    EXPECT_TRUE(IsNTFamily());
}

TEST(SkinSystem, UnboundEntryPointsTakeTheirFallbacks)
{
    ASSERT_EQ(acIsDebuggerPresent, nullptr);
    ASSERT_EQ(acIsWow64Process, nullptr);
    EXPECT_TRUE(IsIDERunning());
    EXPECT_FALSE(IsWOW64Proc());
    acIsDebuggerPresent = []() -> BOOL { return FALSE; };
    EXPECT_FALSE(IsIDERunning());
    acIsDebuggerPresent = nullptr;

    EXPECT_LE(GetCaptionFontSize(96), -11);
    HFONT font = acGetTitleFont(96);
    ASSERT_NE(font, nullptr);
    LOGFONTW info{};
    EXPECT_EQ(GetObjectW(font, sizeof(info), &info), static_cast<int>(sizeof(info)));
    DeleteObject(font);
}

TEST(SkinSystem, MinimizeAnimationSettingIsReadAndWritten)
{
    const bool saved = acGetAnimation();
    acSetAnimation(!saved);
    const bool changed = acGetAnimation();
    acSetAnimation(saved);
    EXPECT_EQ(acGetAnimation(), saved);
    // Wine answers SPI_GETANIMATION with 0 whatever was set.
    if (changed == saved) GTEST_SKIP() << "this system does not keep the minimize animation setting";
}

using SkinDialogs = ControlsTest;

TEST_F(SkinDialogs, MessageRoutinesShowTheLibraryDialog)
{
    ShowWarning(L"careful");
    ShowError(L"broken");
    Alert(42);
    Alert();
    ScriptedDialogAnswer() = mrYes;
    EXPECT_TRUE(CustomRequest(L"sure?"));
    ScriptedDialogAnswer() = mrNo;
    EXPECT_FALSE(CustomRequest(L"sure?"));

    const auto& dialogs = RecordedDialogs();
    ASSERT_EQ(dialogs.size(), 6u);
    EXPECT_EQ(dialogs[0].Kind, dkMessageDlg);
    EXPECT_EQ(dialogs[0].Text, L"careful");
    EXPECT_EQ(dialogs[0].DlgType, mtWarning);
    EXPECT_EQ(dialogs[0].Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(dialogs[1].DlgType, mtError);
    EXPECT_EQ(dialogs[1].Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(dialogs[2].Text, L"42");
    EXPECT_EQ(dialogs[2].DlgType, mtWarning);
    EXPECT_EQ(dialogs[3].Text, L"Alert");
    EXPECT_EQ(dialogs[4].DlgType, mtConfirmation);
    EXPECT_EQ(dialogs[4].Buttons, mbYesNo);
}

namespace {

// Records the library commands a control receives.
class TLinkRecorder : public TGraphicControl {
public:
    explicit TLinkRecorder(TComponent* owner) : TGraphicControl(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) commands.push_back(message);
        TGraphicControl::WndProc(message);
    }
    std::vector<TMessage> commands;
};

} // namespace

TEST_F(SkinDialogs, ObjectLinksReachTheControlsAsLibraryCommands)
{
    TLinkRecorder a(nullptr);
    TLinkRecorder b(nullptr);
    TObject linked;
    AddObjLink(&linked, &a);
    ASSERT_EQ(a.commands.size(), 1u);
    EXPECT_EQ(a.commands[0].WParamHi(), AC_OBJLINK);
    EXPECT_EQ(a.commands[0].WParamLo(), 1);
    EXPECT_EQ(a.commands[0].LParam, reinterpret_cast<LPARAM>(&linked));

    DelObjLink(&linked, std::vector<TControl*>{});
    EXPECT_EQ(a.commands.size(), 1u) << "an empty list sends nothing";
    DelObjLink(&linked, std::vector<TControl*>{&a, &b});
    ASSERT_EQ(a.commands.size(), 2u);
    ASSERT_EQ(b.commands.size(), 1u);
    EXPECT_EQ(b.commands[0].WParamHi(), AC_OBJLINK);
    EXPECT_EQ(b.commands[0].WParamLo(), 0);

    std::vector<TObject*> list;
    AddObjToList(&linked, list);
    AddObjToList(&linked, list);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(SkinDialogs, GlowFormIsAToolWindowThatLetsTheMouseThroughAndHidesAtOnce)
{
    auto* glow = new TacGlowForm(Application);
    EXPECT_EQ(glow->Tag(), ExceptTag);
    EXPECT_EQ(glow->BorderStyle(), bsNone);
    EXPECT_EQ(glow->AlphaBmp, nullptr);
    glow->SetBounds(100, 100, 60, 40);
    glow->Show();
    const HWND wnd = glow->Handle();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(wnd) != FALSE; }));

    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_FALSE(GetClassLongPtrW(wnd, GCL_STYLE) & CS_DROPSHADOW);

    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(110, 110)), HTTRANSPARENT);
    glow->TransparentMouse = false;
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(110, 110)), HTCLIENT);
    glow->TransparentMouse = true;

    SendMessageW(wnd, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_TRUE(IsWindowVisible(wnd)) << "showing changes nothing";
    SendMessageW(wnd, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(wnd)) << "a hide request hides the window itself";

    acCurrentScaleMode = smAuto;
    glow->Loaded();
    EXPECT_FALSE(glow->Scaled());
    acCurrentScaleMode = smVCL;
    glow->Loaded();
    EXPECT_TRUE(glow->Scaled());
    delete glow;
}

namespace {

void MakeTree(const TestTempDir& dir)
{
    dir.Write(L"a.txt", "a");
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub\\deeper").c_str(), nullptr));
    dir.Write(L"sub\\b.txt", "b");
    dir.Write(L"sub\\deeper\\c.txt", "c");
    ASSERT_TRUE(SetFileAttributesW(dir.File(L"sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY));
}

} // namespace

TEST(SkinFiles, ClearDirEmptiesNestedTreesAndRemovesThemOnRequest)
{
    TestTempDir kept;
    MakeTree(kept);
    EXPECT_TRUE(ClearDir(kept.Path(), false));
    EXPECT_TRUE(DirectoryExists(kept.Path()));
    EXPECT_FALSE(FileExists(kept.File(L"a.txt")));
    EXPECT_FALSE(FileExists(kept.File(L"sub\\b.txt")));
    EXPECT_TRUE(DirectoryExists(kept.File(L"sub\\deeper"))) << "without deleteDir the folders stay, empty";

    TestTempDir removed;
    MakeTree(removed);
    EXPECT_TRUE(ClearDir(removed.Path() + L"\\", true));
    EXPECT_FALSE(DirectoryExists(removed.Path())) << "the whole tree is gone, the read-only file included";

    EXPECT_FALSE(ClearDir(removed.Path(), true)) << "a missing folder is no success";
}

TEST(SkinFiles, FileAndFolderRoutines)
{
    TestTempDir dir;
    const UnicodeString source = dir.Write(L"source.txt", "content");
    EXPECT_TRUE(acCopyFile(source, dir.File(L"copy.txt"), true));
    EXPECT_EQ(dir.Read(L"copy.txt"), "content");
    EXPECT_FALSE(acCopyFile(source, dir.File(L"copy.txt"), true)) << "fail if it exists";
    EXPECT_TRUE(acCopyFile(source, dir.File(L"copy.txt"), false));

    EXPECT_TRUE(acDirExists(L"C:\\"));
    EXPECT_TRUE(acDirExists(L"C:"));
    EXPECT_TRUE(acDirExists(dir.Path()));
    EXPECT_FALSE(acDirExists(dir.File(L"missing")));
    EXPECT_FALSE(acDirExists(source)) << "a file is no directory";

    EXPECT_TRUE(acCreateDir(dir.File(L"made")));
    EXPECT_TRUE(acRemoveDir(dir.File(L"made")));
    EXPECT_TRUE(acDeleteFile(dir.File(L"copy.txt")));
    EXPECT_FALSE(acDeleteFile(dir.File(L"copy.txt")));

    EXPECT_EQ(ShortToLongPath(source), source);
    EXPECT_EQ(ShortToLongFileName(LongToShortFileName(source)), source);

    const UnicodeString appPath = GetAppPath();
    ASSERT_FALSE(appPath.empty());
    EXPECT_EQ(appPath.back(), L'\\');
    EXPECT_TRUE(FileExists(appPath + ExtractFileName(ParamStr(0))));
}

TEST(SkinFiles, ShellIconOfAFile)
{
    EXPECT_EQ(GetIconForFile(ParamStr(0), true), nullptr) << "the shell entry point is not bound yet";
    InitSysProc();
    ASSERT_NE(acSHGetFileInfo, nullptr);
    auto icon = GetIconForFile(ParamStr(0), false);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->HandleAllocated());
    EXPECT_GT(icon->Width(), 0);
    EXPECT_EQ(GetIconForFile(GetAppPath() + L"no-such-file.exe", true), nullptr);
    DoneSysProc();
    EXPECT_EQ(acSHGetFileInfo, nullptr);
}

TEST(SkinFiles, RegistryIntegers)
{
    const wchar_t* key = L"Software\\MarlindoSkinTests";
    EXPECT_EQ(ReadRegInt(HKEY_CURRENT_USER, L"Software\\NoSuchKeyForSkinTests", L"Value"), 0);
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    const DWORD value = 1234;
    RegSetValueExW(handle, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegSetValueExW(handle, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"12"), 6);
    RegCloseKey(handle);
    EXPECT_EQ(ReadRegInt(HKEY_CURRENT_USER, key, L"Number"), 1234);
    EXPECT_EQ(ReadRegInt(HKEY_CURRENT_USER, key, L"Missing"), 0);
    EXPECT_EQ(ReadRegInt(HKEY_CURRENT_USER, key, L"Text"), 0);
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
}
