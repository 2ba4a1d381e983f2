#include "script/variable_commands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

#include "common/command_ids.h"
#include "common/sjis.h"
#include "common/text_buffer.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "core/error_report.h"
#include "script/arguments.h"
#include "script/expression_machine.h"
#include "script/script_file.h"
#include "script/script_state.h"
#include "script/value_operators.h"
#include "script/variable_table.h"

namespace vr {

namespace {

namespace utility = arg::variable_utility;
namespace info = arg::variable_info;

// The declarations of the three types name their two arguments alike.
namespace declare = arg::declare_variable;
static_assert(arg::declare_variable2::kTarget == declare::kTarget &&
              arg::declare_string_variable::kTarget == declare::kTarget &&
              arg::declare_variable2::kInitial == declare::kInitial &&
              arg::declare_string_variable::kInitial == declare::kInitial);

constexpr size_t kWorkTextLimit = 4095;

// ------------------------------------------------------------ Shift_JIS tables

// The double-byte forms of ASCII 0x20 to 0x7E.  The quotation marks take the
// closing quotes of the JIS rows, which every Japanese font has.
constexpr std::array<uint16_t, 95> kFullAscii = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B,
    0x8143, 0x817C, 0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262,
    0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279, 0x816D,
    0x815F, 0x816E, 0x814F, 0x8151, 0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,
};

// The double-byte forms of the half-width katakana 0xA1 to 0xDF.
constexpr std::array<uint16_t, 63> kFullKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385,
    0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352,
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384,
    0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
};

constexpr uint8_t kVoicedMark = 0xDE, kSemiVoicedMark = 0xDF;
constexpr uint8_t kHalfU = 0xB3;
constexpr uint16_t kFullVu = 0x8394;

// Kana that take the voiced mark (ka to to, ha to ho) and the semi-voiced
// one (ha to ho); their marked forms follow them in the code table.
bool takesVoiced(uint8_t b) { return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE); }
bool takesSemiVoiced(uint8_t b) { return b >= 0xCA && b <= 0xCE; }
uint16_t fullKana(uint8_t b) { return kFullKana[size_t(b - 0xA1)]; }
bool isHalfKana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

void appendDouble(std::string& out, uint16_t code) {
    out += char(code >> 8);
    out += char(code & 0xFF);
}

uint16_t doubleAt(std::string_view s, size_t i) { return uint16_t(uint8_t(s[i]) << 8 | uint8_t(s[i + 1])); }

// A letter's other case in the double-byte rows: Latin 0x8260/0x8281 (26),
// Greek 0x839F/0x83BF (24), Cyrillic 0x8440/0x8470 (33, the lower row
// skipping 0x847F, which is no trail byte).
uint16_t cyrillicLower(int i) { return uint16_t(0x8470 + i + (i >= 15 ? 1 : 0)); }

uint16_t doubleUpper(uint16_t c) {
    if (c >= 0x8281 && c <= 0x829A) return uint16_t(c - 0x21);
    if (c >= 0x83BF && c <= 0x83D6) return uint16_t(c - 0x20);
    for (int i = 0; i < 33; ++i)
        if (cyrillicLower(i) == c) return uint16_t(0x8440 + i);
    return c;
}

uint16_t doubleLower(uint16_t c) {
    if (c >= 0x8260 && c <= 0x8279) return uint16_t(c + 0x21);
    if (c >= 0x839F && c <= 0x83B6) return uint16_t(c + 0x20);
    if (c >= 0x8440 && c <= 0x8460) return cyrillicLower(c - 0x8440);
    return c;
}

template <typename Single, typename Double>
std::string mapCharacters(std::string_view s, Single single, Double twoByte) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (sjis::charLength(s, i) == 2) {
            appendDouble(out, twoByte(doubleAt(s, i)));
            i += 2;
        } else {
            out += single(s[i++]);
        }
    }
    return out;
}

// ------------------------------------------------------------ helpers

