#include "script/thread_tree.h"

#include <algorithm>

#include "common/sjis.h"
#include "core/core.h"
#include "script/script_state.h"

namespace vr {

bool splitThreadPath(std::string_view path, std::vector<std::string>& names) {
    names.clear();
    if (path.empty()) return false;
    std::string current;
    for (size_t i = 0; i < path.size();) {
        size_t n = sjis::charLength(path, i);
        char c = path[i];
        if (n == 1 && c == '/') {
            if (current.empty()) return false;
            names.push_back(std::move(current));
            current.clear();
        } else if (n == 1 && (c == ' ' || c == '\t')) {
            return false;
        } else {
            current.append(path.substr(i, n));
        }
        i += n;
    }
    if (current.empty()) return false;
    names.push_back(std::move(current));
    return true;
}

namespace {

ThreadNode* child(ThreadNode& parent, std::string_view name) {
    for (auto& c : parent.children)
        if (c->name == name) return c.get();
    return nullptr;
}

size_t indexOf(const ThreadNode& node) {
    const auto& list = node.parent->children;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == &node) return i;
    return list.size();
}

// Before the first child with a greater order, as object nodes are linked:
// equal orders keep creation order.
void linkChild(ThreadNode& parent, std::unique_ptr<ThreadNode> node, int64_t order) {
    node->order = order;
    node->parent = &parent;
    auto& list = parent.children;
    auto above = std::upper_bound(list.begin(), list.end(), order,
                                  [](int64_t o, const std::unique_ptr<ThreadNode>& c) { return o < c->order; });
    list.insert(above, std::move(node));
}

std::unique_ptr<ThreadNode> takeChild(ThreadNode& node) {
    auto& list = node.parent->children;
    size_t at = indexOf(node);
    if (at >= list.size()) return nullptr;
    std::unique_ptr<ThreadNode> held = std::move(list[at]);
    list.erase(list.begin() + long(at));
    held->parent = nullptr;
    return held;
}

}  // namespace

ThreadLookup findThreadNode(const std::vector<std::string>& names) {
    ThreadLookup r;
    ThreadNode* at = &scriptState().root;
    for (size_t k = 0; k < names.size(); ++k) {
        ThreadNode* next = child(*at, names[k]);
        if (k + 1 == names.size()) {
            r.parent = at;
            r.node = next;
            return r;
        }
        if (!next) {
            r.missingPart = true;
            return r;
        }
        at = next;
    }
    return r;
}

ThreadNode* createThreadNode(ThreadNode& parent, std::string name, int64_t order) {
    auto node = std::make_unique<ThreadNode>();
    node->name = std::move(name);
    ThreadNode* raw = node.get();
    linkChild(parent, std::move(node), order);
    return raw;
}

void reorderThreadNode(ThreadNode& node, int64_t order) {
    ThreadNode* parent = node.parent;
    if (!parent) {
        node.order = order;
        return;
    }
    if (std::unique_ptr<ThreadNode> held = takeChild(node)) linkChild(*parent, std::move(held), order);
}

size_t threadPosition(const ThreadNode& node) {
    if (!node.parent) return 0;
    size_t at = indexOf(node);
    return at < node.parent->children.size() ? at + 1 : 0;
}

void unlinkThreadNode(ThreadNode& node) {
    if (!node.parent) return;
    if (std::unique_ptr<ThreadNode> held = takeChild(node)) scriptState().endedThreads.push_back(std::move(held));
}

}  // namespace vr
