// What the two source formats share with the format-independent streaming
// in sound_source.cc: the layout an opening finds, the WAV chunk walk, and
// an Ogg Vorbis handle reading the channel's file data from memory.
#pragma once

#include <cstddef>
#include <cstdint>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/sound_device.h"
#include "sound/sound_channel.h"

namespace vr {

struct SourceLayout {
    platform::PcmFormat pcm;
    int64_t totalMs = 0;
    uint32_t pcmOffset = 0;  // WAV: the PCM data within the file
    uint32_t pcmBytes = 0;
};

// One walk over the RIFF chunks of a WAV file; 0 or a WAV refusal code.
int readWavLayout(const uint8_t* file, size_t size, SourceLayout& layout);

// A vorbisfile handle on the channel's file data, through the in-memory
// reader whose position is channel.readPosition.  Closed when it goes.
class OggStream {
public:
    explicit OggStream(SoundChannel& channel) : channel_(channel) {}
    ~OggStream() { close(); }
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;

    // Rewinds the reader and opens the stream.
    bool open();
    void close();
    OggVorbis_File* file() { return &file_; }
    // At most `bytes` of 16-bit signed little-endian interleaved PCM; the
    // bytes given, 0 at the end, or a negative code.
    int read(uint8_t* out, int bytes);

private:
    SoundChannel& channel_;
    OggVorbis_File file_{};
    bool open_ = false;
};

// Opens the channel's data as Ogg Vorbis to learn its layout; 0 or an Ogg
// refusal code.  The handle is closed again before it returns.
int readOggLayout(SoundChannel& channel, SourceLayout& layout);

}  // namespace vr
