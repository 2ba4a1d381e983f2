// The graphics subsystem's steps of start-up and shutdown.
#pragma once

namespace vr {

// The pixel kernels and blend operators for this processor and the kernel
// switches of the settings file; the composition jobs go to the workers.
void buildKernelTable();
// The lookup tables of the blend modes and operators, built before any
// worker exists.
void buildBlendTables();
// The root container of window 0 ("W0", the window's client size) below the
// layer root.  -1 when it cannot be made.
int createObjectRoots();
// Every node and layer.
void releaseLayers();

}  // namespace vr
