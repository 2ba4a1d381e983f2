#include "shell/settings.h"

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "support/headless_engine.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

TEST(SettingsTest, OnlyZeroOrOneChangesAFlag) {
    uint32_t words[32] = {};
    Settings defaults = settingsFromWords(words, 0);
    EXPECT_TRUE(defaults.movieFlag);
    EXPECT_TRUE(defaults.kernelSet1);
    EXPECT_TRUE(defaults.kernelSet2);
    EXPECT_TRUE(defaults.multipleWorkers);
    EXPECT_FALSE(defaults.createDirectDraw);

    for (uint32_t& w : words) w = 2;
    Settings twos = settingsFromWords(words, 32);
    EXPECT_TRUE(twos.movieFlag);
    EXPECT_TRUE(twos.kernelSet1);
    EXPECT_TRUE(twos.multipleWorkers);
    EXPECT_FALSE(twos.createDirectDraw);

    words[0] = 0;
    words[3] = 0;
    words[4] = 0;
    words[5] = 1;
    Settings set = settingsFromWords(words, 32);
    EXPECT_FALSE(set.movieFlag);
    EXPECT_TRUE(set.kernelSet1);
    EXPECT_FALSE(set.kernelSet2);
    EXPECT_FALSE(set.multipleWorkers);
    EXPECT_TRUE(set.createDirectDraw);
}

TEST(SettingsTest, ReadsTheFileOfTheGameFolder) {
    test::TempDir dir;
    ByteWriter w;
    for (int i = 0; i < 32; ++i) w.u32(i == 4 ? 0 : i == 2 ? 0xFFFFFFFF : 1);
    dir.write("vrcfg.dat", w.data());
    test::CurrentDir cd(dir.path());
    test::HeadlessEngine h;
    readSettings();
    EXPECT_TRUE(h.e.core.run.settings.present);
    EXPECT_TRUE(h.e.core.run.settings.kernelSet1);  // 0xFFFFFFFF keeps the default
    EXPECT_EQ(h.e.core.workers.maxWorkers, 1);          // word 4 = 0 limits the pool
}

TEST(SettingsTest, ShortOrMissingFileKeepsDefaults) {
    test::TempDir dir;
    test::CurrentDir cd(dir.path());
    test::HeadlessEngine h;
    readSettings();
    EXPECT_FALSE(h.e.core.run.settings.present);
    EXPECT_EQ(h.e.core.workers.maxWorkers, 2);

    // Six bytes hold word 0 only; the half word after it is ignored.
    dir.write("vrcfg.dat", std::vector<uint8_t>{0, 0, 0, 0, 0, 0});
    readSettings();
    EXPECT_FALSE(h.e.core.run.settings.movieFlag);
    EXPECT_TRUE(h.e.core.run.settings.multipleWorkers);
}

}  // namespace
}  // namespace vr
