// The input-wait service with real glyphs: characters revealed at their
// delay, click keys that complete the page and then pass the wait, skip
// keys held through waits, and keys that are switched off.
#include "message_test_support.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

using test::MessageGame;

struct InputWaitTest : ::testing::Test {
    std::unique_ptr<MessageGame> game;
    MessageGame& g() { return *game; }

    // A game that shows `text` in a 400 x 40 layer and sets variable 1000
    // once the message has been passed.
    void start(const std::string& settings, const std::string& text) {
        game = std::make_unique<MessageGame>();
        if (!g().haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
        ASSERT_NE(g().makeTextLayer(400, 40), nullptr);
        g().load("global int passed\n*SYSTEM_START\nMessageWindowSet path=\"W0/msg\" " + settings + "\n" + text +
                 "\n\npassed = 1\n*idle\nwait 1\ngoto *idle\n");
        g().releaseKeys();
        g().frame();  // the script runs up to the message end
        ASSERT_TRUE(g().mainThread().inputWait);
        ASSERT_TRUE(g().h.e.core.errors.reportedCodes.empty()) << g().h.e.core.errors.reports[0];
    }
    int shown() const { return game->m.index; }
    bool passed() { return g().integer(1000) == 1; }
    // A key goes down in the next frame and stays down for the one after.
    void press(int key) {
        g().key(key, 1);
        g().frame();
        g().key(key, 2);
        g().frame();
        g().key(key, -1);
    }
};

TEST_F(InputWaitTest, CharactersAppearAtTheirDelay) {
    start("delay=40", test::sjis(u8"あいaう"));
    // The first character shows at once; then い 40 ms later, "a" (half the
    // delay) 20 ms after it, う 40 ms after that.
    const int expectedBytes[] = {2, 2, 2, 2, 4, 4, 5, 5, 5, 5};
    for (int step = 0; step < 10; ++step) {
        g().frame(step == 0 ? 16 : 10);
        EXPECT_EQ(g().m.pos, expectedBytes[step]) << (step * 10) << " ms after the first character";
    }
    EXPECT_FALSE(passed());
    g().frame(10);
    EXPECT_TRUE(passed()) << "without a click wait the thread goes on once all is shown";
    EXPECT_EQ(g().m.cursorX, 20 + 20 + 10 + 20) << "full-width cells and a half-width one";
}

TEST_F(InputWaitTest, AClickShowsThePageAndASecondClickPassesTheWait) {
    start("delay=40 endWait=1", test::sjis(u8"あいうえお"));
    g().frame();
    ASSERT_EQ(shown(), 1);
    press(MessageGame::kLeftButton);
    EXPECT_EQ(shown(), 5) << "the rest of the page at once";
    EXPECT_EQ(g().m.waiting, 1);
    g().frame(1000);
    EXPECT_FALSE(passed()) << "the page waits for its click, and a held key is no click";
    press(MessageGame::kEnter);
    EXPECT_TRUE(passed());
    EXPECT_EQ(g().m.entryCount, 0) << "the buffer is reset";
    EXPECT_FALSE(g().mainThread().inputWait);
}

TEST_F(InputWaitTest, AHeldSkipKeyPassesAWaitInTheSameFrame) {
    start("delay=40 endWait=1", test::sjis(u8"あい"));
    g().frame();
    g().frame(1000);
    ASSERT_EQ(g().m.waiting, 1);
    g().key(MessageGame::kControl, 5);
    g().frame();
    EXPECT_TRUE(passed()) << "the thread ran in the frame the wait was passed";
}

TEST_F(InputWaitTest, AHeldSkipKeyShowsEverythingAndSkipsEveryWait) {
    start("delay=200 endWait=1", test::sjis(u8"あいうえお"));
    g().key(MessageGame::kControl, 1);
    g().frame();
    EXPECT_EQ(g().m.pos, 10) << "the whole page in the first frame";
    g().key(MessageGame::kControl, 2);
    g().frame();
    EXPECT_TRUE(passed());
}

TEST_F(InputWaitTest, KeysSetToZeroOrBeyondTheCountersNeverClick) {
    start("delay=40 endWait=1 click1=0 click2=5000 click3=32", test::sjis(u8"あ"));
    g().frame(1000);
    ASSERT_EQ(g().m.waiting, 1);
    press(MessageGame::kLeftButton);
    press(MessageGame::kEnter);
    EXPECT_FALSE(passed()) << "neither the left button nor Enter click any more";
    EXPECT_EQ(g().m.waiting, 1);
    press(MessageGame::kSpace);
    EXPECT_TRUE(passed());
}

}  // namespace
}  // namespace vr
