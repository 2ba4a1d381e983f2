// The font list: installed families, the Windows face names that stand for
// the IPA fonts, and the slot operations.
#include "support/sjis_text.h"
#include "text_test_support.h"

namespace vr {
namespace {

struct FontListTest : test::TextFixture {};

int indexOf(std::string_view name) {
    for (int i = 0; i < fontCount(); ++i)
        if (fontName(i) == name) return i;
    return -1;
}

TEST_F(FontListTest, TheWindowsFaceNamesStandForTheIpaFonts) {
    if (!haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
    for (const char8_t* utf8 :
         {u8"ＭＳ ゴシック", u8"ＭＳ Ｐゴシック", u8"ＭＳ 明朝", u8"標準ゴシック", u8"標準明朝"}) {
        std::string name = test::sjis(utf8);
        int i = indexOf(name);
        ASSERT_GE(i, 0) << platform::sjisToUtf8(name);
        EXPECT_EQ(fontNonJapaneseScript(i), 0) << platform::sjisToUtf8(name);
        // Each alias appears once, after the families it stands for.
        EXPECT_GT(i, indexOf("IPAGothic"));
    }
    ASSERT_EQ(selectFontSlot(0), 0);
    ASSERT_EQ(setSlotFontByName(test::sjis(u8"ＭＳ Ｐゴシック")), 0);
    EXPECT_TRUE(slotFontProportional());
    ASSERT_EQ(setSlotFontByName(test::sjis(u8"ＭＳ ゴシック")), 0);
    EXPECT_FALSE(slotFontProportional()) << "dual spacing is fixed pitch";
    EXPECT_EQ(slotFontName(), test::sjis(u8"ＭＳ ゴシック"));
}

TEST_F(FontListTest, EverySlotStartsWithTheFirstUsualFaceAndSlotZeroIsCurrent) {
    if (!haveIpaFonts()) GTEST_SKIP() << "fonts-ipafont is not installed";
    int gothic = indexOf(test::sjis(u8"ＭＳ ゴシック"));
    for (int slot = 0; slot < kFontSlots; ++slot) EXPECT_EQ(h.e.graphics.text.fonts.slotFont[size_t(slot)], gothic);
    EXPECT_EQ(h.e.graphics.text.fonts.currentSlot, 0);
    const FontList& f = h.e.graphics.text.fonts;
    EXPECT_EQ(size_t(f.count), f.names.size());
    EXPECT_EQ(f.names.size(), f.proportional.size());
    EXPECT_EQ(f.names.size(), f.nonJapaneseScript.size());
}

TEST_F(FontListTest, SlotOperationsRefuseWhatDoesNotExist) {
    ASSERT_GT(fontCount(), 0);
    EXPECT_EQ(selectFontSlot(8), -1);
    EXPECT_EQ(selectFontSlot(-1), -1);
    ASSERT_EQ(selectFontSlot(3), 0);
    int before = slotFontIndex();
    EXPECT_EQ(setSlotFont(fontCount()), -1);
    EXPECT_EQ(setSlotFont(-1), -1);
    EXPECT_EQ(setSlotFontByName("no such face"), -1);
    EXPECT_EQ(slotFontIndex(), before);
    ASSERT_EQ(setSlotFont(fontCount() - 1), 0);
    EXPECT_EQ(slotFontIndex(), fontCount() - 1);
    ASSERT_EQ(selectFontSlot(0), 0);
    EXPECT_EQ(slotFontIndex(), before) << "slots keep their own fonts";
    EXPECT_EQ(fontName(fontCount()), "");
    EXPECT_EQ(fontNonJapaneseScript(fontCount()), -1);
}

TEST_F(FontListTest, LatinFamiliesAreNotJapaneseScript) {
    int sans = indexOf("DejaVu Sans");
    if (sans < 0) GTEST_SKIP() << "no DejaVu Sans";
    EXPECT_EQ(fontNonJapaneseScript(sans), 1);
}

}  // namespace
}  // namespace vr
