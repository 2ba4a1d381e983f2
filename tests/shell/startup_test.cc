#include "shell/startup.h"

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

TEST(StartupTest, AppendedModeNeedsTheMarkPastTheBuiltSize) {
    EXPECT_TRUE(isAppendedMode(1000, 5000, true));
    EXPECT_FALSE(isAppendedMode(1000, 5000, false));
    // A file of exactly its built size carries nothing.
    EXPECT_FALSE(isAppendedMode(1000, 1000, true));
    EXPECT_FALSE(isAppendedMode(0, 5000, true));
    EXPECT_FALSE(isAppendedMode(4, 5000, true));
    EXPECT_FALSE(isAppendedMode(1000, 0, true));
}

TEST(StartupTest, ReadsTheAppendedHeader) {
    test::TempDir dir;
    ByteWriter w;
    w.zeros(100);  // the "executable"
    w.bytes("VRER");
    w.u32(16);
    w.u32(1);
    dir.write("game.bin", w.data());
    AppendedHeader h = readAppendedHeader(dir.str() + "game.bin", 100);
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.base, 16u);
    EXPECT_TRUE(h.screenSaver);
    // Nothing past the size, or a header cut short: no mark.
    EXPECT_FALSE(readAppendedHeader(dir.str() + "game.bin", 112).found);
    EXPECT_FALSE(readAppendedHeader(dir.str() + "game.bin", 96).found);
    EXPECT_FALSE(readAppendedHeader(dir.str() + "missing.bin", 0).found);
}

TEST(StartupTest, OperatingSystemCodes) {
    EXPECT_EQ(osCodeFromBuild(950), 1);
    EXPECT_EQ(osCodeFromBuild(1381), 13);
    EXPECT_EQ(osCodeFromBuild(2600), 50);
    EXPECT_EQ(osCodeFromBuild(2257), 45);
    EXPECT_EQ(osCodeFromBuild(7600), 80);
    EXPECT_EQ(osCodeFromBuild(22000), 255);
    EXPECT_EQ(osCodeFromBuild(-1), 255);
}

TEST(StartupTest, RequestQuitPostsTheCloseThatEndsTheLoop) {
    test::HeadlessEngine h;
    requestQuit();
    EXPECT_TRUE(h.e.core.run.quitRequested);
    EXPECT_TRUE(h.e.core.windows[0].quitWithoutConfirm);
    EXPECT_TRUE(h.e.core.run.running);
    pumpMessages();
    EXPECT_FALSE(h.e.core.run.running);
    // Once quitting, a frame does nothing but say so.
    EXPECT_TRUE(frameStep());
}

TEST(StartupTest, SuspendedFrameNeitherRunsNorQuits) {
    test::HeadlessEngine h;
    h.e.shell.frameSuspended = true;
    h.e.core.run.quitRequested = true;
    uint64_t counter = h.e.core.run.frameCounter;
    EXPECT_FALSE(frameStep());
    EXPECT_EQ(h.e.core.run.frameCounter, counter);
}

TEST(StartupTest, CloseBoxAsksAndNoKeepsRunning) {
    test::HeadlessEngine h;
    h.e.core.windows[0].handle = h.host.createWindow({});
    h.e.core.windows[0].title = test::sjis(u8"テスト");
    h.host.queueMessageBoxAnswer(platform::kIdNo);
    h.host.pushEvent({platform::EventType::CloseRequest, h.e.core.windows[0].handle});
    pumpMessages();
    EXPECT_FALSE(h.e.core.run.quitRequested);
    EXPECT_FALSE(h.e.shell.frameSuspended);
    h.host.queueMessageBoxAnswer(platform::kIdYes);
    h.host.pushEvent({platform::EventType::CloseRequest, h.e.core.windows[0].handle});
    pumpMessages();
    EXPECT_TRUE(h.e.core.run.quitRequested);
    int boxes = 0;
    for (const auto& line : h.host.transcript()) boxes += line.find(reinterpret_cast<const char*>(u8"終了します。よろしいですか？")) != std::string::npos;
    EXPECT_EQ(boxes, 2);
}

}  // namespace
}  // namespace vr
