#include "compiler.h"

#include <algorithm>
#include <map>
#include <optional>

#include "common/command_ids.h"
#include "common/sjis.h"
#include "expression.h"
#include "lexer.h"
#include "platform/platform.h"

namespace vrc {

namespace {

// The command slots the statements compile to, and the ids of their
// arguments (common/command_ids.h, generated from the catalogue).
namespace cmd = vr::cmd;
namespace arg = vr::arg;

// A jump and a call name their label alike, and so do the declarations
// their target and initial value, and break, repeat and continue their
// levels.
constexpr uint8_t kLabel = arg::call_label::kLabel;
static_assert(arg::jump_to_label::kLabel == kLabel);
namespace declare = arg::declare_variable;
static_assert(arg::declare_variable2::kTarget == declare::kTarget &&
              arg::declare_string_variable::kTarget == declare::kTarget &&
              arg::declare_variable2::kInitial == declare::kInitial &&
              arg::declare_string_variable::kInitial == declare::kInitial);
constexpr uint8_t kLevels = arg::block_break::kLevels;
static_assert(arg::block_repeat::kLevels == kLevels && arg::loop_break::kLevels == kLevels &&
              arg::loop_continue::kLevels == kLevels);

struct OpenBlock {
    bool loop = false;
    size_t begin = 0;                      // the block-begin or loop-begin instruction
    std::optional<size_t> pendingBranch;   // the if / elif whose "else" target is still open
    bool hadElse = false;
    int line = 0;
};

struct LabelUse {
    std::string name;
    std::string file;
    Position at;
};

// Compiles one file's statements.
class ScriptCompiler {
public:
    ScriptCompiler(const SourceText& source, int number, const Catalogue& catalogue, CompiledGame& game,
                   Diagnostics& diagnostics, std::vector<LabelUse>& labelUses,
                   std::map<std::string, std::string>& labelFiles)
        : source_(source), number_(number), catalogue_(catalogue), game_(game), diag_(diagnostics),
          labelUses_(labelUses), labelFiles_(labelFiles) {
        for (const CatalogueCommand& c : catalogue.commands)
            if (!c.reserved) commands_[lower(c.name)] = &c;
    }

    CompiledScript run() {
        script_.number = number_;
        for (const SourceLine& line : source_.lines) statement(line);
        endParagraph();
        for (const OpenBlock& b : blocks_)
            diag_.error(source_.name, {b.line, 1}, b.loop ? "loop without its end" : "if without its end");
        return std::move(script_);
    }

private:
    // ------------------------------------------------------------ helpers

    static std::string lower(std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return s;
    }

    ExprContext context(const SourceLine& line) const {
        return ExprContext::forLine(game_.symbols, number_, source_.name, line, diag_);
    }

    void error(const SourceLine& line, size_t offset, const std::string& message) {
        diag_.error(source_.name, {line.number, columnOf(line.text, offset)}, message);
    }

    size_t emit(uint8_t command, std::vector<vr::ScriptArgument> args) {
        script_.instructions.push_back({command, uint32_t(line_), std::move(args)});
        return script_.instructions.size() - 1;
    }
    size_t here() const { return script_.instructions.size(); }

    vr::ScriptArgument target(uint8_t id, uint32_t instruction = 0) {
        vr::ScriptArgument a;
        a.id = id;
        a.target = instruction;
        return a;
    }

    static vr::ScriptArgument argument(uint8_t id, const Expr& e, bool asString, uint8_t relative = 0) {
        vr::ScriptArgument a;
        a.id = id;
        a.evalType = evaluationType(e, asString);
        a.relative = relative;
        a.code = encodeExpression(e);
        return a;
    }

    static vr::ScriptArgument textArgument(uint8_t id, const std::string& text) {
        vr::ScriptArgument a;
        a.id = id;
        a.evalType = 3;
        a.code = encodeText(text);
        return a;
    }

    // A value of a wanted kind; nullopt after a report.
    std::optional<Expr> value(Lexer& lex, const SourceLine& line, std::optional<Type> want, const char* what) {
        ExprContext c = context(line);
        size_t at = lex.peek().offset;
        auto e = parseExpression(lex, c);
        if (!e) return std::nullopt;
        if (!checkArithmetic(*e, c)) return std::nullopt;
        if (want) {
            bool isText = e->type == Type::String, wantText = *want == Type::String;
            if (isText != wantText) {
                error(line, at, std::string(what) + (wantText ? " needs a string (convert with str())"
                                                              : " needs a number (convert with int())"));
                return std::nullopt;
            }
        }
        return e;
    }

