// The debug log "info.txt": events a developer should see that are not
// script errors (damaged pack members and their repair, failed pixel
// allocations).  Opened, appended to and closed per message, under the
// engine lock.
#pragma once

namespace vr {

struct DebugLogState {
    bool firstMessage = true;  // the run header is still to be written
};

// The message buffer, terminator included: a message keeps at most 2047 bytes.
constexpr int kDebugLogMessageLimit = 2048;

// Only the categories "", "ERR" and "ACT" are written.  A folder that cannot
// be written is not an error: nothing is written.
void writeDebugLog(const char* category, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace vr
