// Cache painting of wrapped windows with the house skin's EDIT section: states and the border
// band, the dialog look, a disabled edit's text, the disabled look by the control's published
// "DisabledKind", the border alone, and whether a section may look hot.
#include "skin_wrappers_test_base.h"

#include "ExtCtrls.h"
#include "TypInfo.h"
#include "sCommonData.h"
#include "sSkinManager.h"

#include <algorithm>
#include <memory>

namespace {

namespace hs = house_skin;

COLORREF FromRgb(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// A panel publishing "DisabledKind" as a set of dkBlended and dkGrayed.
class TKindPanel : public TPanel {
public:
    using TPanel::TPanel;
    UnicodeString ClassName() const override { return L"TKindPanel"; }
    int64_t Kind = 0;
    static void Register()
    {
        static const TEnumTypeInfo kinds{{L"dkBlended", L"dkGrayed"}, 0};
        RegisterPublishedClass(L"TKindPanel", L"TPanel");
        TPropInfo info;
        info.Name = L"DisabledKind";
        info.Kind = pkSet;
        info.EnumType = &kinds;
        info.GetOrd = [](TPersistent* p) { return static_cast<TKindPanel*>(p)->Kind; };
        info.SetOrd = [](TPersistent* p, int64_t v) { static_cast<TKindPanel*>(p)->Kind = v; };
        RegisterPublishedProperty(L"TKindPanel", info);
    }
};

class CacheTest : public WrapperTest {
protected:
    void SetUp() override
    {
        WrapperTest::SetUp();
        Load();
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(20, 20, 120, 30);
        edit->SetText(L"");
    }
    // A wrapper of control with the EDIT section resolved.
    std::unique_ptr<TacMainWnd> Wrap(TWinControl* control)
    {
        TacSkinParams params;
        params.Control = control;
        params.SkinSection = L"EDIT";
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(control->Handle(), nullptr, manager.get(), params));
        w->SkinData->UpdateIndexes(true);
        EXPECT_EQ(w->SkinData->SkinIndex, manager->GetSkinIndex(L"EDIT"));
        return w;
    }
    TBitmap& Paint(TacMainWnd& w, const wchar_t* png, bool dialog = false)
    {
        w.SkinData->BGChanged = true;
        PrepareCache(w.SkinData, w.CtrlHandle, dialog);
        TBitmap& cache = *w.SkinData->FCacheBmp;
        EXPECT_FALSE(w.SkinData->BGChanged);
        EXPECT_TRUE(SaveCapture(cache, png));
        return cache;
    }
    TEdit* edit = nullptr;
};

} // namespace

TEST_F(CacheTest, StatesPaintTheSectionWithItsBorderBand)
{
    auto w = Wrap(edit);
    const int h = 30, mid = h / 2;
    for (int state : {0, 1}) {
        SCOPED_TRACE(state);
        w->SkinData->FMouseAbove = state == 1; // hot where the section may be hot
        TBitmap& cache = Paint(*w, state ? L"wrapper_cache_hot" : L"wrapper_cache_normal");
        ASSERT_EQ(cache.Width(), 120);
        ASSERT_EQ(cache.Height(), h);
        EXPECT_EQ(PixelOf(cache, 0, mid), FromRgb(hs::kEditRgb[state])) << "the opaque edge of the border image";
        EXPECT_EQ(PixelOf(cache, 119, mid), FromRgb(hs::kEditRgb[state]));
        EXPECT_EQ(PixelOf(cache, 60, mid), state ? hs::kEditHotBG : hs::kEditBG) << "the section's colour inside";
    }
    // Nothing is repainted while the background has not changed.
    TBitmap& cache = *w->SkinData->FCacheBmp;
    cache.Canvas()->Brush()->SetColor(static_cast<TColor>(0x123456));
    cache.Canvas()->FillRect(TRect(0, 0, 120, 30));
    PrepareCache(w->SkinData, w->CtrlHandle, false);
    EXPECT_EQ(PixelOf(cache, 60, mid), 0x123456u);
}

