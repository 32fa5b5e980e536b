// Standard controls: label, edit, memo, check box, radio button, group box, list box.
#include "controls_tests_widgets_support.h"

#include "Streams.h"

namespace {

UnicodeString WindowText(HWND window)
{
    const int n = GetWindowTextLengthW(window);
    UnicodeString text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(window, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

void Type(HWND window, const UnicodeString& text)
{
    for (wchar_t c : text) SendMessageW(window, WM_CHAR, c, 1);
}

template <class T>
T* On(TWinControl* parent)
{
    auto* control = new T(parent);
    control->SetParent(parent);
    return control;
}

// The key filter of the master key field: backspace passes, letters are upper-cased, only
// hexadecimal digits are taken.
void HexKeyFilter(TObject*, wchar_t& key)
{
    if (key == 8) return;
    if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - L'a' + L'A');
    if (!((key >= L'0' && key <= L'9') || (key >= L'A' && key <= L'F'))) key = 0;
}

TEST_F(WidgetsTest, EditKeyPressCanRewriteOrSwallowTypedCharacters)
{
    TForm* form = ShownForm();
    auto* edit = On<TEdit>(form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->OnKeyPress = &HexKeyFilter;
    HWND h = edit->Handle();
    Type(h, L"a1g-F");
    EXPECT_EQ(edit->Text(), L"A1F");
    EXPECT_EQ(changes, 3) << "swallowed characters change nothing";
    SendMessageW(h, WM_CHAR, 8, 1);
    EXPECT_EQ(edit->Text(), L"A1");
    EXPECT_EQ(changes, 4);
    std::vector<WORD> released;
    edit->OnKeyUp = [&](TObject*, WORD& key, TShiftState) { released.push_back(key); };
    SendMessageW(h, WM_KEYUP, VK_BACK, 0);
    EXPECT_EQ(released, std::vector<WORD>{VK_BACK});

    // Text set by code reaches OnChange once, with or without a window.
    edit->SetText(L"7C3A");
    EXPECT_EQ(changes, 5);
    auto* later = new TEdit(form);
    int laterChanges = 0;
    later->OnChange = [&](TObject*) { ++laterChanges; };
    later->SetText(L"23");
    EXPECT_EQ(laterChanges, 1);
    later->SetParent(form);
    EXPECT_EQ(WindowText(later->Handle()), L"23");
}

TEST_F(WidgetsTest, EditStylesFollowTheirProperties)
{
    TForm* form = ShownForm();
    auto* port = On<TEdit>(form);
    port->SetNumbersOnly(true);
    port->SetAlignment(taCenter);
    HWND h = port->Handle();
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & ES_NUMBER, 0);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & ES_CENTER, 0);
    Type(h, L"5x0.0");
    EXPECT_EQ(port->Text(), L"500");
    // Switched on with the window there, and off again.
    auto* id = On<TEdit>(form);
    Type(id->Handle(), L"a");
    id->SetNumbersOnly(true);
    Type(id->Handle(), L"b1");
    id->SetNumbersOnly(false);
    Type(id->Handle(), L"c");
    EXPECT_EQ(id->Text(), L"a1c");

    auto* password = On<TEdit>(form);
    password->SetPasswordChar(L'#');
    password->SetText(L"4kq9rwzt");
    EXPECT_EQ(SendMessageW(password->Handle(), EM_GETPASSWORDCHAR, 0, 0), L'#');
    EXPECT_EQ(password->Text(), L"4kq9rwzt");

    auto* maker = On<TEdit>(form);
    maker->SetCharCase(ecUpperCase);
    maker->SetMaxLength(3);
    Type(maker->Handle(), L"qxzw");
    EXPECT_EQ(maker->Text(), L"QXZ");
    EXPECT_EQ(SendMessageW(maker->Handle(), EM_GETLIMITTEXT, 0, 0), 3);
    maker->SetText(L"abc");
    EXPECT_EQ(maker->Text(), L"ABC");

    auto* readOnly = On<TEdit>(form);
    readOnly->SetText(L"00:00:00");
    readOnly->SetReadOnly(true);
    Type(readOnly->Handle(), L"9");
    EXPECT_EQ(readOnly->Text(), L"00:00:00");
    EXPECT_NE(GetWindowLongPtrW(readOnly->Handle(), GWL_STYLE) & ES_READONLY, 0);

    // A recreated window keeps text and settings.
    port->SetAlignment(taRightJustify);
    EXPECT_NE(port->Handle(), h);
    EXPECT_EQ(WindowText(port->Handle()), L"500");
    EXPECT_NE(GetWindowLongPtrW(port->Handle(), GWL_STYLE) & ES_RIGHT, 0);
    EXPECT_NE(GetWindowLongPtrW(port->Handle(), GWL_STYLE) & ES_NUMBER, 0);
}

TEST_F(WidgetsTest, MemoLinesAreTheWindowsTextLines)
{
    TForm* form = ShownForm();
    auto* memo = On<TMemo>(form);
    memo->SetScrollBars(ssVertical);
    memo->Font()->SetName(L"Courier New");
    TStrings* lines = memo->Lines();
    HWND h = memo->Handle();
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & ES_MULTILINE, 0);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL, 0);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"Courier New");

    EXPECT_EQ(lines->Count(), 0);
    lines->Add(L"Exception:1 01.02 10:11:12");
    lines->Add(L"Timeout");
    EXPECT_EQ(lines->Count(), 2);
    EXPECT_EQ(WindowText(h), L"Exception:1 01.02 10:11:12\r\nTimeout\r\n");
    EXPECT_EQ(lines->Strings(1), L"Timeout");
    EXPECT_EQ(lines->Text(), WindowText(h));
    lines->Insert(0, L"first");
    lines->SetStrings(2, L"Data Error IP=1.2.3.4");
    lines->Delete(1);
    EXPECT_EQ(lines->Text(), L"first\r\nData Error IP=1.2.3.4\r\n");
    EXPECT_THROW(lines->Strings(2), EListError);
    EXPECT_THROW(lines->Insert(3, L"x"), EListError);
    lines->Clear();
    EXPECT_EQ(lines->Count(), 0);
    EXPECT_EQ(WindowText(h), L"");

    // Text typed or set without a final line break: the last line counts, and a new line
    // starts after it.
    memo->SetText(L"a\r\nb");
    EXPECT_EQ(lines->Count(), 2);
    lines->Add(L"c");
    EXPECT_EQ(WindowText(h), L"a\r\nb\r\nc");
    EXPECT_EQ(lines->Count(), 3);
    SendMessageW(h, EM_SETSEL, 0, 0);
    Type(h, L"x");
    EXPECT_EQ(lines->Strings(0), L"xa");

    // A whole file at once, far beyond the window's default limit of 30000 characters.
    TStringList source;
    for (int i = 0; i < 3000; ++i) source.Add(L"68 44 2D 2C 78 56 34 12 01 07 line " + std::to_wstring(i));
    lines->Assign(&source);
    EXPECT_EQ(lines->Count(), 3000);
    EXPECT_EQ(lines->Strings(2999), L"68 44 2D 2C 78 56 34 12 01 07 line 2999");
    EXPECT_GT(GetWindowTextLengthW(h), 30000);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    lines->Add(L"one more");
    EXPECT_EQ(lines->Count(), 3001);
    EXPECT_EQ(changes, 1);
}

