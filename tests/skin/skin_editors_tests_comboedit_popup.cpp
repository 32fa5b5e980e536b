// Combo edit with a button: the pop-up protocol (shown below the edit through the controller,
// closed by a second click, cancel mode and the focus moving away, sized by the scale mode and
// Windows version), the library commands, the button hint and captures of its looks.
#include "skin_editors_test_comboedit.h"

#include "acntUtils.h"
#include "sSkinManagerOptions.h"

#include <utility>

namespace {

TPoint ScreenTopLeft(TWinControl* c)
{
    RECT r{};
    GetWindowRect(c->Handle(), &r);
    return TPoint(r.left, r.top);
}

bool PopupShown(TForm* p) { return p->HandleAllocated() && IsWindowVisible(p->Handle()); }

DWORD FakeWin7Version() { return 0x1DB10106; } // 6.1
bool FakeWin7Workstation(DWORD& major, DWORD& minor)
{
    major = 6;
    minor = 1;
    return true;
}

} // namespace

TEST_F(ComboEditTest, PopupOpensBelowAndClosesOnSecondClickCancelModeAndFocusMove)
{
    Load();
    TTestComboEdit* e = MakeCombo(-1);
    auto* other = Make<TsEdit>(TRect(10, 60, 160, 83));
    e->Popup = NewPopup();
    const TRect b = e->BtnRect();
    MouseTo(e, b.Left + 3, 10);
    Button(e, WM_LBUTTONDOWN);
    ASSERT_TRUE(PumpUntil([&] { return PopupShown(e->Popup); }));
    EXPECT_TRUE(e->Focused()) << "the edit takes the focus";
    const TPoint at = ScreenTopLeft(e);
    RECT pr{};
    GetWindowRect(e->Popup->Handle(), &pr);
    EXPECT_EQ(TRect(pr.left, pr.top, pr.right, pr.bottom), Bounds(at.X, at.Y + e->Height(), 230, 166))
        << "below the edit at the pop-up size (Windows 10 keeps it under smVCL too)";
    Button(e, WM_LBUTTONUP);

    // A second press on the arrow closes instead of opening again.
    Button(e, WM_LBUTTONDOWN);
    EXPECT_FALSE(PopupShown(e->Popup));
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(clicks, 2);
    Button(e, WM_LBUTTONUP);
    EXPECT_EQ(e->BtnState(), 1) << "closed with the mouse on the button";

    struct CloseCase {
        const char* Name;
        std::function<void()> Close;
    };
    const CloseCase closers[] = {
        {"cancel mode from another control",
         [&] { e->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(other))); }},
        {"the focus moving away", [&] { other->SetFocus(); }},
    };
    for (const CloseCase& c : closers) {
        SCOPED_TRACE(c.Name);
        e->ButtonClick();
        ASSERT_TRUE(PumpUntil([&] { return PopupShown(e->Popup); }));
        c.Close();
        EXPECT_TRUE(PumpUntil([&] { return !PopupShown(e->Popup) && !e->DroppedDown(); }));
    }

    // A pop-up freed while open is forgotten.
    e->ButtonClick();
    ASSERT_TRUE(PumpUntil([&] { return PopupShown(e->Popup); }));
    delete e->Popup;
    EXPECT_EQ(e->PopupWindow(), nullptr);
    EXPECT_FALSE(e->DroppedDown());
    e->Popup = NewPopup();

    e->SetReadOnly(true);
    e->ButtonClick();
    Application->ProcessMessages();
    EXPECT_FALSE(PopupShown(e->Popup)) << "a read-only edit drops nothing";
    delete e->Popup;
}

