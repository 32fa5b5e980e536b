// The shared message handlers of skinned controls, outer effects and scroll-bar settings, on
// framework controls under Xvfb whose window procedures run the handlers, house skin loaded.
#include "../framework/graphics_png.h"
#include "BuildFolder.h"
#include "PumpUntil.h"
#include "acThdTimer.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sSkinManagerOptions.h"
#include "Menus.h"
#include "sSkinMenus.h"
#include "sVclUtils.h"
#include "skin_core_test_routed.h"

#include <gtest/gtest.h>

namespace {

using namespace house_skin;

using SharedMessagesTest = RoutedTest;

TEST_F(SharedMessagesTest, CommandAnswersByCode)
{
    TsCtrlSkinData* data = child->SkinData.get();
    ASSERT_GE(data->SkinIndex, 0);
    // Codes above the table and codes it does not list are left to the caller.
    for (WORD code : {WORD(5), WORD(9), WORD(87), WORD(88), WORD(200)}) {
        TMessage m{SM_ALPHACMD, MakeAlphaCmd(code), 0, 0};
        EXPECT_FALSE(CommonMessage(m, data)) << code;
    }
    TMessage other{WM_PAINT, 0, 0, 0};
    EXPECT_TRUE(CommonMessage(other, data));
    EXPECT_TRUE(CommonMessage(other, nullptr));

    // 7: always handled, LParam tells whether the control is skinned.
    TMessage handled{SM_ALPHACMD, MakeAlphaCmd(AC_CTRLHANDLED), 5, 0};
    EXPECT_TRUE(CommonMessage(handled, data));
    EXPECT_EQ(handled.Result, 1);
    EXPECT_EQ(handled.LParam, 1);
    const int index = data->SkinIndex;
    data->SkinIndex = -1;
    EXPECT_TRUE(CommonMessage(handled, data));
    EXPECT_EQ(handled.Result, 1);
    EXPECT_EQ(handled.LParam, 0);
    data->SkinIndex = index;

    // 10: stale cache of the wrong size, empty cache after preparing, custom colour (the parent
    // has its cache ready, so it is not waiting itself).
    parent->SkinData->FCacheBmp = CreateBmp32(parent->Width(), parent->Height());
    parent->SkinData->BGChanged = false;
    data->FCacheBmp = CreateBmp32(child->Width(), child->Height() + 1);
    data->BGChanged = false;
    EXPECT_EQ(Command(child, AC_ISUPDATING), 1);
    data->FCacheBmp->SetSize(child->Width(), child->Height());
    EXPECT_EQ(Command(child, AC_ISUPDATING), 0);
    data->BGChanged = true;
    data->FCacheBmp->SetSize(0, 0);
    EXPECT_EQ(Command(child, AC_ISUPDATING), 1);
    EXPECT_FALSE(data->BGChanged) << "asked to prepare its cache (AC_PREPARECACHE)";
    data->SetBoolean(0, true);
    EXPECT_EQ(Command(child, AC_ISUPDATING), 0);
    data->SetBoolean(0, false);
    data->FCacheBmp.reset();

    // 22 then 11: out of view.
    EXPECT_EQ(Command(child, AC_GETOUTOFVIEW), 0);
    Command(child, AC_SETOUTOFVIEW);
    EXPECT_EQ(Command(child, AC_GETOUTOFVIEW), 1);

    // 15: a section by name; none without a name.
    const UnicodeString low = L"PANEL_LOW";
    EXPECT_EQ(Command(child, AC_SETSECTION, 0, reinterpret_cast<LPARAM>(&low)), 1);
    EXPECT_EQ(data->SkinIndex, manager->GetSkinIndex(L"PANEL_LOW"));
    EXPECT_EQ(Command(child, AC_SETSECTION, 0, 0), 0);

    // 17: stale here and in the children.
    child->Forget();
    parent->SkinData->BGChanged = data->BGChanged = false;
    Command(parent, AC_INVALIDATECACHE);
    EXPECT_TRUE(parent->SkinData->BGChanged);
    EXPECT_TRUE(data->BGChanged);
    EXPECT_EQ(child->Count(AC_INVALIDATECACHE), 1);

    // 23 prepares, 26 fills the record, 37 and 86 give the objects, 69 the PPI.
    Command(child, AC_PREPARECACHE);
    EXPECT_FALSE(data->BGChanged);
    TacSkinIndexRec rec;
    Command(child, AC_GETSKININDEXREC, 0, reinterpret_cast<LPARAM>(&rec));
    EXPECT_EQ(rec.SkinIndex, data->SkinIndex);
    EXPECT_EQ(Command(child, AC_GETCOMMONDATA), reinterpret_cast<LRESULT>(data));
    TMessage skinData{SM_ALPHACMD, MakeAlphaCmd(AC_GETSKINDATA), 0, 0};
    EXPECT_TRUE(CommonMessage(skinData, data));
    EXPECT_EQ(skinData.Result, reinterpret_cast<LRESULT>(data->GetCommonSkinData()));
    EXPECT_EQ(skinData.LParam, reinterpret_cast<LPARAM>(data->FCommonSkinData));

    // 68 stores the PPI, takes the manager's data for it and passes it on; 69 answers it.
    child->Forget();
    TMessage ppi{SM_ALPHACMD, MakeAlphaCmd(AC_SETPPI), 144, 0};
    EXPECT_FALSE(CommonMessage(ppi, parent->SkinData.get()));
    EXPECT_EQ(parent->SkinData->FCommonSkinData, manager->CommonSkinData(144));
    EXPECT_EQ(Command(parent, AC_GETPPI), 144);
    EXPECT_EQ(child->Count(AC_SETPPI), 1);

    // 38: printing on with its DC, then off.
    Command(child, AC_PRINTING, 1, 0x1234);
    EXPECT_TRUE(data->CtrlSkinState & ACS_PRINTING);
    EXPECT_EQ(data->PrintDC, reinterpret_cast<HDC>(0x1234));
    Command(child, AC_PRINTING, 0, 0);
    EXPECT_FALSE(data->CtrlSkinState & ACS_PRINTING);
    EXPECT_EQ(data->PrintDC, nullptr);

    // 70: the owner's bounds.
    TRect bounds;
    Command(child, AC_GETBOUNDS, 0, reinterpret_cast<LPARAM>(&bounds));
    EXPECT_EQ(bounds, child->BoundsRect());

    // 85: an active manager lets anything animate.
    EXPECT_EQ(Command(child, AC_CANANIMATE), 1);
}

TEST_F(SharedMessagesTest, OwnerMovedAndScrollWindowUpdate)
{
    TsCtrlSkinData* data = parent->SkinData.get();
    // 20 with low word 1 redraws and, when the background is stale, tells the children.
    data->BGChanged = true;
    Command(parent, AC_OWNERMOVED, 1);
    EXPECT_EQ(child->Count(AC_OWNERMOVED), 1);
    EXPECT_EQ(child->Codes.back().first, AC_OWNERMOVED);
    // 33 with a cache: children told, cache emptied, background stale.
    child->Forget();
    data->FCacheBmp = CreateBmp32(20, 20);
    data->BGChanged = false;
    Command(parent, AC_UPDATESCROLLWND);
    EXPECT_TRUE(data->FCacheBmp->Empty());
    EXPECT_TRUE(data->BGChanged);
    EXPECT_EQ(child->Count(AC_UPDATESCROLLWND), 1);
    // Without a cache it does nothing.
    child->Forget();
    data->FCacheBmp.reset();
    data->BGChanged = false;
    Command(parent, AC_UPDATESCROLLWND);
    EXPECT_FALSE(data->BGChanged);
    EXPECT_EQ(child->Count(AC_UPDATESCROLLWND), 0);
}

TEST_F(SharedMessagesTest, RemoveSkinRestoresTheStandardLookOnlyWhenSkinned)
{
    auto* edit = Make<TRoutedEdit>(parent, L"EDIT", TRect(10, 100, 130, 124), 2);
    PumpUntil([] { return true; }, 0);
    TsCtrlSkinData* data = edit->SkinData.get();
    ASSERT_GE(data->SkinIndex, 0);
    // Another manager's removal is handled without doing anything.
    TMessage foreign{SM_ALPHACMD, MakeAlphaCmd(AC_REMOVESKIN), 0x10, 0};
    EXPECT_TRUE(CommonMessage(foreign, data));
    EXPECT_GE(data->SkinIndex, 0);
    // Skinned: unskinned, edit colours back, result False.
    edit->SetColor(0x123456);
    EXPECT_EQ(Command(edit, AC_REMOVESKIN, 0, Manager()), 0);
    EXPECT_EQ(data->SkinIndex, -1);
    EXPECT_EQ(edit->Color(), clWindow);
    EXPECT_EQ(edit->Font()->Color(), clWindowText);
    // Already unskinned: True at once, the colours are not touched.
    edit->SetColor(0x654321);
    TMessage again{SM_ALPHACMD, MakeAlphaCmd(AC_REMOVESKIN), Manager(), 0};
    EXPECT_TRUE(CommonMessage(again, data));
    EXPECT_EQ(edit->Color(), static_cast<TColor>(0x654321));
}

TEST_F(SharedMessagesTest, RefreshForAnotherManagerOnlyReachesTheChildren)
{
    TsCtrlSkinData* data = parent->SkinData.get();
    data->BGChanged = false;
    data->FUpdating = true;
    TMessage m{SM_ALPHACMD, MakeAlphaCmd(AC_REFRESH, 1), 0x20, 0};
    EXPECT_TRUE(CommonMessage(m, data));
    EXPECT_FALSE(data->BGChanged);
    EXPECT_TRUE(data->FUpdating);
    ASSERT_EQ(child->Count(AC_REFRESH), 1);
    EXPECT_EQ(child->Codes.back().second, 0x20);
    // For its own manager the control refreshes and tells the children it moved.
    child->Forget();
    TMessage own{SM_ALPHACMD, MakeAlphaCmd(AC_REFRESH, static_cast<WORD>(data->SkinIndex)), Manager(), 0};
    ASSERT_GT(data->SkinIndex, 0);
    EXPECT_TRUE(CommonMessage(own, data));
    EXPECT_TRUE(data->BGChanged);
    EXPECT_FALSE(data->FUpdating);
    EXPECT_EQ(child->Count(AC_OWNERMOVED), 1);
    EXPECT_EQ(child->Count(AC_REFRESH), 0);
}

TEST_F(SharedMessagesTest, RefreshNeededBySectionAndClass)
{
    TsCtrlSkinData* data = child->SkinData.get();
    const auto& sections = manager->SkinCommonInfo.Sections;
    const auto need = [&](BYTE coc, int lo) {
        data->COC = coc;
        TMessage m{SM_ALPHACMD, MakeAlphaCmd(AC_REFRESH, static_cast<WORD>(lo)), Manager(), 0};
        return RefreshNeeded(data, m);
    };
    ASSERT_GE(sections[ssScrollSliderH], 0);
    ASSERT_GE(sections[ssComboBtn], 0);
    ASSERT_GE(sections[ssTrackBar], 0);
    EXPECT_TRUE(need(0, 0)) << "every section";
    EXPECT_TRUE(need(0, data->SkinIndex));
    EXPECT_TRUE(need(2, sections[ssScrollSliderH])) << "an edit paints scroll bars";
    EXPECT_TRUE(need(14, sections[ssScrollSliderH]));
    EXPECT_TRUE(need(13, sections[ssComboBtn]));
    EXPECT_TRUE(need(34, sections[ssTrackBar]));
    EXPECT_TRUE(need(165, sections[ssTrackBar]));
    EXPECT_FALSE(need(0, sections[ssComboBtn])) << "no extra sections";
    TMessage foreign{SM_ALPHACMD, MakeAlphaCmd(AC_REFRESH), 0x20, 0};
    EXPECT_FALSE(RefreshNeeded(data, foreign));
    data->COC = 0;
}

TEST_F(SharedMessagesTest, BackgroundColourByTransparency)
{
    TsCtrlSkinData* data = child->SkinData.get();
    TsGenState& state = Section(L"PANEL").Props[0];
    const TColor own = state.Color;
    parent->BGColor = 0x2040C0;
    struct Case {
        int transparency;
        TColor expected;
    };
    const auto blend = [&](int t) { return SectionOverParent(own, parent->BGColor, t); };
    for (const Case& c : {Case{0, own}, Case{100, 0x2040C0}, Case{50, blend(50)}}) {
        state.Transparency = c.transparency;
        EXPECT_EQ(Command(child, AC_GETBGCOLOR), c.expected) << c.transparency;
    }
    EXPECT_NE(blend(50), own);
    // Unskinned: its own colour.
    data->SkinIndex = -1;
    child->SetColor(0x00FF80);
    EXPECT_EQ(Command(child, AC_GETBGCOLOR), 0x00FF80);
}

TEST_F(SharedMessagesTest, AControlWithItsOwnColourHandsItToItsChildren)
{
    // A skinned panel that keeps the colour its user gave it, holding a control whose section
    // shows the panel through.
    TsCtrlSkinData* own = parent->SkinData.get();
    own->SetBoolean(0, true);
    parent->SetColor(0x3366CC);
    ASSERT_TRUE(own->CustomColor());
    ASSERT_NE(Section(L"PANEL").Props[0].Color, static_cast<TColor>(0x3366CC));
    child->SkinData->SetSkinSection(L"PANEL_LOW");
    Section(L"PANEL_LOW").Props[0].Transparency = 100;
    child->SkinData->FCacheBmp.reset();

    EXPECT_EQ(SendAMessage(parent, AC_GETBGCOLOR), 0x3366CC);
    EXPECT_EQ(GetControlColor(child), 0x3366CC) << "the child's colour shows its parent's";
    TacBGInfo bg;
    InitBGInfo(child->SkinData.get(), &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, 0x3366CC) << "the child fills with what its parent paints";
}

TEST_F(SharedMessagesTest, OneColourRuleUnderSkinnedAndPlainParents)
{
    // The same child section over a skinned panel and over a plain framework panel.
    TsGenState& panel = Section(L"PANEL").Props[0];
    panel.Transparency = 0;
    auto* plain = new TPanel(form);
    plain->SetParent(form);
    plain->SetBounds(10, 255, 330, 40);
    plain->SetColor(0x2040C0);
    auto* onPlain = Make<TRoutedPanel>(plain, L"PANEL_LOW", TRect(5, 5, 60, 30));
    child->SkinData->SetSkinSection(L"PANEL_LOW");
    TsGenState& low = Section(L"PANEL_LOW").Props[0];
    const TColor own = low.Color;
    struct Under {
        TRoutedPanel* control;
        TColor parentColour;
    };
    for (const Under& u : {Under{child, panel.Color}, Under{onPlain, 0x2040C0}}) {
        for (int t : {0, 1, 10, 50, 90, 99, 100}) {
            SCOPED_TRACE(testing::Message() << "transparency " << t << " over " << std::hex << u.parentColour);
            low.Transparency = t;
            const TColor expected =
                t == 0 ? own : t == 100 ? u.parentColour : SectionOverParent(own, u.parentColour, t);
            EXPECT_EQ(SendAMessage(u.control, AC_GETBGCOLOR), expected);
            EXPECT_EQ(GetBGColor(u.control->SkinData.get(), 0), expected);
        }
    }
}

TEST_F(SharedMessagesTest, TurningTheSkinOffResetsControlsWithoutAWindow)
{
    // An edit and a panel with a label, all hidden: the framework makes no windows for them.
    auto* edit = new TRoutedEdit(form);
    edit->SetVisible(false);
    edit->SetParent(form);
    auto* box = new TRoutedPanel(form);
    box->SetVisible(false);
    box->SetParent(form);
    auto* label = new TLabel(form);
    label->SetParent(box);
    for (auto* data : {edit->SkinData.get(), box->SkinData.get()}) data->Loading = false;
    edit->SkinData->SetSkinSection(L"EDIT");
    box->SkinData->SetSkinSection(L"PANEL");
    ASSERT_FALSE(edit->HandleAllocated());
    ASSERT_FALSE(box->HandleAllocated());
    ASSERT_GE(edit->SkinData->SkinIndex, 0);
    // The skin's colours, as the skin gave them.
    edit->SetColor(0x123456);
    edit->Font()->SetColor(0x654321);
    label->Font()->SetColor(0x112233);

    manager->SetActive(false);
    EXPECT_EQ(edit->SkinData->SkinIndex, -1);
    EXPECT_EQ(edit->Color(), clWindow);
    EXPECT_EQ(edit->Font()->Color(), clWindowText);
    EXPECT_EQ(label->Font()->Color(), clWindowText);
    EXPECT_FALSE(edit->HandleAllocated()) << "no window was made for it";
}

// A plain control that notes its own font size each time it copies its parent's.
class TFontCopies : public TPanel {
public:
    using TPanel::TPanel;
    void WndProc(TMessage& message) override
    {
        TPanel::WndProc(message);
        if (message.Msg == CM_PARENTFONTCHANGED) Sizes.push_back(Font()->Size());
    }
    std::vector<int> Sizes;
};

TEST_F(SharedMessagesTest, ParentFontReachesEachControlOnceAfterItsParentTookIt)
{
    // Two skinned levels (parent, child) and a plain control under them.
    auto* deep = new TFontCopies(form);
    deep->SetParent(child);
    auto* beside = new TFontCopies(form);
    beside->SetParent(parent);
    deep->Sizes.clear(); // the copy each took when it was placed
    beside->Sizes.clear();
    const int size = form->Font()->Size() + 5;
    form->Font()->SetSize(size);
    EXPECT_EQ(child->Font()->Size(), size);
    EXPECT_EQ(beside->Sizes, std::vector<int>{size});
    EXPECT_EQ(deep->Sizes, std::vector<int>{size}) << "one copy, of the new font";
}

TEST_F(SharedMessagesTest, TransparencyModeGoesToChildrenWithTheGlassFlagAndIsNotReentered)
{
    TsCtrlSkinData* data = parent->SkinData.get();
    LRESULT nested = -1;
    child->OnCommand = [&](TMessage& m) {
        if (AlphaCmdCode(m.WParam) == AC_SETTRANSPMODE)
            nested = Command(parent, AC_SETTRANSPMODE, 0, MAKELONG(0, 7));
    };
    const LRESULT answer = Command(parent, AC_SETTRANSPMODE, 0, MAKELONG(1, 2));
    EXPECT_EQ(answer, MAKELONG(1, 2));
    EXPECT_EQ(data->TranspMode, 2);
    ASSERT_EQ(child->Count(AC_SETTRANSPMODE), 1);
    EXPECT_EQ(child->Codes.back().second, MAKELONG(1, 2));
    EXPECT_EQ(nested, 0) << "the nested request is not handled";
    EXPECT_FALSE(data->GlassModeInit);
    // Without the glass flag the children hear nothing; forced opaque is mode 1.
    child->Forget();
    data->SetOpaqueMode(omForceOpaque);
    EXPECT_EQ(Command(parent, AC_SETTRANSPMODE, 0, MAKELONG(0, 3)), MAKELONG(0, 1));
    EXPECT_EQ(child->Count(AC_SETTRANSPMODE), 0);
}

TEST_F(SharedMessagesTest, RedrawLocksAreCounted)
{
    TsCtrlSkinData* data = child->SkinData.get();
    const auto redraw = [&](WPARAM on) {
        TMessage m{WM_SETREDRAW, on, 0, 0};
        return CommonWndProc(m, data);
    };
    EXPECT_TRUE(redraw(1)) << "no lock: swallowed";
    EXPECT_FALSE(redraw(0));
    EXPECT_FALSE(redraw(0));
    EXPECT_EQ(data->RedrawLockCount, 2);
    EXPECT_FALSE(redraw(1)) << "visible control";
    child->Hide();
    EXPECT_TRUE(redraw(1)) << "hidden control";
    EXPECT_EQ(data->RedrawLockCount, 0);
    EXPECT_TRUE(redraw(1));
}

TEST_F(SharedMessagesTest, SizeChangesRepaintChildrenOnlyForABackgroundThatVariesThatWay)
{
    TsCtrlSkinData* data = parent->SkinData.get();
    struct Case {
        WORD bgType;
        bool heightOnlyRepaints;
    };
    const Case cases[] = {{0x02, true},  {0x04, true},  {0x10, true},  {0x40, true},
                          {0x01, false}, {0x20, false}, {0x80, false}, {0x00, false}};
    int height = parent->Height();
    for (const Case& c : cases) {
        data->BGType = c.bgType;
        child->Forget();
        parent->SetBounds(parent->Left(), parent->Top(), parent->Width(), ++height);
        EXPECT_EQ(child->Count(AC_OWNERMOVED), c.heightOnlyRepaints ? 1 : 0) << c.bgType;
        EXPECT_EQ(data->CtrlSkinState & (ACS_WIDTHCHANGING | ACS_HEIGHTCHANGING), 0u) << "cleared by WM_SIZE";
    }
    // The bits come from WM_WINDOWPOSCHANGING; a move alone sets none.
    const auto changing = [&](int cx, int cy, UINT flags) {
        data->CtrlSkinState = 0;
        WINDOWPOS pos{parent->Handle(), nullptr, 0, 0, cx, cy, flags};
        TMessage m{WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos), 0};
        CommonWndProc(m, data);
        return data->CtrlSkinState;
    };
    const int w = parent->Width(), h = parent->Height();
    EXPECT_EQ(changing(w + 1, h, 0), ACS_WIDTHCHANGING);
    EXPECT_EQ(changing(w, h + 1, 0), ACS_HEIGHTCHANGING);
    EXPECT_EQ(changing(w + 1, h + 1, 0), ACS_WIDTHCHANGING | ACS_HEIGHTCHANGING);
    EXPECT_EQ(changing(0, 0, SWP_NOSIZE), 0u);
    data->CtrlSkinState = ACS_WIDTHCHANGING;
    data->BGType = 0x20;
    EXPECT_TRUE(FullRepaintOnly(data));
    data->BGType = 0x02;
    EXPECT_FALSE(FullRepaintOnly(data));
}

