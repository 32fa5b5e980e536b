// Glyph and caption positions of a button.
#include "sGraphUtilsLayout.h"

#include <gtest/gtest.h>

TEST(SkinButtonLayout, GlyphAndTextPositions)
{
    struct Case {
        const char* name;
        TRect client;
        TPoint glyph;
        TSize text;
        TButtonLayout layout;
        TAlignment alignment;
        int margin, spacing, biDi;
        TVerticalAlignment va;
        TPoint glyphPos;
        TRect textBounds;
    };
    const TRect wide{0, 0, 100, 30}, tall{0, 0, 40, 60};
    const Case cases[] = {
        // automatic margin and spacing: (100 - 16 - 40) div 3 = 14
        {"left/left auto", wide, {16, 16}, {40, 14}, blGlyphLeft, taLeftJustify, -1, -1, 0, taVerticalCenter, {14, 7}, {44, 8, 86, 22}},
        {"left/right", wide, {16, 16}, {40, 14}, blGlyphLeft, taRightJustify, -1, -1, 0, taVerticalCenter, {16, 7}, {46, 8, 86, 22}},
        {"left/centre", wide, {16, 16}, {40, 14}, blGlyphLeft, taCenter, -1, -1, 0, taVerticalCenter, {15, 7}, {45, 8, 85, 22}},
        {"right/left", wide, {16, 16}, {40, 14}, blGlyphRight, taLeftJustify, -1, -1, 0, taVerticalCenter, {68, 7}, {14, 8, 54, 22}},
        {"right/right", wide, {16, 16}, {40, 14}, blGlyphRight, taRightJustify, -1, -1, 0, taVerticalCenter, {70, 7}, {0, 8, 56, 22}},
        {"right/centre", wide, {16, 16}, {40, 14}, blGlyphRight, taCenter, -1, -1, 0, taVerticalCenter, {69, 7}, {15, 8, 55, 22}},
        // no caption: spacing 0, margin 2
        {"no caption", wide, {16, 16}, {0, 0}, blGlyphLeft, taLeftJustify, -1, -1, 0, taVerticalCenter, {2, 7}, {18, 15, 98, 15}},
        {"client offset", {5, 10, 105, 40}, {16, 16}, {40, 14}, blGlyphLeft, taLeftJustify, -1, -1, 0, taVerticalCenter, {19, 17}, {49, 18, 96, 32}},
        {"right to left", wide, {16, 16}, {40, 14}, blGlyphLeft, taLeftJustify, -1, -1, 2, taVerticalCenter, {70, 7}, {14, 8, 56, 22}},
        // top and bottom: (60 - 16 - 10) div 3 = 11
        {"top auto", tall, {16, 16}, {20, 10}, blGlyphTop, taCenter, -1, -1, 0, taVerticalCenter, {12, 11}, {10, 38, 30, 48}},
        {"bottom auto", tall, {16, 16}, {20, 10}, blGlyphBottom, taCenter, -1, -1, 0, taVerticalCenter, {12, 33}, {10, 12, 30, 22}},
        // vertical alignment with margin 3, spacing 4
        {"left, va top", wide, {16, 16}, {40, 14}, blGlyphLeft, taLeftJustify, 3, 4, 0, taAlignTop, {3, 3}, {23, 3, 97, 17}},
        {"left, va bottom", wide, {16, 16}, {40, 14}, blGlyphLeft, taLeftJustify, 3, 4, 0, taAlignBottom, {3, 11}, {23, 13, 97, 27}},
        {"top, va top", tall, {16, 16}, {20, 10}, blGlyphTop, taCenter, 3, 4, 0, taAlignTop, {12, 3}, {10, 23, 30, 33}},
        {"bottom, va bottom", tall, {16, 16}, {20, 10}, blGlyphBottom, taCenter, 3, 4, 0, taAlignBottom, {12, 41}, {10, 27, 30, 37}},
        {"top, va bottom", tall, {16, 16}, {20, 10}, blGlyphTop, taCenter, 3, 4, 0, taAlignBottom, {12, 27}, {10, 47, 30, 57}},
        {"bottom, va top", tall, {16, 16}, {20, 10}, blGlyphBottom, taCenter, 3, 4, 0, taAlignTop, {12, 17}, {10, 3, 30, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPoint glyphPos{-99, -99};
        TRect textBounds;
        CalcButtonLayout(c.client, c.glyph, c.text, c.layout, c.alignment, c.margin, c.spacing, glyphPos, textBounds,
                         c.biDi, c.va);
        EXPECT_EQ(glyphPos, c.glyphPos);
        EXPECT_EQ(textBounds, c.textBounds);
    }
}