// The lines the memo reports after its own changes are the lines of the window's text, read
// afresh: edits in the middle, at the end, after an unterminated line, with breaks inside the
// new text, and at the window's text limit.
TEST_F(WidgetsTest, MemoLinesFollowTheirOwnChangesExactly)
{
    TForm* form = ShownForm();
    auto* memo = On<TMemo>(form);
    TStrings* lines = memo->Lines();
    HWND h = memo->Handle();
    // A second memo reads the same text for the first time.
    auto* reader = On<TMemo>(form);
    auto expectWindowLines = [&](const char* step) {
        reader->SetText(WindowText(h));
        TStrings* fresh = reader->Lines();
        ASSERT_EQ(lines->Count(), fresh->Count()) << step;
        for (int i = 0; i < fresh->Count(); ++i) EXPECT_EQ(lines->Strings(i), fresh->Strings(i)) << step << " " << i;
    };

    for (int i = 0; i < 250; ++i) {
        lines->Add(L"line " + std::to_wstring(i));
        if (lines->Count() > 200) lines->Clear();
    }
    expectWindowLines("limit rule");
    EXPECT_EQ(lines->Count(), 49);
    EXPECT_EQ(lines->Strings(48), L"line 249");

    lines->Insert(3, L"in\r\nthe middle");
    expectWindowLines("break inside");
    lines->SetStrings(0, L"first\r");
    expectWindowLines("lone return");
    lines->Delete(lines->Count() - 1);
    lines->Delete(2);
    expectWindowLines("deletes");
    memo->SetText(L"a\r\nb");
    EXPECT_EQ(lines->Count(), 2);
    lines->Add(L"c");
    lines->Insert(3, L"d");
    expectWindowLines("after an unterminated line");
    EXPECT_EQ(WindowText(h), L"a\r\nb\r\nc\r\nd");

    // The window refuses what goes beyond its limit: the lines are the ones it kept.
    lines->Clear();
    SendMessageW(h, EM_SETLIMITTEXT, 12, 0);
    lines->Add(L"0123456789");
    lines->Add(L"abcdefghij");
    expectWindowLines("limit");
    EXPECT_LE(GetWindowTextLengthW(h), 12);
}

