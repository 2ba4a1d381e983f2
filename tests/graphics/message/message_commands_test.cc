// The commands that fill the message: text and printed values with their
// limits, the entries' attributes, the end codes, the window settings and
// status, and the entry arrays that must never overflow.
#include "graphics/message/message_buffer.h"

#include "message_test_support.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

using test::line;
using test::MessageGame;

TEST(MessageText, AMessageMayReach8190BytesButNot8191) {
    {
        MessageGame g;
        g.load("*SYSTEM_START\n" + line(4095) + line(4095));
        g.frame();
        EXPECT_TRUE(g.h.e.core.errors.reportedCodes.empty());
        EXPECT_EQ(g.m.textLength, 8190);
        EXPECT_EQ(g.m.entryCount, 8191) << "8190 characters and the end";
        EXPECT_EQ(g.m.text[8190], 0);
    }
    {
        MessageGame g;
        g.load("*SYSTEM_START\n" + line(4095) + line(4096));
        g.frame();
        EXPECT_TRUE(g.reported(102000));
        EXPECT_EQ(g.m.textLength, 4095) << "the refused line is not appended at all";
        EXPECT_EQ(g.m.entryCount, 4095);
        EXPECT_EQ(g.m.kinds[4095], 0);
        EXPECT_TRUE(g.h.e.core.run.quitRequested) << "the report is fatal";
    }
}

TEST(MessageText, EntriesTakeTheDelayAndFontOfTheMoment) {
    MessageGame g;
    g.load(
        test::sjis(u8"*SYSTEM_START\nMessageWindowSet delay=40 endWait=1 endLineFeed=1 endClearPage=1\n"
                   "FontSet size=24 lineHeight=30 topColour=0x102030 bold=1\n"
                   "あa\tい\n"));
    g.frame();
    ASSERT_TRUE(g.h.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(g.text(), test::sjis(u8"あa\tい")) << "message text keeps control bytes";
    EXPECT_EQ(g.kinds(), "211" "2" "CRPE");
    const int16_t delays[] = {40, 20, 20, 40};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g.m.delays[i], delays[i]) << "a single-byte character takes half the delay";
        EXPECT_EQ(g.m.widths[i], 24);
        EXPECT_EQ(g.m.heights[i], 30);
        EXPECT_EQ(g.m.topColours[i], 0x102030u);
        EXPECT_EQ(g.m.bottomColours[i], 0xFFFFFFFFu) << "no gradient until the bottom colour is set";
        EXPECT_EQ(g.m.bolds[i], 1);
    }
    // The line feed moves the pen by a line; the wait, page clear and end
    // carry no size.
    EXPECT_EQ(g.m.heights[5], 30);
    EXPECT_EQ(g.m.heights[4], 0);
    EXPECT_EQ(g.m.heights[6], 0);
    EXPECT_EQ(g.m.heights[7], 0);
    EXPECT_TRUE(g.mainThread().inputWait);
}

TEST(MessageText, ALeadByteWithoutItsTrailByteIsASingleByteCharacter) {
    MessageGame g;
    ASSERT_EQ(appendMessageCharacters("a\x82", false), 0);
    ASSERT_EQ(appendMessageCharacters("\x82\xA0" "b", false), 0);
    EXPECT_EQ(g.kinds(), "11" "21") << "the next text's first byte is not taken as a trail byte";
    EXPECT_EQ(g.text(), "a\x82\x82\xA0" "b");
}

TEST(PrintValue, NumbersAndTextsAsTheyArePrinted) {
    MessageGame g;
    g.load("global int i = -5\nglobal float f = 1.5\nglobal str s\n*SYSTEM_START\n{i}/{f}/{s}\n");
    ASSERT_EQ(setString(1002, 0, std::string("a\x01\x7F") + test::sjis(u8"あz")), 0);
    g.frame();
    ASSERT_TRUE(g.h.e.core.errors.reportedCodes.empty()) << g.h.e.core.errors.reports[0];
    EXPECT_EQ(g.text(), test::sjis(u8"-5/1.500000/a  あz"))
        << "control bytes become spaces; a trail byte is no control byte";
    EXPECT_EQ(g.kinds(), std::string(15, '1') + "2" "1" "E");
}

