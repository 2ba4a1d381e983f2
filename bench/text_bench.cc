// Characters drawn per second: 24-pixel anti-aliased kanji written into a
// message layer, with the slot's glyph cache kept (warm) and with its face
// remade for every character (cold: the bold switch alternates, so each
// character needs a new face at the anti-aliasing size).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "graphics/object_tree.h"
#include "graphics/text/font_list.h"
#include "graphics/text/glyph.h"
#include "platform/platform.h"
#include "shell/engine.h"
#include "support/headless_engine.h"

namespace {

using namespace vr;

// Common kanji of a message line.
constexpr const char8_t* kKanji[] = {u8"日", u8"本", u8"語", u8"文", u8"字", u8"漢", u8"書", u8"読", u8"話", u8"時",
                                     u8"間", u8"場", u8"所", u8"気", u8"持", u8"思", u8"出", u8"来", u8"見", u8"行"};

std::string sjis(const char8_t* utf8) { return platform::utf8ToSjis(reinterpret_cast<const char*>(utf8)); }

void DrawKanji(benchmark::State& state) {
    bool cold = state.range(0) != 0;
    test::HeadlessEngine h;
    enumerateFonts();
    setSlotFontByName(sjis(u8"ＭＳ ゴシック"));
    std::vector<std::string> kanji;
    for (const char8_t* k : kKanji) kanji.push_back(sjis(k));
    ObjectNode* layer = createLayerNode("W0", 640, 160, 1);
    GlyphStyle style;
    style.size = style.lineHeight = 24;
    style.topColour = 0xFFFFFF;
    style.bottomColour = 0x8080FF;
    size_t n = 0;
    int x = 0, y = 0;
    for (auto _ : state) {
        if (cold) style.bold = !style.bold;
        int advance = drawGlyph(kanji[n++ % kanji.size()], style, x, y, *layer);
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