TEST_F(WidgetsTest, MemoLinesWorkBeforeTheWindowExistsAndSurviveRecreation)
{
    TForm* form = NewForm();
    auto* memo = new TMemo(form);
    memo->Lines()->Add(L"one");
    memo->Lines()->Add(L"two");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Text(), L"one\r\ntwo\r\n");
    memo->SetParent(form);
    EXPECT_EQ(WindowText(memo->Handle()), L"one\r\ntwo\r\n");
    memo->SetWordWrap(false); // a new window
    EXPECT_NE(GetWindowLongPtrW(memo->Handle(), GWL_STYLE) & ES_AUTOHSCROLL, 0);
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Strings(1), L"two");

    // A read-only memo takes lines from code, not from the keyboard.
    memo->SetReadOnly(true);
    memo->Lines()->Add(L"three");
    Type(memo->Handle(), L"x");
    EXPECT_EQ(WindowText(memo->Handle()), L"one\r\ntwo\r\nthree\r\n");
}

TEST_F(WidgetsTest, RadioButtonsOfOneParentExcludeEachOther)
{
    TForm* form = ShownForm();
    auto* file = On<TRadioButton>(form);
    auto* db = On<TRadioButton>(form);
    auto* group = On<TGroupBox>(form);
    group->SetBounds(10, 100, 300, 100);
    auto* hourly = On<TRadioButton>(group);
    auto* daily = On<TRadioButton>(group);
    file->SetChecked(true);
    hourly->SetChecked(true);
    std::vector<TObject*> clicks;
    for (TRadioButton* r : {file, db, hourly, daily}) r->OnClick = [&](TObject* s) { clicks.push_back(s); };

    // The user clicks the second button.
    SendMessageW(db->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(db->Checked());
    EXPECT_FALSE(file->Checked());
    EXPECT_EQ(SendMessageW(db->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(file->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(hourly->Checked()) << "another parent, another group";
    EXPECT_EQ(clicks, std::vector<TObject*>{db});

    // Code checks the first again; unchecking fires nothing.
    file->SetChecked(true);
    EXPECT_FALSE(db->Checked());
    EXPECT_EQ(SendMessageW(db->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks, (std::vector<TObject*>{db, file}));
    db->SetChecked(false);
    EXPECT_EQ(clicks.size(), 2u);
    // Clicking the checked one changes nothing.
    SendMessageW(file->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks.size(), 2u);

    SendMessageW(daily->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(hourly->Checked());
    EXPECT_TRUE(file->Checked());
}

TEST_F(WidgetsTest, CheckBoxStateChangesByClickAndCodeFireOnClick)
{
    TForm* form = ShownForm();
    auto* box = On<TCheckBox>(form);
    box->SetCaption(L"schreibe in Log-Datei");
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked());
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    box->SetAllowGrayed(true);
    box->SetChecked(false);
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);

    // A new window (caption left of the box) keeps the state.
    box->SetAlignment(taLeftJustify);
    EXPECT_NE(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & BS_LEFTTEXT, 0);
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
}

TEST_F(WidgetsTest, GroupBoxHoldsControlsWhoseNotificationsStillArrive)
{
    TForm* form = ShownForm();
    auto* group = On<TGroupBox>(form);
    group->SetCaption(L"Datenbank:");
    group->SetBounds(10, 10, 300, 150);
    auto* server = On<TEdit>(group);
    server->SetBounds(10, 20, 120, 21);
    auto* status = On<TLabel>(group);
    status->SetBounds(10, 60, 100, 17);
    status->SetCaption(L"unbekannt");
    int changes = 0;
    server->OnChange = [&](TObject*) { ++changes; };
    Type(server->Handle(), L"127.0.0.1");
    EXPECT_EQ(changes, 9);
    EXPECT_EQ(GetParent(server->Handle()), group->Handle());
    EXPECT_EQ(SendMessageW(group->Handle(), WM_NCHITTEST, 0, MAKELPARAM(60, 140)), HTCLIENT);

    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    form->SetColor(clBtnFace);
    auto shot = CaptureWindow(form->Handle());
    SaveCapture(*shot, L"groupbox");
    const POINT o = ClientOffset(group->Handle());
    EXPECT_EQ(PixelOf(*shot, o.x + 200, o.y + 100), StyledColorToGdi(clBtnFace)) << "inside takes the face colour";
    const RECT label{o.x + 10, o.y + 60, o.x + 110, o.y + 77};
    EXPECT_GT(CountDark(*shot, label), 10) << "the label inside is painted";
}

TEST_F(WidgetsTest, ListBoxItemsIndexAndUserNotifications)
{
    TForm* form = ShownForm();
    auto* list = new TListBox(form);
    list->Items()->Add(L"00000001");
    list->Items()->Add(L"00000002");
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetParent(form);
    HWND h = list->Handle();
    EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 1);
    list->Items()->Add(L"00000003");
    EXPECT_EQ(list->Items()->Strings(2), L"00000003");
    EXPECT_EQ(list->Count(), 3);

    int clicks = 0;
    int doubleClicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    list->OnDblClick = [&](TObject*) { ++doubleClicks; };
    RECT item{};
    SendMessageW(h, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM first = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, first);
    SendMessageW(h, WM_LBUTTONUP, 0, first);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_GE(clicks, 1);
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, first);
    SendMessageW(h, WM_LBUTTONUP, 0, first);
    EXPECT_EQ(doubleClicks, 1);
    const int clicksBefore = clicks;
    list->SetItemIndex(2);
    EXPECT_EQ(clicks, clicksBefore) << "code selects without OnClick";

    // Delete of the selected entry, as the filter list does on the Delete key.
    list->Items()->Delete(list->ItemIndex());
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetItemIndex(5);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_THROW(list->Items()->Delete(2), EListError);

    // Items and selection survive a new window.
    list->SetItemIndex(1);
    list->SetParent(nullptr);
    EXPECT_FALSE(list->HandleAllocated());
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetParent(form);
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->Clear();
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(WidgetsTest, LabelSizesItselfToItsTextAndPaintsIt)
{
    TForm* form = ShownForm();
    auto* label = On<TLabel>(form);
    label->SetLeft(20);
    label->SetTop(20);
    label->SetCaption(L"Server aktive:");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, label->Font()->Handle());
    SIZE extent{};
    GetTextExtentPoint32W(dc, L"Server aktive:", 14, &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(label->Width(), extent.cx);
    EXPECT_EQ(label->Height(), extent.cy);

    // Right-aligned, the right edge stays where it was.
    const int right = label->Left() + label->Width();
    label->SetAlignment(taRightJustify);
    label->SetCaption(L"Tage");
    EXPECT_EQ(label->Left() + label->Width(), right);

    // Word wrap keeps the width and grows downwards.
    label->SetAutoSize(false);
    label->SetWidth(60);
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    label->SetCaption(L"Programm startet nach 24h Laufzeit automatisch neu");
    EXPECT_EQ(label->Width(), 60);
    EXPECT_GT(label->Height(), 2 * extent.cy);

    // Without AutoSize nothing moves.
    label->SetAutoSize(false);
    label->SetBounds(20, 20, 50, 17);
    label->SetCaption(L"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
    EXPECT_EQ(label->Width(), 50);

    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    form->SetColor(clBtnFace);
    auto* lit = On<TLabel>(form);
    lit->SetBounds(20, 120, 100, 20);
    lit->SetCaption(L"OFF/ON");
    auto* clear = On<TLabel>(form);
    clear->SetTransparent(true);
    clear->SetBounds(20, 160, 100, 20);
    clear->SetCaption(L"mit File");
    auto shot = CaptureWindow(form->Handle());
    SaveCapture(*shot, L"labels");
    const POINT o = ClientOffset(form->Handle());
    const RECT text{o.x + 20, o.y + 120, o.x + 20 + lit->Width(), o.y + 120 + lit->Height()};
    EXPECT_GT(CountDark(*shot, text), 10);
    EXPECT_EQ(PixelOf(*shot, text.right - 1, text.bottom - 1), StyledColorToGdi(clBtnFace));
    const RECT transparent{o.x + 20, o.y + 160, o.x + 120, o.y + 180};
    EXPECT_GT(CountDark(*shot, transparent), 10);
}

} // namespace

TEST_F(WidgetsTest, EditBorderBevelsAndTextHint)
{
    TForm* form = ShownForm();
    auto* edit = On<TEdit>(form);
    EXPECT_EQ(edit->BorderStyle(), bsSingle);
    EXPECT_NE(GetWindowLongPtrW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    edit->SetText(L"kept");
    edit->SetBorderStyle(bsNone);
    EXPECT_EQ(GetWindowLongPtrW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(WindowText(edit->Handle()), L"kept");

    edit->SetBevelKind(bkFlat);
    edit->SetBevelInner(bvNone);
    edit->SetBevelOuter(bvRaised);
    edit->SetBevelWidth(0); // at least 1
    EXPECT_EQ(edit->BevelKind(), bkFlat);
    EXPECT_EQ(edit->BevelInner(), bvNone);
    EXPECT_EQ(edit->BevelOuter(), bvRaised);
    EXPECT_EQ(edit->BevelWidth(), 1);

    // The hint reaches the window now and after recreation.
    edit->SetTextHint(L"Port number");
    wchar_t banner[32] = {};
    ASSERT_TRUE(SendMessageW(edit->Handle(), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(banner), 32));
    EXPECT_STREQ(banner, L"Port number");
    edit->SetBorderStyle(bsSingle);
    banner[0] = 0;
    ASSERT_TRUE(SendMessageW(edit->Handle(), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(banner), 32));
    EXPECT_STREQ(banner, L"Port number");
}

namespace {

TEST_F(WidgetsTest, SizeConstraintsHoldControlsInsideTheirLimits)
{
    TForm* form = ShownForm();
    auto* label = On<TLabel>(form);
    label->SetAutoSize(false);
    auto* edit = On<TEdit>(form);
    for (TControl* c : {static_cast<TControl*>(label), static_cast<TControl*>(edit)}) {
        c->SetBounds(10, 10, 200, 40);
        c->Constraints()->SetMaxWidth(120);
        EXPECT_EQ(c->Width(), 120) << "a new limit applies at once";
        c->SetBounds(10, 10, 300, 40);
        EXPECT_EQ(c->Width(), 120);
        c->Constraints()->SetMinHeight(30);
        c->SetHeight(5);
        EXPECT_EQ(c->Height(), 30);
        c->Constraints()->SetMaxWidth(0);
        c->SetWidth(300);
        EXPECT_EQ(c->Width(), 300) << "0 leaves the side free";
    }
    RECT r{};
    GetWindowRect(edit->Handle(), &r);
    EXPECT_EQ(r.bottom - r.top, 30) << "the window took the held size";
    EXPECT_EQ(edit->Margins()->Left(), 3);
}

TEST_F(WidgetsTest, LabelForgetsItsFocusControlWhenItGoes)
{
    TForm* form = ShownForm();
    auto* label = On<TLabel>(form);
    auto* edit = new TEdit(nullptr);
    edit->SetParent(form);
    label->SetFocusControl(edit);
    EXPECT_EQ(label->FocusControl(), edit);
    delete edit;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(WidgetsTest, LabelEllipsisCutsWordsAndEndsOnOneLongWord)
{
    TForm* form = ShownForm();
    auto* label = On<TLabel>(form);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetEllipsisPosition(epEndEllipsis);
    label->SetBounds(10, 10, 60, 4);
    for (const wchar_t* text : {L"Programm startet nach 24h Laufzeit", L"Donaudampfschifffahrtsgesellschaft"}) {
        label->SetCaption(text);
        label->Repaint();
        EXPECT_EQ(label->EllipsisPosition(), epEndEllipsis) << "painting returned";
    }
    EXPECT_EQ(EllipsisDrawTextFlag(epPathEllipsis), static_cast<UINT>(DT_PATH_ELLIPSIS));
    EXPECT_EQ(EllipsisDrawTextFlag(epWordEllipsis), static_cast<UINT>(DT_WORD_ELLIPSIS));
}

TEST_F(WidgetsTest, ControlKnowsWhileItsParentAlignsIt)
{
    TForm* form = ShownForm();
    auto* panel = On<TPanel>(form);
    bool alignedDuringResize = false;
    panel->OnResize = [&](TObject*) { alignedDuringResize = panel->BeingAligned(); };
    EXPECT_FALSE(panel->BeingAligned());
    panel->SetAlign(alTop);
    EXPECT_TRUE(alignedDuringResize);
    EXPECT_FALSE(panel->BeingAligned());
}

} // namespace
