// The font settings (slot 21) and font query (slot 22) commands.
#include <algorithm>
#include <string>

#include "common/sjis.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "script/script_state.h"
#include "graphics/message/message_commands.h"
#include "graphics/text/font_list.h"
#include "graphics/text/glyph.h"
#include "script/arguments.h"
#include "core/engine_files.h"
#include "script/value_operators.h"
#include "script/variables.h"

namespace vr {

namespace {

constexpr uint8_t kFontSetSlot = 21, kFontQuerySlot = 22;

// Argument ids of the settings command.
enum SetArgument {
    kSlot = 0, kFontNumber = 1, kFontName = 2, kAntiAlias = 3, kTopColour = 4, kBottomColour = 5, kWriteMode = 6,
    kGlyphSize = 7, kLineHeight = 8, kBold = 9,
};

// Argument ids of the query command.
enum QueryArgument {
    kQueryFont = 0, kAskName = 1, kAskAntiAlias = 2, kAskTopColour = 3, kAskBottomColour = 4, kAskWriteMode = 5,
    kAskGlyphSize = 6, kAskLineHeight = 7, kAskBold = 8, kAskFontCount = 9, kAskNonJapanese = 11,
    kAskCharWidth = 12, kAskCharHeight = 13, kQueryText = 15, kResult = 16,
};

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
    if (hasArgument(kAntiAlias)) a.antiAlias = uint8_t(argumentInteger(kAntiAlias));
    if (hasArgument(kTopColour)) a.topColour = uint32_t(combined(kTopColour, a.topColour, kColourLimit));
    if (hasArgument(kBottomColour)) a.bottomColour = uint32_t(combined(kBottomColour, a.bottomColour, kColourLimit));
    if (hasArgument(kWriteMode)) a.writeMode = int8_t(combined(kWriteMode, a.writeMode, kSwitchLimit));
    if (hasArgument(kGlyphSize)) a.glyphSize = int32_t(combined(kGlyphSize, a.glyphSize, kSizeLimit));
    if (hasArgument(kLineHeight)) a.lineHeight = int32_t(combined(kLineHeight, a.lineHeight, kSizeLimit));
    if (hasArgument(kBold)) a.bold = int8_t(combined(kBold, a.bold, kSwitchLimit));

    fonts.slotAntiAlias[slot] = int8_t(a.antiAlias);
    fonts.slotBold[slot] = a.bold;
    fonts.slotSize[slot] = a.glyphSize;
    fonts.slotCellWidth[slot] = a.glyphSize;
    fonts.slotCellHeight[slot] = a.lineHeight;
    if (slot != size_t(kMessageSlot)) return;
    // Only what the command changed: the message keeps its own starting
    // values (a bottom colour without gradient) until then.
    MessageTextState& m = g.text.message;
    if (hasArgument(kAntiAlias)) m.antiAlias = a.antiAlias;
    if (hasArgument(kTopColour)) m.topColour = a.topColour;
    if (hasArgument(kBottomColour)) m.bottomColour = a.bottomColour;
    if (hasArgument(kWriteMode)) m.writeMode = a.writeMode;
    if (hasArgument(kGlyphSize)) m.glyphSize = a.glyphSize;
    if (hasArgument(kLineHeight)) m.lineHeight = a.lineHeight;
    if (hasArgument(kBold)) m.bold = a.bold;
}

int applyFontSettings() {
    if (hasArgument(kSlot)) {
        int64_t slot = argumentInteger(kSlot);
        if (slot < 0 || slot >= kFontSlots) {
            reportScriptErrorArgs(101000, true, commandName(kFontSetSlot), argumentName(kFontSetSlot, kSlot), slot, 0,
                                  kFontSlots - 1);
            return -1;
        }
        selectFontSlot(int(slot));
    }
    if (hasArgument(kFontNumber)) {
        int index = fontIndexOf(kFontSetSlot, kFontNumber, argumentInteger(kFontNumber));
        if (index < 0) return -1;
        setSlotFont(index);
    }
    if (hasArgument(kFontName)) setSlotFontByName(argumentText(kFontName));
    setSlotAttributes();
    return 0;
}

// The font a query names by argument 0, else the current slot's; -1 after
// a report.
int queriedFont() {
    if (!hasArgument(kQueryFont)) return slotFontIndex();
    return fontIndexOf(kFontQuerySlot, kQueryFont, argumentInteger(kQueryFont));
}

// Rasterises the first character of argument 15 as the message would draw
// it; false after a report.  An empty text has no glyph.
bool queriedGlyph(GlyphImage& glyph) {
    std::string_view text = argumentText(kQueryText);
    if (text.empty()) return true;
    const MessageTextState& m = graphics().text.message;
    return rasterizeGlyph(text.substr(0, sjis::charLength(text, 0)), m.glyphSize, m.bold != 0, m.antiAlias != 0,
                          glyph) >= 0;
}

bool flagged(int id) { return hasArgument(id) && argumentInteger(id) == 1; }

}  // namespace

int FontSet() {
    if (evaluateArguments(kFontSetSlot) < 0) return -1;
    int status = applyFontSettings();
    // Other commands draw with the message slot unless they choose another.
    selectFontSlot(kMessageSlot);
    return status;
}

int FontQuery() {
    if (evaluateArguments(kFontQuerySlot) < 0) return -1;
    const ArgumentValue* result = argument(kResult);
    if (!result) return 0;
    uint32_t number = result->variable;
    int64_t element = result->element;
    auto answer = [&](int64_t v) { return setNumber(number, element, v) < 0 ? -1 : 0; };
    const MessageTextState& m = graphics().text.message;
    if (hasArgument(kAskAntiAlias)) return answer(m.antiAlias);
    if (hasArgument(kAskTopColour)) return answer(m.topColour);
    if (hasArgument(kAskBottomColour)) return answer(m.bottomColour);
    if (hasArgument(kAskWriteMode)) return answer(m.writeMode);
    if (hasArgument(kAskGlyphSize)) return answer(m.glyphSize);
    if (hasArgument(kAskLineHeight)) return answer(m.lineHeight);
    if (hasArgument(kAskBold)) return answer(m.bold);
    if (flagged(kAskFontCount)) return answer(fontCount());
    if (hasArgument(kAskCharWidth) || hasArgument(kAskCharHeight)) {
        GlyphImage glyph;
        if (!queriedGlyph(glyph)) return -1;
        return answer(hasArgument(kAskCharWidth) ? glyph.advance : glyph.inkHeight);
    }
    if (flagged(kAskName)) {
        int font = queriedFont();
        if (font < 0 && hasArgument(kQueryFont)) return -1;
        return setString(number, element, fontName(font)) < 0 ? -1 : 0;
    }
    if (flagged(kAskNonJapanese)) {
        int font = queriedFont();
        if (font < 0 && hasArgument(kQueryFont)) return -1;
        return answer(std::max(0, fontNonJapaneseScript(font)));
    }
    return answer(0);
}

}  // namespace vr
