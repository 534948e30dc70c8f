import sys
from fontTools import subset
from fontTools.ttLib import TTFont, TTCollection
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
src = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
out = sys.argv[1]
def sub(text, path, extra=()):
    opts = subset.Options(); opts.layout_features = ["liga", "kern"]; opts.name_IDs=[1,2]; opts.notdef_outline=True
    opts.hinting = False
    f = TTFont(src); s = subset.Subsetter(opts); s.populate(text=text); s.subset(f); f.save(path); return path
sub("Knob 1fi", out + "/dejavu_subset.ttf")
sub("Vol2", "/tmp/b17.ttf")
c = TTCollection(); c.fonts = [TTFont(out + "/dejavu_subset.ttf"), TTFont("/tmp/b17.ttf")]; c.save(out + "/pair.ttc")
# A CFF-flavoured OpenType font drawn from the same outlines.
f = TTFont(out + "/dejavu_subset.ttf")
gs = f.getGlyphSet(); order = f.getGlyphOrder()
chars = {}
for glyph in order:
    pen = T2CharStringPen(gs[glyph].width, gs)
    gs[glyph].draw(pen); chars[glyph] = pen.getCharString()
fb = FontBuilder(f["head"].unitsPerEm, isTTF=False)
fb.setupGlyphOrder(order)
fb.setupCharacterMap(f.getBestCmap())
fb.setupCFF("DejaVuCffSubset", {"FullName": "DejaVu CFF Subset"}, chars, {})
fb.setupHorizontalMetrics({g: f["hmtx"][g] for g in order})
fb.setupHorizontalHeader(ascent=f["hhea"].ascent, descent=f["hhea"].descent)
fb.setupNameTable({"familyName": "DejaVuCffSubset", "styleName": "Bold"})
fb.setupOS2(sTypoAscender=f["OS/2"].sTypoAscender, sTypoDescender=f["OS/2"].sTypoDescender, usWinAscent=f["OS/2"].usWinAscent, usWinDescent=f["OS/2"].usWinDescent)
fb.setupPost()
fb.save(out + "/dejavu_cff_subset.otf")
