// Colours, font colours, hot state, masks, light and animation stop of skinned controls, on
// framework controls under a form, with the house skin loaded or a small manager made here.
#include "../framework/graphics_png.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "Themes.h"
#include "acThdTimer.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sSkinManagerOptions.h"
#include "sSplitter.h"
#include "sVclUtils.h"
#include "skin_core_test_skinload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

using namespace house_skin;

UnicodeString BuildFolderFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"MARLINDO_BUILD", dir, MAX_PATH);
    return (n ? UnicodeString(dir) + L"\\" : UnicodeString()) + name;
}

// A skinned panel that answers the font-index command as told and records WM_SETREDRAW and the
// cache commands it gets.
class TLookupPanel : public TPanel {
public:
    explicit TLookupPanel(TComponent* owner) : TPanel(owner) { SkinData = std::make_unique<TsCtrlSkinData>(this); }
    ~TLookupPanel() override { SkinData.reset(); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_SETREDRAW) Redraws.push_back(static_cast<int>(message.WParam));
        if (message.Msg == SM_ALPHACMD) {
            const WORD code = AlphaCmdCode(message.WParam);
            Codes.push_back({code, LOWORD(message.WParam)});
            if (code == AC_GETBG && AnswerBG) {
                InitBGInfo(SkinData.get(), reinterpret_cast<TacBGInfo*>(message.LParam), 0, Handle());
                return;
            }
            if (code == AC_GETBGCOLOR && BGColor != clNone) {
                message.Result = BGColor;
                return;
            }
            if (code == AC_PREPARECACHE && FillOnPrepare) {
                SkinData->FCacheBmp = CreateBmp32(Width(), Height());
                SkinData->FCacheBmp->Canvas()->Brush()->SetColor(PrepareFill);
                SkinData->FCacheBmp->Canvas()->FillRect(TRect(0, 0, Width(), Height()));
                SkinData->BGChanged = false;
                return;
            }
            if (code == AC_GETFONTINDEX) {
                auto* info = reinterpret_cast<TacPaintInfo*>(message.LParam);
                Asked = *info;
                if (FontAnswer > 0) info->FontIndex = FontIndexGiven;
                message.Result = FontAnswer;
                return;
            }
        }
        TPanel::WndProc(message);
    }
    std::unique_ptr<TsCtrlSkinData> SkinData;
    std::vector<int> Redraws;
    std::vector<std::pair<WORD, WORD>> Codes;
    TacPaintInfo Asked{-1, -1, TRect(), nullptr};
    LRESULT FontAnswer = -1;
    int FontIndexGiven = -1;
    bool AnswerBG = false;     // answers AC_GETBG through InitBGInfo
    TColor BGColor = clNone;   // answer to AC_GETBGCOLOR
    bool FillOnPrepare = false; // AC_PREPARECACHE paints the cache in PrepareFill
    TColor PrepareFill = 0x00FF00;
    int Count(WORD code) const
    {
        return static_cast<int>(std::count_if(Codes.begin(), Codes.end(), [&](const auto& c) { return c.first == code; }));
    }

protected:
    void CreateWnd() override
    {
        TPanel::CreateWnd();
        if (SkinData) SkinData->InitCommonProp();
    }
    void DestroyWnd() override
    {
        if (SkinData) SkinData->RemoveCommonProp();
        TPanel::DestroyWnd();
    }
};

class ColorLookupTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        Load();
        ASSERT_TRUE(manager && manager->IsActive());
        form = new TForm(Application);
        form->SetBounds(60, 60, 300, 200);
        // A plain form: the dialog skinning leaves forms with the except bits alone.
        form->SetTag(ExceptTag);
        parent = new TLookupPanel(form);
        parent->SetParent(form);
        parent->SetBounds(0, 0, 280, 160);
        panel = new TLookupPanel(form);
        panel->SetParent(parent);
        panel->SetBounds(20, 30, 100, 50);
        form->Show();
        data = panel->SkinData.get();
        data->Loading = false;
    }
    void TearDown() override
    {
        delete form;
        ac_AllowHotEdits = false;
        SkinLoadTest::TearDown();
    }
    // The panel drawn with Section, as a control of class code coc.
    void Use(const wchar_t* section, BYTE coc = 0)
    {
        data->COC = coc;
        data->SetSkinSection(section);
        ASSERT_GE(data->SkinIndex, 0) << section;
    }
    TsGeneralData& Section(const wchar_t* name) { return manager->gd()[static_cast<size_t>(manager->GetSkinIndex(name))]; }

    TForm* form = nullptr;
    TLookupPanel* parent = nullptr;
    TLookupPanel* panel = nullptr;
    TsCtrlSkinData* data = nullptr;
};

