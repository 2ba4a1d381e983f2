// The windows on the headless platform: styles, presentation, full screen
// and what their events leave for the scripts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "graphics/graphics_init.h"
#include "graphics/object_tree.h"
#include "platform/headless/headless.h"
#include "shell/display.h"
#include "shell/engine.h"
#include "shell/modal_box.h"
#include "shell/startup.h"
#include "shell/wiring.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

using platform::EventType;

class WindowTest : public testing::Test {
protected:
    // Options are read when the engine starts.
    platform::HeadlessOptions options;
    std::unique_ptr<platform::HeadlessPlatform> host;
    std::unique_ptr<Engine> e;
    std::unique_ptr<EngineBinding> binding;

    void start(int width = 800, int height = 600, bool framed = true) {
        TearDown();
        host = std::make_unique<platform::HeadlessPlatform>(options);
        e = std::make_unique<Engine>(*host);
        binding = std::make_unique<EngineBinding>(*e);
        createWindowObjects();
        WindowObject& w = e->core.windows[0];
        w.clientWidth = width;
        w.clientHeight = height;
        w.title = test::sjis(u8"窓");
        w.shown = true;
        e->core.files.config.framed = framed;
        e->core.run.screenBitsPerPixel = host->display().bitsPerPixel;
        e->core.errors.messages.push_back({105200, test::sjis(u8"%d x %d の画面モードがありません。")});
        ASSERT_TRUE(createMainWindow());
    }
    void TearDown() override {
        binding.reset();
        e.reset();
        host.reset();
    }

    WindowObject& main() { return e->core.windows[0]; }
    const platform::HeadlessPlatform::Window& hostWindow(int index = 0) {
        return *host->window(e->core.windows[size_t(index)].handle);
    }
    void send(platform::Event ev) {
        if (ev.window == platform::kNoWindow) ev.window = main().handle;
        host->pushEvent(ev);
        pumpMessages();
    }
    static platform::Event mouse(EventType type, int button, int x, int y) {
        platform::Event ev{type, platform::kNoWindow};
        ev.button = button;
        ev.x = x;
        ev.y = y;
        return ev;
    }
    bool reported(uint32_t code) const {
        for (uint32_t c : e->core.errors.reportedCodes)
            if (c == code) return true;
        return false;
    }
    bool transcriptHas(const std::string& line) const {
        for (const auto& l : host->transcript())
            if (l.find(line) != std::string::npos) return true;
        return false;
    }
};

TEST_F(WindowTest, StylesFollowTheFramedAndResizableFlags) {
    start(800, 600, false);
    const auto& frameless = hostWindow().desc;
    EXPECT_EQ(frameless.style, platform::WindowStyle::Popup);
    EXPECT_TRUE(frameless.toolWindow);
    EXPECT_EQ(hostWindow().x, (1920 - 800) / 2);

    start(800, 600, true);
    e->core.files.config.resizable = true;
    EXPECT_EQ(windowSpec(main()).style, platform::WindowStyle::FramedResizable);
    EXPECT_FALSE(windowSpec(main()).toolWindow);
    e->core.files.config.resizable = false;
    EXPECT_EQ(hostWindow().desc.style, platform::WindowStyle::Framed);

    // Secondary windows: at the origin when the main window is framed,
    // centred otherwise; never opened twice, never without a size.
    WindowObject& second = e->core.windows[1];
    EXPECT_FALSE(openWindow(1));
    second.clientWidth = second.clientHeight = 128;
    second.title = "sub";
    ASSERT_TRUE(openWindow(1));
    EXPECT_EQ(hostWindow(1).desc.style, platform::WindowStyle::Framed);
    EXPECT_EQ(hostWindow(1).x, 0);
    EXPECT_FALSE(openWindow(1));
    EXPECT_FALSE(openWindow(0));
    EXPECT_FALSE(openWindow(4));
    closeWindow(1);
    EXPECT_EQ(second.handle, platform::kNoWindow);
    e->core.files.config.framed = false;
    ASSERT_TRUE(openWindow(1));
    EXPECT_EQ(hostWindow(1).x, (1920 - 128) / 2);
}

