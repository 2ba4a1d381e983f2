// The drawing command from a script: arguments reaching their operations,
// destinations created and refused, sizes refused with the message, and
// text with an outline.
#include <cstring>

#include "graphics/draw/draw_test_support.h"
#include "graphics/message/message_test_support.h"
#include "graphics/object_tree.h"

namespace vr {
namespace {

using test::MessageGame;

const LayerRecord* layerOf(const char* path) {
    ObjectNode* n = findNode(path);
    return n ? n->layer : nullptr;
}

TEST(DrawCommand, OperationsReachTheirLayers) {
    MessageGame g;
    createLayerNode("W0", 64, 64, 1);
    g.load(
        "*SYSTEM_START\n"
        "ObjectSet path=\"box/\" width=4 height=2 order=1\n"
        "ObjectDraw path=\"box/\" destination=\"a\" fill=0x102030\n"
        "ObjectDraw path=\"a\" resample=10 left=2 right=5 width=8 height=4\n"
        "ObjectDraw path=\"a\" destination=\"b\" fill=0x405060\n"
        "ObjectDraw path=\"a\" destination=\"b\" destination2=\"c\" crossFade=255\n"
        "ObjectDraw path=\"a\" destination=\"turned\" rotate=90\n"
        "ObjectDraw path=\"a\" fillAlpha=0 right=0 bottom=0\n"
        "ObjectDraw path=\"a\" extend=1 left=-9\n"
        "ObjectDraw path=\"a\" scale=0\n"
        "ObjectDraw path=\"a\" destination=\"box/\" fill=1\n");
    g.frame();
    const LayerRecord* a = layerOf("a");
    ASSERT_TRUE(a);
    ASSERT_EQ(a->width(), 8u);
    ASSERT_EQ(a->height(), 4u);
    EXPECT_EQ(test::at(a->surface, 0, 0), 0x00102030u) << "its alpha cleared by fillAlpha";
    EXPECT_EQ(test::at(a->surface, 3, 3), 0xFF102030u) << "columns 2 and 3 stretched over the first half";
    EXPECT_EQ(test::at(a->surface, 4, 0), 0u) << "the rectangle's columns 4 and 5 lie outside: transparent";
    EXPECT_TRUE(a->useSourceAlpha);
    const LayerRecord* b = layerOf("b");
    const LayerRecord* c = layerOf("c");
    ASSERT_TRUE(b && c);
    EXPECT_EQ(test::at(b->surface, 0, 0), 0xFF405060u) << "a filter's new destination starts as a copy";
    EXPECT_EQ(test::at(c->surface, 1, 1), 0xFF405060u) << "255 cross-fades all the way to the second picture";
    const LayerRecord* turned = layerOf("turned");
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->width(), 4u);
    EXPECT_EQ(turned->height(), 8u);
    size_t sizeMessages = 0;
    for (const std::string& line : g.h.host.transcript())
        sizeMessages += line.find(reinterpret_cast<const char*>(u8"リサイズ後のサイズが不正です")) != std::string::npos;
    EXPECT_EQ(sizeMessages, 2u) << "the extension to width -1 and the scale to width 0";
    EXPECT_TRUE(g.reported(101291)) << "a destination path ending in / is refused";
}

int inkPixels(const LayerRecord& l) {
    int n = 0;
    for (size_t i = 0; i < size_t(l.width()) * l.height(); ++i) n += l.pixels()[i * 4 + 3] != 0;
    return n;
}

// Thickening shows in the over mode: in the replace mode each copy of a
// glyph clears its cell again.
TEST(DrawCommand, TextTakesTheSlotsColoursAndThickens) {
    MessageGame g;
    if (!g.haveIpaFonts()) GTEST_SKIP() << "the IPA fonts are not installed";
    createLayerNode("W0", 64, 64, 1);
    g.load(
        "*SYSTEM_START\n"
        "ObjectSet path=\"box/\" width=48 height=40 order=1\n"
        "ObjectDraw path=\"box/\" destination=\"plain\" fillAlpha=0\n"
        "ObjectDraw path=\"box/\" destination=\"outlined\" fillAlpha=0\n"
        "FontSet slot=2 size=24 lineHeight=24 topColour=0xFF0000 antiAlias=0 writeMode=1\n"
        "ObjectDraw path=\"plain\" text=\"AB\" left=4 top=8 font=2 drawText=1\n"
        "ObjectDraw path=\"outlined\" text=\"AB\" left=4 top=8 font=2 thickness=2 drawText=1\n");
    g.frame();
    const LayerRecord* plain = layerOf("plain");
    const LayerRecord* outlined = layerOf("outlined");
    ASSERT_TRUE(plain && outlined);
    const int ink = inkPixels(*plain);
    EXPECT_GT(ink, 40);
    EXPECT_GT(inkPixels(*outlined), ink * 3 / 2);
    bool red = true, right = false;
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 48; ++x) {
            const uint32_t v = test::at(plain->surface, x, y);
            if (v >> 24) red = red && (v & 0xFFFFFF) == 0xFF0000, right = right || x >= 20;
        }
    EXPECT_TRUE(red) << "the slot's colour, not the message's";
    EXPECT_TRUE(right) << "the second character advanced past the first";
}

}  // namespace
}  // namespace vr