// The byte offset of character `index` (a double-byte character counts once).
size_t charOffset(std::string_view s, int64_t index) {
    size_t i = 0;
    for (int64_t k = 0; k < index && i < s.size(); ++k) i += sjis::charLength(s, i);
    return i;
}

bool isString(uint32_t number) { return variableType(number) == kTypeString; }
bool isNumber(uint32_t number) {
    uint8_t t = variableType(number);
    return t == kTypeInteger || t == kTypeFloat;
}

int fail(uint32_t code) {
    reportScriptError(code, true);
    return -1;
}

// The writers for targets whose type was checked: an element outside the
// target is left alone.
int storeText(const VariableRef& to, std::string_view text) {
    if (!elementExists(to.number, to.element)) return 0;
    return setString(to.number, to.element, cutTextView(text, kWorkTextLimit));
}

int storeNumber(const VariableRef& to, std::string_view text, bool floating) {
    if (!elementExists(to.number, to.element)) return 0;
    std::string s(text);
    if (floating) return setFloat(to.number, to.element, std::strtod(s.c_str(), nullptr));
    return setNumber(to.number, to.element, std::strtoll(s.c_str(), nullptr, 10));
}

// The forms the conversion reads: an optional sign, digits and at most one
// decimal point, with at least one digit.
bool numberText(std::string_view s, bool& floating) {
    size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    bool digits = false;
    floating = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            digits = true;
        } else if (s[i] == '.' && !floating) {
            floating = true;
        } else {
            return false;
        }
    }
    return digits;
}

int convert(const UtilityRequest& r) {
    const VariableRef &from = r.source, &to = r.target;
    uint8_t type = variableType(from.number);
    bool ok = (type == kTypeString && isNumber(to.number)) || (isNumber(from.number) && isString(to.number));
    if (!ok) return fail(108200);
    if (type == kTypeString) {
        std::string text = getString(from.number, from.element);
        bool floating = false;
        if (!numberText(text, floating)) return fail(108210);
        return storeNumber(to, text, floating);
    }
    char text[400];  // "%f" of the largest double has 317 characters
    std::to_chars_result c = type == kTypeInteger
                                 ? std::to_chars(text, text + sizeof text, getInteger(from.number, from.element))
                                 : std::to_chars(text, text + sizeof text, getFloat(from.number, from.element),
                                                 std::chars_format::fixed, 6);
    return storeText(to, std::string_view(text, size_t(c.ptr - text)));
}

// Characters [start, start + length) are kept (substring) or taken out.
int cutCharacters(const UtilityRequest& r, bool remove) {
    if (!isString(r.source.number) || !isString(r.target.number)) return fail(108220);
    // The source is read in place and the two parts of a removal joined in a
    // buffer that keeps its capacity: a game that cuts a text back every
    // frame allocates nothing.
    thread_local std::string scratch, joined;
    std::string_view text = stringView(r.source.number, r.source.element, scratch);
    int64_t count = int64_t(sjis::charCount(text));
    int64_t first = std::max<int64_t>(r.start.value_or(1), 1) - 1;
    if (first > count) return fail(remove ? 120110 : 120010);
    int64_t n = r.length.value_or(count - first);
    if (n < 0 || n > count - first) return fail(remove ? 120120 : 120020);
    size_t from = charOffset(text, first);
    size_t to = from + charOffset(text.substr(from), n);
    if (!remove) return storeText(r.target, text.substr(from, to - from));
    joined.assign(text.substr(0, from));
    joined.append(text.substr(to));
    return storeText(r.target, joined);
}

int convertText(const UtilityRequest& r) {
    if (!isString(r.source.number) || !isString(r.target.number)) return fail(108220);
    std::string text = getString(r.source.number, r.source.element);
    if (r.fullWidth) text = toFullWidth(text);
    if (r.halfWidth) text = toHalfWidth(text);
    if (r.upper) text = toUpperCase(text);
    if (r.lower) text = toLowerCase(text);
    return storeText(r.target, text);
}

