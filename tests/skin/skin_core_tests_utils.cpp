// General routines of the skin library: scale arithmetic, rectangles, words and strings,
// locale-dependent number texts, the INI reader over parsed sections and set properties by name.
#include "../framework/controls_test_support.h"
#include "acntUtils.h"

#include "Forms.h"
#include "StringList.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

TEST(SkinUtils, ScaleArithmetic)
{
    const std::pair<int, int> ppiToIndex[] = {{96, 0}, {110, 0}, {111, 1}, {134, 1}, {135, 2},
                                              {170, 2}, {171, 3}, {192, 3}, {0, 0}};
    for (auto [ppi, index] : ppiToIndex) EXPECT_EQ(PPIToIndex(ppi), index) << ppi;

    struct Scale {
        int value, index, expected;
    };
    const Scale scales[] = {{7, 0, 7}, {7, 1, 8}, {7, 2, 10}, {-7, 2, -10}, {-7, 1, -8}, {7, 3, 14}, {7, 4, 7}, {7, -1, 7}};
    for (const Scale& s : scales) EXPECT_EQ(ScaleInteger(s.value, s.index), s.expected) << s.value << "@" << s.index;

    EXPECT_EQ(ScalePPI(10, 144), 15);
    EXPECT_EQ(ScalePPI(7, 120), 8);
    EXPECT_EQ(ScalePPI(-7, 120), -8);

    // Round(Value / 100 * (100 - T) + T), halves to even.
    EXPECT_EQ(SumTrans(50, 20), 60);
    EXPECT_EQ(SumTrans(25, 50), 62);
    EXPECT_EQ(SumTrans(75, 50), 88);
    EXPECT_EQ(SumTrans(0, 100), 100);

    EXPECT_TRUE(IsValidIndex(2, 3));
    EXPECT_FALSE(IsValidIndex(3, 3));
    EXPECT_FALSE(IsValidIndex(0, 0));
    EXPECT_FALSE(IsValidIndex(1, 3, 2));
    EXPECT_TRUE(IsValidIndex(-1, 3, -1));
    EXPECT_TRUE(Between(5, 10, 1, true));
    EXPECT_FALSE(Between(5, 10, 1, false));
    EXPECT_EQ(LimitIt(5, 10, 1), 10) << "the lower bound is checked first";
}