TEST_F(SharedMessagesTest, FocusSwitchesEditColoursUnlessCustom)
{
    auto* edit = Make<TRoutedEdit>(parent, L"EDIT", TRect(10, 100, 130, 124), 2);
    auto* other = Make<TRoutedEdit>(parent, L"EDIT", TRect(10, 140, 130, 164), 2);
    TsCtrlSkinData* data = edit->SkinData.get();
    ApplySkinColors(data, false);
    ASSERT_EQ(edit->Color(), static_cast<TColor>(kEditBG));
    ASSERT_TRUE(PumpUntil([&] {
        SetForegroundWindow(form->Handle());
        edit->SetFocus();
        return edit->Focused();
    }));
    EXPECT_TRUE(data->FFocused);
    EXPECT_EQ(edit->Color(), static_cast<TColor>(kEditHotBG));
    ASSERT_TRUE(PumpUntil([&] {
        other->SetFocus();
        return other->Focused();
    }));
    EXPECT_FALSE(data->FFocused);
    EXPECT_EQ(edit->Color(), static_cast<TColor>(kEditBG));
    // A custom colour stays.
    data->SetBoolean(0, true);
    edit->SetColor(0x00C0C0);
    ASSERT_TRUE(PumpUntil([&] {
        edit->SetFocus();
        return edit->Focused();
    }));
    EXPECT_EQ(edit->Color(), static_cast<TColor>(0x00C0C0));
}

