#include "script/command_table.h"

#include "core/error_report.h"

namespace vr {

int UndefinedCommand() {
    reportScriptError(900050, true);
    return -1;
}

}  // namespace vr
