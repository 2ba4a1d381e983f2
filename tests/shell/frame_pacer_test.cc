#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

#include "support/headless_engine.h"

namespace vr {
namespace {

// Starts the pacer at a whole second of the virtual clock.
struct PacerFixture : ::testing::Test {
    test::HeadlessEngine h;
    void SetUp() override {
        h.host.advanceClock(10000);
        FramePacer& p = h.e.shell.pacer;
        p.lastFrame = p.frameStart = p.statsReference = h.host.millis();
    }
};

using FramePacerTest = PacerFixture;

TEST_F(FramePacerTest, SixtyFramesASecondCarryTheFraction) {
    EXPECT_EQ(framePeriod16(60), 1092266u);
    int sixteen = 0, seventeen = 0;
    uint64_t start = h.host.millis();
    for (int i = 0; i < 60; ++i) {
        uint64_t before = h.host.millis();
        EXPECT_FALSE(framePace());
        uint64_t length = h.host.millis() - before;
        if (length == 16) ++sixteen;
        else if (length == 17) ++seventeen;
        else ADD_FAILURE() << "frame " << i << " lasted " << length << " ms";
    }
    EXPECT_EQ(sixteen, 21);
    EXPECT_EQ(seventeen, 39);
    EXPECT_EQ(h.host.millis() - start, 999u);
    // The sleeping pacer tracks its deadline, not the wake-up time.
    EXPECT_EQ(h.e.shell.pacer.lastFrame, start + 999);
}

TEST_F(FramePacerTest, SkipsOnlyWhenThreeFrameLengthsLateAndAllowed) {
    FramePacer& p = h.e.shell.pacer;
    // fps 50 gives frames of exactly 20 ms.
    h.e.shell.fps = 50;
    auto lateBy = [&](int64_t late) {
        p.fraction = 0;
        p.lastFrame = h.host.millis();
        h.host.advanceClock(uint64_t(20 + late));
        return framePace();
    };
    EXPECT_FALSE(lateBy(59));
    EXPECT_TRUE(lateBy(60));
    EXPECT_TRUE(lateBy(249));
    // A stall of 250 ms or more counts as no lateness at all.
    EXPECT_FALSE(lateBy(250));
    EXPECT_FALSE(lateBy(5000));
    h.e.shell.frameSkipAllowed = 0;
    EXPECT_FALSE(lateBy(100));
}

TEST_F(FramePacerTest, LateFrameMovesTheReferenceByItsLateness) {
    FramePacer& p = h.e.shell.pacer;
    h.e.shell.fps = 50;
    p.lastFrame = h.host.millis();
    h.host.advanceClock(20 + 100);
    uint64_t now = h.host.millis();
    EXPECT_TRUE(framePace());
    EXPECT_EQ(p.lastFrame, now + 100);
    EXPECT_EQ(p.frameStart, now + 100);
    // Past the cap the reference is simply now.
    p.lastFrame = h.host.millis();
    h.host.advanceClock(20 + 300);
    now = h.host.millis();
    EXPECT_FALSE(framePace());
    EXPECT_EQ(p.lastFrame, now);
}

TEST_F(FramePacerTest, PublishesFrameCountsOncePerSecond) {
    FramePacer& p = h.e.shell.pacer;
    for (int i = 0; i < 60; ++i) {
        framePace();
        ++p.presentedFrames;
    }
    // 999 ms: still inside the first second.
    EXPECT_EQ(p.pacedPerSecond, 0u);
    framePace();
    EXPECT_EQ(p.pacedPerSecond, 60u);
    EXPECT_EQ(p.presentedPerSecond, 60u);
    EXPECT_EQ(p.pacedFrames, 1u);
}

}  // namespace
}  // namespace vr
