#!/usr/bin/python3
"""Makes the glyph list tests' contour font: a tiny TrueType font of the unique family
"Contour Test" with two glyphs, "A" a square (one contour of four lines) and "B" a diamond with
quadratic curves on its sides (one contour) plus a square hole (a second contour).

The family must be one that no host font has, so a broken private registration shows.
Output is deterministic; the generated file is committed under tests/skin/.
Needs Debian's python3-fonttools (hence /usr/bin/python3).
Run: tools/make_contour_font.py tests/skin/skin_images_tests_contour.ttf
"""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

FAMILY = "Contour Test"


def square():
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((100, 800))
    pen.lineTo((900, 800))
    pen.lineTo((900, 0))
    pen.closePath()
    return pen.glyph()


def curved():
    pen = TTGlyphPen(None)
    pen.moveTo((500, 0))
    pen.qCurveTo((100, 100), (100, 400))
    pen.qCurveTo((100, 700), (500, 800))
    pen.qCurveTo((900, 700), (900, 400))
    pen.qCurveTo((900, 100), (500, 0))
    pen.closePath()
    pen.moveTo((400, 300))
    pen.lineTo((600, 300))
    pen.lineTo((600, 500))
    pen.lineTo((400, 500))
    pen.closePath()
    return pen.glyph()


def empty():
    return TTGlyphPen(None).glyph()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_contour_font.py OUTPUT.ttf")
    order = [".notdef", "space", "A", "B"]
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x41: "A", 0x42: "B"})
    fb.setupGlyf({".notdef": empty(), "space": empty(), "A": square(), "B": curved()})
    fb.setupHorizontalMetrics({name: (1000, 0) for name in order})
    fb.setupHorizontalHeader(ascent=900, descent=-100)
    fb.setupNameTable({"familyName": FAMILY, "styleName": "Regular", "uniqueFontIdentifier": FAMILY + " Regular; glyph list tests",
                       "fullName": FAMILY, "psName": "ContourTest-Regular", "version": "Version 1.0"})
    fb.setupOS2(sTypoAscender=900, sTypoDescender=-100, usWinAscent=900, usWinDescent=100)
    fb.setupPost()
    fb.setupHead(unitsPerEm=1000, created=0x80000000, modified=0x80000000)
    fb.font["head"].created = fb.font["head"].modified = 3600000000
    fb.font.recalcTimestamp = False
    fb.save(sys.argv[1])


if __name__ == "__main__":
    main()