TEST_F(WindowTest, CloseModes) {
    start();
    main().closeMode = CloseMode::RecordOnly;
    send({EventType::CloseRequest});
    EXPECT_TRUE(main().closeRequested);
    EXPECT_FALSE(e->core.run.quitRequested);

    // Confirmation answered No: the engine runs on; Yes: it quits.
    main().closeMode = CloseMode::Confirm;
    host->queueMessageBoxAnswer(platform::kIdNo);
    send({EventType::CloseRequest});
    EXPECT_FALSE(e->core.run.quitRequested);
    EXPECT_FALSE(e->shell.frameSuspended);
    EXPECT_FALSE(frameStep());
    host->queueMessageBoxAnswer(platform::kIdYes);
    send({EventType::CloseRequest});
    EXPECT_TRUE(e->core.run.quitRequested);

    e->core.run.quitRequested = false;
    main().closeMode = CloseMode::CloseSilently;
    send({EventType::CloseRequest});
    EXPECT_EQ(main().handle, platform::kNoWindow);
    EXPECT_FALSE(e->core.run.quitRequested);
}

TEST_F(WindowTest, PresentsOnlyThePresentRectangleAtTheRootsPlace) {
    start(64, 48);
    ASSERT_EQ(createObjectRoots(), 0);
    LayerRecord& root = *main().root->layer;
    for (size_t i = 0; i + 3 < root.surface.pixels.size(); i += 4) root.surface.pixels[i + 2] = 0xC0;  // red
    root.contentChanged = false;

    // The first presentation clears, then shows the whole root.
    EXPECT_FALSE(presentWindow(main()));
    EXPECT_EQ(hostWindow().clears, 1u);
    ASSERT_EQ(hostWindow().presented.size(), 1u);
    EXPECT_EQ(hostWindow().presented[0].width, 64);
    EXPECT_TRUE(root.presentEmpty());
    EXPECT_FALSE(root.needsPresent);

    // Nothing changed: nothing is uploaded.
    presentWindow(main());
    EXPECT_EQ(hostWindow().presented.size(), 1u);

    // A changed rectangle goes up alone, moved by the root's position and
    // cut at the client area.
    root.x = 4;
    root.y = 2;
    root.present = {10, 5, 19, 9};
    root.surface.pixels[(size_t(5) * 64 + 10) * 4] = 0x7F;
    presentWindow(main());
    ASSERT_EQ(hostWindow().presented.size(), 2u);
    const platform::Rect& r = hostWindow().presented[1];
    EXPECT_EQ((std::vector<int>{r.x, r.y, r.width, r.height}), (std::vector<int>{14, 7, 10, 5}));
    EXPECT_EQ(hostWindow().pixels[(size_t(7) * 64 + 14) * 4], 0x7F);
    root.present = {50, 40, 200, 200};
    presentWindow(main());
    const platform::Rect& cut = hostWindow().presented[2];
    EXPECT_EQ((std::vector<int>{cut.x, cut.y, cut.width, cut.height}), (std::vector<int>{54, 42, 10, 6}));

    // A hidden root is not shown; an exposed window shows it whole again.
    root.visible = false;
    root.present = {0, 0, 3, 3};
    presentWindow(main());
    EXPECT_EQ(hostWindow().presented.size(), 3u);
    root.visible = true;
    send({EventType::Exposed});
    presentWindow(main());
    EXPECT_EQ(hostWindow().presented.back().width, 64 - 4);

    // Once quitting, nothing is drawn.
    root.present = {0, 0, 3, 3};
    e->core.run.quitRequested = true;
    EXPECT_TRUE(presentWindow(main()));
    EXPECT_EQ(hostWindow().presented.size(), 4u);
}

TEST_F(WindowTest, WithoutARootTheWindowIsClearedOnce) {
    start(32, 16);
    presentWindow(main());
    presentWindow(main());
    EXPECT_EQ(hostWindow().clears, 1u);
    EXPECT_TRUE(hostWindow().presented.empty());
    send({EventType::Exposed});
    presentWindow(main());
    EXPECT_EQ(hostWindow().clears, 2u);
}

TEST_F(WindowTest, FullScreenSwitchesToTheExactModeAndBack) {
    start(800, 600);
    ASSERT_TRUE(setFullScreen(true));
    EXPECT_TRUE(e->display.fullScreen);
    platform::DisplayInfo d = host->display();
    EXPECT_EQ((std::vector<int>{d.width, d.height, d.bitsPerPixel}), (std::vector<int>{800, 600, 32}));
    EXPECT_TRUE(transcriptHas("display mode 800x600x32"));
    EXPECT_TRUE(hostWindow().fullScreen);
    EXPECT_FALSE(setFullScreen(true)) << "no change, no switch";

    ASSERT_TRUE(setFullScreen(false));
    d = host->display();
    EXPECT_EQ(d.width, 1920);
    EXPECT_FALSE(hostWindow().fullScreen);
    EXPECT_EQ(hostWindow().x, (1920 - 800) / 2) << "back at its place";
    EXPECT_EQ(hostWindow().desc.style, platform::WindowStyle::Framed);
    EXPECT_FALSE(setFullScreen(false));
    EXPECT_TRUE(e->core.errors.reportedCodes.empty());
}

