#include <png.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr::platform {
namespace {

std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// A BGRA surface whose pixel (x, y) is (x, y, 100 + x + y, 7).
struct Pattern {
    Pattern(int w, int h, int strideExtra = 0) : width(w), height(h), stride(w * 4 + strideExtra) {
        bytes.assign(size_t(stride) * size_t(h), 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = bytes.data() + size_t(y) * size_t(stride) + size_t(x) * 4;
                p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(100 + x + y), p[3] = 7;
            }
    }
    SurfaceView view() const { return SurfaceView{bytes.data(), width, height, stride}; }
    int width, height, stride;
    std::vector<uint8_t> bytes;
};

bool copied(const HeadlessPlatform::Window& w, int x, int y) {
    const uint8_t* p = w.pixels.data() + (size_t(y) * size_t(w.width) + size_t(x)) * 4;
    return p[0] == x && p[1] == y && p[2] == 100 + x + y && p[3] == 7;
}

bool blank(const HeadlessPlatform::Window& w, int x, int y) {
    const uint8_t* p = w.pixels.data() + (size_t(y) * size_t(w.width) + size_t(x)) * 4;
    return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0;
}

TEST(PlatformHeadless, VirtualClockAndCalendar) {
    HeadlessPlatform host(HeadlessOptions{});
    EXPECT_EQ(host.millis(), 0u);
    LocalTime t = host.localTime();
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond, t.weekday}),
              (std::vector<int>{2000, 1, 1, 0, 0, 0, 0, 6}));
    host.sleep(16);
    EXPECT_EQ(host.millis(), 16u);
    EXPECT_EQ(host.millis(), 16u);  // it stands still between sleeps
    // To 2000-02-29 (a leap day, a Tuesday) 13:02:03.004.
    host.advanceClock(59ull * 86'400'000 + 13 * 3'600'000 + 2 * 60'000 + 3'004 - 16);
    t = host.localTime();
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond, t.weekday}),
              (std::vector<int>{2000, 2, 29, 13, 2, 3, 4, 2}));
    host.advanceClock(366ull * 86'400'000);
    t = host.localTime();
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.weekday}), (std::vector<int>{2001, 3, 1, 4}));

    HeadlessOptions real;
    real.realTime = true;
    HeadlessPlatform realHost(real);
    uint64_t before = realHost.millis();
    realHost.sleep(2);
    EXPECT_GE(realHost.millis(), before + 2);
    EXPECT_GE(realHost.localTime().year, 2024);
}

TEST(PlatformHeadless, PresentCopiesTheClippedRectangle) {
    HeadlessPlatform host(HeadlessOptions{});
    WindowSpec desc;
    desc.width = 6, desc.height = 4, desc.title = test::sjis(u8"タイトル");
    WindowId id = host.createWindow(desc);
    ASSERT_NE(id, kNoWindow);
    Pattern surface(6, 4, 8);
    ASSERT_TRUE(host.present(id, surface.view(), Rect{-2, -1, 4, 3}, 0, 0));
    const auto* w = host.window(id);
    ASSERT_NE(w, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_TRUE(x < 2 && y < 2 ? copied(*w, x, y) : blank(*w, x, y)) << x << "," << y;
    ASSERT_EQ(w->presented.size(), 1u);
    EXPECT_EQ((std::vector<int>{w->presented[0].x, w->presented[0].y, w->presented[0].width, w->presented[0].height}),
              (std::vector<int>{0, 0, 2, 2}));

    // Rectangles past the edges, empty and huge ones.
    ASSERT_TRUE(host.present(id, surface.view(), Rect{5, 3, INT_MAX, INT_MAX}, 0, 0));
    EXPECT_TRUE(copied(*w, 5, 3));
    EXPECT_TRUE(blank(*w, 4, 3));
    ASSERT_TRUE(host.present(id, surface.view(), Rect{INT_MAX, 0, INT_MAX, 4}, 0, 0));
    ASSERT_TRUE(host.present(id, surface.view(), Rect{0, 0, -5, 4}, 0, 0));
    EXPECT_TRUE(blank(*w, 0, 3));
    ASSERT_TRUE(host.present(id, surface.view(), Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0, 0));
    EXPECT_TRUE(blank(*w, 0, 3));
    ASSERT_TRUE(host.present(id, surface.view(), Rect{0, 0, 6, 4}, INT_MAX, INT_MIN));
    EXPECT_EQ(w->presents, 6u);
    EXPECT_EQ(w->presented.size(), 2u) << "only the presents that showed something";

    EXPECT_FALSE(host.present(id + 100, surface.view(), Rect{0, 0, 1, 1}, 0, 0));
    SurfaceView bad = surface.view();
    bad.stride = 4;
    EXPECT_FALSE(host.present(id, bad, Rect{0, 0, 1, 1}, 0, 0));
    EXPECT_EQ(host.transcript().at(0), u8s(u8"window 1 created 6x4 タイトル"));
    host.destroyWindow(id);
    EXPECT_EQ(host.window(id), nullptr);
}

// The surface lands at its place in the client area; a surface larger than
// the window is cut at the client area's edges and never resizes it.
TEST(PlatformHeadless, PresentPlacesTheSurfaceInTheClientArea) {
    HeadlessPlatform host(HeadlessOptions{});
    WindowSpec desc;
    desc.width = 5, desc.height = 4;
    WindowId id = host.createWindow(desc);
    const auto* w = host.window(id);
    Pattern surface(4, 3);
    ASSERT_TRUE(host.present(id, surface.view(), Rect{1, 1, 3, 2}, 2, 1));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = w->pixels.data() + (size_t(y) * 5 + size_t(x)) * 4;
            bool inside = x >= 3 && y >= 2;  // surface (1..3, 1..2) at client (3..5, 2..3), cut at x = 4
            if (inside)
                EXPECT_TRUE(p[0] == x - 2 && p[1] == y - 1) << x << "," << y;
            else
                EXPECT_TRUE(blank(*w, x, y)) << x << "," << y;
        }
    EXPECT_EQ((std::vector<int>{w->presented.back().x, w->presented.back().y, w->presented.back().width,
                                w->presented.back().height}),
              (std::vector<int>{3, 2, 2, 2}));
    EXPECT_EQ(w->width, 5);

    ASSERT_TRUE(host.clearWindow(id));
    EXPECT_TRUE(blank(*w, 4, 3));
    EXPECT_EQ(w->clears, 1u);
    host.setClientSize(id, 8, 2);
    EXPECT_EQ(w->width, 8);
    EXPECT_EQ(w->pixels.size(), 8u * 2 * 4);
}

