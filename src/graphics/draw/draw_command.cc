#include "graphics/draw/draw_command.h"

#include <algorithm>
#include <cstring>

#include "common/command_ids.h"
#include "core/engine_files.h"
#include "core/error_report.h"
#include "graphics/compose.h"
#include "graphics/draw/canvas.h"
#include "graphics/draw/colour_filters.h"
#include "graphics/draw/draw_support.h"
#include "graphics/draw/draw_text.h"
#include "graphics/draw/layer_ops.h"
#include "graphics/draw/resample.h"
#include "graphics/draw/rotate.h"
#include "graphics/draw/swap_objects.h"
#include "graphics/graphics.h"
#include "graphics/object_tree.h"
#include "script/arguments.h"
#include "script/command_table.h"
#include "script/system_variables.h"

namespace vr {

namespace {

namespace a = arg::object_draw;

// Rectangle values far beyond any image only make transparent results;
// held here they keep every product of the arithmetic in 64 bits.
constexpr int64_t kFarAway = int64_t(1) << 32;

struct Draw {
    ObjectNode* source = nullptr;
    ObjectNode* dest = nullptr;
    ObjectNode* dest2 = nullptr;
    bool destCreated = false, dest2Created = false;
    int64_t left = 0, top = 0, right = 0, bottom = 0;  // as given, unclamped

