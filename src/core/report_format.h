// Formatting of report texts.  The message texts come from the game's
// vre.vbn, so a text is never handed to printf with arguments it may not
// match: each conversion is taken apart here and only the conversion itself,
// with a value of the right type, goes to the C library.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/error_report.h"

namespace vr {

// Fills the printf placeholders of `format` from `args` by position:
// %d %i %u %o %x %X %c %s %e %f %g %a (flags, width, precision, '*' and the
// length modifiers h l ll L q j z t I64 accepted).  A missing argument
// prints as an empty text or 0; an argument of another kind than its
// placeholder prints in its own form; %n writes nothing; an unknown
// conversion is kept as written.  The result is cut to `limit` bytes without
// splitting a double-byte character.
std::string formatReport(std::string_view format, const ReportArg* args, size_t count, size_t limit);

// The text of a report made without arguments: the text as written, except
// that "%%" reads "%".  Cut like formatReport.
std::string plainReportText(std::string_view text, size_t limit);

}  // namespace vr
