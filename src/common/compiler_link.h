// The exchange between the engine and the development compiler: two shared
// memory blocks.  The control block carries the engine version and the game
// folder to the compiler and its progress back; the data block carries the
// compiled files.  Offsets are bytes; every word is 32-bit little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vr::link {

constexpr size_t kControlSize = 512;
constexpr size_t kDoneFlag = 0;         // compiler: 1 when compilation has finished
constexpr size_t kAcknowledgeFlag = 4;  // engine: 1 when the data block is ready
constexpr size_t kResult = 12;          // compiler, one byte: 1 = success
constexpr size_t kItemCount = 16;       // compiler: M
constexpr size_t kDataSize = 20;        // compiler: D (0 means 16)
constexpr size_t kEngineVersion = 128;  // engine: 412
constexpr size_t kFolder = 132;         // game folder text, NUL-terminated
constexpr size_t kFolderSize = kControlSize - kFolder;

constexpr uint32_t kVersion = 412;
constexpr uint32_t kEmptyDataSize = 16;
// A data block larger than this is nonsense, not a game.
constexpr uint32_t kDataSizeLimit = 1u << 30;

// The block names of a fixed-name host; two games or two users on one
// machine would meet in them, so the engine adds its user and process id
// and tells the compiler the names it chose through its environment.
constexpr const char* kControlBaseName = "VIRELOCompilerFileMapObject";
constexpr const char* kDataBaseName = "VIRELOCompilerFileMapObject2";
constexpr const char* kControlNameVariable = "VIRELO_LINK_CONTROL";
constexpr const char* kDataNameVariable = "VIRELO_LINK_DATA";
// Set when the engine shows compile errors itself (a reload while the game
// runs): the compiler then prints them only.
constexpr const char* kQuietVariable = "VIRELO_LINK_QUIET";

// A user's blocks are named by this prefix and the engine's process id.
inline std::string blockPrefix(const char* base, uint32_t user) {
    return "/" + std::string(base) + "-" + std::to_string(user) + "-";
}
inline std::string blockName(const char* base, uint32_t user, int pid) {
    return blockPrefix(base, user) + std::to_string(pid);
}

// The compiler hands over its first error in a result-0 run as this item:
// "line\tcolumn\tfile\tmessage" (file as the script list names it, the
// message in Shift_JIS).
constexpr const char* kErrorItemName = "vrbin\\errors.txt";

// The command line of the compiler, relative to the game folder.
constexpr const char* kCompilerName = "system\\VRCom\\VRCom.exe";
constexpr const char* kCompilerArgument = "vr";

}  // namespace vr::link
