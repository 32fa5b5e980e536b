// The system-colour redirection (GetSysColor, GetSysColorBrush and CreatePen answering skin
// colours while the default manager wants it) and the translation of system colours for the
// library's painters.
#include "skin_core_test_skinload.h"

#include "../support/PumpUntil.h"
#include "sGraphUtils.h"
#include "sSkinManagerImports.h"
#include "sSkinManagerSysColors.h"

#include <functional>

namespace hs = house_skin;

namespace {

// The calls as any code of the program makes them. Each call reads the import slot afresh: the
// compiler may keep a slot's value it read once within one function.
[[gnu::noinline]] DWORD SysColor(int index) { return GetSysColor(index); }
[[gnu::noinline]] HBRUSH SysColorBrush(int index) { return GetSysColorBrush(index); }
[[gnu::noinline]] HPEN NewPen(COLORREF color) { return CreatePen(PS_SOLID, 1, color); }

class SysColorsTest : public SkinLoadTest {
protected:
    void TearDown() override
    {
        SetSysColorsRedirected(false);
        SkinLoadTest::TearDown();
    }

    // Loads the house skin with ChangeSysColors set and gives the palette entries the
    // redirection answers with values of their own.
    void LoadRedirected()
    {
        Load({}, SkinSource::Folder, [](TsSkinManager& m) { m.Options()->SetBool(4, true); });
        ASSERT_TRUE(manager->IsActive());
        auto& p = manager->Palette;
        p[pcEditBG] = 0x010203;
        p[pcBorder] = 0x040506;
        p[pcEditText] = 0x070809;
        p[pcSelectionBG_Focused] = 0x0A0B0C;
        p[pcSelectionText_Focused] = 0x0D0E0F;
        p[pcMainColor] = 0x806040;
        manager->SkinCommonInfo.SysInactiveBorderColor = 0x111213;
    }

    TForm* ActiveForm()
    {
        TForm* form = RecordingForm("shown");
        SetForegroundWindow(form->Handle());
        EXPECT_TRUE(PumpUntil([form] { return Screen->ActiveForm() == form; }));
        return form;
    }

    static COLORREF PenColor(HPEN pen)
    {
        LOGPEN log{};
        EXPECT_EQ(GetObjectW(pen, sizeof log, &log), static_cast<int>(sizeof log));
        DeleteObject(pen);
        return log.lopnColor;
    }
    static COLORREF BrushColor(HBRUSH brush)
    {
        LOGBRUSH log{};
        EXPECT_EQ(GetObjectW(brush, sizeof log, &log), static_cast<int>(sizeof log));
        return log.lbColor;
    }

    TColor Shadow() const { return BlendColors(0x806040, clBlack, 205); }
    TColor Light() const { return BlendColors(0x806040, clWhite, 205); }
};

} // namespace

TEST_F(SysColorsTest, NothingIsRedirectedWithoutTheOption)
{
    Load();
    ASSERT_TRUE(manager->IsActive());
    ASSERT_FALSE(manager->Options()->ChangeSysColors());
    EXPECT_FALSE(SysColorsRedirected());
    manager->Palette[pcEditBG] = 0x010203;
    ActiveForm();
    EXPECT_EQ(SysColor(COLOR_WINDOW), RealGetSysColor(COLOR_WINDOW));
    EXPECT_NE(SysColor(COLOR_WINDOW), 0x010203u);
    EXPECT_EQ(PenColor(NewPen(5)), 5u);
}

TEST_F(SysColorsTest, GetSysColorAnswersTheSkinWhileAFormIsVisible)
{
    LoadRedirected();
    EXPECT_TRUE(SysColorsRedirected()) << "the new skin's hook switched it on";
    EXPECT_EQ(SysColor(COLOR_WINDOW), RealGetSysColor(COLOR_WINDOW)) << "no form is visible";

    TForm* form = ActiveForm();
    struct Row {
        int index;
        DWORD colour;
    };
    const Row rows[] = {
        {COLOR_WINDOW, 0x010203},
        {COLOR_WINDOWFRAME, 0x040506},
        {COLOR_WINDOWTEXT, 0x070809},
        {COLOR_INACTIVEBORDER, 0x111213},
        {COLOR_HIGHLIGHT, 0x0A0B0C},
        {COLOR_HIGHLIGHTTEXT, 0x0D0E0F},
        {COLOR_BTNSHADOW, static_cast<DWORD>(Shadow())},
        {COLOR_3DDKSHADOW, static_cast<DWORD>(Shadow())},
        {COLOR_3DLIGHT, static_cast<DWORD>(Light())},
        {COLOR_BTNFACE, RealGetSysColor(COLOR_BTNFACE)},
        {COLOR_SCROLLBAR, RealGetSysColor(COLOR_SCROLLBAR)},
        {COLOR_INFOBK, RealGetSysColor(COLOR_INFOBK)},
    };
    for (const Row& row : rows) EXPECT_EQ(SysColor(row.index), row.colour) << row.index;
    EXPECT_NE(RealGetSysColor(COLOR_WINDOW), 0x010203u);

    form->Hide();
    EXPECT_EQ(SysColor(COLOR_WINDOW), RealGetSysColor(COLOR_WINDOW)) << "the form is hidden";

    manager->SetActive(false);
    EXPECT_FALSE(SysColorsRedirected()) << "removing the skin switches it off";
    form->Show();
    SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([form] { return Screen->ActiveForm() == form; }));
    for (const Row& row : rows) EXPECT_EQ(SysColor(row.index), RealGetSysColor(row.index)) << row.index;
}

