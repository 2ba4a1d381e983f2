#include "script/variables.h"

#include <algorithm>
#include <bit>
#include <new>
#include <utility>

#include "common/memory.h"
#include "common/sjis.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "core/error_report.h"
#include "script/expression_machine.h"
#include "script/script_state.h"
#include "script/system_variables.h"
#include "script/variable_table.h"

namespace vr {

int64_t compoundOutOfLine(int64_t current, uint8_t op, int64_t value) { return integerCompound(current, op, value); }

namespace {

std::vector<Variable>& records() { return scriptState().variables->records; }

Variable* userRecord(uint32_t number) {
    std::vector<Variable>& r = records();
    return number >= kFirstUserVariable && number < r.size() ? &r[number] : nullptr;
}

bool inRange(const Variable& v, int64_t element) { return element >= 0 && element < v.elementCount; }

int wrongType() {
    reportScriptError(101140, true);
    return -1;
}

int outOfMemory() {
    reportScriptError(100010, true);
    return -1;
}

// The array messages have no error code: they are shown as they are, and
// the command fails without stopping the script.
int showArrayMessage(const char* text) {
    platform::MessageBoxSpec box;
    box.text = text;
    box.caption = VR_TEXT_CAPTION_ERROR;
    box.icon = platform::Icon::Error;
    core().platform.messageBox(box);
    return -1;
}

// A text cut to what an element holds, never inside a double-byte character.
std::string_view elementText(std::string_view text) {
    if (text.size() <= kElementTextLimit) return text;
    size_t i = 0;
    while (i < kElementTextLimit) {
        size_t n = sjis::charLength(text, i);
        if (i + n > kElementTextLimit) break;
        i += n;
    }
    return text.substr(0, i);
}

// Every dimension must be at least 1 (a negative one would let any
// subscript pass the unsigned check); then the product may not pass the
// limit.  Multiplying stops there, so it never overflows.
int64_t checkedElementCount(const VariableShape& shape) {
    if (shape.dimensionCount < 0 || shape.dimensionCount > kVariableDimensions) {
        reportScriptError(101110, true);
        return -1;
    }
    for (int k = 0; k < shape.dimensionCount; ++k) {
        if (shape.dimensions[size_t(k)] <= 0) {
            reportScriptError(101110, true);
            return -1;
        }
    }
    int64_t count = 1;
    for (int k = 0; k < shape.dimensionCount; ++k) {
        count *= shape.dimensions[size_t(k)];
        if (count > kMaxElements) {
            reportScriptErrorArgs(101100, true, int32_t(kMaxElements));
            return -1;
        }
    }
    return count;
}

template <typename T>
bool tryFill(std::vector<T>& v, size_t count, const T& value) {
    try {
        v.assign(count, value);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The new storage is made before the old is let go, so a declaration that
// fails changes nothing.
int declareWith(uint32_t number, const VariableShape& shape, uint8_t type, int64_t integer, double real,
                std::string_view text) {
    std::vector<Variable>& r = records();
    if (number >= r.size()) {
        reportScriptError(900070, true);
        return -1;
    }
    int64_t count = checkedElementCount(shape);
    if (count < 0) return -1;
    Variable fresh;
    bool ok = type == kTypeInteger ? tryFill(fresh.integers, size_t(count), integer)
              : type == kTypeFloat ? tryFill(fresh.floats, size_t(count), real)
                                   : tryFill(fresh.strings, size_t(count), std::string(elementText(text)));
    if (!ok) return outOfMemory();
    fresh.type = type;
    fresh.dimensionCount = shape.dimensionCount;
    for (int k = 0; k < shape.dimensionCount; ++k) fresh.dimensions[size_t(k)] = shape.dimensions[size_t(k)];
    fresh.elementCount = count;
    r[number] = std::move(fresh);
    return 0;
}

VariableShape shapeOf(uint32_t number) {
    VariableShape shape;
    std::vector<Variable>& r = records();
    if (number < r.size()) {
        shape.dimensionCount = r[number].dimensionCount;
        shape.dimensions = r[number].dimensions;
    }
    return shape;
}

double floatCompound(double current, uint8_t op, double value) {
    switch (op) {
    case 0: return value;
    case 1: return current + value;
    case 2: return current - value;
    case 3: return current * value;
    case 4: return value == 0.0 ? current : current / value;
    case 5:
    case 6:
    case 7:
    case 8: {
        // Truncated first, so a divisor such as 0.5 is a zero divisor too.
        int64_t a = truncateToInteger(current), b = truncateToInteger(value);
        if (op == 5 && b == 0) return current;
        return double(integerCompound(a, op, b));
    }
    default: return current;
    }
}

// The value a newly opened element of an array holds.
void clearElement(Variable& v, size_t i) {
    switch (v.type) {
    case kTypeInteger: v.integers[i] = 0; break;
    case kTypeFloat: v.floats[i] = 0; break;
    default: v.strings[i].clear(); break;
    }
}

template <typename T>
void shiftUp(std::vector<T>& v, size_t from) {
    std::move_backward(v.begin() + std::ptrdiff_t(from), v.end() - 1, v.end());
}

template <typename T>
void shiftDown(std::vector<T>& v, size_t onto) {
    std::move(v.begin() + std::ptrdiff_t(onto) + 1, v.end(), v.begin() + std::ptrdiff_t(onto));
}

// The one-dimensional array an array operation works on, or null after the
// operation's message (or 101140 for a variable without storage).
Variable* arrayRecord(uint32_t number, const char* notOneDimensional) {
    Variable* v = userRecord(number);
    if (!v || v->type == kTypeNone) {
        wrongType();
        return nullptr;
    }
    if (v->dimensionCount > 1) {
        showArrayMessage(notOneDimensional);
        return nullptr;
    }
    return v;
}

int createFromRecord(const VariableRecord& record) {
    VariableShape shape;
    shape.dimensionCount = record.dimensionCount;
    for (int k = 0; k < record.dimensionCount && k < kVariableDimensions; ++k) {
        // Sizes beyond the signed range are refused as sizes below 1.
        uint32_t d = record.dimensions[size_t(k)];
        shape.dimensions[size_t(k)] = d > uint32_t(INT32_MAX) ? -1 : int32_t(d);
    }
    switch (record.type) {
    case VariableRecord::kInteger: return declareInteger(record.number, shape, record.intValue);
    case VariableRecord::kFloat: return declareFloat(record.number, shape, record.floatValue);
    case VariableRecord::kString: {
        char text[kStringCapacity];
        uint32_t length = evaluateString(3, text, record.expression.data(), uint32_t(record.expression.size()));
        if (evaluationFailed()) return -1;
        return declareString(record.number, shape, std::string_view(text, length));
    }
    default:
        return wrongType();
    }
}

}  // namespace

int createVariableTable() {
    int32_t highest = core().files.highestVariable;
    std::vector<Variable> table;
    if (highest >= 0 && !tryResize(table, size_t(highest) + 1)) {
        reportError(100010, true);
        return -1;
    }
    records() = std::move(table);
    return 0;
}

void installVariableCreator() { core().files.createVariable = &createFromRecord; }

int declareInteger(uint32_t number, int64_t initial) {
    return declareWith(number, shapeOf(number), kTypeInteger, initial, 0, {});
}
int declareFloat(uint32_t number, double initial) {
    return declareWith(number, shapeOf(number), kTypeFloat, 0, initial, {});
}
int declareString(uint32_t number, std::string_view text) {
    return declareWith(number, shapeOf(number), kTypeString, 0, 0, text);
}
int declareInteger(uint32_t number, const VariableShape& shape, int64_t initial) {
    return declareWith(number, shape, kTypeInteger, initial, 0, {});
}
int declareFloat(uint32_t number, const VariableShape& shape, double initial) {
    return declareWith(number, shape, kTypeFloat, 0, initial, {});
}
int declareString(uint32_t number, const VariableShape& shape, std::string_view text) {
    return declareWith(number, shape, kTypeString, 0, 0, text);
}

uint8_t variableType(uint32_t number) {
    if (number < kFirstUserVariable) return systemVariableType(number);
    const Variable* v = userRecord(number);
    return v ? v->type : uint8_t(kTypeNone);
}

const Variable* variableRecord(uint32_t number) { return userRecord(number); }

bool elementExists(uint32_t number, int64_t element) {
    if (number < kFirstUserVariable) return true;
    const Variable* v = userRecord(number);
    return v && v->type != kTypeNone && inRange(*v, element);
}

int64_t getInteger(uint32_t number, int64_t element) {
    if (number < kFirstUserVariable) {
        if (systemVariableType(number) == kTypeFloat) return truncateToInteger(readSystemFloat(number, element));
        return systemVariableType(number) == kTypeString ? 0 : readSystemInteger(number, element);
    }
    const Variable* v = userRecord(number);
    if (!v || !inRange(*v, element)) return 0;
    if (v->type == kTypeInteger) return v->integers[size_t(element)];
    if (v->type == kTypeFloat) return truncateToInteger(v->floats[size_t(element)]);
    return 0;
}

double getFloat(uint32_t number, int64_t element) {
    if (number < kFirstUserVariable) {
        if (systemVariableType(number) == kTypeFloat) return readSystemFloat(number, element);
        return systemVariableType(number) == kTypeString ? 0.0 : double(readSystemInteger(number, element));
    }
    const Variable* v = userRecord(number);
    if (!v || !inRange(*v, element)) return 0;
    if (v->type == kTypeFloat) return v->floats[size_t(element)];
    if (v->type == kTypeInteger) return double(v->integers[size_t(element)]);
    return 0;
}

std::string getString(uint32_t number, int64_t element) {
    if (number < kFirstUserVariable)
        return systemVariableType(number) == kTypeString ? readSystemString(number, element) : std::string();
    const Variable* v = userRecord(number);
    if (!v || v->type != kTypeString || !inRange(*v, element)) return {};
    return v->strings[size_t(element)];
}

std::string_view stringView(uint32_t number, int64_t element, std::string& scratch) {
    if (number < kFirstUserVariable) return scratch = getString(number, element);
    const Variable* v = userRecord(number);
    if (!v || v->type != kTypeString || !inRange(*v, element)) return {};
    return v->strings[size_t(element)];
}

int setNumber(uint32_t number, int64_t element, int64_t value) {
    if (number < kFirstUserVariable) {
        uint8_t type = systemVariableType(number);
        if (type == kTypeFloat) return 0;
        if (type == kTypeString) return wrongType();
        return writeSystemInteger(number, element, value);
    }
    Variable* v = userRecord(number);
    if (!v || (v->type != kTypeInteger && v->type != kTypeFloat)) return wrongType();
    if (!inRange(*v, element)) return -1;
    if (v->type == kTypeInteger)
        v->integers[size_t(element)] = value;
    else
        v->floats[size_t(element)] = double(value);
    return 0;
}

int setFloat(uint32_t number, int64_t element, double value) {
    if (number < kFirstUserVariable) {
        uint8_t type = systemVariableType(number);
        if (type == kTypeFloat) return 0;
        if (type == kTypeString) return wrongType();
        return writeSystemInteger(number, element, truncateToInteger(value));
    }
    Variable* v = userRecord(number);
    if (!v || (v->type != kTypeInteger && v->type != kTypeFloat)) return wrongType();
    if (!inRange(*v, element)) return -1;
    if (v->type == kTypeInteger)
        v->integers[size_t(element)] = truncateToInteger(value);
    else
        v->floats[size_t(element)] = value;
    return 0;
}

int setString(uint32_t number, int64_t element, std::string_view text) {
    if (number < kFirstUserVariable) {
        if (systemVariableType(number) != kTypeString) return wrongType();
        return writeSystemString(number, element, text);
    }
    Variable* v = userRecord(number);
    if (!v || v->type != kTypeString) return wrongType();
    if (!inRange(*v, element)) return -1;
    v->strings[size_t(element)].assign(elementText(text));
    return 0;
}

int storeElements(uint32_t number, int64_t element, std::span<const int64_t> values) {
    if (number < kFirstUserVariable) {
        bool real = systemVariableType(number) == kTypeFloat;
        for (size_t i = 0; i < values.size(); ++i) {
            int64_t at = element + int64_t(i);
            int r = real ? setFloat(number, at, std::bit_cast<double>(values[i])) : setNumber(number, at, values[i]);
            if (r < 0) return -1;
        }
        return 0;
    }
    Variable* v = userRecord(number);
    if (!v || element < 0 || element > v->elementCount || int64_t(values.size()) > v->elementCount - element)
        return -1;
    if (v->type == kTypeInteger) {
        std::copy(values.begin(), values.end(), v->integers.begin() + element);
    } else if (v->type == kTypeFloat) {
        std::transform(values.begin(), values.end(), v->floats.begin() + element,
                       [](int64_t bits) { return std::bit_cast<double>(bits); });
    } else {
        return -1;
    }
    return 0;
}

int storeTexts(uint32_t number, int64_t element, std::span<const std::string> texts) {
    if (number < kFirstUserVariable) {
        for (size_t i = 0; i < texts.size(); ++i)
            if (setString(number, element + int64_t(i), texts[i]) < 0) return -1;
        return 0;
    }
    Variable* v = userRecord(number);
    if (!v || v->type != kTypeString || element < 0 || element > v->elementCount ||
        int64_t(texts.size()) > v->elementCount - element)
        return -1;
    for (size_t i = 0; i < texts.size(); ++i) v->strings[size_t(element) + i].assign(elementText(texts[i]));
    return 0;
}

int assignInteger(uint32_t number, int64_t element, uint8_t op, int64_t value) {
    if (number < kFirstUserVariable) return setNumber(number, element, value);
    Variable* v = userRecord(number);
    if (!v || (v->type != kTypeInteger && v->type != kTypeFloat)) return wrongType();
    if (!inRange(*v, element)) return 0;
    size_t i = size_t(element);
    if (v->type == kTypeInteger)
        assignIntegerElement(*v, i, op, value);
    else
        v->floats[i] = floatCompound(v->floats[i], op, double(value));
    return 0;
}

int assignFloat(uint32_t number, int64_t element, uint8_t op, double value) {
    if (number < kFirstUserVariable) return setFloat(number, element, value);
    Variable* v = userRecord(number);
    if (!v || (v->type != kTypeInteger && v->type != kTypeFloat)) return wrongType();
    if (!inRange(*v, element)) return 0;
    size_t i = size_t(element);
    if (v->type == kTypeInteger)
        v->integers[i] = integerCompound(v->integers[i], op, truncateToInteger(value));
    else
        v->floats[i] = floatCompound(v->floats[i], op, value);
    return 0;
}

int assignString(uint32_t number, int64_t element, uint8_t op, std::string_view text) {
    if (op > 1) return wrongType();
    if (number < kFirstUserVariable) {
        if (op == 0) return setString(number, element, text);
        return setString(number, element, getString(number, element).append(text));
    }
    Variable* v = userRecord(number);
    if (!v || v->type != kTypeString) return wrongType();
    if (!inRange(*v, element)) return -1;
    std::string& s = v->strings[size_t(element)];
    if (op == 0) {
        s.assign(elementText(text));
    } else {
        s.append(text);
        s.resize(elementText(s).size());
    }
    return 0;
}

int resizeArray(uint32_t number, int64_t newSize) {
    Variable* v = arrayRecord(number, VR_TEXT_ARRAY_RESIZE_NOT_ONE_DIMENSION);
    if (!v) return -1;
    if (newSize < 1) return showArrayMessage(VR_TEXT_ARRAY_RESIZE_BAD_SIZE);
    if (newSize == v->elementCount) return 0;
    if (newSize > kMaxElements) {
        reportScriptErrorArgs(101100, true, int32_t(kMaxElements));
        return -1;
    }
    bool ok = v->type == kTypeInteger ? tryResize(v->integers, size_t(newSize))
              : v->type == kTypeFloat ? tryResize(v->floats, size_t(newSize))
                                      : tryResize(v->strings, size_t(newSize));
    if (!ok) return outOfMemory();
    v->dimensionCount = 1;
    v->dimensions[0] = int32_t(newSize);
    v->elementCount = newSize;
    return 0;
}

int insertElement(uint32_t number, int64_t position) {
    Variable* v = arrayRecord(number, VR_TEXT_ARRAY_INSERT_NOT_ONE_DIMENSION);
    if (!v) return -1;
    if (!inRange(*v, position)) return 0;
    size_t p = size_t(position);
    switch (v->type) {
    case kTypeInteger: shiftUp(v->integers, p); break;
    case kTypeFloat: shiftUp(v->floats, p); break;
    default: shiftUp(v->strings, p); break;
    }
    clearElement(*v, p);
    return 0;
}

int deleteElement(uint32_t number, int64_t position) {
    Variable* v = arrayRecord(number, VR_TEXT_ARRAY_DELETE_NOT_ONE_DIMENSION);
    if (!v) return -1;
    if (!inRange(*v, position)) return 0;
    size_t p = size_t(position);
    switch (v->type) {
    case kTypeInteger: shiftDown(v->integers, p); break;
    case kTypeFloat: shiftDown(v->floats, p); break;
    default: shiftDown(v->strings, p); break;
    }
    clearElement(*v, size_t(v->elementCount - 1));
    return 0;
}

int initialiseVariables(int scope) {
    installVariableCreator();
    return applyVariableDefinitions(scope);
}

}  // namespace vr
