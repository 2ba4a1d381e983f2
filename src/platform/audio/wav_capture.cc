#include "platform/audio/wav_capture.h"

#include <algorithm>

#include "common/bytes.h"

namespace vr::platform::audio {
namespace {

constexpr uint32_t kFrameBytes = 4;
// The RIFF size field counts 32 bits: past this the mix is cut (6.7 hours).
constexpr uint64_t kMaxData = (0xFFFFFFFFull - 36) / kFrameBytes * kFrameBytes;

}  // namespace

bool WavCapture::open(const std::string& hostPath, uint32_t rate) {
    close();
    rate_ = rate;
    dataBytes_ = 0;
    ok_ = file_.openHost(hostPath, OpenMode::Write) && writeHeader();
    return ok_;
}

bool WavCapture::writeHeader() {
    ByteWriter header;
    header.bytes("RIFF");
    header.u32(uint32_t(36 + dataBytes_));
    header.bytes("WAVEfmt ");
    header.u32(16);
    header.u16(1);  // PCM
    header.u16(2);
    header.u32(rate_);
    header.u32(rate_ * kFrameBytes);
    header.u16(kFrameBytes);
    header.u16(16);
    header.bytes("data");
    header.u32(uint32_t(dataBytes_));
    return file_.seek(0) && file_.write(header.data().data(), header.size());
}

void WavCapture::append(const int16_t* stereo, uint32_t frames) {
    if (!ok_) return;
    uint64_t bytes = std::min<uint64_t>(uint64_t(frames) * kFrameBytes, kMaxData - dataBytes_);
    staging_.resize(size_t(bytes));
    for (uint64_t i = 0; i < bytes / 2; ++i) storeLe16(&staging_[size_t(2 * i)], uint16_t(stereo[i]));
    if (bytes > 0 && !file_.write(staging_.data(), size_t(bytes))) ok_ = false;
    dataBytes_ += bytes;
}

bool WavCapture::close() {
    if (!file_.isOpen()) return ok_;
    if (ok_) ok_ = writeHeader();
    file_.close();
    return ok_;
}

}  // namespace vr::platform::audio
