// Glyphs: rasterising with the IPA fonts, and writing bitmaps into layers
// (coverage, gradient, the two modes, thickening, clipping).
#include <algorithm>
#include <vector>

#include "graphics/text/glyph.h"
#include "support/sjis_text.h"
#include "text_test_support.h"

namespace vr {
namespace {

// A bitmap the writer reads, with the ink put where a test wants it.
struct TestBitmap {
    int size;
    int side = glyphBitmapSide(size);
    int stride = side / 8;
    std::vector<uint8_t> bits = std::vector<uint8_t>(size_t(side) * size_t(stride), 0xFF);
    void ink(int x, int y) { bits[size_t(y) * size_t(stride) + size_t(x >> 3)] &= uint8_t(~(0x80 >> (x & 7))); }
    void inkAll() { std::fill(bits.begin(), bits.end(), 0); }
    GlyphImage image(bool antiAlias) const {
        GlyphImage g;
        g.bits = bits.data();
        g.side = side;
        g.stride = stride;
        g.scale = antiAlias ? 4 : 1;
        g.size = size;
        return g;
    }
};

struct GlyphTest : test::TextFixture {
    void fill(uint32_t v) {
        LayerRecord& l = *layer->layer;
        for (size_t i = 0; i < size_t(l.width()) * l.height(); ++i) std::memcpy(l.pixels() + i * 4, &v, 4);
    }
    void write(const GlyphImage& g, const GlyphStyle& s, int x, int y) {
        writeGlyph(g, s, h.e.graphics.text.tables, x, y, *layer->layer);
    }
};

TEST_F(GlyphTest, CoverageOfSixteenSubSamplesIsOpaque) {
    const GlyphTables& t = h.e.graphics.text.tables;
    EXPECT_EQ(t.coverageAlpha[16], 255);
    EXPECT_EQ(t.coverageAlpha[15], 240);
    EXPECT_EQ(t.coverageAlpha[0], 0);
    EXPECT_EQ(t.inkCounts[0x00], 0x0404);
    EXPECT_EQ(t.inkCounts[0xFF], 0x0000);
    EXPECT_EQ(t.inkCounts[0x1E], 0x0301) << "high nibble 0001: 3 ink, low 1110: 1 ink";

    // Fifteen of the sixteen sub-samples of pixel (0, 0) inked.
    makeLayer(4, 4);
    TestBitmap b{4};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            if (x + y) b.ink(x, y);
    GlyphStyle s;
    s.size = s.lineHeight = 4;
    write(b.image(true), s, 0, 0);
    EXPECT_EQ(pixel(0, 0) >> 24, 240u);
    b.ink(0, 0);
    write(b.image(true), s, 0, 0);
    EXPECT_EQ(pixel(0, 0) >> 24, 255u);
    EXPECT_EQ(pixel(1, 0) >> 24, 0u);
}

TEST_F(GlyphTest, TheGradientRunsFromTheTopToTheBottomRow) {
    makeLayer(8, 8);
    TestBitmap b{8};
    b.inkAll();
    GlyphStyle s;
    s.size = 8;
    s.lineHeight = 5;
    s.topColour = 0x00FF40;
    s.bottomColour = 0xFF0000;
    write(b.image(true), s, 0, 0);
    EXPECT_EQ(pixel(3, 0), 0xFF00FF40u);
    EXPECT_EQ(pixel(3, 1), 0xFF3FC030u) << "a quarter of the way: truncated per channel";
    EXPECT_EQ(pixel(3, 2), 0xFF7F8020u);
    EXPECT_EQ(pixel(3, 4), 0xFFFF0000u);
    EXPECT_EQ(pixel(3, 5), 0u) << "the cell is lineHeight rows";

    for (uint32_t none : {kNoGradient, kNoGradientAlt}) {
        s.bottomColour = none;
        write(b.image(true), s, 0, 0);
        for (int y = 0; y < 5; ++y) EXPECT_EQ(pixel(2, y), 0xFF00FF40u) << "row " << y;
    }
}

TEST_F(GlyphTest, ReplaceWritesTheCellAndOverBlendsIntoIt) {
    makeLayer(8, 4);
    fill(0x80204060);
    TestBitmap b{4};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) b.ink(x, y);  // layer pixels 0 and 1 fully inked
    GlyphStyle s;
    s.size = s.lineHeight = 4;
    s.topColour = 0xFFFFFF;
    s.writeMode = kWriteOver;
    write(b.image(true), s, 0, 0);
    // na = 128 + 255 - (128 * 256 >> 8) = 255; c + (255 - c) * 256 / 256.
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFFFu);
    // No coverage: k = 1, na = 128, c + (255 - c) / 129.
    EXPECT_EQ(pixel(2, 0), 0x80214161u);
    EXPECT_EQ(pixel(5, 0), 0x80204060u) << "outside the cell";

