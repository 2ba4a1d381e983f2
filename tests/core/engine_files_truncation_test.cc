// Every prefix of a valid engine file is refused with 900000, without
// reading past its end and without touching the tables of the valid load
// that came before.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "core/engine_files_test_util.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"

namespace vr::test {
namespace {

struct FileKind {
    const char* name;
    ParseFunction parse;
    std::vector<uint8_t> file;
    // What the engine holds from the file, as comparable text.
    std::function<std::string(const Engine&)> snapshot;
};

std::string describe(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<FileKind> fileKinds() {
    std::vector<FileKind> kinds;
    kinds.push_back({"vre.vbn", &parseErrorMessages,
                     writeErrorMessages({{104060, test::sjis(u8"見つかりません")}, {900000, "%s"}}),
                     [](const Engine& e) { return describe(writeErrorMessages(e.core.errors.messages)); }});
    kinds.push_back({"vrc.vbn", &parseCommandDefinitions,
                     writeCommandDefinitions(sampleCommands(), sampleErrnoTexts(), sampleByteTable()),
                     [](const Engine& e) {
                         const EngineFiles& f = e.core.files;
                         return describe(writeCommandDefinitions(f.commands, f.errnoTexts, f.commandByteTable));
                     }});
    kinds.push_back({"vrt.vbn", &parseVariableTableSize, writeVariableTableSize(1200, 77), [](const Engine& e) {
                         std::ostringstream s;
                         s << e.core.files.highestVariable << ' ' << e.core.files.publishedValue << ' ' << e.core.files.variables.size();
                         return s.str();
                     }});
    kinds.push_back({"vrt_list.vbn", &parseScriptList, writeScriptList({{1, "b.txt"}, {0, test::sjis(u8"台本.txt")}}),
                     [](const Engine& e) {
                         std::string s;
                         for (const std::string& n : e.core.files.scriptNames) s += n + '\n';
                         return s;
                     }});
    kinds.push_back({"vrv.vbn", &parseVariableDefinitions, writeVariableDefinitions(sampleVariableRecords()),
                     [](const Engine& e) { return describe(e.core.files.variableDefinitions); }});
    kinds.push_back({"vrl.vbn", &parseLabels, writeLabels(sampleLabels()), [](const Engine& e) {
                         std::ostringstream s;
                         for (uint32_t entry : e.core.files.labelFirstIndex) s << entry << ',';
                         for (const Label& l : e.core.files.labels)
                             s << l.name << ' ' << l.hash << ' ' << l.instruction << ' ' << l.script << ' '
                               << int(l.blockDepth) << ' ' << int(l.loopDepth) << '\n';
                         return s.str();
                     }});
    EngineConfigFile config;
    config.title = test::sjis(u8"題名");
    kinds.push_back({"vrcfg.vbn", &parseEngineConfig, writeEngineConfig(config), [](const Engine& e) {
                         const EngineConfig& c = e.core.files.config;
                         const WindowObject& w = e.core.windows[0];
                         std::ostringstream s;
                         s << c.width << 'x' << c.height << ' ' << c.title << ' ' << w.clientWidth << 'x'
                           << w.clientHeight << ' ' << w.shown << ' ' << w.title << ' ' << int(c.debugMode);
                         return s.str();
                     }});
    return kinds;
}

TEST(EngineFilesTruncation, EveryPrefixIsRefusedAndEarlierTablesStay) {
    for (const FileKind& kind : fileKinds()) {
        SCOPED_TRACE(kind.name);
        HeadlessEngine h;
        ASSERT_FALSE(kind.file.empty());
        ASSERT_EQ(parseBytes(kind.parse, kind.file), 0);
        const std::string loaded = kind.snapshot(h.e);
        ASSERT_LT(kind.file.size(), kRecordedReportLimit);

        for (size_t length = 0; length < kind.file.size(); ++length) {
            // A buffer of exactly `length` bytes, so that reading past it is
            // caught by the address sanitizer.
            std::unique_ptr<uint8_t[]> prefix(new uint8_t[length]);
            std::copy(kind.file.begin(), kind.file.begin() + std::ptrdiff_t(length), prefix.get());
            h.e.core.run.quitRequested = false;
            size_t before = h.e.core.errors.reportedCodes.size();
            int result = kind.parse(prefix.get(), length, kind.name);
            ASSERT_TRUE(refusedWith(h.e, result, 900000, before)) << "prefix of " << length << " bytes";
            ASSERT_EQ(kind.snapshot(h.e), loaded) << "prefix of " << length << " bytes";
        }
    }
}

}  // namespace
}  // namespace vr::test
