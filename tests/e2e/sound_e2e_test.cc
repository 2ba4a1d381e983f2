// Games that play sound, heard through the mix a headless run writes with
// --audio-out: 16-bit stereo at 44100 Hz, sample n sounding n / 44100 s
// after the first frame.  The sources are made by sox at test time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "support/game_run.h"
#include "support/lines.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

constexpr int kRate = 44100;

struct Mix {
    std::vector<int16_t> left, right;
    double seconds() const { return double(left.size()) / kRate; }
};

Mix readMix(const std::string& file) {
    std::string bytes = test::readFile(file);
    Mix m;
    if (bytes.size() < 44) return m;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 44; i + 4 <= bytes.size(); i += 4) {
        m.left.push_back(int16_t(loadLe16(p + i)));
        m.right.push_back(int16_t(loadLe16(p + i + 2)));
    }
    return m;
}

// Root mean square of one channel over samples [a, b).
double rmsOf(const std::vector<int16_t>& s, size_t a, size_t b) {
    b = std::min(b, s.size());
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(s[i]) * s[i];
    return b > a ? std::sqrt(sum / double(b - a)) : 0;
}

// The same over [from, from + length) seconds.
double rms(const std::vector<int16_t>& s, double from, double length) {
    return rmsOf(s, size_t(from * kRate), size_t((from + length) * kRate));
}

// One past the last sample that is not silence.
size_t endOf(const std::vector<int16_t>& s) {
    size_t i = s.size();
    while (i > 0 && s[i - 1] == 0) --i;
    return i;
}

// The first sample that is not silence.
size_t onsetOf(const std::vector<int16_t>& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == 0) ++i;
    return i;
}

double decibels(double ratio) { return 20 * std::log10(ratio); }

// A game folder with the script and the sounds; the run's mix.
class SoundE2E : public testing::Test {
protected:
    test::TempDir assets, out;

    void SetUp() override {
        // A 441 Hz sine at half scale: its RMS is 0.5 / sqrt(2) of full scale.
        sox({"-D", "-n", "-r", "44100", "-c", "2", "-b", "16", assets.str() + "tone.wav", "synth", "0.5", "sine", "441",
             "vol", "0.5"});
        // One second rising from 200 to 2000 Hz, so that every sample tells
        // where in the sound it is.
        sox({"-D", "-n", "-r", "44100", "-c", "2", "-b", "16", assets.str() + "sweep.wav", "synth", "1", "sine", "200-2000",
             "vol", "0.5"});
    }
    void sox(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/bin/sox");
        auto r = test::runProcess(arguments);
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }
    Mix play(const std::string& commands, int frames, const std::string& name = "mix.wav") {
        std::string script = "#config width=160 height=120 sound=1 sounds=ogg,wav\n*SYSTEM_START\nSoundSet path=\"/\"\n" +
                             commands + "\n*idle\nwait 1\ngoto *idle\n";
        test::GameRun r = test::runGame(script, frames, {"--audio-out", out.str() + name}, assets.str());
        EXPECT_EQ(r.compileExit, 0) << r.compileOutput;
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return readMix(out.str() + name);
    }
    static constexpr double kToneRms = 0.5 * 32767 / 1.4142135623730951;
};

TEST_F(SoundE2E, VolumesFadesAndPan) {
    // Volume 128 is -12.04 dB, at once.
    Mix steady = play("SoundSet path=\"t\" file=\"tone\" volume=128 count=0 play=1", 60);
    EXPECT_NEAR(decibels(rms(steady.left, 0.3, 0.5) / kToneRms), -12.04, 0.1);

    // A fade from 0 to 128 over a second from the moment the sound starts
    // (the sound thread's next cycles: some tens of milliseconds in):
    // -24.08 dB (level 64) half way, and no window of four periods louder
    // than the one before by more than the fade moves in it, nor softer.
    Mix fade = play("SoundSet path=\"t\" file=\"tone\" volume=128 count=0 play=1 fade=1000", 100, "fade.wav");
    const size_t start = onsetOf(fade.left);
    ASSERT_LT(start, size_t(kRate / 10));
    EXPECT_NEAR(decibels(rmsOf(fade.left, start + kRate / 2 - 200, start + kRate / 2 + 200) / kToneRms), -24.08, 1.0);
    EXPECT_NEAR(decibels(rms(fade.left, 1.3, 0.2) / kToneRms), -12.04, 0.1);
    constexpr size_t kWindow = 400;  // four periods of 441 Hz
    for (size_t a = start; a + 2 * kWindow < start + kRate * 11 / 10; a += kWindow) {
        const double step = (rmsOf(fade.left, a + kWindow, a + 2 * kWindow) - rmsOf(fade.left, a, a + kWindow)) / kToneRms;
        ASSERT_GE(step, -0.001) << "the fade falls back at sample " << a;
        ASSERT_LE(step, 0.01) << "the fade jumps at sample " << a;
    }

    // Pan 0 is the left alone.
    Mix left = play("SoundSet path=\"t\" file=\"tone\" pan=0 count=0 play=1", 60, "pan.wav");
    EXPECT_GT(rms(left.left, 0.2, 0.5), kToneRms * 0.9);
    EXPECT_EQ(rms(left.right, 0, left.seconds()), 0.0);
}

