// The first pass: the game configuration ("#config") and the declarations
// of global and local variables, with their initial values.
#include <algorithm>

#include "common/sjis.h"
#include "compiler.h"
#include "expression.h"
#include "lexer.h"

namespace vrc {

namespace {

constexpr int64_t kMaxElements = 4000000;

class DeclarationReader {
public:
    DeclarationReader(const SourceText& source, int script, CompiledGame& game, Diagnostics& diagnostics)
        : source_(source), script_(script), game_(game), diag_(diagnostics) {}

    void run() {
        for (const SourceLine& line : source_.lines) {
            Lexer lex(line.text);
            if (lex.atEnd()) continue;
            std::string_view rest = lex.rest();
            if (rest.substr(0, 7) == "#config") {
                Lexer args(line.text, size_t(rest.data() - line.text.data()) + 7);
                config(line, args);
                continue;
            }
            if (rest[0] == '#') {
                error(line, size_t(rest.data() - line.text.data()), "unknown directive");
                continue;
            }
            Token first = lex.peek();
            if (first.kind == Tok::Identifier && (first.text == "global" || first.text == "local")) {
                lex.next();
                declaration(line, lex, first.text == "global");
            }
        }
    }

private:
    void error(const SourceLine& line, size_t offset, const std::string& message) {
        diag_.error(source_.name, {line.number, columnOf(line.text, offset)}, message);
    }

    ExprContext context(const SourceLine& line) const {
        return ExprContext::forLine(game_.symbols, script_, source_.name, line, diag_);
    }

    // An expression of constants only; reported otherwise.
    std::optional<Expr> constant(const SourceLine& line, Lexer& lex, const char* what) {
        size_t at = lex.peek().offset;
        ExprContext c = context(line);
        auto e = parseExpression(lex, c);
        if (!e || !checkArithmetic(*e, c)) return std::nullopt;
        if (!isConstant(*e)) {
            error(line, at, std::string(what) + " must be a constant");
            return std::nullopt;
        }
        return e;
    }

    // The value the engine computes for the constant when it reads it as
    // `as`; reported when the engine would stop on it instead.
    std::optional<Expr> valueAs(const SourceLine& line, size_t at, const Expr& e, Type as, const char* what) {
        auto v = foldConstant(e, as);
        if (!v) error(line, at, std::string(what) + " is beyond what the engine can compute");
        return v;
    }

    void declaration(const SourceLine& line, Lexer& lex, bool global) {
        Token type = lex.next();
        std::optional<Type> t;
        if (type.kind == Tok::Identifier) {
            if (type.text == "int") t = Type::Int;
            if (type.text == "float") t = Type::Float;
            if (type.text == "str") t = Type::String;
        }
        if (!t) {
            error(line, type.offset, "expected int, float or str");
            return;
        }
        Token name = lex.next();
        if (name.kind != Tok::Identifier || name.text.find('.') != std::string::npos) {
            error(line, name.offset, "expected a variable name (letters, digits and _)");
            return;
        }
        std::vector<uint32_t> dims;
        if (lex.accept("[")) {
            do {
                size_t at = lex.peek().offset;
                auto e = constant(line, lex, "an array size");
                if (!e) return;
                if (e->type != Type::Int) {
                    error(line, at, "an array size is a whole number of at least 1");
                    return;
                }
                auto d = valueAs(line, at, *e, Type::Int, "an array size");
                if (!d) return;
                if (d->integer < 1) {
                    error(line, at, "an array size is a whole number of at least 1");
                    return;
                }
                if (d->integer > kMaxElements) {
                    error(line, at, "an array holds at most 4000000 elements");
                    return;
                }
                dims.push_back(uint32_t(d->integer));
            } while (lex.accept(","));
            if (!lex.accept("]")) {
                error(line, lex.peek().offset, "expected ] after the array sizes");
                return;
            }
        }
        if (dims.size() > size_t(kMaxDimensions)) {
            error(line, name.offset, "an array has at most 8 dimensions");
            return;
        }
        int64_t elements = 1;
        for (uint32_t d : dims) {
            elements *= d;
            if (elements > kMaxElements) {
                error(line, name.offset, "an array holds at most 4000000 elements");
                return;
            }
        }
        vr::VariableRecord record;
        record.scope = global ? vr::VariableRecord::kGlobal : vr::VariableRecord::kScriptLocal;
        record.script = uint16_t(global ? 0 : script_);
        record.type = uint8_t(*t);
        record.dimensionCount = int8_t(dims.size());
        for (size_t k = 0; k < dims.size(); ++k) record.dimensions[k] = dims[k];
        if (*t == Type::String) record.expression = encodeText("");
        if (lex.accept("=")) {
            size_t at = lex.peek().offset;
            auto e = constant(line, lex, "an initial value");
            if (!e) return;
            if ((e->type == Type::String) != (*t == Type::String)) {
                error(line, at, *t == Type::String ? "a string needs a string initial value"
                                                   : "a number needs a numeric initial value");
                return;
            }
            auto v = valueAs(line, at, *e, *t, "an initial value");
            if (!v) return;
            if (*t == Type::String) record.expression = encodeText(v->text);
            else if (*t == Type::Int) record.intValue = v->integer;
            else record.floatValue = v->real;
        }
        if (!lex.atEnd()) {
            error(line, lex.peek().offset, "unexpected text after the declaration");
            return;
        }
        Variable* v = game_.symbols.declare(name.text, *t, int(dims.size()), global, script_);
        if (!v) {
            error(line, name.offset,
                  game_.symbols.highestNumber() >= kLastVariable ? "more than 64536 variables"
                                                                 : forMessage(name.text) + " is already declared");
            return;
        }
        record.number = v->number;
        game_.variables.push_back(std::move(record));
    }