TEST_F(SharedMessagesTest, MouseEnterAndLeaveFollowTheRealMouse)
{
    auto* edit = Make<TRoutedEdit>(parent, L"EDIT", TRect(10, 100, 130, 124), 2);
    TsCtrlSkinData* data = edit->SkinData.get();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(edit->Handle()) != 0; }));
    RECT r{};
    GetWindowRect(edit->Handle(), &r);
    const POINT inside{r.left + 20, r.top + 10};
    SetCursorPos(inside.x, inside.y);
    // Other test programs share the display: the form stays above their windows.
    SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The real mouse reaches the windows first; then the test starts from nothing hot.
    ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(inside) == edit->Handle(); }));
    data->FMouseAbove = false;
    manager->SetActiveControl(nullptr);
    ASSERT_EQ(manager->ActiveControl(), nullptr);
    ac_AllowHotEdits = true; // edits take hot colours from the mouse only with it
    edit->Perform(CM_MOUSEENTER, 0, 0);
    ac_AllowHotEdits = false;
    EXPECT_TRUE(data->FMouseAbove);
    EXPECT_EQ(manager->ActiveControl(), edit->Handle());
    EXPECT_EQ(edit->Color(), static_cast<TColor>(kEditHotBG));
    // The mouse is still inside: the leave is not believed.
    ASSERT_TRUE(PumpUntil([&] { return acMouseInControl(data); }));
    edit->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(data->FMouseAbove);
    SetCursorPos(r.right + 150, r.bottom + 150);
    ASSERT_TRUE(PumpUntil([&] { return !acMouseInControl(data); }));
    edit->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(data->FMouseAbove);
    EXPECT_EQ(edit->Color(), static_cast<TColor>(kEditBG));
}