    bool expectEnd(Lexer& lex, const SourceLine& line) {
        if (lex.atEnd()) return true;
        Token t = lex.peek();
        error(line, t.offset, "unexpected " + forMessage(t.text.empty() ? std::string(lex.rest().substr(0, 1)) : t.text) +
                                  " at the end of the statement");
        return false;
    }

    int blockDepth() const {
        return int(std::count_if(blocks_.begin(), blocks_.end(), [](const OpenBlock& b) { return !b.loop; }));
    }
    int loopDepth() const { return int(blocks_.size()) - blockDepth(); }

    // ------------------------------------------------------------ statements

    void statement(const SourceLine& line) {
        line_ = line.number;
        std::string_view text = line.text;
        Lexer lex(text);
        if (lex.atEnd()) {
            // A blank line ends a paragraph; a comment line does not.
            if (lex.rest().empty()) endParagraph();
            return;
        }
        std::string_view rest = lex.rest();
        size_t start = size_t(rest.data() - text.data());
        if (rest[0] == '#') return;  // directives were read in the first pass
        if (rest[0] == '\\') {
            messageText(line, start + 1);
            return;
        }
        if (rest[0] == '*') {
            endParagraph();
            labelDefinition(line, lex);
            return;
        }
        Token first = lex.peek();
        if (first.kind != Tok::Identifier) {
            messageText(line, start);
            return;
        }
        std::string word = first.text;
        if (isKeyword(word)) {
            endParagraph();
            lex.next();
            keyword(word, line, lex, first.offset);
            return;
        }
        if (auto it = commands_.find(lower(word)); it != commands_.end()) {
            endParagraph();
            lex.next();
            command(*it->second, line, lex);
            return;
        }
        if (game_.symbols.find(word, number_)) {
            // An assignment when an assignment operator follows the variable.
            Lexer probe(text, start);
            ExprContext c = context(line);
            Diagnostics quiet;
            c.diagnostics = &quiet;
            if (parseTarget(probe, c) && isAssignment(probe.peek())) {
                endParagraph();
                assignment(line, lex);
                return;
            }
        }
        // What looks like a statement is not taken for text: a mistyped
        // variable or command is an error, not a line the player reads.
        Lexer probe(text, start);
        probe.next();
        Token second = probe.next();
        if (isAssignment(second) || (second.kind == Tok::Operator && second.text == "[")) {
            endParagraph();
            assignment(line, lex);
            return;
        }
        if (second.kind == Tok::Identifier && isAssignment(probe.peek())) {
            error(line, first.offset, "unknown command " + word);
            return;
        }
        messageText(line, start);
    }

    static bool isKeyword(const std::string& w) {
        static const char* const kKeywords[] = {"global", "local", "dim",   "if",    "elif",   "else",
                                                "end",    "loop",  "break", "continue", "leave", "redo",
                                                "goto",   "call",  "return", "wait", "thread", "endthread"};
        return std::find_if(std::begin(kKeywords), std::end(kKeywords), [&](const char* k) { return w == k; }) !=
               std::end(kKeywords);
    }

    static bool isAssignment(const Token& t) {
        static const char* const kOps[] = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^="};
        return t.kind == Tok::Operator &&
               std::find_if(std::begin(kOps), std::end(kOps), [&](const char* o) { return t.text == o; }) !=
                   std::end(kOps);
    }
    static uint8_t assignmentCode(const std::string& op) {
        static const char* const kOps[] = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^="};
        for (uint8_t i = 0; i < 9; ++i)
            if (op == kOps[i]) return i;
        return 0;
    }

