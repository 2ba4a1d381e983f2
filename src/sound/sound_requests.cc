#include "sound/sound_requests.h"

#include "core/error_report.h"
#include "sound/sound.h"

namespace vr {

size_t enqueueSoundRequest(SoundNode* node, SoundRequestKind kind, int32_t parameter, const std::string& name) {
    Sound& s = sound();
    platform::LockHolder hold(s.lock);
    const size_t at = s.requests.writeIndex;
    SoundRequest& slot = s.requests.slots[at];
    slot.node = node;
    slot.kind = kind;
    slot.parameter = parameter;
    if (kind == SoundRequestKind::Load) slot.name = name.substr(0, kSoundNameBytes - 1);
    slot.done = 0;
    s.requests.writeIndex = (at + 1) % kSoundRingSlots;
    if (s.requests.writeIndex == s.requests.readIndex) reportError(110200, false);
    return at;
}

}  // namespace vr
