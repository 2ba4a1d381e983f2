// The engine: every piece of engine-wide state, made of the layers' own
// records.  Lower layers reach their record through their own accessor
// (core(), scriptState(), graphics(), sound(), saveState()); the shell reaches all of it through
// engine().  A test makes a fresh Engine on the headless platform, binds it,
// runs it and throws it away.
#pragma once

#include "common/bound_record.h"

#include "core/core.h"
#include "graphics/graphics.h"
#include "platform/platform.h"
#include "script/script_state.h"
#include "save/save.h"
#include "sound/sound.h"
#include "shell/display.h"
#include "shell/frame_thread.h"
#include "shell/input.h"
#include "shell/main_thread.h"
#include "shell/main_thread_host.h"
#include "shell/shell_state.h"
#include "shell/window_events.h"

namespace vr {

struct Engine {
    explicit Engine(platform::Platform& host);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    MainThreadCalls mainThread;
    MainThreadHost host;  // the host given (not owned), its window-system calls made on the main thread;
                          // what every layer calls, as core().platform
    Core core;
    ScriptState script;
    Graphics graphics;
    Sound sound;
    SaveState save;
    ShellState shell;
    WindowEvents windowEvents;
    InputState input;
    HostHandOver handOver;  // events and samples on their way to the frame thread
    DisplayState display;
};

// The engine the shell works on.  Exactly one is bound at a time.
inline Engine& engine() { return boundRecord<Engine>(); }
// Binds the engine and each layer's record of it (null unbinds them all).
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
