// The library's start-up and shut-down: the table of units and its order, what the start-up
// binds, fills and creates and the shut-down releases, the counters, the captions read from the
// system libraries with the program's own texts as fallback, and the "/acver" switch.
#include "../framework/controls_test_support.h"
#include "Files.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "acAlphaHints.h"
#include "acGPUtilsEntries.h"
#include "acLibraryUnits.h"
#include "acPNG.h"
#include "acShellCtrls.h"
#include "acAlphaImageList.h"
#include "acntUtils.h"
#include "sConst.h"
#include "sConstCaptions.h"
#include "sGradient.h"
#include "sGraphUtilsSystem.h"
#include "sSkinManagerStartup.h"
#include "sStrings.h"
#include "sStyleSimply.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Every test leaves the command line, the caption libraries and the switches as it found them.
class SkinStartup : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        SetCommandLineOverride(L"\"C:\\app\\host.exe\"");
        savedScrollBtnLength_ = acScrollBtnLength;
    }
    void TearDown() override
    {
        acScrollBtnLength = savedScrollBtnLength_;
        SetCaptionLibraries(nullptr);
        SetCommandLineOverride(std::nullopt);
        ControlsTest::TearDown();
    }

    int savedScrollBtnLength_ = 0;
};

std::vector<std::wstring>& ProbeCalls()
{
    static std::vector<std::wstring> calls;
    return calls;
}

template <const wchar_t* name>
void ProbeStart()
{
    ProbeCalls().push_back(std::wstring(name) + L"+");
}
template <const wchar_t* name>
void ProbeStop()
{
    ProbeCalls().push_back(std::wstring(name) + L"-");
}

constexpr wchar_t kFirst[] = L"first";
constexpr wchar_t kSecond[] = L"second";
constexpr wchar_t kThird[] = L"third";

bool Bound(const void* entry) { return entry != nullptr; }

} // namespace

TEST(SkinStartupTable, UnitsStartInTheLibrarysOrderAndStopBackwards)
{
    const std::vector<std::wstring> expected = {
        L"sStrings",    L"sConst",       L"sDefaults",   L"sSkinProps",   L"sMessages",   L"acntTypes",
        L"sBorders",    L"acntUtils",    L"sStyleSimply", L"sThirdParty", L"sSkinManager", L"sCommonData",
        L"acThdTimer",  L"sGraphUtils",  L"acGPUtils",   L"sGradient",    L"sAlphaGraph", L"sMaskData",
        L"acPNG",       L"acAlphaImageList", L"acFontStore", L"acImage", L"acGlow", L"acAnimation", L"sVclUtils",    L"acSBUtils",   L"sSkinProvider", L"sGlyphUtils",
        L"acAlphaHints", L"acPopupController",
        L"acShellCtrls", L"sEdit", L"sMaskEdit", L"sCustomComboEdit", L"sComboEdit", L"sLabel"};
    std::vector<std::wstring> names;
    for (const TacLibraryUnit& unit : acLibraryUnits()) {
        names.push_back(unit.Name);
        EXPECT_TRUE(unit.StartUp && unit.ShutDown) << testing::PrintToString(unit.Name);
    }
    EXPECT_EQ(names, expected);

    // A unit without a shut-down is passed over.
    const TacLibraryUnit probes[] = {
        {kFirst, &ProbeStart<kFirst>, &ProbeStop<kFirst>},
        {kSecond, &ProbeStart<kSecond>, nullptr},
        {kThird, &ProbeStart<kThird>, &ProbeStop<kThird>},
    };
    ProbeCalls().clear();
    StartUnits(probes);
    ShutDownUnits(probes);
    EXPECT_EQ(ProbeCalls(), (std::vector<std::wstring>{L"first+", L"second+", L"third+", L"third-", L"first-"}));
}

