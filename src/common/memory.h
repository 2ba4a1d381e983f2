// Allocation that fails softly: loaders turn a failed allocation into the
// engine's out-of-memory report instead of ending the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

namespace vr {

template <typename T>
bool tryResize(std::vector<T>& v, size_t size) {
    if (size > v.max_size()) return false;
    try {
        v.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

}  // namespace vr
