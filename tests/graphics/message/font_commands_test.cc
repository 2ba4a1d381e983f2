// The font settings and query commands: relative operators held at their
// bounds, per-slot attributes with the message slot copied into the running
// message, 1-based font numbers, and the query table.
#include "message_test_support.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

using test::MessageGame;

TEST(FontSet, OperatorsStopAtTheirBounds) {
    MessageGame g;
    g.load("global int v[12]\n*SYSTEM_START\n"
           "FontSet size=250\nFontSet size+=10\nFontQuery size=1 result=v[0]\n"
           "FontSet size=200\nFontSet size*=2\nFontQuery size=1 result=v[1]\n"
           "FontSet size=100\nFontSet size-=256\nFontQuery size=1 result=v[2]\n"
           "FontSet lineHeight=7\nFontSet lineHeight/=0\nFontQuery lineHeight=1 result=v[3]\n"
           "FontSet lineHeight/=2\nFontQuery lineHeight=1 result=v[4]\n"
           "FontSet topColour=0xFFFFF0\nFontSet topColour+=0x20\nFontQuery topColour=1 result=v[5]\n"
           "FontSet bold=1\nFontSet bold+=1\nFontQuery bold=1 result=v[6]\n"
           "FontSet writeMode-=1\nFontQuery writeMode=1 result=v[7]\n"
           "FontSet bottomColour=-1\nFontQuery bottomColour=1 result=v[8]\n"
           "FontSet bottomColour*=3\nFontQuery bottomColour=1 result=v[9]\n"
           "FontSet antiAlias=7\nFontQuery antiAlias=1 result=v[10]\n");
    g.frame();
    ASSERT_TRUE(g.h.e.core.errors.reportedCodes.empty()) << g.h.e.core.errors.reports[0];
    const int64_t expected[] = {256, 256, 0, 7, 3, 0xFFFFFF, 1, 0, 0xFFFFFFFF, 0xFFFFFF, 7};
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(getInteger(1000, int64_t(i)), expected[i]) << i;
}

TEST(FontSet, OtherSlotsKeepTheirOwnAttributesAndSlotZeroComesBack) {
    MessageGame g;
    g.load("*SYSTEM_START\nFontSet slot=3 size=40 lineHeight=44 bold=1 topColour=0x123456\n"
           "FontSet slot=3 size+=2\nFontSet size=18\n");
    g.frame();
    ASSERT_TRUE(g.h.e.core.errors.reportedCodes.empty()) << g.h.e.core.errors.reports[0];
    const FontSlotAttributes& three = g.h.e.graphics.messageWindow.slots[3];
    EXPECT_EQ(three.glyphSize, 42) << "the slot's own value is combined";
    EXPECT_EQ(three.lineHeight, 44);
    EXPECT_EQ(three.bold, 1);
    EXPECT_EQ(three.topColour, 0x123456u);
    EXPECT_EQ(g.h.e.graphics.text.fonts.slotSize[3], 42) << "the drawing command's text path sees the slot";
    EXPECT_EQ(g.h.e.graphics.text.fonts.slotCellHeight[3], 44);
    EXPECT_EQ(g.h.e.graphics.text.fonts.slotBold[3], 1);
    EXPECT_EQ(g.h.e.graphics.text.fonts.currentSlot, 0);
    EXPECT_EQ(g.m.glyphSize, 18) << "only slot 0 reaches the message";
    EXPECT_EQ(g.m.lineHeight, 20);
    EXPECT_EQ(g.m.bold, 0);
    EXPECT_EQ(g.m.topColour, 0xFFFFFFu);
    EXPECT_EQ(g.m.bottomColour, 0xFFFFFFFFu) << "unchanged fields keep the message's own values";
}

TEST(FontSet, FontNumbersCountFromOne) {
    {
        MessageGame g;
        if (fontCount() < 2) GTEST_SKIP() << "needs two fonts";
        g.load("*SYSTEM_START\nFontSet slot=2 font=2\n");
        g.frame();
        EXPECT_TRUE(g.h.e.core.errors.reportedCodes.empty());
        EXPECT_EQ(g.h.e.graphics.text.fonts.slotFont[2], 1);
        EXPECT_EQ(g.h.e.graphics.text.fonts.currentSlot, 0);
    }
    {
        MessageGame g;
        g.load("*SYSTEM_START\nFontSet font=0\n");
        g.frame();
        EXPECT_TRUE(g.reported(101010));
    }
    {
        MessageGame g;
        g.load("global int n\n*SYSTEM_START\nFontQuery fontCount=1 result=n\nFontSet font=n+1 size=30\n");
        g.frame();
        EXPECT_TRUE(g.reported(101240));
        EXPECT_EQ(g.m.glyphSize, 20) << "a refused font changes nothing else";
    }
    {
        MessageGame g;
        g.load("global str name\n*SYSTEM_START\nFontQuery fontName=1 font=100000 result=name\n");
        g.frame();
        EXPECT_TRUE(g.reported(101240)) << "the query checks its font number too";
    }
    {
        MessageGame g;
        g.load("*SYSTEM_START\nFontSet slot=8\n");
        g.frame();
        EXPECT_TRUE(g.reported(101000));
        EXPECT_EQ(g.h.e.graphics.text.fonts.currentSlot, 0);
    }
}

TEST(FontQuery, NamesScriptsAndGlyphSizes) {
    MessageGame g;
    if (!g.haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
    g.load(
        test::sjis(u8"global str name\nglobal str own\nglobal int v[6] = 9\n*SYSTEM_START\n"
                   "FontQuery fontName=1 font=1 result=name\n"
                   "FontQuery fontName=1 result=own\n"
                   "FontQuery fontCount=1 result=v[0]\n"
                   "FontQuery charWidth=1 text=\"あい\" result=v[1]\n"
                   "FontQuery charWidth=1 text=\"a\" result=v[2]\n"
                   "FontQuery charHeight=1 text=\"ー\" result=v[3]\n"
                   "FontQuery fontCount=0 result=v[4]\n"
                   "FontQuery nonJapanese=1 result=v[5]\n"));
    g.frame();
    ASSERT_TRUE(g.h.e.core.errors.reportedCodes.empty()) << g.h.e.core.errors.reports[0];
    EXPECT_EQ(getString(1000, 0), fontName(0));
    EXPECT_EQ(getString(1001, 0), slotFontName()) << "without a number: the current slot's font";
    EXPECT_EQ(getInteger(1002, 0), fontCount());
    EXPECT_EQ(getInteger(1002, 1), 20) << "a full-width cell of the fixed-pitch face";
    EXPECT_EQ(getInteger(1002, 2), 10);
    EXPECT_GT(getInteger(1002, 3), 0);
    EXPECT_LT(getInteger(1002, 3), 10) << "a long vowel mark is a thin stroke";
    EXPECT_EQ(getInteger(1002, 4), 0) << "a flag of 0 asks nothing";
    EXPECT_EQ(getInteger(1002, 5), fontNonJapaneseScript(slotFontIndex()));
}

}  // namespace
}  // namespace vr
