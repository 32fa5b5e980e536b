#!/usr/bin/python3
"""Makes the house test skin's font: DejaVu Sans from Debian's fonts-dejavu-core, cut down to
printable ASCII and renamed to the family "House Sans".

The family name must be one that no host font has: Wine also sees the host's fonts, so only a
unique family shows whether the skin's private font registration worked.
Output is deterministic; the generated file is committed under tests/skin/.
Needs Debian's python3-fonttools (hence /usr/bin/python3, not another interpreter on the PATH).
Run: tools/make_house_font.py tests/skin/house_skin_font.ttf
"""
import sys
from pathlib import Path

from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE = Path("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
FAMILY = "House Sans"
STYLE = "Regular"


def rename(font):
    names = {
        1: FAMILY,
        2: STYLE,
        3: f"{FAMILY} {STYLE}; house test skin",
        4: FAMILY,
        6: FAMILY.replace(" ", "") + "-" + STYLE,
        16: FAMILY,
        17: STYLE,
    }
    table = font["name"]
    # Drop everything else (licence texts stay: ids 0, 13, 14), so no record names the old family.
    table.names = [n for n in table.names if n.nameID in (0, 5, 13, 14)]
    for name_id, text in names.items():
        table.setName(text, name_id, 3, 1, 0x409)  # Windows, Unicode BMP, en-US
        table.setName(text, name_id, 1, 0, 0)  # Macintosh, Roman, English


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_house_font.py OUTPUT.ttf")
    font = TTFont(SOURCE)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.layout_features = []
    options.hinting = False
    options.drop_tables += ["FFTM"]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=range(0x20, 0x7F))
    subsetter.subset(font)
    rename(font)
    # A fixed modification time keeps the output the same from run to run.
    font.recalcTimestamp = False
    font["head"].modified = font["head"].created
    font.save(sys.argv[1], reorderTables=True)


if __name__ == "__main__":
    main()
