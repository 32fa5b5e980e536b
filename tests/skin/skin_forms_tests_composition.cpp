// Extended-border switch and UWP-style mode of a skinned form; desktop composition: transitions,
// the taskbar thumbnail and preview, and the system blur.
#include "skin_forms_test_support.h"

#include "ExtCtrls.h"
#include "sGraphUtils.h"
#include "sVclUtils.h"

#include <string>
#include <vector>

namespace {

// What the replaced window-manager entries saw.
struct DwmRecord {
    std::vector<std::pair<DWORD, BOOL>> attributes;
    std::vector<SIZE> thumbnails;
    bool previewState = false; // FS_PREVIEWING while a thumbnail was set
    int previews = 0;
    std::vector<DWORD> accents; // accent state, gradient in the high word
    HRESULT answer = S_OK;
    TsSkinProvider* provider = nullptr;
};
DwmRecord& Record()
{
    static DwmRecord record;
    return record;
}

TacDwmEntries RecordingEntries()
{
    TacDwmEntries e;
    e.SetWindowAttribute = [](HWND, DWORD attribute, const void* data, DWORD size) -> HRESULT {
        Record().attributes.push_back({attribute, size == 4 ? *static_cast<const BOOL*>(data) : -1});
        return S_OK;
    };
    e.SetIconicThumbnail = [](HWND, HBITMAP bmp, DWORD) -> HRESULT {
        BITMAP info{};
        GetObjectW(bmp, sizeof info, &info);
        Record().thumbnails.push_back({info.bmWidth, info.bmHeight});
        if (Record().provider) Record().previewState = (Record().provider->FFormState & FS_PREVIEWING) != 0;
        return Record().answer;
    };
    e.SetIconicLivePreviewBitmap = [](HWND, HBITMAP, POINT*, DWORD) -> HRESULT {
        ++Record().previews;
        return Record().answer;
    };
    e.SetWindowCompositionAttribute = [](HWND, void* data) -> BOOL {
        struct Data {
            DWORD attribute;
            const DWORD* accent;
            ULONG size;
        };
        const auto* d = static_cast<const Data*>(data);
        if (d->attribute == 19 && d->size == 16) Record().accents.push_back(d->accent[0] | (d->accent[2] << 16));
        return FALSE;
    };
    return e;
}

// A panel that notes the transparency commands it gets.
class TGlassPanel : public TPanel {
public:
    using TPanel::TPanel;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_SETTRANSPMODE) {
            Modes.push_back(static_cast<LPARAM>(message.LParam));
            message.Result = message.LParam;
            return;
        }
        TPanel::WndProc(message);
    }
    std::vector<LPARAM> Modes;
};

} // namespace

class CompositionTest : public SkinFormsTest {
protected:
    void SetUp() override
    {
        SkinFormsTest::SetUp();
        Record() = DwmRecord();
        previous_ = acReplaceDwmEntries(RecordingEntries());
    }
    void TearDown() override
    {
        acReplaceDwmEntries(previous_);
        SetAeroIsEnabledOverride(std::nullopt);
        SkinFormsTest::TearDown();
    }
    TacDwmEntries previous_;
};

TEST_F(CompositionTest, BorderFormOnlyForTopLevelFramedForms)
{
    TsSkinManager& m = UseHouseSkin();
    m.SetExtendedBorders(true);
    TSpyProvider& p = ProvidedForm();
    p.InitExBorders(true);
    ASSERT_NE(p.BorderForm, nullptr);
    EXPECT_EQ(p.BorderForm->sp, &p);
    EXPECT_EQ(p.BorderForm->SkinData, p.FCommonData.get());

    p.SetBoolean(0, false); // AllowExtBorders
    p.InitExBorders(true);
    EXPECT_EQ(p.BorderForm, nullptr);
    p.SetBoolean(0, true);

    m.Options()->SetBool(2, true); // NativeBordersMaximized
    ShowWindow(form->Handle(), SW_MAXIMIZE);
    p.InitExBorders(true);
    EXPECT_EQ(p.BorderForm, nullptr) << "a maximized form keeps its native frame";
    ShowWindow(form->Handle(), SW_RESTORE);
    m.Options()->SetBool(2, false);
    p.InitExBorders(true);
    EXPECT_NE(p.BorderForm, nullptr);

    auto* holder = new TPanel(form);
    holder->SetParent(form);
    TForm* inner = new TForm(Application);
    auto* innerProvider = new TsSkinProvider(inner);
    inner->SetParent(holder);
    inner->Show();
    innerProvider->InitExBorders(true);
    EXPECT_EQ(innerProvider->BorderForm, nullptr) << "a form inside a control";

    p.InitExBorders(false);
    EXPECT_EQ(p.BorderForm, nullptr);
}

