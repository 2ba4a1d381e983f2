// The save command (a variable or an object's picture into a numbered save
// record, and the records into a save file), the load command and the
// release of the records: where the save subsystem meets the variables and
// the object tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vr {

struct CommandTable;

void installSaveCommands(CommandTable& table);

// What a record's item comes from or goes to: a variable's element, a
// whole variable, or (when objectPath is not empty) an object's picture.
struct ItemRef {
    uint32_t variable = 0;
    int64_t element = 0;
    bool whole = false;
    std::optional<std::string> objectPath;  // an image object when given (the empty path is the root)
};

// The save command's filling of record `number` (1..1024) with the item,
// with the command's checks, reports and boxes.  0, or -1 after a report.
int saveToRecord(int number, const ItemRef& from);

// The load command's work after its arguments: record `number` of the save
// file `fileName` (as the script gives it) into the target, with every check
// and report of the command.  0, or -1 after a report or a box.
int loadSaveRecord(std::string_view fileName, int number, const ItemRef& to);

}  // namespace vr
