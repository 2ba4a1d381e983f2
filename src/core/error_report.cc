#include "core/error_report.h"

#include <cstddef>

#include "common/text_buffer.h"
#include "common/text_lines.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/error_texts.h"
#include "core/report_format.h"

namespace vr {

void clearErrorLocation(ErrorState& errors) {
    errors.hasLocation = false;
    errors.lastErrorFile.clear();
    errors.lastErrorLine = 1;
}

std::string noteErrorLocation(ErrorState& errors, const std::string& file, int line) {
    errors.hasLocation = true;
    errors.lastErrorFile = file;
    errors.lastErrorLine = line;
    return formatText(kErrorTextLimit, VR_TEXT_ERROR_PLACE, file.c_str(), line);
}

namespace {

// The lines naming the running script's file and line, or nothing when no
// script is running.  Formatted on their own: the file name is data, not part
// of the message's format.
std::string locationPrefix(ErrorState& errors) {
    std::string file;
    int line = 1;
    if (!errors.locate || !errors.locate(file, line)) {
        clearErrorLocation(errors);
        return {};
    }
    return noteErrorLocation(errors, file, line);
}

// The report text (Shift_JIS) as UTF-8 lines indented by two spaces, the
// trailing line breaks left out.
void appendIndented(std::string& block, const std::string& text) {
    const std::string utf8 = platform::sjisToUtf8(text);
    std::string_view body = utf8;
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.remove_suffix(1);
    forEachLine(body, [&block](std::string_view line) {
        if (!line.empty()) block.append("  ").append(line);
        block += '\n';
        return true;
    });
}

size_t textLimit(uint32_t code) { return code == kLibraryNoticesCode ? SIZE_MAX : kErrorTextLimit; }

}  // namespace

std::string errorText(uint32_t code) {
    if (const char* text = builtInErrorText(code)) return text;
    for (const ErrorMessage& m : core().errors.messages)
        if (m.code == code) return m.text;
    return kInternalErrorText;
}

void reportErrorWith(uint32_t code, bool fatal, bool located, const ReportArg* args, size_t count) {
    Core& e = core();
    ErrorState& errors = e.errors;
    std::string prefix;
    if (located)
        prefix = locationPrefix(errors);
    else
        clearErrorLocation(errors);

    // A non-fatal report withdraws a pending quit: the run goes on.
    e.run.quitRequested = fatal;

    const size_t limit = textLimit(code);
    const std::string message = errorText(code);
    std::string body = count == 0 ? plainReportText(message, limit) : formatReport(message, args, count, limit);
    std::string text = cutText(prefix + body, limit);

    // The notices of /info are what the user asked for, not an error.
    if (code != kLibraryNoticesCode) {
        ++errors.errorCount;
        errors.fatalReported |= fatal;
    }
    if (errors.reports.size() < kRecordedReportLimit) {
        errors.reports.push_back(text);
        errors.reportedCodes.push_back(code);
        platform::writeStandardError(consoleReportBlock(code, fatal, errors, text));
    } else if (errors.errorCount == kRecordedReportLimit + 1) {
        platform::writeStandardError("virelo: further error reports are not printed\n");
    }
    showErrorDialog(text);
}

void noteFatalFailure(const std::string& text) {
    ErrorState& errors = core().errors;
    ++errors.errorCount;
    errors.fatalReported = true;
    std::string block = "virelo: fatal error\n";
    appendIndented(block, text);
    platform::writeStandardError(block);
}

void showFailureBox(const char* text, std::string_view detail, const char* caption, bool errorIcon) {
    std::string line = "virelo: " + platform::sjisToUtf8(text);
    if (!detail.empty()) line += " (" + std::string(detail) + ")";
    platform::writeStandardError(line + "\n");
    platform::MessageBoxSpec box;
    box.text = text;
    box.caption = caption;
    if (errorIcon) box.icon = platform::Icon::Error;
    box.systemModal = true;
    core().platform.messageBox(box);
}

std::string consoleReportBlock(uint32_t code, bool fatal, const ErrorState& errors, const std::string& text) {
    std::string block = "virelo: ";
    if (code == kLibraryNoticesCode) {
        block += "library notices";
    } else {
        block += fatal ? "fatal error " : "error ";
        block += std::to_string(code);
        if (errors.hasLocation)
            block += " at " + platform::sjisToUtf8(errors.lastErrorFile) + ":" + std::to_string(errors.lastErrorLine);
    }
    block += '\n';
    appendIndented(block, text);
    return block;
}

void showErrorDialog(const std::string& text) {
    Core& e = core();
    ErrorState& errors = e.errors;
    if (errors.dialogShown) return;
    errors.dialogShown = true;
    if (errors.beforeDialog) errors.beforeDialog();

    platform::ErrorDialogSpec desc;
    desc.text = text;
    desc.caption = errors.caption;
    desc.owner = e.windows[0].handle;
    if (e.files.config.debugMode != 1) {
        desc.edit = platform::EditButton::Absent;
    } else if (!errors.hasLocation || !errors.openEditor) {
        desc.edit = platform::EditButton::Disabled;
    } else {
        desc.edit = platform::EditButton::Enabled;
        desc.onEdit = errors.openEditor;
    }
    e.platform.errorDialog(desc);
    if (errors.afterDialog) errors.afterDialog();
}

}  // namespace vr