TEST(PlatformHeadless, ScreenshotIsOpaqueRgbaPng) {
    test::TempDir tmp;
    HeadlessPlatform host(HeadlessOptions{});
    WindowSpec desc;
    desc.width = 3, desc.height = 2;
    WindowId id = host.createWindow(desc);
    Pattern surface(3, 2);
    ASSERT_TRUE(host.present(id, surface.view(), Rect{0, 0, 3, 2}, 0, 0));
    std::string file = tmp.str() + "shot.png";
    ASSERT_TRUE(host.screenshot(id, file));
    EXPECT_FALSE(host.screenshot(id + 1, file));
    EXPECT_FALSE(host.screenshot(id, tmp.str() + "none/shot.png"));

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, file.c_str()), 0);
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint8_t* p = rgba.data() + (y * 3 + x) * 4;
            EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{100 + x + y, y, x, 255}));
        }
}

TEST(PlatformHeadless, MessageBoxesTakeQueuedAnswersOrTheDefault) {
    HeadlessPlatform host(HeadlessOptions{});
    MessageBoxSpec box;
    box.caption = test::sjis(u8"確認");
    box.text = test::sjis(u8"保存しますか？");
    box.buttons = Buttons::YesNoCancel;
    box.defaultButton = 1;
    EXPECT_EQ(host.messageBox(box), kIdNo);
    box.defaultButton = 9;  // out of range: the first button
    EXPECT_EQ(host.messageBox(box), kIdYes);
    box.buttons = Buttons::RetryCancel;
    box.defaultButton = 1;
    EXPECT_EQ(host.messageBox(box), kIdCancel);
    host.queueMessageBoxAnswer(kIdRetry);
    host.queueMessageBoxAnswer(kIdAbort);
    EXPECT_EQ(host.messageBox(box), kIdRetry);
    EXPECT_EQ(host.messageBox(box), kIdCancel) << "no abort button: the default";
    EXPECT_EQ(host.transcript().at(5), "messagebox answer 3 is not a button of the box: its default taken");
    EXPECT_EQ(host.messageBox(box), kIdCancel);
    EXPECT_EQ(host.transcript().size(), 7u);
    EXPECT_EQ(host.transcript().at(0), u8s(u8"messagebox: 確認 | 保存しますか？"));
}

TEST(PlatformHeadless, ErrorDialogEditsOnlyWhenTheButtonIsEnabled) {
    HeadlessPlatform host(HeadlessOptions{});
    int edits = 0;
    ErrorDialogSpec dialog;
    dialog.caption = test::sjis(u8"エラー");
    dialog.text = test::sjis(u8"ファイルがありません");
    dialog.edit = EditButton::Enabled;
    dialog.onEdit = [&] { ++edits; };
    host.queueErrorDialogEdits(2);
    host.queueErrorDialogEdits(3);
    host.errorDialog(dialog);
    EXPECT_EQ(edits, 2);
    dialog.edit = EditButton::Disabled;
    host.errorDialog(dialog);  // takes the 3 but cannot press the button
    EXPECT_EQ(edits, 2);
    dialog.edit = EditButton::Enabled;
    host.errorDialog(dialog);  // nothing queued: straight to the end button
    EXPECT_EQ(edits, 2);
    ASSERT_EQ(host.transcript().size(), 3u);
    EXPECT_EQ(host.transcript()[0], u8s(u8"error dialog: エラー | edit=enabled | ファイルがありません"));
    EXPECT_EQ(host.transcript()[1], u8s(u8"error dialog: エラー | edit=disabled | ファイルがありません"));
}

TEST(PlatformHeadless, EventsAndEchoedTranscript) {
    HeadlessOptions options;
    options.echoTranscript = true;
    HeadlessPlatform host(options);
    Event e;
    EXPECT_FALSE(host.pollEvent(e));
    host.pushEvent(Event{EventType::Exposed, 1});
    host.pushEvent(Event{EventType::CloseRequest, 2});
    ASSERT_TRUE(host.pollEvent(e));
    EXPECT_EQ(e.type, EventType::Exposed);
    ASSERT_TRUE(host.pollEvent(e));
    EXPECT_EQ(e.type, EventType::CloseRequest);
    EXPECT_EQ(e.window, 2);
    EXPECT_FALSE(host.pollEvent(e));

    testing::internal::CaptureStdout();
    host.raiseWindow(3);
    MessageBoxSpec box;
    box.text = test::sjis(u8"終了");
    host.messageBox(box);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              u8s(u8"headless: raise window 3\nheadless: messagebox:  | 終了\n"));
}

}  // namespace
}  // namespace vr::platform
