#include <gtest/gtest.h>

#include "graphics/pixel/cpu_features.h"
#include "graphics/pixel/pixel_set.h"

namespace vr::pixel {
namespace {

#if defined(__i386__) || defined(__x86_64__)
TEST(PixelSetTest, DetectionAgreesWithTheCompilersView) {
    CpuFeatures f = detectCpuFeatures();
    EXPECT_EQ(f.mmx, __builtin_cpu_supports("mmx") ? 1 : 0);
    EXPECT_EQ(f.sse, __builtin_cpu_supports("sse") ? 1 : 0);
    EXPECT_EQ(f.sse2, __builtin_cpu_supports("sse2") ? 1 : 0);
    EXPECT_EQ(f.sse3, __builtin_cpu_supports("sse3") ? 1 : 0);
    EXPECT_EQ(f.ssse3, __builtin_cpu_supports("ssse3") ? 1 : 0);
    EXPECT_EQ(f.sse41, __builtin_cpu_supports("sse4.1") ? 1 : 0);
    EXPECT_EQ(f.sse42, __builtin_cpu_supports("sse4.2") ? 1 : 0);
    EXPECT_EQ(f.avx2, __builtin_cpu_supports("avx2") ? 1 : 0);
}
#endif

TEST(PixelSetTest, SettingsSwitchesChooseTheSet) {
    CpuFeatures none, sseOnly, both;
    sseOnly.sse = 1;
    both.sse = both.sse2 = 1;
    EXPECT_EQ(choosePixelSet(none, true, true).kind, PixelSetKind::Plain);
    EXPECT_EQ(choosePixelSet(both, false, false).kind, PixelSetKind::Plain);
    EXPECT_EQ(choosePixelSet(sseOnly, false, true).kind, PixelSetKind::Plain);
    // SSE without SSE2 gets the SSE set's pixels without vector code.
    EXPECT_EQ(choosePixelSet(sseOnly, true, false).kind, PixelSetKind::SseModel);
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_EQ(choosePixelSet(both, true, false).kind, PixelSetKind::Sse2);
    EXPECT_EQ(choosePixelSet(both, false, true).kind, PixelSetKind::Sse2);
    CpuFeatures wide = both;
    wide.avx2 = 1;
    EXPECT_EQ(choosePixelSet(wide, true, true).kind, PixelSetKind::Avx2);
    EXPECT_EQ(choosePixelSet(wide, true, true, false).kind, PixelSetKind::Sse2);
#endif
}

}  // namespace
}  // namespace vr::pixel
