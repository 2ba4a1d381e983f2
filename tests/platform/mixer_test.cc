// The engine mixer, heard through the headless device's recording: every
// test plays buffers on the virtual clock and reads back the WAV file.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/sdl/sdl_platform.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr::platform {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kRate = 44100;

PcmFormat pcm(uint16_t channels, uint16_t bits, uint32_t rate) {
    PcmFormat f;
    f.channels = channels, f.bitsPerSample = bits, f.sampleRate = rate;
    return f;
}

// `frames` frames of a sine (every channel alike) from frame `first` on;
// hz 0 gives the constant `amplitude`.
std::vector<uint8_t> sine(const PcmFormat& f, uint32_t frames, double hz, double amplitude, uint64_t first = 0) {
    std::vector<uint8_t> out;
    for (uint64_t i = first; i < first + frames; ++i) {
        double v = hz > 0 ? amplitude * std::sin(kTwoPi * hz * double(i) / f.sampleRate) : amplitude;
        for (int c = 0; c < f.channels; ++c) {
            if (f.bitsPerSample == 8) {
                out.push_back(uint8_t(128 + std::lround(v / 256)));
            } else {
                auto s = uint16_t(int16_t(std::lround(v)));
                out.push_back(uint8_t(s)), out.push_back(uint8_t(s >> 8));
            }
        }
    }
    return out;
}

void write(SoundBuffer& b, uint32_t offset, const std::vector<uint8_t>& bytes) {
    SoundSpan first, second;
    ASSERT_TRUE(b.lock(offset, uint32_t(bytes.size()), first, second));
    std::memcpy(first.data, bytes.data(), first.bytes);
    if (second.bytes) std::memcpy(second.data, bytes.data() + first.bytes, second.bytes);
    ASSERT_TRUE(b.unlock(first, second));
}

// A headless platform on its virtual clock, recording from time 0.
struct Recording {
    test::TempDir dir;
    HeadlessPlatform host{options(dir)};
    SoundDevice& device = *host.soundDevice();
    std::vector<int16_t> left, right;
    std::vector<uint8_t> bytes;

    Recording() { device.markStart(); }
    static HeadlessOptions options(const test::TempDir& d) {
        HeadlessOptions o;
        o.audioOut = d.str() + "mix.wav";
        return o;
    }
    std::string file() const { return dir.str() + "mix.wav"; }
    void finish() {
        ASSERT_TRUE(host.finishAudio());
        ASSERT_TRUE(readHostFile(file(), bytes));
        ASSERT_GE(bytes.size(), 44u);
        auto u32 = [&](size_t at) { return uint32_t(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24); };
        ASSERT_EQ(0, std::memcmp(bytes.data(), "RIFF", 4));
        EXPECT_EQ(u32(4), bytes.size() - 8);
        EXPECT_EQ(u32(20), 1u | 2u << 16);   // PCM, stereo...
        EXPECT_EQ(u32(24), uint32_t(kRate));  // ...at 44100 Hz...
        EXPECT_EQ(u32(32), 4u | 16u << 16);  // ...16 bits
        ASSERT_EQ(u32(40), bytes.size() - 44);
        for (size_t at = 44; at + 4 <= bytes.size(); at += 4) {
            left.push_back(int16_t(bytes[at] | bytes[at + 1] << 8));
            right.push_back(int16_t(bytes[at + 2] | bytes[at + 3] << 8));
        }
    }
};

int peak(const std::vector<int16_t>& s, int fromMs, int toMs) {
    int p = 0;
    for (size_t i = size_t(fromMs) * kRate / 1000; i < size_t(toMs) * kRate / 1000 && i < s.size(); ++i)
        p = std::max(p, std::abs(int(s[i])));
    return p;
}

// Largest distance of the recording from a sine of `amplitude` at `hz`.
int deviation(const std::vector<int16_t>& s, double hz, double amplitude, size_t from, size_t to) {
    double worst = 0;
    for (size_t i = from; i < to && i < s.size(); ++i)
        worst = std::max(worst, std::abs(s[i] - amplitude * std::sin(kTwoPi * hz * double(i) / kRate)));
    return int(worst);
}