TEST_F(ColorLookupTest, ApplySkinColorsWritesEditColoursAndTheClassBrush)
{
    Use(L"EDIT", 3); // an edit class code
    panel->SetColor(0x123456);
    panel->Font()->SetColor(0x654321);
    ApplySkinColors(data, false);
    EXPECT_EQ(panel->Color(), static_cast<TColor>(kEditBG));
    EXPECT_EQ(panel->Font()->Color(), static_cast<TColor>(kEditText));
    EXPECT_EQ(GetClassLongPtrW(panel->Handle(), GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(manager->Brushes[0]));
    EXPECT_EQ(data->CtrlSkinState & ACS_CHANGING, 0u) << "the bit is held only while writing";

    // Custom colours stay; a list view keeps its font colour while hot edits are off.
    data->FCustomColor = true;
    panel->SetColor(0x123456);
    data->COC = 10;
    panel->Font()->SetColor(0x654321);
    ApplySkinColors(data, false);
    EXPECT_EQ(panel->Color(), 0x123456);
    EXPECT_EQ(panel->Font()->Color(), 0x654321);
    ac_AllowHotEdits = true;
    ApplySkinColors(data, false);
    EXPECT_EQ(panel->Font()->Color(), static_cast<TColor>(kEditText));

    // A control that is not an edit keeps its colours; an unskinned one gets the button face.
    Use(L"PANEL", 0);
    panel->Font()->SetColor(0x111111);
    ApplySkinColors(data, false);
    EXPECT_EQ(panel->Font()->Color(), 0x111111);
    manager->SkinCommonInfo.Active = false;
    data->SkinIndex = manager->LengthOfGD() + 5; // an index the manager does not know
    ApplySkinColors(data, false);
    EXPECT_EQ(GetClassLongPtrW(panel->Handle(), GCLP_HBRBACKGROUND),
              reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    manager->SkinCommonInfo.Active = true;
}

TEST_F(ColorLookupTest, UpdateControlColorsTakesTheHotStateUnderTheMouse)
{
    Use(L"BUTTON", 93);
    UpdateControlColors(data, false);
    EXPECT_EQ(panel->Color(), static_cast<TColor>(kButtonColor[0]));
    EXPECT_EQ(panel->Font()->Color(), static_cast<TColor>(kButtonText[0]));
    EXPECT_EQ(panel->Redraws, (std::vector<int>{0, 1})) << "redraw is held around the change";

    data->FMouseAbove = true;
    panel->Redraws.clear();
    UpdateControlColors(data, true);
    EXPECT_EQ(panel->Color(), static_cast<TColor>(kButtonColor[1]));
    EXPECT_EQ(panel->Font()->Color(), static_cast<TColor>(kButtonText[1]));
    EXPECT_TRUE(panel->Redraws.empty());

    data->FCustomFont = true;
    panel->Font()->SetColor(0x00AA00);
    data->FMouseAbove = false;
    UpdateControlColors(data, false);
    EXPECT_EQ(panel->Color(), static_cast<TColor>(kButtonColor[0]));
    EXPECT_EQ(panel->Font()->Color(), 0x00AA00);
}

TEST_F(ColorLookupTest, ControlIsActiveRules)
{
    struct Case {
        const char* name;
        BYTE coc;
        bool focused, mouse, enabled, noHover, hotEdits, active;
    };
    const Case cases[] = {
        {"idle", 93, false, false, true, false, false, false},
        {"focused flag", 93, true, false, true, false, false, true},
        {"disabled", 93, true, true, false, false, false, false},
        {"mouse above", 93, false, true, true, false, false, true},
        {"hover forbidden by the manager", 93, false, true, true, true, false, false},
        {"class without mouse", 19, false, true, true, false, false, false},
        {"edit under the mouse", 3, false, true, true, false, false, false},
        {"edit with hot edits", 3, false, true, true, false, true, true},
    };
    Use(L"BUTTON");
    for (const Case& c : cases) {
        data->COC = c.coc;
        data->FFocused = c.focused;
        data->FMouseAbove = c.mouse;
        panel->SetEnabled(c.enabled);
        manager->Options()->SetBool(1, c.noHover);
        ac_AllowHotEdits = c.hotEdits;
        EXPECT_EQ(ControlIsActive(data), c.active) << c.name;
    }
    panel->SetEnabled(true);
    manager->Options()->SetBool(1, false);
    data->FFocused = data->FMouseAbove = false;
    // A focused panel is not active by its focus.
    panel->SetFocus();
    EXPECT_FALSE(ControlIsActive(data));
    EXPECT_FALSE(ControlIsActive(nullptr));
}

TEST_F(ColorLookupTest, ClickShiftByOptionAndSection)
{
    const int button = manager->GetSkinIndex(L"BUTTON");
    TacSkinData* skin = &Data();
    EXPECT_TRUE(CanClickShift(button, nullptr));
    EXPECT_TRUE(CanClickShift(manager->LengthOfGD() + 1, skin));
    manager->ButtonsOptions()->ShiftContentOnClick = true;
    EXPECT_TRUE(CanClickShift(button, skin));
    manager->ButtonsOptions()->ShiftContentOnClick = false;
    skin->gd[static_cast<size_t>(button)].ShiftOnClick = false;
    EXPECT_FALSE(CanClickShift(button, skin));
    skin->gd[static_cast<size_t>(button)].ShiftOnClick = true;
    EXPECT_TRUE(CanClickShift(button, skin));
}

TEST_F(ColorLookupTest, FontIndexAsksTheParentUnlessTheHotStateIsOpaque)
{
    Use(L"BUTTON");
    const int button = data->SkinIndex;
    TsGeneralData& section = Section(L"BUTTON");
    parent->FontAnswer = 1;
    parent->FontIndexGiven = manager->GetSkinIndex(L"PANEL");

    section.Props[1].Transparency = 39;
    parent->Asked.State = -1;
    EXPECT_EQ(GetFontIndex(panel, button, manager.get(), 1), button);
    EXPECT_EQ(parent->Asked.State, -1) << "the parent is not asked";

    section.Props[1].Transparency = 40;
    EXPECT_EQ(GetFontIndex(panel, button, manager.get(), 1), parent->FontIndexGiven);
    EXPECT_EQ(parent->Asked.State, 1);
    EXPECT_EQ(parent->Asked.R, panel->BoundsRect());
    EXPECT_EQ(parent->Asked.SkinManager, manager.get());

    parent->FontAnswer = 0;
    EXPECT_EQ(GetFontIndex(panel, button, manager.get(), 1), -1);
    parent->FontAnswer = -1;
    EXPECT_EQ(GetFontIndex(panel, button, manager.get(), 1), button);
    // State 0 always asks; state 5 counts as 2.
    parent->FontAnswer = 1;
    parent->FontIndexGiven = -1;
    EXPECT_EQ(GetFontIndex(panel, button, manager.get(), 0), button);
    EXPECT_EQ(parent->Asked.State, 0);

    // Passing a request on moves its rectangle by the control's position.
    TacPaintInfo info{0, 0, TRect(1, 2, 3, 4), nullptr};
    GetFontIndex(static_cast<TControl*>(panel), &info);
    EXPECT_EQ(info.R, TRect(21, 32, 23, 34));
}

TEST_F(ColorLookupTest, FontColorFromTheSectionTheParentOrTheControl)
{
    Use(L"BUTTON");
    const int button = data->SkinIndex;
    Section(L"BUTTON").Props[0].Transparency = 100;
    Section(L"BUTTON").Props[2].Transparency = 0;
    panel->Font()->SetColor(0x0A0B0C);
    parent->Font()->SetColor(0x102030);

    parent->FontAnswer = -1; // keeps the section
    EXPECT_EQ(GetFontColor(panel, button, manager.get(), 0, data), static_cast<TColor>(kButtonText[0]));
    EXPECT_EQ(GetFontColor(panel, button, manager.get(), 2, data), static_cast<TColor>(kButtonText[2]))
        << "an opaque state answers without the parent";
    parent->FontAnswer = 0;
    EXPECT_EQ(GetFontColor(panel, button, manager.get(), 0, data), 0x102030) << "the parent's font";
    parent->FontAnswer = 1;
    parent->FontIndexGiven = manager->GetSkinIndex(L"GROUPBOX");
    EXPECT_EQ(GetFontColor(panel, button, manager.get(), 0, data), 0x804000);
    parent->FontIndexGiven = -1;
    EXPECT_EQ(GetFontColor(panel, manager->LengthOfGD() + 3, manager.get(), 0, data),
              manager->Palette[pcLabelText]) << "an unknown index takes the palette's text colour";

    data->FCustomFont = true;
    EXPECT_EQ(GetFontColor(panel, button, manager.get(), 0, data), 0x0A0B0C);
    data->FCustomFont = false;
    parent->FontAnswer = -1;
    EXPECT_EQ(GetFontColor(panel, button, nullptr, 0, data), 0x0A0B0C) << "no manager";
    EXPECT_EQ(GetFontColor(static_cast<TControl*>(nullptr), button, nullptr, 0, nullptr), clWindow);

    // The hint colour is the font colour blended 148/255 toward the background.
    Section(L"BUTTON").Props[0].Transparency = 0;
    EXPECT_EQ(TextHintColor(data, 0), BlendColors(kButtonText[0], kButtonColor[0], 148));
    data->SkinIndex = -1;
    panel->SetColor(0x808080);
    EXPECT_EQ(TextHintColor(data, 0), BlendColors(0x0A0B0C, 0x808080, 148));
}

TEST_F(ColorLookupTest, NeedParentFontReadsTheMaskInTheMiddleOfTheFrame)
{
    // EDIT: an alpha border (draw mode 16) with a transparent centre, two states.
    Use(L"EDIT");
    const int edit = data->SkinIndex;
    TsGeneralData& section = Section(L"EDIT");
    section.Props[0].Transparency = section.Props[1].Transparency = 60;
    EXPECT_FALSE(NeedParentFont(manager.get(), edit, 0, panel)) << "state 0 of an alpha mask";
    EXPECT_FALSE(NeedParentFont(manager.get(), edit, 1, panel)) << "the centre's alpha is 0";
    TsMaskData& mask = manager->ma()[static_cast<size_t>(section.BorderIndex)];
    TBitmap* bmp = mask.Bmp ? mask.Bmp : manager->MasterBitmap.get();
    const int x = mask.R.Left + mask.Width + mask.Width / 2, y = mask.R.Top + mask.Height / 2;
    const TsColor saved = GetAPixel(bmp, x, y);
    TsColor opaque = saved;
    opaque.A = 128;
    SetAPixel(bmp, x, y, opaque);
    EXPECT_TRUE(NeedParentFont(manager.get(), edit, 1, panel));
    SetAPixel(bmp, x, y, saved);

    section.Props[1].Transparency = 50;
    EXPECT_FALSE(NeedParentFont(manager.get(), edit, 1, panel)) << "below 51";
    EXPECT_FALSE(NeedParentFont(manager.get(), edit, 1, nullptr));
    // A transparent section without a border mask.
    Use(L"PANEL_LOW");
    Section(L"PANEL_LOW").Props[0].Transparency = 100;
    EXPECT_TRUE(NeedParentFont(data, 0));
    data->FCustomFont = true;
    EXPECT_FALSE(NeedParentFont(data, 0));
}

TEST_F(ColorLookupTest, BorderWidthsAndCornerRegionsOfTheButtonMask)
{
    Use(L"BUTTON");
    EXPECT_EQ(SkinBorderMaxWidth(data), kButtonMargin);
    Use(L"PANEL");
    EXPECT_EQ(SkinBorderMaxWidth(data), 0);

    const int button = manager->GetSkinIndex(L"BUTTON");
    HRGN rgn = GetRgnFromSkin(button, TSize{40, 30}, &Data());
    ASSERT_NE(rgn, nullptr);
    struct Probe {
        int x, y;
        bool inside;
    };
    // The 2 x 2 key corners of each frame corner are left out, the ring next to them is kept.
    const Probe probes[] = {{0, 0, false},  {1, 1, false},  {2, 2, true},   {0, 2, true},   {39, 0, false},
                            {38, 1, false}, {37, 2, true},  {0, 29, false}, {1, 28, false}, {39, 29, false},
                            {38, 28, false}, {37, 27, true}, {20, 15, true}};
    for (const Probe& p : probes) EXPECT_EQ(PtInRegion(rgn, p.x, p.y) != 0, p.inside) << p.x << "," << p.y;
    DeleteObject(rgn);
    EXPECT_EQ(GetRgnFromSkin(manager->LengthOfGD() + 1, TSize{40, 30}, &Data()), nullptr);

    // A bitmap with key pixels: only those inside the border widths of the corners go.
    TBitmap bmp(30, 20, pf32bit);
    bmp.Canvas()->Brush()->SetColor(0x808080);
    bmp.Canvas()->FillRect(TRect(0, 0, 30, 20));
    TsColor key;
    key.I = 0x00FF00FF;
    for (const TPoint p : {TPoint{0, 0}, TPoint{29, 19}, TPoint{15, 10}}) SetAPixel(&bmp, p.X, p.Y, key);
    rgn = GetTransCornersRgn(button, &bmp, &Data());
    ASSERT_NE(rgn, nullptr);
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(PtInRegion(rgn, 29, 19));
    EXPECT_TRUE(PtInRegion(rgn, 15, 10)) << "the middle is no corner";
    EXPECT_TRUE(PtInRegion(rgn, 1, 0));
    DeleteObject(rgn);
}

TEST_F(ColorLookupTest, UpdateBmpColorsTintsButKeepsTheKeyColour)
{
    const auto image = [] {
        auto bmp = CreateBmp32(4, 1);
        TsColor grey, key;
        grey.I = static_cast<std::int32_t>(0xFF808080);
        key.I = 0x00FF00FF;
        for (int x = 0; x < 3; ++x) SetAPixel(bmp.get(), x, 0, grey);
        SetAPixel(bmp.get(), 3, 0, key);
        return bmp;
    };
    struct Case {
        const char* name;
        BYTE coc;
        bool useGiven;
        TColor given, tone;
        int hue, saturation;
        bool changed;
    };
    const Case cases[] = {
        {"button with a given colour", 93, true, 0x0000FF, clNone, 0, 0, true},
        {"button given black", 93, true, 0, clNone, 0, 0, false},
        {"button given none", 94, true, clNone, clNone, 0, 0, false},
        {"control with a tone", 0, false, clNone, 0xFF0000, 0, 0, true},
        {"control without a tone", 0, true, 0x0000FF, clNone, 0, 0, false},
    };
    for (const Case& c : cases) {
        auto bmp = image();
        data->COC = c.coc;
        data->FColorTone = c.tone;
        data->FHUEOffset = c.hue;
        data->FSaturation = c.saturation;
        UpdateBmpColors(bmp.get(), data, c.useGiven, c.given);
        EXPECT_EQ(GetAPixel(bmp.get(), 0, 0).I != static_cast<std::int32_t>(0xFF808080), c.changed) << c.name;
        EXPECT_EQ(GetAPixel(bmp.get(), 3, 0).I, 0x00FF00FF) << c.name;
    }
    // Hue and saturation on a coloured image.
    auto bmp = CreateBmp32(1, 1);
    TsColor red;
    red.I = static_cast<std::int32_t>(0xFFFF0000); // B G R A from the low byte: blue
    SetAPixel(bmp.get(), 0, 0, red);
    data->COC = 0;
    data->FColorTone = clNone;
    data->FHUEOffset = 120;
    data->FSaturation = 0;
    UpdateBmpColors(bmp.get(), data);
    EXPECT_NE(GetAPixel(bmp.get(), 0, 0).I, red.I);
    data->FHUEOffset = 0;
    data->FSaturation = -100;
    SetAPixel(bmp.get(), 0, 0, red);
    UpdateBmpColors(bmp.get(), data);
    EXPECT_NE(GetAPixel(bmp.get(), 0, 0).I, red.I);
}

TEST_F(ColorLookupTest, LightColorOwnDefaultAndParents)
{
    Use(L"BUTTON");
    manager->SkinCommonInfo.DefLightColor = 0x0A0A0A;
    EXPECT_EQ(GetLightColor(data, 0), static_cast<TColor>(kButtonLight[0]));
    EXPECT_EQ(GetLightColor(data, 2), static_cast<TColor>(kButtonLight[2])) << "USESTATE2 allows state 2";
    Section(L"BUTTON").UseState2 = false;
    EXPECT_EQ(GetLightColor(data, 2), static_cast<TColor>(kButtonLight[1]));
    Section(L"BUTTON").Props[0].LightColor = 0xFF00FF;
    EXPECT_EQ(GetLightColor(data, 0), 0x0A0A0A) << "the skin's default light";

    // A transparent section shows its parent's light, else the default one.
    Use(L"PANEL_LOW");
    Section(L"PANEL_LOW").Props[0].Transparency = 100;
    parent->SkinData->Loading = false;
    parent->SkinData->SetSkinSection(L"GROUPBOX");
    Section(L"GROUPBOX").Props[0].LightColor = 0x00C0FF;
    EXPECT_EQ(GetLightColor(data, 0), 0x00C0FF);
    auto* onForm = new TPanel(form);
    onForm->SetParent(form);
    TsCommonData onFormData(onForm);
    onFormData.Loading = false;
    onFormData.SetSkinSection(L"PANEL_LOW");
    EXPECT_EQ(GetLightColor(&onFormData, 0), 0x0A0A0A) << "a parent without skin data";

    // A tab sheet's light is its page control's.
    auto* pages = new TPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(0, 0, 200, 150);
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    TsCommonData pagesData(pages);
    pagesData.Loading = false;
    pagesData.SetSkinSection(L"BUTTON");
    pagesData.InitCommonProp();
    auto* label = new TPanel(form);
    label->SetParent(sheet);
    TsCommonData onSheet(label);
    onSheet.Loading = false;
    onSheet.SetSkinSection(L"PANEL_LOW");
    ASSERT_TRUE(sheet->HandleAllocated());
    EXPECT_EQ(GetLightColor(&onSheet, 1), static_cast<TColor>(kButtonLight[1]));

    EXPECT_EQ(GetLightColor(nullptr, 0), -1);
    data->SkinIndex = 0;
    EXPECT_EQ(GetLightColor(data, 0), -1) << "index 0 is no control's section";
    pagesData.RemoveCommonProp();
}

TEST_F(ColorLookupTest, LightingAndItsImages)
{
    Use(L"BUTTON");
    ASSERT_EQ(DefaultManager, manager.get());
    TacBtnEffects* buttons = manager->AnimEffects()->Buttons();
    data->FMouseAbove = true;
    EXPECT_FALSE(data->DoLighting()) << "lighting is not among the button events";
    buttons->Events.Include(beLighting);
    EXPECT_TRUE(data->DoLighting());
    buttons->SetLightingMode(lmAffectNearest);
    EXPECT_FALSE(data->DoLighting());
    data->FDoLighting = true;
    EXPECT_TRUE(data->DoLighting(true));

    data->HotCache = CreateBmp32(2, 2);
    data->LightMask = CreateBmp32(2, 2);
    data->BGChanged = false;
    data->DestroyNeedlessLight(true);
    EXPECT_NE(data->HotCache, nullptr) << "the light is still on";
    data->FDoLighting = false;
    data->DestroyNeedlessLight(true);
    EXPECT_EQ(data->HotCache, nullptr);
    EXPECT_EQ(data->LightMask, nullptr);
    EXPECT_TRUE(data->BGChanged);
    data->FDoLighting = true;
    data->DestroyNeedlessLight(false);
    EXPECT_FALSE(data->FDoLighting);
}

int steps = 0;
int lastStep = -1;
bool CountStep(TObject*, int iteration)
{
    ++steps;
    lastStep = iteration;
    return true;
}

TEST_F(ColorLookupTest, StoppingAndFinishingAnimations)
{
    auto* timer = new TacThreadedTimer(panel, true);
    data->AnimTimer = timer;
    timer->InitData(data, 0, CountStep, 1, false);
    timer->SetEnabled(true);
    timer->BmpTo = CreateBmp32(2, 2);
    timer->BmpFrom = CreateBmp32(2, 2);
    timer->BmpOut = CreateBmp32(2, 2);
    EXPECT_TRUE(TimerIsActive(data));
    timer->State = 0;
    timer->Glow = 100;
    StopTimer(data);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->State, -1);
    EXPECT_EQ(timer->Glow, 0);
    EXPECT_EQ(timer->BmpTo, nullptr);
    EXPECT_EQ(timer->BmpFrom, nullptr);
    EXPECT_EQ(timer->BmpOut, nullptr);
    EXPECT_FALSE(TimerIsActive(data));

    // Finishing runs the last step at once.
    steps = 0;
    timer->InitData(data, 0, CountStep, 1, false);
    timer->SetEnabled(true);
    timer->BmpOut = CreateBmp32(2, 2);
    FinishTimer(timer);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(lastStep, timer->Iterations - 1);
    EXPECT_EQ(timer->Glow, 255);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->BmpOut, nullptr);

    timer->SetEnabled(true);
    StopTimer(timer);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->State, -1);

    // A pulse timer counts only with its image.
    auto* pulse = new TacThreadedTimer(panel, true);
    data->PulsTimer = pulse;
    pulse->AnimProc = CountStep;
    pulse->SetEnabled(true);
    EXPECT_FALSE(TimerIsActive(data));
    pulse->BmpFrom = CreateBmp32(1, 1);
    EXPECT_TRUE(TimerIsActive(data));
    pulse->SetEnabled(false);
}