TEST_F(SysColorsTest, ImportSlotsOfEveryModuleThatImportsTheFunction)
{
    // The program and the common controls both import GetSysColor.
    TacImportRedirect redirect;
    auto* real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSysColor"));
    auto* replacement = reinterpret_cast<void*>(+[](int) -> DWORD { return 0x123456; });
    redirect.Install(real, replacement);
    EXPECT_TRUE(redirect.Installed());
    EXPECT_GE(redirect.SlotCount(), 2u);
    EXPECT_EQ(SysColor(COLOR_WINDOW), 0x123456u);
    redirect.Remove();
    EXPECT_NE(SysColor(COLOR_WINDOW), 0x123456u);
    EXPECT_EQ(redirect.SlotCount(), 0u);
}

TEST_F(SysColorsTest, AModuleLoadedLaterIsRedirectedAtTheNextSwitchOrInstall)
{
    LoadRedirected();
    ActiveForm();
    using TProbe = DWORD (*)(int);
    struct Case {
        const char* what;
        std::function<void()> again;
    };
    const Case cases[] = {
        {"the option is switched on", [this] { manager->Options()->SetBool(4, true); }},
        {"a new skin installs the hook", [this] { manager->UpdateSkin(false); }},
    };
    for (const Case& c : cases) {
        HMODULE probe = LoadLibraryW(L"sys_colour_probe.dll");
        ASSERT_NE(probe, nullptr) << c.what;
        auto read = reinterpret_cast<TProbe>(reinterpret_cast<void*>(GetProcAddress(probe, "ProbeSysColor")));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read(COLOR_WINDOW), RealGetSysColor(COLOR_WINDOW)) << c.what << ": loaded after the switch";
        c.again();
        EXPECT_EQ(read(COLOR_WINDOW), 0x010203u) << c.what;
        EXPECT_EQ(SysColor(COLOR_WINDOW), 0x010203u) << c.what << ": the slots redirected before stay so";
        if (&c == &cases[1]) {
            // Switched off, the late module gets the real function back as well.
            SetSysColorsRedirected(false);
            EXPECT_EQ(read(COLOR_WINDOW), RealGetSysColor(COLOR_WINDOW));
        }
        FreeLibrary(probe);
    }
}

TEST_F(SysColorsTest, BrushesAreMadeOncePerSkinAndNoneIsLeftAfterwards)
{
    LoadRedirected();
    struct Row {
        int index;
        COLORREF colour;
    };
    const Row rows[] = {{COLOR_WINDOWTEXT, 0x070809}, {COLOR_HIGHLIGHT, 0x0A0B0C}, {COLOR_HIGHLIGHTTEXT, 0x0D0E0F}};
    for (const Row& row : rows) {
        HBRUSH brush = SysColorBrush(row.index);
        EXPECT_EQ(BrushColor(brush), row.colour) << row.index;
        EXPECT_EQ(SysColorBrush(row.index), brush) << row.index << ": the same brush again";
    }
    EXPECT_EQ(SysColorBrush(COLOR_WINDOW), manager->Brushes[pcEditBG]);
    EXPECT_EQ(SysColorBrush(COLOR_BTNFACE), RealGetSysColorBrush(COLOR_BTNFACE));

    // A new palette gets new brushes.
    manager->InitSkinParams(96);
    EXPECT_EQ(BrushColor(SysColorBrush(COLOR_WINDOWTEXT)), static_cast<COLORREF>(hs::kEditText));

    // Every brush made is freed when the redirection ends or the palette changes.
    for (int i = 0; i < 20; ++i) {
        std::vector<HBRUSH> made;
        for (const Row& row : rows) made.push_back(SysColorBrush(row.index));
        if (i % 2 == 0)
            SetSysColorsRedirected(false);
        else
            manager->InitSkinParams(96);
        for (HBRUSH brush : made) EXPECT_EQ(GetObjectType(brush), 0u) << i;
        if (i % 2 == 0) {
            for (const Row& row : rows) EXPECT_EQ(SysColorBrush(row.index), RealGetSysColorBrush(row.index));
            SetSysColorsRedirected(true);
        }
    }
    SetSysColorsRedirected(false);
}