TEST(Mixer, LevelsFollowVolumeAndPanInHundredthsOfADecibel) {
    Recording r;
    PcmFormat f = pcm(2, 16, kRate);
    auto b = r.device.createBuffer(f, kRate * 4);
    write(*b, 0, sine(f, kRate, 441, 16000));
    b->play(true);
    r.host.sleep(100);
    b->setVolume(-1204);  // -12.04 dB: a quarter
    r.host.sleep(100);
    b->setPan(kPanLeft);
    r.host.sleep(100);
    b->setPan(3000);  // the left side 30 dB down
    r.host.sleep(100);
    r.finish();
    double full = peak(r.left, 50, 100);
    EXPECT_NEAR(full, 16000, 80);
    EXPECT_NEAR(peak(r.left, 150, 200) / full, 0.25, 0.002);
    EXPECT_NEAR(peak(r.right, 150, 200) / full, 0.25, 0.002);
    EXPECT_NEAR(peak(r.left, 250, 300) / full, 0.25, 0.002);
    EXPECT_EQ(peak(r.right, 250, 300), 0);
    EXPECT_NEAR(peak(r.left, 350, 400) / full, 0.25 * std::pow(10, -1.5), 0.0005);
    EXPECT_NEAR(peak(r.right, 350, 400) / full, 0.25, 0.002);
}

// The same sine from every format and rate: the recording is that sine from
// its first sample on (the mix keeps time with the play cursor), across the
// wrap of the ring at 1 s; a mono source sounds alike on both sides.
TEST(Mixer, EveryFormatSoundsAsItsSineFromTheFirstSample) {
    for (PcmFormat f : {pcm(2, 16, 44100), pcm(1, 8, 22050), pcm(1, 16, 48000), pcm(2, 8, 32000)}) {
        SCOPED_TRACE(std::to_string(f.channels) + " channels, " + std::to_string(f.bitsPerSample) + " bits, " +
                     std::to_string(f.sampleRate) + " Hz");
        Recording r;
        auto b = r.device.createBuffer(f, f.sampleRate * f.blockAlign());
        write(*b, 0, sine(f, f.sampleRate, 441, 12000));
        b->play(true);
        r.host.sleep(1500);
        r.finish();
        ASSERT_EQ(r.left.size(), size_t(kRate) * 3 / 2);
        int allowed = f.bitsPerSample == 8 ? 260 : 40;  // 8-bit steps are 256
        EXPECT_LE(deviation(r.left, 441, 12000, 64, r.left.size()), allowed);
        EXPECT_LE(deviation(r.right, 441, 12000, 64, r.right.size()), allowed);
        if (f.channels == 1) {
            EXPECT_EQ(r.left, r.right);
        }
    }
}

TEST(Mixer, FrequencyScalesPitchDurationAndCursors) {
    Recording r;
    PcmFormat f = pcm(1, 16, kRate);
    auto b = r.device.createBuffer(f, kRate);  // half a second
    write(*b, 0, sine(f, kRate / 2, 441, 10000));
    b->setFrequency(2 * kRate);
    uint32_t play = 1, ahead = 1;
    ASSERT_TRUE(b->currentPosition(play, ahead));
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(ahead, 0u);  // a stopped buffer's write cursor is its play cursor
    b->play(false);
    r.host.sleep(100);
    ASSERT_TRUE(b->currentPosition(play, ahead));
    EXPECT_NEAR(play / 2, 2 * kRate / 10, 1);
    // One 10 ms period at 88200 Hz and the resampler's look-ahead.
    EXPECT_GE((ahead - play) / 2, 882u);
    EXPECT_LE((ahead - play) / 2, 882u + 64);
    r.host.sleep(400);
    EXPECT_FALSE(b->playing());
    r.finish();
    size_t last = r.left.size();
    while (last > 0 && r.left[last - 1] == 0) --last;
    EXPECT_NEAR(double(last), kRate / 4, 32);  // played through in a quarter of a second
    test::ProcessResult stat = test::runProcess({"/usr/bin/sox", r.file(), "-n", "remix", "1", "trim", "0.05", "0.15", "stat"});
    ASSERT_EQ(stat.exitCode, 0) << stat.output;
    auto at = stat.output.find("Rough   frequency:");
    ASSERT_NE(at, std::string::npos) << stat.output;
    EXPECT_NEAR(std::atof(stat.output.c_str() + at + 18), 882, 10);
}

