// What a vrpack command throws when it cannot go on: the file concerned and
// what went wrong, printed by main as one line.
#pragma once

#include <string>

namespace vrpack {

struct Failure {
    std::string file;
    std::string what;
};

}  // namespace vrpack
