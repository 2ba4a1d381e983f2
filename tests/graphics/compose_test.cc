// Composition of a layer from its children, under every kernel set this
// processor runs: each set has its own blend loops and shortcuts.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/workers.h"
#include "graphics/compose.h"
#include "graphics/graphics_init.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/pixel_set.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

uint32_t pixel(const LayerRecord& l, int x, int y) {
    uint32_t v;
    std::memcpy(&v, l.pixels() + (size_t(y) * l.width() + size_t(x)) * 4, 4);
    return v;
}

void fill(LayerRecord& l, uint32_t v) {
    for (size_t i = 0; i < size_t(l.width()) * l.height(); ++i) std::memcpy(l.pixels() + i * 4, &v, 4);
}

// The sets that run here as themselves (pixelSetFor falls back to the
// nearest one otherwise); the portable model of the vector sets is checked
// against them in the pixel tests.
std::vector<pixel::PixelSetKind> runnableSets() {
    std::vector<pixel::PixelSetKind> kinds;
    for (auto k : {pixel::PixelSetKind::Plain, pixel::PixelSetKind::Sse2, pixel::PixelSetKind::Avx2})
        if (pixel::pixelSetFor(k).kind == k) kinds.push_back(k);
    return kinds;
}

struct ComposeTest : ::testing::TestWithParam<pixel::PixelSetKind> {
    test::HeadlessEngine h;
    ObjectNode* root = nullptr;
    void SetUp() override {
        buildKernelTable();
        h.e.graphics.scene.pixels = &pixel::pixelSetFor(GetParam());
        root = createLayerNode("W0", 16, 8, 1);
    }
    ObjectNode* leaf(const char* path, int64_t order, int x, int y, uint32_t w, uint32_t hgt, uint32_t colour) {
        ObjectNode* n = createNode(path, false, order);
        attachLayer(*n, newLayerRecord());
        allocateLayerPixels(*n->layer, w, hgt, n->name);
        fill(*n->layer, colour);
        n->layer->x = x;
        n->layer->y = y;
        markWholeForRedraw(*n);
        return n;
    }
    void compose() {
        ++h.e.graphics.scene.composePass;
        ASSERT_EQ(composeLayer(*root, false), 0);
    }
};