TEST_F(ComboEditTest, PopupSizeIsScaledOnlyUnderVclScalingBeforeWindows10)
{
    Load({}, SkinSource::Folder, [](TsSkinManager& m) { m.Options()->SetScaleMode(smVCL); });
    TTestComboEdit* e = MakeCombo(-1);
    TacSkinData* at144 = nullptr;
    {
        TacManagerStateScope changing(*manager, msSkinChanging);
        at144 = manager->CommonSkinData(144);
    }
    ASSERT_NE(at144, nullptr);
    ASSERT_EQ(at144->PPI, 144);
    e->SkinData()->SetCommonSkinData(at144);
    struct Case {
        bool win7;
        int width, height;
    };
    for (const Case c : {Case{false, 230, 166}, Case{true, 345, 249}}) {
        SCOPED_TRACE(c.win7 ? "Windows 7" : "Windows 10");
        const TWinVerSources sources{&FakeWin7Version, &FakeWin7Workstation};
        SetWinVerSources(c.win7 ? &sources : nullptr);
        InitWinVer();
        ASSERT_EQ(IsWin10Up(), !c.win7);
        e->Popup = NewPopup();
        e->ButtonClick();
        ASSERT_TRUE(PumpUntil([&] { return PopupShown(e->Popup); }));
        EXPECT_EQ(e->Popup->Width(), c.width);
        EXPECT_EQ(e->Popup->Height(), c.height);
        e->CloseForm();
        delete e->Popup;
    }
    SetWinVerSources(nullptr);
    InitWinVer();
}

