// The provider's menu line: whether it is present, rebuilding and preparing it, hooking the
// form's menus, the caption buttons' glyphs and hit codes, and the WS_SYSMENU bit.
#include "skin_forms_test_sysmenu.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtils.h"

#include <algorithm>

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const UnicodeString& caption)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

TMainMenu* MenuWith(TForm* form, std::initializer_list<const wchar_t*> captions)
{
    auto* menu = new TMainMenu(form);
    for (const wchar_t* caption : captions) AddItem(form, menu->Items(), caption);
    form->SetMenu(menu);
    return menu;
}

} // namespace

using MenuLineTest = SysMenuTest;

TEST_F(MenuLineTest, MenuPresentByStyleItemsAndMdiChild)
{
    TSpyProvider& p = Skinned();
    EXPECT_FALSE(p.MenuPresent()) << "no main menu";
    TMainMenu* menu = MenuWith(form, {L"File", L"Edit"});
    EXPECT_TRUE(p.MenuPresent());
    for (int i = 0; i < 2; ++i) menu->Items()->Items(i)->SetVisible(false);
    EXPECT_FALSE(p.MenuPresent()) << "no visible item";
    menu->Items()->Items(1)->SetVisible(true);
    form->SetBorderStyle(bsDialog);
    form->HandleNeeded();
    EXPECT_FALSE(p.MenuPresent()) << "a dialog never has a menu line";
}

TEST_F(MenuLineTest, AnMdiMainFormCountsItsActiveChildsItems)
{
    UseHouseSkin();
    TForm* frame = nullptr;
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    TMainMenu* own = MenuWith(frame, {L"Window"});
    own->Items()->Items(0)->SetVisible(false);
    frame->Show();
    auto* p = new TsSkinProvider(frame);
    auto* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    child->Show();
    auto* childProvider = new TsSkinProvider(child);
    EXPECT_FALSE(p->MenuPresent());
    TMainMenu* childMenu = MenuWith(child, {L"Document"});
    EXPECT_TRUE(p->MenuPresent()) << "the active child's visible item";
    EXPECT_FALSE(childProvider->MenuPresent()) << "an MDI child has no menu line";
    childMenu->Items()->Items(0)->SetVisible(false);
    EXPECT_FALSE(p->MenuPresent());
}

TEST_F(MenuLineTest, UpdateMenuRebuildsTheBarOnceAndNotWhileRunning)
{
    TSpyProvider& p = Skinned();
    EXPECT_FALSE(p.UpdateMenu()) << "no items";
    TMainMenu* menu = MenuWith(form, {L"File"});
    TMenuItem* added = AddItem(form, menu->Items(), L"Later");
    RemoveMenu(GetMenu(form->Handle()), 1, MF_BYPOSITION); // the bar lost an entry behind the menu's back
    ASSERT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 1);
    fGlobalFlag = true;
    EXPECT_FALSE(p.UpdateMenu()) << "nested";
    EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 1) << "and did nothing";
    fGlobalFlag = false;
    EXPECT_TRUE(p.UpdateMenu());
    EXPECT_FALSE(fGlobalFlag);
    EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 2) << "rebuilt";
    EXPECT_TRUE(added->Enabled());
}