TEST_F(SharedMessagesTest, MouseEnterShowsNoHotLookOfASectionClearInBothStates)
{
    auto* edit = Make<TRoutedEdit>(parent, L"EDIT", TRect(10, 100, 130, 124), 2);
    TsCtrlSkinData* data = edit->SkinData.get();
    TsGeneralData& section = Section(L"EDIT");
    ASSERT_GT(section.States, 1);
    struct Case {
        int normal, hot;
        TColor color;
    };
    // Only a section transparent in both states skips the hot look; the hover is kept either way.
    for (const Case& c : {Case{100, 100, kEditBG}, Case{100, 0, kEditHotBG}, Case{0, 0, kEditHotBG}}) {
        section.Props[0].Transparency = c.normal;
        section.Props[1].Transparency = c.hot;
        edit->SetColor(kEditBG);
        data->FMouseAbove = false;
        ac_AllowHotEdits = true;
        edit->Perform(CM_MOUSEENTER, 0, 0);
        ac_AllowHotEdits = false;
        EXPECT_TRUE(data->FMouseAbove) << c.normal << "/" << c.hot;
        EXPECT_EQ(edit->Color(), c.color) << c.normal << "/" << c.hot;
    }
}

TEST_F(SharedMessagesTest, StandardMessagesOfSkinnedAndUnskinnedOwners)
{
    TsCtrlSkinData* data = child->SkinData.get();
    // WM_UPDATEUISTATE: swallowed when skinned, else passed on with empty arguments.
    TMessage ui{WM_UPDATEUISTATE, 0x10001, 7, 0};
    EXPECT_TRUE(CommonWndProc(ui, data));
    data->SkinIndex = -1;
    EXPECT_FALSE(CommonWndProc(ui, data));
    EXPECT_EQ(ui.WParam, 0u);
    EXPECT_EQ(ui.LParam, 0);

    // WM_DPICHANGED drops the cached skin data.
    data->UpdateIndexes(true);
    ASSERT_NE(data->GetCommonSkinData(), nullptr);
    ASSERT_NE(data->FCommonSkinData, nullptr);
    SendMessageW(child->Handle(), 0x02E0, MAKEWPARAM(96, 96), 0);
    EXPECT_EQ(data->FCommonSkinData, nullptr);

    // WM_CONTEXTMENU hooks the owner's popup menu.
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption(L"Item");
    menu->Items()->Add(item);
    child->SetPopupMenu(menu);
    SendMessageW(child->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child->Handle()), 0);
    ASSERT_TRUE(manager->IsActive());
    EXPECT_TRUE(menu->OwnerDraw());
    EXPECT_EQ(item->OnAdvancedDrawItem,
                  TAdvancedMenuDrawItemEvent(manager->SkinableMenus(), &TsSkinableMenus::sAdvancedDrawItem));

    // Disabling forgets hover and focus.
    data->FMouseAbove = data->FFocused = true;
    child->SetEnabled(false);
    EXPECT_FALSE(data->FMouseAbove);
    EXPECT_FALSE(data->FFocused);
    EXPECT_TRUE(data->BGChanged);
}

