// Reading the sections of a skin text into a skin data: each section's parameters and its three
// state looks, with values inherited along PARENTCLASS, and the auxiliary sections a skin lacks.
#include "sSkinDataRead.h"

#include "Colors.h"
#include "StringList.h"
#include "SysUtils.h"
#include "sGradient.h"

#include <algorithm>
#include <optional>
#include <set>

namespace {

constexpr int Unset = -2; // an integer key that is absent

// The reading modes of a section's keys. A key absent from a section is looked up in its
// PARENTCLASS, and so on up the chain; a section naming itself, or one already visited (a loop
// in a broken skin), ends the chain.
class TacSectionReader {
public:
    TacSectionReader(const TMemIniFile& ini, UnicodeString section) : ini_(ini), section_(std::move(section)) {}

    UnicodeString String(const UnicodeString& key, const UnicodeString& def) const
    {
        std::set<UnicodeString> visited;
        UnicodeString section = section_;
        while (visited.insert(section).second) {
            const UnicodeString value = ini_.ReadString(section, key, L"?");
            if (value != L"?") return value;
            const UnicodeString parent = ini_.ReadString(section, L"PARENTCLASS", L"");
            if (parent.empty() || parent == L"?" || parent == section) break;
            section = parent;
        }
        return def;
    }

    bool Boolean(const UnicodeString& key, bool def) const
    {
        const UnicodeString value = String(key, L"?");
        if (value == L"?") return def;
        return value == L"TRUE" || value == L"1";
    }

    // Colour mode: an inherited negative value gives the default, a non-negative one its RGB.
    int Colour(const UnicodeString& key, int def, std::optional<int> max = std::nullopt) const
    {
        int value = ini_.ReadInteger(section_, key, Unset);
        if (value == Unset) {
            const std::optional<int> inherited = Inherited(key);
            value = !inherited || *inherited < 0 ? def : ColorToRGB(*inherited);
        }
        return max ? std::min(value, *max) : value;
    }

    // Integer mode: an inherited value is taken as it is.
    int Integer(const UnicodeString& key, int def, std::optional<int> max = std::nullopt) const
    {
        int value = ini_.ReadInteger(section_, key, Unset);
        if (value == Unset) value = Inherited(key).value_or(def);
        return max ? std::min(value, *max) : value;
    }

private:
    std::optional<int> Inherited(const UnicodeString& key) const
    {
        std::set<UnicodeString> visited{section_};
        UnicodeString section = section_;
        for (;;) {
            const UnicodeString parent = ini_.ReadString(section, L"PARENTCLASS", L"");
            if (parent.empty() || parent == L"?" || parent == section || !visited.insert(parent).second)
                return std::nullopt;
            section = parent;
            const int value = ini_.ReadInteger(section, key, Unset);
            if (value != Unset) return value;
        }
    }