    void keyword(const std::string& w, const SourceLine& line, Lexer& lex, size_t at) {
        if (w == "global" || w == "local") return;  // declared in the first pass
        if (w == "dim") return redeclare(line, lex);
        if (w == "if") return ifStatement(line, lex, at);
        if (w == "elif") return elifStatement(line, lex, at);
        if (w == "else") return elseStatement(line, lex, at);
        if (w == "end") return endStatement(line, lex, at);
        if (w == "loop") return loopStatement(line, lex, at);
        if (w == "break" || w == "continue") return levels(line, lex, at, true, w == "break");
        if (w == "leave" || w == "redo") return levels(line, lex, at, false, w == "leave");
        if (w == "goto") return gotoStatement(line, lex);
        if (w == "call") return callStatement(line, lex);
        if (w == "return") return returnStatement(line, lex);
        if (w == "wait") return waitStatement(line, lex);
        if (w == "thread") return threadStatement(line, lex);
        if (w == "endthread") return endThreadStatement(line, lex);
    }

    // ------------------------------------------------------------ message text

    void messageText(const SourceLine& line, size_t from) {
        std::string text = line.text.substr(std::min(from, line.text.size()));
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
        if (text.empty()) return;
        // "{expression}" prints a value; "{{" stands for a brace.
        size_t pos = 0;
        std::string pending;
        auto flush = [&] {
            if (pending.empty()) return;
            vr::ScriptArgument a;
            a.id = arg::message_text::kText;
            a.evalType = 3;
            a.code.assign(pending.begin(), pending.end());
            emit(cmd::kMessageText, {a});
            pending.clear();
        };
        while (pos < text.size()) {
            size_t n = vr::sjis::charLength(text, pos);
            if (n == 1 && text[pos] == '{') {
                if (pos + 1 < text.size() && text[pos + 1] == '{') {
                    pending += '{';
                    pos += 2;
                    continue;
                }
                flush();
                size_t lineOffset = from + pos + 1;
                Lexer lex(line.text, lineOffset);
                auto e = value(lex, line, std::nullopt, "a printed value");
                if (!e) return;
                if (!lex.accept("}")) {
                    error(line, lex.offset(), "expected } after the printed value");
                    return;
                }
                emit(cmd::kPrintValue, {argument(arg::print_value::kValue, *e, e->type == Type::String)});
                pos = lex.offset() - from;
                continue;
            }
            if (n == 1 && text[pos] == '}' && pos + 1 < text.size() && text[pos + 1] == '}') {
                pending += '}';
                pos += 2;
                continue;
            }
            pending += text.substr(pos, n);
            pos += n;
        }
        flush();
        inParagraph_ = true;
    }

    void endParagraph() {
        if (!inParagraph_) return;
        inParagraph_ = false;
        // The end mark is kept by the thread; scripts see it as 0.
        Expr zero;
        emit(cmd::kMessageEnd, {argument(arg::message_end::kMark, zero, false)});
    }

    // ------------------------------------------------------------ labels

    void labelDefinition(const SourceLine& line, Lexer& lex) {
        std::string name;
        size_t at = 0;
        if (!lex.readLabel(name, at)) {
            error(line, at, "a label needs a name after *");
            return;
        }
        if (name.size() > 255) {
            error(line, at, "label name longer than 255 bytes");
            return;
        }
        if (!expectEnd(lex, line)) return;
        auto [it, added] = labelFiles_.emplace(name, source_.name + ":" + std::to_string(line.number));
        if (!added) {
            error(line, at, "label *" + forMessage(name) + " is already defined at " + it->second);
            return;
        }
        game_.labels.push_back({name, uint32_t(here()), uint16_t(number_), uint8_t(blockDepth()), uint8_t(loopDepth())});
    }

    // A label operand: "*NAME" (a constant, checked to exist), or an
    // expression giving the name.
    std::optional<vr::ScriptArgument> labelOperand(const SourceLine& line, Lexer& lex) {
        std::string name;
        size_t at = 0;
        if (lex.readLabel(name, at)) {
            labelUses_.push_back({name, source_.name, {line.number, columnOf(line.text, at)}});
            return textArgument(kLabel, name);
        }
        auto e = value(lex, line, Type::String, "a label");
        if (!e) return std::nullopt;
        return argument(kLabel, *e, true);
    }

    void gotoStatement(const SourceLine& line, Lexer& lex) {
        auto label = labelOperand(line, lex);
        if (!label || !expectEnd(lex, line)) return;
        emit(cmd::kJumpToLabel, {*label});
    }

