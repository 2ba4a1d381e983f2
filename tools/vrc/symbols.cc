#include "symbols.h"

#include "common/key_names.h"

namespace vrc {

namespace {

struct SystemEntry {
    const char* name;
    uint16_t number;
    Type type;
    int dimensions;
    bool writable;
};

// Names for the engine's system variables.  Elements of the variables that
// take one are given as a subscript (sys.time[1] is the month).
constexpr SystemEntry kSystem[] = {
    {"sys.time", 0, Type::Int, 1, false},          // 0-7 now, 8-15 at start-up
    {"sys.tick", 1, Type::Int, 0, false},          // milliseconds
    {"sys.timer", 1, Type::Int, 1, false},         // script timers 1 to 4
    {"sys.os", 2, Type::Int, 0, false},
    {"sys.graphics", 3, Type::Int, 0, false},
    {"sys.start4", 4, Type::Int, 0, false},
    {"sys.memory.total", 5, Type::Int, 0, false},
    {"sys.memory.load", 6, Type::Int, 0, false},
    {"sys.memory.free", 7, Type::Int, 0, false},
    {"sys.readonly", 9, Type::Int, 0, false},
    {"sys.pi", 10, Type::Float, 0, false},
    {"sys.loopwatch", 11, Type::Int, 0, false},
    {"sys.text12", 12, Type::String, 1, false},
    {"sys.start13", 13, Type::Int, 0, false},
    {"sys.text14", 14, Type::String, 1, false},
    {"sys.window.state", 15, Type::Int, 0, true},
    {"sys.loop", 32, Type::Int, 0, false},         // pass of the innermost loop
    {"sys.c999", 33, Type::Int, 0, false},
    {"param.int", 34, Type::Int, 1, false},        // call parameters 1 to 10
    {"param.float", 35, Type::Float, 1, false},
    {"param.str", 36, Type::String, 1, false},
    {"result.int", 38, Type::Int, 1, false},       // results of the last call, 1 to 10
    {"result.float", 39, Type::Float, 1, false},
    {"result.str", 40, Type::String, 1, false},
    {"thread.int", 42, Type::Int, 1, false},       // the thread's own values 1 to 10
    {"thread.float", 43, Type::Float, 1, false},
    {"thread.str", 44, Type::String, 1, false},
    {"sys.path.program", 55, Type::String, 0, false},
    {"sys.path.folder", 56, Type::String, 0, false},
    {"sys.save.folder", 57, Type::String, 0, false},
    {"sys.path.58", 58, Type::String, 0, false},
    {"sys.path.59", 59, Type::String, 0, false},
    {"sys.version", 60, Type::Int, 0, false},
    {"sys.display.depth", 62, Type::Int, 0, false},
    {"sys.display.width", 63, Type::Int, 0, false},
    {"sys.display.height", 64, Type::Int, 0, false},
    {"sys.window.65", 65, Type::Int, 0, true},
    {"sys.window.66", 66, Type::Int, 0, true},
    {"sys.window.67", 67, Type::Int, 0, true},
    {"message.text1", 68, Type::String, 0, true},
    {"message.text2", 69, Type::String, 0, true},
    {"sys.compiled", 70, Type::Int, 0, false},
    {"sys.text71", 71, Type::String, 0, false},
    {"sys.threads", 72, Type::Int, 0, false},
    {"sys.byte", 73, Type::String, 1, false},      // a one-byte text: sys.byte[65] is "A"
    {"root.object", 74, Type::String, 0, true},
    {"root.75", 75, Type::String, 0, false},
    {"root.76", 76, Type::String, 0, false},
    {"root.sound", 77, Type::String, 0, true},
    {"sys.menu.command", 78, Type::Int, 0, true},
    {"input", 90, Type::Int, 1, true},             // the input state table by entry
};

}  // namespace

const char* typeName(Type t) {
    switch (t) {
    case Type::Int: return "int";
    case Type::Float: return "float";
    case Type::String: return "str";
    }
    return "?";
}

std::vector<const Variable*> systemVariables() {
    static const std::vector<Variable> table = [] {
        std::vector<Variable> v;
        auto add = [&](std::string name, uint16_t number, Type type, int dimensions, bool writable) {
            Variable s;
            s.name = std::move(name);
            s.number = number;
            s.type = type;
            s.dimensions = dimensions;
            s.system = true;
            s.writable = writable;
            v.push_back(s);
        };
        for (const SystemEntry& e : kSystem) add(e.name, e.number, e.type, e.dimensions, e.writable);
        // One variable per slot of the engine's key map, named by the key
        // the slot holds at start: key.space is the space bar's counter,
        // keycount.space its press count, keycode.space its key number.
        vr::KeyMap map = vr::defaultKeyMap();
        for (int slot = 0; slot < vr::kKeySlots; ++slot) {
            const char* key = vr::keyName(map[size_t(slot)]);
            if (!key) continue;
            add(std::string("key.") + key, uint16_t(93 + slot), Type::Int, 0, true);
            add(std::string("keycount.") + key, uint16_t(227 + slot), Type::Int, 0, true);
            add(std::string("keycode.") + key, uint16_t(361 + slot), Type::Int, 0, true);
        }
        return v;
    }();
    std::vector<const Variable*> out;
    for (const Variable& v : table) out.push_back(&v);
    return out;
}

const Variable* systemVariable(const std::string& name) {
    for (const Variable* v : systemVariables())
        if (v->name == name) return v;
    return nullptr;
}

const Variable* systemVariableByNumber(uint16_t number) {
    for (const Variable* v : systemVariables())
        if (v->number == number) return v;
    return nullptr;
}

Variable* SymbolTable::declare(const std::string& name, Type type, int dimensions, bool global, int script) {
    if (next_ > kLastVariable || systemVariable(name)) return nullptr;
    if (global ? globals_.count(name) != 0 : locals_.count({script, name}) != 0) return nullptr;
    auto v = std::make_unique<Variable>();
    v->name = name;
    v->number = uint16_t(next_++);
    v->type = type;
    v->dimensions = dimensions;
    v->global = global;
    v->script = global ? -1 : script;
    Variable* raw = v.get();
    all_.push_back(std::move(v));
    if (global)
        globals_[name] = raw;
    else
        locals_[{script, name}] = raw;
    return raw;
}

const Variable* SymbolTable::find(const std::string& name, int script) const {
    if (auto it = locals_.find({script, name}); it != locals_.end()) return it->second;
    if (auto it = globals_.find(name); it != globals_.end()) return it->second;
    return systemVariable(name);
}

const Variable* SymbolTable::byNumber(uint16_t number) const {
    if (number >= kFirstUserVariable && number - kFirstUserVariable < int(all_.size()))
        return all_[number - kFirstUserVariable].get();
    return systemVariableByNumber(number);
}

}  // namespace vrc
