// Loading a whole skin through SkinName: the three sources giving one skin, the master image and
// the information keys, the version checks, a load that fails half-way (also as the reload of a
// rescale), the painters' first look-ups into a loaded skin, and the mirrored title buttons of
// every load and reload in a right-to-left application.
#include "BuildFolder.h"
#include "skin_core_test_skinload.h"

#include "../framework/graphics_png.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "SysUtils.h"
#include "sVclUtils.h"

#include <algorithm>

namespace hs = house_skin;

namespace {


// What a load gives, for comparing loads.
struct Loaded {
    std::array<TColor, acPaletteCount> palette{};
    std::vector<std::wstring> sections;
    std::vector<TColor> stateColours;
    std::vector<std::wstring> masks;
    std::vector<std::uint32_t> master;
    bool operator==(const Loaded&) const = default;
};

Loaded Take(TsSkinManager& m)
{
    Loaded l;
    l.palette = m.Palette;
    TacSkinData& data = *m.CommonSkinData(96);
    for (const TsGeneralData& g : data.gd) {
        l.sections.push_back(g.ClassName);
        for (const TsGenState& s : g.Props) l.stateColours.insert(l.stateColours.end(), {s.Color, s.FontColor.Color});
    }
    for (const TsMaskData& k : data.ma) {
        wchar_t text[160];
        swprintf(text, 160, L"%ls.%ls %d,%d,%d,%d n%d t%d own%d", k.ClassName.c_str(), k.PropertyName.c_str(),
                 static_cast<int>(k.R.Left), static_cast<int>(k.R.Top), static_cast<int>(k.R.Right),
                 static_cast<int>(k.R.Bottom), k.ImageCount, k.MaskType, k.Bmp != nullptr);
        l.masks.push_back(text);
    }
    TacBmpRows rows(m.MasterBitmap.get());
    for (int y = 0; y < rows.Height(); ++y)
        for (const TsColor_& p : rows.Row(y)) l.master.push_back(static_cast<std::uint32_t>(p.I));
    return l;
}

TsSkinManager* dialogManager = nullptr;
std::vector<std::pair<UnicodeString, bool>> dialogsSeen; // text, srStdDialogs during the box

TModalResult NotingDialogHook(const TDialogRequest& request)
{
    dialogsSeen.emplace_back(request.Text, dialogManager->SkinningRules().Contains(srStdDialogs));
    return mrOk;
}

} // namespace

TEST_F(SkinLoadTest, TheHouseSkinLoadsTheSameFromItsFolderArchiveAndStoredFormInAnyLocale)
{
    RecordingForm("form");
    const TFormatSettings saved = FormatSettings;
    std::optional<Loaded> first;
    for (const bool german : {false, true}) {
        if (german) FormatSettings = TFormatSettings::Create(L"de-DE");
        for (const SkinSource source : {SkinSource::Folder, SkinSource::Archive, SkinSource::Stored}) {
            SCOPED_TRACE(testing::Message() << "source " << static_cast<int>(source) << " german " << german);
            Commands().clear();
            int loading = 0;
            Load({}, source, [&](TsSkinManager& m) { m.OnSkinLoading = [&](TObject*) { ++loading; }; });
            ASSERT_TRUE(manager->IsActive());
            EXPECT_EQ(loading, 1);
            EXPECT_FALSE(InAnimationProcess) << "the forms locked for the new skin are unlocked again";
            const std::vector<WORD> codes = CodesOf("form");
            EXPECT_NE(std::find(codes.begin(), codes.end(), AC_SETNEWSKIN), codes.end()) << "the window hears of it";
            const TacSkinCommonInfo& info = manager->SkinCommonInfo;
            EXPECT_EQ(info.Version, 15.0);
            EXPECT_EQ(manager->SkinInfo(), L"15.00");
            EXPECT_EQ(info.Author, L"House");
            EXPECT_EQ(info.Description, L"Test skin drawn in flat colours");
            EXPECT_EQ(info.MainFont, L"House Sans");
            EXPECT_EQ(info.BrightMin, -40);
            EXPECT_EQ(info.BrightMax, 40);
            EXPECT_EQ(info.Shadow1Color, 0x404040);
            EXPECT_EQ(info.DefLightColor, 0xFFFFFF);
            EXPECT_EQ(info.ArrowStyle, arsLines1);
            EXPECT_EQ(info.BIKeepHUE, 0);
            EXPECT_FALSE(info.UseAeroBluring);
            const Loaded now = Take(*manager);
            if (!first) first = now;
            else EXPECT_TRUE(now == *first) << "the same skin from every source";
        }
    }
    FormatSettings = saved;

    // The master: 32 bits, the PNG's alpha kept, the key colour transparent whatever its alpha.
    TBitmap& master = *manager->MasterBitmap;
    ASSERT_EQ(master.PixelFormat(), pf32bit);
    ASSERT_EQ(master.Width(), hs::kMasterSize);
    ASSERT_EQ(master.Height(), hs::kMasterSize);
    int wrong = 0;
    for (int y = 0; y < hs::kMasterSize; ++y)
        for (int x = 0; x < hs::kMasterSize; ++x) wrong += Pixel(master, x, y) != HouseMaster(x, y);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Pixel(master, hs::kKeyPixel.x, hs::kKeyPixel.y) >> 24, 0u);
    EXPECT_TRUE(SaveBitmapAsPng(master, BuildFolderFile(L"skin_load_master.png"), true));
}

