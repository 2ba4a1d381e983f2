// vrcfg.dat, the settings file written by the settings tool: 32 unsigned
// 32-bit words, read once at start-up from the game folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/core.h"

namespace vr {

constexpr const char* kSettingsFileName = "vrcfg.dat";
constexpr size_t kSettingsWords = 32;

// Reads the file (an absent or short file leaves the missing words 0 and
// their flags at the default) into core().run.settings and applies the
// worker limit of word 4.
void readSettings();

// The flags of the words, from their raw values.
Settings settingsFromWords(const uint32_t* words, size_t count);

}  // namespace vr
