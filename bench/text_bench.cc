// Characters drawn per second: 24-pixel anti-aliased kanji written into a
// message layer, with the slot's glyph cache kept (warm) and with its face
// remade for every character (cold: the bold switch alternates, so each
// character needs a new face at the anti-aliasing size).
#include <benchmark/benchmark.h>

#include "shell/engine.h"
#include "graphics/object_tree.h"
#include "graphics/text/font_list.h"
#include "graphics/text/glyph.h"
#include "platform/headless/headless.h"

namespace {

using namespace vr;

// Common kanji of a message line, Shift_JIS.
constexpr const char* kKanji[] = {"日", "本", "語", "文", "字", "漢", "書", "読", "話", "時",
                                  "間", "場", "所", "気", "持", "思", "出", "来", "見", "行"};

void DrawKanji(benchmark::State& state) {
    bool cold = state.range(0) != 0;
    platform::HeadlessPlatform host{platform::HeadlessOptions{}};
    Engine e(host);
    EngineBinding binding(e);
    enumerateFonts();
    setSlotFontByName("ＭＳ ゴシック");
    ObjectNode* layer = createLayerNode("W0", 640, 160, 1);
    GlyphStyle style;
    style.size = style.lineHeight = 24;
    style.topColour = 0xFFFFFF;
    style.bottomColour = 0x8080FF;
    size_t n = 0;
    int x = 0, y = 0;
    for (auto _ : state) {
        if (cold) style.bold = !style.bold;
        int advance = drawGlyph(kKanji[n++ % std::size(kKanji)], style, x, y, *layer);
        if (advance < 0) {
            state.SkipWithError("the glyph could not be drawn");
            break;
        }
        x += advance;
        if (x + 24 > 640) x = 0, y = (y + 24) % 144;
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.SetLabel(cold ? "cold cache" : "warm cache");
}
BENCHMARK(DrawKanji)->Arg(0)->Arg(1);

}  // namespace
