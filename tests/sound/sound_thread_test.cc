// The sound thread stepped by the headless clock: each sleep runs the
// cycles that fall into it, so a test sees the channel after exactly the
// cycles it let pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/bytes.h"
#include "sound/sound.h"
#include "sound/sound_cycle.h"
#include "sound/sound_output.h"
#include "sound/sound_thread.h"
#include "support/headless_sound.h"

namespace vr {
namespace {

using Kind = SoundRequestKind;

// A WAV of `ms` milliseconds of 16-bit mono at 8000 Hz (16000 bytes a
// second), every sample 1000.
std::vector<uint8_t> toneWav(int ms) {
    const uint32_t data = uint32_t(ms) * 16;
    std::vector<uint8_t> w(44 + data);
    auto put = [&](size_t at, const char* text) { std::copy(text, text + 4, w.begin() + long(at)); };
    put(0, "RIFF");
    storeLe32(w.data() + 4, 36 + data);
    put(8, "WAVE");
    put(12, "fmt ");
    storeLe32(w.data() + 16, 16);
    storeLe16(w.data() + 20, 1);
    storeLe16(w.data() + 22, 1);
    storeLe32(w.data() + 24, 8000);
    storeLe32(w.data() + 28, 16000);
    storeLe16(w.data() + 32, 2);
    storeLe16(w.data() + 34, 16);
    put(36, "data");
    storeLe32(w.data() + 40, data);
    for (size_t i = 44; i + 1 < w.size(); i += 2) storeLe16(w.data() + i, 1000);
    return w;
}

class SoundThreadTest : public testing::Test {
protected:
    test::HeadlessEngine h;
    SoundNode* node = nullptr;

    void SetUp() override {
        h.e.core.loader.memoryItems[0].push_back({"tone.wav", FileType::Wav, toneWav(500)});
        ASSERT_TRUE(test::startHeadlessSound());
        node = &addSoundNode(*sound().root, "t", false, 1);
        node->channel.format = SoundFormat::Wav;
    }
    void TearDown() override {
        test::stopHeadlessSound(h);
    }
    SoundChannel& channel() { return node->channel; }
    size_t ask(Kind kind, int32_t value = 0, const std::string& name = {}) {
        return enqueueSoundRequest(node, kind, value, name);
    }
    bool taken(size_t slot) { return sound().requests.slots[slot].done != 0; }
    // Lets the clock run until the next cycle has run.
    void cycle() { h.host.sleep(20); }
    void load() {
        ask(Kind::Load, 0, "tone.wav");
        cycle();
        ASSERT_EQ(channel().state, ChannelState::Loaded);
    }
};

TEST_F(SoundThreadTest, RequestsTakeEffectCycleByCycle) {
    load();
    // Stop on a sound that is only loaded leaves it loaded.
    ask(Kind::Stop, 100);
    cycle();
    EXPECT_EQ(channel().state, ChannelState::Loaded);
    // Positions at or beyond the length (500 ms) are stored as 0.
    ask(Kind::SetStartPosition, 500);
    ask(Kind::SetLoopStart, 700);
    cycle();
    EXPECT_EQ(channel().startMs, 0);
    EXPECT_EQ(channel().loopStartMs, 0);
    // A play without fade time is at its target on the cycle that takes it.
    ask(Kind::SetTargetVolume, 200);
    ask(Kind::Play, 0);
    cycle();
    EXPECT_EQ(channel().state, ChannelState::Playing);
    EXPECT_EQ(channel().volume, 200);
    // A load on a sounding channel is taken twice: first it is released,
    // then loaded.
    const size_t slot = ask(Kind::Load, 0, "tone.wav");
    h.host.sleep(3);
    while (channel().state != ChannelState::Idle) h.host.sleep(1);
    EXPECT_FALSE(taken(slot));
    cycle();
    EXPECT_TRUE(taken(slot));
    EXPECT_EQ(channel().state, ChannelState::Loaded);
}

TEST_F(SoundThreadTest, PlayCountsReleaseAfterTheLastPlayOrNever) {
    load();
    channel().playCount = 3;
    ask(Kind::SetLoopCount, 3);
    ask(Kind::Play, 0);
    h.host.sleep(1400);  // 2.8 plays of half a second
    EXPECT_EQ(channel().state, ChannelState::Playing);
    EXPECT_EQ(channel().playsDone, 2u);
    h.host.sleep(300);
    EXPECT_EQ(channel().state, ChannelState::Idle);
    EXPECT_EQ(channel().playsDone, 0u);
    EXPECT_FALSE(channel().buffer) << "released";

    load();
    channel().playCount = 0;
    ask(Kind::SetLoopCount, 0);
    ask(Kind::Play, 0);
    h.host.sleep(3000);
    EXPECT_EQ(channel().state, ChannelState::Playing);
    EXPECT_GE(channel().playsDone, 5u);
}

TEST_F(SoundThreadTest, AnInactiveWindowPausesWhenTheGameAsksAndResumesWhereItWas) {
    h.e.script.runInBackground = false;
    load();
    ask(Kind::SetLoopStart, 200);
    ask(Kind::Play, 0);
    h.host.sleep(300);
    sound().mainWindowActive = false;  // as the shell says on a focus event
    cycle();
    EXPECT_TRUE(sound().allPaused);
    EXPECT_FALSE(channel().buffer) << "a paused sound gives its buffer back";
    const int64_t reached = channel().playedBytes;
    EXPECT_NEAR(double(reached), 0.3 * 16000, 0.03 * 16000);
    EXPECT_EQ(channel().loopStartMs, 0) << "the loop start is forgotten";
    h.host.sleep(1000);
    EXPECT_EQ(channel().playedBytes, reached) << "time stands still while paused";
    sound().mainWindowActive = true;
    cycle();
    EXPECT_FALSE(sound().allPaused);
    ASSERT_TRUE(channel().buffer);
    EXPECT_EQ(channel().startMs, int32_t(reached * 1000 / 16000)) << "it goes on where it was";
}

TEST_F(SoundThreadTest, AFullRingIsReported) {
    // The thread takes nothing while the clock stands still.
    for (size_t i = 0; i + 1 < kSoundRingSlots; ++i) ask(Kind::Sync);
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
    ask(Kind::Sync);
    EXPECT_EQ(h.e.core.errors.reportedCodes, std::vector<uint32_t>{110200});
}

TEST(SoundOutput, LevelsPanAndFrequencyInTheDeviceUnits) {
    EXPECT_EQ(volumeAttenuation(256), 0);
    EXPECT_EQ(volumeAttenuation(128), -1204);
    EXPECT_EQ(volumeAttenuation(2), -8428);
    EXPECT_EQ(volumeAttenuation(0), -10000);
    EXPECT_EQ(panAttenuation(0), -10000);
    EXPECT_EQ(panAttenuation(512), 10000);
    EXPECT_EQ(panAttenuation(256), 0);
    EXPECT_EQ(panAttenuation(600), 0) << "beyond the range is the middle";
    EXPECT_EQ(panAttenuation(128), -1204);
    EXPECT_EQ(playbackRate(0, 44100), 22050u);
    EXPECT_EQ(playbackRate(512, 44100), 66150u);
    EXPECT_EQ(playbackRate(-1, 44100), 44100u);
}

}  // namespace
}  // namespace vr
