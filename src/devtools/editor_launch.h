// Opens the script of the last error location in the author's text editor,
// at the failing line (the edit button of the error dialog).
#pragma once

namespace vr {

void openSourceInEditor();

}  // namespace vr
