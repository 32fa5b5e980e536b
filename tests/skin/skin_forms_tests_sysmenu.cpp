// The skinned system menu: its visibility and enabling rules, its items generated from the
// window's system menu, the application sub-menu, the skin list, the click handlers and the
// title icon.
#include "skin_forms_test_sysmenu.h"

#include "sStoredSkins.h"

#include <string>

TEST_F(SysMenuTest, RulesOverBorderStyleStateIconsAndMdiChild)
{
    struct Row {
        TFormBorderStyle style;
        TWindowState state;
        TBorderIcons icons;
        // Restore, Move, Size, Minimize, Maximize: visible and enabled.
        bool restoreV, restoreE, moveE, sizeV, sizeE, minV, minE, maxV, maxE;
    } rows[] = {
        {bsDialog, wsNormal, {biSystemMenu}, false, false, true, false, true, false, false, false, false},
        {bsDialog, wsMaximized, {biSystemMenu}, false, false, false, false, true, false, false, false, false},
        {bsSingle, wsNormal, {biSystemMenu, biMaximize}, true, false, true, true, false, false, false, true, true},
        {bsSingle, wsNormal, {biSystemMenu, biMinimize}, true, false, true, true, false, true, true, false, false},
        {bsSizeable, wsMaximized, {biSystemMenu, biMinimize, biMaximize}, true, true, false, true, true, true, true, true, true},
        {bsToolWindow, wsNormal, {biSystemMenu}, false, false, true, false, true, false, false, false, false},
    };
    TSpyProvider& p = Skinned();
    for (const Row& r : rows) {
        form->SetWindowState(wsNormal);
        form->SetBorderStyle(r.style);
        form->SetBorderIcons(r.icons);
        form->HandleNeeded();
        form->SetWindowState(r.state);
        TsSystemMenu& m = *p.SystemMenu;
        m.UpdateItems(true);
        const std::string row = "style " + std::to_string(r.style) + " state " + std::to_string(r.state);
        ASSERT_NE(m.ItemClose, nullptr) << row;
        EXPECT_EQ(m.ItemRestore->Visible(), r.restoreV) << row;
        EXPECT_EQ(m.ItemRestore->Enabled(), r.restoreE) << row;
        EXPECT_TRUE(m.ItemMove->Visible()) << row;
        EXPECT_EQ(m.ItemMove->Enabled(), r.moveE) << row;
        EXPECT_EQ(m.ItemSize->Visible(), r.sizeV) << row;
        EXPECT_EQ(m.ItemSize->Enabled(), r.sizeE) << row;
        EXPECT_EQ(m.ItemMinimize->Visible(), r.minV) << row;
        EXPECT_EQ(m.ItemMinimize->Enabled(), r.minE) << row;
        EXPECT_EQ(m.ItemMaximize->Visible(), r.maxV) << row;
        EXPECT_EQ(m.ItemMaximize->Enabled(), r.maxE) << row;
    }
    form->SetWindowState(wsNormal);

    // Without a system menu the window has none to mirror: the skinned one stays empty, and no
    // button shows.
    form->SetBorderStyle(bsSizeable);
    form->SetBorderIcons({});
    form->HandleNeeded();
    p.SystemMenu->UpdateItems(true);
    EXPECT_EQ(p.SystemMenu->Items()->Count(), 0);
    EXPECT_EQ(p.SystemMenu->ItemClose, nullptr);
    EXPECT_FALSE(p.SystemMenu->VisibleClose());
    EXPECT_FALSE(p.SystemMenu->VisibleMax());
    EXPECT_FALSE(p.SystemMenu->VisibleRestore());
    EXPECT_TRUE(p.SystemMenu->VisibleSize());

    // Close follows the window's real SC_CLOSE entry.
    form->SetBorderStyle(bsSizeable);
    form->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
    form->HandleNeeded();
    TsSystemMenu& m = *p.SystemMenu;
    HMENU native = GetSystemMenu(form->Handle(), FALSE);
    ASSERT_NE(native, nullptr);
    EXPECT_TRUE(m.VisibleClose());
    EXPECT_TRUE(m.EnabledClose());
    EnableMenuItem(native, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED);
    m.UpdateItems(false);
    EXPECT_FALSE(m.ItemClose->Enabled());
    EXPECT_TRUE(m.ItemClose->Visible());
    DeleteMenu(native, SC_CLOSE, MF_BYCOMMAND);
    EXPECT_FALSE(m.VisibleClose());

    // An iconic main form: maximize shows unless the main form is on the task bar, where the
    // border rules decide.
    GetSystemMenu(form->Handle(), TRUE); // the window's menu as the system makes it
    TForm* main = nullptr;
    Application->CreateForm(main);
    auto* mainProvider = new TsSkinProvider(main);
    main->SetBorderIcons({biSystemMenu, biMinimize});
    main->Show();
    mainProvider->PrepareForm();
    main->SetWindowState(wsMinimized);
    ASSERT_TRUE(IsIconic(main->Handle()));
    Application->SetMainFormOnTaskBar(false);
    EXPECT_TRUE(mainProvider->SystemMenu->VisibleMax());
    Application->SetMainFormOnTaskBar(true);
    EXPECT_FALSE(mainProvider->SystemMenu->VisibleMax());
    EXPECT_TRUE(mainProvider->SystemMenu->VisibleMin());
    EXPECT_TRUE(mainProvider->SystemMenu->EnabledRestore());
    EXPECT_FALSE(mainProvider->SystemMenu->EnabledSize()) << "iconic";
}