TEST_F(SkinStartup, StartUpBindsFillsAndCreatesAndShutDownReleasesItAll)
{
    acScrollBtnLength = -1;
    acLibraryStartUp();

    EXPECT_TRUE(IsProcessDPIAware());
    EXPECT_TRUE(IsNT);
    EXPECT_FALSE(x64woAero) << "a 64-bit process never runs under WOW64";
    EXPECT_EQ(acScrollBtnLength, GetSystemMetrics(SM_CXHSCROLL));
    EXPECT_EQ(WinMajorVer(), 10);
    EXPECT_TRUE(IsWin10Up());

    const TacSystemEntries& entries = acSystemEntries();
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(entries.SetLayout)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(entries.GetLayout)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(entries.UpdateLayeredWindow)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(entries.SetLayeredWindowAttributes)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(acSHGetFileInfo)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(acSystemParametersInfoForDpi)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(acIsDebuggerPresent)));
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(acIsWow64Process)));
    EXPECT_TRUE(acgpEntryBound("GdipCreateFromHDC"));
    EXPECT_TRUE(acgpStarted());
    EXPECT_TRUE(acGradientFillAvailable());

    // One owner-less skin data per scale level with the built-in metrics scaled to its density.
    const int ppis[] = {96, 120, 144, 192};
    for (size_t i = 0; i < StdScaleArray.size(); ++i) {
        const TacSkinData* data = StdScaleArray[i].get();
        ASSERT_NE(data, nullptr) << i;
        EXPECT_EQ(data->FOwner, nullptr);
        EXPECT_EQ(data->PPI, ppis[i]);
        EXPECT_EQ(data->ScaleValue, static_cast<int>(i));
        EXPECT_EQ(data->ScalePercent, ppis[i] * 100 / 96);
        EXPECT_EQ(data->Spacing, 4 * ppis[i] / 96);
        EXPECT_EQ(data->ArrowSize, 5 * ppis[i] / 96);
        EXPECT_EQ(data->ScrollBtnLength, GetSystemMetrics(SM_CXHSCROLL) * ppis[i] / 96)
            << "scaled from the system value the start-up gave acScrollBtnLength";
    }
    EXPECT_EQ(TPicture::FileFormatClass(L"png"), &GraphicClass<TPNGGraphic>);
    ASSERT_NE(AppIcon, nullptr);
    ASSERT_NE(AppIconLarge, nullptr);
    EXPECT_TRUE(AppIcon->HandleAllocated());
    EXPECT_GT(AppIconLarge->Width(), AppIcon->Width());
    EXPECT_EQ(acs_CloseStr, L"Close") << "Wine's user32 lacks string 905: the own text stands in";
    EXPECT_FALSE(acs_MsgDlgOK.empty());
    EXPECT_EQ(acs_Calculator, L"Calculator");
    EXPECT_TRUE(RecordedDialogs().empty()) << "no box without the switch";
    ASSERT_NE(DefaultHintTemplate, nullptr);
    EXPECT_EQ(DefaultHintTemplate->ImageDefault()->ImageWidth(), 27) << "decoded from ACHINT";
    ASSERT_NE(acDesktopFolder(), nullptr);
    EXPECT_EQ(ItemIDCount(acDesktopFolder()->AbsoluteID()), 0);
    ASSERT_NE(SysSmallImageList, nullptr);
    EXPECT_EQ(SysSmallImageList->Handle(), SysSmallImages);

    TForm* form = NewForm();
    IntSkinForm(form);
    acLibraryShutDown();
    EXPECT_EQ(acDesktopFolder(), nullptr);
    EXPECT_EQ(SysSmallImageList, nullptr);

    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acSystemEntries().SetLayout)));
    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acSystemEntries().UpdateLayeredWindow)));
    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acSHGetFileInfo)));
    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acSystemParametersInfoForDpi)));
    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acIsDebuggerPresent)));
    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acIsWow64Process)));
    EXPECT_FALSE(acgpStarted());
    EXPECT_EQ(acgpLibrary(), nullptr);
    EXPECT_FALSE(acgpEntryBound("GdipCreateFromHDC"));
    EXPECT_FALSE(acGradientFillAvailable());
    for (const auto& data : StdScaleArray) EXPECT_EQ(data, nullptr);
    EXPECT_EQ(TPicture::FileFormatClass(L"png"), nullptr);
    EXPECT_EQ(AppIcon, nullptr);
    EXPECT_EQ(AppIconLarge, nullptr);
    EXPECT_TRUE(HookedComponents.empty());
    EXPECT_TRUE(acs_CloseStr.empty());
    EXPECT_TRUE(acs_Calculator.empty());
    EXPECT_EQ(DefaultHintTemplate, nullptr);
}