TEST(SkinUtils, RectangleRoutines)
{
    EXPECT_EQ(WidthOf(TRect(10, 0, 5, 0)), 0);
    EXPECT_EQ(WidthOf(TRect(10, 0, 5, 0), true), -5);
    EXPECT_EQ(HeightOf(TRect(0, 10, 0, 5)), 0);
    EXPECT_EQ(HeightOf(TRect(0, 10, 0, 5), true), -5);
    EXPECT_EQ(MkRectWH(10, 20, 3, 4), TRect(3, 4, 13, 24));
    EXPECT_EQ(MkRect(TSize(5, 6)), TRect(0, 0, 5, 6));
    EXPECT_EQ(OffsRect(TRect(1, 2, 3, 4), 2, -1), TRect(3, 1, 5, 3));

    struct InRect {
        TRect inner;
        bool full, expected;
    };
    const TRect outer(0, 0, 10, 10);
    const InRect inRects[] = {
        {{0, 0, 10, 10}, true, true},   // right and bottom edges count as inside
        {{0, 0, 11, 10}, true, false},  {{5, 5, 20, 20}, true, false}, {{5, 5, 20, 20}, false, true},
        {{10, 10, 20, 20}, false, true}, {{11, 0, 20, 5}, false, false}, {{-5, -5, -1, -1}, false, false},
    };
    for (const InRect& c : inRects)
        EXPECT_EQ(RectInRect(outer, c.inner, c.full), c.expected)
            << c.inner.Left << "," << c.inner.Top << "," << c.inner.Right << "," << c.inner.Bottom << " full " << c.full;

    EXPECT_EQ(RotateRect(TRect(1, 2, 3, 4), true, 0), TRect(2, 1, 4, 3));
    EXPECT_EQ(RotateRect(TRect(1, 2, 3, 4), false, 10), TRect(2, 7, 4, 9));

    TRect r(1, 2, 3, 4);
    ReflectRect(r, 10, 20, true);
    EXPECT_EQ(r, TRect(7, 2, 9, 4));
    r = TRect(1, 2, 3, 4);
    ReflectRect(r, 10, 20, false);
    EXPECT_EQ(r, TRect(1, 16, 3, 18));
    r = TRect(12, 15, 16, 20);
    ReflectRect(r, TRect(10, 10, 30, 30), true);
    EXPECT_EQ(r, TRect(24, 15, 28, 20));
    r = TRect(12, 15, 16, 20);
    ReflectRect(r, TRect(10, 10, 30, 30), false);
    EXPECT_EQ(r, TRect(12, 20, 16, 25));

    EXPECT_EQ(RectsAnd(TRect(0, 0, 10, 10), TRect(5, 5, 20, 20)), TRect(5, 5, 10, 10));
    EXPECT_EQ(RectsAnd(TRect(0, 0, 2, 2), TRect(5, 5, 8, 8)), TRect(5, 5, 2, 2)) << "disjoint: inverted";
    EXPECT_EQ(SumRects(TRect(0, 3, 10, 10), TRect(5, 0, 20, 8)), TRect(0, 0, 20, 10));
    r = TRect(0, 0, 100, 50);
    AddPadding(r, TRect(1, 2, 3, 4));
    EXPECT_EQ(r, TRect(1, 2, 97, 46));
    EXPECT_TRUE(RectIsVisible(TRect(0, 0, 10, 10), TRect(9, 9, 12, 12)));
    EXPECT_FALSE(RectIsVisible(TRect(0, 0, 10, 10), TRect(10, 0, 12, 5)));
    EXPECT_FALSE(RectIsVisible(TRect(0, 0, 10, 10), TRect(5, 5, 5, 8)));
}

TEST(SkinUtils, WordRoutines)
{
    const std::wstring_view text = L"  alpha,beta;;gamma ";
    const std::wstring_view delims = L" ,;";
    EXPECT_EQ(acWordCount(text, delims), 3);
    EXPECT_EQ(acWordPosition(1, text, delims), 3);
    EXPECT_EQ(acWordPosition(3, text, delims), 15);
    EXPECT_EQ(acWordPosition(4, text, delims), 0);
    EXPECT_EQ(acExtractWord(2, text, delims), L"beta");
    EXPECT_EQ(acExtractWord(3, text, delims), L"gamma");
    EXPECT_EQ(acExtractWord(4, text, delims), L"");
    EXPECT_EQ(GetWordNumber(L"gamma", text, delims), 3);
    EXPECT_EQ(GetWordNumber(L"delta", text, delims), 0);
    EXPECT_EQ(acWordCount(L"", delims), 0);
    EXPECT_TRUE(acCharIn(L';', delims));

    EXPECT_EQ(WordCount("one two  three", " "), 3);
    EXPECT_EQ(ExtractWord(2, "one two  three", " "), "two");
    EXPECT_EQ(WordPosition(3, "one two  three", " "), 10);

    int pos = 1;
    EXPECT_EQ(ExtractSubStr("ab,cd", pos, ","), "ab");
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(ExtractSubStr("ab,cd", pos, ","), "cd");
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(ExtractSubStr("ab,cd", pos, ","), "");
}

