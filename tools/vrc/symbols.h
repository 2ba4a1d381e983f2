// Variables as the compiler sees them: the game's own (numbered from 1000,
// global or local to one script file) and the engine's system variables
// under readable names.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vrc {

enum class Type : uint8_t { Int = 1, Float = 2, String = 3 };

const char* typeName(Type t);

struct Variable {
    std::string name;    // Shift_JIS
    uint16_t number = 0;
    Type type = Type::Int;
    int dimensions = 0;  // subscripts the name takes
    bool system = false;
    bool writable = true;
    bool global = true;
    int script = -1;     // local variables: the script number
};

inline constexpr int kFirstUserVariable = 1000;
inline constexpr int kLastVariable = 65535;  // variable numbers are 16-bit in expression code
inline constexpr int kMaxDimensions = 8;

// The engine's system variables by name, e.g. "sys.tick", "param.int".
const Variable* systemVariable(const std::string& name);
std::vector<const Variable*> systemVariables();
// The system variable with a number (for the disassembler), or nullptr.
const Variable* systemVariableByNumber(uint16_t number);

class SymbolTable {
public:
    // Declares; nullptr when the name is taken in that scope or numbers ran out.
    Variable* declare(const std::string& name, Type type, int dimensions, bool global, int script);
    // Looks a name up: the script's locals, then the globals, then the system variables.
    const Variable* find(const std::string& name, int script) const;
    const Variable* byNumber(uint16_t number) const;
    int highestNumber() const { return next_ - 1; }
    const std::vector<std::unique_ptr<Variable>>& all() const { return all_; }

private:
    std::vector<std::unique_ptr<Variable>> all_;
    std::map<std::string, Variable*> globals_;
    std::map<std::pair<int, std::string>, Variable*> locals_;
    int next_ = kFirstUserVariable;
};

}  // namespace vrc