TEST(PrintValue, LongValuesAndFullMessagesAreRefused) {
    auto printed = [](size_t before, size_t length) {
        MessageGame g;
        std::string source = "global str s\n*SYSTEM_START\n";
        if (before) source += line(before);
        g.load(source + "{s}\n");
        setString(1000, 0, std::string(length, 'v'));
        g.frame();
        return g.h.e.core.errors.reportedCodes.empty() ? 0u : g.h.e.core.errors.reportedCodes[0];
    };
    EXPECT_EQ(printed(0, 1024), 0u);
    EXPECT_EQ(printed(0, 1025), 102030u);
    // A printed value stops one byte short of the message text's limit.
    EXPECT_EQ(printed(8000, 189), 0u);
    EXPECT_EQ(printed(8000, 190), 102000u);
    EXPECT_EQ(printed(7500, 1025), 102000u) << "the message limit is checked first";
}

TEST(MessageEntries, ControlEntriesStopAtTheEndOfTheArrays) {
    MessageGame g;
    g.load("global int k\n*SYSTEM_START\nloop 8200\n  MessageWindowSet lineFeed=1\n  k += 1\nend\n");
    g.frame();
    EXPECT_TRUE(g.reported(102000));
    EXPECT_EQ(g.m.entryCount, 8191) << "the last element keeps the terminating kind";
    EXPECT_EQ(g.m.kinds[8191], 0);
    EXPECT_EQ(g.integer(1000), 8191) << "the refused entry stopped the thread";
}

TEST(MessageEntries, TextAndEndCodesAreRefusedWholeWhenTheyDoNotFit) {
    {
        MessageGame g;
        g.load("*SYSTEM_START\nloop 8190\n  MessageWindowSet lineFeed=1\nend\nab\n");
        g.frame();
        EXPECT_TRUE(g.reported(102000));
        EXPECT_EQ(g.m.entryCount, 8190);
        EXPECT_EQ(g.m.textLength, 0) << "no byte of a refused text is kept";
    }
    {
        MessageGame g;
        g.load("*SYSTEM_START\nMessageWindowSet endWait=1\nloop 8189\n  MessageWindowSet lineFeed=1\nend\na\n");
        g.frame();
        EXPECT_TRUE(g.reported(102000)) << "the wait and the end need two entries, one is left";
        EXPECT_EQ(g.m.entryCount, 8190);
        EXPECT_FALSE(g.mainThread().inputWait);
    }
}

TEST(MessageEnd, MessageModeZeroDiscardsTheMessageAfterOneFrame) {
    MessageGame g;
    ObjectNode* layer = g.makeTextLayer(200, 40);
    g.load(test::sjis(
        u8"global int n\n*SYSTEM_START\nMessageWindowSet path=\"W0/msg\" mode=0 endWait=1\nあいう\n\nn = 1\n"));
    g.frame();
    EXPECT_EQ(g.integer(1000), 0) << "the message end stops the thread";
    EXPECT_TRUE(g.mainThread().inputWait);
    EXPECT_EQ(g.kinds(), "222E") << "no end codes are added";
    EXPECT_EQ(g.m.finished, 1);
    g.frame();
    EXPECT_EQ(g.integer(1000), 1) << "the next frame releases it";
    EXPECT_EQ(g.m.entryCount, 0);
    EXPECT_EQ(g.m.textLength, 0);
    EXPECT_EQ(g.m.text[0], 0);
    EXPECT_EQ(g.m.cursorX, 0) << "nothing was drawn";
    EXPECT_EQ(layer->layer->dirtyCount, 0u);
}

TEST(MessageWindowSet, AWaitStopsTheThreadOnlyWhenMessagesAreShown) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        MessageGame g;
        g.load("global int n\n*SYSTEM_START\nMessageWindowSet mode=" + std::to_string(mode) +
               " wait=1 lineFeed=1\nn = 1\n");
        FontSlotAttributes attributes;
        g.frame();
        EXPECT_EQ(g.integer(1000), mode == 1 ? 0 : 1);
        EXPECT_EQ(g.kinds(), mode == 1 ? "C" : "CR") << "with mode 1 the rest of the arguments wait too";
        EXPECT_EQ(g.m.widths[0], attributes.glyphSize);
        EXPECT_EQ(g.m.heights[0], attributes.lineHeight);
        EXPECT_FALSE(g.mainThread().inputWait);
        g.frame();
        EXPECT_EQ(g.integer(1000), 1);
    }
}