// A writer that refills what was just played, the way a stream is fed:
// every 10 ms from where it stopped up to the play cursor, a region that
// wraps past the ring's end every lap.  The recording is one unbroken sine.
TEST(Mixer, StreamedRingWrapsWithoutABreak) {
    Recording r;
    PcmFormat f = pcm(2, 16, 22050);
    const uint32_t frames = 5000, align = f.blockAlign();
    auto b = r.device.createBuffer(f, frames * align);
    write(*b, 0, sine(f, frames, 330, 14000));
    uint64_t written = frames;
    b->play(true);
    for (int step = 0; step < 200; ++step) {
        r.host.sleep(10);
        uint32_t play = 0, ahead = 0;
        ASSERT_TRUE(b->currentPosition(play, ahead));
        uint32_t from = uint32_t(written % frames), count = (play / align + frames - from) % frames;
        if (count == 0) continue;
        write(*b, from * align, sine(f, count, 330, 14000, written));
        written += count;
    }
    r.finish();
    ASSERT_GT(written, 5u * frames);
    EXPECT_LE(deviation(r.left, 330, 14000, 64, r.left.size()), 40);
    EXPECT_LE(deviation(r.right, 330, 14000, 64, r.right.size()), 40);
}

TEST(Mixer, GainChangesAreRampedOverAPeriod) {
    Recording r;
    PcmFormat f = pcm(1, 16, kRate);
    auto b = r.device.createBuffer(f, kRate * 2);
    write(*b, 0, sine(f, kRate, 0, 16000));  // a constant level: every step is the ramp's
    b->play(true);
    r.host.sleep(100);
    b->setVolume(kSilentVolume);
    r.host.sleep(100);
    b->setVolume(0);
    b->setPan(kPanRight);
    r.host.sleep(100);
    r.finish();
    const size_t change = kRate / 10, ramp = kRate / 100;
    int steepest = 0;
    for (size_t i = 100; i < r.left.size(); ++i)
        steepest = std::max({steepest, std::abs(r.left[i] - r.left[i - 1]), std::abs(r.right[i] - r.right[i - 1])});
    EXPECT_LE(steepest, 16000 / int(ramp) + 2);
    EXPECT_GT(r.left[change + ramp / 2], 7000);
    EXPECT_EQ(r.left[change + ramp], 0);
    EXPECT_EQ(r.left[2 * change + ramp], 0);  // panned right: the left stays silent
    EXPECT_NEAR(r.right[2 * change + ramp], 16000, 40);
}

