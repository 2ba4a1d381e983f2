#include "expression.h"

#include <bit>
#include <cstring>

#include "common/bytes.h"
#include "common/sjis.h"
#include "script/constant_expression.h"
#include "source_text.h"

namespace vrc {

using vr::ByteWriter;

void ExprContext::error(size_t offset, const std::string& message) const {
    diagnostics->error(file, {line, columnOf(text, offset)}, message);
}

ExprContext ExprContext::forLine(const SymbolTable& symbols, int script, const std::string& file,
                                 const SourceLine& line, Diagnostics& diagnostics) {
    ExprContext c;
    c.symbols = &symbols;
    c.script = script;
    c.file = file;
    c.line = line.number;
    c.text = line.text;
    c.diagnostics = &diagnostics;
    return c;
}

namespace {

struct BinaryOp {
    const char* source;
    char code;
    int precedence;
};

constexpr BinaryOp kBinary[] = {
    {"||", '|', 1}, {"&&", '&', 2}, {"|", 'O', 3}, {"^", '^', 4}, {"&", 'A', 5},  {"==", '=', 6},
    {"!=", '!', 6}, {"<", '<', 7},  {">", '>', 7}, {"<=", 'S', 7}, {">=", 'Z', 7}, {"+", '+', 8},
    {"-", '-', 8},  {"*", '*', 9},  {"/", '/', 9}, {"%", '%', 9},
};

const BinaryOp* binaryOp(const Token& t) {
    if (t.kind != Tok::Operator) return nullptr;
    for (const BinaryOp& op : kBinary)
        if (t.text == op.source) return &op;
    return nullptr;
}

const BinaryOp* binaryByCode(char code) {
    for (const BinaryOp& op : kBinary)
        if (op.code == code) return &op;
    return nullptr;
}

bool numeric(Type t) { return t != Type::String; }

class Parser {
public:
    Parser(Lexer& lexer, const ExprContext& c) : lex_(lexer), c_(c) {}

    std::optional<Expr> expression(int minPrecedence = 1) {
        auto left = unary();
        if (!left) return std::nullopt;
        for (;;) {
            Token t = lex_.peek();
            const BinaryOp* op = binaryOp(t);
            if (!op || op->precedence < minPrecedence) return left;
            lex_.next();
            auto right = expression(op->precedence + 1);
            if (!right) return std::nullopt;
            Expr e;
            e.kind = Expr::Kind::Binary;
            e.op = op->source;
            e.offset = t.offset;
            if (!typeBinary(e, *left, *right)) return std::nullopt;
            e.parts.push_back(std::move(*left));
            e.parts.push_back(std::move(*right));
            left = std::move(e);
        }
    }

private:
    bool typeBinary(Expr& e, const Expr& l, const Expr& r) {
        std::string_view op = e.op;
        bool strings = l.type == Type::String && r.type == Type::String;
        bool numbers = numeric(l.type) && numeric(r.type);
        Type arithmetic = (l.type == Type::Float || r.type == Type::Float) ? Type::Float : Type::Int;
        if (op == "+" && strings) {
            e.type = Type::String;
            return true;
        }
        if ((op == "==" || op == "!=") && (strings || numbers)) {
            e.type = Type::Int;
            return true;
        }
        if (!numbers) {
            c_.error(e.offset, "operator " + std::string(op) + " needs " +
                                   (op == "+" ? "two numbers or two strings" : "numbers") +
                                   " (convert with str() or int())");
            return false;
        }
        if (op == "%" || op == "&" || op == "|" || op == "^") {
            if (arithmetic == Type::Float) {
                c_.error(e.offset, "operator " + std::string(op) + " works on integers only");
                return false;
            }
            e.type = Type::Int;
            return true;
        }
        e.type = (op == "+" || op == "-" || op == "*" || op == "/") ? arithmetic : Type::Int;
        return true;
    }

    // Every nested operand (parentheses, prefix operators, subscripts,
    // conversions) passes through here; the limit keeps the recursion well
    // within the stack whatever the source holds.
    std::optional<Expr> unary() {
        if (depth_ >= kMaxNesting) {
            c_.error(lex_.peek().offset, "the expression is nested more than " + std::to_string(kMaxNesting) +
                                             " levels deep");
            return std::nullopt;
        }
        ++depth_;
        auto e = prefixed();
        --depth_;
        return e;
    }