// The size asked for: the current one changed by the argument's relative
// operator (set, add, subtract, multiply, divide); dividing by 0, and any
// other operator, keep it.
int64_t resized(int64_t current, uint8_t op, int64_t value) {
    return op <= 4 ? integerCompound(current, op, value) : current;
}

int arrayOperations(const UtilityRequest& r) {
    uint32_t number = r.source.number;
    if (r.resize) {
        const Variable* v = variableRecord(number);
        int64_t current = v ? v->elementCount : 0;
        if (resizeArray(number, resized(current, r.resizeOp, r.resizeValue)) < 0) return -1;
    }
    if (r.insertAt && insertElement(number, *r.insertAt) < 0) return -1;
    if (r.deleteAt && deleteElement(number, *r.deleteAt) < 0) return -1;
    return 0;
}

int64_t findElement(const InfoRequest& r) {
    const Variable* v = variableRecord(r.source.number);
    if (!v) return -1;
    int64_t end = v->dimensionCount > 0 ? v->dimensions[0] : v->elementCount;
    end = std::min(end, v->elementCount);
    for (int64_t i = std::max<int64_t>(r.findFrom, 0); i < end; ++i) {
        size_t k = size_t(i);
        bool found = v->type == kTypeInteger ? v->integers[k] == r.findInteger
                     : v->type == kTypeFloat ? v->floats[k] == double(r.findFloat)
                     : v->type == kTypeString && v->strings[k] == r.findText;
        if (found) return i;
    }
    return -1;
}

int emptyTextWidth() {
    reportScriptErrorArgs(101450, true, commandName(cmd::kVariableInfo), argumentName(cmd::kVariableInfo, info::kCharWidth));
    return -1;
}

// One argument record of a declaration.
struct DeclarationArgument {
    uint8_t evalType = 0;
    const uint8_t* code = nullptr;  // null: absent
    uint32_t length = 0;
};

// Declarations read their argument records themselves, as the assignment
// does: the target's subscripts are the new sizes, which the ordinary
// evaluation of arguments would check against the old shape, so that every
// array declaration would fail.  The records and their code spans were
// checked when the script was loaded.
void declarationArguments(DeclarationArgument& target, DeclarationArgument& initial) {
    const ScriptState& s = scriptState();
    const ScriptThread* thread = s.currentThread;
    if (!thread || !thread->image) return;
    const ScriptImage& image = *thread->image;
    uint32_t i = s.currentInstruction;
    if (i >= image.argumentCounts.size() || i >= image.firstRecord.size()) return;
    const DecodedRecord* r = image.records.data() + image.firstRecord[i];
    for (int p = 0; p < image.argumentCounts[i]; ++p, ++r) {
        if (r->id != declare::kTarget && r->id != declare::kInitial) continue;
        DeclarationArgument& a = r->id == declare::kTarget ? target : initial;
        a.evalType = r->evalType;
        a.length = r->length;
        a.code = image.expressionArea + r->offset;
    }
}

int declareCommand(uint8_t type) {
    DeclarationArgument target, initial;
    declarationArguments(target, initial);
    if (!target.code) return 0;
    uint32_t number = 0;
    VariableShape shape;
    if (!declarationTarget(target.evalType, target.code, target.length, number, shape)) return -1;
    bool given = initial.code != nullptr;
    switch (type) {
    case kTypeInteger: {
        int64_t value = given ? evaluateNumeric(initial.evalType, initial.code, initial.length) : 0;
        if (given && evaluationFailed()) return -1;
        return declareInteger(number, shape, value);
    }
    case kTypeFloat: {
        double value = given ? evaluateFloating(initial.evalType, initial.code, initial.length) : 0;
        if (given && evaluationFailed()) return -1;
        return declareFloat(number, shape, value);
    }
    default: {
        char text[kStringCapacity];
        uint32_t length = given ? evaluateString(initial.evalType, text, initial.code, initial.length) : 0;
        if (given && evaluationFailed()) return -1;
        return declareString(number, shape, std::string_view(text, length));
    }
    }
}

