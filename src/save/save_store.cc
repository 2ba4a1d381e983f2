#include "save/save_store.h"

#include <errno.h>

#include "platform/platform.h"
#include "save/save.h"
#include "save/save_errors.h"
#include "save/save_file.h"

namespace vr {

int storeSaveItem(int number, SaveItemKind kind, std::span<const uint8_t> payload, size_t room, bool* memoryShort) {
    if (number < 1 || number > kSaveRecordCount) return save_error::kInternal;
    SaveRecord& record = saveState().records[size_t(number - 1)];
    if (!record.empty()) return save_error::kRecordFilled;
    std::vector<uint8_t> item;
    if (!packSaveItem(kind, payload, room, item, memoryShort)) return -1;
    record.bytes = std::move(item);
    return 0;
}

int writeSaveRecords(std::string_view name, int& error) {
    error = 0;
    std::string folder(kSaveFolder);
    folder.pop_back();
    if ((error = platform::makeFolder(folder)) != 0) return save_error::kCannotWrite;
    std::string file = folder + "\\" + std::string(name);
    std::vector<uint8_t> old;
    bool hadFile = platform::fileExists(file);
    errno = 0;
    // A file that is there but cannot be read is never replaced by one
    // without its records.
    if (hadFile && !platform::readHostFile(platform::hostPath(file), old)) {
        error = errno != 0 ? errno : EIO;
        return save_error::kCannotWrite;
    }
    std::vector<uint8_t> bytes;
    if (int e = buildSaveFile(hadFile ? &old : nullptr, saveState(), bytes)) return e;
    if ((error = platform::replaceFile(file, bytes.data(), bytes.size())) != 0) return save_error::kCannotWrite;
    saveState().clearAll();
    return 0;
}

int readSaveRecord(std::string_view name, int number, SaveItemKind& kind, std::vector<uint8_t>& payload) {
    std::string file = std::string(kSaveFolder) + std::string(name);
    std::vector<uint8_t> bytes;
    if (!platform::fileExists(file) || !platform::readHostFile(platform::hostPath(file), bytes)) {
        return save_error::kOpenForLoad;
    }
    StoredItem stored;
    if (int e = findSaveRecord(bytes, number, stored)) return e;
    if (int e = unpackSavePayload(stored.header, stored.compressed, payload)) return e;
    kind = SaveItemKind(stored.header.kind);
    return 0;
}

}  // namespace vr