TEST_F(ColorLookupTest, CacheSizeAndParentInvalidation)
{
    data->FCacheBmp.reset();
    InitCacheBmp(data);
    ASSERT_NE(data->FCacheBmp, nullptr);
    EXPECT_EQ(data->FCacheBmp->Width(), 100);
    EXPECT_EQ(data->FCacheBmp->Height(), 50);
    EXPECT_EQ(data->FCacheBmp->HandleType(), bmDDB);
    panel->SetBounds(20, 30, 64, 16);
    InitCacheBmp(data);
    EXPECT_EQ(data->FCacheBmp->Width(), 64);
    EXPECT_EQ(data->FCacheBmp->Height(), 16);

    parent->Codes.clear();
    InvalidateParentCache(data);
    std::erase_if(parent->Codes, [](const auto& c) { return c.first == AC_ISUPDATING; });
    const std::vector<std::pair<WORD, WORD>> expected{{AC_INVALIDATECACHE, 1}, {AC_PREPARECACHE, 0}};
    EXPECT_EQ(parent->Codes, expected);
    parent->Codes.clear();
    data->FUpdating = true;
    data->FUpdateCount = 1;
    InvalidateParentCache(data);
    std::erase_if(parent->Codes, [](const auto& c) { return c.first == AC_ISUPDATING; });
    EXPECT_TRUE(parent->Codes.empty()) << "nothing while updating";
}