TEST(Mixer, BuffersRefuseWhatTheyCannotHoldAndLockAcrossTheEnd) {
    HeadlessPlatform host{HeadlessOptions{}};
    SoundDevice& device = *host.soundDevice();
    EXPECT_FALSE(device.createBuffer(pcm(3, 16, kRate), 4096));
    EXPECT_FALSE(device.createBuffer(pcm(2, 12, kRate), 4096));
    EXPECT_FALSE(device.createBuffer(pcm(2, 16, 50), 4096));
    EXPECT_FALSE(device.createBuffer(pcm(2, 16, kRate), 3));
    auto b = device.createBuffer(pcm(2, 16, kRate), 4098);  // rounded down to whole frames
    ASSERT_TRUE(b);
    ASSERT_EQ(b->size(), 4096u);
    SoundSpan first, second, whole, none;
    ASSERT_TRUE(b->lock(4086, 30, first, second));
    EXPECT_EQ(first.bytes, 10u);
    EXPECT_EQ(second.bytes, 20u);
    EXPECT_EQ(second.data + 4086, first.data);  // the ring's start, then its end
    ASSERT_TRUE(b->lock(0, 4096, whole, none));
    EXPECT_EQ(whole.data, second.data);
    EXPECT_FALSE(none.data);
    EXPECT_TRUE(b->unlock(whole, none));
    EXPECT_FALSE(b->unlock(SoundSpan{whole.data + 4090, 10}, none));
    EXPECT_TRUE(b->unlock(first, second));
    EXPECT_FALSE(b->unlock(first, second));  // nothing is locked any more
    EXPECT_FALSE(b->lock(4096, 1, first, second));
    EXPECT_FALSE(b->lock(0, 4097, first, second));
    EXPECT_FALSE(b->lock(0, 0, first, second));
    EXPECT_FALSE(b->setCurrentPosition(4096));
    ASSERT_TRUE(b->setCurrentPosition(4095));
    uint32_t play = 0, ahead = 0;
    ASSERT_TRUE(b->currentPosition(play, ahead));
    EXPECT_EQ(play, 4092u);
}

// Runs of one scene give the same bytes, however the clock is stepped: by
// the platform's sleeps alone, or by a listener advancing the device in
// uneven steps of its own.
TEST(Mixer, RunsOfOneSceneRecordTheSameBytes) {
    auto scene = [](bool listener) {
        Recording r;
        if (listener)
            r.host.setClockListener([&r](uint64_t from, uint64_t to) {
                for (uint64_t t = from + 3; t < to; t += 7) r.device.advanceTo(t);
                r.device.advanceTo(to);
            });
        PcmFormat music = pcm(2, 16, 48000), voice = pcm(1, 8, 11025);
        auto a = r.device.createBuffer(music, 48000 * 4);
        auto b = r.device.createBuffer(voice, 11025);
        write(*a, 0, sine(music, 48000, 440, 9000));
        write(*b, 0, sine(voice, 11025, 700, 20000));
        a->play(true);
        r.host.sleep(17);
        b->setFrequency(16000);
        b->play(false);
        for (int i = 0; i < 60; ++i) {
            a->setVolume(-40 * i);
            b->setPan(i * 150 - 4500);
            r.host.sleep(i % 2 ? 16 : 17);
        }
        r.finish();
        EXPECT_EQ(r.left.size(), size_t(1007) * kRate / 1000);
        return r.bytes;
    };
    std::vector<uint8_t> first = scene(false);
    EXPECT_EQ(first, scene(false));
    EXPECT_EQ(first, scene(true));
}

// SDL's disk driver stands for a sound card: the callback runs the mixer in
// real time and the sound reaches the file.
TEST(Mixer, SdlDeviceMixesIntoSdlsOutput) {
    test::TempDir dir;
    std::string out = dir.str() + "sdl.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    std::unique_ptr<SoundDevice> device = openSdlSoundDevice();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(device);
    PcmFormat f = pcm(2, 16, 22050);
    auto b = device->createBuffer(f, 22050 * 4);
    write(*b, 0, sine(f, 22050, 441, 12000));
    b->play(true);
    timespec wait{0, 300'000'000};
    nanosleep(&wait, nullptr);
    uint32_t play = 0, ahead = 0;
    ASSERT_TRUE(b->currentPosition(play, ahead));
    EXPECT_GT(play / 4, 22050u / 10);  // at least 100 ms played
    b.reset();
    device.reset();
    std::vector<uint8_t> raw;
    ASSERT_TRUE(readHostFile(out, raw));
    int loudest = 0;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) loudest = std::max(loudest, std::abs(int(int16_t(raw[i] | raw[i + 1] << 8))));
    EXPECT_NEAR(loudest, 12000, 100);
}

}  // namespace
}  // namespace vr::platform