TEST_P(ComposeTest, EqualOrdersDrawTheNewerAbove) {
    leaf("W0/first", 2, 0, 0, 4, 4, 0xFF0000FF);
    leaf("W0/second", 2, 2, 0, 4, 4, 0xFF00FF00);
    compose();
    const LayerRecord& l = *root->layer;
    EXPECT_EQ(pixel(l, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(pixel(l, 3, 1), 0xFF00FF00u);
    EXPECT_EQ(pixel(l, 8, 1), 0u) << "uncovered parts are cleared";
}

TEST_P(ComposeTest, AContainerIsDrawnWithoutItsOwnAlphaAndALeafWithIt) {
    ObjectNode* box = createLayerNode("W0/box", 4, 4, 1);
    leaf("W0/box/half", 1, 0, 0, 4, 4, 0x80102030);  // alpha 0x80
    box->layer->x = 0;
    leaf("W0/glass", 2, 8, 0, 4, 4, 0x00FFFFFF);    // alpha 0: invisible with its alpha
    findNode("glass")->layer->useSourceAlpha = true;
    compose();
    EXPECT_EQ(pixel(*root->layer, 1, 1), 0x80102030u) << "the container's pixels are copied as they are";
    EXPECT_FALSE(box->layer->useSourceAlpha);
    EXPECT_EQ(pixel(*root->layer, 9, 1), 0u) << "a leaf drawn by its alpha 0 leaves the background";
}

TEST_P(ComposeTest, AnOpaqueCoveringChildStopsTheScanBelowIt) {
    ObjectNode* under = createLayerNode("W0/under", 16, 8, 1);
    leaf("W0/under/red", 1, 0, 0, 16, 8, 0xFFFF0000);
    leaf("W0/cover", 2, 0, 0, 16, 8, 0xFF0000FF);
    compose();
    EXPECT_EQ(pixel(*root->layer, 5, 5), 0xFF0000FFu);
    EXPECT_EQ(pixel(*under->layer, 5, 5), 0u) << "the hidden container was not composed";
    clearPresented(*root);
    EXPECT_TRUE(under->layer->dirtyCount > 0) << "and keeps its dirty state for later";

    findNode("cover")->layer->visible = false;
    markForRedraw(*findNode("cover"));
    compose();
    EXPECT_EQ(pixel(*root->layer, 5, 5), 0xFFFF0000u) << "uncovered, it is drawn up to date";
}

TEST_P(ComposeTest, DirtyRectanglesAreClampedToTheLayer) {
    leaf("W0/a", 1, 0, 0, 16, 8, 0xFF112233);
    compose();
    clearPresented(*root);
    LayerRecord& l = *root->layer;
    addDirtyRect(l, {-20, -5, 100, 3});
    compose();
    EXPECT_EQ(l.present.left, 0);
    EXPECT_EQ(l.present.top, 0);
    EXPECT_EQ(l.present.right, 15);
    EXPECT_EQ(l.present.bottom, 3);
}

TEST_P(ComposeTest, HardMasksDrawExactlyWhereTheMaskReachesTheLevel) {
    // Mask values 0, 16, ..., 240 across the row.
    ObjectNode* mask = leaf("W0/mask", 1, 0, 0, 16, 1, 0);
    mask->layer->excluded = true;
    for (int x = 0; x < 16; ++x) mask->layer->pixels()[x * 4] = uint8_t(x * 16);
    ObjectNode* top = leaf("W0/top", 2, 0, 0, 16, 1, 0xFFFFFFFF);
    top->layer->maskName = "mask";
    top->layer->maskSoftness = 256;
    top->layer->maskLevel = 100;  // drawn where m >= 156
    compose();
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(pixel(*root->layer, x, 0) & 0xFFFFFF, x * 16 >= 156 ? 0xFFFFFFu : 0u) << x;

    MaskRamp ramp;
    buildMaskRamp(ramp, 100, 256, 256);
    EXPECT_EQ(ramp[155], 0);
    EXPECT_EQ(ramp[156], 256);
}

TEST_P(ComposeTest, AMaskOfAnotherSizeIsReported) {
    leaf("W0/mask", 1, 0, 0, 3, 3, 0);
    ObjectNode* top = leaf("W0/top", 2, 0, 0, 4, 4, 0xFFFFFFFF);
    top->layer->maskName = "mask";
    top->layer->maskLevel = 128;
    ++h.e.graphics.scene.composePass;
    EXPECT_EQ(composeLayer(*root, false), -1);
    ASSERT_FALSE(h.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(h.e.core.errors.reportedCodes.back(), 100310u);
}

TEST_P(ComposeTest, OneAndTwoWorkersGiveTheSamePicture) {
    std::mt19937 random(7);
    for (int k = 0; k < 6; ++k) {
        std::string path = "W0/p" + std::to_string(k);
        ObjectNode* n = leaf(path.c_str(), k + 1, int(random() % 12) - 2, int(random() % 6) - 1, 7, 5, 0);
        for (size_t i = 0; i < size_t(7 * 5 * 4); ++i) n->layer->pixels()[i] = uint8_t(random());
        n->layer->useSourceAlpha = k % 2 == 0;
        n->layer->opacity = int16_t(k == 3 ? 200 : 256);
        n->layer->blendMode = uint8_t(k == 4 ? 5 : 0);
    }
    compose();
    std::vector<uint8_t> inline_(root->layer->surface.pixels);

    h.e.core.workers.workerCount = 2;
    ASSERT_EQ(createWorkerPool(), 0);
    addDirtyRect(*root->layer, {0, 0, 15, 7});
    compose();
    stopWorkerPool();
    EXPECT_EQ(root->layer->surface.pixels, inline_);
}

INSTANTIATE_TEST_SUITE_P(KernelSets, ComposeTest, testing::ValuesIn(runnableSets()),
                         [](const testing::TestParamInfo<pixel::PixelSetKind>& i) {
                             return std::string(pixel::pixelSetFor(i.param).name);
                         });

}  // namespace
}  // namespace vr
