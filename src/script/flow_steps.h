// The hot control-flow instructions as inline steps: a plain integer
// assignment, a block whose condition is a decoded integer expression, and
// the ends of blocks and loops.  Their handlers call these, and the
// interpreter loop runs them in line for the instructions the loader marked,
// which spares the call and the walk from the engine to the instruction's
// records.  A step returns false when anything is unusual (another type, an
// error to report, a nesting limit); the instruction then runs its handler,
// which has the whole behaviour.
#pragma once

#include <cstdint>

#include "common/compiler.h"
#include "script/fast_eval.h"
#include "script/script_state.h"
#include "script/script_thread.h"

namespace vr {

enum class FlowStep : uint8_t { None = 0, AssignInteger, BlockBeginInteger, BlockEnd, LoopEnd };

// r[0] a plain integer variable, r[1] a decoded integer expression.
VR_ALWAYS_INLINE bool assignIntegerStep(const ScriptImage& image, const DecodedRecord* r) {
    Variable* v = r[0].fast.record;
    int64_t x;
    if (v->type != kTypeInteger || v->integers.empty() || !computeFast<false>(r[1].fast, image.fastPool, x))
        return false;
    assignIntegerElement(*v, 0, r[0].relative, x);
    return true;
}

// r[0] the condition, r[1] and r[2] the else and end targets.
VR_ALWAYS_INLINE bool blockBeginIntegerStep(ScriptThread& t, const ScriptImage& image, const DecodedRecord* r,
                                  uint32_t instruction) {
    int64_t condition;
    if (t.blockDepth + 1 >= kNestingLimit || !computeFast<false>(r[0].fast, image.fastPool, condition)) return false;
    size_t level = size_t(t.blockDepth);
    t.blockStart[level] = instruction;
    t.blockSavedLoopDepth[level] = uint8_t(t.loopDepth);
    t.blockEnd[level] = r[2].length;
    t.blockDepth = int8_t(level + 1);
    if (condition == 0) t.pc = r[1].length != 0 ? r[1].length : r[2].length;
    return true;
}

VR_ALWAYS_INLINE bool blockEndStep(ScriptThread& t) {
    if (t.blockDepth == 0) return false;
    t.blockDepth = int8_t(t.blockDepth - 1);
    t.blockEnd[size_t(t.blockDepth)] = 0;
    return true;
}

VR_ALWAYS_INLINE bool loopEndStep(ScriptThread& t) {
    if (t.loopDepth == 0) return false;
    size_t level = size_t(t.loopDepth - 1);
    if (t.loopCount[level] != -1 && t.loopCounter[level] >= t.loopCount[level]) {
        t.loopDepth = int8_t(level);
        t.loopCounter[level] = 0;
        t.loopCount[level] = 0;
        return true;
    }
    ++t.loopCounter[level];
    t.pc = t.loopStart[level];
    t.blockDepth = int8_t(t.loopSavedBlockDepth[level]);
    return true;
}

// Runs instruction i in line when it is marked; false: call its handler.
VR_ALWAYS_INLINE bool runFlowStep(FlowStep step, ScriptThread& t, const ScriptImage& image, const DecodedRecord* r,
                        uint32_t i) {
    switch (step) {
    case FlowStep::None: return false;
    case FlowStep::AssignInteger: return assignIntegerStep(image, r);
    case FlowStep::BlockBeginInteger: return blockBeginIntegerStep(t, image, r, i);
    case FlowStep::BlockEnd: return blockEndStep(t);
    case FlowStep::LoopEnd: return loopEndStep(t);
    }
    return false;
}

}  // namespace vr
