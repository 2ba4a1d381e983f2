#include "commands/save_commands.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/bytes.h"
#include "common/command_ids.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "core/error_report.h"
#include "graphics/image/image_load.h"
#include "graphics/object_tree.h"
#include "platform/platform.h"
#include "save/save.h"
#include "save/save_errors.h"
#include "save/save_item.h"
#include "save/save_store.h"
#include "script/arguments.h"
#include "script/command_table.h"
#include "script/node_path.h"
#include "script/variable_table.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace save = arg::save_command;
namespace load = arg::load_command;

// ------------------------------------------------------------ boxes, reports

// The player learns of a save that could not be stored or a record that
// could not be read by a box of its own, not by a report.
void showSaveBox(const char* text) {
    platform::MessageBoxSpec box;
    box.text = text;
    box.caption = VR_TEXT_CAPTION_ERROR;
    box.icon = platform::Icon::Error;
    box.systemModal = true;
    box.owner = platform::kNoWindow;
    core().platform.messageBox(box);
}

const char* typeName(uint8_t type) {
    switch (type) {
    case kTypeInteger: return VR_TEXT_TYPE_NAME_INTEGER;
    case kTypeFloat: return VR_TEXT_TYPE_NAME_FLOAT;
    case kTypeString: return VR_TEXT_TYPE_NAME_STRING;
    default: return VR_TEXT_TYPE_NAME_NONE;
    }
}

// The text of a system error number: the game's own for the numbers the
// run-time library has always had, the host's beyond them.
std::string errnoMessage(int error) {
    const auto& texts = core().files.errnoTexts;
    constexpr int kSharedNumbers = 35;  // 0..34 mean the same everywhere
    if (error >= 0 && error < kSharedNumbers && size_t(error) < texts.size() && !texts[size_t(error)].empty())
        return texts[size_t(error)];
    return platform::utf8ToSjis(platform::errnoText(error));
}

// A save_error code (or a box) as the command's failure; always -1.
int fail(int code, std::string_view fileName = {}) {
    if (code == save_error::kLoadErrorBox) showSaveBox(VR_TEXT_LOAD_ERROR);
    else if (code == save_error::kLoadMemoryBox) showSaveBox(VR_TEXT_LOAD_OUT_OF_MEMORY);
    else if (code == save_error::kInternal) reportScriptErrorArgs(uint32_t(code), true, std::string(fileName));
    else reportScriptError(uint32_t(code), true);
    return -1;
}

// ------------------------------------------------------------ what is saved

// Argument `id`'s variable: a whole variable when the argument was a bare
// reference (`&name`), else the element it named.
ItemRef variableTarget(int id) {
    const ArgumentValue* a = argument(id);
    ItemRef t;
    if (!a) return t;
    t.variable = a->variable;
    t.element = a->element;
    // A system variable has no storage of its own to take whole.
    t.whole = a->reference && variableRecord(a->variable) != nullptr;
    return t;
}

// A variable (or one element) as the payload, and the size the engine
// estimates for it; the compressor gets half as much again as its room.
std::vector<uint8_t> variablePayload(const ItemRef& t, size_t& estimate) {
    SavedVariable saved;
    saved.type = variableType(t.variable);
    const Variable* v = variableRecord(t.variable);
    if (t.whole && v) {
        saved.dimensions.assign(v->dimensions.begin(), v->dimensions.begin() + std::max<int>(v->dimensionCount, 0));
        estimate = 24 + 4 * saved.dimensions.size();
        if (v->type == kTypeInteger) {
            saved.integers = v->integers;
            estimate += 8 * saved.integers.size();
        } else if (v->type == kTypeFloat) {
            saved.integers.resize(v->floats.size());
            std::transform(v->floats.begin(), v->floats.end(), saved.integers.begin(),
                           [](double d) { return std::bit_cast<int64_t>(d); });
            estimate += 8 * saved.integers.size();
        } else if (v->type == kTypeString) {
            saved.strings = v->strings;
            for (const std::string& s : saved.strings) estimate += 4 + s.size();
        }
        return encodeSavedVariable(saved);
    }
    switch (saved.type) {
    case kTypeInteger:
        saved.integers = {getInteger(t.variable, t.element)};
        estimate = 32;
        break;
    case kTypeFloat:
        saved.integers = {std::bit_cast<int64_t>(getFloat(t.variable, t.element))};
        estimate = 32;
        break;
    case kTypeString:
        saved.strings = {getString(t.variable, t.element)};
        estimate = 28 + saved.strings[0].size();
        break;
    default: estimate = 20; break;
    }
    return encodeSavedVariable(saved);
}

