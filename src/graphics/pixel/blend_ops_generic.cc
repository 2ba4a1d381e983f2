#include "graphics/pixel/blend_ops_generic.h"

#include <utility>

namespace vr::pixel {
namespace {

template <int Mode>
void fillMode(BlendOpTable& t, int position) {
    t.plain[position][0] = &generic::modeBytesOpacity<Mode>;
    t.plain[position][1] = &generic::modeBytesOp<Mode>;
    t.sourceAlpha[position][0] = &generic::sourceAlphaOpacity<Mode>;
    t.sourceAlpha[position][1] = &generic::sourceAlphaOp<Mode>;
    t.masked[position][0] = t.masked[position][1] = &generic::masked<Mode>;
    t.maskedSourceAlpha[position][0] = t.maskedSourceAlpha[position][1] = &generic::maskedSourceAlpha<Mode>;
}

template <int... Modes>
BlendOpTable makeTable(std::integer_sequence<int, Modes...>) {
    BlendOpTable t{};
    (fillMode<Modes>(t, Modes), ...);
    for (int position = kBlendModeCount; position < kBlendModePositions; ++position) {
        fillMode<kBlendNormal>(t, position);
    }
    return t;
}

}  // namespace

const BlendOpTable& genericBlendOps() {
    static const BlendOpTable table = makeTable(std::make_integer_sequence<int, kBlendModeCount>());
    return table;
}

}  // namespace vr::pixel
