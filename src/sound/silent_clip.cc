// The keep-alive channel plays this clip endlessly at a level too low to
// hear, so the device never falls idle between the game's own sounds.
#include "common/bytes.h"
#include "sound/sound_source.h"

namespace vr {

std::vector<uint8_t> silentClip() {
    constexpr uint32_t kFrames = 468;
    constexpr uint32_t kBlockAlign = 4;
    constexpr uint32_t kDataBytes = kFrames * kBlockAlign;
    constexpr uint32_t kHeaderBytes = 58;  // RIFF form, "fmt ", "fact" and the "data" chunk's header
    std::vector<uint8_t> clip(kHeaderBytes + kDataBytes, 0);
    uint8_t* p = clip.data();
    auto id = [&p](const char* text) {
        for (int i = 0; i < 4; ++i) *p++ = uint8_t(text[i]);
    };
    auto u16 = [&p](uint16_t v) {
        storeLe16(p, v);
        p += 2;
    };
    auto u32 = [&p](uint32_t v) {
        storeLe32(p, v);
        p += 4;
    };
    id("RIFF");
    u32(uint32_t(clip.size()) - 8);
    id("WAVE");
    id("fmt ");
    u32(18);
    u16(1);  // PCM
    u16(2);
    u32(44100);
    u32(44100 * kBlockAlign);
    u16(kBlockAlign);
    u16(16);
    u16(0);
    id("fact");
    u32(4);
    u32(kFrames);
    id("data");
    u32(kDataBytes);
    return clip;
}

}  // namespace vr
