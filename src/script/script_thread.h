// A script thread: where it is, what it waits for, and its block, loop and
// call stacks.  One per node of the thread tree.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vr {

struct ScriptImage;

constexpr int kNestingLimit = 64;   // blocks, loops and calls each
constexpr int kCallValues = 10;     // parameters and results per type

// Ten integers, ten doubles and ten texts: a call level's parameters or
// results, or a thread's own values.  Index 0 is value 1.
struct CallValues {
    std::array<int64_t, kCallValues> integers{};
    std::array<double, kCallValues> floats{};
    std::array<std::string, kCallValues> strings;
    void clear(int from = 0) {
        for (int k = from; k < kCallValues; ++k) {
            integers[size_t(k)] = 0;
            floats[size_t(k)] = 0;
            strings[size_t(k)].clear();
        }
    }
};

struct ScriptThread {
    uint64_t lastFrame = 0;
    bool inputWait = false;
    uint8_t runSwitch1 = 1, runSwitch2 = 1;
    uint32_t waitFrames = 0;
    uint32_t waitUntil = 0;
    uint32_t pc = 0;
    uint16_t scriptNumber = 0;
    const ScriptImage* image = nullptr;  // the current script's tables
    bool isMainThread = false;

    int8_t blockDepth = 0;
    std::array<uint8_t, kNestingLimit> blockSavedLoopDepth{};
    std::array<uint32_t, kNestingLimit> blockStart{};
    std::array<uint32_t, kNestingLimit> blockEnd{};

    int8_t callDepth = 0;
    std::array<uint8_t, kNestingLimit> callSavedBlockDepth{};
    std::array<uint8_t, kNestingLimit> callSavedLoopDepth{};
    std::array<uint32_t, kNestingLimit> returnPc{};
    std::array<uint16_t, kNestingLimit> returnScript{};

    int8_t loopDepth = 0;
    std::array<uint32_t, kNestingLimit> loopStart{};
    std::array<uint32_t, kNestingLimit> loopExit{};
    std::array<uint8_t, kNestingLimit> loopSavedBlockDepth{};
    std::array<int64_t, kNestingLimit> loopCounter{};
    std::array<int64_t, kNestingLimit> loopCount{};

    // Level k holds what call level k passes in and gets back; level 0 is
    // the thread's top level.
    std::array<CallValues, kNestingLimit + 1> callParameters;
    std::array<CallValues, kNestingLimit + 1> callResults;
    CallValues ownValues;  // set by the thread command

    // The first eight bytes of the last message end's first argument record.
    std::array<uint8_t, 8> messageEndMark{};
};

}  // namespace vr