    const TMemIniFile& ini_;
    UnicodeString section_;
};

// The keys of one state (0 normal, 1 hot, 2 second state).
struct TacStateKeys {
    const wchar_t *Color, *FontColor, *Left, *Top, *Right, *Bottom, *GlowColor, *GlowSize, *GradientPercent,
        *Gradient, *ImagePercent, *Transparency, *Light, *BorderColor;
};
constexpr std::array<TacStateKeys, 3> StateKeys{{
    {L"COLOR", L"FONTCOLOR", L"TCLEFT", L"TCTOP", L"TCRIGHT", L"TCBOTTOM", L"GCOL", L"GSIZE", L"GRADIENTPERCENT",
     L"GRADIENTDATA", L"IMAGEPERCENT", L"TRANSPARENCY", L"LIGHT0", L"BORDERCOLOR0"},
    {L"HOTCOLOR", L"HOTFONTCOLOR", L"HOTTCLEFT", L"HOTTCTOP", L"HOTTCRIGHT", L"HOTTCBOTTOM", L"HGCOL", L"HGSIZE",
     L"HOTGRADIENTPERCENT", L"HOTGRADIENTDATA", L"HOTIMAGEPERCENT", L"HOTTRANSPARENCY", L"LIGHT1", L"BORDERCOLOR1"},
    {L"COLOR2", L"FONTCOLOR2", L"TCLEFT2", L"TCTOP2", L"TCRIGHT2", L"TCBOTTOM2", L"GCOL2", L"GSIZE2",
     L"GRADIENTPERCENT2", L"GRADIENTDATA2", L"IMAGEPERCENT2", L"TRANSPARENCY2", L"LIGHT2", L"BORDERCOLOR2"},
}};

void ParseGradient(const UnicodeString& text, TsGenState& state)
{
    state.GradientArray.clear();
    if (text.size() > 3) PrepareGradArray(text, state.GradientArray);
}

TsGenState ReadState(const TacSectionReader& r, const TacStateKeys& k, TColor defLight)
{
    TsGenState s;
    s.Color = r.Colour(k.Color, 0xFFFFFF);
    s.FontColor.Color = r.Colour(k.FontColor, 0);
    s.FontColor.Left = r.Colour(k.Left, -1);
    s.FontColor.Top = r.Colour(k.Top, -1);
    s.FontColor.Right = r.Colour(k.Right, -1);
    s.FontColor.Bottom = r.Colour(k.Bottom, -1);
    s.GlowColor = r.Colour(k.GlowColor, 0xFFFFFF);
    s.GlowSize = r.Colour(k.GlowSize, 0);
    s.GradientPercent = r.Colour(k.GradientPercent, 0);
    ParseGradient(r.String(k.Gradient, L" "), s);
    s.ImagePercent = r.Colour(k.ImagePercent, 0);
    s.Transparency = r.Colour(k.Transparency, 0);
    s.LightColor = r.Colour(k.Light, defLight);
    s.BorderColor = r.Colour(k.BorderColor, 0);
    return s;
}

// A section's state keys present in a list of common sections, over the values of start.
TsGenState ReadStateOver(const TMemIniFile& ini, const UnicodeString& section, const TacStateKeys& k, TsGenState s)
{
    auto colour = [&](const wchar_t* key, TColor& field) { field = ini.ReadInteger(section, key, field); };
    auto number = [&](const wchar_t* key, std::int32_t& field) { field = ini.ReadInteger(section, key, field); };
    colour(k.Color, s.Color);
    colour(k.FontColor, s.FontColor.Color);
    colour(k.Left, s.FontColor.Left);
    colour(k.Top, s.FontColor.Top);
    colour(k.Right, s.FontColor.Right);
    colour(k.Bottom, s.FontColor.Bottom);
    colour(k.GlowColor, s.GlowColor);
    number(k.GlowSize, s.GlowSize);
    number(k.GradientPercent, s.GradientPercent);
    if (ini.ValueExists(section, k.Gradient)) ParseGradient(ini.ReadString(section, k.Gradient, L" "), s);
    number(k.ImagePercent, s.ImagePercent);
    number(k.Transparency, s.Transparency);
    colour(k.Light, s.LightColor);
    colour(k.BorderColor, s.BorderColor);
    return s;
}

int IndexOfSection(const TsGeneralDataArray& gd, const UnicodeString& name)
{
    for (size_t i = 0; i < gd.size(); ++i)
        if (gd[i].ClassName == name) return static_cast<int>(i);
    return -1;
}

} // namespace