// Fills a cache with one colour.
void FillCache(TsCommonData& data, int w, int h, TColor color)
{
    data.FCacheBmp = CreateBmp32(w, h);
    data.FCacheBmp->Canvas()->Brush()->SetColor(color);
    data.FCacheBmp->Canvas()->FillRect(TRect(0, 0, w, h));
}

TEST_F(ColorLookupTest, CopiesOfTheCacheLeaveOutChildWindows)
{
    // parent (280 x 160) holds: panel (opaque, 20,30 100x50), a splitter, a graphic control, a
    // windowed control that is not opaque.
    auto* splitter = new TsSplitter(form);
    splitter->SetParent(parent);
    splitter->SetBounds(130, 0, 10, 160);
    auto* shape = new TShape(form);
    shape->SetParent(parent);
    shape->SetBounds(150, 10, 20, 20);
    auto* thin = new TPanel(form);
    thin->SetParent(parent);
    thin->SetBounds(180, 10, 40, 40);
    thin->SetControlStyle(thin->ControlStyle() >> csOpaque);
    TsCommonData* pdata = parent->SkinData.get();
    FillCache(*pdata, 280, 160, 0x0000FF);

    TBitmap out(280, 160, pf32bit);
    const auto reset = [&] {
        out.Canvas()->Brush()->SetColor(0xFFFFFF);
        out.Canvas()->FillRect(TRect(0, 0, 280, 160));
    };
    const auto at = [&](int x, int y) { return static_cast<std::uint32_t>(GetPixel(out.Canvas()->Handle(), x, y)); };
    reset();
    CopyWinControlCache(parent, pdata, TRect(0, 0, 280, 160), 0, 0, false, out.Canvas()->Handle(), TRect(0, 0, 280, 160));
    SaveBitmapAsPng(out, BuildFolderFile(L"skin_cache_copy.png"));
    EXPECT_EQ(at(5, 5), 0x0000FFu);
    EXPECT_EQ(at(50, 50), 0xFFFFFFu) << "the opaque child is left out";
    EXPECT_EQ(at(135, 50), 0x0000FFu) << "a splitter is painted over";
    EXPECT_EQ(at(160, 20), 0xFFFFFFu) << "a graphic control is left out";
    EXPECT_EQ(at(200, 20), 0x0000FFu) << "a windowed control that is not opaque is painted over";

    manager->Options()->SetBool(5, true);
    reset();
    CopyWinControlCache(parent, pdata, TRect(0, 0, 280, 160), 0, 0, false, out.Canvas()->Handle(), TRect(0, 0, 280, 160));
    EXPECT_EQ(at(160, 20), 0x0000FFu) << "graphic controls painted over by option";
    manager->Options()->SetBool(5, false);

    // Only the destination rectangle is written, from the source position.
    reset();
    CopyWinControlCache(parent, pdata, TRect(0, 0, 10, 10), 0, 0, false, out.Canvas()->Handle(), TRect(0, 0, 10, 10));
    EXPECT_EQ(at(5, 5), 0x0000FFu);
    EXPECT_EQ(at(15, 5), 0xFFFFFFu);

    // The window walk: child windows go whole, a group box only by its frame.
    auto* box = new TGroupBox(form);
    box->SetParent(parent);
    box->SetBounds(20, 90, 100, 60);
    reset();
    CopyHwndCache(parent->Handle(), pdata, TRect(0, 0, 280, 160), 0, 0, false, out.Canvas()->Handle(),
                  TRect(0, 0, 280, 160));
    SaveBitmapAsPng(out, BuildFolderFile(L"skin_cache_copy_hwnd.png"));
    EXPECT_EQ(at(50, 50), 0xFFFFFFu);
    EXPECT_EQ(at(200, 20), 0xFFFFFFu) << "every visible window goes";
    EXPECT_EQ(at(135, 50), 0x0000FFu) << "windowless controls are painted over";
    EXPECT_EQ(at(70, 120), 0x0000FFu) << "the inside of a group box is painted";
    const TsMaskData* frame = nullptr;
    if (const int gb = manager->SkinCommonInfo.Sections[ssGroupBox]; gb >= 0) {
        const int border = manager->gd()[static_cast<size_t>(gb)].BorderIndex;
        if (border >= 0) frame = &manager->ma()[static_cast<size_t>(border)];
    }
    if (frame && frame->WL > 0) {
        EXPECT_EQ(at(20, 120), 0xFFFFFFu) << "the group box's side strip";
    }

    // An empty cache copies nothing.
    pdata->FCacheBmp->SetSize(0, 0);
    reset();
    CopyWinControlCache(parent, pdata, TRect(0, 0, 280, 160), 0, 0, false, out.Canvas()->Handle(), TRect(0, 0, 280, 160));
    EXPECT_EQ(at(5, 5), 0xFFFFFFu);
}

