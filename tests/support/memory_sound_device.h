// A sound device whose buffers are plain rings in memory, for tests and
// fuzz targets of the sound source: what a refill writes can be read back
// byte for byte.  Nothing plays; the cursors stay at 0.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/sound_device.h"

namespace vr::test {

class MemorySoundBuffer : public platform::SoundBuffer {
public:
    MemorySoundBuffer(const platform::PcmFormat& format, uint32_t bytes) : ring(bytes, 0x5A), format_(format) {}
    uint32_t size() const override { return uint32_t(ring.size()); }
    const platform::PcmFormat& format() const override { return format_; }
    bool play(bool) override { return playing_ = true; }
    void stop() override { playing_ = false; }
    bool playing() const override { return playing_; }
    bool currentPosition(uint32_t& play, uint32_t& write) const override {
        play = write = 0;
        return true;
    }
    bool setCurrentPosition(uint32_t) override { return true; }
    bool lock(uint32_t offset, uint32_t bytes, platform::SoundSpan& first, platform::SoundSpan& second) override {
        if (offset >= size() || bytes > size()) return false;
        uint32_t head = std::min(bytes, size() - offset);
        first = {ring.data() + offset, head};
        second = bytes > head ? platform::SoundSpan{ring.data(), bytes - head} : platform::SoundSpan{};
        return true;
    }
    bool unlock(const platform::SoundSpan&, const platform::SoundSpan&) override { return true; }
    bool setVolume(int32_t) override { return true; }
    bool setPan(int32_t) override { return true; }
    bool setFrequency(uint32_t) override { return true; }

    std::vector<uint8_t> ring;  // filled with 0x5A, so that unwritten bytes show

private:
    platform::PcmFormat format_;
    bool playing_ = false;
};

class MemorySoundDevice : public platform::SoundDevice {
public:
    std::unique_ptr<platform::SoundBuffer> createBuffer(const platform::PcmFormat& format, uint32_t bytes) override {
        if (bytes == 0 || format.blockAlign() == 0 || bytes % format.blockAlign() != 0) return nullptr;
        auto buffer = std::make_unique<MemorySoundBuffer>(format, bytes);
        last = buffer.get();
        return buffer;
    }
    uint32_t outputRate() const override { return 44100; }

    MemorySoundBuffer* last = nullptr;  // the buffer made last (owned by its channel)
};

}  // namespace vr::test
