// Pixel densities in the skin manager: the skin data per density, scaled numbers and sizes per
// scale mode, single masks read at the best density, and forms scaled to another density.
#include "skin_core_test_manager.h"

#include "../framework/runtime_test_tempdir.h"
#include "Files.h"
#include "StringList.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sSkinProvider.h"

#include <windows.h>

namespace {

// A mask value in the readers' fixed-width form.
UnicodeString MaskValue(TRect r, int wl, int wt, int wr, int wb, int count, int maskType, int imgType, int drawMode,
                        const UnicodeString& file = L"")
{
    wchar_t text[64];
    swprintf(text, 64, L"&%04d%04d%04d%04d%04d%04d%04d%04d%d%d%d%02d000000", r.Left, r.Top, r.Right, r.Bottom, wl, wt,
             wr, wb, count, maskType, imgType, drawMode);
    return text + file;
}

void SetSkinText(TsSkinManager& manager, const std::vector<UnicodeString>& lines)
{
    TStringList list;
    for (const UnicodeString& line : lines) list.Add(line);
    manager.SkinCommonInfo.OptionsDat->SetStrings(list);
    manager.SkinFile = manager.SkinCommonInfo.OptionsDat.get();
    manager.SkinCommonInfo.Active = true;
}

std::uint32_t Pixel(TBitmap& bmp, int x, int y)
{
    TacBmpRows rows(&bmp);
    return static_cast<std::uint32_t>(rows.At(x, y).I);
}

} // namespace

TEST_F(SkinManagerTest, WithoutASkinTheStartUpSkinDataAnswerAndASkinChangeMakesTheDensitiesItNeeds)
{
    TsSkinManager manager(nullptr);
    TacSkinData* data = manager.CommonSkinData(130);
    EXPECT_EQ(data, StdScaleArray[1].get());
    EXPECT_EQ(data->PPI, 130);
    EXPECT_EQ(data->ScalePercent, 135);
    manager.Options()->SetScaleMode(sm150);
    EXPECT_EQ(manager.CommonSkinData(144), StdScaleArray[0].get()) << "one level outside smVCL";

    manager.Options()->SetScaleMode(smVCL);
    manager.ClearSkinData(); // the mode changes rescaled; start from no skin data
    TacManagerStateScope changing(manager, msSkinChanging);
    TacSkinData* at144 = manager.CommonSkinData(144);
    ASSERT_EQ(manager.SkinDataArray.size(), 3u);
    ASSERT_NE(manager.SkinDataArray[0], nullptr) << "the 96 data comes first";
    EXPECT_EQ(manager.SkinDataArray[0]->PPI, 96);
    EXPECT_EQ(manager.SkinDataArray[1], nullptr);
    EXPECT_EQ(at144, manager.SkinDataArray[2].get());
    EXPECT_EQ(at144->PPI, 144);
    EXPECT_EQ(at144->ScaleValue, 2);
    EXPECT_EQ(manager.CommonSkinData(150), at144);
}

TEST_F(SkinManagerTest, NumbersAndSizesFollowTheScaleMode)
{
    TsSkinManager manager(nullptr);
    TacOptions& options = *manager.Options();
    struct Case {
        TacScaleMode mode;
        int ppi;
        int scaled;       // ScaleInt(10)
        int scalePPI;     // ScalePPI(10)
        int currentPPI;
    };
    const int sys = acSystemPPI();
    for (const Case& c : {Case{sm150, 96, 15, 15, 144}, Case{smCustomPPI, 144, 15, 15, 144},
                          Case{smOldMode, 96, 10, 10, 96}, Case{smVCL, 96, 10, MulDiv(10, sys, 96), sys},
                          Case{sm200, 96, 20, 20, 192}, Case{sm125, 96, 12, 13, 120}}) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        options.SetScaleMode(c.mode);
        options.SetPixelsPerInch(static_cast<TacPixelsPerInch>(c.ppi));
        EXPECT_EQ(manager.ScaleInt(10), c.scaled);
        EXPECT_EQ(manager.ScalePPI(10), c.scalePPI);
        EXPECT_EQ(manager.ScalePPI(10, 144), 15);
        EXPECT_EQ(CurrentPPI(&manager), c.currentPPI);
        EXPECT_EQ(IsSysPPIUsed(&manager), c.mode == smVCL);
    }
    options.SetScaleMode(sm150);
    EXPECT_EQ(manager.ScaleInt(10, 1), 12);
    options.SetScaleMode(smAuto);
    EXPECT_EQ(manager.GetScale(), manager.SysFontScale);
    EXPECT_EQ(CurrentPPI(&manager, nullptr, true), sys) << "an inactive manager with CheckActive";
}

