// The object tree: named nodes addressed by "/"-separated paths, each graphic
// node with its layer record, and the dirty rectangles that tell the
// compositor what to redraw.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/layer.h"
#include "script/node_path.h"

namespace vr {


// Walks a resolved path from the layer root: intermediate components are
// containers, the last one is a container when `container` is set.
ObjectNode* findResolvedNode(std::string_view resolved, bool container);
// A script's path resolved against the current object path and looked up;
// null when it does not resolve or does not exist.
ObjectNode* findNode(std::string_view path);
ObjectNode* findChild(const ObjectNode& parent, std::string_view name, bool container);
// A script's object path resolved against `from` (the default object root,
// or "" for the root of the tree) and looked up component by component, as
// the commands that name an object for its picture do.
struct ObjectLookup {
    std::string resolved;
    bool container = false;        // the path ended in "/"
    ObjectNode* parent = nullptr;  // the container the last component is in
    ObjectNode* node = nullptr;    // null when only the last component is missing
};
// 0; -1 after a report: a bad path, or a component on the way missing
// (100230 with that component).
int lookUpObjectPath(std::string_view path, std::string_view from, ObjectLookup& out);
// The object of a path that must exist and have a picture: 101250 with the
// path (after 100230 for a missing component on the way) when it does not.
ObjectNode* findPictureObject(std::string_view path, std::string_view from);
// The same from the default object root, as most commands name objects.
ObjectNode* findLayerObject(std::string_view path);
// The default object root that the commands' paths start from.
std::string_view defaultObjectRoot();

// Creates a node at a resolved path (its parent must exist: else 100230 with
// the missing component).  No layer is attached.
ObjectNode* createNode(std::string_view resolved, bool container, int64_t order);
// A container with a zero-filled layer of the given size, marked for a full
// redraw; null after a report.
ObjectNode* createLayerNode(std::string_view resolved, uint32_t width, uint32_t height, int64_t order);
// A fresh layer record with its defaults and a 1 x 1 transparent surface.
LayerRecord* newLayerRecord();
void attachLayer(ObjectNode& node, LayerRecord* layer);
// Gives a new node a fresh layer record; false after a report (100010), the
// node then deleted.
bool attachNewLayer(ObjectNode& node);
void releaseLayer(ObjectNode& node);

// Moves a node among its siblings to its (new) order.
void reorderNode(ObjectNode& node, int64_t order);

// (Re)allocates a layer's pixels, zero-filled; false after a report
// (104030 with the name, and the debug log line).
bool allocateLayerPixels(LayerRecord& layer, uint32_t width, uint32_t height, std::string_view name);

// The node's rectangle into the dirty rectangles of every ancestor.
void markForRedraw(ObjectNode& node);
// After a layer was created or resized: its whole area, at every level.
void markWholeForRedraw(ObjectNode& node);
// Adds a rectangle (the layer's own coordinates) to a layer's dirty set.
void addDirtyRect(LayerRecord& layer, const DirtyRect& r);

// The sum of the positions of the node's layer and all its ancestors.
void absolutePosition(const ObjectNode& node, int64_t& x, int64_t& y);

// Unlinks and frees a node (with every descendant when withChildren); the
// windows and the drawing target that pointed at it forget it.
void deleteNode(ObjectNode* node, bool withChildren);
// Frees every node below the root (shutdown, and the end of an engine).
void deleteTree(ObjectNode& root);

}  // namespace vr
