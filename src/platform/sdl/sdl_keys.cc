// Keys as Windows virtual-key numbers, the numbers the scripts use.  A key
// is known by where it sits on the keyboard (its scancode), as on a US
// layout; only letters follow the user's layout, as Windows letter codes do.
#include "platform/sdl/sdl_platform.h"

namespace vr::platform {
namespace {

constexpr int kVkShift = 16, kVkControl = 17, kVkMenu = 18;
constexpr int kVkLeftShift = 160, kVkRightShift = 161, kVkLeftControl = 162, kVkRightControl = 163,
              kVkLeftMenu = 164, kVkRightMenu = 165;

struct ScancodeKey {
    SDL_Scancode scancode;
    uint8_t key;
};

// Scancodes with a number of their own; the runs (letters, digits, F keys,
// keypad digits) are computed below.
constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_RETURN, 13},       {SDL_SCANCODE_ESCAPE, 27},      {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},           {SDL_SCANCODE_SPACE, 32},       {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_EQUALS, 187},      {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_BACKSLASH, 220},   {SDL_SCANCODE_NONUSHASH, 220},  {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_APOSTROPHE, 222},  {SDL_SCANCODE_GRAVE, 192},      {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_PERIOD, 190},      {SDL_SCANCODE_SLASH, 191},      {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_PRINTSCREEN, 44},  {SDL_SCANCODE_SCROLLLOCK, 145}, {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_INSERT, 45},       {SDL_SCANCODE_HOME, 36},        {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_DELETE, 46},       {SDL_SCANCODE_END, 35},         {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RIGHT, 39},        {SDL_SCANCODE_LEFT, 37},        {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_UP, 38},           {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_MINUS, 109},   {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_ENTER, 13},     {SDL_SCANCODE_KP_0, 96},        {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_COMMA, 108},    {SDL_SCANCODE_NONUSBACKSLASH, 226}, {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_MENU, 93},         {SDL_SCANCODE_SELECT, 41},      {SDL_SCANCODE_EXECUTE, 43},
    {SDL_SCANCODE_HELP, 47},         {SDL_SCANCODE_SYSREQ, 44},      {SDL_SCANCODE_CANCEL, 3},
    {SDL_SCANCODE_CLEAR, 12},        {SDL_SCANCODE_MUTE, 173},       {SDL_SCANCODE_VOLUMEDOWN, 174},
    {SDL_SCANCODE_VOLUMEUP, 175},    {SDL_SCANCODE_SLEEP, 95},
    // Japanese keyboards: ろ, ¥, 変換, 無変換, カタカナ/ひらがな.
    {SDL_SCANCODE_INTERNATIONAL1, 226}, {SDL_SCANCODE_INTERNATIONAL3, 220}, {SDL_SCANCODE_INTERNATIONAL4, 28},
    {SDL_SCANCODE_INTERNATIONAL5, 29},  {SDL_SCANCODE_INTERNATIONAL2, 21},  {SDL_SCANCODE_LANG1, 21},
    {SDL_SCANCODE_LANG2, 25},
    {SDL_SCANCODE_LCTRL, kVkLeftControl}, {SDL_SCANCODE_LSHIFT, kVkLeftShift}, {SDL_SCANCODE_LALT, kVkLeftMenu},
    {SDL_SCANCODE_RCTRL, kVkRightControl}, {SDL_SCANCODE_RSHIFT, kVkRightShift},
    {SDL_SCANCODE_RALT, kVkRightMenu},   {SDL_SCANCODE_LGUI, 91},        {SDL_SCANCODE_RGUI, 92},
};

struct KeyTable {
    std::array<uint8_t, SDL_NUM_SCANCODES> byScancode{};
    KeyTable() {
        for (int i = 0; i < 26; ++i) byScancode[SDL_SCANCODE_A + i] = uint8_t('A' + i);
        for (int i = 0; i < 9; ++i) byScancode[SDL_SCANCODE_1 + i] = uint8_t('1' + i);
        byScancode[SDL_SCANCODE_0] = '0';
        for (int i = 0; i < 12; ++i) byScancode[SDL_SCANCODE_F1 + i] = uint8_t(112 + i);
        for (int i = 0; i < 12; ++i) byScancode[SDL_SCANCODE_F13 + i] = uint8_t(124 + i);
        for (int i = 0; i < 9; ++i) byScancode[SDL_SCANCODE_KP_1 + i] = uint8_t(97 + i);
        for (const ScancodeKey& k : kScancodeKeys) byScancode[k.scancode] = k.key;
    }
};

const KeyTable& keyTable() {
    static const KeyTable table;
    return table;
}

}  // namespace

int virtualKeyOf(SDL_Scancode scancode, SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return keyTable().byScancode[size_t(scancode)];
}

int eventVirtualKey(SDL_Scancode scancode, SDL_Keycode key) {
    // Window messages name a modifier by its generic number.
    switch (int vk = virtualKeyOf(scancode, key)) {
    case kVkLeftShift: case kVkRightShift: return kVkShift;
    case kVkLeftControl: case kVkRightControl: return kVkControl;
    case kVkLeftMenu: case kVkRightMenu: return kVkMenu;
    default: return vk;
    }
}

void SdlPlatform::keyboardState(KeyboardState& state) {
    state.fill(0);
    int count = 0;
    const uint8_t* keys = SDL_GetKeyboardState(&count);
    for (int sc = 0; keys && sc < count && sc < SDL_NUM_SCANCODES; ++sc) {
        if (!keys[sc]) continue;
        auto scancode = SDL_Scancode(sc);
        int vk = virtualKeyOf(scancode, SDL_GetKeyFromScancode(scancode));
        if (vk > 0) state[size_t(vk)] = kKeyDownBit;
    }
    auto either = [&](int generic, int left, int right) {
        if (state[size_t(left)] || state[size_t(right)]) state[size_t(generic)] = kKeyDownBit;
    };
    either(kVkShift, kVkLeftShift, kVkRightShift);
    either(kVkControl, kVkLeftControl, kVkRightControl);
    either(kVkMenu, kVkLeftMenu, kVkRightMenu);
    uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    if (buttons & SDL_BUTTON_LMASK) state[size_t(kMouseLeft)] = kKeyDownBit;
    if (buttons & SDL_BUTTON_RMASK) state[size_t(kMouseRight)] = kKeyDownBit;
    if (buttons & SDL_BUTTON_MMASK) state[size_t(kMouseMiddle)] = kKeyDownBit;
}

}  // namespace vr::platform
