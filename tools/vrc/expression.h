// Expressions: parsed from the source, typed, folded where constant, and
// written as the engine's postfix expression code.
//
// The engine computes a whole expression either in integer or in floating
// arithmetic (subscripts always in integer).  An expression is computed in
// floating point when a floating value appears in it outside subscripts;
// the remainder and bitwise operators have no floating form, so they may
// not appear in such an expression.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "lexer.h"
#include "source_text.h"
#include "symbols.h"

namespace vrc {

struct Expr {
    // Reference: `&name`, a whole variable (for commands that take one, such
    // as the save command); its value is 0.
    enum class Kind { Integer, Real, Text, Variable, Reference, Unary, Binary, Convert };
    Kind kind = Kind::Integer;
    Type type = Type::Int;
    int64_t integer = 0;
    double real = 0;
    std::string text;
    const Variable* variable = nullptr;
    std::string op;           // Unary: "-", "!"; Binary: the source operator; Convert: "str", "int"
    std::vector<Expr> parts;  // operands, or a variable's subscripts
    size_t offset = 0;        // in the source line, for messages
};

// What an expression parser needs from its surroundings.
struct ExprContext {
    const SymbolTable* symbols = nullptr;
    int script = 0;
    std::string file;
    int line = 0;
    std::string_view text;  // the source line, for columns
    Diagnostics* diagnostics = nullptr;

    void error(size_t offset, const std::string& message) const;
    // The context of one line of a script.
    static ExprContext forLine(const SymbolTable& symbols, int script, const std::string& file,
                               const SourceLine& line, Diagnostics& diagnostics);
};

// Parses one expression from the lexer; nullopt after a reported error.
std::optional<Expr> parseExpression(Lexer& lexer, const ExprContext& context);

// True when computing the expression needs floating arithmetic.
bool needsFloat(const Expr& e);

// Reports operators that the chosen arithmetic cannot compute; false when any.
bool checkArithmetic(const Expr& e, const ExprContext& context);

// The expression code, and the evaluation type for a numeric or a string
// argument: 1 integer, 2 floating, 3 string (integer arithmetic), 4 string
// (floating arithmetic).
std::vector<uint8_t> encodeExpression(const Expr& e);
uint8_t evaluationType(const Expr& e, bool asString);

// True when the expression reads no variable.
bool isConstant(const Expr& e);

// The value the engine computes for a constant expression, by the
// engine's own expression machine, read as `as` (the numeric, floating or
// string evaluator, with the evaluation type the expression is compiled
// with); nullopt when the expression reads a variable or the engine would
// stop on it with an error, which then is the engine's to report when it
// runs the code.  The one-argument form reads it as its own type.
std::optional<Expr> foldConstant(const Expr& e, Type as);
std::optional<Expr> foldConstant(const Expr& e);

// Expression code back to source-like infix text (for the disassembler);
// variable names through the lookup when given.
std::string decodeExpression(const uint8_t* code, size_t length, const SymbolTable* symbols);

// Literal helpers shared with the statement compiler.
std::vector<uint8_t> encodeText(const std::string& text);  // an "M" literal
std::vector<uint8_t> encodeInteger(int64_t value);

}  // namespace vrc