    void callStatement(const SourceLine& line, Lexer& lex) {
        auto label = labelOperand(line, lex);
        if (!label) return;
        std::vector<vr::ScriptArgument> args{*label};
        if (lex.accept("(") && !lex.accept(")")) {
            int k = 0;
            do {
                if (++k > kMaxCallArguments) {
                    error(line, lex.peek().offset, "a call takes at most 10 parameters");
                    return;
                }
                size_t at = lex.peek().offset;
                auto e = value(lex, line, std::nullopt, "a parameter");
                if (!e) return;
                if (e->type == Type::String && needsFloat(*e)) {
                    error(line, at, "a string parameter is computed in integer arithmetic; compute it first");
                    return;
                }
                namespace call = arg::call_label;
                uint8_t first = e->type == Type::Int ? call::kInt1 : e->type == Type::Float ? call::kFloat1 : call::kStr1;
                uint8_t id = uint8_t(first + k - 1);
                args.push_back(argument(id, *e, e->type == Type::String));
            } while (lex.accept(","));
            if (!lex.accept(")")) {
                error(line, lex.peek().offset, "expected ) after the parameters");
                return;
            }
        }
        std::vector<Expr> results;
        if (lex.accept("->")) {
            ExprContext c = context(line);
            do {
                auto t = parseTarget(lex, c);
                if (!t) return;
                if (!writable(*t, line)) return;
                results.push_back(std::move(*t));
            } while (lex.accept(","));
            if (results.size() > size_t(kMaxCallArguments)) {
                error(line, lex.offset(), "a call returns at most 10 results");
                return;
            }
        }
        if (!expectEnd(lex, line)) return;
        emit(cmd::kCallLabel, std::move(args));
        // Each result k is read from the result variable of its type.
        for (size_t k = 0; k < results.size(); ++k) {
            const Expr& t = results[k];
            const char* from = t.type == Type::Int ? "result.int" : t.type == Type::Float ? "result.float" : "result.str";
            Expr src;
            src.kind = Expr::Kind::Variable;
            src.variable = systemVariable(from);
            src.type = t.type;
            Expr index;
            index.integer = int64_t(k + 1);
            src.parts.push_back(index);
            emitAssign(t, 0, src);
        }
    }

    void returnStatement(const SourceLine& line, Lexer& lex) {
        std::vector<vr::ScriptArgument> args;
        if (!lex.atEnd()) {
            int k = 0;
            do {
                if (++k > kMaxCallArguments) {
                    error(line, lex.peek().offset, "return gives at most 10 results");
                    return;
                }
                auto e = value(lex, line, std::nullopt, "a result");
                if (!e) return;
                namespace ret = arg::return_;
                uint8_t first = e->type == Type::Int ? ret::kInt1 : e->type == Type::Float ? ret::kFloat1 : ret::kStr1;
                uint8_t id = uint8_t(first + k - 1);
                args.push_back(argument(id, *e, e->type == Type::String));
            } while (lex.accept(","));
        }
        if (!expectEnd(lex, line)) return;
        emit(cmd::kReturn, std::move(args));
    }

    // thread *LABEL(numbers...) [in PATH]: starts a thread there at once,
    // named by the path, or by the label when no path is given.
    void threadStatement(const SourceLine& line, Lexer& lex) {
        std::string name;
        size_t at = 0;
        if (!lex.readLabel(name, at)) {
            error(line, at, "thread needs the *label it starts at");
            return;
        }
        labelUses_.push_back({name, source_.name, {line.number, columnOf(line.text, at)}});
        std::vector<vr::ScriptArgument> args{textArgument(arg::thread_control::kLabel, name)};
        if (lex.accept("(") && !lex.accept(")")) {
            int k = 0;
            do {
                size_t valueAt = lex.peek().offset;
                if (++k > kMaxCallArguments) {
                    error(line, valueAt, "a thread takes at most 10 values");
                    return;
                }
                auto e = value(lex, line, Type::Int, "a thread value");
                if (!e) return;
                uint8_t first = e->type == Type::Float ? arg::thread_control::kFloat1 : arg::thread_control::kInt1;
                args.push_back(argument(uint8_t(first + k - 1), *e, false));
            } while (lex.accept(","));
            if (!lex.accept(")")) {
                error(line, lex.peek().offset, "expected ) after the thread values");
                return;
            }
        }
        Token in = lex.peek();
        if (in.kind == Tok::Identifier && in.text == "in") {
            lex.next();
            auto path = value(lex, line, Type::String, "a thread path");
            if (!path) return;
            args.insert(args.begin(), argument(arg::thread_control::kPath, *path, true));
        } else {
            args.insert(args.begin(), textArgument(arg::thread_control::kPath, name));
        }
        if (!expectEnd(lex, line)) return;
        Expr one;
        one.integer = 1;
        args.push_back(argument(arg::thread_control::kRerun, one, false));
        emit(cmd::kThreadControl, std::move(args));
    }

