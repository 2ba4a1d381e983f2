#include "graphics/draw/draw_text.h"

#include <algorithm>

#include "common/sjis.h"
#include "graphics/graphics.h"
#include "graphics/text/glyph.h"

namespace vr {

int drawTextInto(ObjectNode& target, std::string_view text, int64_t x, int64_t y, int slot, int64_t thickness) {
    if (!target.layer) return 0;
    Graphics& g = graphics();
    const size_t s = size_t(std::clamp(slot, 0, kFontSlots - 1));
    const FontSlotAttributes& a = g.messageWindow.slots[s];
    const FontList& f = g.text.fonts;
    GlyphStyle style;
    style.topColour = a.topColour;
    style.bottomColour = a.bottomColour;
    style.size = f.slotSize[s];
    style.lineHeight = f.slotCellHeight[s];
    style.bold = f.slotBold[s] != 0;
    style.antiAlias = f.slotAntiAlias[s] != 0;
    style.writeMode = a.writeMode;
    style.thickness = int(std::clamp<int64_t>(thickness, -64, 64));
    style.slot = int(s);
    // Pens far outside the layer draw nothing; the clamp keeps the
    // arithmetic in range.
    int pen = int(std::clamp<int64_t>(x, -65536, 65536));
    const int top = int(std::clamp<int64_t>(y, -65536, 65536));
    for (size_t i = 0; i < text.size();) {
        const size_t n = sjis::charLength(text, i);
        const int advance = drawGlyph(text.substr(i, n), style, pen, top, target);
        if (advance < 0) return -1;
        pen = std::min(pen + advance, 65536);
        i += n;
    }
    target.layer->useSourceAlpha = true;
    return 0;
}

}  // namespace vr