TEST(SkinUtils, StringRoutines)
{
    EXPECT_EQ(AddChar('0', "12", 5), "00012");
    EXPECT_EQ(AddChar('0', "123456", 5), "123456");
    EXPECT_EQ(MakeStr('x', 3), "xxx");
    EXPECT_EQ(MakeStr('x', -1), "");
    UnicodeString filled;
    acFillString(filled, 4, L'-');
    EXPECT_EQ(filled, L"----");
    EXPECT_TRUE(IsEmptyStr("  \t", " \t"));
    EXPECT_FALSE(IsEmptyStr(" x ", " "));

    EXPECT_EQ(ReplaceStr(L"aaa", L"a", L"aa"), L"aaaaaa") << "the scan goes on behind each replacement";
    EXPECT_EQ(ReplaceStr(L"x.y.z", L".", L""), L"xyz");
    EXPECT_EQ(ReplaceStr(L"x.y", L"", L"-"), L"x.y");
    EXPECT_EQ(DelRSpace(L"  a b  "), L"  a b");
    EXPECT_EQ(DelBSpace(L"  a b  "), L"a b  ");
    EXPECT_EQ(DelESpace(L"  a b  "), L"a b");
    EXPECT_EQ(DelESpace(L"   "), L"");
    EXPECT_EQ(DelChars(L"a-b-c", L'-'), L"abc");
    EXPECT_TRUE(acSameText(L"Button", L"BUTTON"));

    const std::pair<const char*, int> hex[] = {
        {"1FH", 31}, {"1fh", 31}, {"1G", 1}, {"", 0}, {"H", 0}, {"FF", 255}, {"FFFFFFFF", -1}, {"G1", 0}};
    for (auto [text, value] : hex) EXPECT_EQ(HexToInt(text), value) << text;
}

namespace {

// Sets the process-wide format settings to a locale and puts the previous ones back.
class LocaleScope {
public:
    explicit LocaleScope(const wchar_t* locale) : saved_(FormatSettings)
    {
        FormatSettings = TFormatSettings::Create(locale);
    }
    ~LocaleScope() { FormatSettings = saved_; }

private:
    TFormatSettings saved_;
};

} // namespace

TEST(SkinUtils, NumberTextsFollowTheLocale)
{
    struct Case {
        const wchar_t* locale;
        const wchar_t* text;
        bool valid;
        double value;
    };
    const Case floats[] = {
        {L"en-US", L"1.5", true, 1.5},  {L"en-US", L"1,5", false, 0}, {L"en-US", L"-2e3", true, -2000},
        {L"en-US", L"", false, 0},      {L"en-US", L" 1", false, 0},  {L"de-DE", L"1,5", true, 1.5},
        {L"de-DE", L"1.5", false, 0},   {L"de-DE", L"abc", false, 0},
    };
    for (const Case& c : floats) {
        LocaleScope scope(c.locale);
        double value = 0;
        EXPECT_EQ(IsValidFloat(c.text, value), c.valid) << c.locale << " " << c.text;
        if (c.valid) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }

    struct Format {
        const wchar_t* locale;
        const wchar_t* text;
        bool thousands;
        const wchar_t* expected;
    };
    const Format formats[] = {
        {L"en-US", L"1234567.891", true, L"1,234,567.891"},
        {L"en-US", L"-1234", true, L"-1,234"},
        {L"en-US", L"123", true, L"123"},
        {L"en-US", L"1234.5", false, L"1234.5"},
        {L"en-US", L"1234E5", true, L"1,234E5"},
        {L"de-DE", L"1234567,5", true, L"1.234.567,5"},
        {L"de-DE", L"+100000", true, L"+100.000"},
    };
    for (const Format& f : formats) {
        LocaleScope scope(f.locale);
        EXPECT_EQ(FormatFloatStr(f.text, f.thousands), f.expected) << f.locale << " " << f.text;
    }
}

TEST(SkinUtils, DirectoryAndFileNames)
{
    const std::pair<const wchar_t*, const wchar_t*> dirs[] = {
        {L"C", L"C:\\"}, {L"", L""}, {L"C:\\x", L"C:\\x\\"}, {L"a/", L"a/"}, {L"a\\", L"a\\"}};
    for (auto [dir, expected] : dirs) EXPECT_EQ(NormalDir(dir), expected) << dir;

    const std::pair<const wchar_t*, bool> names[] = {
        {L"file.txt", true}, {L"dir\\file.txt", true}, {L"", false},       {L"a<b", false},
        {L"a>b", false},     {L"a\"b", false},         {L"a|b", false},    {L"a*", false},
        {L"a?", false},      {L"a/b", false},
    };
    for (auto [name, valid] : names) EXPECT_EQ(ValidFileName(name), valid) << name;
}