    // endthread [PATH]: ends a thread, or the current one.
    void endThreadStatement(const SourceLine& line, Lexer& lex) {
        std::vector<vr::ScriptArgument> args;
        if (!lex.atEnd()) {
            auto path = value(lex, line, Type::String, "a thread path");
            if (!path) return;
            args.push_back(argument(arg::thread_end::kPath, *path, true));
        }
        if (!expectEnd(lex, line)) return;
        emit(cmd::kThreadEnd, std::move(args));
    }

    void waitStatement(const SourceLine& line, Lexer& lex) {
        auto e = value(lex, line, Type::Int, "wait");
        if (!e) return;
        uint8_t id = arg::wait::kFrames;
        Token unit = lex.peek();
        if (unit.kind == Tok::Identifier && (unit.text == "ms" || unit.text == "frames")) {
            lex.next();
            id = unit.text == "ms" ? arg::wait::kMs : arg::wait::kFrames;
        }
        if (!expectEnd(lex, line)) return;
        emit(cmd::kWait, {argument(id, *e, false)});
    }

    // ------------------------------------------------------------ blocks and loops

    bool nestingAllows(const SourceLine& line, size_t at, bool loop) {
        if ((loop ? loopDepth() : blockDepth()) < kMaxNesting) return true;
        error(line, at, std::string(loop ? "loops" : "blocks") + " nested deeper than 63");
        return false;
    }

    void ifStatement(const SourceLine& line, Lexer& lex, size_t at) {
        auto cond = value(lex, line, Type::Int, "a condition");
        if (!cond || !expectEnd(lex, line) || !nestingAllows(line, at, false)) return;
        size_t begin = emit(cmd::kBlockBegin, {argument(arg::block_begin::kCondition, *cond, false), target(arg::block_begin::kElseTarget),
                                                  target(arg::block_begin::kEndTarget)});
        blocks_.push_back({false, begin, begin, false, line.number});
    }

    OpenBlock* openIf(const SourceLine& line, size_t at, const char* what) {
        if (blocks_.empty() || blocks_.back().loop) {
            error(line, at, std::string(what) + " without its if");
            return nullptr;
        }
        if (blocks_.back().hadElse) {
            error(line, at, std::string(what) + " after else");
            return nullptr;
        }
        return &blocks_.back();
    }

    void elifStatement(const SourceLine& line, Lexer& lex, size_t at) {
        OpenBlock* b = openIf(line, at, "elif");
        if (!b) return;
        auto cond = value(lex, line, Type::Int, "a condition");
        if (!cond || !expectEnd(lex, line)) return;
        emit(cmd::kBlockSkip, {});
        size_t branch = emit(cmd::kBlockElseIf, {argument(arg::block_else_if::kCondition, *cond, false), target(arg::block_else_if::kElseTarget)});
        script_.instructions[*b->pendingBranch].arguments[1].target = uint32_t(branch);
        b->pendingBranch = branch;
    }

    void elseStatement(const SourceLine& line, Lexer& lex, size_t at) {
        OpenBlock* b = openIf(line, at, "else");
        if (!b || !expectEnd(lex, line)) return;
        emit(cmd::kBlockSkip, {});
        script_.instructions[*b->pendingBranch].arguments[1].target = uint32_t(here());
        b->pendingBranch.reset();
        b->hadElse = true;
    }

    void endStatement(const SourceLine& line, Lexer& lex, size_t at) {
        if (!expectEnd(lex, line)) return;
        if (blocks_.empty()) {
            error(line, at, "end without an if or a loop");
            return;
        }
        OpenBlock b = blocks_.back();
        blocks_.pop_back();
        size_t end = emit(b.loop ? cmd::kLoopEnd : cmd::kBlockEnd, {});
        script_.instructions[b.begin].arguments[b.loop ? 1 : 2].target = uint32_t(end);
    }

