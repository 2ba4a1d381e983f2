// Arbitrary bytes as a CSV file: every element must lie inside the file (or
// be the line-end element), keep to the field limit without half a
// character, and the count must equal the elements a read would store.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/csv_scan.h"
#include "common/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view file(reinterpret_cast<const char*>(data), size);
    size_t elements = 0;
    vr::csv::scan(file, [&](std::string_view e) {
        ++elements;
        if (e.size() > vr::csv::kFieldLimit) __builtin_trap();
        bool inside = e.empty() || (e.data() >= file.data() && e.data() + e.size() <= file.data() + file.size());
        if (!inside && e != vr::csv::kLineEnd) __builtin_trap();
        size_t i = 0;
        while (i < e.size()) i += vr::sjis::charLength(e, i);
        if (i != e.size()) __builtin_trap();
    });
    if (vr::csv::count(file) != elements) __builtin_trap();
    return 0;
}
