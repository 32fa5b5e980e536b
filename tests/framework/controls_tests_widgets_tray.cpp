// Tray icon and the file-open dialog.
#include "controls_test_classes.h"
#include "controls_tests_widgets_support.h"

#include <commdlg.h>

namespace {

TImageList* NewFrames(TComponent* owner, int count)
{
    auto* list = new TImageList(owner, 49, 48);
    for (int i = 0; i < count; ++i) {
        TBitmap frame(49, 48, pf32bit);
        frame.Canvas()->Brush()->SetColor(i == 0 ? clRed : i == 1 ? clLime : clBlue);
        frame.Canvas()->FillRect(Rect(0, 0, 49, 48));
        list->Add(&frame, nullptr);
    }
    return list;
}

TEST_F(WidgetsTest, TrayIconKeepsItsStateAndStepsThroughTheFramesWhileAnimated)
{
    TForm* form = ShownForm();
    TImageList* frames = NewFrames(form, 3);
    auto* tray = new TCTrayIcon(form);
    tray->SetIcons(frames);
    tray->SetHint(L"W-MBUS Marlindo");
    // Without a notification area the shell may refuse the icon: no error, the state holds.
    EXPECT_NO_THROW(tray->SetVisible(true));
    EXPECT_TRUE(tray->Visible());

    TTimer* timer = tray->AnimationTimer();
    EXPECT_FALSE(timer->Enabled());
    tray->SetAnimate(true);
    EXPECT_TRUE(timer->Enabled());
    std::vector<int> shown;
    for (int i = 0; i < 4; ++i) {
        timer->OnTimer(timer);
        shown.push_back(tray->IconIndex());
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1}));
    // Stopped, the still icon of before returns.
    tray->SetAnimate(false);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(tray->IconIndex(), 0);

    tray->SetIconIndex(7); // outside the list: the application icon
    EXPECT_EQ(tray->IconIndex(), 7);
    delete frames;
    EXPECT_EQ(tray->Icons(), nullptr);
    tray->SetAnimate(true);
    timer->OnTimer(timer); // nothing to step through
    EXPECT_EQ(tray->IconIndex(), 7);
    tray->SetVisible(false);
    EXPECT_FALSE(tray->Shown());
}

TEST_F(WidgetsTest, TrayIconHidesTheMinimisedFormAndRestoresItOnDoubleClick)
{
    TForm* form = ShownForm();
    auto* tray = new TCTrayIcon(form);
    tray->SetVisible(true);
    const TWndMethod original = form->WindowProc;
    tray->SetMinimizeToTray(true);
    EXPECT_FALSE(form->WindowProc == original);
    int doubleClicks = 0;
    tray->OnDblClick = [&](TObject*) { ++doubleClicks; };

    ShowWindow(form->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(PumpUntil([form] { return !form->Visible(); }));
    EXPECT_FALSE(IsWindowVisible(form->Handle()));

    SendMessageW(tray->Handle(), TCTrayIcon::CallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsIconic(form->Handle()));

    // Switched off, the form's message chain is its own again.
    tray->SetMinimizeToTray(false);
    EXPECT_TRUE(form->WindowProc == original);
    ShowWindow(form->Handle(), SW_MINIMIZE);
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(form->Visible());
    ShowWindow(form->Handle(), SW_RESTORE);
}

TEST_F(WidgetsTest, TrayIconLeavesALaterSubclasserWorkingWhenFreedFirst)
{
    TForm* form = ShownForm();
    auto* tray = new TCTrayIcon(form);
    tray->SetMinimizeToTray(true);
    {
        MessageSpy spy(form); // hooks after the tray icon
        delete tray;
        SendMessageW(form->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
        SendMessageW(form->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still answering"));
        EXPECT_GE(spy.Count(WM_SIZE), 1);
    }
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Caption(), L"still answering");
}

// ---------------------------------------------------------------------------------------------
// Open dialog

TDialogRequest lastRequest;
TFileDialogData lastFileDialog;
TModalResult fileAnswer = mrOk;

TModalResult AnsweringFileHook(const TDialogRequest& request)
{
    lastRequest = request;
    if (request.FileDialog) {
        lastFileDialog = *request.FileDialog;
        if (fileAnswer == mrOk) {
            request.FileDialog->FileName = L"C:\\data\\raw.txt";
            request.FileDialog->FilterIndex = 2;
        }
    }
    return fileAnswer;
}

TEST_F(WidgetsTest, OpenDialogGoesThroughTheDialogHook)
{
    TDialogHook previous = SetDialogHook(&AnsweringFileHook);
    TOpenDialog dialog(nullptr);
    dialog.SetTitle(L"IMPORT RAW-Datei");
    dialog.SetFilter(L"RAW-Datei als Textfile|*.TXT|Daten-Log vom Mobile-APP|*.DAT");
    dialog.SetInitialDir(L"C:\\data");
    fileAnswer = mrOk;
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(lastRequest.Kind, dkOpenFile);
    EXPECT_EQ(lastRequest.Caption, L"IMPORT RAW-Datei");
    EXPECT_EQ(lastFileDialog.Filter, L"RAW-Datei als Textfile|*.TXT|Daten-Log vom Mobile-APP|*.DAT");
    EXPECT_EQ(lastFileDialog.InitialDir, L"C:\\data");
    EXPECT_EQ(lastFileDialog.FilterIndex, 1);
    EXPECT_EQ(lastFileDialog.Flags, static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING));
    EXPECT_EQ(dialog.FileName(), L"C:\\data\\raw.txt");
    EXPECT_EQ(dialog.FilterIndex(), 2);
    ASSERT_EQ(dialog.Files()->Count(), 1);
    EXPECT_EQ(dialog.Files()->Strings(0), L"C:\\data\\raw.txt");

    fileAnswer = mrCancel;
    dialog.SetFileName(L"kept.txt");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), L"kept.txt");
    EXPECT_EQ(lastFileDialog.FileName, L"kept.txt") << "the proposed name reaches the dialog";
    SetDialogHook(previous);

    EXPECT_EQ(OpenOptionsToFlags({ofOldStyleDialog, ofFileMustExist}), static_cast<DWORD>(OFN_FILEMUSTEXIST));
    EXPECT_EQ(OpenOptionsToFlags({ofAllowMultiSelect, ofNoChangeDir}),
              static_cast<DWORD>(OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR));
}