    void loopStatement(const SourceLine& line, Lexer& lex, size_t at) {
        auto count = value(lex, line, Type::Int, "a loop count");
        if (!count || !expectEnd(lex, line) || !nestingAllows(line, at, true)) return;
        size_t begin = emit(cmd::kLoopBegin, {argument(arg::loop_begin::kCount, *count, false), target(arg::loop_begin::kEndTarget)});
        blocks_.push_back({true, begin, std::nullopt, false, line.number});
    }

    void levels(const SourceLine& line, Lexer& lex, size_t at, bool loops, bool leave) {
        std::vector<vr::ScriptArgument> args;
        int64_t n = 1;
        if (!lex.atEnd()) {
            auto e = value(lex, line, Type::Int, "a level count");
            if (!e) return;
            if (auto constant = foldConstant(*e, Type::Int)) n = constant->integer;
            args.push_back(argument(kLevels, *e, false));
        }
        if (!expectEnd(lex, line)) return;
        int depth = loops ? loopDepth() : blockDepth();
        if (n > depth) {
            error(line, at, std::string(loops ? "only " : "only ") + std::to_string(depth) +
                                (loops ? " loops" : " blocks") + " are open here");
            return;
        }
        uint8_t command = loops ? (leave ? cmd::kLoopBreak : cmd::kLoopContinue)
                                : (leave ? cmd::kBlockBreak : cmd::kBlockRepeat);
        emit(command, std::move(args));
    }

    // ------------------------------------------------------------ variables

    std::optional<Expr> parseTarget(Lexer& lex, const ExprContext& c) {
        Token name = lex.peek();
        if (name.kind != Tok::Identifier) {
            c.error(name.offset, "expected a variable");
            return std::nullopt;
        }
        auto e = parseExpression(lex, c);
        if (!e) return std::nullopt;
        if (e->kind != Expr::Kind::Variable) {
            c.error(name.offset, "expected a variable");
            return std::nullopt;
        }
        return e;
    }

    bool writable(const Expr& t, const SourceLine& line) {
        if (t.variable->writable) return true;
        error(line, t.offset, forMessage(t.variable->name) + " cannot be assigned");
        return false;
    }

    void emitAssign(const Expr& target, uint8_t op, const Expr& value) {
        vr::ScriptArgument to;
        to.id = arg::assign::kTarget;
        to.evalType = 1;
        to.relative = op;
        to.code = encodeExpression(target);
        emit(cmd::kAssign, {to, argument(arg::assign::kValue, value, target.type == Type::String)});
    }

    void assignment(const SourceLine& line, Lexer& lex) {
        ExprContext c = context(line);
        auto t = parseTarget(lex, c);
        if (!t) return;
        Token op = lex.next();
        if (!writable(*t, line)) return;
        uint8_t code = assignmentCode(op.text);
        if (t->type == Type::String && code > 1) {
            error(line, op.offset, "a string takes = and += only");
            return;
        }
        auto v = value(lex, line, t->type == Type::String ? Type::String : Type::Int, "the assigned value");
        if (!v || !expectEnd(lex, line)) return;
        emitAssign(*t, code, *v);
    }

    void redeclare(const SourceLine& line, Lexer& lex) {
        ExprContext c = context(line);
        auto t = parseTarget(lex, c);
        if (!t) return;
        if (t->variable->system) {
            error(line, t->offset, "system variables are not declared");
            return;
        }
        if (t->parts.size() != size_t(t->variable->dimensions)) {
            error(line, t->offset, "dim gives every dimension of " + forMessage(t->variable->name));
            return;
        }
        std::vector<vr::ScriptArgument> args;
        vr::ScriptArgument to;
        to.id = declare::kTarget;
        to.evalType = 1;
        to.code = encodeExpression(*t);
        args.push_back(to);
        if (lex.accept("=")) {
            auto v = value(lex, line, t->type == Type::String ? Type::String : Type::Int, "the initial value");
            if (!v) return;
            args.push_back(argument(declare::kInitial, *v, t->type == Type::String));
        }
        if (!expectEnd(lex, line)) return;
        uint8_t command = t->type == Type::Int ? cmd::kDeclareVariable
                          : t->type == Type::Float ? cmd::kDeclareVariable2 : cmd::kDeclareStringVariable;
        emit(command, std::move(args));
    }

