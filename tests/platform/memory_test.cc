#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vr::platform {
namespace {

TEST(MemoryStatusTest, HostFiguresAreConsistent) {
    MemoryStatus m = hostMemoryStatus();
    EXPECT_GT(m.totalBytes, 16ull << 20);  // no host this runs on has less
    EXPECT_GT(m.availableBytes, 0u);
    EXPECT_LE(m.availableBytes, m.totalBytes);
    EXPECT_GE(m.loadPercent, 0);
    EXPECT_LE(m.loadPercent, 100);
    // The load is the share in use, to the percent.
    int load = int((m.totalBytes - m.availableBytes) * 100 / m.totalBytes);
    EXPECT_EQ(m.loadPercent, load);
}

}  // namespace
}  // namespace vr::platform
