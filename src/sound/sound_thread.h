// The sound thread's life, and the start-up steps of the sound layer.
#pragma once

namespace vr {

// The sound root "S0" of the sound tree (start-up, with the object roots).
bool createSoundRoot();
// The device, when the game wants sound and the host has audio output;
// without one the run goes on without sound.
void openSoundDevice(bool wanted);
// The sound thread, or, on a virtual clock, the clock listener that runs
// its cycles inside the clock's steps.
void startSoundThread();
// The keep-alive node "ROOT" under the sound root, playing the silent clip
// at level 2 for the whole run.
void queueInitialSounds();
// The time origin of a captured mix: the first frame.
void markSoundStart();
// After shutdown saw the thread finished: joins it, or takes the listener
// off the virtual clock.
void finishSoundThread();

}  // namespace vr
