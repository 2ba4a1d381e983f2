// The requests of the sound commands to the sound thread: a ring of 1024
// slots under the sound lock.  Producers append; the sound thread alone
// takes them, in order, one cycle at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vr {

struct SoundNode;

enum class SoundRequestKind : uint8_t {
    Load = 1,
    Play = 2,
    Pause = 3,
    Stop = 4,
    SetVolume = 5,
    SetTargetVolume = 6,
    SetLoopCount = 7,
    SetEndPosition = 8,
    SetStartPosition = 9,
    SetLoopStart = 10,
    SetPan = 11,
    SetFrequency = 12,
    Sync = 13,
    Release = 14,
};
constexpr int kSoundRequestKinds = 15;  // kinds 1 to 14 index the function table

constexpr size_t kSoundRingSlots = 1024;
constexpr size_t kSoundNameBytes = 256;

struct SoundRequest {
    SoundNode* node = nullptr;
    SoundRequestKind kind = SoundRequestKind::Sync;
    std::string name;  // Load's resource name, at most 255 bytes
    int32_t parameter = 0;
    uint32_t done = 0;  // 0 when enqueued, 1 when taken
};

struct SoundRequestQueue {
    std::array<SoundRequest, kSoundRingSlots> slots;
    size_t readIndex = 0;   // advanced by the sound thread
    size_t writeIndex = 0;  // advanced by producers
    bool empty() const { return readIndex == writeIndex; }
};

// Appends a request under the sound lock; a ring that has just overflowed
// reports 110200.  The slot's index, for waiting on its done flag.
size_t enqueueSoundRequest(SoundNode* node, SoundRequestKind kind, int32_t parameter, const std::string& name = {});

}  // namespace vr
