#include "platform/audio/wav_capture.h"

#include <algorithm>

namespace vr::platform::audio {
namespace {

constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kFrameBytes = 4;
// The RIFF size field counts 32 bits: past this the mix is cut (6.7 hours).
constexpr uint64_t kMaxData = (0xFFFFFFFFull - 36) / kFrameBytes * kFrameBytes;

void put16(uint8_t*& p, uint32_t v) {
    *p++ = uint8_t(v);
    *p++ = uint8_t(v >> 8);
}
void put32(uint8_t*& p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p, v >> 16);
}
void putTag(uint8_t*& p, const char* tag) {
    for (int i = 0; i < 4; ++i) *p++ = uint8_t(tag[i]);
}

}  // namespace

bool WavCapture::open(const std::string& hostPath, uint32_t rate) {
    close();
    rate_ = rate;
    dataBytes_ = 0;
    ok_ = file_.openHost(hostPath, OpenMode::Write) && writeHeader();
    return ok_;
}

bool WavCapture::writeHeader() {
    uint8_t header[kHeaderBytes];
    uint8_t* p = header;
    putTag(p, "RIFF");
    put32(p, uint32_t(36 + dataBytes_));
    putTag(p, "WAVE");
    putTag(p, "fmt ");
    put32(p, 16);
    put16(p, 1);  // PCM
    put16(p, 2);
    put32(p, rate_);
    put32(p, rate_ * kFrameBytes);
    put16(p, kFrameBytes);
    put16(p, 16);
    putTag(p, "data");
    put32(p, uint32_t(dataBytes_));
    return file_.seek(0) && file_.write(header, kHeaderBytes);
}

void WavCapture::append(const int16_t* stereo, uint32_t frames) {
    if (!ok_) return;
    uint64_t bytes = std::min<uint64_t>(uint64_t(frames) * kFrameBytes, kMaxData - dataBytes_);
    staging_.resize(size_t(bytes));
    uint8_t* p = staging_.data();
    for (uint64_t i = 0; i < bytes / 2; ++i) put16(p, uint16_t(stereo[i]));
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
