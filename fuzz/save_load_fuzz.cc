// Arbitrary bytes as a save file, loaded record by record into variables of
// each type and shape (whole and by element) and into object pictures, as
// the load command does.  Whatever the file says, every variable must keep
// storage that matches its shape and every object a whole picture; the
// sanitizers watch every read of the file and every write into a target.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogue.h"
#include "commands/save_commands.h"
#include "core/engine_files.h"
#include "core/engine_files_writer.h"
#include "graphics/object_tree.h"
#include "platform/headless/headless.h"
#include "script/variable_table.h"
#include "script/variables.h"
#include "shell/engine.h"

namespace {

const std::vector<uint8_t>& errorFile() {
    static const std::vector<uint8_t> f = [] {
        vrc::Catalogue c;
        std::string error;
        vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), c, error);
        return vrc::errorFile(c);
    }();
    return f;
}

// The save file lives in a folder of its own, the working folder while an
// input runs (the fuzzer reads and writes its corpus by relative paths).
struct ScratchFolder {
    int home = open(".", O_RDONLY | O_DIRECTORY);
    ScratchFolder() {
        static const std::string folder = [] {
            char name[] = "/tmp/virelo-save-fuzz-XXXXXX";
            if (!mkdtemp(name)) __builtin_trap();
            return std::string(name);
        }();
        if (home < 0 || chdir(folder.c_str()) != 0) __builtin_trap();
    }
    ~ScratchFolder() {
        if (fchdir(home) != 0) __builtin_trap();
        close(home);
    }
};

void checkVariable(uint32_t number) {
    const vr::Variable* v = vr::variableRecord(number);
    if (!v) __builtin_trap();
    int64_t elements = 1;
    for (int d = 0; d < v->dimensionCount; ++d) elements *= v->dimensions[size_t(d)];
    if (elements != v->elementCount) __builtin_trap();
    size_t stored = v->type == vr::kTypeInteger ? v->integers.size()
                    : v->type == vr::kTypeFloat ? v->floats.size()
                                                : v->strings.size();
    if (int64_t(stored) != v->elementCount) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScratchFolder scratch;
    mkdir("save", 0755);
    FILE* f = std::fopen("save/fuzz.sd", "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) __builtin_trap();

    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine e(host);
    vr::EngineBinding binding(e);
    const std::vector<uint8_t>& errors = errorFile();
    const std::vector<uint8_t> table = vr::writeVariableTableSize(1010, 0);
    if (vr::parseErrorMessages(errors.data(), errors.size(), "vre") < 0 ||
        vr::parseVariableTableSize(table.data(), table.size(), "vrt") < 0 || vr::createVariableTable() < 0)
        __builtin_trap();
    vr::VariableShape grid{2, {4, 3}}, row{1, {5}};
    vr::declareInteger(1000, 0);
    vr::declareInteger(1001, grid, 1);
    vr::declareFloat(1002, row, 0.5);
    vr::declareString(1003, row, "x");
    vr::declareString(1004, "y");
    vr::declareFloat(1005, 1.5);
    if (!vr::createLayerNode("W0", 16, 16, 1)) __builtin_trap();
    vr::ObjectNode* pic = vr::createNode("W0/pic", false, 2);
    if (!pic || !vr::attachNewLayer(*pic) || !vr::allocateLayerPixels(*pic->layer, 4, 4, "W0/pic")) __builtin_trap();

    const vr::ItemRef targets[] = {
        {1000, 0, false, {}}, {1001, 0, true, {}}, {1001, 11, false, {}}, {1002, 0, true, {}}, {1002, 4, false, {}},
        {1003, 0, true, {}},  {1003, 2, false, {}}, {1004, 0, true, {}},  {1005, 0, false, {}}, {0, 0, false, "pic"},
        {0, 0, false, "new"}};
    for (int number = 1; number <= 4; ++number)
        for (const vr::ItemRef& t : targets) vr::loadSaveRecord("fuzz", number, t);

    for (uint32_t n = 1000; n <= 1005; ++n) checkVariable(n);
    for (const char* path : {"W0/pic", "W0/new"}) {
        const vr::ObjectNode* node = vr::findResolvedNode(path, false);
        if (!node) continue;
        const vr::Surface& s = node->layer->surface;
        if (s.width < 1 || s.height < 1 || s.width > vr::kMaxImageSide || s.height > vr::kMaxImageSide ||
            s.pixels.size() < vr::surfaceStorageBytes(s.width, s.height))
            __builtin_trap();
    }
    return 0;
}
