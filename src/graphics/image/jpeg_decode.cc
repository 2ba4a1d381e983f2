// JPEG files through the IJG interface of libjpeg-turbo, read from memory.
// The library converts to B, G, R, 255 itself (colour and grey alike), so
// rows go straight into the surface.
//
// Library errors leave by longjmp from the error manager: the function that
// calls setjmp holds no object with a destructor.
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <string>

#include "core/error_report.h"
#include "graphics/image/decoders.h"
#include "graphics/image/image_load.h"

#ifndef JCS_EXTENSIONS
#error "the JPEG decoder needs libjpeg-turbo's extended colour spaces"
#endif

namespace vr {

namespace {

struct JpegErrors {
    jpeg_error_mgr library;
    std::jmp_buf leave;
};

struct JpegJob {
    Surface* surface = nullptr;
    std::string_view name;
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool unsupported = false;  // too large, or not grey or colour
    bool reported = false;
};

[[noreturn]] void leaveDecode(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->leave, 1); }

// Warnings are not the player's concern, except the one that says the scan
// data ran out: the rows it leaves would be filler, so the file is refused.
void onMessage(j_common_ptr c, int level) {
    if (level < 0 && c->err->msg_code == JWRN_HIT_MARKER) leaveDecode(c);
}

void noOutput(j_common_ptr) {}

// The whole file is the one buffer: asking for more means the file ends early.
void initSource(j_decompress_ptr) {}
boolean fillInput(j_decompress_ptr c) {
    ERREXIT(c, JERR_INPUT_EOF);
    return FALSE;
}
void skipInput(j_decompress_ptr c, long count) {
    if (count <= 0) return;
    if (size_t(count) > c->src->bytes_in_buffer) ERREXIT(c, JERR_INPUT_EOF);
    c->src->next_input_byte += count;
    c->src->bytes_in_buffer -= size_t(count);
}
void termSource(j_decompress_ptr) {}

bool tooLarge(JDIMENSION width, JDIMENSION height) { return width > kMaxImageSide || height > kMaxImageSide; }

// 0 = decoded; -1 = failed (job says whether a report is still due).
int runDecode(jpeg_decompress_struct* c, JpegErrors* errors, jpeg_source_mgr* source, JpegJob* job) {
    if (setjmp(errors->leave)) return -1;
    jpeg_create_decompress(c);
    source->next_input_byte = job->data;
    source->bytes_in_buffer = job->size;
    c->src = source;
    jpeg_read_header(c, TRUE);
    if (tooLarge(c->image_width, c->image_height) || (c->num_components != 1 && c->num_components != 3) ||
        c->jpeg_color_space == JCS_CMYK || c->jpeg_color_space == JCS_YCCK) {
        job->unsupported = true;
        return -1;
    }
    c->out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(c);
    if (tooLarge(c->output_width, c->output_height) || c->output_components != 4) {
        job->unsupported = true;
        return -1;
    }
    Surface& surface = *job->surface;
    if (!allocateSurfacePixels(surface, c->output_width, c->output_height, job->name)) {
        job->reported = true;
        return -1;
    }
    while (c->output_scanline < c->output_height) {
        JSAMPROW row = surface.row(c->output_scanline);
        if (jpeg_read_scanlines(c, &row, 1) != 1) return -1;
    }
    return 0;
}

}  // namespace

int decodeJpeg(Surface& surface, const uint8_t* data, size_t size, std::string_view name) {
    jpeg_decompress_struct c{};
    JpegErrors errors{};
    c.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = &leaveDecode;
    errors.library.emit_message = &onMessage;
    errors.library.output_message = &noOutput;
    jpeg_source_mgr source{};
    source.init_source = &initSource;
    source.fill_input_buffer = &fillInput;
    source.skip_input_data = &skipInput;
    source.resync_to_restart = &jpeg_resync_to_restart;
    source.term_source = &termSource;

    JpegJob job;
    job.surface = &surface;
    job.name = name;
    job.data = data;
    job.size = size;
    int result = runDecode(&c, &errors, &source, &job);
    jpeg_destroy_decompress(&c);
    if (result == 0) return 0;
    if (job.reported) return kReported;
    if (job.unsupported) {
        reportErrorArgs(kImageUnsupported, true, std::string(name));
        return kReported;
    }
    return kUnreported;
}

}  // namespace vr
