"""Builds the tests' tiny TrueType fonts: glyphs drawn with a pen, a family name no host font
has, and fixed timestamps, so that the same call always writes the same bytes.
Needs Debian's python3-fonttools; imported by the make_*_font(s).py scripts next to it.
"""
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

# Every glyph is this wide, on an em of this many units.
UNITS = 1000


def polygon(*contours):
    """A glyph of closed straight-sided contours, each a sequence of points."""
    pen = TTGlyphPen(None)
    for points in contours:
        pen.moveTo(points[0])
        for point in points[1:]:
            pen.lineTo(point)
        pen.closePath()
    return pen.glyph()


def square():
    return polygon([(100, 0), (100, 800), (900, 800), (900, 0)])


def empty():
    return TTGlyphPen(None).glyph()


def build(path, family, ps_name, purpose, glyphs):
    """Writes a font of the family to path: .notdef, an empty space and glyphs, a list of
    (character code, glyph name, glyph) in glyph order. purpose ends the unique identifier."""
    order = [".notdef", "space"] + [name for _, name, _ in glyphs]
    fb = FontBuilder(UNITS, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", **{code: name for code, name, _ in glyphs}})
    fb.setupGlyf({".notdef": empty(), "space": empty(), **{name: glyph for _, name, glyph in glyphs}})
    fb.setupHorizontalMetrics({name: (UNITS, 0) for name in order})
    fb.setupHorizontalHeader(ascent=900, descent=-100)
    fb.setupNameTable({"familyName": family, "styleName": "Regular",
                       "uniqueFontIdentifier": f"{family} Regular; {purpose}",
                       "fullName": family, "psName": ps_name, "version": "Version 1.0"})
    fb.setupOS2(sTypoAscender=900, sTypoDescender=-100, usWinAscent=900, usWinDescent=100)
    fb.setupPost()
    fb.setupHead(unitsPerEm=UNITS, created=0x80000000, modified=0x80000000)
    fb.font["head"].created = fb.font["head"].modified = 3600000000
    fb.font.recalcTimestamp = False
    fb.save(path)
