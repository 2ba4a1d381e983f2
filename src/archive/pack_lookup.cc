#include "archive/pack_lookup.h"

#include "script/error_report.h"

namespace vr {

// The pack index is built with the archive reader; until it exists no name
// is found in a pack.
int findInPacks(FileRequest&, std::string_view) { return 0; }

int readPackMember(FileRequest&, std::string_view name) {
    reportErrorArgs(901040, true, std::string(name).c_str());
    return -1;
}

}  // namespace vr