TEST_F(SkinLoadTest, ABitmapMasterIsMadeOpaqueExceptTheKeyColour)
{
    hs::Options o;
    o.masterBmp = true;
    Load(o);
    ASSERT_TRUE(manager->IsActive());
    TBitmap& master = *manager->MasterBitmap;
    ASSERT_EQ(master.PixelFormat(), pf32bit);
    int wrong = 0;
    for (int y = 0; y < hs::kMasterSize; ++y)
        for (int x = 0; x < hs::kMasterSize; ++x) {
            const std::uint32_t p = Pixel(master, x, y);
            const bool key = (p & 0xFFFFFF) == 0xFF00FF;
            wrong += (p >> 24) != (key ? 0u : 255u);
            const std::uint32_t png = HouseMaster(x, y);
            if ((png >> 24) == 255) wrong += (p & 0xFFFFFF) != (png & 0xFFFFFF);
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(SkinLoadTest, VersionWarningOnlyAboveTheSupportedRangeAndNotInPreview)
{
    struct Case {
        const char* version;
        bool preview;
        bool warned;
    };
    const Case cases[] = {{"16", false, true},     {"16", true, false},    {"10.00", false, false},
                          {"10.26", false, false}, {"15.99", false, false}};
    const TDialogHook previous = SetDialogHook(&NotingDialogHook);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        dialogsSeen.clear();
        SetCommandLineOverride(c.preview ? std::optional<UnicodeString>(L"prog.exe /acpreview") : std::nullopt);
        hs::Options o;
        o.version = c.version;
        Load(o, SkinSource::Folder, [](TsSkinManager& m) { dialogManager = &m; });
        EXPECT_TRUE(manager->IsActive());
        if (c.warned) {
            ASSERT_EQ(dialogsSeen.size(), 1u);
            EXPECT_EQ(dialogsSeen[0].first,
                      L"This version of the skin has not complete support by used ZozizOzudidad package "
                      L"release.\r\nComponents must be updated to latest version for using this skin.");
            EXPECT_FALSE(dialogsSeen[0].second) << "dialogs are not skinned during the box";
        } else {
            EXPECT_TRUE(dialogsSeen.empty());
        }
        EXPECT_TRUE(manager->SkinningRules().Contains(srStdDialogs));
    }
    SetDialogHook(previous);
    dialogManager = nullptr;
}

TEST_F(SkinLoadTest, AFailedLoadLeavesAnInactiveEmptyManagerAndTheNextLoadWorks)
{
    RecordingForm("form");
    hs::Options broken;
    broken.malformedDigitField = true;
    EXPECT_THROW(Load(broken), EConvertError);
    EXPECT_FALSE(manager->Active());
    EXPECT_FALSE(manager->IsActive());
    EXPECT_TRUE(manager->SkinDataArray.empty());
    EXPECT_TRUE(manager->ManagerState.Empty());
    EXPECT_FALSE(manager->CommonDataLoaded);

    // The same manager takes the good skin from the same folder.
    ASSERT_TRUE(hs::WriteFolder(manager->SkinDirectory()));
    manager->SetActive(true);
    EXPECT_TRUE(manager->IsActive());
    EXPECT_TRUE(manager->ManagerState.Empty());
    EXPECT_EQ(manager->Palette[pcMainColor], static_cast<TColor>(hs::kMainColor));
}

TEST_F(SkinLoadTest, AButtonFindsItsSectionBorderAndColoursAsTheSkinDescribesThem)
{
    Load();
    const int index = manager->GetSkinIndex(L"BUTTON");
    ASSERT_GE(index, 0);
    const TsGeneralData& button = manager->gd()[static_cast<size_t>(index)];
    for (size_t s = 0; s < 3; ++s) {
        EXPECT_EQ(button.Props[s].Color, static_cast<TColor>(hs::kButtonColor[s]));
        EXPECT_EQ(button.Props[s].FontColor.Color, static_cast<TColor>(hs::kButtonText[s]));
    }
    const int border = manager->GetMaskIndex(index, L"BORDERSMASK");
    ASSERT_GE(border, 0);
    const TsMaskData& mask = manager->ma()[static_cast<size_t>(border)];
    EXPECT_EQ(mask.R, TRect(hs::kButton.left, hs::kButton.top, hs::kButton.right, hs::kButton.bottom));
    EXPECT_EQ(mask.ImageCount, 3);
    EXPECT_EQ(mask.MaskType, 1);
    EXPECT_EQ(mask.WL, hs::kButtonMargin);
    EXPECT_EQ(mask.Bmp, nullptr) << "drawn from the master";
    // Frame 1's border ring, read through the mask from the master.
    EXPECT_EQ(Pixel(*manager->MasterBitmap, mask.R.Left + hs::kButtonFrame + hs::kCornerSize, mask.R.Top),
              hs::kButtonBorder[1]);
    EXPECT_EQ(manager->Palette[pcBtnColor1Normal], static_cast<TColor>(0xFF000000u | hs::kButtonColor[0]));
    EXPECT_EQ(manager->Palette[pcBtnColor1Active], static_cast<TColor>(0xFF000000u | hs::kButtonColor[1]));
    EXPECT_EQ(manager->Palette[pcBtnFontPressed], static_cast<TColor>(hs::kButtonText[2]));
    EXPECT_EQ(manager->GetGlobalColor(), static_cast<TColor>(hs::kMainColor));
}

TEST_F(SkinLoadTest, AScaleChangeWhoseReloadFailsLeavesTheNextSkinReachingTheWindows)
{
    RecordingForm("form");
    Load();
    ASSERT_TRUE(manager->IsActive());
    hs::Options broken;
    broken.malformedDigitField = true;
    ASSERT_TRUE(hs::WriteFolder(manager->SkinDirectory(), broken));
    EXPECT_THROW(manager->Options()->SetScaleMode(sm150), EConvertError);
    EXPECT_FALSE(manager->IsActive());
    EXPECT_FALSE(manager->NoAutoUpdate) << "the update begun for the rescale is ended";
    EXPECT_TRUE(manager->ManagerState.Empty());

    ASSERT_TRUE(hs::WriteFolder(manager->SkinDirectory()));
    Commands().clear();
    manager->SetActive(true);
    EXPECT_TRUE(manager->IsActive());
    const std::vector<WORD> codes = CodesOf("form");
    EXPECT_NE(std::find(codes.begin(), codes.end(), AC_SETNEWSKIN), codes.end()) << "the good skin is announced";
}

TEST_F(SkinLoadTest, InARightToLeftApplicationEveryLoadAndReloadMirrorsTheTitleButtons)
{
    // The first frame of each title button carries a mark at its left; mirrored it is at its right.
    auto mirrored = [this](bool expected) {
        TacSkinData& data = Data();
        for (int i = 1; i <= 4; ++i) {
            const int index = data.TitleGlyphs[static_cast<size_t>(i)];
            ASSERT_TRUE(index >= 0 && index < static_cast<int>(data.ma.size())) << i;
            const TsMaskData& mask = data.ma[static_cast<size_t>(index)];
            TBitmap& bmp = mask.Bmp ? *mask.Bmp : *manager->MasterBitmap;
            auto ink = [&](int x) { return (Pixel(bmp, mask.R.Left + x, mask.R.Top + 2) & 0xFFFFFF) != 0xFF00FF; };
            EXPECT_EQ(ink(1), !expected) << "title button " << i;
            EXPECT_EQ(ink(hs::kTitleFrameWidth - 2), expected) << "title button " << i;
        }
        EXPECT_EQ(manager->ManagerState.Contains(msRTLFlipped), expected);
    };
    struct LeftToRightAgain {
        ~LeftToRightAgain() { Application->SetBiDiMode(bdLeftToRight); }
    } restore;
    Load();
    mirrored(false);

    Application->SetBiDiMode(bdRightToLeft);
    for (int load = 0; load < 2; ++load) {
        manager->SetSkinName(L"HouseSkin");
        mirrored(true);
    }
    manager->SetInteger(0, 20); // Brightness: reloaded in place
    mirrored(true);
}