TEST_F(WindowTest, FullScreenNeedsAModeOfTheWindowsSizeAndDepth) {
    // The desktop depth decides: an 800 x 600 mode of another depth is no match.
    options.modes = {{640, 480, 32, 60}, {800, 600, 16, 60}};
    start(800, 600);
    EXPECT_FALSE(setFullScreen(true));
    EXPECT_FALSE(e->display.fullScreen);
    EXPECT_FALSE(hostWindow().fullScreen);
    ASSERT_TRUE(reported(105200));
    EXPECT_NE(e->core.errors.reports.back().find("800 x 600"), std::string::npos) << e->core.errors.reports.back();
    EXPECT_FALSE(e->core.run.quitRequested);
    EXPECT_EQ(host->display().width, 1920);
}

TEST_F(WindowTest, RefusedModeChangeStaysWindowed) {
    options.refuseModeChange = true;
    start(800, 600);
    EXPECT_FALSE(setFullScreen(true));
    EXPECT_TRUE(reported(105210));
    EXPECT_FALSE(e->display.fullScreen);
    EXPECT_FALSE(hostWindow().fullScreen);
    EXPECT_EQ(host->display().width, 1920);
}

TEST_F(WindowTest, DesktopFullScreenWhenPreferredLeavesTheModeAlone) {
    options.preferDesktopFullScreen = true;
    options.modes.clear();
    start(800, 600);
    ASSERT_TRUE(setFullScreen(true));
    EXPECT_TRUE(e->display.desktopFullScreen);
    EXPECT_TRUE(transcriptHas("desktop full screen"));
    EXPECT_FALSE(transcriptHas("display mode"));
    EXPECT_EQ(host->display().width, 1920);
    ASSERT_TRUE(setFullScreen(false));
    EXPECT_FALSE(e->display.desktopFullScreen);
}

// A box that holds the player: the frame waits, the cursor shows, and a
// full screen that switched the display's mode gives the desktop back
// until the box is gone; a scaled full screen stays as it is.
TEST_F(WindowTest, AModalBoxShowsTheCursorAndTheDesktop) {
    start(800, 600);
    ASSERT_TRUE(setFullScreen(true));
    host->showCursor(false);
    {
        ModalBox box;
        EXPECT_TRUE(e->shell.frameSuspended);
        EXPECT_TRUE(host->cursorShown());
        EXPECT_FALSE(hostWindow().fullScreen);
        EXPECT_EQ(host->display().width, 1920);
    }
    EXPECT_FALSE(e->shell.frameSuspended);
    EXPECT_TRUE(hostWindow().fullScreen);
    EXPECT_EQ(host->display().width, 800);

    // The error dialog is such a box: shown over the desktop's mode.
    installHooks(*e);
    const size_t before = host->transcript().size();
    reportError(105200, false);
    std::vector<std::string> seen;
    for (size_t i = before; i < host->transcript().size(); ++i)
        seen.push_back(host->transcript()[i].substr(0, host->transcript()[i].find(':')));
    EXPECT_EQ(seen, (std::vector<std::string>{"display mode desktop", "window 1 windowed", "error dialog",
                                              "display mode 800x600x32", "window 1 full screen"}));
    EXPECT_TRUE(hostWindow().fullScreen);

    options.preferDesktopFullScreen = true;
    start(800, 600);
    ASSERT_TRUE(setFullScreen(true));
    {
        ModalBox box;
        EXPECT_TRUE(hostWindow().fullScreen);
    }
    EXPECT_TRUE(e->display.desktopFullScreen);
    EXPECT_TRUE(e->core.errors.reportedCodes.empty());
}

TEST_F(WindowTest, DroppedFilesReplaceTheListWithinItsLimits) {
    start();
    std::string longest(kMaxDroppedPathBytes, 'a'), tooLong(kMaxDroppedPathBytes + 1, 'b');
    host->queueDrop(main().handle, {test::sjis(u8"/tmp/一.txt"), longest, tooLong, ""});
    pumpMessages();
    ASSERT_EQ(e->windowEvents.droppedFiles.size(), 2u);
    EXPECT_EQ(e->windowEvents.droppedFiles[0], test::sjis(u8"/tmp/一.txt"));
    EXPECT_EQ(e->windowEvents.droppedFiles[1], longest);
    host->queueDrop(main().handle, {"/b"});
    pumpMessages();
    ASSERT_EQ(e->windowEvents.droppedFiles.size(), 1u);
    EXPECT_EQ(e->windowEvents.droppedFiles[0], "/b");

    WindowEvents many;
    for (size_t i = 0; i < kMaxDroppedFiles + 3; ++i) addDroppedFile(many, "/f");
    EXPECT_EQ(many.droppedFiles.size(), kMaxDroppedFiles);
}

