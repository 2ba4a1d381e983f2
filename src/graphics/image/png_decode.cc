// PNG files through libpng, read from memory.  Every colour type and depth
// becomes 8-bit B, G, R, A rows written straight into the surface.
//
// libpng leaves a failed decode by longjmp.  The function that calls setjmp
// therefore holds no object with a destructor, and everything it must keep
// lives in a PngJob outside its frame.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "core/error_report.h"
#include "graphics/image/decoders.h"
#include "graphics/image/image_load.h"

namespace vr {

namespace {

// The screen gamma, taken as the single-precision 2.2 that games were made with.
constexpr double kScreenGamma = double(2.2f);

struct PngJob {
    Surface* surface = nullptr;
    std::string_view name;
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    uint32_t width = 0, height = 0;
    bool tooLarge = false;
    bool reported = false;
};

void readFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (length > job->size - job->position) png_error(png, "the file ends early");
    std::memcpy(out, job->data + job->position, length);
    job->position += length;
}

[[noreturn]] void leaveDecode(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }

// Warnings (benign faults of ancillary chunks) are not the player's concern.
void ignoreWarning(png_structp, png_const_charp) {}

void chooseTransformations(png_structp png, png_infop info, int colourType, int bitDepth) {
    if (colourType == PNG_COLOR_TYPE_PALETTE || (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) ||
        png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_expand(png);
    }
    if (bitDepth == 16) png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (colourType != PNG_COLOR_TYPE_GRAY_ALPHA && colourType != PNG_COLOR_TYPE_RGB_ALPHA)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, kScreenGamma, fileGamma);
}

// 0 = decoded; -1 = failed (job says whether a report is still due).
int runDecode(png_structp png, png_infop info, PngJob* job) {
    if (setjmp(png_jmpbuf(png))) return -1;
    png_set_read_fn(png, job, &readFromMemory);
    // The engine's own limit decides, with its own report.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (width > kMaxImageSide || height > kMaxImageSide) {
        job->tooLarge = true;
        return -1;
    }
    chooseTransformations(png, info, colourType, bitDepth);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected row layout");

    Surface& surface = *job->surface;
    if (!allocateSurfacePixels(surface, width, height, job->name)) {
        job->reported = true;
        return -1;
    }
    surface.hasAlpha = colourType == PNG_COLOR_TYPE_GRAY_ALPHA || colourType == PNG_COLOR_TYPE_RGB_ALPHA;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, surface.row(y), nullptr);
    }
    return 0;
}

}  // namespace

int decodePng(Surface& surface, const uint8_t* data, size_t size, std::string_view name) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &leaveDecode, &ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        reportErrorArgs(kPngFailed, true, std::string(name));
        return kReported;
    }
    PngJob job;
    job.surface = &surface;
    job.name = name;
    job.data = data;
    job.size = size;
    int result = runDecode(png, info, &job);
    png_destroy_read_struct(&png, &info, nullptr);
    if (result == 0) return 0;
    if (!job.reported) reportErrorArgs(job.tooLarge ? kImageUnsupported : kPngFailed, true, std::string(name));
    return kReported;
}

}  // namespace vr