TEST_F(ColorLookupTest, RepaintImmediateCopiesThePreparedCache)
{
    FillCache(*data, 100, 50, 0x00FF00);
    data->BGChanged = true;
    panel->Codes.clear();
    RepaintImmediate(data);
    ASSERT_FALSE(panel->Codes.empty());
    EXPECT_EQ(panel->Codes.front().first, AC_PREPARECACHE) << "a stale cache is prepared first";
    data->BGChanged = false;
    RepaintImmediate(data);
    HDC dc = GetWindowDC(panel->Handle());
    const COLORREF pixel = GetPixel(dc, 50, 25);
    ReleaseDC(panel->Handle(), dc);
    EXPECT_EQ(pixel, 0x00FF00u);
}

} // namespace

namespace {

// State 0 of the section: transparency t, no gradient, image or corner images.
void MakePlain(TsGeneralData& section, int t = 0)
{
    section.Props[0].Transparency = t;
    section.Props[0].GradientPercent = section.Props[0].ImagePercent = 0;
    section.ImgTL = section.ImgTR = section.ImgBL = section.ImgBR = -1;
}

TEST_F(ColorLookupTest, BackgroundOfAnOpaqueSection)
{
    Use(L"BUTTON");
    TsGeneralData& button = Section(L"BUTTON");
    MakePlain(button);
    InitCacheBmp(data);
    TacBGInfo bg;
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, static_cast<TColor>(kButtonColor[0]));
    const int m = kButtonMargin;
    EXPECT_EQ(bg.FillRect, TRect(m, m, 100 - m, 50 - m)) << "inside the border mask";
    EXPECT_EQ(bg.Bmp, data->FCacheBmp.get());

