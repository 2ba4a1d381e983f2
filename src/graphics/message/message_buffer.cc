#include "graphics/message/message_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/sjis.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "script/script_state.h"

namespace vr {

namespace {

MessageTextState& message() { return graphics().text.message; }

int16_t saturated16(int64_t v) {
    return int16_t(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

struct EntryValues {
    int16_t width = 0, height = 0, delay = 0;
    uint32_t topColour = 0, bottomColour = 0;
    int8_t bold = 0;
};

// The caller has made sure the entry fits.
void putEntry(MessageTextState& m, char kind, const EntryValues& v) {
    size_t i = size_t(m.entryCount);
    m.kinds[i] = kind;
    m.widths[i] = v.width;
    m.heights[i] = v.height;
    m.delays[i] = v.delay;
    m.topColours[i] = v.topColour;
    m.bottomColours[i] = v.bottomColour;
    m.bolds[i] = v.bold;
    ++m.entryCount;
    m.kinds[size_t(m.entryCount)] = 0;
}

EntryValues characterValues(const MessageTextState& m, bool doubleByte) {
    EntryValues v;
    v.width = saturated16(m.glyphSize);
    v.height = saturated16(m.lineHeight);
    // A single-byte character takes half the time of a double-byte one.
    v.delay = saturated16(doubleByte ? m.delay : m.delay / 2);
    v.topColour = m.topColour;
    v.bottomColour = m.bottomColour;
    v.bold = m.bold;
    return v;
}

bool printableByte(uint8_t b) { return b >= 0x20 && b < 0x7F; }

}  // namespace

bool roomForEntries(int count) {
    const MessageTextState& m = message();
    if (m.entryCount >= 0 && int64_t(m.entryCount) + count <= kMessageEntryLimit) return true;
    reportScriptError(102000, true);
    return false;
}

int appendMessageCharacters(std::string_view bytes, bool printable) {
    MessageTextState& m = message();
    if (m.textLength < 0 || int64_t(m.textLength) + int64_t(bytes.size()) > kMessageTextLimit) {
        reportScriptError(102000, true);
        return -1;
    }
    if (!roomForEntries(int(sjis::charCount(bytes)))) return -1;
    char* out = m.text.data() + m.textLength;
    for (size_t i = 0; i < bytes.size();) {
        size_t n = sjis::charLength(bytes, i);
        std::memcpy(out + i, bytes.data() + i, n);
        if (printable && n == 1 && !printableByte(uint8_t(bytes[i]))) out[i] = ' ';
        putEntry(m, n == 2 ? '2' : '1', characterValues(m, n == 2));
        i += n;
    }
    m.textLength += int32_t(bytes.size());
    m.text[size_t(m.textLength)] = 0;
    return 0;
}

int appendControlEntry(char kind, bool sized) {
    if (!roomForEntries(1)) return -1;
    MessageTextState& m = message();
    EntryValues v;
    if (sized) {
        v.width = saturated16(m.glyphSize);
        v.height = saturated16(m.lineHeight);
    }
    putEntry(m, kind, v);
    return 0;
}

}  // namespace vr
