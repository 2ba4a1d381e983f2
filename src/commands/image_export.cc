#include "commands/image_export.h"

#include <algorithm>
#include <vector>

#include "common/sjis.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/image_encode.h"
#include "graphics/object_tree.h"
#include "platform/platform.h"

namespace vr {

namespace {

void fileCreateError() {
    platform::MessageBoxSpec box;
    box.text = VR_TEXT_FILE_CREATE_ERROR;
    box.owner = core().windows[0].handle;
    core().platform.messageBox(box);
}

}  // namespace

int exportObjectImage(std::string_view objectPath, std::string fileName, ExportFormat format, int64_t quality) {
    ObjectNode* node = findLayerObject(objectPath);
    if (!node) return -1;
    const Surface& s = node->layer->surface;
    PixelsView view{s.pixels.data(), s.width, s.height, s.stride()};
    static constexpr const char* kEndings[] = {".bmp", ".png", ".jpg"};
    const char* ending = kEndings[int(format)];
    if (!sjis::endsWithNoCase(fileName, ending)) fileName += ending;

    std::vector<uint8_t> bytes;
    bool encoded = true;
    // The clamp happens here, before the narrowing to int.
    switch (format) {
    case ExportFormat::Bmp: bytes = encodeBmp(view); break;
    case ExportFormat::Png: encoded = encodePng(view, int(std::clamp<int64_t>(quality, 0, 9)), bytes); break;
    case ExportFormat::Jpeg:
        encoded = encodeJpeg(view, int(std::clamp<int64_t>(quality, 1, 100)), JpegContent::Colour, bytes);
        break;
    }
    if (!encoded || platform::replaceFile(fileName, bytes.data(), bytes.size()) != 0) {
        fileCreateError();
        return -1;
    }
    return 0;
}

}  // namespace vr
