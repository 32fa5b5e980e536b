// Message dialogs through the hook, the built-in dialog, and the Slate Classico style.
#include "controls_test_classes.h"

using DialogsAndStyle = ControlsTest;

TEST_F(DialogsAndStyle, EveryMessageDialogGoesThroughTheHook)
{
    Application->SetTitle(L"W-MBUS Marlindo");
    ShowMessage(L"Hello");
    ScriptedDialogAnswer() = mrIgnore;
    EXPECT_EQ(MessageDlg(L"Kein Setup f\u00FCr diese GWID vorhanden!", mtError, mbAbortIgnore, 0), mrIgnore);
    ScriptedDialogAnswer() = mrYes;
    EXPECT_EQ(MessageDlg(L"Sind Sie sicher?", mtInformation, mbYesNo, 0), mrYes);
    ScriptedDialogAnswer() = IDOK;
    EXPECT_EQ(Application->MessageBox(L"\nApplExc#ClN:Exception\n#Msg:boom", L"Exception Info", MB_OK), IDOK);

    const auto& d = RecordedDialogs();
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].Kind, dkShowMessage);
    EXPECT_EQ(d[0].Text, L"Hello");
    EXPECT_EQ(d[0].Caption, L"W-MBUS Marlindo");
    EXPECT_EQ(d[1].Kind, dkMessageDlg);
    EXPECT_EQ(d[1].Caption, L"Error");
    EXPECT_EQ(d[1].DlgType, mtError);
    EXPECT_EQ(d[1].Buttons, (TMsgDlgButtons{mbAbort, mbIgnore}));
    EXPECT_EQ(d[1].DefaultButton, mbAbort);
    EXPECT_EQ(d[2].Caption, L"Information");
    EXPECT_EQ(d[2].DefaultButton, mbYes);
    EXPECT_EQ(d[3].Kind, dkMessageBox);
    EXPECT_EQ(d[3].Caption, L"Exception Info");
    EXPECT_EQ(d[3].Flags, static_cast<UINT>(MB_OK));
}

TEST_F(DialogsAndStyle, SetDialogHookReturnsThePreviousHook)
{
    TDialogHook previous = SetDialogHook(nullptr);
    EXPECT_EQ(previous, &RecordingDialogHook);
    EXPECT_EQ(DialogHook(), &DefaultDialogHook);
    SetDialogHook(previous);
    EXPECT_EQ(DialogHook(), &RecordingDialogHook);
}

namespace {
// Presses a button of the first dialog box the thread shows.
TModalResult pressWith = mrNone;
UnicodeString dialogTextSeen;

BOOL CALLBACK FindText(HWND window, LPARAM)
{
    wchar_t text[256]{};
    GetWindowTextW(window, text, 256);
    if (wcsstr(text, L"GWID")) dialogTextSeen = text;
    return TRUE;
}

BOOL CALLBACK PressInDialog(HWND window, LPARAM pressed)
{
    wchar_t cls[16]{};
    GetClassNameW(window, cls, 16);
    if (!IsWindowVisible(window) || wcscmp(cls, L"#32770") != 0) return TRUE;
    EnumChildWindows(window, &FindText, 0);
    const LRESULT viaTaskDialog = SendMessageW(window, WM_USER + 102 /* TDM_CLICK_BUTTON */, pressWith, 0);
    (void)viaTaskDialog;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(pressWith, BN_CLICKED), 0);
    *reinterpret_cast<bool*>(pressed) = true;
    return FALSE;
}

void CALLBACK PressTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    bool pressed = false;
    EnumThreadWindows(GetCurrentThreadId(), &PressInDialog, reinterpret_cast<LPARAM>(&pressed));
    if (pressed) KillTimer(nullptr, id);
}
} // namespace

TEST_F(DialogsAndStyle, TheBuiltInDialogShowsAnyButtonSet)
{
    SetDialogHook(nullptr);
    pressWith = mrIgnore;
    dialogTextSeen.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &PressTimer);
    const TModalResult result = MessageDlg(L"Kein Setup f\u00FCr diese GWID vorhanden!", mtError, mbAbortIgnore, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, mrIgnore);
    EXPECT_NE(dialogTextSeen.find(L"GWID"), UnicodeString::npos);
}

TEST_F(DialogsAndStyle, SlateClassicoRecoloursFormsAndControls)
{
    EXPECT_FALSE(TStyleManager::TrySetStyle(L"Aqua Marine"));
    EXPECT_TRUE(RecordedDialogs().empty()) << "an unknown style is no error box";
    EXPECT_FALSE(TStyleManager::IsCustomStyleActive());

    TForm* form = NewForm();
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    form->Show();
    MemorySurface surface(8, 8);
    auto formPixel = [&] {
        SendMessageW(form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC()), 0);
        return surface.Pixel(1, 1);
    };
    auto editBrush = [&] {
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(form->Handle(), WM_CTLCOLOREDIT,
                                                           reinterpret_cast<WPARAM>(surface.DC()),
                                                           reinterpret_cast<LPARAM>(edit->Handle())));
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof(lb), &lb);
        return lb.lbColor;
    };
    EXPECT_EQ(formPixel(), static_cast<COLORREF>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(editBrush(), static_cast<COLORREF>(GetSysColor(COLOR_WINDOW)));

    EXPECT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    EXPECT_EQ(TStyleManager::ActiveStyleName(), L"Slate Classico");
    const COLORREF face = StyledColorToGdi(clBtnFace);
    const COLORREF field = StyledColorToGdi(clWindow);
    EXPECT_NE(face, static_cast<COLORREF>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(formPixel(), face);
    EXPECT_EQ(editBrush(), field);
    EXPECT_EQ(GetTextColor(surface.DC()), StyledColorToGdi(clWindowText));
    EXPECT_EQ(StyledColorToGdi(clRed), RGB(255, 0, 0)) << "plain colours stay";

    EXPECT_TRUE(TStyleManager::TrySetStyle(L"Windows"));
    EXPECT_EQ(formPixel(), static_cast<COLORREF>(GetSysColor(COLOR_BTNFACE)));
}

namespace {
int fileDialogShows = 0;
TModalResult FakeFileDialog(const TDialogRequest& request)
{
    ++fileDialogShows;
    request.FileDialog->FileName = L"C:\\raw\\" + request.FileDialog->Title + L".TXT";
    return mrOk;
}
} // namespace

TEST_F(DialogsAndStyle, FileDialogsGoThroughTheHookToTheirOwnShow)
{
    TFileDialogData data;
    data.Title = L"IMPORT RAW-Datei";
    data.Show = &FakeFileDialog;
    TDialogRequest request;
    request.Kind = dkOpenFile;
    request.FileDialog = &data;

    EXPECT_EQ(ExecuteDialog(request), mrOk) << "the recording hook answers";
    EXPECT_EQ(fileDialogShows, 0);
    ASSERT_EQ(RecordedDialogs().size(), 1u);
    EXPECT_EQ(RecordedDialogs()[0].FileDialog, &data);

    SetDialogHook(nullptr);
    EXPECT_EQ(ExecuteDialog(request), mrOk);
    EXPECT_EQ(fileDialogShows, 1);
    EXPECT_EQ(data.FileName, L"C:\\raw\\IMPORT RAW-Datei.TXT");
    data.Show = nullptr;
    EXPECT_EQ(ExecuteDialog(request), mrCancel);
}
