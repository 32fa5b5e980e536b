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
