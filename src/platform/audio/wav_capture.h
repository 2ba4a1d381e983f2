// A mix written to a WAV file as it is made: 16-bit stereo PCM appended
// frame by frame, the header's sizes filled in when the file is closed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vr::platform::audio {

class WavCapture {
public:
    ~WavCapture() { close(); }
    bool open(const std::string& hostPath, uint32_t rate);
    bool isOpen() const { return file_.isOpen(); }
    void append(const int16_t* stereo, uint32_t frames);
    // False when the file could not be written in full.
    bool close();

private:
    bool writeHeader();

    File file_;
    uint32_t rate_ = 0;
    uint64_t dataBytes_ = 0;
    bool ok_ = false;
    std::vector<uint8_t> staging_;
};

}  // namespace vr::platform::audio
