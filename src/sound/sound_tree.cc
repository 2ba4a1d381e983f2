#include "sound/sound_tree.h"

#include <algorithm>

#include "script/node_path.h"

namespace vr {

namespace {

SoundNode* childNamed(SoundNode& parent, std::string_view name, bool group) {
    const uint32_t hash = objectNameHash(name, group);
    for (auto& c : parent.children)
        if (c->nameHash == hash && c->name == name) return c.get();
    return nullptr;
}

}  // namespace

SoundNode* findSoundNode(SoundNode& root, std::string_view resolved, bool group) {
    SoundNode* at = &root;
    bool any = false;
    forEachComponent(resolved, [&](std::string_view c, bool last) {
        any = true;
        at = childNamed(*at, c, last ? group : true);
        return at != nullptr;
    });
    return any ? at : nullptr;
}

SoundNode* findSoundParent(SoundNode& root, std::string_view resolved) {
    SoundNode* at = &root;
    forEachComponent(resolved, [&](std::string_view c, bool last) {
        if (last) return false;
        at = childNamed(*at, c, true);
        return at != nullptr;
    });
    return at;
}

SoundNode& addSoundNode(SoundNode& parent, std::string_view name, bool group, uint64_t number) {
    auto node = std::make_unique<SoundNode>();
    node->name = std::string(name);
    node->nameHash = objectNameHash(name, group);
    node->isGroup = group;
    node->number = number;
    node->parent = &parent;
    parent.children.push_back(std::move(node));
    return *parent.children.back();
}

void removeSoundNode(SoundNode& node) {
    SoundNode* parent = node.parent;
    if (!parent) return;
    auto& list = parent->children;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& c) { return c.get() == &node; }), list.end());
}

}  // namespace vr
