// The object tree's records: named nodes with their children sorted by
// drawing order, and the layer records the graphic nodes carry.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "graphics/surface.h"

namespace vr {

constexpr int kDirtySlots = 16;
constexpr int64_t kEmptyLow = 999999999, kEmptyHigh = -999999999;

// Right and bottom inclusive, in the layer's own pixel coordinates.
struct DirtyRect {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
};

struct LayerRecord {
    bool displayFlag = false;  // shown by one of the windows
    bool targetFlag = false;   // the engine's current drawing target
    uint32_t dirtyCount = 0;
    DirtyRect present{kEmptyLow, kEmptyLow, kEmptyHigh, kEmptyHigh};  // composed since the last presentation
    std::array<DirtyRect, kDirtySlots> dirty{};
    std::array<bool, kDirtySlots> dirtyUsed{};
    bool contentChanged = false;  // the pixels were (re)allocated
    std::string maskName;         // path of the mask layer; empty: no mask
    int64_t refCount = 1;
    int64_t x = 0, y = 0;
    Surface surface;  // width, height and the pixels
    int16_t opacity = 256;
    int16_t maskLevel = 256;
    int16_t maskSoftness = 0;
    bool useSourceAlpha = false;
    uint8_t blendMode = 0;
    bool visible = true;
    bool needsPresent = false;
    bool excluded = false;     // never drawn, may still serve as a mask
    bool reuseBuffer = false;
    uint32_t paramA = 128;
    uint32_t colourB = 0x808080;
    std::string secondName;
    uint64_t composedPass = 0;  // the composition pass that last redrew this container

    uint32_t width() const { return surface.width; }
    uint32_t height() const { return surface.height; }
    uint8_t* pixels() { return surface.pixels.data(); }
    const uint8_t* pixels() const { return surface.pixels.data(); }
    bool presentEmpty() const { return present.left > present.right || present.top > present.bottom; }
};

// A node of the object tree.  The children form a list from the bottom-most
// (first) to the top-most (last), sorted by order; equal orders keep the
// order of creation, the newer above.
struct ObjectNode {
    ObjectNode* firstChild = nullptr;
    ObjectNode* lastChild = nullptr;
    ObjectNode* prevSibling = nullptr;
    ObjectNode* nextSibling = nullptr;
    ObjectNode* parent = nullptr;
    std::string name;
    uint32_t nameHash = 0;  // Adler-32 from 0, 31 bits; the top bit marks a container
    int32_t childCount = 0;
    int64_t order = 0;
    bool isContainer = false;
    LayerRecord* layer = nullptr;  // shared, reference counted
};

}  // namespace vr