TEST_F(SkinManagerTest, ScrollAndComboButtonSizesPerMode)
{
    const int b = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(GetScrollSize(nullptr, 144), b);
    TsSkinManager manager(nullptr);
    TacOptions& options = *manager.Options();
    const int sysLevel = manager.SysFontScale;
    struct Case {
        TacScaleMode mode;
        int expected;
    };
    for (const Case& c : {Case{smAuto, b}, Case{smOldMode, b}, Case{smVCL, MulDiv(b, 144, acSystemPPI())},
                          Case{smCustomPPI, MulDiv(b, 120, aPPIArray[static_cast<size_t>(sysLevel)])},
                          Case{sm200, MulDiv(b, 200, aScalePercents[static_cast<size_t>(sysLevel)])}}) {
        // A fixed mode leaves its own PPI behind; the custom one is set before switching.
        if (c.mode == smCustomPPI) options.SetPixelsPerInch(120);
        options.SetScaleMode(c.mode);
        EXPECT_EQ(GetScrollSize(&manager, 144), c.expected) << static_cast<int>(c.mode);
        EXPECT_EQ(GetComboBtnSize(&manager, 144), c.expected) << static_cast<int>(c.mode);
    }
    manager.ScrollsOptions()->SetInteger(1, 20);
    EXPECT_EQ(GetScrollSize(&manager, 144), 30) << "a size of its own, scaled from 96";
    EXPECT_EQ(GetComboBtnSize(&manager, 144), MulDiv(b, 200, aScalePercents[static_cast<size_t>(sysLevel)]));
}

TEST_F(SkinManagerTest, ScaledMasksAreReadAtTheBestLevelFromTheMasterOrAFile)
{
    TsSkinManager manager(nullptr);
    EXPECT_EQ([&] {
        TsMaskData m;
        std::unique_ptr<TBitmap> b;
        return manager.GetScaledMaskData(L"BTN", L"MASK", 96, m, b);
    }(), -1) << "no active skin";

    // Master: a 12 x 6 border of two frames; the first frame's top-left pixel is the key.
    manager.MasterBitmap = CreateBmp32(40, 20);
    {
        TacBmpRows rows(manager.MasterBitmap.get());
        for (int y = 0; y < rows.Height(); ++y)
            for (TsColor_& p : rows.Row(y)) p.I = static_cast<std::int32_t>(0xFF336699u);
        rows.At(2, 2).I = 0x00FF00FF;
    }
    const UnicodeString level0 = MaskValue(TRect(2, 2, 14, 8), 2, 2, 2, 2, 2, 0, 0, 0);
    const UnicodeString level2 = MaskValue(TRect(2, 2, 14, 8), 1, 1, 1, 1, 2, 0, 0, 0);
    SetSkinText(manager, {L"[BTN]", L"MASK=" + level0, L"MASK*150=" + level2, L"[ONLY]", L"MASK=" + level0});

    TsMaskData mask;
    std::unique_ptr<TBitmap> bmp;
    EXPECT_EQ(manager.GetScaledMaskData(L"BTN", L"MASK", 130, mask, bmp), 130);
    EXPECT_EQ(mask.DivPPI, 144) << "the next level up that has a value";
    EXPECT_EQ(mask.MulPPi, 130);
    EXPECT_EQ(manager.GetScaledMaskData(L"ONLY", L"MASK", 130, mask, bmp), 130);
    EXPECT_EQ(mask.DivPPI, 96) << "else the nearest level below";
    EXPECT_EQ(manager.GetScaledMaskData(L"BTN", L"NONE", 130, mask, bmp), -1);

    // At its own level the image is cut from the master bitmap; a key corner sets bit 0.
    ASSERT_EQ(manager.GetScaledMaskData(L"ONLY", L"MASK", 96, mask, bmp), 96);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(mask.Bmp, bmp.get());
    EXPECT_EQ(mask.R, TRect(0, 0, 12, 6));
    EXPECT_EQ(mask.Width, 6);
    EXPECT_EQ(mask.Height, 6);
    EXPECT_EQ(mask.ClassName, L"ONLY");
    EXPECT_EQ(mask.Manager, &manager);
    EXPECT_EQ(Pixel(*bmp, 0, 0), 0x00FF00FFu);
    EXPECT_EQ(Pixel(*bmp, 5, 3), 0xFF336699u);
    EXPECT_EQ(mask.Cfg & 1, 1u);

    // A folder image: a BMP whose key pixel lies off the corners.
    TestTempDir dir;
    auto image = std::make_unique<TBitmap>();
    image->SetPixelFormat(pf24bit);
    image->SetSize(8, 8);
    image->Canvas()->Brush()->SetColor(0x00204080);
    image->Canvas()->FillRect(TRect(0, 0, 8, 8));
    image->Canvas()->SetPixels(4, 4, 0x00FF00FF);
    image->SaveToFile(dir.Path() + L"\\GLYPH.BMP");
    manager.SkinCommonInfo.SkinPath = dir.Path() + L"\\";
    SetSkinText(manager, {L"[FILE]", L"IMG=" + MaskValue(TRect(0, 0, 0, 0), 1, 1, 1, 1, 1, 0, 0, 0, L"glyph.bmp")});
    ASSERT_EQ(manager.GetScaledMaskData(L"FILE", L"IMG", 96, mask, bmp), 96);
    EXPECT_EQ(mask.R, TRect(0, 0, 8, 8));
    EXPECT_EQ(Pixel(*bmp, 0, 0), 0xFF804020u) << "0x00BBGGRR becomes B, G, R, A";
    EXPECT_EQ(Pixel(*bmp, 4, 4), 0x00FF00FFu) << "the key colour becomes transparent";
    EXPECT_EQ(mask.Cfg & 1, 0u);
    SetSkinText(manager, {L"[FILE]", L"IMG=" + MaskValue(TRect(0, 0, 0, 0), 1, 1, 1, 1, 1, 0, 0, 0, L"none.bmp")});
    EXPECT_EQ(manager.GetScaledMaskData(L"FILE", L"IMG", 96, mask, bmp), -1);
}