VariableRef refOf(const ArgumentValue& a) { return {a.variable, a.element}; }

}  // namespace

std::string toFullWidth(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (size_t i = 0; i < s.size();) {
        uint8_t b = uint8_t(s[i]);
        if (sjis::charLength(s, i) == 2) {
            out.append(s.substr(i, 2));
            i += 2;
            continue;
        }
        ++i;
        uint8_t mark = i < s.size() ? uint8_t(s[i]) : 0;
        if (b >= 0x20 && b <= 0x7E) {
            appendDouble(out, kFullAscii[size_t(b - 0x20)]);
        } else if (b == kHalfU && mark == kVoicedMark) {
            appendDouble(out, kFullVu);
            ++i;
        } else if (isHalfKana(b) && ((mark == kVoicedMark && takesVoiced(b)) ||
                                     (mark == kSemiVoicedMark && takesSemiVoiced(b)))) {
            appendDouble(out, uint16_t(fullKana(b) + (mark == kVoicedMark ? 1 : 2)));
            ++i;
        } else if (isHalfKana(b)) {
            appendDouble(out, fullKana(b));
        } else {
            out += char(b);
        }
    }
    return out;
}

std::string toHalfWidth(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (sjis::charLength(s, i) == 1) {
            out += s[i++];
            continue;
        }
        uint16_t c = doubleAt(s, i);
        i += 2;
        auto ascii = std::find(kFullAscii.begin(), kFullAscii.end(), c);
        if (ascii != kFullAscii.end()) {
            out += char(0x20 + (ascii - kFullAscii.begin()));
            continue;
        }
        auto kana = std::find(kFullKana.begin(), kFullKana.end(), c);
        if (kana != kFullKana.end()) {
            out += char(0xA1 + (kana - kFullKana.begin()));
            continue;
        }
        if (c == kFullVu) {
            out += char(kHalfU);
            out += char(kVoicedMark);
            continue;
        }
        bool marked = false;
        for (uint8_t b = 0xB6; b <= 0xCE && !marked; ++b) {
            if (takesVoiced(b) && c == fullKana(b) + 1) {
                out += char(b);
                out += char(kVoicedMark);
                marked = true;
            } else if (takesSemiVoiced(b) && c == fullKana(b) + 2) {
                out += char(b);
                out += char(kSemiVoicedMark);
                marked = true;
            }
        }
        if (!marked) appendDouble(out, c);
    }
    return out;
}

std::string toUpperCase(std::string_view s) {
    return mapCharacters(
        s, [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }, &doubleUpper);
}

std::string toLowerCase(std::string_view s) {
    return mapCharacters(
        s, [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }, &doubleLower);
}

bool declarationTarget(uint8_t evalType, const uint8_t* code, uint32_t length, uint32_t& number,
                       VariableShape& shape) {
    setReferenceMode(true);
    evaluateNumeric(evalType, code, length);
    setReferenceMode(false);
    if (evaluationFailed()) return false;
    const LastAccess& named = lastAccess();
    number = named.variable;
    shape = VariableShape{};
    shape.dimensionCount = int8_t(named.subscriptCount);
    // Sizes beyond the 32-bit range are kept beyond the limits, so the
    // element count check refuses them instead of a wrapped size passing.
    for (int k = 0; k < named.subscriptCount; ++k)
        shape.dimensions[size_t(k)] = int32_t(std::clamp<int64_t>(named.subscripts[size_t(k)], 0, INT32_MAX));
    return true;
}

int runVariableUtility(const UtilityRequest& r) {
    if (r.convert) return convert(r);
    if (r.substring) return cutCharacters(r, false);
    if (r.remove) return cutCharacters(r, true);
    if ((r.fullWidth || r.halfWidth || r.upper || r.lower) && convertText(r) < 0) return -1;
    return arrayOperations(r);
}