TEST_F(MenuLineTest, TryInitMenuPreparesTheLineOnceAndInitMenuItemsHooksFormAndFrames)
{
    TSpyProvider& p = Skinned();
    ASSERT_TRUE(p.CanDrawNCArea());
    TsSkinableMenus* menus = manager->SkinableMenus();
    const TAdvancedMenuDrawItemEvent line(menus, &TsSkinableMenus::sAdvancedDrawLineItem);
    const TAdvancedMenuDrawItemEvent item(menus, &TsSkinableMenus::sAdvancedDrawItem);
    TMainMenu* menu = MenuWith(form, {L"File"});
    TMenuItem* top = menu->Items()->Items(0);
    TMenuItem* open = AddItem(form, top, L"Open");
    p.MenusInitialized = false;
    top->OnAdvancedDrawItem = {};
    p.TryInitMenu();
    EXPECT_EQ(top->OnAdvancedDrawItem, line);
    EXPECT_TRUE(p.MenusInitialized);
    top->OnAdvancedDrawItem = {};
    p.TryInitMenu();
    EXPECT_FALSE(top->OnAdvancedDrawItem) << "prepared once";

    auto* frame = new TCustomFrame(form);
    auto* framePopup = new TPopupMenu(frame);
    TMenuItem* frameItem = AddItem(frame, framePopup->Items(), L"In frame");
    auto* popup = new TPopupMenu(form);
    TMenuItem* popupItem = AddItem(form, popup->Items(), L"Copy");
    open->OnAdvancedDrawItem = {};
    p.InitMenuItems(true);
    EXPECT_EQ(top->OnAdvancedDrawItem, line);
    EXPECT_EQ(open->OnAdvancedDrawItem, item);
    EXPECT_EQ(popupItem->OnAdvancedDrawItem, item);
    EXPECT_EQ(frameItem->OnAdvancedDrawItem, item) << "a frame's menus too";
    p.InitMenuItems(false);
    EXPECT_FALSE(popupItem->OnAdvancedDrawItem);
    EXPECT_FALSE(frameItem->OnAdvancedDrawItem);
}

TEST_F(MenuLineTest, CaptionButtonGlyphsAndHitCodesByBorderStyle)
{
    TSpyProvider& p = Skinned();
    const struct {
        TFormBorderStyle style;
        TBorderIcons icons;
        bool big;
        TacTitleGlyph close, min;
    } rows[] = {
        {bsSizeable, {biSystemMenu, biMinimize, biMaximize}, true, tgClose, tgMin},
        {bsSingle, {biSystemMenu}, true, tgCloseAlone, tgMin},
        {bsDialog, {biSystemMenu}, true, tgCloseAlone, tgMin},
        {bsToolWindow, {biSystemMenu}, false, tgSmallClose, tgSmallMin},
        {bsSizeToolWin, {biSystemMenu, biMinimize, biMaximize}, false, tgSmallClose, tgSmallMin},
    };
    for (const auto& r : rows) {
        form->SetBorderStyle(r.style);
        form->SetBorderIcons(r.icons);
        form->HandleNeeded();
        p.UpdateIconsIndexes();
        EXPECT_EQ(p.BigButtons, r.big) << r.style;
        EXPECT_EQ(p.ButtonClose.cpGlyphType, r.close) << r.style;
        EXPECT_EQ(p.ButtonMin.cpGlyphType, r.min) << r.style;
        EXPECT_EQ(p.ButtonMax.cpGlyphType, r.big ? tgMax : tgSmallMax) << r.style;
        EXPECT_EQ(p.ButtonHelp.cpGlyphType, r.big ? tgHelp : tgSmallHelp) << r.style;
        EXPECT_EQ(p.ButtonClose.cpHaveAlignment, r.big);
        EXPECT_EQ(p.ButtonMin.cpHitCode, HTMINBUTTON);
        EXPECT_EQ(p.ButtonMax.cpHitCode, HTMAXBUTTON);
        EXPECT_EQ(p.ButtonClose.cpHitCode, HTCLOSE);
    }
    EXPECT_EQ(p.UserBtnIndex, -1) << "no user title button in the skin";
    EXPECT_EQ(p.TitleSkinSection(), L"FORMTITLE");
    p.SetSkinSection(0, L"MYTITLE");
    EXPECT_EQ(p.TitleSkinSection(), L"MYTITLE");
}

TEST_F(MenuLineTest, TheUserTitleButtonMaskOfTheSkin)
{
    house_skin::Options withButton;
    withButton.withForm = true;
    withButton.withTitleButton = true;
    manager = ActiveHouseSkinManager(dir.Path(), withButton);
    ASSERT_TRUE(manager && manager->IsActive());
    form = new TLoggedForm(Application);
    auto* p = new TsSkinProvider(form);
    form->Show();
    p->PrepareForm();
    const int mask = manager->GetMaskIndex(manager->SkinCommonInfo.IndexGlobalInfo, L"TITLEBUTTON");
    ASSERT_GE(mask, 0);
    EXPECT_EQ(p->UserBtnIndex, mask);
}

