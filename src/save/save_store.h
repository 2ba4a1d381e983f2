// The record store at work: filling a record, writing the filled records
// into a save file below "save\" and reading one record back from it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "save/save_item.h"

namespace vr {

// The folder below the game's folder that holds the save files.
inline constexpr const char* kSaveFolder = "save\\";

// Stores an item into record `number` (1..1024), compressed with `room`
// bytes offered to the compressor.  0; 102170 when the record already holds
// an item not yet written; 900000 for a number outside 1..1024; -1 when the
// compressor failed (`memoryShort` tells that it ran out of memory).
int storeSaveItem(int number, SaveItemKind kind, std::span<const uint8_t> payload, size_t room,
                  bool* memoryShort = nullptr);

// Writes every filled record into the save file `name` (as saveFileName
// gives it), merging with the records already there, and then empties the
// records.  The file on disk is replaced in one step, so it holds the old
// records or the new ones at every instant.  0; 102140 with the system's
// error number in `error` when it cannot be written; 108030 / 108040 for a
// file there that is no save file of this version.  On failure the file and
// the records are left as they were.
int writeSaveRecords(std::string_view name, int& error);

// Reads record `number` of the save file `name` and decompresses its item.
// 0, or 102100 (no such file), 108030, 108040, 102110, 900000, or the
// message-box failures of save_errors.h.
int readSaveRecord(std::string_view name, int number, SaveItemKind& kind, std::vector<uint8_t>& payload);

}  // namespace vr
