// The keys of the input state: which keyboard keys are sampled, the pseudo
// keys of the mouse, the names authors write for them, and the key map
// behind the key variables of the scripts.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vr {

// Pseudo keys ahead of the keyboard's: any keyboard key, the mouse buttons,
// the wheel and movement.
constexpr int kKeyAny = 0, kKeyMouseLeft = 1, kKeyMouseRight = 2, kKeyCancel = 3, kKeyMouseMiddle = 4,
              kKeyWheelUp = 5, kKeyWheelDown = 6, kKeyMouseMoved = 7;
constexpr int kPseudoKeys = 8;

// The keyboard keys sampled every frame, in the order they are advanced.
constexpr int kSampledKeyCount = 117;
extern const std::array<uint8_t, kSampledKeyCount> kSampledKeys;

// The key map: the variables of the key counters, the press counts and the
// key numbers each have one slot per entry; slot i names the key map[i].
// Filled at start-up with the pseudo keys and then the sampled keys; the
// rest name a number no key has.
constexpr int kKeySlots = 129;
constexpr uint8_t kNoKey = 255;
using KeyMap = std::array<uint8_t, kKeySlots>;
KeyMap defaultKeyMap();

// The key number of a name ("space", "a", "digit1", "f12", "lshift"...), ignoring case;
// -1 for a name no key has.  Only keyboard keys have names here.
int keyByName(std::string_view name);
// The name of a key or pseudo key ("space", "mouse.left"), or null.
const char* keyName(int key);

}  // namespace vr
