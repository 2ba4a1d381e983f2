#include "commands/packed_image_commands.h"

#include <algorithm>
#include <string>

#include "common/command_ids.h"
#include "common/sjis.h"
#include "core/archive/loader.h"
#include "core/archive/packed_images.h"
#include "core/debug_log.h"
#include "core/error_report.h"
#include "graphics/image/decoders.h"
#include "graphics/object_tree.h"
#include "script/arguments.h"
#include "script/variables.h"
#include "shell/engine.h"

namespace vr {

namespace {

namespace show = arg::packed_image_show;
namespace values = arg::packed_image_values;

constexpr uint32_t kNotPackedImages = 104200;
constexpr uint32_t kAlphaSizeDiffers = 104210;

packed::PackedImages& loaded() { return engine().shell.packedImages; }

// The file's bytes go and its count reads 0; its header values stay
// readable until another file's header replaces them.
void release() {
    loaded().bytes = {};
    loaded().count = 0;
}

int loadPackedFile(const std::string& name) {
    release();
    FileRequest request;
    if (loadFile(request, name, false, true) != 0) {
        // A file that is there but could not be read was reported already.
        if (request.kind == SourceKind::Unresolved) reportScriptErrorArgs(104010, true, name);
        return -1;
    }
    std::string fault = packed::openPackedImages(std::move(request.data), loaded());
    if (fault.empty()) return 0;
    writeDebugLog("ERR", "[%s] %s", name.c_str(), fault.c_str());
    reportScriptErrorArgs(kNotPackedImages, true, name);
    return -1;
}

// A JPEG picture of the file; kReported / kUnreported as the decoders say.
int decodePicture(Surface& out, uint32_t entry, bool alphaPicture, const std::string& label) {
    std::vector<uint8_t> bytes = packed::packedPicture(loaded(), entry, alphaPicture);
    return decodeJpeg(out, bytes.data(), bytes.size(), label);
}

int showEntry(ObjectNode& node, int64_t wanted, const std::string& label) {
    const packed::PackedImages& file = loaded();
    const uint32_t entry = uint32_t(std::clamp<int64_t>(wanted, 0, int64_t(file.count) - 1));
    Surface colour;
    int r = decodePicture(colour, entry, false, label);
    if (r == 0 && file.alpha) {
        Surface alpha;
        r = decodePicture(alpha, entry, true, label);
        if (r == 0 && (alpha.width != colour.width || alpha.height != colour.height)) {
            reportScriptErrorArgs(kAlphaSizeDiffers, true, label, int(entry));
            return -1;
        }
        // The decoder gives grey as equal B, G and R: any of them is the sample.
        if (r == 0) {
            const size_t pixels = size_t(colour.width) * colour.height;
            for (size_t i = 0; i < pixels; ++i) colour.pixels[i * 4 + 3] = alpha.pixels[i * 4];
        }
    }
    if (r == kUnreported) reportScriptErrorArgs(kJpegFailed, true, label);
    if (r != 0) return -1;
    LayerRecord& layer = *node.layer;
    markForRedraw(node);
    colour.hasAlpha = file.alpha;
    layer.surface = std::move(colour);
    layer.contentChanged = true;
    layer.useSourceAlpha = file.alpha;
    markWholeForRedraw(node);
    return 0;
}

}  // namespace

int PackedImageShow() {
    if (evaluateArguments(cmd::kPackedImageShow) < 0) return -1;
    ObjectNode* node = findLayerObject(argumentText(show::kPath));
    if (!node) return -1;
    if (hasArgument(show::kFile)) {
        engine().shell.packedImageName = sjis::normaliseFileName(argumentText(show::kFile));
        if (loadPackedFile(engine().shell.packedImageName) < 0) return -1;
    }
    if (hasArgument(show::kEntry) && loaded().count > 0)
        return showEntry(*node, argumentInteger(show::kEntry), engine().shell.packedImageName);
    return 0;
}

int PackedImageRelease() {
    if (evaluateArguments(cmd::kPackedImageRelease) < 0) return -1;
    release();
    return 0;
}

int PackedImageValues() {
    if (evaluateArguments(cmd::kPackedImageValues) < 0) return -1;
    const ArgumentValue* target = argument(values::kResult);
    if (!target) return 0;
    const packed::PackedImages& file = loaded();
    const int64_t answers[] = {file.count, file.values[0], file.values[1], file.values[2]};
    const int ids[] = {values::kCount, values::kValue1, values::kValue2, values::kValue3};
    for (int i = 0; i < 4; ++i) {
        if (!hasArgument(ids[i])) continue;
        setNumber(target->variable, target->element, answers[i]);
        return 0;
    }
    return 0;
}

void installPackedImageCommands(CommandTable& table) {
    table.slots[cmd::kPackedImageShow] = &PackedImageShow;
    table.slots[cmd::kPackedImageRelease] = &PackedImageRelease;
    table.slots[cmd::kPackedImageValues] = &PackedImageValues;
}

}  // namespace vr