TEST_F(SysColorsTest, PensOfSystemColourValuesTakeSkinColours)
{
    LoadRedirected();
    const TColor grid = BlendColors(0x070809, 0x010203, 38);
    struct Row {
        COLORREF in;
        COLORREF out;
    };
    const Row rows[] = {
        {5, 0x010203},
        {6, 0x040506},
        {11, 0x111213},
        {13, 0x0A0B0C},
        {14, 0x0D0E0F},
        {15, 0x806040},
        {16, static_cast<COLORREF>(Shadow())},
        {21, static_cast<COLORREF>(Shadow())},
        {22, static_cast<COLORREF>(Light())},
        {0xC0C0C0, static_cast<COLORREF>(grid)},
        {0xF0F0F0, static_cast<COLORREF>(grid)},
        {8, 8},
        {0x00FF00, 0x00FF00},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PenColor(NewPen(row.in)), row.out) << std::hex << row.in;
    SetSysColorsRedirected(false);
    for (const Row& row : rows) EXPECT_EQ(PenColor(NewPen(row.in)), row.in) << std::hex << row.in;
}

TEST_F(SysColorsTest, SysColorToSkinWithTheHouseSkin)
{
    Load();
    const auto& p = manager->Palette;
    struct Row {
        TColor system;
        TColor skin;
    };
    const Row rows[] = {
        {clScrollBar, p[pcMainColor]},
        {clBtnFace, p[pcMainColor]},
        {clMenuBar, p[pcMainColor]},
        {clActiveCaption, 0xC08040},
        {clGradientActiveCaption, 0xC08040},
        {clInactiveCaption, 0xA06030},
        {clGradientInactiveCaption, 0xA06030},
        {clCaptionText, 0xFFFFFF},
        {clInactiveCaptionText, 0xFFFFFF},
        {clWindow, hs::kEditBG},
        {clWindowFrame, hs::kBorderColor},
        {cl3DLight, hs::kBorderColor},
        {clMenuText, hs::kLabelText},
        {clWindowText, hs::kEditText},
        {clHighlight, hs::kSelectionFocusedBG},
        {clHighlightText, hs::kSelectionText},
        {clGrayText, BlendColors(hs::kMainColor, hs::kLabelText, 127)},
        {clBtnText, hs::kButtonText[0]},
        {clBtnHighlight, hs::kButtonColor[1]},
        {clInfoText, hs::kHintText},
        {clInfoBk, hs::kHintBG},
        {clHotLight, p[pcWebText]},
        {clMenuHighlight, hs::kMenuHotBG},
        {clRed, clRed},
        {clNone, clNone},
    };
    for (const Row& row : rows) EXPECT_EQ(SysColorToSkin(row.system), row.skin) << std::hex << row.system;
    EXPECT_EQ(SysColorToSkin(clWindow, manager.get()), hs::kEditBG);

    TsSkinManager inactive(nullptr);
    EXPECT_EQ(SysColorToSkin(clBtnFace, &inactive), ColorToRGB(clBtnFace));
    manager->SetActive(false);
    EXPECT_EQ(SysColorToSkin(clWindow), ColorToRGB(clWindow));
}

TEST_F(SysColorsTest, WithoutATitleSectionCaptionsTakeTheMainColour)
{
    Load({}, SkinSource::Folder, {}, [](std::string text) {
        const size_t at = text.find("[FORMTITLE]");
        if (at != std::string::npos) text.replace(at, 11, "[NOTITLE]");
        return text;
    });
    ASSERT_TRUE(manager->IsActive());
    ASSERT_EQ(manager->SkinCommonInfo.Sections[ssFormTitle], -1);
    for (TColor c : {clActiveCaption, clInactiveCaption, clCaptionText, clInactiveCaptionText})
        EXPECT_EQ(SysColorToSkin(c), manager->Palette[pcMainColor]) << std::hex << c;
}
