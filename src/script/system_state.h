// Engine values that scripts reach only through system variables so far,
// and the engine's random generator.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>

namespace vr {

// Default roots of object paths, by family (variables 74 to 77).
enum DefaultRoot : int { kRootObjects = 0, kRootThreads = 1, kRootMenus = 2, kRootSounds = 3 };

struct SystemState {
    // 68 and 69: the two texts of the message text state.  They live here
    // until the message window takes them over.
    std::string messageText1, messageText2;
    // A bare object name lands in the main window's root container and a
    // bare sound name below the sound tree's "ROOT" node; threads and menus
    // are named from their tree's root.
    std::array<std::string, 4> defaultRoots{"W0", "", "", "ROOT"};
    std::string saveFolder = "save\\";  // 57

    // Values assigned to the window-procedure rows (15, 65-67, 78, 91, 92),
    // read back as stored until the window code owns them.  Keyed by
    // variable number and element (always 0: these rows ignore it).
    std::map<std::pair<uint32_t, int64_t>, int64_t> pendingWrites;

    // MT19937 with the standard initialisation; every random draw of the
    // engine takes its next output.  Seeded once from the millisecond clock
    // value that start-up took (ShellState::randomSeedClock).
    std::mt19937 random;
    bool randomSeeded = false;
};

}  // namespace vr
