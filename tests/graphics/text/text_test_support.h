// A headless engine with the installed fonts, a message layer and helpers
// that fill the running message the way the message commands do.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/sjis.h"
#include "graphics/object_tree.h"
#include "graphics/text/font_list.h"
#include "support/headless_engine.h"
#include "support/ipa_fonts.h"

namespace vr::test {

struct TextFixture : ::testing::Test {
    HeadlessEngine h;
    ObjectNode* layer = nullptr;

    void SetUp() override { enumerateFonts(); }

    bool haveIpaFonts() const { return ipaFontsInstalled(); }
    bool useFont(std::string_view name) { return setSlotFontByName(name) == 0; }

    ObjectNode* makeLayer(uint32_t width, uint32_t height) {
        layer = createLayerNode("W0", width, height, 1);
        h.e.graphics.text.message.target = layer;
        return layer;
    }

    uint32_t pixel(int x, int y) const {
        uint32_t v;
        std::memcpy(&v, layer->layer->pixels() + (size_t(y) * layer->layer->width() + size_t(x)) * 4, 4);
        return v;
    }
    // Ink (any alpha) inside a rectangle of the layer.
    bool inkIn(int x0, int y0, int x1, int y1) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (pixel(x, y) >> 24) return true;
        return false;
    }

    void appendEntry(char kind, int size, int height, int delay) {
        MessageTextState& m = h.e.graphics.text.message;
        size_t i = size_t(m.entryCount++);
        m.kinds[i] = kind;
        m.widths[i] = int16_t(size);
        m.heights[i] = int16_t(height);
        m.delays[i] = int16_t(delay);
        m.topColours[i] = 0xFFFFFF;
        m.bottomColours[i] = 0xFFFFFFFF;
    }
    // One entry per character, as the message text command appends them.
    void appendText(std::string_view sjisText, int size = 20, int height = 20, int delay = 0) {
        MessageTextState& m = h.e.graphics.text.message;
        for (size_t i = 0; i < sjisText.size();) {
            size_t n = sjis::charLength(sjisText, i);
            std::memcpy(m.text.data() + m.textLength, sjisText.data() + i, n);
            m.textLength += int32_t(n);
            appendEntry(n == 2 ? '2' : '1', size, height, n == 2 ? delay : delay / 2);
            i += n;
        }
    }
};

}  // namespace vr::test