// The descriptor block of an image item: the object's attributes in our own
// layout (little-endian), so that a save file tells what the picture was
// part of.  Loading reads back only the width and height, which the item
// writer puts at 600 and 604.
namespace descriptor {
constexpr size_t kLayout = 0;       // u32, 1
constexpr size_t kX = 4;            // i64
constexpr size_t kY = 12;           // i64
constexpr size_t kOrder = 20;       // i64
constexpr size_t kOpacity = 28;     // i16
constexpr size_t kMaskLevel = 30;   // i16
constexpr size_t kSoftness = 32;    // i16
constexpr size_t kFlags = 34;       // u8: 1 visible, 2 source alpha, 4 has alpha, 8 excluded, 16 container
constexpr size_t kBlendMode = 35;   // u8
constexpr size_t kParamA = 36;      // u32
constexpr size_t kColourB = 40;     // u32
constexpr size_t kName = 44;        // the object's name, zero-padded
constexpr size_t kMaskName = 300;   // the mask layer's path, zero-padded
constexpr size_t kTextEnd = 556;
}  // namespace descriptor

std::vector<uint8_t> describeObject(const ObjectNode& node) {
    std::vector<uint8_t> d(kImageDescriptorSize, 0);
    auto put = [&d](size_t at, uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) d[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    auto text = [&d](size_t at, size_t end, std::string_view s) {
        std::memcpy(d.data() + at, s.data(), std::min(s.size(), end - at - 1));
    };
    const LayerRecord& l = *node.layer;
    put(descriptor::kLayout, 1, 4);
    put(descriptor::kX, uint64_t(l.x), 8);
    put(descriptor::kY, uint64_t(l.y), 8);
    put(descriptor::kOrder, uint64_t(node.order), 8);
    put(descriptor::kOpacity, uint16_t(l.opacity), 2);
    put(descriptor::kMaskLevel, uint16_t(l.maskLevel), 2);
    put(descriptor::kSoftness, uint16_t(l.maskSoftness), 2);
    put(descriptor::kFlags,
        (l.visible ? 1 : 0) | (l.useSourceAlpha ? 2 : 0) | (l.surface.hasAlpha ? 4 : 0) | (l.excluded ? 8 : 0) |
            (node.isContainer ? 16 : 0),
        1);
    put(descriptor::kBlendMode, l.blendMode, 1);
    put(descriptor::kParamA, l.paramA, 4);
    put(descriptor::kColourB, l.colourB, 4);
    text(descriptor::kName, descriptor::kMaskName, node.name);
    text(descriptor::kMaskName, descriptor::kTextEnd, l.maskName);
    return d;
}

std::vector<uint8_t> imagePayload(const ObjectNode& node) {
    const Surface& s = node.layer->surface;
    SavedImage image;
    image.width = s.width;
    image.height = s.height;
    image.descriptor = describeObject(node);
    const size_t bytes = size_t(s.width) * 4 * s.height;
    image.pixels.assign(s.pixels.begin(), s.pixels.begin() + long(std::min(bytes, s.pixels.size())));
    image.pixels.resize(bytes, 0);
    return encodeSavedImage(image);
}

// ------------------------------------------------------------ what is loaded

int loadVariable(const ItemRef& t, std::string_view file, const std::vector<uint8_t>& payload,
                 SaveItemKind kind) {
    if (kind != SaveItemKind::Variable) return fail(save_error::kNotVariable);
    // The type comes first: a record of another type is a mismatch, whatever
    // its shape or size.
    const uint32_t storedType = payload.size() >= 4 ? loadLe32(payload.data()) : 0;
    if (storedType < kTypeInteger || storedType > kTypeString) return fail(save_error::kInternal, file);
    const uint8_t type = variableType(t.variable);
    if (storedType != type) {
        reportScriptErrorArgs(uint32_t(save_error::kTypeMismatch), true, std::to_string(t.variable), typeName(type));
        return -1;
    }
    SavedVariable saved;
    if (int e = decodeSavedVariable(payload, saved)) return fail(e, file);
    const Variable* v = variableRecord(t.variable);
    if (t.whole && v) {
        if (saved.dimensions.size() != size_t(std::max<int>(v->dimensionCount, 0)))
            return fail(save_error::kDimensionCount);
        for (size_t i = 0; i < saved.dimensions.size(); ++i)
            if (saved.dimensions[i] != uint32_t(v->dimensions[i])) return fail(save_error::kDimensionSizes);
    } else if (!saved.dimensions.empty()) {
        return fail(save_error::kDimensionCount);
    }
    // The stored elements must fit the variable from the element on; a
    // whole variable of matching shape always does, a single element too
    // unless the element lies outside the variable.
    const int64_t at = t.whole ? 0 : t.element;
    const size_t count = saved.type == kTypeString ? saved.strings.size() : saved.integers.size();
    if (v && (at < 0 || at > v->elementCount || int64_t(count) > v->elementCount - at))
        return fail(save_error::kInternal, file);
    int r = saved.type == kTypeString ? storeTexts(t.variable, at, saved.strings)
                                      : storeElements(t.variable, at, saved.integers);
    return r < 0 ? fail(save_error::kInternal, file) : 0;
}

int loadImage(const ObjectLookup& target, std::string_view path, std::string_view file,
              const std::vector<uint8_t>& payload, SaveItemKind kind) {
    if (kind != SaveItemKind::Image) return fail(save_error::kNotImage);
    SavedImage saved;
    if (int e = decodeSavedImage(payload, saved)) return fail(e, file);
    // Everything that can fail happens before the old object goes.
    Surface surface;
    if (!allocateSurfacePixels(surface, saved.width, saved.height, path)) return -1;
    std::memcpy(surface.pixels.data(), saved.pixels.data(), saved.pixels.size());
    surface.hasAlpha = true;
    std::string_view name = lastComponent(target.resolved);
    if (ObjectNode* old = findChild(*target.parent, name, false)) {
        markForRedraw(*old);
        deleteNode(old, true);
    }
    ObjectNode* node = createNode(target.resolved, false, 1);
    if (!node || !attachNewLayer(*node)) return -1;
    node->layer->surface = std::move(surface);
    node->layer->contentChanged = true;
    markWholeForRedraw(*node);
    return 0;
}

// The save file's name from argument `id`: true with `name` set, or false
// after the report.
bool fileNameArgument(int id, std::string& name) {
    if (!hasArgument(id)) return true;
    if (int e = saveFileName(argumentText(id), name)) {
        fail(e);
        return false;
    }
    return true;
}

// Record `number` takes the object's picture, or without an object the
// variable.  0, or -1 after a report.
int fillRecord(int number, const ObjectNode* object, const ItemRef& variable) {
    std::vector<uint8_t> payload;
    size_t room = 0;
    SaveItemKind kind = SaveItemKind::Variable;
    if (object) {
        kind = SaveItemKind::Image;
        payload = imagePayload(*object);
        room = payload.size() * 3 / 2;
    } else {
        size_t estimate = 0;
        payload = variablePayload(variable, estimate);
        room = estimate * 15 / 10;
    }
    bool memoryShort = false;
    int e = storeSaveItem(number, kind, payload, room, &memoryShort);
    if (e == save_error::kRecordFilled) {
        reportScriptErrorArgs(uint32_t(e), true, int64_t(number));
        return -1;
    }
    // The save goes on without this item, as a full memory leaves it.
    if (e == -1) showSaveBox(VR_TEXT_SAVE_COMPRESS_ERROR);
    else if (e != 0) return fail(e);
    return 0;
}

// ------------------------------------------------------------ handlers

int SaveCommand() {
    if (evaluateArguments(cmd::kSaveCommand) < 0) return -1;
    const ObjectNode* object = nullptr;
    if (hasArgument(save::kObject) && !(object = findLayerObject(argumentText(save::kObject)))) return -1;
    std::string name;
    if (!fileNameArgument(save::kFile, name)) return -1;
    // A record is filled only when there is something to fill it with.
    if (hasArgument(save::kRecord) && (object || hasArgument(save::kVariable)) &&
        fillRecord(int(argumentInteger(save::kRecord)), object, variableTarget(save::kVariable)) < 0)
        return -1;
    if (name.empty()) return 0;
    int error = 0;
    int e = writeSaveRecords(name, error);
    if (e == save_error::kCannotWrite) {
        reportScriptErrorArgs(uint32_t(e), true, std::string(kSaveFolder) + name, int64_t(error), errnoMessage(error));
        return -1;
    }
    return e ? fail(e, name) : 0;
}

int LoadCommand() {
    if (evaluateArguments(cmd::kLoadCommand) < 0) return -1;
    ItemRef target = variableTarget(load::kVariable);
    if (hasArgument(load::kObject)) target.objectPath.emplace(argumentText(load::kObject));
    // Without a target there is nothing to load into.
    else if (!hasArgument(load::kVariable)) return 0;
    return loadSaveRecord(argumentText(load::kFile), int(argumentInteger(load::kRecord)), target);
}

int ReleaseDataBuffers() {
    if (evaluateArguments(cmd::kReleaseDataBuffers) < 0) return -1;
    saveState().clearAll();
    return 0;
}

}  // namespace

