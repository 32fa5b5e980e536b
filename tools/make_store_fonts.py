#!/usr/bin/python3
"""Makes the font store tests' two fonts: tiny TrueType fonts of the unique families
"Store Test One" and "Store Test Two", each with one glyph "A" (a square in the first, a
triangle in the second).

The families must be ones that no host font has, so a missing private registration shows.
Output is deterministic; the generated files are committed under tests/skin/.
Needs Debian's python3-fonttools (hence /usr/bin/python3).
Run: tools/make_store_fonts.py tests/skin/skin_images_tests_store1.ttf tests/skin/skin_images_tests_store2.ttf
"""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen


def square():
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((100, 800))
    pen.lineTo((900, 800))
    pen.lineTo((900, 0))
    pen.closePath()
    return pen.glyph()


def triangle():
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((500, 800))
    pen.lineTo((900, 0))
    pen.closePath()
    return pen.glyph()


def empty():
    return TTGlyphPen(None).glyph()


def build(path, family, ps_name, glyph):
    order = [".notdef", "space", "A"]
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x41: "A"})
    fb.setupGlyf({".notdef": empty(), "space": empty(), "A": glyph})
    fb.setupHorizontalMetrics({name: (1000, 0) for name in order})
    fb.setupHorizontalHeader(ascent=900, descent=-100)
    fb.setupNameTable({"familyName": family, "styleName": "Regular",
                       "uniqueFontIdentifier": family + " Regular; font store tests",
                       "fullName": family, "psName": ps_name, "version": "Version 1.0"})
    fb.setupOS2(sTypoAscender=900, sTypoDescender=-100, usWinAscent=900, usWinDescent=100)
    fb.setupPost()
    fb.setupHead(unitsPerEm=1000, created=0x80000000, modified=0x80000000)
    fb.font["head"].created = fb.font["head"].modified = 3600000000
    fb.font.recalcTimestamp = False
    fb.save(path)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_store_fonts.py FIRST.ttf SECOND.ttf")
    build(sys.argv[1], "Store Test One", "StoreTestOne-Regular", square())
    build(sys.argv[2], "Store Test Two", "StoreTestTwo-Regular", triangle())


if __name__ == "__main__":
    main()
