// Checking, repairing and unpacking one member of an archive image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/archive/pack_format.h"

namespace vrpack {

enum class MemberState {
    Intact,
    Repaired,      // damaged, and mended from its repair data
    Unrepairable,  // damaged beyond what its repair data can mend
    Unreadable,    // its entry or its bytes make no member (no repair helps)
};

struct MemberCheck {
    MemberState state = MemberState::Intact;
    std::string reason;                 // for Unrepairable and Unreadable
    std::vector<uint8_t> repairedBytes;  // the mended stored bytes when Repaired
    // Intact or Repaired, but the repair record is not the one made from
    // the member's bytes: the next damage would go unmended.
    bool recordDamaged = false;
};

// Receives the unpacked bytes piece by piece; may throw to stop.
using Sink = std::function<void(const uint8_t*, size_t)>;

// Checks a member's stored bytes against its Adler-32, mends a copy from the
// repair record when they differ, and unpacks the result into `sink`
// (compressed members must inflate to exactly their unpacked size).  The
// sink may have been given bytes even when the member turns out unreadable.
// Nothing is allocated beyond the member's stored size.
MemberCheck checkMember(const uint8_t* archive, size_t archiveSize, const vr::pack::Entry& entry, const Sink& sink);

// Inflates or copies stored bytes into `sink`; why they do not make the
// member, or nullptr.
const char* unpackMember(const uint8_t* stored, const vr::pack::Entry& entry, const Sink& sink);

// A state with its reason, for reports: "intact", "damaged, can be repaired".
std::string describe(const MemberCheck& check);

}  // namespace vrpack