// The query answers the first selector of its list, where the format comes
// before the file name.
TEST_F(SoundE2E, TheQueryTakesTheFormatBeforeTheFileName) {
    test::GameRun r = test::runGame(
        "#config width=160 height=120 sound=1 sounds=ogg,wav\nglobal int format = -1\n*SYSTEM_START\n"
        "SoundSet path=\"/\"\nSoundSet path=\"t\" file=\"tone\"\n"
        "SoundQuery path=\"t\" file=1 format=1 result=format\n*idle\nwait 1\ngoto *idle\n",
        3, {}, assets.str());
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "2") << "WAV";
}

TEST_F(SoundE2E, CountsStartsAndLoops) {
    // Twice through half a second, then silence.
    Mix twice = play("SoundSet path=\"t\" file=\"tone\" count=2 play=1", 120);
    EXPECT_GT(rms(twice.left, 0.1, 0.8), kToneRms * 0.9);
    EXPECT_EQ(rms(twice.left, 1.2, 0.7), 0.0);

    // A start 500 ms before the sound: half a second of silence first.
    // Both runs start playing in the same cycle, so the silence is the
    // difference of their ends.
    Mix late = play("SoundSet path=\"t\" file=\"tone\" start=-500 count=1 play=1", 90, "late.wav");
    Mix now = play("SoundSet path=\"t\" file=\"tone\" count=1 play=1", 60, "now.wav");
    EXPECT_EQ(endOf(late.left) - endOf(now.left), size_t(kRate / 2));

    // Looping from 500 ms: after the first second the mix holds the sweep's
    // last samples and then, with no gap, those from 500 ms on.
    Mix loop = play("SoundSet path=\"t\" file=\"sweep\" loopStart=500 count=0 play=1", 120, "loop.wav");
    Mix source = readMix(assets.str() + "sweep.wav");
    // Where the sound starts in the mix: the place where a stretch well
    // after the start (past the first cycle's volume ramp) matches.
    size_t begin = 0;
    double best = 1e300;
    for (size_t k = 0; k < size_t(kRate / 5); ++k) {
        double d = 0;
        for (size_t i = 5000; i < 5400; ++i) d += std::abs(double(loop.left[k + i]) - source.left[i]);
        if (d < best) best = d, begin = k;
    }
    const size_t wrap = begin + kRate;
    // Sample for sample the source's, the last before the end and then
    // those from 500 ms on: a gap or a repeated sample would shift all that
    // follow.  Right at the splice the resampling filter rings (the splice
    // itself is a jump in the sweep), within a few hundred samples.
    int far = 0, near = 0;
    for (int i = -2000; i < 2000; ++i) {
        const int want = source.left[i < 0 ? size_t(kRate + i) : size_t(kRate / 2 + i)];
        const int diff = std::abs(loop.left[size_t(int(wrap) + i)] - want);
        (std::abs(i) < 150 ? near : far) = std::max(std::abs(i) < 150 ? near : far, diff);
    }
    EXPECT_LE(far, 1) << "the mix around the wrap is not the source's";
    EXPECT_LT(near, 1200) << "the splice rings more than a filter does";

    // The same run twice: the same bytes.
    Mix again = play("SoundSet path=\"t\" file=\"sweep\" loopStart=500 count=0 play=1", 120, "again.wav");
    EXPECT_EQ(test::readFile(out.str() + "loop.wav"), test::readFile(out.str() + "again.wav"));
}

}  // namespace
}  // namespace vr
