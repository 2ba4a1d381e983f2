// Error reporting: every failure the player or author must see goes through
// these calls with its six-digit engine error code.  The first report of a
// run is shown in the error dialog; a fatal report sets the quit flag, and a
// non-fatal one withdraws a pending quit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vr {

struct ErrorMessage {
    uint32_t code = 0;
    std::string text;  // Shift_JIS, may hold printf placeholders
};

// Where the running script is, for the located report text.  Filled by the
// interpreter; false when no thread is current.
using ErrorLocator = bool (*)(std::string& sourceName, int& line);

struct ErrorState {
    std::vector<ErrorMessage> messages;  // from vre.vbn, at most 256, in file order
    std::string caption = "VIRELO Debug Info.";
    bool dialogShown = false;
    // The last error location, read by the editor launch.
    bool hasLocation = false;
    std::string lastErrorFile;
    int lastErrorLine = 1;
    std::array<uint8_t, 128> checkSwitches{};  // all 1 after the one-time initialisation
    ErrorLocator locate = nullptr;
    // Filled by the layers above: the shell holds the player for the dialog
    // as for any box (the cursor shown, the frame held, the desktop back
    // from a full screen) and lets go after it; the development tools open
    // the failing script in an editor.
    void (*beforeDialog)() = nullptr;
    void (*afterDialog)() = nullptr;
    void (*openEditor)() = nullptr;
    // The final report texts of the run, shown or not (for tests and the
    // headless transcript).  Only the first kRecordedReportLimit are kept, so
    // a non-fatal report repeated every frame cannot grow without bound.
    std::vector<std::string> reports;
    std::vector<uint32_t> reportedCodes;
    // Every error report of the run, recorded or not, for the exit status.
    uint64_t errorCount = 0;
    bool fatalReported = false;
};

constexpr size_t kErrorTextLimit = 1023;
constexpr size_t kRecordedReportLimit = 4096;
// Every report is also printed on standard error as one block (the author
// reads it in the terminal the game was started from); the first
// kRecordedReportLimit are printed, then one line saying the rest are not.
// The library notices are shown whole: cut to the report limit they would
// lose the very conditions they exist to show.
constexpr uint32_t kLibraryNoticesCode = 100000;

// One argument of a report.  The message texts come from the game's vre.vbn,
// so a text may ask for other arguments than the call gives; the report
// formatter takes arguments by position and kind from this list and never
// reads past it.
struct ReportArg {
    enum class Kind : uint8_t { Signed, Unsigned, Real, Text };
    Kind kind = Kind::Signed;
    bool wide = false;    // the value came from a 64-bit type
    int64_t integer = 0;  // Signed, or the bits of Unsigned
    double real = 0;
    std::string_view text;
};

template <typename T>
ReportArg makeReportArg(const T& value) {
    using D = std::decay_t<T>;
    ReportArg a;
    if constexpr (std::is_convertible_v<const T&, const char*>) {
        const char* p = value;
        a.kind = ReportArg::Kind::Text;
        if (p) a.text = p;
    } else if constexpr (std::is_same_v<D, const unsigned char*> || std::is_same_v<D, unsigned char*>) {
        a.kind = ReportArg::Kind::Text;
        if (value) a.text = reinterpret_cast<const char*>(value);
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        a.kind = ReportArg::Kind::Text;
        a.text = std::string_view(value);
    } else if constexpr (std::is_enum_v<D>) {
        return makeReportArg(static_cast<std::underlying_type_t<D>>(value));
    } else if constexpr (std::is_floating_point_v<D>) {
        a.kind = ReportArg::Kind::Real;
        a.real = double(value);
    } else if constexpr (std::is_integral_v<D>) {
        a.kind = std::is_signed_v<D> ? ReportArg::Kind::Signed : ReportArg::Kind::Unsigned;
        a.wide = sizeof(D) > 4;
        a.integer = std::is_signed_v<D> ? int64_t(value) : int64_t(uint64_t(value));
    } else {
        static_assert(sizeof(T) == 0, "report arguments are texts and numbers");
    }
    return a;
}

// The one report routine behind the four calls.
void reportErrorWith(uint32_t code, bool fatal, bool located, const ReportArg* args, size_t count);

inline void reportError(uint32_t code, bool fatal) { reportErrorWith(code, fatal, false, nullptr, 0); }
inline void reportScriptError(uint32_t code, bool fatal) { reportErrorWith(code, fatal, true, nullptr, 0); }

// Arguments are texts (const char*, std::string, std::string_view) and
// numbers, filling the printf placeholders of the message text.
template <typename... A>
void reportErrorArgs(uint32_t code, bool fatal, const A&... args) {
    const std::array<ReportArg, sizeof...(A)> list{makeReportArg(args)...};
    reportErrorWith(code, fatal, false, list.data(), list.size());
}
template <typename... A>
void reportScriptErrorArgs(uint32_t code, bool fatal, const A&... args) {
    const std::array<ReportArg, sizeof...(A)> list{makeReportArg(args)...};
    reportErrorWith(code, fatal, true, list.data(), list.size());
}

// A failure that ends the run through a message box of its own rather than
// a report (the sound thread's): printed on standard error as a report is
// (`virelo: fatal error` and the text, Shift_JIS) and counted as fatal for
// the exit status.  The box and the quit are the caller's.
void noteFatalFailure(const std::string& text);

// A failure outside the report codes that stops a start or a development
// step (a folder that cannot be entered, a compiler that cannot be reached):
// `virelo:` and the text on standard error, with a detail for the author
// when there is one, then the text alone in a system-modal box.
void showFailureBox(const char* text, std::string_view detail = {}, const char* caption = "", bool errorIcon = false);

// The message text of a code: a built-in text, else the first vre.vbn entry,
// else the internal-error text.
std::string errorText(uint32_t code);
void showErrorDialog(const std::string& text);
// The place of the last error, which the error dialog's edit button opens:
// noted (with the lines that name it at the head of a report, returned), or
// cleared.
std::string noteErrorLocation(ErrorState& errors, const std::string& file, int line);
void clearErrorLocation(ErrorState& errors);
// The block printed on standard error for a report: a first line with the
// code (and the script's file and line when located), then the text in
// UTF-8, indented.
std::string consoleReportBlock(uint32_t code, bool fatal, const ErrorState& errors, const std::string& text);

// Command 13 (check switches) and command 14 (evaluates its arguments only)
// are installed with argument evaluation.

}  // namespace vr