namespace {

// A form that answers the PPI commands and, given one, the provider command.
class TScaledForm : public TForm {
public:
    explicit TScaledForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            switch (AlphaCmdCode(message.WParam)) {
            case AC_GETPROVIDER: message.Result = reinterpret_cast<LRESULT>(provider); return;
            case AC_GETPPI: message.Result = ppi; return;
            case AC_SETPPI: setTo.push_back(static_cast<int>(message.LParam)); return;
            default: break;
            }
        }
        TForm::WndProc(message);
    }
    TsSkinProvider* provider = nullptr;
    int ppi = 0;
    std::vector<int> setTo;
};

} // namespace

TEST_F(SkinManagerTest, UpdateScaleScalesTheClientAreaUnlessTheFormFollowsAnotherManager)
{
    TsSkinManager manager(nullptr);
    manager.Options()->SetScaleMode(sm150);
    auto* form = new TScaledForm(Application);
    form->SetBounds(40, 40, 300, 200);
    form->SetClientWidth(200);
    form->SetClientHeight(100);
    auto* child = new TPanel(form);
    child->SetParent(form);
    child->SetBounds(10, 20, 50, 30);
    child->SetParentFont(false);
    child->Font()->SetHeight(-12);
    form->Show();
    manager.UpdateScale(form, 96, 144);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 150);
    EXPECT_EQ(form->Left(), 40);
    EXPECT_EQ(child->BoundsRect(), TRect(15, 30, 90, 75)) << "children scale with the form";
    EXPECT_EQ(child->Font()->Height(), -18);
    EXPECT_EQ(form->setTo, std::vector<int>{144});
    EXPECT_FALSE(form->Scaled());
    EXPECT_TRUE(manager.ManagerState.Empty());
    EXPECT_TRUE(manager.Effects()->AllowAnimation());

    // Without a target: the form's own PPI (0 = 96) to the mode's level.
    form->setTo.clear();
    manager.Options()->SetScaleMode(sm125);
    manager.UpdateScale(form, 96, 0);
    EXPECT_EQ(form->setTo, std::vector<int>{120});

    TsSkinManager other(nullptr);
    TsSkinProvider provider(nullptr); // no form: its skin data alone names the other manager
    provider.FCommonData->FSkinManager = &other;
    form->provider = &provider;
    form->setTo.clear();
    const int width = form->ClientWidth();
    manager.UpdateScale(form, 96, 192);
    EXPECT_EQ(form->ClientWidth(), width);
    EXPECT_TRUE(form->setTo.empty());
    form->provider = nullptr;
}

