// The drawing command (slot 2): one operation on an object's picture.
#pragma once

namespace vr {

struct CommandTable;
void installDrawCommand(CommandTable& table);

}  // namespace vr
