#include "shell/frame_pacer.h"

#include "shell/engine.h"

namespace vr {

uint32_t framePeriod16(int fps) {
    if (fps < 1) fps = 1;
    return uint32_t((1000ull * 65536ull) / uint64_t(fps));
}

bool framePace() {
    ShellState& shell = engine().shell;
    FramePacer& p = shell.pacer;
    platform::Platform& host = core().platform;

    // The carried fraction keeps non-integer frame lengths exact on average.
    uint32_t sum = framePeriod16(shell.fps) + p.fraction;
    int64_t frameLength = int64_t(sum >> 16);
    p.fraction = sum & 0xFFFF;

    uint64_t now = host.millis();
    int64_t elapsed = int64_t(now) - int64_t(p.lastFrame);
    bool skip = false;
    if (elapsed < frameLength) {
        host.sleep(uint32_t(frameLength - elapsed));
        p.lastFrame += uint64_t(frameLength);
        p.frameStart = host.millis();
    } else {
        int64_t late = elapsed - frameLength;
        if (late >= kLatenessCap) late = 0;
        skip = late >= 3 * frameLength && shell.frameSkipAllowed;
        p.lastFrame = now + uint64_t(late);
        p.frameStart = p.lastFrame;
    }

    if (p.frameStart / 1000 != p.statsReference / 1000) {
        p.pacedPerSecond = p.pacedFrames;
        p.presentedPerSecond = p.presentedFrames;
        p.pacedFrames = 0;
        p.presentedFrames = 0;
        p.statsReference = p.frameStart;
    }
    ++p.pacedFrames;
    return skip;
}

}  // namespace vr