TEST(MessageWindowSet, KeysAndEndCodes) {
    MessageGame g;
    g.load("*SYSTEM_START\nMessageWindowSet click1=0 click3=65 skip2=16 skip1=0 delay=70 endWait=1 endClearPage=2\n");
    g.frame();
    const MessageWindowState& w = g.h.e.graphics.messageWindow;
    EXPECT_EQ(w.clickKeys, (std::array<int64_t, 4>{1023, 13, 65, 1023})) << "0 stands for no key";
    EXPECT_EQ(w.skipKeys, (std::array<int64_t, 4>{1023, 16, 1023, 1023}));
    EXPECT_EQ(g.m.delay, 70);
    EXPECT_EQ(g.m.endWait, 1);
    EXPECT_EQ(g.m.endClearPage, 2);
    EXPECT_EQ(g.m.endLineFeed, 0);
}

TEST(MessageWindowSet, TheTargetIsFoundFromTheRootAndMarked) {
    {
        MessageGame g;
        g.load("*SYSTEM_START\nMessageWindowSet path=\"W0/msg\" delay=5\n");
        g.frame();
        EXPECT_TRUE(g.reported(100230)) << "W0 is missing";
        EXPECT_NE(g.h.e.core.errors.reports[0].find("W0"), std::string::npos) << g.h.e.core.errors.reports[0];
        EXPECT_EQ(g.m.delay, 0) << "the rest of the arguments are not applied";
    }
    {
        MessageGame g;
        ObjectNode* msg = g.makeTextLayer(100, 40);
        g.load("*SYSTEM_START\nMessageWindowSet path=\"W0/msg\"\nMessageWindowSet path=\"W0/other\"\n");
        g.frame();
        EXPECT_TRUE(g.reported(101250));
        EXPECT_NE(g.h.e.core.errors.reports[0].find("W0/other"), std::string::npos) << g.h.e.core.errors.reports[0];
        EXPECT_EQ(g.m.target, msg) << "the old target stays";
        EXPECT_FALSE(msg->layer->targetFlag) << "but loses its mark";
    }
    {
        MessageGame g;
        ObjectNode* msg = g.makeTextLayer(100, 40);
        g.load("*SYSTEM_START\nMessageWindowSet path=\"W0/msg\"\n");
        g.frame();
        EXPECT_TRUE(g.h.e.core.errors.reportedCodes.empty());
        EXPECT_EQ(g.m.target, msg);
        EXPECT_TRUE(msg->layer->targetFlag);
    }
}

TEST(MessageWindowSet, ADeletedTargetIsForgotten) {
    MessageGame g;
    ObjectNode* msg = g.makeTextLayer(100, 40);
    g.load(test::sjis(u8"*SYSTEM_START\nMessageWindowSet path=\"W0/msg\" endWait=1\nあい\n"));
    g.frame();
    ASSERT_EQ(g.m.target, msg);
    deleteNode(msg, false);
    g.frame();  // the output would draw into the freed layer
    EXPECT_EQ(g.m.target, nullptr);
    EXPECT_EQ(g.m.index, 2) << "the text goes on without a layer";
}

TEST(MessageWindowSet, AResetEmptiesTheMessageAndItsWait) {
    MessageGame g;
    g.load(test::sjis(u8"*SYSTEM_START\nMessageWindowSet endWait=1\nあい\n"));
    g.frame();
    g.frame(1000);
    ASSERT_EQ(g.m.waiting, 1);
    ASSERT_EQ(g.m.index, 2);
    // The output stands at the wait when the message is thrown away: the
    // next message must not take its first character for that wait.
    g.m.finished = 1;
    resetMessage();
    EXPECT_EQ(g.m.waiting, 0);
    EXPECT_EQ(g.m.entryCount, 0);
    EXPECT_EQ(g.m.index, 0);
    EXPECT_EQ(g.m.restartClock, 1);
    EXPECT_EQ(g.m.kinds[0], 0);
}

TEST(MessageWindowQuery, OnlyTheFirstSelectedValueIsWritten) {
    MessageGame g;
    g.load("global int a = 5\nglobal int b = 5\nglobal int c = 5\n*SYSTEM_START\n"
           "MessageWindowQuery waiting=1 cursorX=1 result=a\n"
           "MessageWindowQuery endWait=1 mode=1 result=b\n"
           "MessageWindowQuery result=c\n");
    g.m.cursorX = 37;
    g.m.waiting = 1;
    g.frame();
    EXPECT_TRUE(g.h.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(g.integer(1000), 37) << "cursorX comes before waiting";
    EXPECT_EQ(g.integer(1001), 1) << "the mode";
    EXPECT_EQ(g.integer(1002), 5) << "no flag: nothing written";
}

}  // namespace
}  // namespace vr