TEST_F(CacheTest, DialogModeIsAWindowColouredBoxFramedInTheBorderColour)
{
    auto w = Wrap(edit);
    TBitmap& cache = Paint(*w, L"wrapper_cache_dialog", true);
    const COLORREF border = ColorToRGB(manager->Palette[pcBorder]);
    ASSERT_NE(border, 0xFF00FFu);
    for (POINT p : {POINT{0, 0}, POINT{119, 15}, POINT{60, 29}}) EXPECT_EQ(PixelOf(cache, p.x, p.y), border);
    EXPECT_EQ(PixelOf(cache, 60, 15), GetSysColor(COLOR_WINDOW));

    // A fuchsia border colour means the skin has no dialog look: painted as usual.
    manager->Palette[pcBorder] = static_cast<TColor>(0xFF00FF);
    TBitmap& usual = Paint(*w, L"wrapper_cache_dialog_fuchsia", true);
    EXPECT_EQ(PixelOf(usual, 0, 15), FromRgb(hs::kEditRgb[0]));

    // Without a default manager there is no border colour: a plain window-coloured box.
    TsSkinManager* const saved = DefaultManager;
    DefaultManager = nullptr;
    TBitmap& plain = Paint(*w, L"wrapper_cache_dialog_nomanager", true);
    DefaultManager = saved;
    for (POINT p : {POINT{0, 0}, POINT{60, 15}}) EXPECT_EQ(PixelOf(plain, p.x, p.y), GetSysColor(COLOR_WINDOW));
}

TEST_F(CacheTest, DisabledEditShowsItsTextPasswordDotsAndHint)
{
    auto w = Wrap(edit);
    edit->SetEnabled(false);
    const TRect inner(4, 4, 116, 26);
    // The inner part of the cache painted for a text, password character and hint.
    const auto paint = [&](const wchar_t* text, wchar_t password, const wchar_t* hint, const wchar_t* png) {
        edit->SetText(text);
        edit->SetPasswordChar(password);
        edit->SetTextHint(hint);
        TBitmap& cache = Paint(*w, png);
        std::vector<COLORREF> pixels;
        for (int y = inner.Top; y < inner.Bottom; ++y)
            for (int x = inner.Left; x < inner.Right; ++x) pixels.push_back(PixelOf(cache, x, y));
        return pixels;
    };
    const auto blank = paint(L"", 0, L"", L"wrapper_disabled_blank");
    const auto ink = [&](const std::vector<COLORREF>& p) {
        int n = 0;
        for (size_t i = 0; i < p.size(); ++i) n += p[i] != blank[i];
        return n;
    };
    const auto text = paint(L"Text", 0, L"", L"wrapper_disabled_text");
    EXPECT_GT(ink(text), 10);
    EXPECT_EQ(paint(L"abc", L'*', L"", L"wrapper_disabled_password"), paint(L"\u25CF\u25CF\u25CF", 0, L"", L"wrapper_disabled_dots"))
        << "'*' shows as U+25CF, one per character";
    EXPECT_EQ(paint(L"abc", L'#', L"", L"wrapper_disabled_hash"), paint(L"###", 0, L"", L"wrapper_disabled_hashes"));
    EXPECT_GT(ink(paint(L"", 0, L"Type here", L"wrapper_disabled_hint")), 10) << "an empty edit shows its hint";
    EXPECT_EQ(ink(paint(L"", 0, L"", L"wrapper_disabled_blank2")), 0);
}

TEST_F(CacheTest, DisabledLookFollowsThePublishedDisabledKind)
{
    TKindPanel::Register();
    const auto edgeOf = [&](TPanel* panel, bool enabled, const wchar_t* png) {
        panel->SetParent(form);
        panel->SetBounds(160, 20, 80, 40);
        auto w = Wrap(panel);
        panel->SetEnabled(enabled);
        const COLORREF edge = PixelOf(Paint(*w, png), 0, 20);
        w.reset();
        delete panel;
        return edge;
    };
    const COLORREF enabled = FromRgb(hs::kEditRgb[0]);
    ASSERT_EQ(edgeOf(new TKindPanel(form), true, L"wrapper_kind_enabled"), enabled);
    const auto withKind = [&](int64_t bits, const wchar_t* png) {
        auto* panel = new TKindPanel(form);
        panel->Kind = bits;
        return edgeOf(panel, false, png);
    };
    const auto spread = [](COLORREF c) {
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        return std::max({r, g, b}) - std::min({r, g, b});
    };
    const COLORREF absent = edgeOf(new TPanel(form), false, L"wrapper_kind_absent");
    const COLORREF blended = withKind(1, L"wrapper_kind_blended");
    const COLORREF grayed = withKind(2, L"wrapper_kind_grayed");
    const COLORREF both = withKind(3, L"wrapper_kind_both");
    EXPECT_EQ(withKind(0, L"wrapper_kind_none"), enabled) << "an empty set: the enabled look";
    EXPECT_NE(blended, enabled);
    EXPECT_EQ(absent, blended) << "without the property: blended";
    EXPECT_LT(spread(grayed), spread(enabled) / 2) << "grayed loses its colour";
    EXPECT_LT(spread(both), spread(enabled) / 2);
    EXPECT_NE(both, grayed);
}

