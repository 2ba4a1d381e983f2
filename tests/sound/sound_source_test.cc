// The sound source on real files made by sox, ffmpeg and oggenc at test time
// (tests/sound/make_test_sounds.sh): what the refills write into the buffer
// is compared byte for byte with the PCM the tools themselves decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "common/bytes.h"
#include "sound/sound_source.h"
#include "support/headless_engine.h"
#include "support/memory_sound_device.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using Bytes = std::vector<uint8_t>;

struct SoundFiles {
    test::TempDir dir;
    std::string error;

    Bytes read(const std::string& name) const {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
};

const SoundFiles& files() {
    static const std::unique_ptr<SoundFiles> made = [] {
        auto f = std::make_unique<SoundFiles>();
        std::string script = std::string(VIRELO_TEST_DATA) + "/sound/make_test_sounds.sh";
        test::ProcessResult r = test::runProcess({"/bin/sh", script, f->dir.path().string()});
        if (r.exitCode != 0) f->error = "making the test sounds failed:\n" + r.output;
        return f;
    }();
    return *made;
}

// The first index from which `n` bytes of a (from ia) and b (from ib)
// differ, or -1.
long firstDifference(const Bytes& a, size_t ia, const Bytes& b, size_t ib, size_t n) {
    if (ia + n > a.size() || ib + n > b.size()) return -2;
    auto m = std::mismatch(a.begin() + long(ia), a.begin() + long(ia + n), b.begin() + long(ib));
    return m.first == a.begin() + long(ia + n) ? -1 : long(m.first - a.begin());
}

bool allBytes(const Bytes& a, size_t from, uint8_t value) {
    return std::all_of(a.begin() + long(std::min(from, a.size())), a.end(), [value](uint8_t b) { return b == value; });
}

class SoundSource : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(files().error, ""); }

    // A fresh channel on the file, registered as an in-memory resource.
    int open(const std::string& name, SoundFormat format, Bytes bytes = {}) {
        if (bytes.empty()) bytes = files().read(name);
        h.e.core.loader.memoryItems[0].push_back({name, FileType::Other, bytes});
        channel = SoundChannel{};
        channel.fileName = name;
        channel.format = format;
        return openSource(channel, &device);
    }

    // Seeks and refills as the sound thread does, alternating halves, and
    // returns what the buffer was given, in playing order.
    Bytes play(int32_t ms, int halves) {
        Bytes out;
        channel.carryBytes = 0;
        channel.silenceBytes = 0;
        EXPECT_EQ(seekSource(channel, ms, false), 0);
        uint32_t half = channel.bufferBytes / 2;
        channel.writeHalfOffset = 0;
        for (int i = 0; i < halves; ++i) {
            int code = fillHalf(channel);
            EXPECT_EQ(code, 0);
            if (code != 0) break;
            const Bytes& ring = static_cast<test::MemorySoundBuffer&>(*channel.buffer).ring;
            out.insert(out.end(), ring.begin() + channel.writeHalfOffset, ring.begin() + channel.writeHalfOffset + half);
            channel.writeHalfOffset = half - channel.writeHalfOffset;
        }
        return out;
    }

    size_t bytesAt(int64_t ms) const { return size_t(ms * channel.bytesPerSecond / 1000); }

    // `out` must be the source from 0 to the end position, then from the
    // loop start to the end position, `plays` times in all (0: as far as out
    // goes), then silence.  A play-through may stop up to `slack` bytes
    // short of the end position (Ogg Vorbis stops below 32 bytes).
    void expectLoops(const Bytes& out, const Bytes& source, int plays, size_t slack) {
        size_t loopStart = bytesAt(channel.loopStartMs), end = bytesAt(channel.endMs);
        ASSERT_LE(end, source.size());
        size_t at = 0, from = 0;
        for (int done = 0; at < out.size() && (plays == 0 || done < plays); ++done, from = loopStart) {
            size_t n = std::min(end - from, out.size() - at);
            auto m = std::mismatch(out.begin() + long(at), out.begin() + long(at + n), source.begin() + long(from));
            size_t same = size_t(m.first - out.begin()) - at;
            same -= same % channel.pcm.blockAlign();
            if (at + same == out.size()) return;
            if (from + same + slack < end + (slack ? 1 : 0)) {
                ADD_FAILURE() << "play " << done << " broke off at " << at + same << ", " << end - from - same
                              << " bytes before its end";
                return;
            }
            at += same;
        }
        EXPECT_TRUE(allBytes(out, at, 0)) << "no silence after the last play, from " << at;
    }

    test::HeadlessEngine h;
    test::MemorySoundDevice device;
    SoundChannel channel;
};