    // With a gradient the cache is handed out once the control could paint it.
    button.Props[0].GradientPercent = 50;
    panel->Codes.clear();
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btNotReady);
    EXPECT_TRUE(data->BGChanged);
    EXPECT_EQ(panel->Count(AC_PREPARECACHE), 1);
    panel->FillOnPrepare = true;
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(bg.Bmp, data->FCacheBmp.get());
    EXPECT_EQ(bg.Offset, TPoint(0, 0));
    // A cache of another size than the control is painted again.
    panel->Codes.clear();
    panel->SetBounds(20, 30, 90, 50);
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(panel->Count(AC_PREPARECACHE), 1);
    EXPECT_EQ(data->FCacheBmp->Width(), 90);

    // Asked to draw: the cache from the record's offset into DrawDC at R.
    TBitmap out(40, 40, pf32bit);
    out.Canvas()->Brush()->SetColor(0xFFFFFF);
    out.Canvas()->FillRect(TRect(0, 0, 40, 40));
    bg = TacBGInfo{};
    bg.PleaseDraw = true;
    bg.DrawDC = out.Canvas()->Handle();
    bg.R = TRect(10, 10, 30, 30);
    bg.Offset = TPoint(5, 5);
    InitBGInfo(data, &bg, 0);
    SaveBitmapAsPng(out, BuildFolderFile(L"skin_bginfo_draw.png"));
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(GetPixel(out.Canvas()->Handle(), 20, 20), 0x00FF00u);
    EXPECT_EQ(GetPixel(out.Canvas()->Handle(), 5, 5), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(out.Canvas()->Handle(), 30, 30), 0xFFFFFFu);

    // Without a section the colour the control answers; with a colour of its own that colour,
    // whatever the control answers for its children.
    panel->BGColor = 0x123456;
    data->SkinIndex = -1;
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, 0x123456);
    panel->BGColor = 0x0000FF;
    panel->SetColor(0x123456);
    data->SkinIndex = manager->GetSkinIndex(L"BUTTON");
    data->FCustomColor = true;
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, 0x123456);
}