    fill(0x80204060);
    s.writeMode = kWriteReplace;
    write(b.image(true), s, 0, 0);
    EXPECT_EQ(pixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(3, 3), 0x00FFFFFFu) << "replace leaves the colour with no coverage";
    EXPECT_EQ(pixel(4, 0), 0x80204060u);
}

TEST_F(GlyphTest, WithoutAntiAliasingEachBitIsOnePixel) {
    makeLayer(6, 6);
    fill(0x80204060);
    TestBitmap b{4};
    b.ink(1, 2);
    GlyphStyle s;
    s.size = s.lineHeight = 4;
    s.topColour = 0x112233;
    write(b.image(false), s, 1, 1);
    EXPECT_EQ(pixel(2, 3), 0xFF112233u);
    EXPECT_EQ(pixel(1, 1), 0u) << "replace clears the paper";
    EXPECT_EQ(pixel(0, 0), 0x80204060u);
    EXPECT_EQ(pixel(5, 5), 0x80204060u);
    fill(0x80204060);
    s.writeMode = kWriteOver;
    write(b.image(false), s, 1, 1);
    EXPECT_EQ(pixel(2, 3), 0xFF112233u);
    EXPECT_EQ(pixel(1, 1), 0x80204060u) << "over keeps the paper";
}

TEST_F(GlyphTest, DrawingAtTheLayersEdgesStaysInsideTheSurface) {
    makeLayer(10, 6);
    LayerRecord& l = *layer->layer;
    std::vector<uint8_t> spare(l.surface.pixels.begin() + ptrdiff_t(l.surface.stride() * l.height()), l.surface.pixels.end());
    TestBitmap b{8};
    b.inkAll();
    GlyphStyle s;
    s.size = s.lineHeight = 8;
    for (bool smooth : {true, false})
        for (auto [x, y] : {std::pair{-5, -5}, {6, 3}, {-3, 4}, {9, -7}, {10, 0}, {0, 6}, {-8, 0}}) {
            fill(0);
            write(b.image(smooth), s, x, y);
            for (int py = 0; py < 6; ++py)
                for (int px = 0; px < 10; ++px) {
                    bool inside = px >= x && px < x + 8 && py >= y && py < y + 8;
                    ASSERT_EQ(pixel(px, py) != 0, inside) << x << "," << y << " at " << px << "," << py;
                }
        }
    EXPECT_TRUE(std::equal(spare.begin(), spare.end(), l.surface.pixels.begin() + ptrdiff_t(l.surface.stride() * l.height())))
        << "the spare row and bytes after the image are not written";
}

