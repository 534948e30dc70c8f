#!/usr/bin/env python3
# Makes the small font files that the tests and the font fuzz target start
# from, out of DejaVu Sans Bold (Debian's fonts-dejavu-core), with fonttools
# (python3-fonttools): a TrueType subset, a collection of two subsets, and an
# OpenType font with CFF outlines drawn from the same glyphs.
# Usage: tests/fonts/make_fonts.py tests/fonts
import sys

from fontTools import subset
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.ttLib import TTCollection, TTFont

SOURCE = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def make_subset(text, path):
    options = subset.Options()
    options.layout_features = ["liga", "kern"]
    options.name_IDs = [1, 2]
    options.notdef_outline = True
    options.hinting = False
    font = TTFont(SOURCE)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)
    font.save(path)


def make_cff(source_path, path):
    font = TTFont(source_path)
    glyphs = font.getGlyphSet()
    order = font.getGlyphOrder()
    charstrings = {}
    for name in order:
        pen = T2CharStringPen(glyphs[name].width, glyphs)
        glyphs[name].draw(pen)
        charstrings[name] = pen.getCharString()
    os2 = font["OS/2"]
    builder = FontBuilder(font["head"].unitsPerEm, isTTF=False)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(font.getBestCmap())
    builder.setupCFF("DejaVuCffSubset", {"FullName": "DejaVu CFF Subset"}, charstrings, {})
    builder.setupHorizontalMetrics({name: font["hmtx"][name] for name in order})
    builder.setupHorizontalHeader(ascent=font["hhea"].ascent, descent=font["hhea"].descent)
    builder.setupNameTable({"familyName": "DejaVuCffSubset", "styleName": "Bold"})
    builder.setupOS2(sTypoAscender=os2.sTypoAscender, sTypoDescender=os2.sTypoDescender,
                     usWinAscent=os2.usWinAscent, usWinDescent=os2.usWinDescent)
    builder.setupPost()
    builder.save(path)


def main(folder):
    make_subset("Knob 1fi", folder + "/dejavu_subset.ttf")
    make_subset("Vol2", folder + "/second_subset.ttf")
    collection = TTCollection()
    collection.fonts = [TTFont(folder + "/dejavu_subset.ttf"), TTFont(folder + "/second_subset.ttf")]
    collection.save(folder + "/pair.ttc")
    make_cff(folder + "/dejavu_subset.ttf", folder + "/dejavu_cff_subset.otf")


if __name__ == "__main__":
    main(sys.argv[1])