    std::optional<Expr> prefixed() {
        Token t = lex_.peek();
        if (t.kind == Tok::Operator && t.text == "&") return reference();
        if (t.kind == Tok::Operator && (t.text == "-" || t.text == "!")) {
            lex_.next();
            auto operand = unary();
            if (!operand) return std::nullopt;
            if (!numeric(operand->type)) {
                c_.error(t.offset, "operator " + t.text + " needs a number");
                return std::nullopt;
            }
            // A negative literal is a literal: the smallest integer has no
            // positive form to negate.
            if (t.text == "-" && operand->kind == Expr::Kind::Integer) {
                operand->integer = int64_t(0 - uint64_t(operand->integer));
                operand->offset = t.offset;
                return operand;
            }
            if (t.text == "-" && operand->kind == Expr::Kind::Real) {
                operand->real = -operand->real;
                operand->offset = t.offset;
                return operand;
            }
            Expr e;
            e.kind = Expr::Kind::Unary;
            e.op = t.text;
            e.offset = t.offset;
            e.type = t.text == "!" ? Type::Int : operand->type;
            e.parts.push_back(std::move(*operand));
            return e;
        }
        return primary();
    }

    std::optional<Expr> primary() {
        Token t = lex_.next();
        Expr e;
        e.offset = t.offset;
        if (!t.problem.empty()) {
            c_.error(t.offset, t.problem);
            return std::nullopt;
        }
        switch (t.kind) {
        case Tok::Integer:
            e.kind = Expr::Kind::Integer;
            e.integer = t.integer;
            return e;
        case Tok::Float:
            e.kind = Expr::Kind::Real;
            e.type = Type::Float;
            e.real = t.real;
            return e;
        case Tok::String:
            e.kind = Expr::Kind::Text;
            e.type = Type::String;
            e.text = t.text;
            return e;
        case Tok::Identifier:
            if ((t.text == "str" || t.text == "int") && lex_.accept("(")) return conversion(t);
            return variable(t);
        case Tok::Operator:
            if (t.text == "(") {
                auto inner = expression();
                if (!inner) return std::nullopt;
                if (!lex_.accept(")")) {
                    c_.error(lex_.peek().offset, "expected ) to close the parenthesis");
                    return std::nullopt;
                }
                return inner;
            }
            break;
        default:
            break;
        }
        c_.error(t.offset, t.kind == Tok::End ? "expected a value at the end of the line"
                                              : "expected a value, found " + forMessage(t.text));
        return std::nullopt;
    }

    // `&name`: the whole of a game variable, named without subscripts.
    std::optional<Expr> reference() {
        Token amp = lex_.next();
        Token name = lex_.next();
        if (name.kind != Tok::Identifier) {
            c_.error(amp.offset, "& names a variable");
            return std::nullopt;
        }
        const Variable* v = c_.symbols->find(name.text, c_.script);
        if (!v) {
            c_.error(name.offset, "unknown variable " + forMessage(name.text));
            return std::nullopt;
        }
        if (v->system) {
            c_.error(name.offset, "& names a variable of the game, not " + forMessage(v->name));
            return std::nullopt;
        }
        if (lex_.peek().kind == Tok::Operator && lex_.peek().text == "[") {
            c_.error(lex_.peek().offset, "& names a whole variable, without subscripts");
            return std::nullopt;
        }
        Expr e;
        e.kind = Expr::Kind::Reference;
        e.variable = v;
        e.offset = amp.offset;
        return e;
    }

    std::optional<Expr> conversion(const Token& name) {
        auto inner = expression();
        if (!inner) return std::nullopt;
        if (!lex_.accept(")")) {
            c_.error(lex_.peek().offset, "expected ) after the value of " + name.text + "()");
            return std::nullopt;
        }
        bool toText = name.text == "str";
        if (toText ? !numeric(inner->type) : inner->type != Type::String) {
            c_.error(name.offset, toText ? "str() converts a number" : "int() converts a string");
            return std::nullopt;
        }
        Expr e;
        e.kind = Expr::Kind::Convert;
        e.op = name.text;
        e.offset = name.offset;
        e.type = toText ? Type::String : Type::Int;
        e.parts.push_back(std::move(*inner));
        return e;
    }

