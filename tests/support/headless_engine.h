// A fresh engine on the headless platform, bound for the test's lifetime.
#pragma once

#include <memory>

#include "platform/headless/headless.h"
#include "shell/engine.h"

namespace vr::test {

struct HeadlessEngine {
    HeadlessEngine() : host(platform::HeadlessOptions{}), e(host), binding(e) {}
    platform::HeadlessPlatform host;
    Engine e;
    EngineBinding binding;
};

}  // namespace vr::test
