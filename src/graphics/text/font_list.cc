#include "graphics/text/font_list.h"

#include "core/core.h"
#include "graphics/graphics.h"
#include "script/script_state.h"

namespace vr {

namespace {

// The faces Japanese games are written for, the most common first.
constexpr const char8_t* kDefaultFaces[] = {
    u8"ＭＳ ゴシック", u8"標準ゴシック", u8"ＭＳ Ｐゴシック", u8"ＭＳ 明朝", u8"標準明朝",
};

FontList& list() { return graphics().text.fonts; }

int indexOfName(std::string_view name) {
    const FontList& f = list();
    for (int i = 0; i < f.count; ++i)
        if (f.names[size_t(i)] == name) return i;
    return -1;
}

int defaultFont() {
    for (const char8_t* face : kDefaultFaces) {
        int i = indexOfName(platform::utf8ToSjis(reinterpret_cast<const char*>(face)));
        if (i >= 0) return i;
    }
    return 0;
}

bool validFont(int index) { return index >= 0 && index < list().count; }

}  // namespace

void enumerateFonts() {
    TextState& t = graphics().text;
    for (GlyphCacheEntry& entry : t.glyphCache) entry = GlyphCacheEntry{};
    t.host = platform::Fonts::create();
    FontList& f = t.fonts;
    f.names.clear();
    f.nonJapaneseScript.clear();
    f.proportional.clear();
    if (t.host) {
        for (const platform::FontFamily& family : t.host->families()) {
            f.names.push_back(family.name);
            f.nonJapaneseScript.push_back(family.japaneseScript ? 0 : 1);
            f.proportional.push_back(family.proportional ? 1 : 0);
        }
    }
    f.count = int32_t(f.names.size());
    f.slotFont.fill(defaultFont());
    f.currentSlot = 0;
    t.tables = GlyphTables{};
}

int fontCount() { return list().count; }

int selectFontSlot(int slot) {
    if (slot < 0 || slot >= kFontSlots) return -1;
    list().currentSlot = slot;
    return 0;
}

int setSlotFont(int index) {
    if (!validFont(index)) return -1;
    list().slotFont[size_t(list().currentSlot)] = index;
    return 0;
}

int setSlotFontByName(std::string_view name) { return setSlotFont(indexOfName(name)); }

int slotFontIndex() { return list().slotFont[size_t(list().currentSlot)]; }

std::string_view slotFontName() { return fontName(slotFontIndex()); }

bool slotFontProportional() {
    int i = slotFontIndex();
    return validFont(i) && list().proportional[size_t(i)] != 0;
}

std::string_view fontName(int index) { return validFont(index) ? std::string_view(list().names[size_t(index)]) : ""; }

int fontNonJapaneseScript(int index) { return validFont(index) ? list().nonJapaneseScript[size_t(index)] : -1; }

}  // namespace vr