    std::optional<Expr> variable(const Token& name) {
        const Variable* v = c_.symbols->find(name.text, c_.script);
        if (!v) {
            c_.error(name.offset, "unknown variable " + forMessage(name.text));
            return std::nullopt;
        }
        Expr e;
        e.kind = Expr::Kind::Variable;
        e.variable = v;
        e.type = v->type;
        e.offset = name.offset;
        if (lex_.accept("[")) {
            do {
                auto sub = expression();
                if (!sub) return std::nullopt;
                if (!numeric(sub->type)) {
                    c_.error(sub->offset, "a subscript must be a number");
                    return std::nullopt;
                }
                e.parts.push_back(std::move(*sub));
            } while (lex_.accept(","));
            if (!lex_.accept("]")) {
                c_.error(lex_.peek().offset, "expected ] after the subscripts");
                return std::nullopt;
            }
        }
        // System variables take an element where they have one; the game's
        // own arrays take exactly one subscript per dimension.
        bool ok = v->system ? int(e.parts.size()) <= v->dimensions
                            : (e.parts.empty() || int(e.parts.size()) == v->dimensions);
        if (!ok) {
            c_.error(name.offset, forMessage(v->name) + " takes " + std::to_string(v->dimensions) + " subscript" +
                                      (v->dimensions == 1 ? "" : "s"));
            return std::nullopt;
        }
        if (e.parts.size() > size_t(kMaxDimensions)) {
            c_.error(name.offset, "more than 8 subscripts");
            return std::nullopt;
        }
        return e;
    }

    static constexpr int kMaxNesting = 256;

    Lexer& lex_;
    const ExprContext& c_;
    int depth_ = 0;
};

// ------------------------------------------------------------ encoding

void op(ByteWriter& out, char code, const void* operand = nullptr, size_t length = 0) {
    out.u8(uint8_t(code));
    out.u16(uint16_t(length));
    out.bytes(operand, length);
}

char sigil(Type t) { return t == Type::Int ? 'i' : t == Type::Float ? 'f' : 's'; }

void emit(const Expr& e, ByteWriter& out);

void emitVariable(const Expr& e, ByteWriter& out) {
    uint8_t operand[3] = {uint8_t(sigil(e.variable->type)), uint8_t(e.variable->number),
                          uint8_t(e.variable->number >> 8)};
    if (e.parts.empty()) {
        op(out, 'H', operand, 3);
        return;
    }
    op(out, 'V', operand, 3);
    for (const Expr& sub : e.parts) emit(sub, out);
    op(out, ')');
}

void emit(const Expr& e, ByteWriter& out) {
    switch (e.kind) {
    case Expr::Kind::Integer: {
        auto code = encodeInteger(e.integer);
        out.bytes(code.data(), code.size());
        return;
    }
    case Expr::Kind::Real: {
        uint64_t bits = std::bit_cast<uint64_t>(e.real);
        uint8_t b[8];
        for (int i = 0; i < 8; ++i) b[i] = uint8_t(bits >> (8 * i));
        op(out, 'F', b, 8);
        return;
    }
    case Expr::Kind::Text: {
        auto code = encodeText(e.text);
        out.bytes(code.data(), code.size());
        return;
    }
    case Expr::Kind::Variable:
        emitVariable(e, out);
        return;
    case Expr::Kind::Reference: {
        uint8_t operand[3] = {uint8_t(sigil(e.variable->type)), uint8_t(e.variable->number),
                              uint8_t(e.variable->number >> 8)};
        op(out, 'v', operand, 3);
        return;
    }
    case Expr::Kind::Unary:
        emit(e.parts[0], out);
        if (e.op == "-") {
            op(out, 'R');
        } else {
            op(out, 'B', "\0", 1);
            op(out, '=');
        }
        return;
    case Expr::Kind::Binary: {
        emit(e.parts[0], out);
        emit(e.parts[1], out);
        for (const BinaryOp& b : kBinary)
            if (e.op == b.source) op(out, b.code);
        return;
    }
    case Expr::Kind::Convert:
        emit(e.parts[0], out);
        op(out, e.op == "str" ? 's' : 'i');
        return;
    }
}

bool anyFloat(const Expr& e) {
    if (e.kind == Expr::Kind::Variable) return e.type == Type::Float;  // subscripts are integer
    if (e.kind == Expr::Kind::Real) return true;
    for (const Expr& p : e.parts)
        if (anyFloat(p)) return true;
    return false;
}

bool checkFloatOps(const Expr& e, const ExprContext& c) {
    if (e.kind == Expr::Kind::Variable) return true;
    bool ok = true;
    if (e.kind == Expr::Kind::Binary && (e.op == "%" || e.op == "&" || e.op == "|" || e.op == "^")) {
        c.error(e.offset, "operator " + e.op + " works on integers only, and this expression is computed in "
                                               "floating point");
        ok = false;
    }
    if (e.kind == Expr::Kind::Convert && e.op == "int") {
        c.error(e.offset, "int() cannot be used in an expression computed in floating point");
        ok = false;
    }
    for (const Expr& p : e.parts) ok = checkFloatOps(p, c) && ok;
    return ok;
}

}  // namespace

std::optional<Expr> parseExpression(Lexer& lexer, const ExprContext& context) {
    return Parser(lexer, context).expression();
}

bool needsFloat(const Expr& e) { return anyFloat(e); }

bool checkArithmetic(const Expr& e, const ExprContext& context) {
    return !needsFloat(e) || checkFloatOps(e, context);
}

std::vector<uint8_t> encodeInteger(int64_t v) {
    ByteWriter out;
    uint8_t b[8];
    for (int i = 0; i < 8; ++i) b[i] = uint8_t(uint64_t(v) >> (8 * i));
    if (v >= INT8_MIN && v <= INT8_MAX)
        op(out, 'B', b, 1);
    else if (v >= INT16_MIN && v <= INT16_MAX)
        op(out, 'W', b, 2);
    else if (v >= INT32_MIN && v <= INT32_MAX)
        op(out, 'I', b, 4);
    else
        op(out, 'L', b, 8);
    return out.take();
}

std::vector<uint8_t> encodeText(const std::string& text) {
    std::string body;
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t c = uint8_t(text[i]);
        if (vr::sjis::isLeadByte(c) && i + 1 < text.size()) {
            body += text.substr(i++, 2);
        } else if (c == '\\') {
            body += "\\\\";
        } else if (c == '\n') {
            body += "\\n";
        } else if (c == '\t') {
            body += "\\t";
        } else if (c != 0) {
            body += char(c);
        }
    }
    // The delimiter must not stand in the text as a character of its own.
    std::string singles;
    for (size_t i = 0; i < body.size(); i += vr::sjis::charLength(body, i))
        if (vr::sjis::charLength(body, i) == 1) singles += body[i];
    char delimiter = '"';
    for (char candidate : std::string_view("\"'`|#~@$%&!?;:")) {
        if (singles.find(candidate) == std::string::npos) {
            delimiter = candidate;
            break;
        }
    }
    if (singles.find(delimiter) != std::string::npos) {
        for (int b = 1; b < 0x20; ++b) {
            if (b != '\n' && b != '\t' && singles.find(char(b)) == std::string::npos) {
                delimiter = char(b);
                break;
            }
        }
    }
    std::string operand = delimiter + body + delimiter;
    ByteWriter out;
    op(out, 'M', operand.data(), operand.size());
    return out.take();
}

