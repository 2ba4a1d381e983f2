#include "graphics/text/text_output.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/pixel_set.h"
#include "graphics/text/glyph.h"
#include "script/script_state.h"

namespace vr {

namespace {

// Characters compared as two-byte Shift_JIS codes.
constexpr uint16_t kHanging[] = {
    0x829F, 0x82A1, 0x82A3, 0x82A5, 0x82A7,  // ぁ ぃ ぅ ぇ ぉ
    0x82E1, 0x82E3, 0x82E5, 0x82C1,          // ゃ ゅ ょ っ
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348,  // ァ ィ ゥ ェ ォ
    0x8383, 0x8385, 0x8387, 0x8362,          // ャ ュ ョ ッ
    0x8142, 0x8141, 0x8176, 0x8178, 0x816A,  // 。 、 」 』 ）
};
constexpr uint16_t kNeverEnding[] = {0x8175, 0x8177, 0x8169};  // 「 『 （
constexpr uint16_t kExclamation = 0x8149;                        // ！
constexpr uint16_t kQuestion = 0x8148;                           // ？

// The line-breaking margin, in pixels.
constexpr int64_t kMargin = 2;

template <size_t N>
bool contains(const uint16_t (&set)[N], uint16_t code) {
    return std::find(std::begin(set), std::end(set), code) != std::end(set);
}

MessageTextState& message() { return graphics().text.message; }

int entryLimit(const MessageTextState& m) { return std::clamp(int(m.entryCount), 0, kMessageEntries); }
int textEnd(const MessageTextState& m) { return std::clamp(int(m.textLength), 0, kMessageTextBytes); }

int charLength(char kind) { return kind == '2' ? 2 : 1; }

// The code of the double-byte character at byte `at`; 0 when there is none.
uint16_t codeAt(const MessageTextState& m, int at) {
    if (at < 0 || at + 2 > textEnd(m)) return 0;
    return uint16_t(uint8_t(m.text[size_t(at)]) << 8 | uint8_t(m.text[size_t(at) + 1]));
}

// Draws entry `entry`, whose bytes start at `at`, at the pen and moves the
// pen on by its advance.
void drawEntry(MessageTextState& m, int entry, int at) {
    if (!m.target) return;
    GlyphStyle style;
    style.topColour = m.topColours[size_t(entry)];
    style.bottomColour = m.bottomColours[size_t(entry)];
    style.size = m.widths[size_t(entry)];
    style.lineHeight = m.heights[size_t(entry)];
    style.bold = m.bolds[size_t(entry)] != 0;
    style.antiAlias = m.antiAlias != 0;
    style.writeMode = m.writeMode;
    style.slot = kMessageSlot;
    std::string_view bytes(m.text.data() + at, size_t(charLength(m.kinds[size_t(entry)])));
    int advance = drawGlyph(bytes, style, m.cursorX, m.cursorY, *m.target);
    if (advance > 0) m.cursorX += advance;
}

int finishText(MessageTextState& m) {
    m.pos = m.textLength;
    return -1;
}

int breakLine(MessageTextState& m, int64_t lineHeight, int64_t nextHeight, int64_t layerHeight) {
    m.cursorX = 0;
    m.cursorY += int32_t(lineHeight);
    if (m.cursorY + kMargin + nextHeight >= layerHeight) return finishText(m);
    return 0;
}

// True while the entry's delay has not passed since the last character was
// due.  The schedule moves by the delay, not to the present, so a late
// frame catches up instead of pushing every later character back.
bool mustWait(TextState& t, int delay) {
    if (t.instantDisplay || t.message.pos == 0) return false;
    delay = std::max(delay, 0);
    int64_t since = int64_t(core().platform.millis() - t.paceClock);
    if (since < delay) return true;
    t.paceClock += uint64_t(delay);
    return false;
}

void clearPage(MessageTextState& m) {
    m.cursorX = 0;
    m.cursorY = 0;
    if (!m.target || !m.target->layer) return;
    LayerRecord& layer = *m.target->layer;
    size_t bytes = std::min(layer.surface.pixels.size(), size_t(layer.width()) * layer.height() * 4);
    const pixel::PixelSet* set = graphics().scene.pixels;
    if (set)
        set->kernels.zeroFill(layer.pixels(), bytes);
    else
        std::memset(layer.pixels(), 0, bytes);
}

// A character entry.  False when the output must stop for this frame.
bool showCharacter(TextState& t, MessageTextState& m, bool& drew) {
    int index = m.index;
    int length = charLength(m.kinds[size_t(index)]);
    // Once the text is finished (or an entry would run past its bytes) no
    // character is left to draw, and none is waited for.
    if (m.pos < 0 || m.pos + length > textEnd(m)) {
        m.pos = m.textLength;
        return true;
    }
    if (mustWait(t, m.delays[size_t(index)])) return false;
    if (checkLineBreak(m.target) == 0) {
        drawEntry(m, index, m.pos);
        m.pos += length;
    }
    drew = true;
    return true;
}

}  // namespace

int checkLineBreak(ObjectNode* target) {
    MessageTextState& m = message();
    int count = entryLimit(m);
    int i = m.index;
    if (i < 0 || i >= count) return -1;
    const LayerRecord* layer = target ? target->layer : nullptr;
    int64_t width = layer ? int64_t(layer->width()) : 0, height = layer ? int64_t(layer->height()) : 0;
    int64_t x = m.cursorX, y = m.cursorY;
    int64_t w = m.widths[size_t(i)], h = m.heights[size_t(i)];
    int64_t nextHeight = i + 1 < count ? m.heights[size_t(i) + 1] : 0;
    bool doubleByte = m.kinds[size_t(i)] == '2';
    uint16_t code = doubleByte ? codeAt(m, m.pos) : 0;

    if (y + kMargin + nextHeight >= height) return finishText(m);
    if (x + kMargin + w >= width) return breakLine(m, h, nextHeight, height);
    if (x + kMargin + 2 * w >= width) {
        // The last cell of the line is kept for what may hang there.
        if (!doubleByte || !contains(kHanging, code)) return breakLine(m, h, nextHeight, height);
        drawEntry(m, i, m.pos);
        m.pos += 2;
        return -1;
    }
    if (x + kMargin + 4 * w < width || !doubleByte) return 0;
    // Fewer than four cells left.
    if (code == kExclamation && i + 1 < count && m.kinds[size_t(i) + 1] == '2' && codeAt(m, m.pos + 2) == kQuestion) {
        drawEntry(m, i, m.pos);
        drawEntry(m, i + 1, m.pos + 2);
        m.pos += 4;
        m.index = i + 1;
        return -1;
    }
    if (contains(kNeverEnding, code)) return breakLine(m, h, nextHeight, height);
    return 0;
}

void advanceText() {
    TextState& t = graphics().text;
    MessageTextState& m = t.message;
    bool drew = false;
    for (;;) {
        if (m.index < 0 || m.index >= entryLimit(m)) {
            t.instantDisplay = false;
            break;
        }
        if (m.restartClock) {
            m.restartClock = 0;
            t.paceClock = core().platform.millis();
        }
        char kind = m.kinds[size_t(m.index)];
        bool goOn = true;
        switch (kind) {
        case '1':
        case '2':
            goOn = showCharacter(t, m, drew);
            break;
        case 'C':
            m.waiting = 1;
            t.instantDisplay = false;
            goOn = false;
            break;
        case 'E':
            break;
        case 'P':
        case 'p':
            clearPage(m);
            drew = true;
            break;
        case 'R':
        case 'r':
            m.cursorX = 0;
            m.cursorY += m.heights[size_t(m.index)];
            break;
        default:
            // Stepping past the bad entry keeps a damaged message from
            // reporting again every frame and from holding its thread forever.
            reportError(900010, true);
            ++m.index;
            goOn = false;
            break;
        }
        if (!goOn) break;
        ++m.index;
    }
    if (drew && m.target) markForRedraw(*m.target);
}

}  // namespace vr
