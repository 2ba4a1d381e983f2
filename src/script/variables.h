// Variables: one record per number, 0 to the highest number of vrt.vbn.
// Numbers below 1000 are the engine's system variables, read through their
// readers; from 1000 up they are the game's own, plain storage.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

constexpr uint32_t kFirstUserVariable = 1000;
constexpr int64_t kMaxElements = 4000000;
// Longer texts written into an element are cut there (never inside a
// double-byte character).
constexpr size_t kElementTextLimit = 65534;

enum VariableType : uint8_t { kTypeNone = 0, kTypeInteger = 1, kTypeFloat = 2, kTypeString = 3 };

struct VariableTable;  // the records; see variables.cc
struct Variable;       // script/variable_table.h

// The dimensions a declaration gives: dimensionCount 0 is a single value.
struct VariableShape {
    int8_t dimensionCount = 0;
    std::array<int32_t, 8> dimensions{};
};

// A double truncated toward zero.  A value without a 64-bit form (NaN,
// infinities, beyond +-2^63) gives INT64_MIN, as the processor's own
// conversion does, instead of undefined behaviour.
inline int64_t truncateToInteger(double d) {
    if (d >= -9223372036854775808.0 && d < 9223372036854775808.0) return int64_t(d);
    return INT64_MIN;
}

// Sizes the table from core().files.highestVariable, every record of type
// 0.  0, or -1 after 100010.
int createVariableTable();
// Makes vrv.vbn's records declare their variables (see initialiseVariables).
void installVariableCreator();

// Declarations with the shape already stored in the record (vrv.vbn
// records, redeclaring in place) or with a new one.  Every element gets the
// initial value.  A failing declaration (101100, 101110, 100010, 900070 for a
// number beyond the table) leaves the variable as it was.  0, or -1.
int declareInteger(uint32_t number, int64_t initial);
int declareFloat(uint32_t number, double initial);
int declareString(uint32_t number, std::string_view text);
int declareInteger(uint32_t number, const VariableShape& shape, int64_t initial);
int declareFloat(uint32_t number, const VariableShape& shape, double initial);
int declareString(uint32_t number, const VariableShape& shape, std::string_view text);

// The type; system variables answer with the reader that serves them.
uint8_t variableType(uint32_t number);
// The record of a user variable, or null for system variables and numbers
// beyond the table.
const Variable* variableRecord(uint32_t number);
// False for an element outside a user variable; system variables take any.
bool elementExists(uint32_t number, int64_t element);

// Out-of-range elements give 0, 0.0 or no text; a floating element read as
// an integer is truncated, an integer read as floating converted.
int64_t getInteger(uint32_t number, int64_t element);
double getFloat(uint32_t number, int64_t element);
std::string getString(uint32_t number, int64_t element);
// The same text without a copy: a user variable's element is viewed where it
// is stored (until the variable next changes); a system variable's text is
// read into `scratch`.
std::string_view stringView(uint32_t number, int64_t element, std::string& scratch);

// Writers.  A number into a string variable, a text into a numeric one, or
// any write into an undeclared user variable reports 101140; an element out
// of range returns -1 without a report.  System variables go to their
// writers (floating ones ignore writes).
int setNumber(uint32_t number, int64_t element, int64_t value);
int setFloat(uint32_t number, int64_t element, double value);
int setString(uint32_t number, int64_t element, std::string_view text);

// Loading saved elements: the elements from `element` on take the stored
// 64-bit values (integers as they are, floating values by their bits), or
// the texts.  The values must fit the variable from that element on; a
// variable of another type, or values that do not fit, write nothing and
// give -1 (no report: the caller checked shape and type and reports its
// own codes).  System variables take them one by one through their writers.
int storeElements(uint32_t number, int64_t element, std::span<const int64_t> values);
int storeTexts(uint32_t number, int64_t element, std::span<const std::string> texts);

// The assignment command's compound operators (0 set, 1 add, 2 subtract,
// 3 multiply, 4 divide, 5 remainder, 6 and, 7 or, 8 exclusive or), chosen
// by the target's type: an integer element computes in 64-bit integers (a
// floating value is truncated first), a floating element in doubles (5 to 8
// on the truncated operands).  A zero divisor leaves the element unchanged,
// and so does an element out of range (0: not a failure of the command).
// System variables take the value itself through their writers.
int assignInteger(uint32_t number, int64_t element, uint8_t op, int64_t value);
int assignFloat(uint32_t number, int64_t element, uint8_t op, double value);
// 0 set, 1 append, in place; any other operator, or a target that is not a
// string, reports 101140.  An element out of range is -1 without a report,
// as for setString.
int assignString(uint32_t number, int64_t element, uint8_t op, std::string_view text);

// One-dimensional arrays (a single value counts as one element).  Resizing
// keeps the elements that still fit; new ones are 0, 0.0 or empty.  Insert
// and delete keep the size: insert moves elements up from `position` (the
// last is lost) and clears `position`; delete moves them down onto it and
// clears the last.  A position outside the array changes nothing.  An array
// of more dimensions shows its message and fails.
int resizeArray(uint32_t number, int64_t newSize);
int insertElement(uint32_t number, int64_t position);
int deleteElement(uint32_t number, int64_t position);

// Applies vrv.vbn: -1 the global records, or one script's local ones.
int initialiseVariables(int scope);

}  // namespace vr