TEST_F(ColorLookupTest, BackgroundOfTransparentSections)
{
    // The parent paints a layered section into its cache when asked.
    parent->AnswerBG = true;
    parent->FillOnPrepare = true;
    parent->PrepareFill = 0x0000FF;
    parent->BGColor = 0x204060;
    parent->SkinData->Loading = false;
    parent->SkinData->SetSkinSection(L"GROUPBOX");
    MakePlain(Section(L"GROUPBOX"));
    Section(L"GROUPBOX").Props[0].GradientPercent = 50;
    Use(L"PANEL_LOW");
    TsGeneralData& low = Section(L"PANEL_LOW");
    MakePlain(low, 100);

    data->FCacheBmp.reset();
    TacBGInfo bg;
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(bg.Bmp, parent->SkinData->FCacheBmp.get());
    EXPECT_EQ(bg.Offset, TPoint(20, 30)) << "moved by the control's position";

    // A window without a control: its parent window's background at the window's place.
    const HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 40, 50, 30, 20, parent->Handle(),
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    TComponent owner(nullptr);
    TsCommonData bare(&owner);
    bare.SkinIndex = data->SkinIndex;
    bg = TacBGInfo{};
    InitBGInfo(&bare, &bg, 0, child);
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(bg.Bmp, parent->SkinData->FCacheBmp.get());
    EXPECT_EQ(bg.Offset, TPoint(40, 50));
    bg = TacBGInfo{};
    InitBGInfo(&bare, &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, manager->GetGlobalColor()) << "no parent at all";
    DestroyWindow(child);

    // With a cache of its own: handed out when painted, else the plain colour (the parent's).
    FillCache(*data, 100, 50, 0x00FFFF);
    data->BGChanged = false;
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(bg.Bmp, data->FCacheBmp.get());
    data->BGChanged = true;
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, 0x204060);

    // Half transparent: without a cache the key colour; an empty cache the control cannot paint
    // is asked for once and reported as not ready.
    low.Props[0].Transparency = 50;
    data->FCacheBmp.reset();
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Color, 0xFF00FF);
    data->FCacheBmp = CreateBmp32(0, 0);
    data->BGChanged = true;
    data->FUpdating = false;
    panel->Codes.clear();
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btNotReady);
    EXPECT_TRUE(data->FUpdating);
    EXPECT_EQ(panel->Count(AC_PREPARECACHE), 1);
    panel->FillOnPrepare = true;
    bg = TacBGInfo{};
    InitBGInfo(data, &bg, 0);
    EXPECT_EQ(bg.BgType, btCache);
    EXPECT_EQ(bg.Bmp, data->FCacheBmp.get());
}

