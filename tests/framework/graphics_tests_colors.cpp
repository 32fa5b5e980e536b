#include "Colors.h"
#include "Exceptions.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Colors, SystemColorRule)
{
    struct Case {
        std::uint32_t value;
        bool system;
    };
    const Case cases[] = {
        {0xFF000000u, true},   // clScrollBar, index 0
        {0xFF000005u, true},   // clWindow
        {0xFF00001Eu, true},   // clMenuBar, index 30
        {0xFF00001Fu, false},  // index 31: opaque ARGB blue-ish, not a system colour
        {0xFF0000FFu, false},  // opaque ARGB pure blue
        {0xFF000105u, false},  // green byte set
        {0xFF123456u, false},
        {0x00000005u, false},
        {0x1FFFFFFFu, false},  // clNone
        {0x20000000u, false},  // clDefault
        {0x80000005u, false},  // the old 0x80 high byte is not ours
    };
    for (const auto& c : cases) EXPECT_EQ(IsSystemColor(TColorOf(c.value)), c.system) << std::hex << c.value;
}

TEST(Colors, ColorToRgb)
{
    EXPECT_EQ(ColorToRGB(clWindow), static_cast<TColor>(::GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(ColorToRGB(clMenuBar), static_cast<TColor>(::GetSysColor(COLOR_MENUBAR)));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(TColorOf(0xFF123456u)), 0x123456);  // opaque ARGB loses its alpha byte
    EXPECT_EQ(ColorToRGB(TColorOf(0xFF0000FFu)), 0x0000FF);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clDefault), clDefault);
    EXPECT_EQ(ColorToGdi(clNone), 0xFFFFFFu);
    EXPECT_EQ(ColorToGdi(clWindowText), ::GetSysColor(COLOR_WINDOWTEXT));
}

TEST(Colors, NamesAndNumbers)
{
    EXPECT_EQ(ColorToString(clMoneyGreen), L"clMoneyGreen");
    EXPECT_EQ(ColorToString(clBtnFace), L"clBtnFace");
    EXPECT_EQ(ColorToString(clNone), L"clNone");
    EXPECT_EQ(ColorToString(0x123456), L"$00123456");
    EXPECT_EQ(ColorToString(TColorOf(0xFF00ABCDu)), L"$FF00ABCD");

    EXPECT_EQ(StringToColor(L"clSkyBlue"), clSkyBlue);
    EXPECT_EQ(StringToColor(L"CLBTNFACE"), clBtnFace);
    EXPECT_EQ(StringToColor(L"$00FF0000"), clBlue);
    EXPECT_EQ(StringToColor(L"$FF000005"), clWindow);
    EXPECT_EQ(StringToColor(L"0x0000FF"), clRed);
    EXPECT_EQ(StringToColor(L"255"), clRed);
    EXPECT_EQ(StringToColor(L"-16777201"), clBtnFace);
    for (const wchar_t* bad : {L"", L"clNoSuchColour", L"$", L"$123456789", L"12a", L"2147483648"})
        EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
}

TEST(Colors, EnumerationOrderAndRoundTrip)
{
    std::vector<UnicodeString> names;
    GetColorValues([&](const UnicodeString& name) { names.push_back(name); });
    ASSERT_EQ(names.size(), 52u);
    // The colour box cuts the list at 16 (extended colours) and 20 (system colours).
    EXPECT_EQ(names[0], L"clBlack");
    EXPECT_EQ(names[15], L"clWhite");
    EXPECT_EQ(names[16], L"clMoneyGreen");
    EXPECT_EQ(names[19], L"clMedGray");
    for (size_t i = 0; i < 20; ++i) EXPECT_FALSE(IsSystemColor(StringToColor(names[i]))) << names[i];
    for (size_t i = 20; i < names.size(); ++i) {
        const TColor c = StringToColor(names[i]);
        EXPECT_TRUE(IsSystemColor(c) || c == clNone || c == clDefault) << names[i];
    }
    for (const auto& name : names) EXPECT_EQ(ColorToString(StringToColor(name)), name);
}