TEST_F(SoundSource, WavFilesPlayThroughOnceThenSilence) {
    struct Case {
        const char* name;
        uint16_t channels, bits;
        uint32_t rate;
    } cases[] = {
        {"m8_22050.wav", 1, 8, 22050},
        {"s8_32000.wav", 2, 8, 32000},
        {"s16_44100.wav", 2, 16, 44100},
        {"m16_48000.wav", 1, 16, 48000},
        {"chunks.wav", 2, 16, 32000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(open(c.name, SoundFormat::Wav), 0);
        ASSERT_TRUE(device.last);
        EXPECT_EQ(device.last->format().channels, c.channels);
        EXPECT_EQ(device.last->format().bitsPerSample, c.bits);
        EXPECT_EQ(device.last->format().sampleRate, c.rate);
        EXPECT_EQ(device.last->size(), 2 * c.rate * c.channels * c.bits / 8);
        Bytes raw = files().read(std::string(c.name) + ".raw");
        EXPECT_EQ(channel.totalMs, int64_t(raw.size()) * 1000 / channel.bytesPerSecond);

        channel.loopsLeft = 1;
        Bytes out = play(0, int(raw.size() / (channel.bufferBytes / 2)) + 2);
        EXPECT_EQ(firstDifference(out, 0, raw, 0, raw.size()), -1);
        EXPECT_TRUE(allBytes(out, raw.size(), c.bits == 8 ? 0x80 : 0x00));
    }
    // The chunks file is what it stands for: an odd-sized chunk before "data".
    Bytes chunks = files().read("chunks.wav");
    auto bext = std::search(chunks.begin(), chunks.end(), std::begin("bext"), std::end("bext") - 1);
    ASSERT_LT(bext + 8, chunks.end());
    EXPECT_EQ(loadLe32(&*bext + 4) % 2, 1u);
}

TEST_F(SoundSource, RefusesWhatItCannotPlay) {
    Bytes wav = files().read("s16_44100.wav");
    auto changed = [&wav](size_t at, const char* bytes, size_t n) {
        Bytes b = wav;
        std::copy(bytes, bytes + n, b.begin() + long(at));
        return b;
    };
    Bytes cut(wav.begin(), wav.begin() + 5000);
    struct Case {
        const char* name;
        SoundFormat format;
        Bytes bytes;
        int code;
    } cases[] = {
        {"float.wav", SoundFormat::Wav, {}, kWavNotPcm},
        {"alaw.wav", SoundFormat::Wav, {}, kWavNotPcm},
        {"s24.wav", SoundFormat::Wav, {}, kWavBufferFailed},
        {"c3.wav", SoundFormat::Wav, {}, kWavBufferFailed},
        {"chained.ogg", SoundFormat::Ogg, {}, kOggChained},
        {"s16_44100.ogg", SoundFormat::Wav, {}, kWavNotRiff},
        {"s16_44100.wav", SoundFormat::Ogg, {}, kOggOpenFailed},
        {"cut.wav", SoundFormat::Wav, cut, kWavWalkFailed},
        {"no-block-align.wav", SoundFormat::Wav, changed(32, "\0\0", 2), kWavBufferFailed},
        {"not-wave.wav", SoundFormat::Wav, changed(8, "WAVX", 4), kWavNotWave},
        {"no-fmt.wav", SoundFormat::Wav, changed(12, "fmx ", 4), kWavNoFmt},
        {"no-data.wav", SoundFormat::Wav, changed(36, "dat ", 4), kWavNoData},
        // The walk lands inside "fmt " and finds a size that runs past the end.
        {"misaligned.wav", SoundFormat::Wav, changed(16, "\x0c", 1), kWavAscentFailed},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(open(c.name, c.format, c.bytes), c.code);
        EXPECT_FALSE(channel.buffer);
    }
}

TEST_F(SoundSource, OggDecodesAsOggdecDoesAndEndsInSilence) {
    ASSERT_EQ(open("s16_44100.ogg", SoundFormat::Ogg), 0);
    EXPECT_EQ(device.last->format().channels, 2);
    EXPECT_EQ(device.last->format().bitsPerSample, 16);
    EXPECT_EQ(device.last->format().sampleRate, 44100u);
    Bytes raw = files().read("s16_44100.ogg.raw");
    ASSERT_EQ(channel.totalMs, 2200);

    channel.loopsLeft = 1;
    Bytes out = play(0, 4);
    size_t end = bytesAt(channel.endMs);
    EXPECT_EQ(firstDifference(out, 0, raw, 0, end - 32), -1);
    EXPECT_TRUE(allBytes(out, end, 0));
}

TEST_F(SoundSource, NegativeStartPlaysLeadingSilence) {
    ASSERT_EQ(open("s16_44100.ogg", SoundFormat::Ogg), 0);
    Bytes raw = files().read("s16_44100.ogg.raw");
    Bytes out = play(-500, 2);
    size_t silence = size_t(channel.bytesPerSecond / 2);
    EXPECT_EQ(std::count(out.begin(), out.begin() + long(silence), 0), long(silence));
    EXPECT_EQ(firstDifference(out, silence, raw, 0, out.size() - silence), -1);
}

TEST_F(SoundSource, LoopWrapsAreSeamless) {
    // A WAV played twice, wrapping once, then silence.
    ASSERT_EQ(open("s16_44100.wav", SoundFormat::Wav), 0);
    channel.loopStartMs = 500;
    channel.endMs = 1700;
    channel.loopsLeft = 2;
    Bytes wavRaw = files().read("s16_44100.wav.raw");
    expectLoops(play(0, 5), wavRaw, 2, 0);
    // A loop start at or beyond the end position loops from the start.
    channel.loopStartMs = 1700;
    channel.loopsLeft = 0;
    Bytes again = play(1000, 1);
    EXPECT_EQ(firstDifference(again, 0, wavRaw, bytesAt(1000), bytesAt(700)), -1);
    EXPECT_EQ(firstDifference(again, bytesAt(700), wavRaw, 0, bytesAt(300)), -1);

    // Ogg Vorbis looping endlessly, its end position inside the file.
    ASSERT_EQ(open("s16_44100.ogg", SoundFormat::Ogg), 0);
    channel.loopStartMs = 700;
    channel.endMs = 1300;
    expectLoops(play(0, 6), files().read("s16_44100.ogg.raw"), 0, 32);
}

TEST_F(SoundSource, DamagedOggStopsWithItsDecodingError) {
    // A page in the middle fails its checksum: vorbisfile skips it and
    // reports the hole when the refill reaches it.
    Bytes ogg = files().read("s16_44100.ogg");
    auto page = std::search(ogg.begin() + long(ogg.size() / 2), ogg.end(), std::begin("OggS"), std::end("OggS") - 1);
    ASSERT_LT(page + 100, ogg.end());
    page[60] ^= 0xFF;
    ASSERT_EQ(open("damaged.ogg", SoundFormat::Ogg, ogg), 0);
    ASSERT_EQ(seekSource(channel, 0, false), 0);
    int code = 0;
    for (int i = 0; i < 3 && code == 0; ++i) code = fillHalf(channel);
    EXPECT_EQ(code, kOggHole);
    EXPECT_TRUE(channel.staging.empty());
}

TEST_F(SoundSource, KeepAliveClipAndTheDataHeld) {
    channel.keepAlive = true;
    channel.format = SoundFormat::Wav;
    ASSERT_EQ(openSource(channel, &device), 0);
    EXPECT_EQ(channel.fileData.size(), 1930u);
    EXPECT_EQ(channel.pcmBytes, 1872u);
    EXPECT_EQ(channel.totalMs, 10);
    Bytes out = play(0, 2);  // endless: the clip wraps about a hundred times a half
    EXPECT_TRUE(allBytes(out, 0, 0));
    EXPECT_EQ(openSource(channel, &device), kSourceHeld);

    // A pause drops everything but the file; resuming opens it again.
    ASSERT_EQ(open("m16_48000.wav", SoundFormat::Wav), 0);
    closeSource(channel, false);
    EXPECT_FALSE(channel.buffer);
    EXPECT_TRUE(channel.staging.empty());
    ASSERT_EQ(reopenSource(channel, &device), 0);
    channel.loopsLeft = 1;
    Bytes raw = files().read("m16_48000.wav.raw");
    EXPECT_EQ(firstDifference(play(0, 2), 0, raw, 0, raw.size()), -1);
    closeSource(channel, true);
    EXPECT_FALSE(channel.hasFile);
    EXPECT_EQ(openSource(channel, &device), 0);

    // Without a device only the data is taken.
    channel = SoundChannel{};
    channel.fileName = "m16_48000.wav";
    channel.format = SoundFormat::Wav;
    EXPECT_EQ(openSource(channel, nullptr), 0);
    EXPECT_TRUE(channel.hasFile);
    EXPECT_FALSE(channel.buffer);

    channel = SoundChannel{};
    channel.fileName = "missing.wav";
    EXPECT_EQ(openSource(channel, &device), kSourceLoadFailed);
}

}  // namespace
}  // namespace vr
