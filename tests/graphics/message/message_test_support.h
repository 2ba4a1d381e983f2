// A headless engine running a small game compiled in memory, with the
// message window's input-wait service installed: the frame loop's script
// walk, the virtual clock and the key counters under the test's control.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "graphics/message/input_wait.h"
#include "graphics/object_tree.h"
#include "graphics/text/font_list.h"
#include "script/interpreter.h"
#include "script/variables.h"
#include "support/headless_engine.h"
#include "support/ipa_fonts.h"
#include "support/memory_game.h"

namespace vr::test {

// One game at a time: a test that needs several makes them one after the
// other, each in its own scope.
struct MessageGame {
    HeadlessEngine h;
    MessageTextState& m = h.e.graphics.text.message;
    static constexpr int kLeftButton = 1, kEnter = 13, kControl = 17, kSpace = 32;

    MessageGame() { enumerateFonts(); }

    bool haveIpaFonts() const { return ipaFontsInstalled(); }

    // Compiles the script and starts it at *SYSTEM_START; nothing runs yet.
    void load(const std::string& source) { loadCompiledGame(h, source); }

    ScriptThread& mainThread() { return *h.e.script.root.children.front()->thread; }

    // One frame of the script walk, `elapsed` milliseconds after the last.
    void frame(uint64_t elapsed = 16) {
        h.host.advanceClock(elapsed);
        ++h.e.core.run.frameCounter;
        runFrame(h.e.script.root);
        releaseEndedThreads();
    }

    // A key's counter as the input step would leave it: 1 in the frame it
    // goes down, 2 when held on, -1 when let go.
    void key(int number, int64_t counter) { h.e.input.counter[size_t(number)] = counter; }
    void releaseKeys() { std::fill(h.e.input.counter.begin(), h.e.input.counter.end(), -1); }

    // A text layer (a plain leaf with its own pixels) below the root
    // container "W0".
    ObjectNode* makeTextLayer(uint32_t width, uint32_t height) {
        if (!findResolvedNode("W0", true)) createLayerNode("W0", width, height, 1);
        ObjectNode* node = createNode("W0/msg", false, 1);
        if (!node || !attachNewLayer(*node) || !allocateLayerPixels(*node->layer, width, height, "msg"))
            return nullptr;
        node->layer->useSourceAlpha = true;
        return node;
    }

    int64_t integer(uint32_t number) { return getInteger(number, 0); }
    bool reported(uint32_t code) const {
        const auto& codes = h.e.core.errors.reportedCodes;
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }
    std::string kinds() const { return std::string(m.kinds.data(), size_t(std::max(0, int(m.entryCount)))); }
    std::string text() const { return std::string(m.text.data(), size_t(std::max(0, int(m.textLength)))); }
};

// What a script reads as a message line of `n` bytes.
inline std::string line(size_t n, char c = 'x') { return std::string(n, c) + "\n"; }

}  // namespace vr::test
