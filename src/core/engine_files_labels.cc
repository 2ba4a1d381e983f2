// vrl.vbn: the label table and the label search.

#include "common/crc32.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "core/engine_files_internal.h"

namespace vr {

namespace {

constexpr size_t kMinLabelRecord = 13;  // an empty name and the fixed fields

}  // namespace

int parseLabels(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(detail::kFileHeaderSize);
    int32_t count = in.i32();
    std::array<uint32_t, 256> first{};
    for (uint32_t& entry : first) entry = in.u32();
    if (!in.ok() || !detail::countFits(in, count, kMinLabelRecord)) return detail::refuseFile(name);
    // A top byte of 0 must find the first label even when the compiler left
    // the entry unset.
    first[0] = 0;
    for (uint32_t entry : first) {
        if (entry > uint32_t(count)) return detail::refuseFile(name);
    }

    std::vector<Label> labels(static_cast<size_t>(count));
    for (Label& label : labels) {
        uint8_t length = in.u8();
        label.name.assign(in.view(length));
        label.hash = in.u32();
        label.instruction = in.u32();
        label.script = in.u16();
        label.blockDepth = in.u8();
        label.loopDepth = in.u8();
        if (!in.ok()) return detail::refuseFile(name);
    }
    EngineFiles& files = core().files;
    files.labels = std::move(labels);
    files.labelFirstIndex = first;
    return 0;
}

int findLabelIndex(std::string_view name) {
    const EngineFiles& files = core().files;
    uint32_t hash = nameHash(name);
    uint32_t top = hash >> 24;
    for (size_t i = files.labelFirstIndex[top]; i < files.labels.size(); ++i) {
        const Label& label = files.labels[i];
        // The scan runs on past the bucket to the end of the table, so a
        // label file whose order is off still finds every label.
        if (label.hash == hash && label.name == name) return int(i);
    }
    return -1;
}

}  // namespace vr
