// Image values of a skin in their notations, brought to the fixed-width form the readers take
// apart by character position.
#include "SysUtils.h"
#include "sSkinManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The fixed-width form by its fields.
struct Fields {
    std::wstring rect;    // 2-17
    std::wstring margins; // 18-33
    std::wstring count;   // 34
    std::wstring mask;    // 35
    std::wstring kind;    // 36
    std::wstring draw;    // 37-38
    std::wstring file;    // 45-
};

std::wstring Z(size_t n) { return std::wstring(n, L'0'); }

struct Row {
    const wchar_t* name;
    std::wstring value;
    Fields expected;
};

} // namespace

TEST(SkinNotations, EveryNotationGivesTheFixedWidthFields)
{
    const std::wstring rect = L"0010002000700060";
    const std::vector<Row> rows = {
        {L"caret", L"^0010^0020^0070^0060^0003^0004^0005^0006^3^1^1",
         {rect, L"0003000400050006", L"3", L"1", L"0", L"01", L""}},
        {L"caret, 47 characters: margins as written", L"^0010^0020^0070^0060^0000^0000^0000^0000^3^1^12",
         {rect, Z(16), L"3", L"1", L"0", L"12", L""}},
        {L"caret, long: w12 is every margin", L"^0010^0020^0070^0060^0000^0000^0000^0000^3^1^12^7",
         {rect, L"0007000700070007", L"3", L"1", L"0", L"12", L""}},
        // width 60 / 3 frames - 1 = 19 div 2 = 9; height 40 / (3 + 1) - 1 = 9 div 2 = 4
        {L"caret, long: margins from the rectangle", L"^0010^0020^0070^0060^0000^0000^0000^0000^3^3^12^0",
         {rect, L"0009000400090004", L"3", L"3", L"0", L"12", L""}},
        // a rectangle upside down would give negative margins: 0
        {L"caret, long: computed margins not below 0", L"^0010^0060^0070^0020^0000^0000^0000^0000^3^1^12^0",
         {L"0010006000700020", L"0009000000090000", L"3", L"1", L"0", L"12", L""}},
        // no frame count to share the width by
        {L"caret, long: zero frames", L"^0010^0020^0070^0060^0000^0000^0000^0000^0^1^12^0",
         {rect, L"0000000900000009", L"0", L"1", L"0", L"12", L""}},
        {L"tilde with a file name", L"~0000~0000~0064~0032~12~1~TILE.BMP",
         {L"0000000000640032", Z(16), L"1", L"1", L"1", L"12", L"TILE.BMP"}},
        {L"tilde, six words: no file name", L"~0000~0000~0064~0032~12~1",
         {L"0000000000640032", Z(16), L"1", L"1", L"1", L"12", L""}},
        {L"tilde shorter than 25 characters", L"~0000~0000~0064~0032",
         {L"0000000000640032", Z(16), L"1", L"0", L"1", L"00", L""}},
        {L"at", L"@0000@0000@0016@0016@4@1", {L"0000000000160016", Z(16), L"4", L"1", L"2", L"00", L""}},
        {L"exclamation, kind 0", L"!BORDER.BMP!2!1!0!0003!0004!0005!0006!3",
         {Z(16), L"0003000400050006", L"2", L"1", L"0", L"03", L"BORDER.BMP"}},
        {L"exclamation, kind 1", L"!TEX.PNG!1!0!1!0!0!0!0!7", {Z(16), Z(16), L"1", L"0", L"1", L"07", L"TEX.PNG"}},
        {L"exclamation, kind 2, four words", L"!GLYPH.PNG!3!0!2",
         {Z(16), Z(16), L"3", L"0", L"2", L"00", L"GLYPH.PNG"}},
        {L"exclamation, kind 2, rectangle", L"!GLYPH.PNG!3!0!2!0001!0002!0031!0012!16",
         {L"0001000200310012", Z(16), L"3", L"0", L"2", L"16", L"GLYPH.PNG"}},
        {L"exclamation, kind 3, four words", L"!GLOW.PNG!5!1!3", {Z(16), Z(16), L"1", L"0", L"3", L"00", L"GLOW.PNG"}},
        {L"exclamation, kind 3, margins", L"!GLOW.PNG!5!1!3!0002!0003!0004!0005!1",
         {Z(16), L"0002000300040005", L"5", L"1", L"3", L"01", L"GLOW.PNG"}},
        {L"exclamation, kind 4, four words", L"!PIC.PNG!2!0!4", {Z(16), Z(16), L"2", L"0", L"4", L"00", L"PIC.PNG"}},
        {L"exclamation, kind 4, rectangle", L"!PIC.PNG!2!0!4!0005!0006!0025!0026!8",
         {L"0005000600250026", Z(16), L"2", L"0", L"4", L"08", L"PIC.PNG"}},
        {L"exclamation, kind above 4 is 4", L"!PIC.PNG!2!0!9", {Z(16), Z(16), L"2", L"0", L"4", L"00", L"PIC.PNG"}},
        {L"exclamation, kind not a number is 0", L"!B.BMP!2!1!X!0001!0001!0001!0001",
         {Z(16), L"0001000100010001", L"2", L"1", L"0", L"00", L"B.BMP"}},
        {L"plain file name", L"PANEL.BMP", {Z(16), Z(16), L"1", L"0", L"1", L"00", L"PANEL.BMP"}},
        {L"plain name of four characters", L"A.BM", {Z(16), Z(16), L"1", L"0", L"1", L"00", L"A.BM"}},
        {L"short caret", L"^12", {Z(16), Z(16), L"3", L"0", L"0", L"01", L""}},
        {L"short plain name", L"A.B", {Z(16), Z(16), L"3", L"0", L"1", L"01", L"A.B"}},
        {L"short at", L"@1", {Z(16), Z(16), L"3", L"0", L"2", L"01", L""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Fields& f = row.expected;
        const std::wstring result = ConvertSkinStr(row.value);
        EXPECT_EQ(result, L"&" + f.rect + f.margins + f.count + f.mask + f.kind + f.draw + Z(6) + f.file);
        if (result.size() < 44) continue;
        EXPECT_EQ(result.substr(0, 1), L"&");
        EXPECT_EQ(result.substr(1, 16), f.rect);
        EXPECT_EQ(result.substr(17, 16), f.margins);
        EXPECT_EQ(result.substr(33, 1), f.count);
        EXPECT_EQ(result.substr(34, 1), f.mask);
        EXPECT_EQ(result.substr(35, 1), f.kind);
        EXPECT_EQ(result.substr(36, 2), f.draw);
        EXPECT_EQ(result.substr(38, 6), Z(6));
        EXPECT_EQ(result.substr(44), f.file);
    }
}

TEST(SkinNotations, WordsAreKeptAsWrittenAndNothingOutsideTheValueIsRead)
{
    // The normalised form comes back as it is, whatever follows the marker.
    for (const std::wstring value : {L"&00000000000000000000000000000000100100000000X.BMP", L"&", L"&abc"})
        EXPECT_EQ(ConvertSkinStr(value), value);

    // A word of another width than its field moves the fields behind it; the reader's conversion
    // of the shifted digits then fails.
    EXPECT_EQ(ConvertSkinStr(L"^10^0020^0070^0060^0003^0004^0005^0006^3^1^1"),
              L"&10002000700060000300040005000631001000000");
    // Over 47 characters with only eleven words: the twelfth word is empty, so the margins are
    // computed (the two-digit count shifts the fields).
    EXPECT_EQ(ConvertSkinStr(L"^0010^0020^0070^0060^0000^0000^0000^0000^03^1^12"),
              L"&0010002000700060000900090009000903101" L"2000000");
    // An empty value is a short plain name without characters.
    EXPECT_EQ(ConvertSkinStr(L""), L"&" + Z(32) + L"30101" + Z(6));
}

TEST(SkinNotations, ComputedMarginsNeedNumbers)
{
    EXPECT_THROW(ConvertSkinStr(L"^00A0^0020^0070^0060^0000^0000^0000^0000^3^1^12^0"), EConvertError);
    EXPECT_THROW(ConvertSkinStr(L"^0010^0020^0070^0060^0000^0000^0000^0000^X^1^12^0"), EConvertError);
    // Copied words are not numbers to the conversion: the reader finds out.
    EXPECT_NO_THROW(ConvertSkinStr(L"^0010^0020^0070^0060^0003^0004^0005^0006^X^Y^Z"));
}