TEST_F(CacheTest, PaintBorderFastRepaintsOnlyTheBorderStrips)
{
    auto w = Wrap(edit);
    Paint(*w, L"wrapper_border_before");
    InitCtrlData(w->CtrlHandle, w->ParentWnd, w->WndRect, w->ParentRect, w->WndSize, w->WndPos);
    TBitmap& cache = *w->SkinData->FCacheBmp;
    const auto fill = [&] {
        cache.Canvas()->Brush()->SetColor(static_cast<TColor>(0x123456));
        cache.Canvas()->FillRect(TRect(0, 0, 120, 30));
    };
    fill();
    w->DlgMode = true; // a dialog's window: left alone
    PaintBorderFast(w->SkinData, 1, *w);
    EXPECT_EQ(PixelOf(cache, 0, 15), 0x123456u);
    w->DlgMode = false;
    PaintBorderFast(w->SkinData, 1, *w);
    EXPECT_TRUE(SaveCapture(cache, L"wrapper_border_fast"));
    EXPECT_EQ(PixelOf(cache, 0, 15), FromRgb(hs::kEditRgb[1])) << "the focused frame";
    EXPECT_EQ(PixelOf(cache, 60, 0), FromRgb(hs::kEditRgb[1]));
    EXPECT_NE(PixelOf(cache, 3, 15), 0x123456u) << "the whole band of the border width";
    const int margin = hs::kEditFrame100.margin;
    EXPECT_EQ(PixelOf(cache, margin, 15), 0x123456u) << "the centre is untouched";
    EXPECT_EQ(PixelOf(cache, 60, 15), 0x123456u);
    EXPECT_EQ(PixelOf(cache, 119 - margin, 15), 0x123456u);
}

TEST_F(CacheTest, MayBeHotAsTheSectionOptionsAndClassAllow)
{
    TsCommonData data(edit);
    const int editIndex = manager->GetSkinIndex(L"EDIT");
    struct Case {
        const char* Name;
        int Index;
        BYTE Coc;
        bool AllowHotEdits;
        bool NoMouseHover;
        bool Checked, Unchecked; // the answers with and without CheckOptions
    };
    const Case cases[] = {
        {"not skinned", -1, 0, false, false, false, false},
        {"no border image", manager->GetSkinIndex(L"PANEL"), 0, false, false, false, false},
        {"two border states", editIndex, 0, false, false, true, true},
        {"edit class", editIndex, 5, false, false, false, true},
        {"edit class, hot edits allowed", editIndex, 5, true, false, true, true},
        {"no mouse hover", editIndex, 0, false, true, false, true},
    };
    const bool savedAllow = ac_AllowHotEdits;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        data.SkinIndex = c.Index;
        data.COC = c.Coc;
        ac_AllowHotEdits = c.AllowHotEdits;
        manager->Options()->SetBool(1, c.NoMouseHover);
        EXPECT_EQ(MayBeHot(&data, true), c.Checked);
        EXPECT_EQ(MayBeHot(&data, false), c.Unchecked);
    }
    ac_AllowHotEdits = savedAllow;
    manager->Options()->SetBool(1, false);
    EXPECT_FALSE(MayBeHot(nullptr));

    // A border image of one state looks hot only when the section itself declares more states.
    data.SkinIndex = editIndex;
    data.COC = 0;
    TacSkinData* skin = data.GetCommonSkinData();
    ASSERT_NE(skin, nullptr);
    TsGeneralData& section = skin->gd[static_cast<size_t>(editIndex)];
    TsMaskData& border = skin->ma[static_cast<size_t>(section.BorderIndex)];
    const auto savedCount = border.ImageCount;
    const auto savedStates = section.States;
    border.ImageCount = 1;
    for (int states : {1, 2, 3}) {
        section.States = states;
        EXPECT_EQ(MayBeHot(&data, false), states > 1) << states;
    }
    border.ImageCount = savedCount;
    section.States = savedStates;
}
