#include "support/png_file.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace vr::test {

Picture::Picture(int w, int h, uint32_t argb) : width(w), height(h), rgba(size_t(w) * size_t(h) * 4) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set(x, y, argb);
}

uint32_t Picture::argb(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xDEADBEEF;
    const uint8_t* p = rgba.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    return uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

void Picture::set(int x, int y, uint32_t argb) {
    uint8_t* p = rgba.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    p[0] = uint8_t(argb >> 16);
    p[1] = uint8_t(argb >> 8);
    p[2] = uint8_t(argb);
    p[3] = uint8_t(argb >> 24);
}

Picture Picture::crop(int x, int y, int w, int h) const {
    int left = std::max(x, 0), top = std::max(y, 0);
    int right = std::min(x + w, width), bottom = std::min(y + h, height);
    Picture out;
    if (right <= left || bottom <= top) return out;
    out.width = right - left;
    out.height = bottom - top;
    for (int row = top; row < bottom; ++row) {
        const uint8_t* from = rgba.data() + (size_t(row) * size_t(width) + size_t(left)) * 4;
        out.rgba.insert(out.rgba.end(), from, from + size_t(out.width) * 4);
    }
    return out;
}

bool sameColours(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.rgb(x, y) != b.rgb(x, y)) return false;
    return true;
}

namespace {

struct File {
    FILE* f;
    ~File() {
        if (f) std::fclose(f);
    }
};

}  // namespace

bool readPng(const std::string& file, Picture& out) {
    out = {};
    File f{std::fopen(file.c_str(), "rb")};
    if (!f.f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    // Declared before setjmp: libpng's error exit lands here with them intact.
    std::vector<png_bytep> rows;
    Picture picture;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_init_io(png, f.f);
    png_read_info(png, info);
    int colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    picture.width = int(png_get_image_width(png, info));
    picture.height = int(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != size_t(picture.width) * 4) png_error(png, "not 4 bytes a pixel");
    picture.rgba.resize(size_t(picture.width) * size_t(picture.height) * 4);
    for (int y = 0; y < picture.height; ++y) rows.push_back(picture.rgba.data() + size_t(y) * size_t(picture.width) * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    out = std::move(picture);
    return true;
}

bool writePng(const std::string& file, const Picture& picture, bool withAlpha) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::vector<uint8_t> bytes;
    if (withAlpha) {
        bytes = picture.rgba;
    } else {
        for (size_t i = 0; i < picture.rgba.size(); i += 4)
            bytes.insert(bytes.end(), picture.rgba.begin() + long(i), picture.rgba.begin() + long(i) + 3);
    }
    bool ok = png_image_write_to_file(&image, file.c_str(), 0, bytes.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace vr::test