std::vector<uint8_t> encodeExpression(const Expr& e) {
    ByteWriter out;
    emit(e, out);
    return out.take();
}

uint8_t evaluationType(const Expr& e, bool asString) {
    bool real = needsFloat(e);
    if (asString) return real ? 4 : 3;
    return real ? 2 : 1;
}

bool isConstant(const Expr& e) {
    if (e.kind == Expr::Kind::Variable || e.kind == Expr::Kind::Reference) return false;
    for (const Expr& p : e.parts)
        if (!isConstant(p)) return false;
    return true;
}

namespace {

// One machine per thread, kept: its string buffers are made on first use.
vr::ConstantEvaluator& machine() {
    thread_local vr::ConstantEvaluator m;
    return m;
}

}  // namespace

std::optional<Expr> foldConstant(const Expr& e, Type as) {
    if ((as == Type::String) != (e.type == Type::String) || !isConstant(e)) return std::nullopt;
    std::vector<uint8_t> code = encodeExpression(e);
    const uint8_t* bytes = code.data();
    uint32_t length = uint32_t(code.size());
    Expr r;
    r.offset = e.offset;
    r.type = as;
    switch (as) {
    case Type::Int: {
        auto v = machine().numeric(evaluationType(e, false), bytes, length);
        if (!v) return std::nullopt;
        r.kind = Expr::Kind::Integer;
        r.integer = *v;
        return r;
    }
    case Type::Float: {
        auto v = machine().floating(evaluationType(e, false), bytes, length);
        if (!v) return std::nullopt;
        r.kind = Expr::Kind::Real;
        r.real = *v;
        return r;
    }
    case Type::String: {
        auto v = machine().string(evaluationType(e, true), bytes, length);
        if (!v) return std::nullopt;
        r.kind = Expr::Kind::Text;
        r.text = std::move(*v);
        return r;
    }
    }
    return std::nullopt;
}

