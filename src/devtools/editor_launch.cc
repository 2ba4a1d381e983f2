#include "devtools/editor_launch.h"

namespace vr {

void openSourceInEditor() {
    // The editor launch arrives with the compiler link.
}

}  // namespace vr
