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

from fontTools.pens.ttGlyphPen import TTGlyphPen

import ttf_build

FAMILY = "Contour Test"


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


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_contour_font.py OUTPUT.ttf")
    ttf_build.build(sys.argv[1], FAMILY, "ContourTest-Regular", "glyph list tests",
                    [(0x41, "A", ttf_build.square()), (0x42, "B", curved())])


if __name__ == "__main__":
    main()
