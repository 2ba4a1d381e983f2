// The engine: every piece of engine-wide state, made of the subsystems' own
// state records.  Command handlers take no parameters and reach it through
// engine().  A test makes a fresh Engine on the headless platform, binds it,
// runs it and throws it away.
#pragma once

#include <array>

#include "archive/loader.h"
#include "archive/pack_index.h"
#include "commands/command_table.h"
#include "devtools/debug_log.h"
#include "graphics/graphics_state.h"
#include "graphics/message/message_state.h"
#include "graphics/text/text_state.h"
#include "platform/platform.h"
#include "script/engine_files.h"
#include "script/error_report.h"
#include "script/script_state.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/shell_state.h"
#include "shell/window.h"
#include "shell/window_events.h"

namespace vr {

struct Engine {
    explicit Engine(platform::Platform& host) : platform(host) {}
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    platform::Platform& platform;  // not owned
    ShellState shell;
    ErrorState errors;
    DebugLogState debugLog;
    EngineFiles files;
    LoaderState loader;
    PackIndex packs;
    CommandTable commands;
    ScriptState script;
    GraphicsState graphics;
    TextState text;
    MessageWindowState messageWindow;
    std::array<WindowObject, kWindowCount> windows;
    WindowEvents windowEvents;
    InputState input;
    DisplayState display;
};

namespace detail {
extern Engine* boundEngine;
}

// The engine the handlers work on.  Exactly one is bound at a time.  Inline:
// every handler and evaluator asks for it.
inline Engine& engine() { return *detail::boundEngine; }
void bindEngine(Engine* e);
bool engineBound();

// Binds an engine for a scope (tests, tools).
class EngineBinding {
public:
    explicit EngineBinding(Engine& e) { bindEngine(&e); }
    ~EngineBinding() { bindEngine(nullptr); }
    EngineBinding(const EngineBinding&) = delete;
    EngineBinding& operator=(const EngineBinding&) = delete;
};

}  // namespace vr
