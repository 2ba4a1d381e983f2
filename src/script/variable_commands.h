// The variable commands: the declarations (slots 20 integer, 36 floating,
// 74 string), the string and array utility (83) and the variable
// information (84).  The handlers only read their arguments; the work is
// done by the functions below, which take what the arguments asked.  The
// declarations read their argument records themselves, as the assignment
// does: their target is evaluated in reference mode only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "script/command_table.h"
#include "script/variables.h"

namespace vr {

void installVariableCommands(CommandTable& table);

int DeclareVariable();
int DeclareVariable2();
int DeclareStringVariable();
int VariableUtility();
int VariableInfo();

// The variable and shape a declaration's target code names: the code is
// evaluated in reference mode, its subscripts are the dimension sizes.
// False after a report.
bool declarationTarget(uint8_t evalType, const uint8_t* code, uint32_t length, uint32_t& number,
                       VariableShape& shape);

struct VariableRef {
    uint32_t number = 0;
    int64_t element = 0;
};

// Command 83.  Exactly one of convert, substring and remove runs, in that
// order of preference; otherwise the text conversions present run one after
// the other on the source's text (full width, half width, upper, lower) and
// the result goes to the target, then the array operations on the source.
// Texts made here are cut to 4095 bytes, the size of the command's work
// buffers.
struct UtilityRequest {
    VariableRef source, target;  // without a target argument, the source
    bool convert = false, substring = false, remove = false;
    std::optional<int64_t> start;   // 1-based character position; 1 when absent
    std::optional<int64_t> length;  // characters; the rest of the text when absent
    bool fullWidth = false, halfWidth = false, upper = false, lower = false;
    bool resize = false;
    uint8_t resizeOp = 0;  // 0 set, 1 add, 2 subtract, 3 multiply, 4 divide
    int64_t resizeValue = 0;
    std::optional<int64_t> insertAt, deleteAt;
};
int runVariableUtility(const UtilityRequest& request);

// Command 84: the answer to the query is written into the result variable.
struct InfoRequest {
    VariableRef source;
    std::optional<VariableRef> result;
    int query = 0;  // the first present argument of 2 to 14; 0 for none
    int64_t findInteger = 0;
    int64_t findFloat = 0;  // taken as an integer, compared as a double
    std::string findText;
    int64_t findFrom = 0;
};
int runVariableInfo(const InfoRequest& request);

// Shift_JIS conversions.  Full width: printable ASCII and half-width
// katakana (a following voiced or semi-voiced mark joins its kana) to their
// double-byte forms.  Half width: the reverse.  Case: single-byte letters and
// the double-byte Latin, Greek and Cyrillic letters.
std::string toFullWidth(std::string_view s);
std::string toHalfWidth(std::string_view s);
std::string toUpperCase(std::string_view s);
std::string toLowerCase(std::string_view s);

}  // namespace vr