// The system's dialog, operated by a timer as a user would: type names, press Open.
UnicodeString typedNames;
int timerTicks = 0;

BOOL CALLBACK FindDialog(HWND window, LPARAM result)
{
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (IsWindowVisible(window) && lstrcmpW(cls, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OperateDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) {
        if (++timerTicks > 100) KillTimer(nullptr, id);
        return;
    }
    KillTimer(nullptr, id);
    constexpr int kFileNameCombo = 0x47C; // cmb13
    constexpr int kFileNameEdit = 0x480;  // edt1
    if (!SetDlgItemTextW(dialog, kFileNameCombo, typedNames.c_str())) SetDlgItemTextW(dialog, kFileNameEdit, typedNames.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

TEST_F(WidgetsTest, OpenDialogReadsTheSystemDialogsAnswer)
{
    TDialogHook previous = SetDialogHook(nullptr); // the real dialog
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    UnicodeString folder = UnicodeString(temp) + L"widgets-open";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"a.txt", L"b.txt"}) {
        HANDLE f = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        CloseHandle(f);
    }

    TOpenDialog dialog(nullptr);
    dialog.SetFilter(L"Text|*.TXT|All|*.*");
    dialog.SetInitialDir(folder);
    dialog.SetOptions(dialog.Options() << ofNoChangeDir);
    typedNames = folder + L"\\b.txt";
    timerTicks = 0;
    SetTimer(nullptr, 0, 100, &OperateDialog);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(SameText(dialog.FileName(), folder + L"\\b.txt")) << dialog.FileName();

    // Several names at once: the folder and the names come back as full paths.
    dialog.SetOptions(dialog.Options() << ofAllowMultiSelect);
    dialog.SetFileName(L"");
    typedNames = L"\"a.txt\" \"b.txt\"";
    timerTicks = 0;
    SetTimer(nullptr, 0, 100, &OperateDialog);
    ASSERT_TRUE(dialog.Execute());
    ASSERT_EQ(dialog.Files()->Count(), 2);
    EXPECT_TRUE(SameText(dialog.Files()->Strings(0), folder + L"\\a.txt")) << dialog.Files()->Strings(0);
    EXPECT_TRUE(SameText(dialog.Files()->Strings(1), folder + L"\\b.txt")) << dialog.Files()->Strings(1);
    EXPECT_EQ(dialog.FileName(), dialog.Files()->Strings(0));
    SetDialogHook(previous);
}

} // namespace
