#include "graphics/draw/draw_support.h"

#include <cstring>

#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/image/image_load.h"
#include "graphics/object_tree.h"

namespace vr {

int showInvalidSizeMessage() {
    platform::MessageBoxSpec box;
    box.text = VR_TEXT_RESIZE_BAD_SIZE;
    box.caption = VR_TEXT_CAPTION_ERROR;
    box.icon = platform::Icon::Error;
    box.owner = core().windows[0].handle;
    core().platform.messageBox(box);
    return 0;
}

bool newSurface(Surface& out, int64_t width, int64_t height, std::string_view name) {
    // Sizes beyond the limit go to the allocator as such, which refuses them
    // with its report.
    uint32_t w = uint32_t(std::min<int64_t>(width, int64_t(kMaxImageSide) + 1));
    uint32_t h = uint32_t(std::min<int64_t>(height, int64_t(kMaxImageSide) + 1));
    return allocateSurfacePixels(out, w, h, name) != nullptr;
}

bool copySurface(Surface& out, const Surface& from, std::string_view name) {
    if (!newSurface(out, from.width, from.height, name)) return false;
    std::memcpy(out.pixels.data(), from.pixels.data(), std::min(out.pixels.size(), from.pixels.size()));
    out.hasAlpha = from.hasAlpha;
    return true;
}

void replaceSurface(ObjectNode& node, Surface&& surface) {
    LayerRecord& l = *node.layer;
    markForRedraw(node);
    bool resized = surface.width != l.width() || surface.height != l.height();
    l.surface = std::move(surface);
    l.surface.frames.clear();
    l.contentChanged = true;
    if (resized) markWholeForRedraw(node);
    else markForRedraw(node);
}

}  // namespace vr
