// The evaluated arguments of the instruction being executed: filled by
// evaluateArguments (the first call of nearly every handler), read by the
// handler through the accessors below.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr {

constexpr int kArgumentIds = 96;
constexpr size_t kArgumentTextCapacity = 4096;  // terminator included

struct ArgumentValue {
    uint8_t id = 0;
    uint8_t evalType = 0;
    uint8_t relative = 0;    // relative operator of the record
    uint32_t length = 0;     // of the expression code
    int64_t integer = 0;     // numeric arguments
    std::string text;        // string arguments (at most 4095 bytes)
    const uint8_t* raw = nullptr;  // the expression code (raw arguments, and all others too)
    // The last variable the expression named, its element, and whether the
    // expression was a bare reference.
    uint32_t variable = 0;
    int64_t element = 0;
    bool reference = false;
};

struct EvaluatedArguments {
    std::array<uint8_t, kArgumentIds> positionById{};  // 1-based position, 0 = absent
    std::array<ArgumentValue, 256> byPosition;         // index = position
    int count = 0;
};

// Evaluates the current instruction's arguments for its command code, with
// the range checks of the command definitions.  0, or -1 after a report.
int evaluateArguments(uint8_t commandCode);
// The call command's variant: string arguments always as evaluation type 3.
int evaluateCallArguments(uint8_t commandCode);

struct CommandDefinition;
// The range check of one numeric argument value by range kind (0 to 26);
// false after its report.
bool checkArgumentRange(const CommandDefinition* command, uint8_t id, uint8_t range, int64_t value);
// The report (101000) of an argument value outside low..high that a handler
// finds itself, where the range depends on more than the argument alone.
void reportArgumentOutOfRange(int commandCode, int id, int64_t value, int64_t low, int64_t high);

// Accessors for handlers, by argument id.
bool hasArgument(int id);
const ArgumentValue* argument(int id);  // null when absent
int64_t argumentInteger(int id, int64_t fallback = 0);
std::string_view argumentText(int id);  // empty when absent

}  // namespace vr
