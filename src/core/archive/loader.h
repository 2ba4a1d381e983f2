// The resource loader: every file the engine reads as a resource is read
// whole into memory through loadFile, from the first source that has its
// name: in-memory items, compiler hand-over items, loose files and pack
// members (loose files and packs swap places in appended mode).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

enum class SourceKind : int8_t { Unresolved = 0, LooseFile = 1, PackMember = 2, HandOver = 3, InMemory = 4 };
enum class FileType : int8_t { Other = 0, Bmp = 1, Png = 2, Jpeg = 3, Gif = 4, Wav = 5, Ogg = 6, Psd = 7 };

struct FileRequest {
    uint32_t size = 0;
    std::vector<uint8_t> data;  // owned by the caller once read
    SourceKind kind = SourceKind::Unresolved;
    FileType type = FileType::Other;
    std::string name;  // the name resolved (as looked up)
    int packEntry = -1;
    int archive = -1;
    uint32_t dataPosition = 0;
    int handOverItem = -1;
    int itemGroup = -1, itemIndex = -1;
};

// An item of an in-memory group: a file cache of the file command, read
// once and found by its exact name before any other source.
struct MemoryItem {
    std::string name;
    FileType type = FileType::Other;
    std::vector<uint8_t> bytes;
    bool marked = false;  // loaded by the command's second cache argument
};

struct HandOverItem {
    std::string name;
    std::vector<uint8_t> bytes;
};

constexpr int kMemoryGroups = 4;
constexpr size_t kMemoryGroupItems = 512;
constexpr int kImageProbes = 4;
constexpr int kSoundProbes = 2;

struct LoaderState {
    std::array<std::vector<MemoryItem>, kMemoryGroups> memoryItems;
    std::array<uint64_t, kMemoryGroups> memoryBytes{};  // running total of each group's bytes
    std::vector<HandOverItem> handOver;
    std::array<uint8_t, kImageProbes> imageOrder{kExtPngCode, kExtBmpCode, kExtJpgCode, kExtGifCode};
    std::array<uint8_t, kSoundProbes> soundOrder{kExtOggCode, kExtWavCode};

    static constexpr uint8_t kExtPngCode = 1, kExtBmpCode = 2, kExtJpgCode = 3, kExtGifCode = 4;
    static constexpr uint8_t kExtOggCode = 1, kExtWavCode = 2;
};

// 0 = read (size and data filled); negative = failure (reported as the
// loader's rules say).  With `resolve` the request is cleared and resolved
// from `name` first; without it the request must already be resolved.
int loadFile(FileRequest& request, std::string_view name, bool report, bool resolve);

enum class ResourceMode { Image = 0, Sound = 1 };
// 0 = found (request resolved; resolvedName holds the name that matched),
// 1 = not found, -1 = an archive could not be opened (or a bad mode).
int resolveResourceName(FileRequest& request, std::string_view name, std::string& resolvedName, int mode);

// Whether a source has the name (looked up as it is, no extension tried):
// 1 = yes, 0 = no, -1 = an archive could not be opened.
int resourceExists(std::string_view name);

// Reads a file from its first source into in-memory group `group` (0 to 3),
// dropping the group's oldest item when it already holds
// kMemoryGroupItems.  0, or -1 after the loader's report.
int cacheFile(int group, std::string_view name, bool marked);

// The file type a name's ending gives, for loose files.
FileType fileTypeFromName(std::string_view name);

}  // namespace vr
