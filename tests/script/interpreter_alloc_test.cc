// The interpreter's inner loop must not allocate once it has warmed up: a
// game runs its scripts every frame for hours.  Every allocation of this
// test program is counted; the counts of frames after the first are
// compared.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "common/compiler.h"
#include "script/interpreter.h"
#include "script/variables.h"
#include "support/headless_engine.h"
#include "support/memory_game.h"

namespace {
std::atomic<size_t> allocations{0};
}

// AddressSanitizer keeps its own operator new; the count is taken in the
// plain build only.
#define VIRELO_COUNT_ALLOCATIONS !VR_ADDRESS_SANITIZER

#if VIRELO_COUNT_ALLOCATIONS
// The replacements pair malloc with free themselves; GCC cannot see that
// through the standard library's inlined allocators.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace vr {
namespace {

size_t allocationsOfFrames(test::HeadlessEngine& h, int frames) {
    size_t before = allocations.load();
    for (int f = 0; f < frames; ++f) {
        ++h.e.core.run.frameCounter;
        runFrame(h.e.script.root);
        releaseEndedThreads();
    }
    return allocations.load() - before;
}

TEST(InterpreterAllocation, TheLoopOfAWarmGameAllocatesNothing) {
    if (!VIRELO_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
    test::HeadlessEngine h;
    // t: a text past the small-string buffer, appended to and cut back in
    // place every frame.
    const std::string hundred(100, 'x');
    test::loadCompiledGame(h,
             "global int i\nglobal int c\nglobal float f\nglobal int a[8]\nglobal str s\nglobal str t\n"
             "*SYSTEM_START\nt = \"" + hundred + "\"\n"
             "loop -1\n"
             "  loop 100\n    i = i + 1\n    if i % 7 == 0 && i > 3\n      c += 1\n    elif i % 5 == 0\n"
             "      f = f * 1.5 + 1\n    end\n    a[i % 8] = i * 2\n    call *sub(i, 2.5)\n  end\n"
             "  s = \"abc\"\n  s += str(i)\n"
             "  t += str(i)\n  VariableUtility source=t substring=1 start=1 length=100\n"
             "  wait 1\nend\n"
             "*sub\nreturn param.int[1] + 1\n");
    ASSERT_FALSE(h.e.core.run.quitRequested);
    allocationsOfFrames(h, 3);  // warm-up: string buffers, argument texts
    size_t before = allocations.load();
    std::vector<int> probe(10);
    ASSERT_GT(allocations.load(), before) << "allocations are counted";
    EXPECT_EQ(allocationsOfFrames(h, 20), 0u);
    EXPECT_FALSE(h.e.core.run.quitRequested) << (h.e.core.errors.reports.empty() ? "" : h.e.core.errors.reports[0]);
    EXPECT_GT(getInteger(1001, 0), 0) << "the loop ran";
    EXPECT_EQ(getString(1005, 0), hundred) << "the text was cut back";
}

}  // namespace
}  // namespace vr
