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

import ttf_build


def triangle():
    return ttf_build.polygon([(100, 0), (500, 800), (900, 0)])


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_store_fonts.py FIRST.ttf SECOND.ttf")
    for path, family, ps_name, glyph in ((sys.argv[1], "Store Test One", "StoreTestOne-Regular", ttf_build.square()),
                                         (sys.argv[2], "Store Test Two", "StoreTestTwo-Regular", triangle())):
        ttf_build.build(path, family, ps_name, "font store tests", [(0x41, "A", glyph)])


if __name__ == "__main__":
    main()
