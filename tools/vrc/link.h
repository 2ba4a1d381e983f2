// vrc as the engine's development compiler: it compiles the game folder the
// engine names and hands the compiled files over in shared memory.
#pragma once

#include <string>

namespace vrc {

// "VRCom.exe vr": one exchange with the engine that started it.  0 when the
// game compiled and the engine took the files.
int runLink();

// Puts a copy of this vrc into GAME_DIR/system/VRCom/VRCom.exe.
int installLink(const std::string& gameFolder);

}  // namespace vrc
