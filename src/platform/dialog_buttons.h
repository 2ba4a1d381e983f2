// The buttons of each message box set, shared by the backends: the result a
// script sees and the caption shown, in the order Windows lays them out.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace vr::platform {

struct DialogButton {
    int result;
    const char* caption;  // UTF-8
};

struct ButtonSet {
    const DialogButton* buttons;
    size_t count;
    int escapeIndex;  // the button Esc or the close box stands for; -1 for none
};

ButtonSet buttonSet(Buttons buttons);

// The result of the box's default button (the first when out of range).
int defaultResult(const MessageBoxSpec& desc);

// The error dialog's buttons, without mnemonics.
const char* editButtonCaption();
const char* endButtonCaption();

}  // namespace vr::platform
