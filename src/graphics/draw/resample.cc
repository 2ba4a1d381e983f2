#include "graphics/draw/resample.h"

#include <cstring>

#include "core/core.h"
#include "graphics/compose.h"
#include "graphics/draw/draw_support.h"
#include "graphics/draw/filter_resample.h"
#include "graphics/draw/resample_jobs.h"
#include "graphics/draw/resample_maps.h"
#include "graphics/draw/resample_rows.h"
#include "graphics/graphics.h"
#include "graphics/pixel/cpu_features.h"

namespace vr {

namespace {

// Bilinear goes to the workers only when the SSE switch of the settings is
// on and the processor has SSE.
bool bilinearSplits() { return core().run.settings.kernelSet1 && pixel::detectCpuFeatures().sse; }

void zeroRowsOutside(Surface& dest, const AxisMap& rows) {
    const size_t stride = dest.stride();
    std::memset(dest.pixels.data(), 0, size_t(rows.first) * stride);
    std::memset(dest.row(uint32_t(rows.end)), 0, size_t(dest.height - uint32_t(rows.end)) * stride);
}

int threaded(const Surface& source, Surface& dest, int code, const AxisMap& columns, const AxisMap& rows,
             int factor) {
    DrawState& d = graphics().scene.draw;
    const pixel::PixelSet& set = scenePixels();
    ResampleJob job;
    job.code = code;
    job.firstRow = rows.first;
    job.endRow = rows.end;
    job.firstColumn = columns.first;
    job.endColumn = columns.end;
    job.sourceWidth = source.width;
    job.sourceHeight = source.height;
    job.destWidth = dest.width;
    job.dest = dest.pixels.data();
    job.source = source.pixels.data();
    job.mapX = d.mapX.data();
    job.mapY = d.mapY.data();
    job.factor = factor;
    job.boxReduce = set.kernels.boxReduce;
    job.bilinear = bilinearRowFor(set.kind);
    zeroRowsOutside(dest, rows);
    runResampleJob(job, code != 21 || bilinearSplits());
    return 0;
}

}  // namespace

bool isResampleMethod(int64_t m) {
    switch (m) {
    case kResampleNearest:
    case kResampleBilinear:
    case kResampleBicubic:
    case kResampleLanczos:
    case kResampleMitchell:
    case kResampleBox:
    case kResampleArea:
    case kResampleBicubicSharp: return true;
    default: return false;
    }
}

bool resampleRefuses(const Surface& source, const SourceRect& r, int64_t width, int method) {
    const int64_t spanX = r.right - r.left + 1, spanY = r.bottom - r.top + 1;
    if (spanX < 1 || spanY < 1 || width < 1 || !hasPixels(source) || !isResampleMethod(method)) return true;
    return method == kResampleArea && (spanX / width < 1 || spanX / width > int64_t(kMaxImageSide));
}

int resampleInto(const Surface& source, const SourceRect& r, Surface& dest, int method) {
    if (!hasPixels(dest) || resampleRefuses(source, r, dest.width, method)) return -1;
    const int64_t spanX = r.right - r.left + 1, spanY = r.bottom - r.top + 1;
    DrawState& d = graphics().scene.draw;
    switch (method) {
    case kResampleNearest: {
        AxisMap columns = nearestMap(d.mapX, r.left, spanX, dest.width, source.width);
        AxisMap rows = nearestMap(d.mapY, r.top, spanY, dest.height, source.height);
        return threaded(source, dest, 11, columns, rows, 0);
    }
    case kResampleBilinear: {
        AxisMap columns = fixed8Map(d.mapX, r.left, spanX, dest.width, source.width);
        AxisMap rows = fixed8Map(d.mapY, r.top, spanY, dest.height, source.height);
        return threaded(source, dest, 21, columns, rows, 0);
    }
    case kResampleArea: {
        const int64_t k = spanX / int64_t(dest.width);
        AxisMap columns = blockMap(d.mapX, r.left, int(k), dest.width, source.width);
        AxisMap rows = blockMap(d.mapY, r.top, int(k), dest.height, source.height);
        return threaded(source, dest, 41, columns, rows, int(k));
    }
    case kResampleBicubic:
    case kResampleBicubicSharp: {
        AxisMap columns = fixed8Map(d.mapX, r.left, spanX, dest.width, source.width);
        AxisMap rows = fixed8Map(d.mapY, r.top, spanY, dest.height, source.height);
        std::memset(dest.pixels.data(), 0, dest.pixels.size());
        resampleBicubic(source, dest, d.mapX.data(), columns, d.mapY.data(), rows, method);
        return 0;
    }
    case kResampleLanczos:
    case kResampleMitchell:
    case kResampleBox:
        std::memset(dest.pixels.data(), 0, dest.pixels.size());
        resampleSeparable(source, r, dest, method);
        return 0;
    default: return -1;
    }
}

int resampleLayer(ObjectNode& target, ObjectNode& source, const SourceRect& rect, int64_t newWidth,
                  int64_t newHeight, int method) {
    if (!target.layer || !source.layer) return 0;
    if (newWidth < 1 || newHeight < 1) return showInvalidSizeMessage();
    LayerRecord& t = *target.layer;
    const Surface& from = source.layer->surface;
    if (resampleRefuses(from, rect, newWidth, method)) return showInvalidSizeMessage();
    const bool inPlace = target.layer == source.layer;
    // In place the pixels are read from a copy: the output may be the same
    // buffer, and two workers must never read rows the other is writing.
    Surface snapshot;
    if (inPlace && !copySurface(snapshot, from, source.name)) return -1;
    const Surface& input = inPlace ? snapshot : from;

    Surface out;
    const size_t storage = surfaceStorageBytes(uint32_t(std::min<int64_t>(newWidth, kMaxImageSide)),
                                               uint32_t(std::min<int64_t>(newHeight, kMaxImageSide)));
    const bool sameSize = newWidth == int64_t(t.width()) && newHeight == int64_t(t.height());
    const bool fits = newWidth <= int64_t(kMaxImageSide) && newHeight <= int64_t(kMaxImageSide);
    if (inPlace && fits && (sameSize || (t.reuseBuffer && storage <= t.surface.pixels.size()))) {
        // The buffer is kept: its bytes are rewritten, and a smaller picture
        // only shortens it, which never moves it.
        out.pixels = std::move(t.surface.pixels);
        out.pixels.resize(storage);
        out.width = uint32_t(newWidth);
        out.height = uint32_t(newHeight);
    } else if (!newSurface(out, newWidth, newHeight, target.name)) {
        return -1;
    }
    resampleInto(input, rect, out, method);
    out.hasAlpha = input.hasAlpha;
    t.useSourceAlpha = source.layer->useSourceAlpha;
    replaceSurface(target, std::move(out));
    return 0;
}

}  // namespace vr
