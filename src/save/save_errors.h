// The engine error codes of saving and loading.
#pragma once

namespace vr::save_error {

constexpr int kOpenForLoad = 102100;      // the file cannot be opened for loading
constexpr int kRecordMissing = 102110;    // the file has no such record
constexpr int kTypeMismatch = 102120;     // stored type is not the variable's
constexpr int kCannotWrite = 102140;      // the file cannot be written
constexpr int kNameHasFolder = 102150;    // the name holds a '\\' (or '/')
constexpr int kNameTooLong = 102160;      // longer than 32 bytes
constexpr int kRecordFilled = 102170;     // the record holds an unwritten item
constexpr int kNotSaveFile = 108030;      // bad magic (or a file cut short)
constexpr int kWrongVersion = 108040;
constexpr int kNotVariable = 108050;      // the item is an image
constexpr int kTooLarge = 108070;         // stored byte count above 40000000
constexpr int kDimensionCount = 108080;
constexpr int kDimensionSizes = 108090;
constexpr int kNotImage = 108100;         // the item is a variable
constexpr int kBadDescriptor = 108110;
constexpr int kOutOfMemory = 100010;
constexpr int kInternal = 900000;         // stored data that cannot be right
// Not engine errors: the failures the player sees as message boxes.
constexpr int kLoadErrorBox = -2;         // "Load Error."
constexpr int kLoadMemoryBox = -3;        // "[Load]" memory is short

}  // namespace vr::save_error
