#include "script/arguments.h"

#include <gtest/gtest.h>

#include "core/engine_files.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

struct RangeTest : ::testing::Test {
    test::HeadlessEngine h;
    CommandDefinition command{"Command", {"value"}, {0}, {0}};
    // The code reported for a value, or 0 when it passes.
    uint32_t check(uint8_t range, int64_t value) {
        size_t before = h.e.core.errors.reportedCodes.size();
        bool ok = checkArgumentRange(&command, 0, range, value);
        if (ok) return 0;
        return h.e.core.errors.reportedCodes.size() > before ? h.e.core.errors.reportedCodes.back() : 1;
    }
};

TEST_F(RangeTest, ColourRangesAtTheirEdges) {
    // 22: a colour or -1; only the low 32 bits count.
    EXPECT_EQ(check(22, -1), 0u);
    EXPECT_EQ(check(22, 0xFFFFFF), 0u);
    EXPECT_EQ(check(22, 0x1000000), 101020u);
    EXPECT_EQ(check(22, -2), 101020u);
    // 23: a colour.
    EXPECT_EQ(check(23, 0xFFFFFF), 0u);
    EXPECT_EQ(check(23, -1), 101030u);
}

TEST_F(RangeTest, BoundedRangesCompareTheLowThirtyTwoBits) {
    EXPECT_EQ(check(3, 0), 0u);
    EXPECT_EQ(check(3, 1), 0u);
    EXPECT_EQ(check(3, 2), 101000u);
    EXPECT_EQ(check(3, -1), 101000u);
    EXPECT_EQ(check(3, 0x100000001LL), 0u) << "only the low 32 bits are checked";
    EXPECT_EQ(check(16, 127), 101000u);
    EXPECT_EQ(check(16, 128), 0u);
    EXPECT_EQ(check(21, 8192), 0u);
    EXPECT_EQ(check(21, 8193), 101000u);
    EXPECT_EQ(check(21, 0), 101000u);
}

TEST_F(RangeTest, SignedAndWindowRanges) {
    EXPECT_EQ(check(1, 0), 0u);
    EXPECT_EQ(check(1, -1), 101010u);
    EXPECT_EQ(check(2, 0), 101010u);
    EXPECT_EQ(check(2, int64_t(1) << 40), 0u) << "kinds 1 and 2 look at all 64 bits";
    EXPECT_EQ(check(26, 3), 0u);
    EXPECT_EQ(check(26, 4), 101210u);
    EXPECT_EQ(check(26, -1), 101220u);
    h.e.core.windows[0].clientWidth = 800;
    h.e.core.windows[0].clientHeight = 600;
    EXPECT_EQ(check(24, 799), 0u);
    EXPECT_EQ(check(24, 800), 101000u);
    EXPECT_EQ(check(25, 599), 0u);
    EXPECT_EQ(check(25, -1), 101000u);
    EXPECT_EQ(check(0, -12345), 0u);
    EXPECT_EQ(check(27, -12345), 0u) << "kinds past 26 check nothing";
}

}  // namespace
}  // namespace vr