TEST(SkinUtils, IniReaderOverParsedSections)
{
    TStringList lines;
    lines.SetText(L"; comment\n"
                  L"before=dropped\n"
                  L"[GENERAL]\n"
                  L"VERSION=12\n"
                  L"HEX=0x1F\n"
                  L"UPPERHEX=0X10\n"
                  L"HEXSHORT=0x\n"
                  L"DOLLAR=$10\n"
                  L"BAD=12a\n"
                  L"\n"
                  L"TEXT=a=b\n"
                  L"[Other]\n"
                  L"KEY=v\n"
                  L"[general]\n"
                  L"VERSION=99\n");
    TStringList sections(true);
    GetIniSections(lines, sections);
    ASSERT_EQ(sections.Count(), 3);
    EXPECT_EQ(sections.Strings(0), L"GENERAL");
    EXPECT_EQ(static_cast<TStringList*>(sections.Objects(0))->Count(), 7) << "section lines without the empty one";

    EXPECT_EQ(ReadIniString(lines, sections, L"GENERAL", L"VERSION", L"-"), L"12");
    EXPECT_EQ(ReadIniString(lines, sections, L"general", L"VERSION", L"-"), L"99") << "exact section names";
    EXPECT_EQ(ReadIniString(lines, sections, L"GENERAL", L"TEXT", L"-"), L"a=b");
    EXPECT_EQ(ReadIniString(lines, sections, L"GENERAL", L"version", L"-"), L"-");
    EXPECT_EQ(ReadIniString(lines, sections, L"GENERAL", L"before", L"-"), L"-") << "lines before a section are dropped";
    EXPECT_EQ(ReadIniString(lines, sections, L"NONE", L"KEY", L"-"), L"-");

    struct Int {
        const wchar_t* key;
        int expected;
    };
    const Int ints[] = {{L"VERSION", 12}, {L"HEX", 31},    {L"UPPERHEX", 16}, {L"HEXSHORT", -7},
                        {L"DOLLAR", -7},  {L"BAD", -7},    {L"MISSING", -7}};
    for (const Int& i : ints) EXPECT_EQ(ReadIniInteger(lines, sections, L"GENERAL", i.key, -7), i.expected) << i.key;

    GetIniSections(lines, sections);
    EXPECT_EQ(sections.Count(), 3) << "a second parse starts afresh";
}

using SkinUtilsWithControls = ControlsTest;

TEST_F(SkinUtilsWithControls, SetPropertiesEditedByElementName)
{
    TForm& form = *new TForm(Application);
    form.SetBorderIcons(TBorderIcons{biSystemMenu, biMaximize});
    EXPECT_TRUE(CheckSetProp(&form, L"BorderIcons", L"biMaximize"));
    EXPECT_FALSE(CheckSetProp(&form, L"BorderIcons", L"biMinimize"));
    EXPECT_FALSE(CheckSetProp(&form, L"BorderIcons", L"biMax")) << "whole element names only";
    EXPECT_FALSE(CheckSetProp(&form, L"NoSuchSet", L"biMaximize"));

    SetSetPropValue(&form, L"BorderIcons", L"biHelp", true);
    EXPECT_EQ(form.BorderIcons(), (TBorderIcons{biSystemMenu, biMaximize, biHelp}));
    SetSetPropValue(&form, L"BorderIcons", L"biHelp", true);
    EXPECT_EQ(form.BorderIcons(), (TBorderIcons{biSystemMenu, biMaximize, biHelp}));
    SetSetPropValue(&form, L"BorderIcons", L"biSystemMenu", false);
    EXPECT_EQ(form.BorderIcons(), (TBorderIcons{biMaximize, biHelp}));
    SetSetPropValue(&form, L"BorderIcons", L"biMaximize", false);
    SetSetPropValue(&form, L"BorderIcons", L"biHelp", false);
    EXPECT_TRUE(form.BorderIcons().Empty());
    SetSetPropValue(&form, L"NoSuchSet", L"biHelp", true); // nothing to edit
}