namespace {

TsGeneralData ReadSection(const TacSkinData& data, const TMemIniFile& ini, const UnicodeString& name)
{
    const TsSkinManager& owner = *data.FOwner;
    const TacSectionReader r(ini, name);
    TsGeneralData g;
    g.ClassName = name;
    g.ParentClass = ini.ReadString(name, L"PARENTCLASS", L"");
    g.ReservedBoolean = r.Boolean(L"RESERVEDBOOLEAN", false);
    g.GiveOwnFont = r.Boolean(L"GIVEOWNFONT", false);
    g.ShiftOnClick = r.Boolean(L"SHIFTCLICK", false);
    g.GlowCount = r.Colour(L"GLOW", 0, 255);
    g.GlowMargin = r.Colour(L"GLOWMARGIN", 0, 255);
    if (!data.ma.empty()) g.GlowMargin = g.GlowMargin * data.ma[0].MulPPi / 96;
    g.States = r.Colour(L"STATES", 3, 255);
    const auto scaled = [&](int value) { return owner.ScaleInt(value, data.ScaleValue); };
    g.OuterOffset = TRect(scaled(r.Integer(L"OUTOFFSL", 2, 255)), scaled(r.Integer(L"OUTOFFST", 2, 255)),
                          scaled(r.Integer(L"OUTOFFSR", 2, 255)), scaled(r.Integer(L"OUTOFFSB", 4, 255)));
    g.OuterOpacity = r.Colour(L"OUTOPACITY", 200, 255);
    g.OuterMode = r.Colour(L"OUTERMODE", 2);
    g.OuterBlur = scaled(r.Colour(L"OUTBLUR", 9, 30));
    g.OuterRadius = scaled(r.Colour(L"OUTRADIUS", 9, 60));
    g.OuterColorL = r.Colour(L"OUTCOLL", 0);
    g.OuterColorT = r.Colour(L"OUTCOLT", 0);
    g.OuterColorR = r.Colour(L"OUTCOLR", 0);
    g.OuterColorB = r.Colour(L"OUTCOLB", 0);
    g.BorderWidth = r.Colour(L"BORDERWIDTH", 1);
    g.UseState2 = r.Colour(L"USESTATE2", 0) == 1;
    g.ImgTL = g.ImgTR = g.ImgBL = g.ImgBR = -1;
    g.BorderIndex = 0;

    const TColor defLight = owner.SkinCommonInfo.DefLightColor;
    g.Props[0] = ReadState(r, StateKeys[0], defLight);
    g.Props[1] = g.States > 1 ? ReadState(r, StateKeys[1], defLight) : g.Props[0];
    g.Props[2] = g.UseState2 ? ReadState(r, StateKeys[2], defLight) : g.Props[1];
    return g;
}

// A list of common sections updates the skin's sections of the same name or adds new ones.
void MergeCommonSections(TacSkinData& data, const TStrings& list)
{
    TMemIniFile ini(UnicodeString(), nullptr, true);
    ini.SetStrings(list);
    TStringList sections;
    ini.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const UnicodeString name = sections.Strings(i);
        int index = IndexOfSection(data.gd, name);
        if (index < 0) {
            const UnicodeString parent = UpperCase(ini.ReadString(name, L"PARENTCLASS", L"-1"));
            TsGeneralData start;
            if (const int p = IndexOfSection(data.gd, parent); p >= 0) start = data.gd[static_cast<size_t>(p)];
            start.ClassName = name;
            data.gd.push_back(std::move(start));
            index = static_cast<int>(data.gd.size()) - 1;
        }
        TsGeneralData& g = data.gd[static_cast<size_t>(index)];
        g.States = ini.ReadInteger(name, L"STATES", g.States);
        for (size_t s = 0; s < 3; ++s) g.Props[s] = ReadStateOver(ini, name, StateKeys[s], g.Props[s]);
        g.UseState2 = ini.ReadInteger(name, L"USESTATE2", g.UseState2 ? 1 : 0) == 1;
        g.ReservedBoolean = ini.ReadBool(name, L"RESERVEDBOOLEAN", g.ReservedBoolean);
        g.GiveOwnFont = ini.ReadBool(name, L"GIVEOWNFONT", g.GiveOwnFont);
        g.GlowCount = ini.ReadInteger(name, L"GLOW", g.GlowCount);
        g.GlowMargin = ini.ReadInteger(name, L"GLOWMARGIN", g.GlowMargin);
        if (ini.ValueExists(name, L"BORDERSMASK") && ini.ReadString(name, L"BORDERSMASK", L"").size() < 5)
            g.BorderIndex = -2;
    }
}

} // namespace

void TacSkinData::LoadAllGeneralData()
{
    if (!FOwner) return;
    if (TMemIniFile* ini = FOwner->SkinFile) {
        TabsCovering = static_cast<std::uint8_t>(ini->ReadInteger(L"TABTOP", L"TABSCOVERING", 0));
        RibbonCovering = static_cast<std::uint8_t>(ini->ReadInteger(L"RIBBONTAB", L"TABSCOVERING", 0));
        gd.clear();
        TStringList sections;
        ini->ReadSections(&sections);
        for (int i = 0; i < sections.Count(); ++i) gd.push_back(ReadSection(*this, *ini, sections.Strings(i)));
    } else if (FOwner->CommonSections() && FOwner->CommonSections()->Count() > 0) {
        MergeCommonSections(*this, *FOwner->CommonSections());
    }
    const auto& palette = FOwner->Palette;
    if (IndexOfSection(gd, L"TRANSPARENT") < 0)
        AddNewSection(L"TRANSPARENT", -1, 1, 100, 0xFFFFFF, palette[pcLabelText]);
    if (IndexOfSection(gd, L"MAINCOLOR") < 0)
        AddNewSection(L"MAINCOLOR", -1, 1, 0, palette[pcMainColor], palette[pcLabelText]);
    if (FOwner->SkinFile) LoadGlobalInfo(*this, *FOwner->SkinFile);
}
