// The thread tree: named nodes under one root, "/"-separated paths, the
// children of a node in execution order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

struct ThreadNode;

// Splits a path into its names; false when it is malformed (empty, an empty
// name, or a blank in a name).
bool splitThreadPath(std::string_view path, std::vector<std::string>& names);

struct ThreadLookup {
    ThreadNode* node = nullptr;    // the node, when it exists
    ThreadNode* parent = nullptr;  // its parent, when that exists
    bool missingPart = false;      // a name before the last does not exist
};
ThreadLookup findThreadNode(const std::vector<std::string>& names);

// Creates a node at a place (1-based; clamped to the list) with a new thread.
ThreadNode* createThreadNode(ThreadNode& parent, std::string name, int64_t place);

int64_t placeOf(const ThreadNode& node);
void setPlace(ThreadNode& node, int64_t place);

// Takes a node (and everything below it) out of the tree; it is freed after
// the frame's walk.
void unlinkThreadNode(ThreadNode& node);

}  // namespace vr
