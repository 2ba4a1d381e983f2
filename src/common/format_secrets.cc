#include "common/format_secrets.h"

#include "common/crc32.h"

namespace vr::secrets {

std::array<uint8_t, 4> scriptKey() {
    uint32_t h = nameHash(kScriptKeyText, sizeof kScriptKeyText - 1);
    return {uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h)};
}

}  // namespace vr::secrets
