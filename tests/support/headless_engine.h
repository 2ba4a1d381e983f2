// A fresh engine on the headless platform, bound for the test's lifetime.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/headless/headless.h"
#include "script/interpreter.h"
#include "shell/engine.h"

namespace vr::test {

struct HeadlessEngine {
    HeadlessEngine() : host(platform::HeadlessOptions{}), e(host), binding(e) {}
    // One frame of the script threads, as the main loop runs them.
    void frame() {
        ++e.core.run.frameCounter;
        runFrame(e.script.root);
    }
    bool reported(uint32_t code) const {
        const auto& codes = e.core.errors.reportedCodes;
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }
    platform::HeadlessPlatform host;
    Engine e;
    EngineBinding binding;
};

}  // namespace vr::test