    // #config key=value ...
    void config(const SourceLine& line, Lexer& lex) {
        vr::EngineConfigFile& cfg = game_.config;
        while (!lex.atEnd()) {
            Token key = lex.next();
            if (key.kind != Tok::Identifier || !lex.accept("=")) {
                error(line, key.offset, "expected key=value in #config");
                return;
            }
            const std::string& k = key.text;
            if (k == "images" || k == "sounds") {
                if (!order(line, lex, k == "images")) return;
                continue;
            }
            Token v = lex.next();
            if (k == "title") {
                if (v.kind != Tok::String) {
                    error(line, v.offset, "the title is a string");
                    return;
                }
                if (v.text.size() > 128) {
                    error(line, v.offset, "the title is longer than 128 bytes");
                    return;
                }
                cfg.title = v.text;
                continue;
            }
            if (v.kind != Tok::Integer) {
                error(line, v.offset, "#config " + k + " takes a whole number");
                return;
            }
            int64_t n = v.integer;
            if (k == "width" || k == "height") {
                bool ok = k == "width" ? (n == 0 || (n >= 128 && n <= 8192)) : (n == 0 || (n >= 16 && n <= 8192));
                if (!ok) {
                    error(line, v.offset, k == "width" ? "the width is 0 (the screen's) or 128 to 8192"
                                                       : "the height is 0 (the screen's) or 16 to 8192");
                    return;
                }
                (k == "width" ? cfg.width : cfg.height) = int32_t(n);
            } else if (k == "show" || k == "framethread" || k == "debug" || k == "sound" || k == "resizable" ||
                       k == "framed") {
                if (n != 0 && n != 1) {
                    error(line, v.offset, "#config " + k + " is 0 or 1");
                    return;
                }
                uint32_t value = uint32_t(n);
                if (k == "show") cfg.showAtStart = value;
                if (k == "framethread") cfg.frameThreadMode = value;
                if (k == "debug") cfg.debugMode = value;
                if (k == "sound") cfg.soundEnabled = value;
                if (k == "resizable") cfg.resizable = value;
                if (k == "framed") cfg.framed = value;
            } else {
                error(line, key.offset, "unknown #config key " + k);
                return;
            }
        }
        if ((cfg.width == 0) != (cfg.height == 0)) error(line, 0, "width and height are both 0 or neither");
    }

    bool order(const SourceLine& line, Lexer& lex, bool images) {
        static const char* const kImages[] = {"png", "bmp", "jpg", "gif"};
        static const char* const kSounds[] = {"ogg", "wav"};
        std::vector<uint8_t> codes;
        do {
            Token t = lex.next();
            uint8_t code = 0;
            for (uint8_t i = 0; i < (images ? 4 : 2); ++i)
                if (t.kind == Tok::Identifier && t.text == (images ? kImages[i] : kSounds[i])) code = uint8_t(i + 1);
            if (code == 0 || codes.size() >= size_t(images ? 4 : 2) ||
                std::find(codes.begin(), codes.end(), code) != codes.end()) {
                error(line, t.offset, images ? "images= lists png, bmp, jpg and gif, each once"
                                             : "sounds= lists ogg and wav, each once");
                return false;
            }
            codes.push_back(code);
        } while (lex.accept(","));
        if (images) {
            game_.config.imageOrder.fill(0);
            std::copy(codes.begin(), codes.end(), game_.config.imageOrder.begin());
        } else {
            game_.config.soundOrder.fill(0);
            std::copy(codes.begin(), codes.end(), game_.config.soundOrder.begin());
        }
        return true;
    }

    const SourceText& source_;
    int script_;
    CompiledGame& game_;
    Diagnostics& diag_;
};

}  // namespace

void readDeclarations(const SourceText& source, int script, CompiledGame& game, Diagnostics& diagnostics) {
    DeclarationReader(source, script, game, diagnostics).run();
}

}  // namespace vrc
