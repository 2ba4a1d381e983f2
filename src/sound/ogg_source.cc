// Ogg Vorbis through vorbisfile, reading the file data in memory.  A handle
// lives only as long as one opening, seek or refill: between refills a
// channel holds nothing of the decoder.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "sound/sound_source.h"
#include "sound/source_formats.h"

namespace vr {

namespace {

uint32_t fileSize(const SoundChannel& channel) {
    return uint32_t(std::min<size_t>(channel.fileData.size(), UINT32_MAX));
}

size_t readMemory(void* out, size_t size, size_t count, void* source) {
    auto& channel = *static_cast<SoundChannel*>(source);
    uint32_t total = fileSize(channel);
    if (channel.readPosition >= total) return 0;
    size_t wanted = count != 0 && size > SIZE_MAX / count ? SIZE_MAX : size * count;
    size_t n = std::min<size_t>(wanted, total - channel.readPosition);
    std::memcpy(out, channel.fileData.data() + channel.readPosition, n);
    channel.readPosition += uint32_t(n);
    return n;
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto& channel = *static_cast<SoundChannel*>(source);
    int64_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = channel.readPosition; break;
    case SEEK_END: base = fileSize(channel); break;
    default: return -1;
    }
    // A position before the start or beyond what the reader can count is
    // refused rather than wrapped.
    if (offset < -base || offset > int64_t(UINT32_MAX) - base) return -1;
    channel.readPosition = uint32_t(base + offset);
    return 0;
}

int closeMemory(void*) { return 1; }

long tellMemory(void* source) { return long(static_cast<SoundChannel*>(source)->readPosition); }

constexpr ov_callbacks kMemoryReader = {readMemory, seekMemory, closeMemory, tellMemory};

}  // namespace

bool OggStream::open() {
    close();
    channel_.readPosition = 0;
    open_ = ov_open_callbacks(&channel_, &file_, nullptr, 0, kMemoryReader) == 0;
    return open_;
}

void OggStream::close() {
    if (open_) ov_clear(&file_);
    open_ = false;
}

int OggStream::read(uint8_t* out, int bytes) {
    int section = 0;
    long got = ov_read(&file_, reinterpret_cast<char*>(out), bytes, 0, 2, 1, &section);
    if (got == OV_HOLE) return kOggHole;
    if (got == OV_EBADLINK) return kOggBadLink;
    return int(got);
}

int readOggLayout(SoundChannel& channel, SourceLayout& layout) {
    OggStream stream(channel);
    if (!stream.open()) return kOggOpenFailed;
    OggVorbis_File* file = stream.file();
    if (!ov_seekable(file)) return kOggNotSeekable;
    if (ov_streams(file) != 1) return kOggChained;
    const vorbis_info* info = ov_info(file, -1);
    if (!info) return kOggNoInfo;
    // A length no clock of ours could count is a stream without usable
    // information.
    double seconds = ov_time_total(file, -1);
    if (!(seconds >= 0.0 && seconds < 1e12)) return kOggNoInfo;
    if (info->rate < 0 ||
        !platform::bufferTakes(uint32_t(info->channels), 16, uint32_t(std::min<long>(info->rate, UINT32_MAX))))
        return kOggBufferFailed;

    layout.totalMs = int64_t(std::trunc(seconds * 1000.0));
    layout.pcm.channels = uint16_t(info->channels);
    layout.pcm.bitsPerSample = 16;
    layout.pcm.sampleRate = uint32_t(info->rate);
    return 0;
}

}  // namespace vr
