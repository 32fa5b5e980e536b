// The fixed indexes a skin data keeps for what painters look up all the time: the library's
// sections (completing the auxiliary ones a skin lacks), check and radio glyphs, grips, the
// elements of menus, tabs, scroll bars, up-down buttons and track bars, and title-bar glyphs
// with their glows.
#include "sSkinDataRead.h"

#include "SysUtils.h"
#include "sSkinProps.h"
#include "sStyleSimply.h"

#include <initializer_list>

namespace {

constexpr int FirstAuxSection = ssMenuCaption;

class TacIndexReader {
public:
    explicit TacIndexReader(TacSkinData& data) : data_(data), m_(*data.FOwner) {}

    int Section(std::wstring_view name) { return m_.GetSkinIndex(UnicodeString(name), &data_); }
    int Mask(int section, std::wstring_view name) { return m_.GetMaskIndex(section, UnicodeString(name), &data_); }
    int Texture(int section, std::wstring_view name)
    {
        return section < 0 ? -1 : m_.GetTextureIndex(section, UnicodeString(name), &data_);
    }
    int GlobalMask(std::wstring_view name) { return Mask(m_.SkinCommonInfo.IndexGlobalInfo, name); }

    // The first of the candidate sections that exists, with its border, glyph and textures.
    void Element(TacConstElementData& e, std::initializer_list<std::wstring_view> candidates)
    {
        e.SkinIndex = -1;
        e.SkinSection.clear();
        for (std::wstring_view name : candidates)
            if ((e.SkinIndex = Section(name)) >= 0) {
                e.SkinSection = UnicodeString(name);
                break;
            }
        e.MaskIndex = Mask(e.SkinIndex, L"BORDERSMASK");
        e.GlyphIndex = Mask(e.SkinIndex, L"GLYPHMASK");
        e.BGIndex[0] = Texture(e.SkinIndex, L"PATTERN");
        e.BGIndex[1] = Texture(e.SkinIndex, L"HOTPATTERN");
    }

private:
    TacSkinData& data_;
    TsSkinManager& m_;
};

} // namespace

void TacSkinData::InitConstantIndexes()
{
    if (!FOwner) return;
    TacSkinCommonInfo& info = FOwner->SkinCommonInfo;
    TacIndexReader r(*this);
    info.IndexGlobalInfo = r.Section(L"GLOBALINFO");
    for (size_t s = 0; s < info.Sections.size(); ++s) info.Sections[s] = r.Section(acSectNames[s]);
    // A missing auxiliary section is its replacement, and gets a copy of it under its own name.
    for (size_t k = 0; k < acAuxReplacement.size(); ++k) {
        const size_t s = FirstAuxSection + k;
        if (info.Sections[s] >= 0) continue;
        const int replacement = acAuxReplacement[k];
        info.Sections[s] = info.Sections[static_cast<size_t>(replacement)];
        if (replacement != static_cast<int>(s) && info.Sections[s] >= 0) {
            // The copy keeps the replacement as its parent, so that its masks are found there.
            const int copy = AddNewSection(UnicodeString(acSectNames[s]), info.Sections[s], 0, 0, 0, 0);
            gd[static_cast<size_t>(copy)].ParentClass = gd[static_cast<size_t>(info.Sections[s])].ClassName;
        }
    }

    for (size_t i = 0; i < CheckBox.size(); ++i) CheckBox[i] = r.GlobalMask(acCheckGlyphs[i]);
    for (size_t i = 0; i < SmallCheckBox.size(); ++i) SmallCheckBox[i] = r.GlobalMask(acSmallChecks[i]);
    for (size_t i = 0; i < RadioButton.size(); ++i) RadioButton[i] = r.GlobalMask(acRadioGlyphs[i]);
    ExBorder = r.GlobalMask(L"EXBORDER");
    GripRightBottom = r.GlobalMask(L"GRIPIMAGE");
    GripHorizontal = r.GlobalMask(L"GRIPHORZ");
    GripVertical = r.GlobalMask(L"GRIPVERT");

    r.Element(MenuItem, {L"MENUITEM"});
    r.Element(ComboBtn, {L"COMBOBTN"});
    ComboBtn.GlyphIndex = r.Mask(r.Section(L"COMBOBOX"), L"GLYPHMASK");
    for (size_t layout = 0; layout < Tabs.size(); ++layout)
        for (size_t side = 0; side < 4; ++side) r.Element(Tabs[layout][side], {acTabSections[layout * 4 + side]});
    for (size_t v = 0; v < Sliders.size(); ++v) r.Element(Sliders[v], {acScrollSliders[v]});
    for (size_t side = 0; side < 4; ++side) {
        r.Element(ScrollBtns[side], {acScrollBtns[side]});
        r.Element(Scrolls[side], {acScrollParts[side]});
        r.Element(UpDownBtns[side], {acUpDownBtns[side], L"UPDOWNBTN", L"BUTTON"});
    }

    const int trackBar = r.Section(L"TRACKBAR");
    for (size_t h = 0; h < TrackBar.size(); ++h) {
        TacTrackBarData& t = TrackBar[h];
        t.SkinIndex = trackBar;
        t.MaskIndex = r.Mask(trackBar, L"BORDERSMASK");
        t.ProgIndex = r.Mask(trackBar, ProgArray[h]);
        t.TickIndex = r.Mask(trackBar, ThickArray[h]);
        t.ChannelIndex = r.Mask(trackBar, L"SLIDERCHANNEL");
        t.SliderIndex = h == 0 ? r.Mask(trackBar, L"SLIDERVMASK") : -1;
        if (t.SliderIndex < 0) t.SliderIndex = r.Mask(trackBar, L"SLIDERMASK");
        t.BGIndex[0] = r.Texture(trackBar, L"PATTERN");
        t.BGIndex[1] = r.Texture(trackBar, L"HOTPATTERN");
    }

    for (size_t i = 0; i < TitleGlyphs.size(); ++i)
        TitleGlyphs[i] = acTitleGlyphs[i].empty() ? -1 : r.GlobalMask(acTitleGlyphs[i]);
    if (TitleGlyphs[0] < 0) TitleGlyphs[0] = TitleGlyphs[1];
    for (size_t i = 0; i < TitleGlyphs.size(); ++i) {
        const std::wstring_view name = acTitleGlyphs[i];
        if (TitleGlyphs[i] >= 0 || !name.starts_with(L"SICON")) continue;
        for (size_t j = 0; j < TitleGlyphs.size(); ++j)
            if (acTitleGlyphs[j].starts_with(L"BICON") && acTitleGlyphs[j].substr(5) == name.substr(5))
                TitleGlyphs[i] = TitleGlyphs[j];
    }
    for (size_t i = 0; i < 5; ++i)
        for (size_t j = 0; j < TitleGlows[i].size(); ++j)
            TitleGlows[i][j] = r.GlobalMask(UnicodeString(acTitleGlyphs[i]) + L"GLOW" + IntToStr(static_cast<int>(j)));
    if (TitleGlyphs[0] == TitleGlyphs[1]) {
        GlowMargins[0] = GlowMargins[1];
        TitleGlows[0] = TitleGlows[1];
    }
}
