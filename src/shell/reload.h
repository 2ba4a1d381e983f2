// Edit and reload in development mode: in debug mode F5, or a source saved
// in the game folder, recompiles the game through the compiler link; a
// game that compiled starts again from "SYSTEM_START" in a fresh engine, a
// compile error is shown in the error dialog (with its edit button) and the
// running game goes on.
#pragma once

#include "platform/platform.h"

namespace vr {

// A key went down: F5 asks for a reload (on the thread that takes the
// host's events).
void askForReload(int key);
// After start-up: the sources of a development game are watched.
void watchSources();
// At the start of a frame: runs a reload that was asked for.  True when
// the engine is to end for the fresh one.
bool serveReload();
// Start-up of the fresh engine: the compiled files of the reload instead
// of a new run of the compiler.  False when there is no reload.
bool takeReloadedFiles();
// Shutdown before a reload: the main window is kept for the fresh engine
// (and a kept window the fresh engine never took is closed).
void keepMainWindowForReload();
// The main window kept over a reload, made to the new game's size and
// title; kNoWindow when there is none.
platform::WindowId takeKeptWindow(const platform::WindowSpec& window);
// After a presented frame: the first one after a reload says how long it took.
void noteReloadedFrame();

}  // namespace vr