TEST_F(SkinStartup, SecondStartUpDoesNothingAndOnlyTheLastShutDownReleases)
{
    acLibraryStartUp();
    acs_CloseStr = L"changed";
    acScrollBtnLength = -1;
    acLibraryStartUp();
    EXPECT_EQ(acs_CloseStr, L"changed");
    EXPECT_EQ(acScrollBtnLength, -1);

    acLibraryShutDown();
    EXPECT_EQ(acs_CloseStr, L"changed");
    EXPECT_TRUE(Bound(reinterpret_cast<void*>(acSHGetFileInfo)));
    EXPECT_NE(StdScaleArray[0], nullptr);
    EXPECT_NE(AppIcon, nullptr);

    acLibraryShutDown();
    EXPECT_TRUE(acs_CloseStr.empty());
    EXPECT_FALSE(Bound(reinterpret_cast<void*>(acSHGetFileInfo)));
    EXPECT_EQ(StdScaleArray[0], nullptr);
    EXPECT_EQ(AppIcon, nullptr);
}

TEST_F(SkinStartup, CaptionsTakeALibrarysTextWithItsSuffixOrTheOwnTextWithout)
{
    // Every library present with an empty string: each caption shows the program's own text.
    std::vector<std::wstring> opened;
    SetCaptionLibraries([&](const UnicodeString& library) -> TacStringReader {
        opened.push_back(library);
        return [](UINT) { return UnicodeString(); };
    });
    LoadCaptions();
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"user32.dll", L"colorui.dll", L"shell32.dll", L"comctl32.dll",
                                                 L"comdlg32.dll", L"compstui.dll", L"inetres.dll"}));
    const std::vector<std::pair<const UnicodeString*, const wchar_t*>> ownTexts = {
        {&acs_MsgDlgOK, L"OK"},
        {&acs_MsgDlgCancel, L"Cancel"},
        {&acs_MsgDlgHelp, L"&Help"},
        {&acs_CloseStr, L"Close"},
        {&acs_ColorDlgAdd, L"Add to custom colors set"},
        {&acs_ColorDlgDefine, L"Define colors"},
        {&acs_ColorDlgAddPal, L"Additional colors :"},
        {&acs_ColorDlgDecimal, L"Decimal - "},
        {&acs_Root, L"Root:"},
        {&acs_Create, L"Create"},
        {&acs_RestoreStr, L"Restore"},
        {&acs_SizeStr, L"Size"},
        {&acs_MoveStr, L"Move"},
        {&acs_MaximizeStr, L"Maximize"},
        {&acs_MinimizeStr, L"Minimize"},
        {&acs_FileOpen, L"File open"},
        {&acs_SelectDir, L"Select directory"},
        {&acs_ColorDlgRed, L"Red :"},
        {&acs_ColorDlgGreen, L"Green :"},
        {&acs_ColorDlgBlue, L"Blue :"},
        {&acs_ColorDlgTitle, L"Color"},
        {&acs_Font, L"Font"},
        {&acs_FontColor, L"Font color:"},
        {&acs_Calculator, L"Calculator"},
        {&acs_ColorDlgHex, L"Hex - "},
        {&acs_InvalidDate, L"Invalid date"},
        {&acs_AvailSkins, L"Available styles"},
        {&acs_InternalSkin, L"(internal)"},
        {&acs_DirWithSkins, L"Directory with skins:"},
        {&acs_SelectSkinTitle, L"Select skin"},
        {&acs_SkinPreview, L"Skin preview"},
        {&acs_FrameAdapterError1, L"TsFrameAdapter adapter must be placed on the handled frame"},
    };
    for (const auto& [caption, text] : ownTexts) EXPECT_EQ(*caption, text);
    EXPECT_EQ(s_Root.Text(), L"Root:");
    EXPECT_EQ(LoadStr(58992), L"OK");
    EXPECT_EQ(LoadStr(58000), L"") << "an identifier the table lacks";

    // A library's own string gets the suffix; a missing library leaves its captions alone.
    ClearCaptions();
    const std::map<std::wstring, std::map<UINT, std::wstring>> libraries = {
        {L"user32.dll", {{800, L"Jawohl"}, {801, L""}, {808, L"Hilfe"}}},
        {L"shell32.dll", {{31153, L"Weitere Farben"}, {16514, L"Dezimal"}, {33015, L""}}},
    };
    SetCaptionLibraries([&](const UnicodeString& library) -> TacStringReader {
        const auto found = libraries.find(library);
        if (found == libraries.end()) return {};
        const std::map<UINT, std::wstring>& strings = found->second;
        return [&strings](UINT id) {
            const auto s = strings.find(id);
            return s == strings.end() ? UnicodeString() : UnicodeString(s->second);
        };
    });
    LoadCaptions();
    EXPECT_EQ(acs_MsgDlgOK, L"Jawohl");
    EXPECT_EQ(acs_MsgDlgCancel, L"Cancel");
    EXPECT_EQ(acs_MsgDlgHelp, L"Hilfe");
    EXPECT_EQ(acs_CloseStr, L"Close");
    EXPECT_EQ(acs_ColorDlgAddPal, L"Weitere Farben:");
    EXPECT_EQ(acs_ColorDlgDecimal, L"Dezimal - ");
    EXPECT_EQ(acs_Root, L"Root:") << "the own text without a second suffix";
    for (const UnicodeString* missing : {&acs_ColorDlgAdd, &acs_RestoreStr, &acs_MinimizeStr, &acs_FileOpen,
                                         &acs_ColorDlgRed, &acs_ColorDlgTitle, &acs_Font, &acs_FontColor})
        EXPECT_TRUE(missing->empty()) << testing::PrintToString(*missing);
    EXPECT_EQ(acs_SkinPreview, L"Skin preview") << "no library behind it";
    ClearCaptions();
}

TEST_F(SkinStartup, VersionSwitchShowsTheBoxWhateverItsCase)
{
    struct Case {
        const wchar_t* commandLine;
        bool shown;
    };
    const Case cases[] = {
        {L"host.exe /ACVER", true},
        {L"host.exe /acver", true},
        {L"host.exe first \"/AcVer\" /acver", true}, // the scan stops at the first match: one box
        {L"host.exe /acversion", false},
        {L"host.exe acver", false},
        {L"host.exe", false},
    };
    for (const Case& c : cases) {
        RecordedDialogs().clear();
        SetCommandLineOverride(c.commandLine);
        sSkinManagerInitialization();
        sSkinManagerFinalization();
        ASSERT_EQ(RecordedDialogs().size(), c.shown ? 1u : 0u) << testing::PrintToString(c.commandLine);
        if (c.shown) {
            EXPECT_EQ(RecordedDialogs()[0].Kind, dkMessageBox);
            EXPECT_EQ(RecordedDialogs()[0].Text, L"ZozizOzudidad v15.14");
            EXPECT_EQ(RecordedDialogs()[0].Flags, static_cast<UINT>(MB_OK));
        }
    }
}