    ObjectNode& target() const { return dest ? *dest : *source; }
    Surface& sourceSurface() const { return source->layer->surface; }
    PixelRect clamped() const { return clampedRect(sourceSurface(), left, top, right, bottom); }
    SourceRect unclamped() const { return {left, top, right, bottom}; }
};

int64_t value(int id) { return argumentInteger(id); }

int reportOutOfRange(int id, int64_t v, int64_t lo, int64_t hi) {
    reportArgumentOutOfRange(cmd::kObjectDraw, id, v, lo, hi);
    return -1;
}

// A container is drawn on as it looks: its whole area composed first.
int composeNow(ObjectNode& node) {
    LayerRecord& l = *node.layer;
    l.dirty[0] = {0, 0, int64_t(l.width()) - 1, int64_t(l.height()) - 1};
    l.dirtyUsed.fill(false);
    l.dirtyUsed[0] = true;
    l.dirtyCount = 1;
    l.contentChanged = true;
    ++graphics().scene.composePass;
    return composeLayer(node, true);
}

// The object a destination argument names, created as an image object
// (drawn with the source's order) when missing; null after a report.
ObjectNode* destination(int id, const ObjectNode& source, bool& created) {
    std::string resolved;
    int kind = resolvePath(resolved, argumentText(id), defaultObjectRoot(), false);
    if (kind < 0) return nullptr;
    if (kind == 1) {
        reportScriptErrorArgs(101291, true, resolved);
        return nullptr;
    }
    if (ObjectNode* node = findResolvedNode(resolved, false)) {
        if (!node->layer && !attachNewLayer(*node)) return nullptr;
        return node;
    }
    ObjectNode* node = createNode(resolved, false, std::max<int64_t>(1, source.order));
    if (!node || !attachNewLayer(*node)) return nullptr;
    created = true;
    return node;
}

// A destination created by this command starts as a transparent canvas of
// the source's size, or as a copy of the source.
bool startDestination(ObjectNode& node, const Surface& like, bool copy) {
    Surface s;
    if (!(copy ? copySurface(s, like, node.name) : newSurface(s, like.width, like.height, node.name))) return false;
    replaceSurface(node, std::move(s));
    return true;
}

// Where a filter writes: the source itself, or the destination holding the
// source's pixels under the rectangle.  A destination of another size is
// refused (null).
Surface* filterTarget(Draw& d) {
    if (!d.dest || d.dest->layer == d.source->layer) return &d.sourceSurface();
    const Surface& from = d.sourceSurface();
    if (d.destCreated) {
        if (!startDestination(*d.dest, from, true)) return nullptr;
        d.dest->layer->useSourceAlpha = d.source->layer->useSourceAlpha;
        return &d.dest->layer->surface;
    }
    Surface& to = d.dest->layer->surface;
    if (to.width != from.width || to.height != from.height || !hasPixels(to)) return nullptr;
    const PixelRect r = d.clamped();
    for (int64_t y = r.top; !r.empty() && y <= r.bottom; ++y)
        std::memcpy(to.row(uint32_t(y)) + size_t(r.left) * 4, from.row(uint32_t(y)) + size_t(r.left) * 4,
                    size_t(r.width()) * 4);
    return &to;
}

int runFilter(Draw& d, int id) {
    Surface* s = filterTarget(d);
    if (!s) return d.destCreated ? -1 : 0;
    const PixelRect r = d.clamped();
    const int64_t v = value(id);
    switch (id) {
    case a::kSaturation: saturationFilter(*s, r, v); break;
    case a::kColourBalance: colourBalanceFilter(*s, r, v); break;
    case a::kSepia: sepiaFilter(*s, r, v); break;
    case a::kBrightness: brightnessFilter(*s, r, v); break;
    case a::kThreshold: thresholdFilter(*s, r, v); break;
    case a::kFlip: flipRows(*s, r); break;
    case a::kMirror: mirrorColumns(*s, r); break;
    case a::kMosaic: mosaicFilter(*s, r, v); break;
    case a::kBlur: blurFilter(*s, r, v); break;
    case a::kScatter: scatterFilter(*s, r, v, &engineRandom); break;
    case a::kNegative: negativeFilter(*s, r); break;
    case a::kFill: fillOpaque(*s, r, v); break;
    case a::kFillAlpha: {
        fillAlpha(*s, r, v);
        const bool wholeOpaque = v >= 255 && r.width() == int64_t(s->width) && r.height() == int64_t(s->height);
        if (!wholeOpaque) d.target().layer->useSourceAlpha = true;
        break;
    }
    case a::kFillTransparent:
        graphics().scene.draw.fillColour = uint32_t(v);
        fillTransparent(*s, r, uint32_t(v));
        break;
    default: break;
    }
    markForRedraw(d.target());
    return 0;
}

// The size the resampling forms ask for.
void resampleSize(const Draw& d, int id, int64_t& w, int64_t& h) {
    const int64_t spanX = d.right - d.left + 1, spanY = d.bottom - d.top + 1;
    w = argumentInteger(a::kWidth, spanX);
    h = argumentInteger(a::kHeight, spanY);
    if (spanX < 1 || spanY < 1) return;  // refused by the resampling
    switch (id) {
    case a::kScale:
        w = spanX * std::clamp<int64_t>(value(id), 0, kFarAway) / 256;
        h = spanY * std::clamp<int64_t>(value(id), 0, kFarAway) / 256;
        break;
    case a::kFitWidth: h = std::max<int64_t>(1, spanY * w / spanX); break;
    case a::kFitHeight: w = std::max<int64_t>(1, spanX * h / spanY); break;
    case a::kFitInside:
        if (w * spanY <= h * spanX) h = std::max<int64_t>(1, spanY * w / spanX);
        else w = std::max<int64_t>(1, spanX * h / spanY);
        break;
    default: break;
    }
}

int runResample(Draw& d, int id) {
    const int64_t method = id == a::kScale ? int64_t(kResampleBilinear) : value(id);
    if (!isResampleMethod(method)) return reportOutOfRange(id, method, kResampleNearest, kResampleBicubicSharp);
    int64_t w = 0, h = 0;
    resampleSize(d, id, w, h);
    return resampleLayer(d.target(), *d.source, d.unclamped(), w, h, int(method));
}

// Over, multiply, screen and the copies: path drawn onto the destination.
int runOnto(Draw& d, int id) {
    if (!d.dest) return 0;
    if (d.destCreated && !startDestination(*d.dest, d.sourceSurface(), false)) return -1;
    Surface& to = d.dest->layer->surface;
    const ClipRecord clip = clipShared(d.left, d.top, d.right, d.bottom, {&d.sourceSurface(), &to});
    if (clip.width == 0) return 0;
    LayerOp op = LayerOp::Over;
    switch (id) {
    case a::kOverScaled: op = LayerOp::OverScaled; break;
    case a::kMultiply: op = LayerOp::Multiply; break;
    case a::kScreen: op = LayerOp::Screen; break;
    case a::kCopy: op = LayerOp::Copy; break;
    case a::kCopyColour: op = LayerOp::CopyColour; break;
    default: break;
    }
    const bool copies = op == LayerOp::Copy || op == LayerOp::CopyColour;
    drawLayerOnto(d.sourceSurface(), to, clip, op, copies ? 256 : value(id), argumentInteger(a::kAlphaScale, 256));
    markForRedraw(*d.dest);
    return 0;
}

int runCrossFade(Draw& d) {
    if (!d.dest || !d.dest2) return 0;
    if (d.dest2Created && !startDestination(*d.dest2, d.sourceSurface(), false)) return -1;
    Surface& out = d.dest2->layer->surface;
    const Surface& b = d.dest->layer->surface;
    const ClipRecord clip = clipShared(d.left, d.top, d.right, d.bottom, {&d.sourceSurface(), &b, &out});
    if (clip.width == 0) return 0;
    crossFade(d.sourceSurface(), b, out, clip, value(a::kCrossFade));
    markForRedraw(*d.dest2);
    return 0;
}

int runText(Draw& d) {
    int slot = int(graphics().text.fonts.currentSlot);
    if (hasArgument(a::kFont)) {
        const int64_t s = value(a::kFont);
        if (s < 0 || s >= kFontSlots) return reportOutOfRange(a::kFont, s, 0, kFontSlots - 1);
        slot = int(s);
    }
    return drawTextInto(d.target(), argumentText(a::kText), argumentInteger(a::kLeft), argumentInteger(a::kTop), slot,
                        argumentInteger(a::kThickness));
}

int runSwap(Draw& d, SwapMode mode) {
    if (!d.dest || d.destCreated) return 0;
    swapObjects(*d.source, *d.dest, mode);
    return 0;
}

int runOperation(Draw& d) {
    for (int id : {a::kResample, a::kScale, a::kFitWidth, a::kFitHeight, a::kFitInside})
        if (hasArgument(id)) return runResample(d, id);
    if (hasArgument(a::kRotate)) return rotateLayer(d.target(), *d.source, value(a::kRotate));
    for (int id : {a::kSaturation, a::kColourBalance, a::kSepia})
        if (hasArgument(id)) return runFilter(d, id);
    for (int id : {a::kOver, a::kOverScaled})
        if (hasArgument(id)) return runOnto(d, id);
    if (hasArgument(a::kCrossFade)) return runCrossFade(d);
    for (int id : {a::kMultiply, a::kScreen})
        if (hasArgument(id)) return runOnto(d, id);
    if (hasArgument(a::kCrop)) return cropLayer(d.target(), *d.source, d.clamped());
    if (hasArgument(a::kExtend))
        return extendCanvas(d.target(), *d.source, argumentInteger(a::kLeft), argumentInteger(a::kTop),
                            argumentInteger(a::kRight), argumentInteger(a::kBottom));
    for (int id = a::kBrightness; id <= a::kFillTransparent; ++id)
        if (hasArgument(id)) return runFilter(d, id);
    if (hasArgument(a::kDrawText)) return runText(d);
    for (int id : {a::kCopy, a::kCopyColour})
        if (hasArgument(id)) return runOnto(d, id);
    if (hasArgument(a::kSwap)) return runSwap(d, SwapMode::Position);
    if (hasArgument(a::kSwapPictures)) return runSwap(d, SwapMode::Display);
    return 0;
}

int ObjectDraw() {
    if (evaluateArguments(cmd::kObjectDraw) < 0) return -1;
    std::string resolved;
    const int kind = resolvePath(resolved, argumentText(a::kPath), defaultObjectRoot(), false);
    if (kind < 0) return -1;
    Draw d;
    d.source = findResolvedNode(resolved, kind == 1);
    if (!d.source || !d.source->layer) return 0;
    if (kind == 1 && composeNow(*d.source) < 0) return -1;
    if (hasArgument(a::kDestination) && !(d.dest = destination(a::kDestination, *d.source, d.destCreated))) return -1;
    if (hasArgument(a::kDestination2) && !(d.dest2 = destination(a::kDestination2, *d.source, d.dest2Created)))
        return -1;
    const Surface& s = d.sourceSurface();
    auto held = [](int64_t v) { return std::clamp(v, -kFarAway, kFarAway); };
    d.left = held(argumentInteger(a::kLeft, 0));
    d.top = held(argumentInteger(a::kTop, 0));
    d.right = held(argumentInteger(a::kRight, int64_t(s.width) - 1));
    d.bottom = held(argumentInteger(a::kBottom, int64_t(s.height) - 1));
    return runOperation(d);
}

}  // namespace

void installDrawCommand(CommandTable& table) { table.slots[cmd::kObjectDraw] = &ObjectDraw; }

}  // namespace vr