int saveToRecord(int number, const ItemRef& from) {
    const ObjectNode* object = nullptr;
    if (from.objectPath && !(object = findLayerObject(*from.objectPath))) return -1;
    return fillRecord(number, object, from);
}

int loadSaveRecord(std::string_view fileName, int number, const ItemRef& target) {
    // The object first, then the name, as the save command checks them.
    ObjectLookup object;
    const bool toObject = target.objectPath.has_value();
    if (toObject) {
        if (lookUpObjectPath(*target.objectPath, defaultObjectRoot(), object) < 0) return -1;
        if (!object.parent) {
            reportScriptErrorArgs(101250, true, *target.objectPath);
            return -1;
        }
    }
    std::string name;
    if (int e = saveFileName(fileName, name)) return fail(e);
    SaveItemKind kind = SaveItemKind::Variable;
    std::vector<uint8_t> payload;
    if (int e = readSaveRecord(name, number, kind, payload)) return fail(e, name);
    if (toObject) return loadImage(object, *target.objectPath, name, payload, kind);
    return loadVariable(target, name, payload, kind);
}

void installSaveCommands(CommandTable& table) {
    table.slots[cmd::kSaveCommand] = &SaveCommand;
    table.slots[cmd::kLoadCommand] = &LoadCommand;
    table.slots[cmd::kReleaseDataBuffers] = &ReleaseDataBuffers;
}

}  // namespace vr