TEST_F(SharedMessagesTest, PrintOfAnUnskinnedOwnerPaintsItsWindowlessChildren)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetAutoSize(false);
    label->SetBounds(200, 20, 40, 30);
    label->SetColor(0x0000FF);
    label->SetCaption(L"");
    TsCtrlSkinData* data = parent->SkinData.get();
    auto bmp = CreateBmp32(parent->Width(), parent->Height());
    bmp->Canvas()->Brush()->SetColor(0xFFFFFF);
    bmp->Canvas()->FillRect(TRect(0, 0, bmp->Width(), bmp->Height()));
    // Skinned: left to the owner.
    TMessage skinned{WM_PRINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), PRF_CLIENT, 0};
    EXPECT_FALSE(CommonWndProc(skinned, data));
    data->SkinIndex = -1;
    TMessage plain{WM_PRINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), PRF_CLIENT, 0};
    EXPECT_TRUE(CommonWndProc(plain, data));
    SaveBitmapAsPng(*bmp, BuildFolderFile(L"shared_messages_print.png"));
    TacBmpRows rows(bmp.get());
    EXPECT_EQ(rows.At(220, 35).I & 0xFFFFFF, 0xFF0000) << "the label's red (blue, green, red bytes)";
    EXPECT_EQ(rows.At(100, 100).I & 0xFFFFFF, 0xFFFFFF) << "untouched beside it";
}