TEST_F(SysMenuTest, AnMdiChildShowsEveryEntry)
{
    UseHouseSkin();
    TForm* frame = nullptr;
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->Show();
    auto* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    child->SetBorderIcons({biSystemMenu});
    child->Show();
    auto* p = new TsSkinProvider(child);
    p->PrepareForm();
    ASSERT_TRUE(p->SystemMenu);
    TsSystemMenu& m = *p->SystemMenu;
    EXPECT_TRUE(m.VisibleMax());
    EXPECT_TRUE(m.VisibleMin());
    EXPECT_TRUE(m.VisibleRestore());
    EXPECT_TRUE(m.VisibleSize());
    EXPECT_FALSE(m.EnabledMax()) << "without the maximize icon";
}

TEST_F(SysMenuTest, GenerateMirrorsTheWindowsSystemMenu)
{
    TSpyProvider& p = Skinned();
    HMENU native = GetSystemMenu(form->Handle(), FALSE);
    ASSERT_NE(native, nullptr);
    AppendMenuW(native, MF_STRING, 0x0010, L"Extra command");
    AppendMenuW(native, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(native, MF_STRING, 0xF100, L"System's own");
    TsSystemMenu& m = *p.SystemMenu;
    m.UpdateItems(true);

    wchar_t restore[256] = {}, close[256] = {};
    GetMenuStringW(native, SC_RESTORE, restore, 255, MF_BYCOMMAND);
    GetMenuStringW(native, SC_CLOSE, close, 255, MF_BYCOMMAND);
    UnicodeString closeText = close;
    closeText.resize(closeText.find(L'\t')); // "&Close\tAlt+F4" on Wine
    // Restore, Move, Size, Minimize, Maximize, line, the extra command, line, Close.
    const std::vector<UnicodeString> captions = Captions(m.Items());
    ASSERT_EQ(captions.size(), 9u);
    EXPECT_EQ(captions[0], UnicodeString(restore));
    EXPECT_EQ(captions[5], L"-");
    EXPECT_EQ(captions[6], L"Extra command");
    EXPECT_EQ(captions[7], L"-");
    EXPECT_EQ(captions[8], closeText);
    EXPECT_EQ(closeText.find(L'\t'), UnicodeString::npos);
    EXPECT_EQ(m.ExtItemsCount, 1);
    EXPECT_EQ(m.ItemClose->Name(), L"acIC");
    EXPECT_EQ(m.ItemRestore->Tag(), SC_RESTORE);
    EXPECT_EQ(m.ItemMaximize->Name(), L"acIX");

    // The application's command goes back to the form as a posted system command.
    TSysCommandRecorder recorder(form, &p);
    m.Items()->Items(6)->Click();
    EXPECT_TRUE(recorder.Commands.empty()) << "posted, not sent";
    PumpUntil([&] { return !recorder.Commands.empty(); });
    ASSERT_EQ(recorder.Commands.size(), 1u);
    EXPECT_EQ(recorder.Commands[0], 0x0010u);

    // Two menus never share a name, even made in the same tick.
    TsSystemMenu second(&p);
    TsSystemMenu third(&p);
    EXPECT_NE(second.Name(), third.Name());
    EXPECT_NE(second.Name(), m.Name());
    EXPECT_EQ(second.Name().rfind(L"acSysMenu", 0), 0u);
}

TEST_F(SysMenuTest, ApplicationSubMenuAtEachPlace)
{
    TSpyProvider& p = Skinned();
    auto* popup = new TPopupMenu(form);
    auto* first = new TMenuItem(form);
    first->SetName(L"First");
    first->SetCaption(L"First");
    first->SetChecked(true);
    auto* deep = new TMenuItem(form);
    deep->SetName(L"Deep");
    deep->SetCaption(L"Deep");
    first->Add(deep);
    popup->Items()->Add(first);
    int clicks = 0;
    deep->OnClick = [&](TObject*) { ++clicks; };
    TacSysSubMenu& sub = *p.SysSubMenu();
    sub.Caption = L"Tools";
    sub.PopupMenu = popup;

    const struct {
        TacMenuItemPos position;
        int at;                     // index of the sub-menu item
        std::vector<int> lines;     // indexes of its own lines ("-")
    } cases[] = {
        {ipTop, 0, {1}},
        {ipBeforeClose, 6, {7}},
        {ipBottom, 8, {7}},
    };
    for (const auto& c : cases) {
        sub.Position = c.position;
        TsSystemMenu& m = *p.SystemMenu;
        m.UpdateItems(true);
        ASSERT_NE(m.SubMenu, nullptr) << c.position;
        EXPECT_EQ(m.Items()->IndexOf(m.SubMenu), c.at) << c.position;
        EXPECT_EQ(m.SubMenu->Name(), L"ac_SubMenu");
        for (int line : c.lines) EXPECT_TRUE(m.Items()->Items(line)->IsLine()) << c.position << " " << line;
        EXPECT_EQ(m.Items()->Items(c.lines[0])->Name(), c.position == ipBottom ? L"ac_BtmDiv" : L"ac_TopDiv");
        // A deep copy: the copies are new items with the handlers and the "Copy" names.
        ASSERT_EQ(m.SubMenu->Count(), 1);
        TMenuItem* copy = m.SubMenu->Items(0);
        EXPECT_NE(copy, first);
        EXPECT_EQ(copy->Name(), L"FirstCopy");
        EXPECT_TRUE(copy->Checked());
        ASSERT_EQ(copy->Count(), 1);
        EXPECT_EQ(copy->Items(0)->Name(), L"DeepCopy");
        copy->Items(0)->Click();
    }
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(first->Count(), 1) << "the source keeps its items";
}

TEST_F(SysMenuTest, ClickHandlersSendTheirCommands)
{
    TSpyProvider& p = Skinned();
    TsSystemMenu& m = *p.SystemMenu;
    TSysCommandRecorder recorder(form, &p);
    const struct {
        TMenuItem* item;
        UINT command;
        bool skipping;
    } cases[] = {
        {m.ItemRestore, SC_RESTORE, false}, {m.ItemMove, SC_MOVE, false},    {m.ItemSize, SC_SIZE, false},
        {m.ItemMinimize, SC_MINIMIZE, true}, {m.ItemMaximize, SC_MAXIMIZE, false}, {m.ItemClose, SC_CLOSE, false},
    };
    for (const auto& c : cases) {
        recorder.Commands.clear();
        recorder.Skipping.clear();
        c.item->OnClick(c.item); // grayed entries cannot be clicked, their handlers still work
        ASSERT_EQ(recorder.Commands.size(), 1u) << c.command;
        EXPECT_EQ(recorder.Commands[0], c.command);
        EXPECT_EQ(recorder.Skipping[0], c.skipping) << c.command;
    }
    EXPECT_FALSE(p.SkipAnimation);
}

TEST_F(SysMenuTest, SkinListInColumnsWithTheCurrentSkinChecked)
{
    TSpyProvider& p = Skinned();
    // 45 skins in the list the manager keeps, the current one among them.
    TStringList names;
    manager->GetSkinNames(&names);
    auto& list = manager->SkinListController->SkinList;
    list.clear();
    for (int i = 0; i < 45; ++i) {
        TacSkinListData entry;
        entry.skName = i == 7 ? manager->SkinName() : L"Skin " + std::to_wstring(100 + i);
        list.push_back(entry);
    }
    TsSystemMenu& m = *p.SystemMenu;
    const int before = m.Items()->Count();
    m.MakeSkinItems();
    ASSERT_EQ(m.Items()->Count(), before + 2);
    TMenuItem* root = m.Items()->Items(0);
    EXPECT_EQ(root->Name(), L"SkinSelectItem");
    EXPECT_TRUE(m.Items()->Items(1)->IsLine());
    ASSERT_EQ(root->Count(), 45);
    int checkedCount = 0;
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(root->Items(i)->Break(), i == 20 || i == 40 ? mbBreak : mbNone) << i;
        EXPECT_TRUE(root->Items(i)->RadioItem());
        EXPECT_EQ(root->Items(i)->Name(), L"SkinSelectItem" + std::to_wstring(i));
        const bool current = root->Items(i)->Caption() == manager->SkinName();
        checkedCount += root->Items(i)->Checked();
        EXPECT_EQ(root->Items(i)->Checked(), current) << i;
        EXPECT_EQ(root->Items(i)->Default(), current) << i;
    }

    EXPECT_EQ(checkedCount, 1);
    // A second drop first deletes the old skin items.
    p.MakeSkinMenu = true;
    manager->SetSkinnedPopups(false); // the native menu: nothing is hooked
    SetForegroundWindow(form->Handle());
    PumpUntil([&] { return Screen->ActiveForm() == form; });
    TMenuLoopAction end([] { EndMenu(); });
    p.DropSysMenu(100, 100);
    EXPECT_EQ(m.Items()->Count(), before + 2) << "native drop leaves the skinned items";
    manager->SetSkinnedPopups(true);
    TMenuLoopAction end2([] { EndMenu(); });
    p.DropSysMenu(100, 100);
    int lists = 0;
    for (int i = 0; i < m.Items()->Count(); ++i) lists += m.Items()->Items(i)->Name() == L"SkinSelectItem";
    EXPECT_EQ(lists, 1);
    EXPECT_EQ(m.Items()->Count(), before + 2);
}

TEST_F(SysMenuTest, TitleIconChangesRefreshTheCaption)
{
    TSpyProvider& p = Skinned();
    TsTitleIcon& icon = *p.TitleIcon();
    const int before = p.CaptionUpdates;
    auto glyph = std::make_unique<TBitmap>(16, 16, pf32bit);
    icon.SetGlyph(glyph.get());
    EXPECT_GT(p.CaptionUpdates, before);
    EXPECT_EQ(icon.Glyph()->Width(), 16);
    const int afterGlyph = p.CaptionUpdates;
    icon.SetVisible(false);
    EXPECT_EQ(p.CaptionUpdates, afterGlyph + 1);
    EXPECT_FALSE(p.IconVisible());
    icon.SetVisible(false);
    EXPECT_EQ(p.CaptionUpdates, afterGlyph + 1) << "no change, no refresh";
}
