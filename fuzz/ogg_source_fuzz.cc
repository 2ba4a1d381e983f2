// Arbitrary bytes as an Ogg Vorbis sound, read by vorbisfile through the
// in-memory reader: opening, seeks, and refills that reopen the stream and
// seek it by sample for every half.
#include "sound_fuzz.h"

// libvorbisfile 1.3.7 loses the serial number list of a chained link whose
// headers fail to read, inside ov_open_callbacks' own failure path (a plain
// C program opening the same bytes loses the same 8 bytes).  Only that
// library's leaks are let through.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vr::fuzz::playSound(data, size, vr::SoundFormat::Ogg, "fuzz.ogg");
    return 0;
}