TEST_F(SkinManagerTest, AnAnimatedPPIChangeMarksOnlyTheChangeItCauses)
{
    TsSkinManager manager(nullptr);
    manager.AfterConstruction();
    TacOptions& options = *manager.Options();
    std::vector<bool> animatedChanges;
    manager.OnScaleModeChange = [&](TObject*, const TScaleChangeData&) {
        animatedChanges.push_back(manager.ManagerState.Contains(msAnimScaling));
    };
    struct Case {
        TacScaleMode mode;
        int ppi, target;
        bool changes;
    };
    for (const Case& c : {Case{smCustomPPI, 120, 120, false}, Case{smCustomPPI, 120, 144, true},
                          Case{smVCL, 96, 144, true}}) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << " " << c.ppi << " -> " << c.target);
        options.SetScaleMode(c.mode);
        options.SetPixelsPerInch(static_cast<TacPixelsPerInch>(c.ppi));
        animatedChanges.clear();
        SetPPIAnimated(c.target);
        EXPECT_EQ(animatedChanges, c.changes ? std::vector<bool>{true} : std::vector<bool>{});
        EXPECT_FALSE(manager.ManagerState.Contains(msAnimScaling)) << "hot tracking is not kept off";
        EXPECT_EQ(options.ScaleMode(), smCustomPPI);
        EXPECT_EQ(options.PixelsPerInch(), c.target);
    }
}

TEST_F(SkinManagerTest, AControlAnsweringMinusOneIsNotScaledInAnyMode)
{
    TsSkinManager manager(nullptr);
    auto* form = new TScaledForm(Application);
    form->SetBounds(40, 40, 300, 200);
    form->SetClientWidth(200);
    form->SetClientHeight(100);
    form->ppi = -1; // a form whose own scaling is off
    form->Show();
    for (TacScaleMode mode : {smCustomPPI, sm150}) {
        SCOPED_TRACE(static_cast<int>(mode));
        manager.Options()->SetPixelsPerInch(144);
        manager.Options()->SetScaleMode(mode);
        manager.UpdateScale(form, 96, 0);
        EXPECT_EQ(form->ClientWidth(), 200);
        EXPECT_EQ(form->ClientHeight(), 100);
        EXPECT_TRUE(form->setTo.empty());
        EXPECT_TRUE(manager.ManagerState.Empty());
    }
    delete form;
}

TEST_F(SkinManagerTest, ScaledMasksNeverRaiseAndBorderCornersAreSeenWhole)
{
    TsSkinManager manager(nullptr);
    // A value the skin reader let through must not raise from a paint.
    UnicodeString letter = MaskValue(TRect(2, 2, 14, 8), 2, 2, 2, 2, 1, 0, 0, 0);
    letter[7] = L'X';
    SetSkinText(manager, {L"[BAD]", L"SHORT=&00020002", L"LETTER=" + letter});
    manager.MasterBitmap = CreateBmp32(40, 20);
    for (const wchar_t* key : {L"SHORT", L"LETTER"}) {
        TsMaskData mask;
        std::unique_ptr<TBitmap> bmp;
        int result = 0;
        EXPECT_NO_THROW(result = manager.GetScaledMaskData(L"BAD", key, 96, mask, bmp)) << key;
        EXPECT_EQ(result, -1) << key;
    }

    // A 12 x 6 border of one frame with corners of 2 pixels, cut from an opaque master.
    struct Case {
        const char* what;
        int x, y; // in the master; the mask starts at (2, 2)
        std::uint32_t pixel;
        int drawMode;
        unsigned transparent;
    };
    const Case cases[] = {
        {"the key in the last column and row", 13, 7, 0x00FF00FF, 0, 1},
        {"an opaque pixel of the key colour", 2, 2, 0xFFFF00FF, 0, 1},
        {"alpha 0 in the last column, by alpha", 13, 2, 0x00336699, 16, 1},
        {"the key off the corners", 8, 4, 0x00FF00FF, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            TacBmpRows rows(manager.MasterBitmap.get());
            for (int y = 0; y < rows.Height(); ++y)
                for (TsColor_& p : rows.Row(y)) p.I = static_cast<std::int32_t>(0xFF336699u);
            rows.At(c.x, c.y).I = static_cast<std::int32_t>(c.pixel);
        }
        SetSkinText(manager, {L"[EDGE]", L"MASK=" + MaskValue(TRect(2, 2, 14, 8), 2, 2, 2, 2, 1, 0, 0, c.drawMode)});
        TsMaskData mask;
        std::unique_ptr<TBitmap> bmp;
        ASSERT_EQ(manager.GetScaledMaskData(L"EDGE", L"MASK", 96, mask, bmp), 96);
        EXPECT_EQ(mask.R, TRect(0, 0, 12, 6));
        EXPECT_EQ(mask.Cfg & 1, c.transparent);
    }
}