TEST_F(GlyphTest, RealGlyphsAdvanceByThePitchRules) {
    if (!haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
    GlyphImage g;
    ASSERT_TRUE(useFont(test::sjis(u8"ＭＳ ゴシック")));
    ASSERT_EQ(rasterizeGlyph(test::sjis(u8"漢"), 24, false, true, g), 0);
    EXPECT_EQ(g.advance, 24);
    EXPECT_GT(g.inkHeight, 16);
    EXPECT_LE(g.inkHeight, 24);
    ASSERT_EQ(rasterizeGlyph("i", 24, false, true, g), 0);
    EXPECT_EQ(g.advance, 12) << "fixed pitch: half the size for a single byte";

    ASSERT_TRUE(useFont(test::sjis(u8"ＭＳ Ｐゴシック")));
    for (bool smooth : {true, false}) {
        GlyphImage i, w, kanji;
        ASSERT_EQ(rasterizeGlyph("i", 24, false, smooth, i), 0);
        ASSERT_EQ(rasterizeGlyph("W", 24, false, smooth, w), 0);
        ASSERT_EQ(rasterizeGlyph(test::sjis(u8"漢"), 24, false, smooth, kanji), 0);
        EXPECT_LT(i.advance, 12) << smooth;
        EXPECT_GT(w.advance, i.advance + 6) << smooth;
        EXPECT_GE(kanji.advance, 22) << smooth;
        EXPECT_LE(kanji.advance, 24) << "never more than the size";
    }
}

TEST_F(GlyphTest, AGlyphSitsInItsCellAndBoldInksMore) {
    if (!haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
    ASSERT_TRUE(useFont(test::sjis(u8"ＭＳ ゴシック")));
    auto inkedPixels = [&](bool bold) {
        makeLayer(24, 24);
        GlyphStyle s;
        s.size = s.lineHeight = 24;
        s.bold = bold;
        EXPECT_EQ(drawGlyph(test::sjis(u8"国"), s, 0, 0, *layer), 24);
        int n = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) n += (pixel(x, y) >> 24) >= 128;
        return n;
    };
    int regular = inkedPixels(false);
    // The box of 国 reaches near every edge of its cell, top included.
    EXPECT_TRUE(inkIn(0, 0, 24, 4));
    EXPECT_TRUE(inkIn(0, 20, 24, 24));
    EXPECT_TRUE(inkIn(0, 0, 4, 24));
    EXPECT_GT(regular, 60);
    EXPECT_GT(inkedPixels(true), regular + regular / 5);
}

TEST_F(GlyphTest, ThickeningDrawsAtTheEightNeighboursAndTheCentre) {
    if (!haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
    ASSERT_TRUE(useFont(test::sjis(u8"ＭＳ ゴシック")));
    makeLayer(40, 40);
    GlyphStyle s;
    s.size = s.lineHeight = 12;
    s.antiAlias = false;
    s.writeMode = kWriteOver;
    s.thickness = 6;
    ASSERT_EQ(drawGlyph(".", s, 14, 14, *layer), 6);
    // The dot's ink, wherever it is in its cell, appears at all nine offsets.
    int dotX = -1, dotY = -1;
    for (int y = 0; y < 40 && dotX < 0; ++y)
        for (int x = 0; x < 40 && dotX < 0; ++x)
            if (pixel(x, y) >> 24) dotX = x, dotY = y;
    ASSERT_GE(dotX, 0);
    for (int i : {0, 6, 12})
        for (int j : {0, 6, 12}) EXPECT_EQ(pixel(dotX + i, dotY + j) >> 24, 255u) << i << "," << j;
    EXPECT_EQ(pixel(dotX + 3, dotY + 3), 0u) << "between the copies";
}

TEST_F(GlyphTest, AFontThatCannotBeMadeIsReportedOnce) {
    makeLayer(24, 24);
    h.e.graphics.text.fonts.slotFont[0] = fontCount() + 5;
    GlyphStyle s;
    EXPECT_EQ(drawGlyph("A", s, 0, 0, *layer), -1);
    EXPECT_EQ(drawGlyph("B", s, 0, 0, *layer), -1);
    EXPECT_EQ(std::count(h.e.core.errors.reportedCodes.begin(), h.e.core.errors.reportedCodes.end(), 102040u), 1);
    s.size = 0;
    EXPECT_EQ(drawGlyph("A", s, 0, 0, *layer), 0) << "an empty size draws nothing and is no error";
    EXPECT_FALSE(inkIn(0, 0, 24, 24));
}

}  // namespace
}  // namespace vr
