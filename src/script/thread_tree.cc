#include "script/thread_tree.h"

#include <algorithm>

#include "common/sjis.h"
#include "core/core.h"
#include "script/script_state.h"
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

ThreadNode* createThreadNode(ThreadNode& parent, std::string name, int64_t place) {
    auto node = std::make_unique<ThreadNode>();
    node->name = std::move(name);
    node->parent = &parent;
    ThreadNode* raw = node.get();
    size_t at = size_t(std::clamp<int64_t>(place, 1, int64_t(parent.children.size()) + 1) - 1);
    parent.children.insert(parent.children.begin() + long(at), std::move(node));
    return raw;
}

int64_t placeOf(const ThreadNode& node) { return node.parent ? int64_t(indexOf(node)) + 1 : 1; }

void setPlace(ThreadNode& node, int64_t place) {
    if (!node.parent) return;
    auto& list = node.parent->children;
    size_t from = indexOf(node);
    if (from >= list.size()) return;
    std::unique_ptr<ThreadNode> held = std::move(list[from]);
    list.erase(list.begin() + long(from));
    size_t to = size_t(std::clamp<int64_t>(place, 1, int64_t(list.size()) + 1) - 1);
    list.insert(list.begin() + long(to), std::move(held));
}

void unlinkThreadNode(ThreadNode& node) {
    if (!node.parent) return;
    auto& list = node.parent->children;
    size_t at = indexOf(node);
    if (at >= list.size()) return;
    std::unique_ptr<ThreadNode> held = std::move(list[at]);
    list.erase(list.begin() + long(at));
    held->parent = nullptr;
    scriptState().endedThreads.push_back(std::move(held));
}

}  // namespace vr
