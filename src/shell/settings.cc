#include "shell/settings.h"

#include "common/bytes.h"
#include "platform/platform.h"
#include "shell/engine.h"

namespace vr {

namespace {

// A flag takes the word only when the word is exactly 0 or 1.
void takeFlag(bool& flag, uint32_t word) {
    if (word == 0 || word == 1) flag = word == 1;
}

}  // namespace

Settings settingsFromWords(const uint32_t* words, size_t count) {
    Settings s;
    for (size_t i = 0; i < count && i < kSettingsWords; ++i) s.words[i] = words[i];
    // Words the file does not hold keep their defaults.
    auto word = [&](size_t i) { return i < count ? s.words[i] : 2u; };
    takeFlag(s.movieFlag, word(0));
    takeFlag(s.kernelSet1, word(2));
    takeFlag(s.kernelSet2, word(3));
    takeFlag(s.multipleWorkers, word(4));
    takeFlag(s.createDirectDraw, word(5));
    return s;
}

void readSettings() {
    uint32_t words[kSettingsWords] = {};
    size_t count = 0;
    platform::File f;
    if (f.open(kSettingsFileName, platform::OpenMode::Read)) {
        uint8_t raw[kSettingsWords * 4];
        int64_t got = f.read(raw, sizeof raw);
        if (got > 0) {
            count = size_t(got) / 4;
            ByteReader r(raw, size_t(got));
            for (size_t i = 0; i < count; ++i) words[i] = r.u32();
        }
    }
    core().run.settings = settingsFromWords(words, count);
    core().run.settings.present = count > 0;
    if (!core().run.settings.multipleWorkers) core().workers.maxWorkers = 1;
}

}  // namespace vr
