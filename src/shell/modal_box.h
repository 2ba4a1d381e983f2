// What the engine does around a box that holds the player until answered (a
// message box, the input dialog): the cursor is shown, the frame step is
// suspended, and a full screen that switched the display's mode gives the
// desktop back for the box's time, so that the box is seen over it.
#pragma once

namespace vr {

class ModalBox {
public:
    ModalBox();
    ~ModalBox();
    ModalBox(const ModalBox&) = delete;
    ModalBox& operator=(const ModalBox&) = delete;

private:
    bool suspendedBefore_ = false;
    bool backToFullScreen_ = false;
};

// The error dialog's hold, taken and let go through the error reporter's
// hooks.
void holdForErrorDialog();
void releaseErrorDialogHold();

}  // namespace vr