TEST_F(ComboEditTest, LibraryCommandsAnswerTheirCodes)
{
    Load();
    TTestComboEdit* e = MakeCombo(-1);
    const auto& sections = manager->SkinCommonInfo.Sections;
    ASSERT_GE(sections[ssComboBox], 0);
    ASSERT_GE(sections[ssButton], 0);
    ASSERT_GE(sections[ssComboBtn], 0);
    HWND h = e->Handle();
    EXPECT_EQ(SendAMessage(h, AC_GETSKININDEX), sections[ssComboBox] + 1);
    EXPECT_EQ(SendAMessage(h, AC_GETDEFSECTION), 6);
    EXPECT_EQ(SendAMessage(h, AC_ISUPDATING), 0);
    e->SetButtonMode(true);
    EXPECT_EQ(SendAMessage(h, AC_GETSKININDEX), sections[ssButton] + 1);
    EXPECT_EQ(SendAMessage(h, AC_GETDEFSECTION), 19);
    EXPECT_EQ(e->SkinData()->SkinIndex, sections[ssButton]) << "the skin indexes are read again";
    e->SetButtonMode(false);

    e->SkinData()->BGChanged = true;
    SendAMessage(h, AC_PREPARECACHE);
    EXPECT_FALSE(e->SkinData()->BGChanged);

    TRect r;
    EXPECT_EQ(SendAMessage(h, AC_GLOWCIRCLE, reinterpret_cast<LPARAM>(&r)), 1);
    const TPoint at = ScreenTopLeft(e);
    EXPECT_EQ(r, OffsRect(e->BtnRect(), at.X, at.Y)) << "the button in screen coordinates";
    EXPECT_EQ(SendAMessage(h, AC_GETTEXTRECT, reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(r, e->TextRect());

    // What the combo fades read of the edit.
    auto* combo = dynamic_cast<TacAnimatedCombo*>(e);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->ButtonRect(), e->BtnRect());
    EXPECT_FALSE(std::as_const(*combo).AllowBtnStyle());
    e->SetButtonMode(true);
    EXPECT_TRUE(std::as_const(*combo).AllowBtnStyle());
    e->SetButtonMode(false);

    for (const bool over : {true, false}) {
        MouseTo(e, over ? e->BtnRect().Left + 2 : 10, 10);
        SendAMessage(h, AC_POPUPCTRLPRESSED);
        EXPECT_EQ(e->SkipDrop(), over);
    }
}

TEST_F(ComboEditTest, ButtonHintAfterTheTimerAndGoneOffTheButton)
{
    Load();
    Application->SetShowHint(true);
    TTestComboEdit* e = MakeCombo(3);
    e->SetShowHint(true);
    const TRect b = e->BtnRect();
    MouseTo(e, b.Left + 3, 10);
    ASSERT_NE(e->HintTimer(), nullptr) << "made on the first hover";
    EXPECT_TRUE(e->HintTimer()->Enabled());
    EXPECT_EQ(e->HintTimer()->Interval(), static_cast<unsigned>(Application->HintPause()));
    e->HintTimer()->TimerEvent(nullptr);
    EXPECT_EQ(e->HintWnd(), nullptr) << "no hint text, no hint";

    e->GlyphMode()->SetHint(L"Pick a gateway");
    MouseTo(e, 10, 10);
    MouseTo(e, b.Left + 3, 10);
    EXPECT_TRUE(e->HintTimer()->Enabled()) << "started again";
    e->HintTimer()->TimerEvent(nullptr);
    EXPECT_FALSE(e->HintTimer()->Enabled());
    ASSERT_NE(e->HintWnd(), nullptr);
    EXPECT_TRUE(IsWindowVisible(e->HintWnd()->Handle()));
    EXPECT_EQ(GetWndText(e->HintWnd()->Handle()), L"Pick a gateway");
    MouseTo(e, 10, 10);
    EXPECT_EQ(e->HintWnd(), nullptr) << "hidden off the button";
    EXPECT_FALSE(e->HintTimer()->Enabled());

    // Leaving the control from the button ends the pause and the hint too.
    MouseTo(e, b.Left + 3, 10);
    e->HintTimer()->TimerEvent(nullptr);
    ASSERT_NE(e->HintWnd(), nullptr);
    MouseTo(e, b.Left + 3, 10);
    EXPECT_FALSE(e->HintTimer()->Enabled());
    MouseTo(e, 10, 10);
    MouseTo(e, b.Left + 3, 10);
    ASSERT_TRUE(e->HintTimer()->Enabled());
    RECT wr{};
    GetWindowRect(e->Handle(), &wr);
    SetCursorPos(wr.right + 40, wr.bottom + 40);
    e->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(e->HintTimer()->Enabled()) << "no hint after the mouse left";
    EXPECT_EQ(e->BtnState(), 0);
}

TEST_F(ComboEditTest, CapturesOfArrowGlyphButtonModeAndThemed)
{
    // Unskinned first: the themed drop-down button.
    TTestComboEdit* themed = MakeCombo(-1, TRect(10, 10, 160, 33));
    themed->SetText(L"themed");
    Application->ProcessMessages();
    auto t = Shown(themed);
    SavePng(*t, L"scomboedit_unskinned_themed.png");
    const TRect tb = themed->BtnRect();
    EXPECT_GT(OtherPixels(*t, TRect(tb.Left + 2, 4, tb.Right - 2, 18), GetPixel(t->Canvas()->Handle(), 20, 4) & 0xFFFFFF),
              0)
        << "the button is drawn";
    delete themed;

    Load();
    TTestComboEdit* arrow = MakeCombo(-1, TRect(10, 10, 160, 33));
    arrow->SetText(L"arrow");
    TTestComboEdit* glyph = MakeCombo(3, TRect(10, 50, 160, 73));
    glyph->SetText(L"glyph");
    TTestComboEdit* mode = MakeCombo(3, TRect(10, 90, 160, 113));
    mode->SetText(L"button");
    mode->SetButtonMode(true);
    Application->ProcessMessages();

    auto a = Shown(arrow);
    SavePng(*a, L"scomboedit_skinned_arrow.png");
    const TRect ab = arrow->BtnRect();
    const COLORREF textBg = PixelOf(*a, 20, 11) & 0xFFFFFF;
    EXPECT_GT(OtherPixels(*a, TRect(ab.Left + 1, ab.Top + 1, ab.Right - 1, ab.Bottom - 1), textBg), 0);

    MouseTo(glyph, glyph->BtnRect().Left + 3, 10);
    ASSERT_EQ(glyph->BtnState(), 1);
    auto g = Shown(glyph);
    SavePng(*g, L"scomboedit_skinned_glyph_hot.png");
    const TRect gb = glyph->BtnRect();
    EXPECT_GT(OtherPixels(*g, gb, textBg), 0) << "the hot face and the glyph";

    manager->ButtonsOptions()->ShowFocusRect = true;
    Focus(mode);
    auto m = Shown(mode);
    SavePng(*m, L"scomboedit_button_mode_focused.png");
    const TRect tr = mode->TextRect();
    EXPECT_GT(CountDark(*m, RECT{tr.Left - 1, tr.Top - 1, tr.Right + 1, tr.Top}), 0) << "the focus rectangle's top";
}
