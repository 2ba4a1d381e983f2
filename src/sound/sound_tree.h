// The sound tree: nodes named by paths like the object tree's, each with its
// channel.  A group node's volume scales the nodes below it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sound/sound_channel.h"

namespace vr {

// The ordering number that selects the built-in silent clip.
constexpr uint64_t kKeepAliveNumber = 999999999;

struct SoundNode {
    std::string name;  // Shift_JIS; empty for the root
    uint32_t nameHash = 0;
    bool isGroup = false;
    uint64_t number = 1;
    SoundNode* parent = nullptr;
    std::vector<std::unique_ptr<SoundNode>> children;  // in creation order
    SoundChannel channel;

    bool hasChildren() const { return !children.empty(); }
};

// The node at a resolved path below the root, or null.  Components before
// the last are groups; the last is a group when `group` is set.
SoundNode* findSoundNode(SoundNode& root, std::string_view resolved, bool group);
// The parent of a resolved path's last component, or null when a group on
// the way is missing.
SoundNode* findSoundParent(SoundNode& root, std::string_view resolved);
// A new node under the parent, with a fresh channel.
SoundNode& addSoundNode(SoundNode& parent, std::string_view name, bool group, uint64_t number);
// Unlinks and frees the node (its channel must be idle).
void removeSoundNode(SoundNode& node);

// Depth first: a node, then its children, then its next sibling.
template <typename F>
void forEachSoundNode(SoundNode& node, F&& f) {
    f(node);
    for (auto& child : node.children) forEachSoundNode(*child, f);
}

}  // namespace vr
