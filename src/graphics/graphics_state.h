// What the graphics subsystem keeps: the object tree, the pixel set chosen
// at start-up, the composition jobs of the workers and the engine-wide marks
// the object commands set.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/compose.h"
#include "graphics/draw/draw_state.h"
#include "graphics/layer.h"

namespace vr {

namespace pixel {
struct PixelSet;
}

// The row span one worker composes: rows [firstRow, endRow) of the overlap.
struct ComposeJob {
    int code = 101;  // 101 plain, 102 masked, 103 source alpha, 104 masked source alpha
    int firstRow = 0, endRow = 0;
    int spanWidth = 0;
    int sourceX = 0, sourceY = 0, targetX = 0, targetY = 0;
    LayerRecord* target = nullptr;
    const LayerRecord* source = nullptr;
    const LayerRecord* mask = nullptr;
    const uint8_t* maskPixels = nullptr;
};

struct GraphicsState {
    GraphicsState();
    ~GraphicsState();
    GraphicsState(const GraphicsState&) = delete;
    GraphicsState& operator=(const GraphicsState&) = delete;

    ObjectNode layerRoot;  // window roots ("W0" ...) hang below it
    const pixel::PixelSet* pixels = nullptr;
    bool displayChanged = false;
    bool missingObjectCheck = false;  // a missing object in the set command is 101230
    LayerRecord* drawingTarget = nullptr;
    MaskRamp maskRamp{};  // rebuilt only between jobs
    std::array<ComposeJob, 2> jobs;
    uint64_t composePass = 0;  // a container is composed once per pass
    DrawState draw;            // the drawing command's fill colour, maps and jobs
};

}  // namespace vr
