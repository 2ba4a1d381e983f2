// Opening, seeking and filling halves, the same for both formats; what
// differs (the WAV chunk walk, the vorbisfile calls) is in wav_source.cc
// and ogg_source.cc.
#include "sound/sound_source.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "common/memory.h"
#include "core/archive/loader.h"
#include "sound/source_formats.h"

namespace vr {

namespace {

// Decoding goes in pieces of this size; a piece may run past the half, and
// what it overshoots starts the next half.
constexpr int64_t kPiece = 4096;
// vorbisfile cannot give fewer bytes than a few whole frames; a remainder
// below this before the end position counts as the end.
constexpr int64_t kOggSmallestRead = 32;

struct MemoryCodes {
    int carryExists, carryAlloc, stagingExists, stagingAlloc, buffer;
};
constexpr MemoryCodes kOggMemoryCodes = {kOggCarryExists, kOggCarryAlloc, kOggStagingExists, kOggStagingAlloc,
                                         kOggBufferFailed};
constexpr MemoryCodes kWavMemoryCodes = {kWavCarryExists, kWavCarryAlloc, kWavStagingExists, kWavStagingAlloc,
                                         kWavBufferFailed};

// Silence in the buffer's own sample format: 8-bit samples are unsigned,
// so their silence is the middle value, not zero.
uint8_t silenceByte(const SoundChannel& channel) { return channel.pcm.bitsPerSample == 8 ? 0x80 : 0x00; }

int64_t blockAlign(const SoundChannel& channel) { return channel.pcm.blockAlign(); }

int64_t roundDown(int64_t bytes, int64_t align) { return bytes - bytes % align; }

void takeLayout(SoundChannel& channel, const SourceLayout& layout) {
    channel.pcm = layout.pcm;
    channel.totalMs = layout.totalMs;
    channel.endMs = int32_t(std::min<int64_t>(layout.totalMs, INT32_MAX));
    channel.pcmOffset = layout.pcmOffset;
    channel.pcmBytes = layout.pcmBytes;
    channel.bytesPerSecond = layout.pcm.bytesPerSecond();
    channel.bufferBytes = uint32_t(channel.bytesPerSecond * 2);
}

int makeStreamMemory(SoundChannel& channel, platform::SoundDevice& device, const MemoryCodes& codes) {
    if (!channel.carry.empty()) return codes.carryExists;
    if (!tryResize(channel.carry, size_t(kPiece))) return codes.carryAlloc;
    if (!channel.staging.empty()) return codes.stagingExists;
    if (!tryResize(channel.staging, channel.bufferBytes / 2 + size_t(kPiece))) return codes.stagingAlloc;
    std::fill(channel.staging.begin(), channel.staging.end(), silenceByte(channel));
    channel.buffer = device.createBuffer(channel.pcm, channel.bufferBytes);
    return channel.buffer ? 0 : codes.buffer;
}

int openFormat(SoundChannel& channel, platform::SoundDevice& device) {
    SourceLayout layout;
    switch (channel.format) {
    case SoundFormat::Ogg:
        if (int code = readOggLayout(channel, layout); code < 0) return code;
        takeLayout(channel, layout);
        return makeStreamMemory(channel, device, kOggMemoryCodes);
    case SoundFormat::Wav:
        if (int code = readWavLayout(channel.fileData.data(), channel.fileData.size(), layout); code < 0) return code;
        takeLayout(channel, layout);
        return makeStreamMemory(channel, device, kWavMemoryCodes);
    case SoundFormat::None:
        break;
    }
    return 0;
}

// Seeking with the handle of a refill in progress (loop wraps), or with a
// fresh one.
int seekWith(SoundChannel& channel, int32_t ms, OggStream* ogg, int failure) {
    int64_t bytesPerSecond = channel.bytesPerSecond;
    int64_t align = blockAlign(channel);
    if (bytesPerSecond <= 0 || align <= 0) return failure;  // nothing was opened
    int64_t at = ms;
    if (at >= channel.totalMs) at = channel.totalMs - 10;
    if (at < 0) {
        int64_t x = -at * bytesPerSecond / 1000 + channel.silenceBytes;
        channel.silenceBytes = roundDown(x, align);
    }
    channel.decodedBytes = at * bytesPerSecond / 1000;
    int64_t from = std::max<int64_t>(at, 0);
    if (ogg) {
        // By sample, not by time: a time in floating point lands a sample
        // early for many positions (0.7 s at 44100 Hz is 30869.99...), which
        // would start every loop one sample before its loop start.
        if (ov_pcm_seek(ogg->file(), from * channel.pcm.sampleRate / 1000) != 0) return failure;
        channel.sourcePosition = ov_pcm_tell(ogg->file());
        return 0;
    }
    int64_t b = roundDown(from * bytesPerSecond / 1000, align);
    int64_t last = std::max<int64_t>(int64_t(channel.pcmBytes) - align, 0);
    channel.sourcePosition = b >= int64_t(channel.pcmBytes) ? last : b;
    return 0;
}

// The WAV bytes from sourcePosition, whole frames only, never past the data.
int64_t copyWav(SoundChannel& channel, uint8_t* out, int64_t piece) {
    int64_t left = int64_t(channel.pcmBytes) - channel.sourcePosition;
    if (piece <= 0 || channel.sourcePosition < 0 || left <= 0) return 0;
    int64_t got = roundDown(std::min(piece, left), blockAlign(channel));
    std::memcpy(out, channel.fileData.data() + channel.pcmOffset + channel.sourcePosition, size_t(got));
    channel.sourcePosition += got;
    return got;
}

int writeHalf(SoundChannel& channel, uint32_t half) {
    platform::SoundSpan first, second;
    if (!channel.buffer->lock(channel.writeHalfOffset, half, first, second)) return kHalfLockFailed;
    uint32_t one = std::min(first.bytes, half);
    uint32_t two = std::min(second.bytes, half - one);
    if (one) std::memcpy(first.data, channel.staging.data(), one);
    if (two) std::memcpy(second.data, channel.staging.data() + one, two);
    return channel.buffer->unlock(first, second) ? 0 : kHalfWriteFailed;
}

bool readyToFill(const SoundChannel& channel) {
    uint32_t half = channel.bufferBytes / 2;
    return channel.buffer && half > 0 && channel.bytesPerSecond > 0 &&
           channel.staging.size() == size_t(half) + size_t(kPiece) && channel.carry.size() == size_t(kPiece) &&
           channel.writeHalfOffset <= channel.buffer->size() && half <= channel.buffer->size() - channel.writeHalfOffset;
}

}  // namespace

int openSource(SoundChannel& channel, platform::SoundDevice* device) {
    if (channel.hasFile) return kSourceHeld;
    if (channel.keepAlive) {
        channel.fileData = silentClip();
    } else {
        FileRequest request;
        if (loadFile(request, channel.fileName, true, true) != 0) return kSourceLoadFailed;
        request.data.resize(std::min<size_t>(request.size, request.data.size()));
        channel.fileData = std::move(request.data);
    }
    channel.hasFile = true;
    if (!device) return 0;
    return openFormat(channel, *device);
}

int reopenSource(SoundChannel& channel, platform::SoundDevice* device) {
    if (!device) return 0;
    return openFormat(channel, *device);
}

int seekSource(SoundChannel& channel, int32_t ms, bool inLoopWrap) {
    if (channel.format != SoundFormat::Ogg) return seekWith(channel, ms, nullptr, -1);
    OggStream stream(channel);
    if (!stream.open()) return kOggSeekOpenFailed;
    return seekWith(channel, ms, &stream, inLoopWrap ? kOggLoopSeekFailed : kOggSeekFailed);
}

int fillHalf(SoundChannel& channel) {
    if (!readyToFill(channel)) return kHalfWriteFailed;
    const uint32_t half = channel.bufferBytes / 2;
    const int64_t end = int64_t(channel.endMs) * channel.bytesPerSecond / 1000;
    const int64_t align = blockAlign(channel);
    const uint8_t silence = silenceByte(channel);
    uint8_t* staging = channel.staging.data();

    std::optional<OggStream> ogg;
    if (channel.format == SoundFormat::Ogg) {
        ogg.emplace(channel);
        if (!ogg->open()) return kOggFillOpenFailed;
        if (ov_pcm_seek(ogg->file(), channel.sourcePosition) != 0) return kOggFillSeekFailed;
    }

    int64_t carried = std::clamp<int64_t>(channel.carryBytes, 0, kPiece);
    std::memcpy(staging, channel.carry.data(), size_t(carried));
    int64_t filled = carried;
    int64_t produced = 0;
    // Wraps that gave nothing since: a loop too short to yield a piece would
    // otherwise wrap for ever.
    int emptyWraps = 0;
    while (filled < half) {
        if (channel.silenceBytes > 0) {
            int64_t n = std::min<int64_t>(channel.silenceBytes, half - filled);
            std::memset(staging + filled, silence, size_t(n));
            channel.silenceBytes -= n;
            filled += n;
            produced += n;
            emptyWraps = 0;
            continue;
        }
        int64_t position = channel.decodedBytes + produced;
        int64_t piece = position + kPiece >= end ? roundDown(end - position, align) : kPiece;
        int64_t got = 0;
        if (ogg) {
            if (piece >= kOggSmallestRead) {
                got = ogg->read(staging + filled, int(piece));
                if (got < 0) {
                    channel.staging = {};
                    return int(got);  // the handle closes as it goes
                }
            }
        } else {
            got = copyWav(channel, staging + filled, piece);
        }
        filled += got;
        produced += got;
        if (got > 0) {
            emptyWraps = 0;
            continue;
        }
        // The end position or the end of the data: the last play-through
        // ends in silence, any other wraps to the loop start.
        if (channel.loopsLeft == 1 || ++emptyWraps > 1) {
            std::memset(staging + filled, silence, size_t(half - filled));
            filled = half;
            break;
        }
        if (channel.loopsLeft > 0) --channel.loopsLeft;
        if (channel.loopStartMs >= channel.endMs) channel.loopStartMs = 0;
        if (int code = seekWith(channel, channel.loopStartMs, ogg ? &*ogg : nullptr, kOggLoopSeekFailed); code < 0)
            return code;
        produced = 0;
    }
    channel.decodedBytes += produced;
    if (ogg) {
        channel.sourcePosition = ov_pcm_tell(ogg->file());
        ogg->close();
    }
    channel.carryBytes = int32_t(filled - half);
    if (channel.carryBytes > 0) std::memcpy(channel.carry.data(), staging + half, size_t(channel.carryBytes));
    return writeHalf(channel, half);
}

void closeSource(SoundChannel& channel, bool releaseFile) {
    if (channel.buffer) channel.buffer->stop();
    channel.buffer.reset();
    channel.staging = {};
    channel.carry = {};
    channel.carryBytes = 0;
    if (!releaseFile) return;
    channel.fileData = {};
    channel.hasFile = false;
    channel.readPosition = 0;
    channel.pcmOffset = 0;
    channel.pcmBytes = 0;
}

}  // namespace vr
