// The input state as system variables.  Three blocks of the same shape
// follow each other: the key counters (93 on), the press counts (227 on) and
// the key map itself (361 on), one variable per key-map slot, each block
// followed by the rows of the game controllers.  Variable 90 reads the
// counters by table position, which is what the key map and the position
// variables (489 to 493) give.
#include "shell/engine.h"
#include "shell/input.h"

namespace vr {

namespace {

constexpr uint32_t kCountersByPosition = 90;
constexpr uint32_t kCounterSlots = 93, kCounterDirections = 222, kCounterButtons = 226;
constexpr uint32_t kPressSlots = 227, kPressDirections = 356, kPressButtons = 360;
constexpr uint32_t kMapSlots = 361, kMapEnd = 488;
constexpr int kDirections = 4, kButtons = 32;
constexpr uint32_t kPressSlotCount = 128;  // 355 is no slot of its own

enum class Table { None, Counter, PressCount, KeyMap };

struct Entry {
    Table table = Table::None;
    size_t index = 0;
};

Entry position(Table table, int64_t p) {
    if (p < 0 || p >= kInputTableSize) return {};
    return {table, size_t(p)};
}

Entry slot(Table table, uint32_t s) {
    if (s >= uint32_t(kKeySlots)) return {};
    return position(table, engine().input.keyMap[s]);
}

// Direction `d` (0 to 3) of the controller given by the element.
Entry direction(Table table, int d, int64_t device) {
    if (device < 0 || device >= kInputDevices) return {};
    return position(table, kKeyTableKeys + device * kDeviceEntries + d);
}

// Button element % 32 of the controller element / 32.
Entry button(Table table, int64_t element) {
    if (element < 0 || element >= int64_t(kInputDevices) * kButtons) return {};
    return position(table, kKeyTableKeys + (element / kButtons) * kDeviceEntries + kDirections + element % kButtons);
}

Entry entryOf(uint32_t n, int64_t element) {
    if (n == kCountersByPosition) return element >= 1 ? position(Table::Counter, element) : Entry{};
    if (n >= kCounterSlots && n < kCounterDirections) return slot(Table::Counter, n - kCounterSlots);
    if (n >= kCounterDirections && n < kCounterButtons)
        return direction(Table::Counter, int(n - kCounterDirections), element);
    if (n == kCounterButtons) return button(Table::Counter, element);
    if (n >= kPressSlots && n < kPressSlots + kPressSlotCount) return slot(Table::PressCount, n - kPressSlots);
    if (n >= kPressDirections && n < kPressButtons)
        return direction(Table::PressCount, int(n - kPressDirections), element);
    if (n == kPressButtons) return button(Table::PressCount, element);
    if (n >= kMapSlots && n <= kMapEnd) return {Table::KeyMap, size_t(n - kMapSlots)};
    return {};
}

}  // namespace

int64_t readInputVariable(uint32_t number, int64_t element) {
    const InputState& in = engine().input;
    Entry e = entryOf(number, element);
    switch (e.table) {
    case Table::Counter: return in.counter[e.index];
    case Table::PressCount: return int64_t(in.pressCount[e.index]);
    case Table::KeyMap: return in.keyMap[e.index];
    case Table::None: break;
    }
    return 0;
}

void writeInputVariable(uint32_t number, int64_t element, int64_t value) {
    InputState& in = engine().input;
    Entry e = entryOf(number, element);
    switch (e.table) {
    // A counter written takes the value; whether the key is down stays as
    // the samples made it, so a held key keeps counting from there.
    case Table::Counter: in.counter[e.index] = value; break;
    case Table::PressCount: in.pressCount[e.index] = uint64_t(value); break;
    // Key numbers are bytes: a slot takes the low 8 bits.
    case Table::KeyMap: in.keyMap[e.index] = uint8_t(value & 0xFF); break;
    case Table::None: break;
    }
}

}  // namespace vr
