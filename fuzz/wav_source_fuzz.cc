// Arbitrary bytes as a WAV sound: the chunk walk, seeking and the copies of
// the refills meet hostile sizes and formats.
#include "sound_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vr::fuzz::playSound(data, size, vr::SoundFormat::Wav, "fuzz.wav");
    return 0;
}