    // ------------------------------------------------------------ commands

    void command(const CatalogueCommand& cmd, const SourceLine& line, Lexer& lex) {
        std::vector<vr::ScriptArgument> args;
        std::vector<bool> given(cmd.args.size(), false);
        while (!lex.atEnd()) {
            Token name = lex.next();
            if (name.kind != Tok::Identifier) {
                error(line, name.offset, "expected an argument name of " + cmd.name);
                return;
            }
            int found = catalogue_.argumentId(cmd, name.text);
            auto it = found < 0 ? cmd.args.end() : cmd.args.begin() + found;
            if (it == cmd.args.end()) {
                error(line, name.offset, cmd.name + " has no argument " + name.text);
                return;
            }
            size_t id = size_t(it - cmd.args.begin());
            if (given[id]) {
                error(line, name.offset, "argument " + name.text + " given twice");
                return;
            }
            given[id] = true;
            Token op = lex.next();
            static const char* const kRelative[] = {"=", "+=", "-=", "*=", "/="};
            auto rel = std::find_if(std::begin(kRelative), std::end(kRelative),
                                    [&](const char* o) { return op.kind == Tok::Operator && op.text == o; });
            if (rel == std::end(kRelative)) {
                error(line, op.offset, "expected = after " + name.text);
                return;
            }
            uint8_t relative = uint8_t(rel - std::begin(kRelative));
            if (it->kind == kArgumentRaw && cmd.slot == vr::cmd::kMessageText) {
                Token text = lex.next();
                if (text.kind != Tok::String) {
                    error(line, text.offset, "the message text is a string literal");
                    return;
                }
                vr::ScriptArgument a;
                a.id = uint8_t(id);
                a.evalType = 3;
                a.code.assign(text.text.begin(), text.text.end());
                args.push_back(a);
                continue;
            }
            bool text = it->kind == kArgumentString;
            // A numeric argument that is a bare variable names where a
            // result goes, whatever the variable's type.
            Lexer probe = lex;
            ExprContext quiet = context(line);
            Diagnostics ignored;
            quiet.diagnostics = &ignored;
            auto named = parseTarget(probe, quiet);
            bool target = !text && named && (probe.atEnd() || probe.peek().kind == Tok::Identifier);
            std::optional<Type> want;
            if (it->kind != kArgumentRaw && !target) want = text ? Type::String : Type::Int;
            auto v = value(lex, line, want, ("argument " + name.text).c_str());
            if (!v) return;
            args.push_back(argument(uint8_t(id), *v, text || v->type == Type::String, relative));
        }
        if (args.size() > 255) {
            error(line, 0, "more than 255 arguments");
            return;
        }
        emit(uint8_t(cmd.slot), std::move(args));
    }

    const SourceText& source_;
    int number_;
    const Catalogue& catalogue_;
    CompiledGame& game_;
    Diagnostics& diag_;
    std::vector<LabelUse>& labelUses_;
    std::map<std::string, std::string>& labelFiles_;
    std::map<std::string, const CatalogueCommand*> commands_;
    CompiledScript script_;
    std::vector<OpenBlock> blocks_;
    bool inParagraph_ = false;
    int line_ = 0;
};

}  // namespace

void readDeclarations(const SourceText& source, int script, CompiledGame& game, Diagnostics& diagnostics);

bool compileGame(const std::vector<SourceText>& sources, const Catalogue& catalogue, CompiledGame& game,
                 Diagnostics& diagnostics) {
    for (size_t s = 0; s < sources.size(); ++s) readDeclarations(sources[s], int(s), game, diagnostics);
    std::vector<LabelUse> uses;
    std::map<std::string, std::string> labelFiles;
    for (size_t s = 0; s < sources.size(); ++s) {
        ScriptCompiler compiler(sources[s], int(s), catalogue, game, diagnostics, uses, labelFiles);
        game.scripts.push_back(compiler.run());
        game.scripts.back().sourceName = vr::platform::utf8ToSjis(sources[s].name);
    }
    for (const LabelUse& use : uses)
        if (!labelFiles.count(use.name)) diagnostics.error(use.file, use.at, "no label *" + forMessage(use.name));
    return !diagnostics.any();
}

}  // namespace vrc