TEST_F(ColorLookupTest, BackgroundColourAndTheParentsCache)
{
    Use(L"BUTTON");
    parent->BGColor = 0x204060;
    TsGeneralData& button = Section(L"BUTTON");
    const struct {
        int t;
        TColor expected;
    } cases[] = {{0, kButtonColor[0]},
                 {100, 0x204060},
                 {50, SectionOverParent(kButtonColor[0], 0x204060, 50)},
                 {10, SectionOverParent(kButtonColor[0], 0x204060, 10)}};
    for (const auto& c : cases) {
        button.Props[0].Transparency = c.t;
        EXPECT_EQ(GetBGColor(data, 0), c.expected) << c.t;
    }
    button.Props[1].Transparency = 0;
    EXPECT_EQ(GetBGColor(data, 2), static_cast<TColor>(kButtonColor[1])) << "every state above 0 counts as hot";
    TComponent owner(nullptr);
    TsCommonData bare(&owner);
    bare.SkinIndex = data->SkinIndex;
    EXPECT_EQ(GetBGColor(&bare, 0), static_cast<TColor>(0xFF00000F)) << "neither control nor window";

    // The parent's background: not ready while it cannot paint its cache, else its cache.
    parent->AnswerBG = true;
    parent->SkinData->Loading = false;
    parent->SkinData->SetSkinSection(L"GROUPBOX");
    MakePlain(Section(L"GROUPBOX"));
    Section(L"GROUPBOX").Props[0].GradientPercent = 50;
    TCacheInfo ci = GetParentCache(data);
    EXPECT_EQ(ci.FillColor, 0xFF00FF);
    EXPECT_FALSE(ci.Ready);
    parent->FillOnPrepare = true;
    ci = GetParentCache(data);
    EXPECT_TRUE(ci.Ready);
    EXPECT_EQ(ci.Bmp, parent->SkinData->FCacheBmp.get());
    ci = GetParentCacheHwnd(panel->Handle());
    EXPECT_TRUE(ci.Ready);
    EXPECT_EQ(ci.Bmp, parent->SkinData->FCacheBmp.get());
    EXPECT_EQ(GetParentCacheHwnd(nullptr).X, EmptyCI.X);

    // An unskinned control: its own colour, nothing ready.
    panel->BGColor = 0x00AA00;
    data->SkinIndex = -1;
    ci = GetParentCache(data);
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.X, 0);
    EXPECT_EQ(ci.FillColor, 0x00AA00);
}

TEST_F(ColorLookupTest, FocusRectangleOverTheSkin)
{
    Use(L"BUTTON");
    const struct {
        const char* name;
        bool active, option, themes, shown;
    } cases[] = {
        {"themed skin", true, false, true, false},
        {"focus option", true, true, true, true},
        {"themes off", true, false, false, true},
        {"inactive manager", false, false, true, true},
    };
    for (const auto& c : cases) {
        manager->SkinCommonInfo.Active = c.active;
        manager->ButtonsOptions()->ShowFocusRect = c.option;
        TStyleServices::OverrideEnabled(c.themes);
        EXPECT_EQ(CanShowFocus(data), c.shown) << c.name;
    }
    TStyleServices::OverrideEnabled(std::nullopt);
    manager->SkinCommonInfo.Active = true;
    manager->ButtonsOptions()->ShowFocusRect = false;
    EXPECT_TRUE(CanShowFocus(nullptr));
}

} // namespace
