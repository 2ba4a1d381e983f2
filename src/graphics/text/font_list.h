// The installed fonts as scripts see them, and the 8 font slots that the
// drawing and message commands choose faces with.
#pragma once

#include <cstdint>
#include <string_view>

namespace vr {

// Start-up: lists the families (and the Windows face names that stand for
// installed ones), gives every slot the first of the usual Windows Japanese
// faces that exists (font 0 when none does) and selects slot 0.
void enumerateFonts();

int fontCount();
// Selects the slot that drawing and font commands use; -1 outside 0..7.
int selectFontSlot(int slot);
// The current slot takes font `index`; -1 when there is no such font.
int setSlotFont(int index);
// The current slot takes the font of exactly this name; -1 when absent.
int setSlotFontByName(std::string_view name);
int slotFontIndex();
// Empty when the slot's font does not exist (no fonts installed).
std::string_view slotFontName();
bool slotFontProportional();
// Empty for an index that is not below the count.
std::string_view fontName(int index);
// 1 when the family is not a Japanese-script font, 0 when it is, -1 for an
// index that is not below the count.
int fontNonJapaneseScript(int index);

}  // namespace vr
