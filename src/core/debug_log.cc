#include "core/debug_log.h"

#include <cstdarg>
#include <string>
#include <string_view>

#include "common/text_buffer.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"

namespace vr {
namespace {

constexpr const char* kLogFile = "info.txt";
constexpr const char* kRule = "//----------------------------------------------------------------------------\n";

std::string runHeader(const platform::LocalTime& t) {
    std::string header = kRule;
    header += formatText(256, VR_TEXT_LOG_RUN_HEADER, t.year % 100, t.month, t.day, t.hour, t.minute, t.second);
    header += kRule;
    return header;
}

bool acceptedCategory(const char* category) {
    if (!category) return false;
    const std::string_view c(category);
    return c.empty() || c == "ERR" || c == "ACT";
}

}  // namespace

void writeDebugLog(const char* category, const char* format, ...) {
    if (!acceptedCategory(category) || !format) return;
    Core& e = core();
    platform::LockHolder hold(*e.run.lock);

    va_list args;
    va_start(args, format);
    std::string message = formatTextV(kDebugLogMessageLimit - 1, format, args);
    va_end(args);

    // A folder that cannot be written is no error: the log is a developer aid.
    platform::File file;
    if (!file.open(kLogFile, platform::OpenMode::Append)) return;
    if (e.debugLog.firstMessage) {
        const std::string header = runHeader(e.platform.localTime());
        if (!file.write(header.data(), header.size())) return;
        e.debugLog.firstMessage = false;
    }
    message += '\n';
    file.write(message.data(), message.size());
}

}  // namespace vr
