// A development compiler that misbehaves on purpose, for the engine's link
// tests.  Installed as system/VRCom/VRCom.exe; the file "mode" beside it
// says what to do:
//   no-done          end at once, without the done flag
//   long-name        hand over one item whose name length runs past the block
//   folder PATH      hand over nothing (M = 0) and name PATH as the data folder
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "common/bytes.h"
#include "common/compiler_link.h"
#include "platform/platform.h"

namespace vrlink = vr::link;
namespace platform = vr::platform;

namespace {

bool waitForAcknowledge(platform::SharedMemory& control) {
    for (int i = 0; i < 3000; ++i) {
        if (control.loadWord(vrlink::kAcknowledgeFlag) == 1) return true;
        platform::hostSleep(10);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "vr") != 0) return 2;
    platform::SharedMemory control;
    if (!control.open(platform::environmentValue(vrlink::kControlNameVariable))) return 3;
    const std::string folder(reinterpret_cast<const char*>(control.data() + vrlink::kFolder));
    std::ifstream in(folder + "system/VRCom/mode");
    std::string mode, argument;
    in >> mode >> argument;

    if (mode == "no-done") return 0;
    if (mode == "long-name") {
        control.storeWord(vrlink::kItemCount, 1);
        control.storeWord(vrlink::kDataSize, 64);
        control.data()[vrlink::kResult] = 1;
        control.storeWord(vrlink::kDoneFlag, 1);
        if (!waitForAcknowledge(control)) return 4;
        platform::SharedMemory data;
        if (!data.open(platform::environmentValue(vrlink::kDataNameVariable))) return 5;
        vr::storeLe32(data.data(), 1000);
        std::memcpy(data.data() + 4, "vrbin\\vrc.vbn", 14);
        return 0;
    }
    if (mode == "folder") {
        if (argument.size() >= vrlink::kFolderSize) return 6;
        std::memset(control.data() + vrlink::kFolder, 0, vrlink::kFolderSize);
        std::memcpy(control.data() + vrlink::kFolder, argument.data(), argument.size());
        control.data()[vrlink::kResult] = 1;
        control.storeWord(vrlink::kDoneFlag, 1);
        return waitForAcknowledge(control) ? 0 : 4;
    }
    std::fprintf(stderr, "fake compiler: unknown mode '%s'\n", mode.c_str());
    return 7;
}
