#include "Exceptions.h"
#include "Strings.h"

#include <gtest/gtest.h>

TEST(Strings, CheckedOneBasedIndexing)
{
    const AnsiString s = "abc";
    EXPECT_EQ(CharAt(s, 1), 'a');
    EXPECT_EQ(CharAt(s, 3), 'c');
    EXPECT_THROW(CharAt(s, 0), ERangeError);
    EXPECT_THROW(CharAt(s, 4), ERangeError);
    EXPECT_THROW(CharAt(AnsiString(), 1), ERangeError);
}

TEST(Strings, PosCopyTrim)
{
    EXPECT_EQ(Pos(",", "a,b"), 2u);
    EXPECT_EQ(Pos(",", "ab"), 0u);
    EXPECT_EQ(Copy(AnsiString("hello"), 2, 3), "ell");
    EXPECT_EQ(Copy(AnsiString("hello"), 4, 100), "lo");
    EXPECT_EQ(Copy(AnsiString("hello"), 0, 2), "he");
    EXPECT_EQ(Copy(AnsiString("hello"), 9, 2), "");
    EXPECT_EQ(Trim(AnsiString(" \t a b \r\n")), "a b");
    EXPECT_EQ(UpperCase(AnsiString("7f-xZ")), "7F-XZ");
}

TEST(Strings, SameTextIgnoresAsciiCaseOnly)
{
    EXPECT_TRUE(SameText("MainFont", "MAINFONT"));
    EXPECT_TRUE(SameText(L"abc", L"ABC"));
    EXPECT_TRUE(SameText("", ""));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_FALSE(SameText("a[", "A{"));  // '[' and '{' differ by the case bit but are no letters
    EXPECT_FALSE(SameText(L"\u00E4", L"\u00C4"));
}

TEST(Strings, StringReplace)
{
    struct Case {
        const wchar_t *text, *from, *to;
        TReplaceFlags flags;
        const wchar_t* want;
    };
    const Case cases[] = {
        {L"a.b.c", L".", L"_", {}, L"a_b.c"},
        {L"a.b.c", L".", L"_", rfReplaceAll, L"a_b_c"},
        {L"aaa", L"aa", L"b", rfReplaceAll, L"ba"},  // no overlapping matches
        {L"abc", L"", L"x", rfReplaceAll, L"abc"},
        {L"abc", L"abc", L"", {}, L""},
        {L"xAbXaB", L"ab", L"-", TReplaceFlags() << rfReplaceAll << rfIgnoreCase, L"x-X-"},
        {L"xAbXaB", L"ab", L"-", rfReplaceAll, L"xAbXaB"},
        {L"\u00C4rger \u00E4rger", L"\u00E4", L"ae", TReplaceFlags() << rfReplaceAll << rfIgnoreCase, L"aerger aerger"},
        {L"a,,b", L",", L",,", rfReplaceAll, L"a,,,,b"},  // replacement text is not searched again
    };
    for (const Case& c : cases) EXPECT_EQ(StringReplace(UnicodeString(c.text), c.from, c.to, c.flags), c.want);
    EXPECT_EQ(StringReplace(AnsiString("GW_0A_1B"), "_", ".", rfReplaceAll), "GW.0A.1B");
    EXPECT_EQ(StringReplace(AnsiString("Path\\File"), "path", "P", rfIgnoreCase), "P\\File");
}

TEST(Strings, LastDelimiter)
{
    EXPECT_EQ(LastDelimiter(".", "1.4.12"), 4u);
    EXPECT_EQ(LastDelimiter(L"\\:", L"C:\\dir\\file.txt"), 7u);
    EXPECT_EQ(LastDelimiter(".", "none"), 0u);
    EXPECT_EQ(LastDelimiter("", "a.b"), 0u);
    EXPECT_EQ(LastDelimiter(".", ""), 0u);
}
