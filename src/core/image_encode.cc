// Library errors of libpng and libjpeg leave by longjmp: the functions that
// call setjmp hold no object with a destructor beside the output, which is
// owned by the caller.
#include "core/image_encode.h"

#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>

#include "common/bytes.h"

#ifndef JCS_EXTENSIONS
#error "the JPEG writer needs libjpeg-turbo's extended colour spaces"
#endif

namespace vr {

namespace {

// ---------------------------------------------------------------- PNG

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void pngFlush(png_structp) {}
void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

bool writePng(png_structp png, png_infop info, const PixelsView& view, int level, std::vector<uint8_t>* out,
              std::vector<uint8_t>* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, &pngWrite, &pngFlush);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, view.width, view.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (uint32_t y = 0; y < view.height; ++y) {
        const uint8_t* from = view.pixels + y * view.stride;
        for (uint32_t x = 0; x < view.width; ++x) {
            (*row)[x * 4] = from[x * 4 + 2];
            (*row)[x * 4 + 1] = from[x * 4 + 1];
            (*row)[x * 4 + 2] = from[x * 4];
            (*row)[x * 4 + 3] = from[x * 4 + 3];
        }
        png_write_row(png, row->data());
    }
    png_write_end(png, info);
    return true;
}

// ---------------------------------------------------------------- JPEG

struct JpegErrors {
    jpeg_error_mgr library;
    std::jmp_buf leave;
};

[[noreturn]] void jpegLeave(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->leave, 1); }
void jpegNoOutput(j_common_ptr) {}

struct JpegSink {
    jpeg_destination_mgr manager;
    std::vector<uint8_t>* out;
    uint8_t buffer[16384];
};

void sinkInit(j_compress_ptr c) {
    auto* sink = reinterpret_cast<JpegSink*>(c->dest);
    c->dest->next_output_byte = sink->buffer;
    c->dest->free_in_buffer = sizeof sink->buffer;
}
boolean sinkEmpty(j_compress_ptr c) {
    auto* sink = reinterpret_cast<JpegSink*>(c->dest);
    sink->out->insert(sink->out->end(), sink->buffer, sink->buffer + sizeof sink->buffer);
    c->dest->next_output_byte = sink->buffer;
    c->dest->free_in_buffer = sizeof sink->buffer;
    return TRUE;
}
void sinkTerm(j_compress_ptr c) {
    auto* sink = reinterpret_cast<JpegSink*>(c->dest);
    sink->out->insert(sink->out->end(), sink->buffer, sink->buffer + (sizeof sink->buffer - c->dest->free_in_buffer));
}

bool writeJpeg(jpeg_compress_struct* c, JpegErrors* errors, JpegSink* sink, const PixelsView& view, int quality,
               JpegContent content, std::vector<uint8_t>* grey) {
    if (setjmp(errors->leave)) return false;
    jpeg_create_compress(c);
    c->dest = &sink->manager;
    c->image_width = view.width;
    c->image_height = view.height;
    bool alpha = content == JpegContent::Alpha;
    c->input_components = alpha ? 1 : 4;
    c->in_color_space = alpha ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, quality, TRUE);
    jpeg_start_compress(c, TRUE);
    while (c->next_scanline < c->image_height) {
        const uint8_t* from = view.pixels + c->next_scanline * view.stride;
        JSAMPROW row = const_cast<JSAMPROW>(from);
        if (alpha) {
            for (uint32_t x = 0; x < view.width; ++x) (*grey)[x] = from[x * 4 + 3];
            row = grey->data();
        }
        jpeg_write_scanlines(c, &row, 1);
    }
    jpeg_finish_compress(c);
    return true;
}

}  // namespace

std::vector<uint8_t> encodeBmp(const PixelsView& view) {
    const uint32_t rowBytes = (view.width * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * view.height;
    ByteWriter header;
    header.bytes("BM");
    header.u32(54 + pixelBytes);
    header.u32(0);
    header.u32(54);
    header.u32(40);
    header.u32(view.width);
    header.u32(view.height);
    header.u16(1);
    header.u16(24);
    header.zeros(24);
    std::vector<uint8_t> out = header.take();
    out.reserve(54 + size_t(pixelBytes));
    for (uint32_t y = view.height; y-- > 0;) {
        const uint8_t* from = view.pixels + y * view.stride;
        for (uint32_t x = 0; x < view.width; ++x) out.insert(out.end(), from + x * 4, from + x * 4 + 3);
        out.resize(out.size() + (rowBytes - view.width * 3), 0);
    }
    return out;
}

bool encodePng(const PixelsView& view, int level, std::vector<uint8_t>& out) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &pngError, &pngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row(size_t(view.width) * 4);
    bool ok = info && writePng(png, info, view, std::clamp(level, 0, 9), &out, &row);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!ok) out.clear();
    return ok;
}

bool encodeJpeg(const PixelsView& view, int quality, JpegContent content, std::vector<uint8_t>& out) {
    out.clear();
    jpeg_compress_struct c{};
    JpegErrors errors{};
    c.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = &jpegLeave;
    errors.library.output_message = &jpegNoOutput;
    JpegSink sink{};
    sink.manager.init_destination = &sinkInit;
    sink.manager.empty_output_buffer = &sinkEmpty;
    sink.manager.term_destination = &sinkTerm;
    sink.out = &out;
    std::vector<uint8_t> grey(view.width);
    bool ok = writeJpeg(&c, &errors, &sink, view, std::clamp(quality, 1, 100), content, &grey);
    jpeg_destroy_compress(&c);
    if (!ok) out.clear();
    return ok;
}

}  // namespace vr