TEST_F(MenuLineTest, TheMdiButtonsOfAnMdiMainForm)
{
    UseHouseSkin();
    TForm* frame = nullptr;
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->Show();
    auto* p = new TsSkinProvider(frame);
    p->PrepareForm();
    p->UpdateIconsIndexes();
    EXPECT_EQ(p->MDIMin.cpGlyphType, tgSmallMin);
    EXPECT_EQ(p->MDIMax.cpGlyphType, tgSmallMax);
    EXPECT_EQ(p->MDIClose.cpGlyphType, tgSmallClose);
    EXPECT_FALSE(p->MDIClose.cpHaveAlignment);
}

TEST_F(MenuLineTest, CheckSysMenuTakesWsSysMenuAwayWhileTheSkinDrawsTheCaption)
{
    TSpyProvider& p = Skinned();
    HWND wnd = form->Handle();
    ASSERT_TRUE(p.CanDrawNCArea());
    p.CheckSysMenu(true);
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU);
    const int icons = form->Log.Count(WM_SETICON);
    p.CheckSysMenu(false);
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(form->Log.Count(WM_SETICON), icons + 1) << "the icon is sent again";
    // Without the system-menu icon nothing comes back.
    p.CheckSysMenu(true);
    form->SetBorderIcons({});
    form->HandleNeeded();
    wnd = form->Handle();
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_SYSMENU));
    p.CheckSysMenu(false);
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU);
}

namespace {

class TItemPainter : public TObject {
public:
    UnicodeString ClassName() const override { return L"TItemPainter"; }
    void Draw(TObject*, TCanvas* canvas, TRect r, TOwnerDrawState state)
    {
        ++Calls;
        State = state;
        canvas->Brush()->SetColor(0x00C000);
        canvas->FillRect(r);
    }
    int Calls = 0;
    TOwnerDrawState State;
};

} // namespace

TEST_F(MenuLineTest, RepaintMenuItemDrawsThroughTheItemIntoTheCacheAndTheWindow)
{
    TSpyProvider& p = Skinned();
    TMainMenu* menu = MenuWith(form, {L"File"});
    TMenuItem* item = menu->Items()->Items(0);
    TItemPainter painter;
    item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&painter, &TItemPainter::Draw);
    p.FCommonData->FCacheBmp = CreateBmp32(form->Width(), form->Height());
    FillRect32(p.FCommonData->FCacheBmp.get(), MkRect(p.FCommonData->FCacheBmp.get()), 0xFFFFFF, 255);
    const TRect r(20, 6, 60, 18); // window coordinates, in the caption
    p.RepaintMenuItem(item, r, TOwnerDrawState{odSelected});
    EXPECT_EQ(painter.Calls, 1);
    EXPECT_TRUE(painter.State.Contains(odSelected));
    TBitmap& cache = *p.FCommonData->FCacheBmp;
    EXPECT_EQ(PixelOf(cache, 30, 10), RGB(0, 0xC0, 0));
    EXPECT_EQ(PixelOf(cache, 10, 10), RGB(0xFF, 0xFF, 0xFF)) << "only the item's rectangle";
    auto shot = GrabWindow(form->Handle());
    EXPECT_EQ(PixelOf(*shot, 30, 10), RGB(0, 0xC0, 0)) << "copied to the window";

    // Not an item of the form's main menu, or no menu line: nothing is painted.
    auto* popup = new TPopupMenu(form);
    TMenuItem* other = AddItem(form, popup->Items(), L"Other");
    other->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&painter, &TItemPainter::Draw);
    p.RepaintMenuItem(other, r, {});
    form->SetBorderStyle(bsDialog);
    form->HandleNeeded();
    p.RepaintMenuItem(item, r, {});
    EXPECT_EQ(painter.Calls, 1);
}

TEST_F(MenuLineTest, RepaintMenuResetsTheLineAndRepaintsTheFrame)
{
    TSpyProvider& p = Skinned();
    p.FCommonData->BGChanged = false;
    p.MenuChanged = false;
    p.FLinesCount = 2;
    p.Calls.clear();
    p.RepaintMenu();
    EXPECT_TRUE(p.FCommonData->BGChanged);
    EXPECT_TRUE(p.MenuChanged);
    EXPECT_EQ(p.FLinesCount, -1);
    EXPECT_EQ(std::count(p.Calls.begin(), p.Calls.end(), "AC_WMNCPaint"), 1);
}
