// vrl.vbn and vrcfg.vbn: label search over the first-index table, and the
// rules applied to the engine configuration.

#include <gtest/gtest.h>

#include "common/crc32.h"
#include "core/engine_files_test_util.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"

namespace vr::test {
namespace {

// A name whose hash has the given top byte (found by trying names in turn).
std::string nameWithTopByte(uint32_t top) {
    for (int i = 0;; ++i) {
        std::string name = "seek" + std::to_string(i);
        if (nameHash(name) >> 24 == top) return name;
    }
}

void putU32(std::vector<uint8_t>& file, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

constexpr size_t kFirstIndexOffset = 12;

TEST(EngineFilesLabels, EveryLabelIsFoundWithItsFields) {
    HeadlessEngine h;
    auto labels = sampleLabels();
    labels.push_back({nameWithTopByte(0), 900, 9, 3, 2});
    labels.push_back({nameWithTopByte(255), 901, 9, 0, 0});
    auto file = writeLabels(labels);
    ASSERT_EQ(parseBytes(&parseLabels, file), 0);
    const auto& table = h.e.core.files.labels;
    ASSERT_EQ(table.size(), labels.size());

    for (size_t i = 1; i < table.size(); ++i) EXPECT_LE(table[i - 1].hash, table[i].hash);
    for (uint32_t k = 0; k < 256; ++k) {
        uint32_t first = h.e.core.files.labelFirstIndex[k];
        ASSERT_LE(first, table.size());
        if (first > 0) {
            EXPECT_LT(table[first - 1].hash >> 24, k);
        }
        if (first < table.size()) {
            EXPECT_GE(table[first].hash >> 24, k);
        }
    }
    for (const LabelEntry& wanted : labels) {
        SCOPED_TRACE(wanted.name);
        int index = findLabelIndex(wanted.name);
        ASSERT_GE(index, 0);
        const Label& found = table[size_t(index)];
        EXPECT_EQ(found.name, wanted.name);
        EXPECT_EQ(found.hash, nameHash(wanted.name));
        EXPECT_EQ(found.instruction, wanted.instruction);
        EXPECT_EQ(found.script, wanted.script);
        EXPECT_EQ(found.blockDepth, wanted.blockDepth);
        EXPECT_EQ(found.loopDepth, wanted.loopDepth);
    }
    for (uint32_t top : {0u, 17u, 255u}) EXPECT_EQ(findLabelIndex(nameWithTopByte(top) + "x" + "missing"), -1);
    EXPECT_EQ(findLabelIndex(""), -1);
}

TEST(EngineFilesLabels, TopByteZeroIsFoundWhateverTheFileSaysForIt) {
    HeadlessEngine h;
    auto labels = sampleLabels();
    std::string zero = nameWithTopByte(0);
    labels.push_back({zero, 5, 6, 0, 0});
    auto file = writeLabels(labels);
    putU32(file, kFirstIndexOffset, uint32_t(labels.size()));  // entry 0 points past every label
    ASSERT_EQ(parseBytes(&parseLabels, file), 0);
    EXPECT_EQ(h.e.core.files.labelFirstIndex[0], 0u);
    int index = findLabelIndex(zero);
    ASSERT_GE(index, 0);
    EXPECT_EQ(h.e.core.files.labels[size_t(index)].instruction, 5u);
}

TEST(EngineFilesLabels, IndexBeyondTheLabelsIsRefused) {
    HeadlessEngine h;
    auto labels = sampleLabels();
    ASSERT_EQ(parseBytes(&parseLabels, writeLabels(labels)), 0);
    auto before = h.e.core.files.labels;
    auto file = writeLabels({{"a", 1, 1, 0, 0}});
    putU32(file, kFirstIndexOffset + 4 * 200, 2);
    EXPECT_TRUE(refuses(h.e, &parseLabels, file, 900000));
    EXPECT_EQ(h.e.core.files.labels, before);
    EXPECT_GE(findLabelIndex("SYSTEM_START"), 0);
}

TEST(EngineFilesConfig, RoundTripReachesWindowLoaderAndShell) {
    HeadlessEngine h;
    EngineConfigFile c;
    c.width = 800;
    c.height = 600;
    c.showAtStart = 0x101;  // only the low byte counts
    c.imageOrder = {kExtJpg, kExtPng, 0, 9, 1, 2, 3, 4};
    c.soundOrder = {kExtWav, 0, 5, 5};
    c.frameThreadMode = 1;
    c.debugMode = 0x201;
    c.soundEnabled = 0x100;
    c.resizable = 1;
    c.framed = 0;
    c.title = test::sjis(u8"テスト　ゲーム");
    ASSERT_EQ(parseBytes(&parseEngineConfig, writeEngineConfig(c)), 0);

    const EngineConfig& loaded = h.e.core.files.config;
    EXPECT_TRUE(h.e.core.files.configLoaded);
    EXPECT_EQ(loaded.width, 800);
    EXPECT_EQ(loaded.height, 600);
    EXPECT_TRUE(loaded.showAtStart);
    EXPECT_EQ(loaded.imageOrder, c.imageOrder);
    EXPECT_EQ(loaded.soundOrder, c.soundOrder);
    EXPECT_TRUE(loaded.frameThreadMode);
    EXPECT_EQ(loaded.debugMode, 1);
    EXPECT_FALSE(loaded.soundEnabled);
    EXPECT_TRUE(loaded.resizable);
    EXPECT_FALSE(loaded.framed);
    EXPECT_EQ(loaded.title, c.title);

    const WindowObject& window = h.e.core.windows[0];
    EXPECT_EQ(window.clientWidth, 800);
    EXPECT_EQ(window.clientHeight, 600);
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(window.title, c.title);
    EXPECT_EQ(h.e.core.loader.imageOrder, (std::array<uint8_t, 4>{kExtJpg, kExtPng, 0, 9}));
    EXPECT_EQ(h.e.core.loader.soundOrder, (std::array<uint8_t, 2>{kExtWav, 0}));
    EXPECT_TRUE(h.e.core.run.frameThreadMode);
}

TEST(EngineFilesConfig, WindowSizeRules) {
    HeadlessEngine h;
    auto parseSize = [&](int32_t width, int32_t height) {
        EngineConfigFile c;
        c.width = width;
        c.height = height;
        return writeEngineConfig(c);
    };
    ASSERT_EQ(parseBytes(&parseEngineConfig, parseSize(0, 0)), 0);
    EXPECT_EQ(h.e.core.files.config.width, h.host.display().width);
    EXPECT_EQ(h.e.core.files.config.height, h.host.display().height);
    h.e.core.run.screenWidth = 1280;
    h.e.core.run.screenHeight = 720;
    ASSERT_EQ(parseBytes(&parseEngineConfig, parseSize(0, 0)), 0);
    EXPECT_EQ(h.e.core.windows[0].clientWidth, 1280);
    EXPECT_EQ(h.e.core.windows[0].clientHeight, 720);

    using Size = std::pair<int32_t, int32_t>;
    for (auto [w, hgt] : std::initializer_list<Size>{{8192, 16}, {128, 8192}, {128, 16}}) {
        ASSERT_EQ(parseBytes(&parseEngineConfig, parseSize(w, hgt)), 0) << w << "x" << hgt;
        EXPECT_EQ(h.e.core.windows[0].clientWidth, w);
        EXPECT_EQ(h.e.core.windows[0].clientHeight, hgt);
    }
    for (auto [w, hgt] :
         std::initializer_list<Size>{{0, 480}, {640, 0}, {127, 480}, {8193, 480}, {640, 15}, {640, 8193}, {-640, 480}}) {
        EXPECT_TRUE(refuses(h.e, &parseEngineConfig, parseSize(w, hgt), 901020)) << w << "x" << hgt;
    }
    EXPECT_EQ(h.e.core.windows[0].clientWidth, 128);
    EXPECT_EQ(h.e.core.windows[0].clientHeight, 16);
}

TEST(EngineFilesConfig, FrameThreadModeAndTitleRules) {
    HeadlessEngine h;
    EngineConfigFile c;
    c.frameThreadMode = 2;
    EXPECT_TRUE(refuses(h.e, &parseEngineConfig, writeEngineConfig(c), 901020));
    c.frameThreadMode = 0;

    c.title = std::string(kTitleLimit, 'a');
    ASSERT_EQ(parseBytes(&parseEngineConfig, writeEngineConfig(c)), 0);
    EXPECT_EQ(h.e.core.windows[0].title, c.title);
    c.title.push_back('b');
    EXPECT_TRUE(refuses(h.e, &parseEngineConfig, writeEngineConfig(c), 901000));
    EXPECT_EQ(h.e.core.windows[0].title, std::string(kTitleLimit, 'a'));

    c.title.clear();
    ASSERT_EQ(parseBytes(&parseEngineConfig, writeEngineConfig(c)), 0);
    EXPECT_EQ(h.e.core.files.config.title, " ");
    EXPECT_EQ(h.e.core.windows[0].title, " ");
}

}  // namespace
}  // namespace vr::test
