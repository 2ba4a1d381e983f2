#include "common/key_names.h"

#include <string>

namespace vr {

namespace {

struct NamedKey {
    const char* name;
    uint8_t key;
};

// One name per key first (what keyName gives), then other spellings.
constexpr NamedKey kPseudoNames[] = {
    {"any", 0},       {"mouse.left", 1}, {"mouse.right", 2}, {"cancel", 3},
    {"mouse.middle", 4}, {"wheel.up", 5}, {"wheel.down", 6},  {"mouse.move", 7},
};

constexpr NamedKey kKeyNames[] = {
    {"backspace", 8},  {"tab", 9},         {"return", 13},     {"shift", 16},      {"control", 17},
    {"alt", 18},       {"pause", 19},      {"escape", 27},     {"space", 32},      {"pageup", 33},
    {"pagedown", 34},  {"end", 35},        {"home", 36},       {"left", 37},       {"up", 38},
    {"right", 39},     {"down", 40},       {"printscreen", 44}, {"insert", 45},    {"delete", 46},
    {"help", 47},      {"multiply", 106},  {"add", 107},       {"separator", 108}, {"subtract", 109},
    {"decimal", 110},  {"divide", 111},    {"numlock", 144},   {"scrolllock", 145}, {"lshift", 160},
    {"rshift", 161},   {"lcontrol", 162},  {"rcontrol", 163},  {"lalt", 164},      {"ralt", 165},
    {"semicolon", 186}, {"equals", 187},   {"comma", 188},     {"minus", 189},     {"period", 190},
    {"slash", 191},    {"grave", 192},     {"leftbracket", 219}, {"backslash", 220}, {"rightbracket", 221},
    {"quote", 222},    {"oem102", 226},
};

constexpr NamedKey kOtherSpellings[] = {
    {"back", 8},      {"enter", 13},    {"ctrl", 17},     {"menu", 18},     {"esc", 27},
    {"prior", 33},    {"next", 34},     {"pgup", 33},     {"pgdn", 34},     {"snapshot", 44},
    {"ins", 45},      {"del", 46},      {"lctrl", 162},   {"rctrl", 163},   {"plus", 187},
    {"backquote", 192}, {"apostrophe", 222},
};

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Digits, letters, keypad digits and F keys are runs: "digit0"-"digit9",
// "a"-"z", "num0"-"num9", "f1"-"f24".  A digit key has a word for a name,
// so that a bare number can only be a key number.
int runKey(const std::string& n) {
    if (n.size() == 6 && n.compare(0, 5, "digit") == 0 && n[5] >= '0' && n[5] <= '9') return n[5];
    if (n.size() == 1 && n[0] >= 'a' && n[0] <= 'z') return 'A' + (n[0] - 'a');
    if (n.size() == 4 && n.compare(0, 3, "num") == 0 && n[3] >= '0' && n[3] <= '9') return 96 + (n[3] - '0');
    if ((n.size() == 2 || n.size() == 3) && n[0] == 'f') {
        int f = 0;
        for (size_t i = 1; i < n.size(); ++i) {
            if (n[i] < '0' || n[i] > '9') return -1;
            f = f * 10 + (n[i] - '0');
        }
        if (n[1] != '0' && f >= 1 && f <= 24) return 111 + f;
    }
    return -1;
}

}  // namespace

const std::array<uint8_t, kSampledKeyCount> kSampledKeys = [] {
    std::array<uint8_t, kSampledKeyCount> keys{};
    size_t n = 0;
    auto add = [&](int first, int last) {
        for (int k = first; k <= last; ++k) keys[n++] = uint8_t(k);
    };
    for (int k : {8, 9, 13, 16, 17, 18, 19, 27}) add(k, k);
    add(32, 40);
    add(44, 57);
    add(65, 90);
    add(96, 135);
    add(144, 145);
    add(160, 165);
    add(186, 192);
    add(219, 222);
    add(226, 226);
    return keys;
}();

KeyMap defaultKeyMap() {
    KeyMap map;
    map.fill(kNoKey);
    for (int k = 0; k < kPseudoKeys; ++k) map[size_t(k)] = uint8_t(k);
    for (int i = 0; i < kSampledKeyCount; ++i) map[size_t(kPseudoKeys + i)] = kSampledKeys[size_t(i)];
    return map;
}

int keyByName(std::string_view name) {
    std::string n = lower(name);
    if (int k = runKey(n); k >= 0) return k;
    for (const NamedKey& k : kKeyNames)
        if (n == k.name) return k.key;
    for (const NamedKey& k : kOtherSpellings)
        if (n == k.name) return k.key;
    return -1;
}

const char* keyName(int key) {
    static const std::array<std::string, 256> runs = [] {
        std::array<std::string, 256> names;
        for (int k = '0'; k <= '9'; ++k) names[size_t(k)] = "digit" + std::string(1, char(k));
        for (int k = 'A'; k <= 'Z'; ++k) names[size_t(k)] = std::string(1, char(k - 'A' + 'a'));
        for (int k = 0; k <= 9; ++k) names[size_t(96 + k)] = "num" + std::to_string(k);
        for (int f = 1; f <= 24; ++f) names[size_t(111 + f)] = "f" + std::to_string(f);
        return names;
    }();
    if (key < 0 || key > 255) return nullptr;
    for (const NamedKey& k : kPseudoNames)
        if (k.key == key) return k.name;
    for (const NamedKey& k : kKeyNames)
        if (k.key == key) return k.name;
    return runs[size_t(key)].empty() ? nullptr : runs[size_t(key)].c_str();
}

}  // namespace vr
