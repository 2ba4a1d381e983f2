// The SDL sound device: the engine mixer run by SDL's audio callback.
#include <SDL.h>

#include "platform/audio/mixer.h"
#include "platform/sdl/sdl_platform.h"

namespace vr::platform {
namespace {

// 512 frames: about 12 ms a period at 44100 Hz, short enough that a gain
// ramp is heard as a change rather than a slide, long enough that the
// callback does not wake too often.
constexpr uint16_t kPeriodFrames = 512;

class SdlSoundDevice final : public SoundDevice {
public:
    ~SdlSoundDevice() override {
        // Closing waits for a callback in progress; the mixer goes after it.
        if (device_) SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open() {
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = kPeriodFrames;
        want.callback = &SdlSoundDevice::fill;
        want.userdata = this;
        SDL_AudioSpec have{};
        // The device's own rate is taken as it is (the mixer resamples
        // anyway); the sample format and channels are ours.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                      SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        if (!device_) return false;
        mixer_ = std::make_unique<audio::Mixer>(uint32_t(have.freq), have.samples ? have.samples : kPeriodFrames);
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    std::unique_ptr<SoundBuffer> createBuffer(const PcmFormat& format, uint32_t bytes) override {
        return mixer_->createBuffer(format, bytes);
    }
    uint32_t outputRate() const override { return mixer_->outputRate(); }

private:
    static void SDLCALL fill(void* self, Uint8* stream, int length) {
        auto* device = static_cast<SdlSoundDevice*>(self);
        device->mixer_->mix(reinterpret_cast<int16_t*>(stream), uint32_t(length) / 4);
    }

    SDL_AudioDeviceID device_ = 0;
    std::unique_ptr<audio::Mixer> mixer_;
};

}  // namespace

std::unique_ptr<SoundDevice> openSdlSoundDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    auto device = std::make_unique<SdlSoundDevice>();
    if (!device->open()) return nullptr;  // its destructor quits the subsystem again
    return device;
}

}  // namespace vr::platform
