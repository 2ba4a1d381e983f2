// vrpack images OUT DIR [--quality Q] [--values A,B,C]: a packed image file
// from a folder of PNG files.
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "common/image_limits.h"
#include "common/sjis.h"
#include "core/archive/packed_images.h"
#include "core/image_encode.h"
#include "failure.h"
#include "files.h"

namespace vrpack {

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kPngLimit = uint64_t(1) << 30;

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgra;
};

Picture readPng(const fs::path& path) {
    std::vector<uint8_t> bytes = readWholeFile(path, kPngLimit);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw Failure{path.string(), std::string("not a PNG file: ") + image.message};
    if (image.width == 0 || image.height == 0 || image.width > vr::kMaxImageSide || image.height > vr::kMaxImageSide) {
        png_image_free(&image);
        throw Failure{path.string(), "pictures must be 1 to 8192 pixels wide and high"};
    }
    image.format = PNG_FORMAT_BGRA;
    Picture p;
    p.width = image.width;
    p.height = image.height;
    p.bgra.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.bgra.data(), 0, nullptr))
        throw Failure{path.string(), std::string("damaged PNG file: ") + image.message};
    return p;
}

bool hasTransparency(const Picture& p) {
    for (size_t i = 3; i < p.bgra.size(); i += 4)
        if (p.bgra[i] != 0xFF) return true;
    return false;
}

std::vector<fs::path> pngFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        if (e.is_regular_file() && vr::sjis::lowerAscii(e.path().extension().string()) == ".png")
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int runImages(const Options& o) {
    const fs::path out = o.files[0];
    const fs::path folder = o.files[1];
    if (!fs::is_directory(folder)) throw Failure{folder.string(), "not a folder"};
    std::vector<fs::path> files = pngFilesIn(folder);
    if (files.empty()) throw Failure{folder.string(), "holds no PNG files"};

    std::vector<Picture> pictures;
    bool alpha = false;
    for (const fs::path& file : files) {
        pictures.push_back(readPng(file));
        alpha = alpha || hasTransparency(pictures.back());
    }
    std::vector<vr::packed::PictureInput> inputs(pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& p = pictures[i];
        vr::PixelsView view{p.bgra.data(), p.width, p.height, size_t(p.width) * 4};
        if (!vr::encodeJpeg(view, o.quality, vr::JpegContent::Colour, inputs[i].colour) ||
            (alpha && !vr::encodeJpeg(view, o.quality, vr::JpegContent::Alpha, inputs[i].alpha)))
            throw Failure{files[i].string(), "could not be written as JPEG"};
    }
    std::array<uint32_t, 3> values{pictures[0].width, pictures[0].height, 0};
    if (o.values.size() == 3) std::copy(o.values.begin(), o.values.end(), values.begin());
    std::string error;
    std::vector<uint8_t> bytes = vr::packed::writePackedImages(inputs, values, error);
    if (!error.empty()) throw Failure{out.string(), error};
    writeFileAtomically(out, bytes);
    return 0;
}

}  // namespace vrpack
