#include "shell/modal_box.h"

#include "shell/display.h"
#include "shell/engine.h"
#include "shell/input.h"

namespace vr {

ModalBox::ModalBox() {
    Engine& e = engine();
    suspendedBefore_ = e.shell.frameSuspended;
    e.shell.frameSuspended = true;
    cancelCursorAutoHide();
    // A full screen by scaling leaves the desktop's mode alone, and a box
    // shows over it as over any window.
    if (e.display.fullScreen && !e.display.desktopFullScreen) backToFullScreen_ = setFullScreen(false);
}

void holdForErrorDialog() { engine().shell.errorDialogHold.emplace(); }

void releaseErrorDialogHold() { engine().shell.errorDialogHold.reset(); }

ModalBox::~ModalBox() {
    Engine& e = engine();
    if (backToFullScreen_ && !e.core.run.quitRequested) setFullScreen(true);
    e.shell.frameSuspended = suspendedBefore_;
}

}  // namespace vr