TEST_F(CompositionTest, UwpModeMarginsClientRectAndCaption)
{
    UseHouseSkin();
    TSpyProvider& p = ProvidedForm();
    TacSkinData& skin = *p.FCommonData->GetCommonSkinData();
    struct Row {
        int size, offset;
        TRect margins;
    } rows[] = {{10, 0, TRect(10, 10, 10, 10)}, {10, 4, TRect(10, 6, 10, 14)}, {10, 14, TRect(10, 0, 10, 24)},
                {10, -3, TRect(10, 13, 10, 7)}};
    for (const Row& row : rows) {
        skin.WndShadowSize = row.size;
        skin.WndShadowOffset = row.offset;
        p.UWPTemplates[0].reset();
        p.UWPTemplates[1].reset();
        ASSERT_NE(p.UWPTemplate(true), nullptr);
        EXPECT_EQ(p.UWPShadowSize, row.margins) << row.offset;
    }
    // The shadow size asks for the template with a border form in UWP mode.
    p.UWPTemplates[1].reset();
    p.FUWPMode = true;
    p.BorderForm = new TacBorderForm();
    p.BorderForm->sp = &p;
    p.BorderForm->SkinData = p.FCommonData.get();
    EXPECT_EQ(p.ShadowSize(), rows[3].margins);
    EXPECT_FALSE(p.UWPNoBorderMode());
    p.ReleaseBorderForm();
    EXPECT_TRUE(p.UWPNoBorderMode());
    SaveEnlargedPng(*p.UWPTemplate(true), L"uwp_shadow_active.png", 2, true);
    SaveEnlargedPng(*p.UWPTemplate(false), L"uwp_shadow_passive.png", 2, true);

    RECT client{};
    GetClientRect(form->Handle(), &client);
    const TRect expected(client.left + p.OffsetX() - 2, client.top + p.OffsetY() - 2, client.right + p.OffsetX() + 2,
                         client.bottom + p.OffsetY() + 2);
    EXPECT_EQ(p.UWPClientRect(), expected) << "a sizeable form without border form gets 2 more on each side";

    HWND wnd = form->Handle();
    p.UWPCaptionUpdate(true);
    EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION, 0);
    p.UWPCaptionUpdate(false);
    EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    p.FUWPMode = false;
    p.UWPCaptionUpdate(true);
    EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION) << "only in UWP mode";
}

TEST_F(CompositionTest, TransitionsFollowTheCompositionState)
{
    for (bool aero : {true, false}) {
        SetAeroIsEnabledOverride(aero);
        Record().attributes.clear();
        InitDwm(reinterpret_cast<HWND>(0x1234), true, false);
        ASSERT_EQ(Record().attributes.size(), 1u);
        EXPECT_EQ(Record().attributes[0].first, 3u);
        EXPECT_EQ(Record().attributes[0].second, aero ? TRUE : FALSE);
    }
}

