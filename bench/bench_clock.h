// The clocks the benchmarks read: a process's or a thread's CPU time, or
// the monotonic wall clock, in seconds.
#pragma once

#include <time.h>

namespace vr::bench {

inline double clockSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace vr::bench
