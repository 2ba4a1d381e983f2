// The object tree: paths, sibling order, dirty rectangles and deletion.
#include <gtest/gtest.h>

#include "graphics/object_tree.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

struct ObjectTreeTest : ::testing::Test {
    test::HeadlessEngine h;
    ObjectNode* root = nullptr;
    void SetUp() override { root = createLayerNode("W0", 64, 48, 1); }

    ObjectNode* leaf(const char* path, int64_t order, uint32_t w = 4, uint32_t hgt = 4) {
        ObjectNode* n = createNode(path, false, order);
        attachLayer(*n, newLayerRecord());
        allocateLayerPixels(*n->layer, w, hgt, n->name);
        return n;
    }
    bool reported(uint32_t code) const {
        for (uint32_t c : h.e.core.errors.reportedCodes)
            if (c == code) return true;
        return false;
    }
};

TEST_F(ObjectTreeTest, PathsResolveAgainstTheCurrentPath) {
    std::string out;
    EXPECT_EQ(resolvePath(out, "bg", "W0", false), 0);
    EXPECT_EQ(out, "W0/bg");
    EXPECT_EQ(resolvePath(out, "bg", "", false), 0);
    EXPECT_EQ(out, "bg");
    EXPECT_EQ(resolvePath(out, ":/W1/a", "W0", false), 0);
    EXPECT_EQ(out, "W1/a");
    EXPECT_EQ(resolvePath(out, ":W1//a/./b/../c/", "W0", false), 1) << "a final / names a container";
    EXPECT_EQ(out, "W1/a/c");
    EXPECT_EQ(resolvePath(out, "/x/y", "W0", false), 0) << "a leading / is not doubled";
    EXPECT_EQ(out, "W0/x/y");
    EXPECT_EQ(resolvePath(out, "a b/c", "W0", true), 0);
    EXPECT_EQ(resolvePath(out, "a b/c", "W0", false), -1);
    EXPECT_TRUE(reported(100242));
}

TEST_F(ObjectTreeTest, ChildrenStaySortedAndEqualOrdersKeepCreationOrder) {
    ObjectNode* a = leaf("W0/a", 5);
    ObjectNode* b = leaf("W0/b", 1);
    ObjectNode* c = leaf("W0/c", 5);
    ObjectNode* d = leaf("W0/d", 3);
    std::vector<std::string> names;
    for (ObjectNode* n = root->firstChild; n; n = n->nextSibling) names.push_back(n->name);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "d", "a", "c"}));
    EXPECT_EQ(root->childCount, 4);
    reorderNode(*b, 9);
    EXPECT_EQ(root->lastChild, b);
    EXPECT_EQ(root->firstChild, d);
    EXPECT_EQ(a->nextSibling, c);
}

TEST_F(ObjectTreeTest, LeavesAndContainersOfOneNameAreDifferentObjects) {
    ObjectNode* l = leaf("W0/x", 1);
    ObjectNode* c = createLayerNode("W0/x", 2, 2, 2);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(findNode("x"), l);
    EXPECT_EQ(findNode("x/"), c);
    EXPECT_EQ(findNode(":/W0/x/"), c);
    EXPECT_EQ(findNode("missing"), nullptr);
    EXPECT_EQ(createNode("W0/nowhere/y", false, 1), nullptr);
    EXPECT_TRUE(reported(100230));
}

TEST_F(ObjectTreeTest, DirtyRectanglesMergeAndOverflowIntoTheFirst) {
    LayerRecord& l = *root->layer;
    l.dirtyCount = 0;
    l.dirtyUsed.fill(false);
    addDirtyRect(l, {0, 0, 3, 3});
    addDirtyRect(l, {2, 1, 6, 2});  // overlaps the first: merged
    EXPECT_EQ(l.dirtyCount, 1u);
    EXPECT_EQ(l.dirty[0].right, 6);
    for (int k = 1; k < kDirtySlots; ++k) addDirtyRect(l, {10 * k, 40, 10 * k + 1, 41});
    EXPECT_EQ(l.dirtyCount, 16u);
    addDirtyRect(l, {200, 200, 201, 201});  // no slot left: rectangle 0 grows
    EXPECT_EQ(l.dirtyCount, 16u);
    EXPECT_EQ(l.dirty[0].right, 201);
    EXPECT_EQ(l.dirty[0].bottom, 201);
}

TEST_F(ObjectTreeTest, AChildOutsideItsParentMarksNothing) {
    ObjectNode* n = leaf("W0/far", 1);
    LayerRecord& p = *root->layer;
    p.dirtyCount = 0;
    p.dirtyUsed.fill(false);
    n->layer->x = 64;
    markForRedraw(*n);
    n->layer->x = -4;  // right edge at -1
    markForRedraw(*n);
    EXPECT_EQ(p.dirtyCount, 0u);
    n->layer->x = -3;
    markForRedraw(*n);
    EXPECT_EQ(p.dirtyCount, 1u);
    EXPECT_TRUE(p.needsPresent);
}

TEST_F(ObjectTreeTest, SharedLayersLiveUntilTheLastNodeGoes) {
    ObjectNode* a = leaf("W0/a", 1);
    ObjectNode* b = createNode("W0/b", false, 2);
    attachLayer(*b, a->layer);
    EXPECT_EQ(a->layer->refCount, 2);
    LayerRecord* shared = a->layer;
    deleteNode(a, false);
    EXPECT_EQ(b->layer, shared);
    EXPECT_EQ(shared->refCount, 1);
    ObjectNode* box = createLayerNode("W0/box", 2, 2, 3);
    leaf("W0/box/inner", 1);
    h.e.core.windows[1].root = box;
    deleteNode(box, true);
    EXPECT_EQ(findNode("box/"), nullptr);
    EXPECT_EQ(h.e.core.windows[1].root, nullptr) << "a window forgets a deleted root";
}

}  // namespace
}  // namespace vr
