#include "platform/headless/headless_sound.h"

#include <algorithm>
#include <chrono>

namespace vr::platform {
namespace {

// A shell that never marks its first frame still gets its recording, from
// the device's opening, once this much has been held back.
constexpr uint64_t kMaxEarlyFrames = 60ull * HeadlessSoundDevice::kRate;

}  // namespace

HeadlessSoundDevice::HeadlessSoundDevice(std::function<uint64_t()> clock, bool realTime, const std::string& recordTo)
    : clock_(std::move(clock)),
      realTime_(realTime),
      mixer_(kRate, kPeriodFrames),
      block_(size_t(audio::MixScratch::kBlockFrames) * 2) {
    mixed_ = startFrame_ = framesAt(clock_());
    if (!recordTo.empty()) {
        capturing_ = true;
        captureOk_ = capture_.open(recordTo, kRate);
    }
    if (realTime_) pump_ = std::thread([this] { pump(); });
}

HeadlessSoundDevice::~HeadlessSoundDevice() { finish(); }

std::unique_ptr<SoundBuffer> HeadlessSoundDevice::createBuffer(const PcmFormat& format, uint32_t bytes) {
    return mixer_.createBuffer(format, bytes);
}

void HeadlessSoundDevice::advanceTo(uint64_t millis) {
    if (realTime_) return;  // the pump keeps time
    std::lock_guard<std::mutex> hold(mutex_);
    mixTo(millis);
}

void HeadlessSoundDevice::mixTo(uint64_t millis) {
    if (finished_) return;
    const uint64_t target = framesAt(millis);
    while (mixed_ < target) {
        uint32_t n = uint32_t(std::min<uint64_t>(target - mixed_, audio::MixScratch::kBlockFrames));
        mixer_.mix(block_.data(), n);
        record(block_.data(), n);
        mixed_ += n;
    }
}

// `stereo` holds the frames from mixed_ on.
void HeadlessSoundDevice::record(const int16_t* stereo, uint32_t frames) {
    if (!capturing_) return;
    if (!marked_) {
        early_.insert(early_.end(), stereo, stereo + size_t(frames) * 2);
        if (early_.size() / 2 >= kMaxEarlyFrames) {
            marked_ = true;
            capture_.append(early_.data(), uint32_t(early_.size() / 2));
            std::vector<int16_t>().swap(early_);
        }
        return;
    }
    uint64_t skip = startFrame_ > mixed_ ? std::min<uint64_t>(frames, startFrame_ - mixed_) : 0;
    capture_.append(stereo + skip * 2, uint32_t(frames - skip));
}

void HeadlessSoundDevice::markStart() {
    std::lock_guard<std::mutex> hold(mutex_);
    if (marked_ || finished_) return;
    marked_ = true;
    const uint64_t heldFrom = startFrame_;
    startFrame_ = std::max(framesAt(clock_()), heldFrom);
    // What was mixed between the mark and now belongs to the recording.
    const uint64_t held = early_.size() / 2;
    const uint64_t skip = std::min(startFrame_ - heldFrom, held);
    if (capturing_ && held > skip) capture_.append(early_.data() + skip * 2, uint32_t(held - skip));
    std::vector<int16_t>().swap(early_);
}

bool HeadlessSoundDevice::finish() {
    if (pump_.joinable()) {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            stopping_ = true;
        }
        stopPump_.notify_all();
        pump_.join();
    }
    std::lock_guard<std::mutex> hold(mutex_);
    if (finished_) return captureOk_;
    mixTo(clock_());
    finished_ = true;
    if (!capturing_) return true;
    if (!marked_) capture_.append(early_.data(), uint32_t(early_.size() / 2));
    std::vector<int16_t>().swap(early_);
    captureOk_ = capture_.close() && captureOk_;
    return captureOk_;
}

void HeadlessSoundDevice::pump() {
    std::unique_lock<std::mutex> hold(mutex_);
    while (!stopping_) {
        mixTo(clock_());
        stopPump_.wait_for(hold, std::chrono::milliseconds(10));
    }
}

}  // namespace vr::platform