TEST_F(CompositionTest, ThumbnailKeepsTheFormsProportions)
{
    UseHouseSkin();
    TSpyProvider& p = ProvidedForm();
    p.PrepareForm();
    Record().provider = &p;
    HWND wnd = form->Handle();
    ac_ChangeThumbPreviews = true;
    p.FCommonData->FCacheBmp = CreateBmp32(100, 200); // a tall window
    struct Row {
        int maxWidth, maxHeight;
        SIZE size;
    } rows[] = {{300, 100, {50, 100}}, {60, 400, {60, 120}}, {45, 100, {45, 90}}, {25, 400, {25, 50}}, {3, 200, {3, 6}},
                {5, 1, {0, 0}}};
    for (const Row& row : rows) {
        Record().thumbnails.clear();
        const LRESULT result = SendMessageW(wnd, 0x323, 0, MAKELPARAM(row.maxHeight, row.maxWidth));
        if (row.size.cx == 0) {
            EXPECT_TRUE(Record().thumbnails.empty()) << "a zero size sets nothing";
            EXPECT_EQ(result, 0);
            continue;
        }
        ASSERT_EQ(Record().thumbnails.size(), 1u) << row.maxWidth;
        EXPECT_EQ(Record().thumbnails[0].cx, row.size.cx) << row.maxWidth;
        EXPECT_EQ(Record().thumbnails[0].cy, row.size.cy) << row.maxWidth;
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(Record().previewState) << "0x800 during the call";
        EXPECT_EQ(p.FFormState & FS_PREVIEWING, 0u) << "and cleared after";
    }
    // Half sizes round to even: 2.5 -> 2.
    Record().thumbnails.clear();
    p.FCommonData->FCacheBmp = CreateBmp32(5, 2);
    SendMessageW(wnd, 0x323, 0, MAKELPARAM(1, 100));
    ASSERT_EQ(Record().thumbnails.size(), 1u);
    EXPECT_EQ(Record().thumbnails[0].cx, 2);

    Record().answer = E_FAIL;
    EXPECT_EQ(SendMessageW(wnd, 0x323, 0, MAKELPARAM(50, 50)), 0);
    Record().answer = S_OK;

    // A zero word leaves the request to the form's own procedure.
    form->Log.Clear();
    SendMessageW(wnd, 0x323, 0, MAKELPARAM(0, 50));
    EXPECT_EQ(form->Log.Count(0x323), 1);

    EXPECT_EQ(SendMessageW(wnd, 0x326, 0, 0), 1);
    EXPECT_EQ(Record().previews, 1);
    p.FCommonData->FCacheBmp.reset();
    EXPECT_EQ(SendMessageW(wnd, 0x326, 0, 0), 0) << "no image";
    ac_ChangeThumbPreviews = false;
}

TEST_F(CompositionTest, SystemBlurSwitchesTheFormAndTellsItsControls)
{
    UseHouseSkin();
    SetIsFluentOSOverride(true);
    TSpyProvider& p = ProvidedForm();
    p.PrepareForm();
    ASSERT_TRUE(p.FCommonData->Skinned());
    auto* panel = new TGlassPanel(form);
    panel->SetParent(form);
    panel->HandleNeeded();
    TacSystemBlur& blur = *p.SystemBlur();
    form->SetBorderStyle(bsSizeToolWin);

    blur.SetActive(true);
    EXPECT_EQ(form->BorderStyle(), bsNone);
    EXPECT_TRUE(p.UWPMode());
    EXPECT_EQ(p.FCommonData->TranspMode, 2);
    EXPECT_EQ(Record().accents, (std::vector<DWORD>{3 | (1 << 16)}));
    ASSERT_FALSE(panel->Modes.empty());
    EXPECT_EQ(panel->Modes.back(), MakeLong(1, 1)) << "the controls hear of the change";
    EXPECT_EQ(p.FFormState & (FS_BLURSTYLING | FS_BLURACTIVE), 0u);

    // The glass mode of a child answers the form's mode.
    panel->Modes.clear();
    UpdateGlassMode(panel, true);
    ASSERT_EQ(panel->Modes.size(), 1u);
    EXPECT_EQ(panel->Modes[0], MakeLong(1, 2));

    blur.SetMode(bmAcrylicBlurBehind);
    EXPECT_EQ(Record().accents.back(), 4u | (1u << 16));
    const size_t applied = Record().accents.size();
    blur.SetMode(bmAcrylicBlurBehind);
    EXPECT_EQ(Record().accents.size(), applied) << "the same mode does nothing";

    blur.SetActive(false);
    EXPECT_EQ(form->BorderStyle(), bsSizeToolWin) << "the remembered style comes back";
    EXPECT_FALSE(p.UWPMode());
    EXPECT_EQ(p.FCommonData->TranspMode, 0);
    EXPECT_EQ(Record().accents.back(), 0u);
    panel->Modes.clear();
    UpdateGlassMode(panel, false);
    ASSERT_EQ(panel->Modes.size(), 1u);
    EXPECT_EQ(panel->Modes[0], MakeLong(0, 0));

    // Before Windows 10 only the transparency changes.
    SetIsFluentOSOverride(false);
    Record().accents.clear();
    panel->Modes.clear();
    blur.SetActive(true);
    EXPECT_EQ(p.FCommonData->TranspMode, 2);
    EXPECT_EQ(form->BorderStyle(), bsSizeToolWin);
    EXPECT_TRUE(Record().accents.empty());
    EXPECT_EQ(panel->Modes.size(), 1u);
    blur.SetActive(false);
    EXPECT_EQ(p.FCommonData->TranspMode, 0);
}
