// Rotation of a layer's image by whole degrees about its centre.
#pragma once

#include <cstdint>

#include "graphics/layer.h"

namespace vr {

// cos and sin of the angle (taken modulo 360) scaled by 65536 and rounded;
// exact at the multiples of 90.
struct Turn {
    int32_t cosine = 65536, sine = 0;
    int32_t degrees = 0;  // 0..359
};
Turn turnOf(int64_t degrees);

// The size of the box that holds the whole turned image.
void turnedSize(const Turn& t, uint32_t width, uint32_t height, uint32_t& outWidth, uint32_t& outHeight);

// Writes the turned source into dest, centre on centre: dest pixel (x, y)
// reads the source at 16.16 steps from the centres, turned clockwise on
// the screen for a positive angle; dest pixels outside the turned image
// become transparent.  At 0 degrees onto a canvas of the same size the rows
// are copied.  Whether any destination pixel was left transparent.
bool rotateInto(const Surface& source, Surface& dest, const Turn& t);

// In place the canvas keeps its size (corners turned out of it are lost);
// into another object the canvas becomes the box of the turned image.
// 0, or -1 after a report.
int rotateLayer(ObjectNode& target, ObjectNode& source, int64_t degrees);

}  // namespace vr