std::optional<Expr> foldConstant(const Expr& e) { return foldConstant(e, e.type); }

// ------------------------------------------------------------ decoding

namespace {

struct Shown {
    std::string text;
    int precedence = 100;  // of the outermost operator; 100 for atoms
};

std::string variableName(uint16_t number, const SymbolTable* symbols) {
    if (symbols)
        if (const Variable* v = symbols->byNumber(number)) return forMessage(v->name);
    return "$" + std::to_string(number);
}

std::string showText(std::string_view operand) {
    if (operand.size() < 2) return "\"\"";
    std::string_view body = operand.substr(1, operand.size() - 2);
    std::string out = "\"";
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '"') out += "\\\"";
        else if (body[i] == '\\' && i + 1 < body.size()) out += body.substr(i++, 2);
        else out += body[i];
    }
    return forMessage(out) + "\"";
}

}  // namespace

std::string decodeExpression(const uint8_t* code, size_t length, const SymbolTable* symbols) {
    std::vector<Shown> stack;
    std::vector<std::pair<size_t, uint16_t>> groups;  // stack height, variable
    vr::ByteReader in(code, length);
    auto pop = [&]() {
        if (stack.empty()) return Shown{"?", 100};
        Shown s = stack.back();
        stack.pop_back();
        return s;
    };
    while (in.remaining() > 0) {
        char c = char(in.u8());
        uint16_t n = in.u16();
        if (!in.has(n)) return "<damaged expression code>";
        const uint8_t* operand = in.here();
        in.skip(n);
        vr::ByteReader arg(operand, n);
        switch (c) {
        case 'B': stack.push_back({std::to_string(int8_t(arg.u8()))}); break;
        case 'W': stack.push_back({std::to_string(int16_t(arg.u16()))}); break;
        case 'I': stack.push_back({std::to_string(arg.i32())}); break;
        case 'L': stack.push_back({std::to_string(arg.i64())}); break;
        case 'F': {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.17g", arg.f64());
            std::string s = buffer;
            if (s.find_first_of(".en") == std::string::npos) s += ".0";
            stack.push_back({s});
            break;
        }
        case 'M': stack.push_back({showText(std::string_view(reinterpret_cast<const char*>(operand), n))}); break;
        case 'H':
        case 'v': {
            arg.skip(1);
            std::string name = variableName(arg.u16(), symbols);
            stack.push_back({c == 'v' ? "&" + name : name});
            break;
        }
        case 'V':
            arg.skip(1);
            groups.push_back({stack.size(), arg.u16()});
            break;
        case ')': {
            if (groups.empty()) return "<damaged expression code>";
            auto [height, number] = groups.back();
            groups.pop_back();
            std::string subs;
            for (size_t k = height; k < stack.size(); ++k) subs += (k > height ? ", " : "") + stack[k].text;
            stack.resize(std::min(height, stack.size()));
            stack.push_back({variableName(number, symbols) + "[" + subs + "]"});
            break;
        }
        case 'R': {
            Shown a = pop();
            stack.push_back({"-" + (a.precedence < 100 ? "(" + a.text + ")" : a.text), 10});
            break;
        }
        case 's':
        case 'i': {
            Shown a = pop();
            stack.push_back({std::string(c == 's' ? "str(" : "int(") + a.text + ")"});
            break;
        }
        case ',': break;
        default: {
            const BinaryOp* b = binaryByCode(c);
            if (!b) return "<unknown operation " + std::string(1, c) + ">";
            Shown right = pop(), left = pop();
            std::string l = left.precedence < b->precedence ? "(" + left.text + ")" : left.text;
            std::string r = right.precedence <= b->precedence ? "(" + right.text + ")" : right.text;
            stack.push_back({l + " " + b->source + " " + r, b->precedence});
        }
        }
    }
    if (!in.ok()) return "<damaged expression code>";
    std::string out;
    for (size_t k = 0; k < stack.size(); ++k) out += (k ? " ; " : "") + stack[k].text;
    return out;
}

}  // namespace vrc
