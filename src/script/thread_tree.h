// The thread tree: named nodes under one root, "/"-separated paths, the
// children of a node sorted by their order as object nodes are.
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

// Creates a node with a new thread, after every sibling whose order is not
// greater (so the newest of equal orders runs first).
ThreadNode* createThreadNode(ThreadNode& parent, std::string name, int64_t order);

// Gives a node a new order and moves it among its siblings accordingly.
void reorderThreadNode(ThreadNode& node, int64_t order);

// 1-based among its siblings (its run position); 0 without a parent.
size_t threadPosition(const ThreadNode& node);

// Takes a node (and everything below it) out of the tree; it is freed after
// the frame's walk.
void unlinkThreadNode(ThreadNode& node);

}  // namespace vr
