// The per-frame text output with real glyph widths: line breaking, the end
// of the page, pacing and the control entries.
#include <algorithm>

#include "graphics/text/text_output.h"
#include "support/sjis_text.h"
#include "text_test_support.h"

namespace vr {
namespace {

// Cells of 20 pixels in a layer 105 wide: pens at 0, 20, 40, 60 and 80,
// where 80 is the last cell (80 + 2 + 40 >= 105) and from 40 on fewer than
// four cells are left (40 + 2 + 80 >= 105).
struct TextOutputTest : test::TextFixture {
    MessageTextState& m = h.e.graphics.text.message;
    void SetUp() override {
        TextFixture::SetUp();
        if (!haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
        ASSERT_TRUE(useFont(test::sjis(u8"ＭＳ ゴシック")));
        makeLayer(105, 100);
    }
    void showAll(std::string_view text) {
        appendText(text);
        h.e.graphics.text.instantDisplay = true;
        advanceText();
    }
    void expectPen(int x, int y) {
        EXPECT_EQ(m.cursorX, x);
        EXPECT_EQ(m.cursorY, y);
    }
    bool reported(uint32_t code) const {
        return std::count(h.e.core.errors.reportedCodes.begin(), h.e.core.errors.reportedCodes.end(), code) > 0;
    }
};

TEST_F(TextOutputTest, ClosingPunctuationHangsInTheLastCellAndAKanjiMovesOn) {
    showAll(test::sjis(u8"一二三四。五"));
    EXPECT_TRUE(inkIn(80, 0, 100, 20)) << test::sjis(u8"。 drawn in the last cell");
    EXPECT_TRUE(inkIn(0, 20, 20, 40)) << test::sjis(u8"五 starts the next line");
    expectPen(20, 20);
    EXPECT_EQ(m.pos, m.textLength);
    EXPECT_EQ(m.index, m.entryCount);
    EXPECT_FALSE(h.e.graphics.text.instantDisplay) << "cleared at the end of the entries";
}

TEST_F(TextOutputTest, AKanjiInTheLastCellMovesToTheNextLine) {
    showAll(test::sjis(u8"一二三四五"));
    EXPECT_FALSE(inkIn(80, 0, 105, 20));
    EXPECT_TRUE(inkIn(0, 20, 20, 40));
    expectPen(20, 20);
}

TEST_F(TextOutputTest, AnOpeningBracketNeedsFourCellsLeft) {
    showAll(test::sjis(u8"一「"));
    expectPen(40, 0);
    EXPECT_TRUE(inkIn(20, 0, 40, 20));
}

TEST_F(TextOutputTest, AnOpeningBracketWithThreeCellsLeftMovesOn) {
    showAll(test::sjis(u8"一一「"));
    expectPen(20, 20);
    EXPECT_FALSE(inkIn(40, 0, 105, 20));
    EXPECT_TRUE(inkIn(0, 20, 20, 40));
}

TEST_F(TextOutputTest, ExclamationAndQuestionMarksStayTogether) {
    showAll(test::sjis(u8"一一一！？"));
    expectPen(100, 0);  // ？ took the last cell along with ！
    EXPECT_TRUE(inkIn(80, 0, 100, 20));
    EXPECT_EQ(m.index, m.entryCount);
    EXPECT_EQ(m.pos, m.textLength);
}

TEST_F(TextOutputTest, AnExclamationMarkAloneDoesNotTakeTheLastCell) {
    showAll(test::sjis(u8"一一一！一"));
    expectPen(20, 20);
}

TEST_F(TextOutputTest, TheTextEndsWhenTheNextLineWouldNotFit) {
    makeLayer(105, 45);  // lines at 0 and 20; one at 40 would reach 40 + 2 + 20
    showAll(test::sjis(u8"一二三四五六七八九十"));
    EXPECT_EQ(m.pos, m.textLength);
    EXPECT_EQ(m.index, m.entryCount);
    EXPECT_TRUE(inkIn(0, 20, 80, 40));
    EXPECT_FALSE(inkIn(0, 40, 105, 45)) << "nothing drawn past the last line";
    EXPECT_EQ(m.cursorX, 0);
}

TEST_F(TextOutputTest, NothingIsDrawnAfterTheTextEndedNotEvenOnANewPage) {
    makeLayer(105, 45);
    appendText(test::sjis(u8"一二三四五六七八九十"));
    appendEntry('P', 20, 20, 0);
    appendText(test::sjis(u8"一"));
    h.e.graphics.text.instantDisplay = true;
    advanceText();
    EXPECT_EQ(m.index, m.entryCount);
    EXPECT_EQ(m.pos, m.textLength);
    EXPECT_FALSE(inkIn(0, 0, 105, 45)) << "the page was cleared and the text stays finished";
}

TEST_F(TextOutputTest, PacingFollowsTheScheduleThroughLateFrames) {
    appendText(test::sjis(u8"一二三四五"), 20, 20, 40);
    auto at = [&](uint64_t ms) {
        h.host.advanceClock(ms - h.host.millis());
        advanceText();
        return m.index;
    };
    EXPECT_EQ(at(0), 1) << "the first character shows at once";
    EXPECT_EQ(at(39), 1);
    EXPECT_EQ(at(40), 2);
    EXPECT_EQ(at(125), 4) << "a late frame draws the characters due at 80 and 120";
    EXPECT_EQ(at(159), 4) << "the next one is still due at 160, not 165";
    EXPECT_EQ(at(160), 5);
}

TEST_F(TextOutputTest, AClickWaitStopsTheInstantDisplayAndTheClockRestartsAfterIt) {
    appendText(test::sjis(u8"一二"), 20, 20, 40);
    appendEntry('C', 20, 20, 0);
    appendText(test::sjis(u8"三"), 20, 20, 40);
    h.e.graphics.text.instantDisplay = true;
    advanceText();
    EXPECT_EQ(m.index, 2);
    EXPECT_EQ(m.waiting, 1);
    EXPECT_FALSE(h.e.graphics.text.instantDisplay);
    // What the input-wait service does on a click.
    h.host.advanceClock(1000);
    m.waiting = 0;
    m.restartClock = 1;
    ++m.index;
    advanceText();
    EXPECT_EQ(m.index, 3) << test::sjis(u8"三 waits its delay from the click, not from long ago");
    h.host.advanceClock(40);
    advanceText();
    EXPECT_EQ(m.index, 4);
}

TEST_F(TextOutputTest, LineFeedsPageClearsAndBadEntries) {
    appendText(test::sjis(u8"一"), 20, 20, 0);
    appendEntry('R', 20, 30, 0);
    appendText(test::sjis(u8"二"));
    appendEntry('E', 20, 20, 0);
    h.e.graphics.text.instantDisplay = true;
    advanceText();
    expectPen(20, 30);
    EXPECT_TRUE(inkIn(0, 30, 20, 50));

    appendEntry('p', 20, 20, 0);
    appendEntry('Z', 20, 20, 0);
    appendText(test::sjis(u8"三"));
    h.e.graphics.text.instantDisplay = true;
    advanceText();
    EXPECT_FALSE(inkIn(0, 0, 105, 100)) << "the page was cleared";
    EXPECT_TRUE(reported(900010));
    EXPECT_EQ(m.index, m.entryCount - 1) << "past the bad entry, stopped for this frame";
    advanceText();
    expectPen(20, 0);
}

}  // namespace
}  // namespace vr