// ---------------------------------------------------------------------------------------------
// Outer effects

TEST_F(SharedMessagesTest, OuterEffectsShownByVisibility)
{
    TacOuterEffects* outer = child->SkinData->OuterEffects();
    TsCtrlSkinData* data = child->SkinData.get();
    struct Case {
        TacOuterVisibility visibility;
        bool focused, hovered, shown;
    };
    const Case cases[] = {{ovNone, true, true, false},          {ovAlways, false, false, true},
                          {ovFocused, false, true, false},       {ovFocused, true, false, true},
                          {ovMouseHovered, true, true, false},   {ovMouseHovered, false, true, false}};
    for (const Case& c : cases) {
        outer->FVisibility = c.visibility;
        data->FFocused = c.focused;
        data->FMouseAbove = c.hovered;
        EXPECT_EQ(outer->IsShown(), c.shown) << static_cast<int>(c.visibility) << c.focused << c.hovered;
    }
    data->FFocused = data->FMouseAbove = false;
    // A change repaints the parent; the same value again does nothing.
    outer->FVisibility = ovNone;
    parent->Forget();
    outer->SetVisibility(ovAlways);
    EXPECT_EQ(parent->Count(AC_INVALIDATE), 1);
    outer->SetVisibility(ovAlways);
    EXPECT_EQ(parent->Count(AC_INVALIDATE), 1);
    EXPECT_TRUE(HaveOuterEffects(data));
    manager->Effects()->SetBoolean(0, false);
    EXPECT_FALSE(HaveOuterEffects(data));
    manager->Effects()->SetBoolean(0, true);
}