TEST_F(WindowTest, InputEventsAreRecordedForTheScripts) {
    start();
    send(mouse(EventType::MouseButtonDown, platform::kMouseRight, 3, 4));
    EXPECT_EQ(e->windowEvents.lastMouseButton, 2);
    send(mouse(EventType::MouseButtonDown, platform::kMouseMiddle, 3, 4));
    EXPECT_EQ(e->windowEvents.lastMouseButton, 4);
    send(mouse(EventType::MouseMotion, 0, 5, 6));
    EXPECT_TRUE(e->windowEvents.mouseMoved);
    platform::Event wheel{EventType::MouseWheel};
    wheel.wheel = -platform::kWheelNotch;
    send(wheel);
    EXPECT_EQ(e->windowEvents.wheelDelta, -120);
    platform::Event key{EventType::KeyDown};
    key.key = 0x1B;
    send(key);
    EXPECT_EQ(e->windowEvents.lastKey, 0x1B);
    send({EventType::FocusGained});
    EXPECT_TRUE(main().active);
    send({EventType::FocusLost});
    EXPECT_FALSE(main().active);
}

TEST_F(WindowTest, RefusedMinimiseAndMaximiseAndFixedSize) {
    start(320, 240);
    send({EventType::Minimised});
    EXPECT_FALSE(e->windowEvents.minimiseRequested) << "minimising is allowed by default";
    main().minimiseAllowed = false;
    host->minimiseWindow(main().handle);
    send({EventType::Minimised});
    EXPECT_TRUE(e->windowEvents.minimiseRequested);
    EXPECT_FALSE(host->windowMinimised(main().handle));

    send({EventType::Maximised});
    EXPECT_EQ(e->windowEvents.maximiseRequested, 1);

    // Someone made the window bigger: it gets its client size back.
    host->setClientSize(main().handle, 400, 300);
    platform::Event size{EventType::Resized};
    size.x = 400;
    size.y = 300;
    send(size);
    EXPECT_EQ(hostWindow().width, 320);
    EXPECT_EQ(hostWindow().height, 240);
}

TEST_F(WindowTest, DragLayerStartsMovingTheWindowOnlyOnItsNonBlackPixels) {
    start(64, 48, false);
    ASSERT_EQ(createObjectRoots(), 0);
    ObjectNode* drag = createNode("W0/drag", false, 2);
    ASSERT_NE(drag, nullptr);
    attachLayer(*drag, newLayerRecord());
    ASSERT_TRUE(allocateLayerPixels(*drag->layer, 8, 8, "drag"));
    drag->layer->x = 10;
    drag->layer->y = 20;
    drag->layer->surface.row(1)[1 * 4 + 1] = 0x40;  // pixel (1, 1) is green
    main().root->layer->x = 2;  // the root's own place counts too

    e->windowEvents.dragLayerPath = "drag";
    send(mouse(EventType::MouseButtonDown, platform::kMouseLeft, 13, 21));
    EXPECT_FALSE(transcriptHas("drag started")) << "dragging is not enabled";
    e->windowEvents.dragEnabled = true;
    send(mouse(EventType::MouseButtonDown, platform::kMouseLeft, 12, 20));
    EXPECT_FALSE(transcriptHas("drag started")) << "a black pixel";
    send(mouse(EventType::MouseButtonDown, platform::kMouseRight, 13, 21));
    EXPECT_FALSE(transcriptHas("drag started")) << "the right button";
    e->windowEvents.lastMouseButton = 0;
    send(mouse(EventType::MouseButtonDown, platform::kMouseLeft, 13, 21));
    EXPECT_TRUE(transcriptHas("window 1 drag started at 13,21"));
    EXPECT_EQ(e->windowEvents.lastMouseButton, 1);
    EXPECT_EQ(e->windowEvents.dragStartedWindow, 0);

    // Outside the layer, and once the layer is gone, nothing is dragged.
    EXPECT_FALSE(dragLayerHit(0, 2 + 10 + 8, 21));
    EXPECT_FALSE(dragLayerHit(0, -5, -5));
    deleteNode(drag, true);
    EXPECT_FALSE(dragLayerHit(0, 13, 21));
}

}  // namespace
}  // namespace vr
