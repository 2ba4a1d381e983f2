// WAV files: one walk over the RIFF chunks finds the "fmt " chunk and the
// first "data" chunk after it.  Every size is checked against the file
// before it is used, so the PCM the streaming copies lies wholly inside it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/bytes.h"
#include "sound/sound_source.h"
#include "sound/source_formats.h"

namespace vr {

namespace {

constexpr uint16_t kPcmTag = 1;
// The longer "fmt " bodies add fields the buffer has no use for.
constexpr size_t kFmtFields = 18;
// Without its bits-per-sample field a "fmt " body is 14 bytes long.
constexpr uint32_t kShortestFmt = 14;

struct Chunk {
    uint64_t body = 0;
    uint64_t size = 0;
    bool found = false;
};

bool isId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// Walks the chunks of the RIFF form.  Chunks are padded to even lengths,
// and the walk ends at the form's own end or the file's, whichever comes
// first.  The "data" chunk counts only after the "fmt " chunk.
int findChunks(const uint8_t* file, uint64_t end, Chunk& fmt, Chunk& data) {
    uint64_t pos = 12;
    while (pos + 8 <= end) {
        Chunk chunk{pos + 8, loadLe32(file + pos + 4), true};
        bool fits = chunk.body + chunk.size <= end;
        if (!fmt.found && isId(file + pos, "fmt ")) {
            if (!fits) return kWavWalkFailed;
            fmt = chunk;
        } else if (fmt.found && isId(file + pos, "data")) {
            if (!fits) return kWavWalkFailed;
            data = chunk;
            return 0;
        } else if (!fits) {
            // A chunk on the way that runs past the end cannot be stepped over.
            return kWavAscentFailed;
        }
        pos = chunk.body + chunk.size + (chunk.size & 1);
    }
    return 0;
}

}  // namespace

int readWavLayout(const uint8_t* file, size_t size, SourceLayout& layout) {
    if (size < 12 || !isId(file, "RIFF")) return kWavNotRiff;
    if (!isId(file + 8, "WAVE")) return kWavNotWave;
    uint64_t end = std::min<uint64_t>(size, uint64_t(loadLe32(file + 4)) + 8);

    Chunk fmt, data;
    if (int code = findChunks(file, end, fmt, data); code < 0) return code;
    if (!fmt.found) return kWavNoFmt;
    if (!data.found) return kWavNoData;

    uint8_t fields[kFmtFields] = {};
    std::memcpy(fields, file + fmt.body, std::min<uint64_t>(fmt.size, kFmtFields));
    if (loadLe16(fields) != kPcmTag) return kWavNotPcm;
    if (fmt.size < kShortestFmt) return kWavWalkFailed;

    uint32_t channels = loadLe16(fields + 2);
    uint32_t rate = loadLe32(fields + 4);
    uint32_t blockAlign = loadLe16(fields + 12);
    uint32_t bits = fmt.size >= 16 ? loadLe16(fields + 14) : (channels ? blockAlign * 8 / channels : 0);
    // The buffer's frames are the file's frames: a block align that is not
    // channels x bytes per sample would shift the channels against each other.
    if (!platform::bufferTakes(channels, bits, rate) || blockAlign != channels * bits / 8) return kWavBufferFailed;

    layout.pcm.channels = uint16_t(channels);
    layout.pcm.bitsPerSample = uint16_t(bits);
    layout.pcm.sampleRate = rate;
    layout.pcmOffset = uint32_t(data.body);
    layout.pcmBytes = uint32_t(data.size);
    layout.totalMs = int64_t(std::trunc(double(layout.pcmBytes) / double(blockAlign * rate) * 1000.0));
    return 0;
}

}  // namespace vr