TEST_F(SharedMessagesTest, PaintOuterLaysTheSectionsShadowAtItsOpacity)
{
    TsCtrlSkinData* data = child->SkinData.get();
    data->SetSkinSection(L"GROUPBOX");
    const TsGeneralData& section = Section(L"GROUPBOX");
    ASSERT_GE(section.OuterMask, 0);
    const TsMaskData& mask = Data().ma[static_cast<size_t>(section.OuterMask)];
    const auto paint = [&](TacOuterVisibility visibility, bool focused) {
        auto bmp = CreateBmp32(parent->Width(), parent->Height());
        bmp->Canvas()->Brush()->SetColor(0xFFFFFF);
        bmp->Canvas()->FillRect(TRect(0, 0, bmp->Width(), bmp->Height()));
        data->OuterEffects()->FVisibility = visibility;
        data->FFocused = focused;
        TacBGInfo info;
        info.Bmp = bmp.get();
        info.BgType = btCache;
        Command(child, AC_PAINTOUTER, 0, reinterpret_cast<LPARAM>(&info));
        return bmp;
    };
    // Inside the left band of the effect (this section's shadow falls to the left only), halfway
    // down.
    const int x = child->Left() - section.OuterOffset.Left + mask.WL / 2;
    const int y = child->Top() + child->Height() / 2;
    const auto darkness = [&](TBitmap& bmp) { return 0xFF - static_cast<int>(TacBmpRows(&bmp).At(x, y).I & 0xFF); };
    auto none = paint(ovNone, false);
    auto always = paint(ovAlways, false);
    auto focused = paint(ovFocused, true);
    SaveBitmapAsPng(*focused, BuildFolderFile(L"shared_messages_outer_focused.png"));
    SaveBitmapAsPng(*always, BuildFolderFile(L"shared_messages_outer_always.png"));
    EXPECT_EQ(darkness(*none), 0);
    EXPECT_GT(darkness(*always), 0);
    EXPECT_GT(darkness(*focused), darkness(*always)) << "doubled opacity";
    // Far away from the control nothing is painted.
    EXPECT_EQ(TacBmpRows(always.get()).At(parent->Width() - 2, parent->Height() - 2).I & 0xFFFFFF, 0xFFFFFF);
    // The sides without effect stay as they were: nothing in the key colour above, right of or
    // below the control.
    for (TBitmap* bmp : {always.get(), focused.get()}) {
        const TacBmpRows rows(bmp);
        const int midX = child->Left() + child->Width() / 2;
        for (const TPoint p : {TPoint(midX, child->Top() - 2), TPoint(child->Left() + child->Width() + 1, y),
                               TPoint(midX, child->Top() + child->Height() + 1)})
            EXPECT_EQ(rows.At(p.X, p.Y).I & 0xFFFFFF, 0xFFFFFFu) << p.X << "," << p.Y;
    }
    data->FFocused = false;
}

