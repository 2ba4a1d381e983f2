#include "commands/system_operations.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/crc32.h"
#include "core/engine_files.h"
#include "script/system_variables.h"
#include "shell/engine.h"
#include "shell/startup.h"

namespace vr {

void endProgram(bool hasRestart, int64_t restart) {
    if (hasRestart) engine().shell.restartRequested = restart != 0;
    // The same orderly quit as the close box: the frame ends, the main loop
    // leaves, shutdown runs, and runProgram starts the new process last.
    requestQuit();
}

void setFrameRate(bool hasRate, int64_t rate, bool hasSkip, int64_t allowSkip) {
    ShellState& shell = engine().shell;
    if (hasRate) {
        shell.fps = int(std::clamp<int64_t>(rate, 1, kMaxFrameRate));
        // The counts so far belong to the old rate: they become the last
        // published pair and counting starts again from now.
        FramePacer& p = shell.pacer;
        p.pacedPerSecond = p.pacedFrames;
        p.presentedPerSecond = p.presentedFrames;
        p.pacedFrames = 0;
        p.presentedFrames = 0;
        p.statsReference = core().platform.millis();
    }
    if (hasSkip) shell.frameSkipAllowed = allowSkip != 0 ? 1 : 0;
}

void setCheckSwitch(int index, int64_t value) {
    auto& switches = engine().core.errors.checkSwitches;
    if (index < 1 || size_t(index) >= switches.size()) return;
    switches[size_t(index)] = uint8_t(value);
}

int64_t randomInRange(uint32_t draw, int64_t lo, int64_t hi) {
    if (hi < lo) std::swap(lo, hi);
    // In unsigned arithmetic the span of the whole 64-bit range wraps to 0;
    // every draw is in range then.
    uint64_t span = uint64_t(hi) - uint64_t(lo) + 1u;
    uint64_t offset = span == 0 ? draw : draw % span;
    return int64_t(uint64_t(lo) + offset);
}

int selectMathFunction(uint32_t presentIds) {
    static constexpr int kOrder[] = {kMathSin,  kMathCos,  kMathTan,  kMathAsin, kMathAcos,  kMathSinh,
                                     kMathCosh, kMathTanh, kMathAtan, kMathAtan2, kMathSqrt, kMathAbs,
                                     kMathExp,  kMathLog,  kMathLog10, kMathPow, kMathRandom, kMathCrc32};
    for (int id : kOrder) {
        if (presentIds & (1u << id)) return id;
    }
    return -1;
}

namespace {

MathResult realResult(double v) {
    MathResult r;
    r.floating = true;
    r.real = v;
    return r;
}

MathResult integerResult(int64_t v) {
    MathResult r;
    r.integer = v;
    return r;
}

}  // namespace

MathResult applyMathFunction(int function, const MathOperand& a, const MathOperand& b, std::string_view text) {
    double x = a.asDouble();
    switch (function) {
    case kMathSin: return realResult(std::sin(x));
    case kMathCos: return realResult(std::cos(x));
    case kMathTan: return realResult(std::tan(x));
    case kMathAsin: return realResult(std::asin(x));
    case kMathAcos: return realResult(std::acos(x));
    case kMathSinh: return realResult(std::sinh(x));
    case kMathCosh: return realResult(std::cosh(x));
    case kMathTanh: return realResult(std::tanh(x));
    case kMathAtan: return realResult(std::atan(x));
    case kMathAtan2: return realResult(std::atan2(x, b.asDouble()));
    case kMathSqrt: return realResult(std::sqrt(x));
    case kMathAbs:
        if (a.floating) return realResult(std::fabs(a.real));
        // The most negative integer has no positive twin; it wraps to itself.
        return integerResult(a.integer < 0 ? int64_t(0u - uint64_t(a.integer)) : a.integer);
    case kMathExp: return realResult(std::exp(x));
    case kMathLog: return realResult(std::log(x));
    case kMathLog10: return realResult(std::log10(x));
    case kMathPow: return realResult(std::pow(x, b.asDouble()));
    case kMathRandom: return integerResult(randomInRange(engineRandom(), a.integer, b.integer));
    case kMathCrc32: {
        std::string_view bytes = text.substr(0, text.find('\0'));
        return integerResult(int64_t(nameHash(bytes)));
    }
    default: return integerResult(0);
    }
}

bool labelExists(std::string_view name) { return findLabelIndex(name) >= 0; }

}  // namespace vr
