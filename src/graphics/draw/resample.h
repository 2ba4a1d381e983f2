// Resampling a rectangle of a layer's image to a new size, by one of eight
// methods (see docs/drawing.md), into the same layer or another one.
#pragma once

#include <cstdint>

#include "graphics/layer.h"

namespace vr {

enum ResampleMethod : int {
    kResampleNearest = 10,
    kResampleBilinear = 21,
    kResampleBicubic = 31,
    kResampleLanczos = 41,
    kResampleMitchell = 42,
    kResampleBox = 43,
    kResampleArea = 44,
    kResampleBicubicSharp = 51,
};

bool isResampleMethod(int64_t method);

// Inclusive source pixels; the rectangle may reach outside the image,
// whose outside reads as transparent.
struct SourceRect {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
};

// Whether a method cannot resample the rectangle to this width: a reversed
// rectangle, an unknown method, area average enlarging (factor 0).
bool resampleRefuses(const Surface& source, const SourceRect& rect, int64_t width, int method);

// Resamples the rectangle of source to the size of dest (allocated by the
// caller, distinct from source's pixels).  Every destination pixel is
// written.  0; -1 when the rectangle is reversed or the method cannot make
// this size (area average only reduces), dest then unchanged.
int resampleInto(const Surface& source, const SourceRect& rect, Surface& dest, int method);

// The resampling of a layer: the target takes the result (in place when
// target and source share their layer) and the source's useSourceAlpha.
// In place, the same size rewrites the same buffer and a smaller size keeps
// it when the layer's reuseBuffer is set; the pixels are read from a copy.
// A size below 1, or one the method cannot make, shows the invalid-size
// message and changes nothing; one above 8192 or no memory is reported
// (104030).  0, or -1 after a report.
int resampleLayer(ObjectNode& target, ObjectNode& source, const SourceRect& rect, int64_t newWidth,
                  int64_t newHeight, int method);

}  // namespace vr