TEST_F(SharedMessagesTest, PaintOuterEffectsAsksReadyVisibleChildren)
{
    auto* hidden = Make<TRoutedPanel>(parent, L"PANEL", TRect(200, 30, 260, 90));
    hidden->Hide();
    parent->SkinData->FCacheBmp = CreateBmp32(parent->Width(), parent->Height());
    child->Forget();
    hidden->Forget();
    parent->SkinData->PaintOuterEffects(parent, TPoint(3, 4));
    ASSERT_EQ(child->Count(AC_PAINTOUTER), 1);
    EXPECT_EQ(hidden->Count(AC_PAINTOUTER), 0);
}

// ---------------------------------------------------------------------------------------------
// Scroll-bar settings

TEST_F(SharedMessagesTest, ScrollWidthRecomputesTheFrameAndButtonsSizeRepaintsIt)
{
    auto* memo = new TRouted<TPanel, TsScrollWndData>(form);
    memo->SetParent(parent);
    memo->SetBounds(150, 120, 120, 80);
    memo->HandleNeeded();
    TacScrollData* vert = memo->SkinData->VertScrollData();
    memo->Forget();
    vert->SetScrollWidth(20);
    EXPECT_EQ(vert->ScrollWidth(), 20);
    EXPECT_EQ(memo->CountMsg(WM_NCCALCSIZE), 1);
    memo->Forget();
    vert->SetButtonsSize(12);
    EXPECT_EQ(vert->ButtonsSize(), 12);
    EXPECT_EQ(memo->CountMsg(WM_NCCALCSIZE), 0);
    EXPECT_EQ(memo->CountMsg(WM_NCPAINT), 1);
    memo->Forget();
    vert->SetScrollWidth(20);
    vert->SetButtonsSize(12);
    EXPECT_TRUE(memo->Messages.empty()) << "unchanged values do nothing";
}

} // namespace
