// The font settings (slot 21) and font query (slot 22) commands.
#include <algorithm>
#include <string>

#include "common/command_ids.h"
#include "common/sjis.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "graphics/graphics.h"
#include "graphics/message/message_commands.h"
#include "graphics/text/font_list.h"
#include "graphics/text/glyph.h"
#include "script/arguments.h"
#include "script/script_state.h"
#include "script/value_operators.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace font_set = arg::font_set;
namespace font_query = arg::font_query;

constexpr int64_t kColourLimit = 0xFFFFFF, kSwitchLimit = 1, kSizeLimit = 256;

// A 1-based font number as a list index; -1 after 101010 or 101240.
int fontIndexOf(uint8_t code, int id, int64_t number) {
    if (number < 1) {
        reportScriptErrorArgs(101010, true, commandName(code), argumentName(code, id), number, 1);
        return -1;
    }
    if (number > fontCount()) {
        reportScriptErrorArgs(101240, true, number, fontCount());
        return -1;
    }
    return int(number - 1);
}

// The stored value combined with the argument by its relative operator,
// kept within 0 and the limit (a set takes the checked value as it is).
int64_t combined(int id, int64_t stored, int64_t limit) {
    const ArgumentValue* a = argument(id);
    return applyBoundedOperator(a->relative, stored, a->integer, 0, limit);
}

// Arguments 3 to 9 into the current slot, and into the running message
// when the slot is the message slot.  The slot's switches and sizes are
// also the ones the drawing command's text path uses.
void setSlotAttributes() {
    Graphics& g = graphics();
    FontList& fonts = g.text.fonts;
    size_t slot = size_t(fonts.currentSlot);
    FontSlotAttributes& a = g.messageWindow.slots[slot];
    if (hasArgument(font_set::kAntiAlias)) a.antiAlias = uint8_t(argumentInteger(font_set::kAntiAlias));
    if (hasArgument(font_set::kTopColour)) a.topColour = uint32_t(combined(font_set::kTopColour, a.topColour, kColourLimit));
    if (hasArgument(font_set::kBottomColour)) a.bottomColour = uint32_t(combined(font_set::kBottomColour, a.bottomColour, kColourLimit));
    if (hasArgument(font_set::kWriteMode)) a.writeMode = int8_t(combined(font_set::kWriteMode, a.writeMode, kSwitchLimit));
    if (hasArgument(font_set::kSize)) a.glyphSize = int32_t(combined(font_set::kSize, a.glyphSize, kSizeLimit));
    if (hasArgument(font_set::kLineHeight)) a.lineHeight = int32_t(combined(font_set::kLineHeight, a.lineHeight, kSizeLimit));
    if (hasArgument(font_set::kBold)) a.bold = int8_t(combined(font_set::kBold, a.bold, kSwitchLimit));

    fonts.slotAntiAlias[slot] = int8_t(a.antiAlias);
    fonts.slotBold[slot] = a.bold;
    fonts.slotSize[slot] = a.glyphSize;
    fonts.slotCellWidth[slot] = a.glyphSize;
    fonts.slotCellHeight[slot] = a.lineHeight;
    if (slot != size_t(kMessageSlot)) return;
    // Only what the command changed: the message keeps its own starting
    // values (a bottom colour without gradient) until then.
    MessageTextState& m = g.text.message;
    if (hasArgument(font_set::kAntiAlias)) m.antiAlias = a.antiAlias;
    if (hasArgument(font_set::kTopColour)) m.topColour = a.topColour;
    if (hasArgument(font_set::kBottomColour)) m.bottomColour = a.bottomColour;
    if (hasArgument(font_set::kWriteMode)) m.writeMode = a.writeMode;
    if (hasArgument(font_set::kSize)) m.glyphSize = a.glyphSize;
    if (hasArgument(font_set::kLineHeight)) m.lineHeight = a.lineHeight;
    if (hasArgument(font_set::kBold)) m.bold = a.bold;
}

int applyFontSettings() {
    if (hasArgument(font_set::kSlot)) {
        int64_t slot = argumentInteger(font_set::kSlot);
        if (slot < 0 || slot >= kFontSlots) {
            reportArgumentOutOfRange(cmd::kFontSet, font_set::kSlot, slot, 0, kFontSlots - 1);
            return -1;
        }
        selectFontSlot(int(slot));
    }
    if (hasArgument(font_set::kFont)) {
        int index = fontIndexOf(cmd::kFontSet, font_set::kFont, argumentInteger(font_set::kFont));
        if (index < 0) return -1;
        setSlotFont(index);
    }
    if (hasArgument(font_set::kFontName)) setSlotFontByName(argumentText(font_set::kFontName));
    setSlotAttributes();
    return 0;
}

// The font a query names by argument 0, else the current slot's; -1 after
// a report.
int queriedFont() {
    if (!hasArgument(font_query::kFont)) return slotFontIndex();
    return fontIndexOf(cmd::kFontQuery, font_query::kFont, argumentInteger(font_query::kFont));
}

// Rasterises the first character of argument 15 as the message would draw
// it; false after a report.  An empty text has no glyph.
bool queriedGlyph(GlyphImage& glyph) {
    std::string_view text = argumentText(font_query::kText);
    if (text.empty()) return true;
    const MessageTextState& m = graphics().text.message;
    return rasterizeGlyph(text.substr(0, sjis::charLength(text, 0)), m.glyphSize, m.bold != 0, m.antiAlias != 0,
                          glyph) >= 0;
}

bool flagged(int id) { return hasArgument(id) && argumentInteger(id) == 1; }

}  // namespace

int FontSet() {
    if (evaluateArguments(cmd::kFontSet) < 0) return -1;
    int status = applyFontSettings();
    // Other commands draw with the message slot unless they choose another.
    selectFontSlot(kMessageSlot);
    return status;
}

int FontQuery() {
    if (evaluateArguments(cmd::kFontQuery) < 0) return -1;
    const ArgumentValue* result = argument(font_query::kResult);
    if (!result) return 0;
    uint32_t number = result->variable;
    int64_t element = result->element;
    auto answer = [&](int64_t v) { return setNumber(number, element, v) < 0 ? -1 : 0; };
    const MessageTextState& m = graphics().text.message;
    if (hasArgument(font_query::kAntiAlias)) return answer(m.antiAlias);
    if (hasArgument(font_query::kTopColour)) return answer(m.topColour);
    if (hasArgument(font_query::kBottomColour)) return answer(m.bottomColour);
    if (hasArgument(font_query::kWriteMode)) return answer(m.writeMode);
    if (hasArgument(font_query::kSize)) return answer(m.glyphSize);
    if (hasArgument(font_query::kLineHeight)) return answer(m.lineHeight);
    if (hasArgument(font_query::kBold)) return answer(m.bold);
    if (flagged(font_query::kFontCount)) return answer(fontCount());
    if (hasArgument(font_query::kCharWidth) || hasArgument(font_query::kCharHeight)) {
        GlyphImage glyph;
        if (!queriedGlyph(glyph)) return -1;
        return answer(hasArgument(font_query::kCharWidth) ? glyph.advance : glyph.inkHeight);
    }
    if (flagged(font_query::kFontName)) {
        int font = queriedFont();
        if (font < 0 && hasArgument(font_query::kFont)) return -1;
        return setString(number, element, fontName(font)) < 0 ? -1 : 0;
    }
    if (flagged(font_query::kNonJapanese)) {
        int font = queriedFont();
        if (font < 0 && hasArgument(font_query::kFont)) return -1;
        return answer(std::max(0, fontNonJapaneseScript(font)));
    }
    return answer(0);
}

}  // namespace vr