int runVariableInfo(const InfoRequest& r) {
    const VariableRef& from = r.source;
    const Variable* v = variableRecord(from.number);
    int64_t answer = 0;
    switch (r.query) {
    case 0: return 0;
    case 2: answer = variableType(from.number); break;
    case 3: {
        if (!isString(from.number)) return fail(108220);
        std::string text = getString(from.number, from.element);
        if (text.empty()) return emptyTextWidth();
        answer = sjis::isLeadByte(uint8_t(text[0])) ? 2 : 1;
        break;
    }
    case 4: answer = v ? v->dimensionCount : 0; break;
    case 13:
        if (!isString(from.number)) return fail(108220);
        answer = int64_t(sjis::charCount(getString(from.number, from.element)));
        break;
    case 14: answer = findElement(r); break;
    default:
        if (r.query >= 5 && r.query <= 12) answer = v ? v->dimensions[size_t(r.query - 5)] : 0;
        break;
    }
    if (!r.result) return 0;
    const VariableRef& to = *r.result;
    if (isString(to.number)) return fail(101140);
    if (variableType(to.number) != kTypeNone && !elementExists(to.number, to.element)) return 0;
    return setNumber(to.number, to.element, answer);
}

int DeclareVariable() { return declareCommand(kTypeInteger); }
int DeclareVariable2() { return declareCommand(kTypeFloat); }
int DeclareStringVariable() { return declareCommand(kTypeString); }

int VariableUtility() {
    if (evaluateArguments(cmd::kVariableUtility) < 0) return -1;
    const ArgumentValue* source = argument(utility::kSource);
    if (!source) return 0;
    UtilityRequest r;
    r.source = refOf(*source);
    const ArgumentValue* target = argument(utility::kTarget);
    r.target = target ? refOf(*target) : r.source;
    r.remove = hasArgument(utility::kRemove);
    r.substring = hasArgument(utility::kSubstring);
    if (hasArgument(utility::kStart)) r.start = argumentInteger(utility::kStart);
    if (hasArgument(utility::kLength)) r.length = argumentInteger(utility::kLength);
    r.convert = hasArgument(utility::kConvert);
    r.upper = hasArgument(utility::kUpper);
    r.lower = hasArgument(utility::kLower);
    r.fullWidth = hasArgument(utility::kFullWidth);
    r.halfWidth = hasArgument(utility::kHalfWidth);
    if (const ArgumentValue* size = argument(utility::kResize)) {
        r.resize = true;
        r.resizeOp = size->relative;
        r.resizeValue = size->integer;
    }
    if (hasArgument(utility::kInsert)) r.insertAt = argumentInteger(utility::kInsert);
    if (hasArgument(utility::kDelete)) r.deleteAt = argumentInteger(utility::kDelete);
    return runVariableUtility(r);
}

int VariableInfo() {
    if (evaluateArguments(cmd::kVariableInfo) < 0) return -1;
    const ArgumentValue* source = argument(info::kSource);
    if (!source) return 0;
    InfoRequest r;
    r.source = refOf(*source);
    if (const ArgumentValue* result = argument(info::kResult)) r.result = refOf(*result);
    // The queries are the ids from type to find; the first one present wins.
    for (int id = info::kType; id <= info::kFind && !r.query; ++id)
        if (hasArgument(id)) r.query = id;
    r.findInteger = argumentInteger(info::kFindInt);
    r.findFloat = argumentInteger(info::kFindFloat);
    r.findText = std::string(argumentText(info::kFindText));
    r.findFrom = argumentInteger(info::kFindFrom);
    return runVariableInfo(r);
}

void installVariableCommands(CommandTable& table) {
    table.slots[cmd::kDeclareVariable] = &DeclareVariable;
    table.slots[cmd::kDeclareVariable2] = &DeclareVariable2;
    table.slots[cmd::kDeclareStringVariable] = &DeclareStringVariable;
    table.slots[cmd::kVariableUtility] = &VariableUtility;
    table.slots[cmd::kVariableInfo] = &VariableInfo;
}

}  // namespace vr
