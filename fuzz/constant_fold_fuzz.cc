// Constant expressions built from the input as script source, parsed by
// vrc, folded by vrc, and run by the engine: the folded value must be what
// the engine computes, to the bit.  The engine runs the unfolded code on
// its own machine (with a bound headless engine) and, for integer code, on
// the decoded form its interpreter uses; the folded value must also survive
// being written back as the literal the compiler emits for it.  Any
// difference aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "expression.h"
#include "lexer.h"
#include "platform/headless/headless.h"
#include "script/expression_machine.h"
#include "script/fast_eval.h"
#include "script/variables.h"
#include "shell/engine.h"
#include "symbols.h"

namespace {

enum class Kind { Int, Float, Text };

// Integers and doubles where arithmetic and conversions change behaviour.
constexpr const char* kIntegers[] = {
    "0", "1", "2", "3", "7", "10", "127", "128", "255", "256", "32767", "32768", "65535", "2147483647",
    "2147483648", "4294967296", "9223372036854775807", "9223372036854775808", "0x8000000000000000",
    "0xFFFFFFFFFFFFFFFF", "0x7FFFFFFF"};
constexpr const char* kReals[] = {
    "0.0", "0.5", "1.0", "1.5", "2.5", "0.1", "1e300", "1e308", "1.7976931348623157e308", "1e309", "5e-324",
    "2.2250738585072014e-308", "1e-300", "9.2e18", "9223372036854775808.0", "9223372036854775807.0", "1e19",
    "4503599627370497.0", "1e15", "123456.7890625", "3.0", "1e22", "1e-7"};
// Pieces of string literals: escapes, delimiter candidates, digits and
// signs for int(), and double-byte characters (one with a second byte of
// 0x5C, the backslash).
constexpr const char* kPieces[] = {
    "a", "Z", "0", "1", "9", " ", "-", "+", ".", "\\n", "\\t", "\\\\", "\\\"", "'", "`", "|", "#", "~", "@",
    "$", "%", "&", "!", "?", ";", ":", "\xE8\xA1\xA8", "\xE3\x82\xA2", "\x95\x5C", "\x83\x41", "\xB1", "12",
    "-34", "  +56x", "99999999999999999999"};

class Builder {
public:
    explicit Builder(FuzzedDataProvider& in) : in_(in) {}

    std::string build(Kind k, int depth) {
        if (depth <= 0 || in_.remaining_bytes() == 0) return leaf(k);
        switch (k) {
        case Kind::Int: return integer(depth - 1);
        case Kind::Float: return real(depth - 1);
        default: return text(depth - 1);
        }
    }

private:
    Kind anyNumber() { return in_.ConsumeBool() ? Kind::Int : Kind::Float; }

    std::string leaf(Kind k) {
        switch (k) {
        case Kind::Int: return integerLiteral();
        case Kind::Float: return realLiteral();
        default: return textLiteral();
        }
    }

    std::string integerLiteral() {
        switch (in_.ConsumeIntegralInRange(0, 3)) {
        case 0: return std::to_string(in_.ConsumeIntegral<int8_t>());
        case 1: return std::to_string(in_.ConsumeIntegral<int64_t>());
        default: return (in_.ConsumeBool() ? "-" : "") + std::string(in_.PickValueInArray(kIntegers));
        }
    }

    std::string realLiteral() {
        if (in_.ConsumeBool()) return (in_.ConsumeBool() ? "-" : "") + std::string(in_.PickValueInArray(kReals));
        double d = in_.ConsumeFloatingPoint<double>();
        if (!std::isfinite(d)) d = 0.25;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", d);
        std::string s = buffer;
        if (s.find_first_of(".e") == std::string::npos) s += ".0";
        return s;
    }

    std::string textLiteral() {
        std::string s = "\"";
        int n = in_.ConsumeIntegralInRange(0, 6);
        for (int i = 0; i < n; ++i) s += in_.PickValueInArray(kPieces);
        // Now and then a long one, so that sums pass the machine's 4095 bytes.
        if (in_.ConsumeIntegralInRange(0, 63) == 63) {
            std::string piece = in_.PickValueInArray(kPieces);
            int times = in_.ConsumeIntegralInRange(1, 1500);
            for (int i = 0; i < times; ++i) s += piece;
        }
        return s + "\"";
    }

    std::string integer(int depth) {
        static constexpr const char* kOperators[] = {"+", "-",  "*",  "/", "%", "==", "!=", "<",
                                                     ">", "<=", ">=", "&&", "||", "&", "|",  "^"};
        static constexpr const char* kComparisons[] = {"==", "!=", "<", ">", "<=", ">=", "&&", "||"};
        switch (in_.ConsumeIntegralInRange(0, 8)) {
        case 0: return integerLiteral();
        case 1:
        case 2: return build(Kind::Int, depth) + " " + in_.PickValueInArray(kOperators) + " " + build(Kind::Int, depth);
        case 3:
            return build(anyNumber(), depth) + " " + in_.PickValueInArray(kComparisons) + " " +
                   build(anyNumber(), depth);
        case 4: return build(Kind::Text, depth) + (in_.ConsumeBool() ? " == " : " != ") + build(Kind::Text, depth);
        case 5: return "!" + build(anyNumber(), depth);
        case 6: return "-" + build(Kind::Int, depth);
        case 7: return "int(" + build(Kind::Text, depth) + ")";
        default: return "(" + build(Kind::Int, depth) + ")";
        }
    }

    std::string real(int depth) {
        static constexpr const char* kOperators[] = {"+", "-", "*", "/"};
        switch (in_.ConsumeIntegralInRange(0, 5)) {
        case 0: return realLiteral();
        case 1:
        case 2: return build(anyNumber(), depth) + " " + in_.PickValueInArray(kOperators) + " " + build(Kind::Float, depth);
        case 3: return build(Kind::Float, depth) + " " + in_.PickValueInArray(kOperators) + " " + build(anyNumber(), depth);
        case 4: return "-" + build(Kind::Float, depth);
        default: return "(" + build(Kind::Float, depth) + ")";
        }
    }

    std::string text(int depth) {
        switch (in_.ConsumeIntegralInRange(0, 15)) {
        case 0: return textLiteral();
        case 1: case 2: case 3: case 4: case 5: case 6:
            return build(Kind::Text, depth) + " + " + build(Kind::Text, depth);
        case 7: case 8: case 9: return "str(" + build(Kind::Int, depth) + ")";
        case 10: case 11: case 12: case 13: case 14: return "str(" + build(Kind::Float, depth) + ")";
        default: {
            if (in_.ConsumeIntegralInRange(0, 15) != 15) return textLiteral();
            // Past the machine's 1024 string buffers: the engine stops, and
            // the compiler must not fold.
            int n = in_.ConsumeIntegralInRange(1000, 1050);
            std::string s = textLiteral();
            for (int i = 0; i < n; ++i) s += " + \"y\"";
            return s;
        }
        }
    }

    FuzzedDataProvider& in_;
};

[[noreturn]] void differ(const char* what, const std::string& source, const std::string& detail) {
    std::fprintf(stderr, "constant folding differs from the engine (%s)\n  expression: %.2000s\n  %s\n", what,
                 source.c_str(), detail.c_str());
    std::abort();
}

std::string bitsOf(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%.17g (0x%016" PRIx64 ")", d, bits);
    return buffer;
}

bool sameDouble(double a, double b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Engine {
    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine engine{host};
    vr::EngineBinding binding{engine};
    Engine() { vr::createVariableTable(); }
};

const uint8_t* bytesOf(const std::vector<uint8_t>& v) { return v.data(); }
uint32_t lengthOf(const std::vector<uint8_t>& v) { return uint32_t(v.size()); }

void checkText(const vrc::Expr& e, const std::string& source) {
    std::vector<uint8_t> code = vrc::encodeExpression(e);
    static char buffer[vr::kStringCapacity];
    uint32_t n = vr::evaluateString(vrc::evaluationType(e, true), buffer, bytesOf(code), lengthOf(code));
    bool failed = vr::evaluationFailed();
    std::string ran(buffer, n);
    auto folded = vrc::foldConstant(e, vrc::Type::String);
    if (failed) {
        if (folded) differ("folded what the engine stops on", source, "folded: " + folded->text);
        return;
    }
    if (!folded) differ("not folded", source, "engine: " + ran);
    if (folded->text != ran) differ("string", source, "folded: " + folded->text + "\n  engine: " + ran);
    // An initial value is written as a literal and read with type 3.
    std::vector<uint8_t> literal = vrc::encodeText(folded->text);
    n = vr::evaluateString(3, buffer, bytesOf(literal), lengthOf(literal));
    if (vr::evaluationFailed() || std::string(buffer, n) != ran)
        differ("string literal", source, "written: " + folded->text + "\n  read: " + std::string(buffer, n));
}

void checkNumber(const vrc::Expr& e, const std::string& source) {
    std::vector<uint8_t> code = vrc::encodeExpression(e);
    uint8_t type = vrc::evaluationType(e, false);

    int64_t integer = vr::evaluateNumeric(type, bytesOf(code), lengthOf(code));
    bool failed = vr::evaluationFailed();
    auto folded = vrc::foldConstant(e, vrc::Type::Int);
    if (failed != !folded) differ("numeric: folded or not", source, failed ? "engine failed" : "not folded");
    if (failed) return;
    if (folded->integer != integer)
        differ("numeric", source, "folded " + std::to_string(folded->integer) + ", engine " + std::to_string(integer));
    if (type == 1) {
        std::vector<vr::FastOperation> pool;
        vr::FastExpression fast = vr::decodeFast(bytesOf(code), lengthOf(code), pool);
        int64_t decoded = 0;
        if (vr::computeFast(fast, pool, decoded) && decoded != integer)
            differ("decoded", source, "decoded " + std::to_string(decoded) + ", machine " + std::to_string(integer));
    }
    std::vector<uint8_t> literal = vrc::encodeExpression(*folded);
    int64_t read = vr::evaluateNumeric(1, bytesOf(literal), lengthOf(literal));
    if (vr::evaluationFailed() || read != integer) differ("integer literal", source, std::to_string(read));

    double real = vr::evaluateFloating(type, bytesOf(code), lengthOf(code));
    if (vr::evaluationFailed()) differ("floating evaluation failed where numeric did not", source, "");
    folded = vrc::foldConstant(e, vrc::Type::Float);
    if (!folded) differ("floating: not folded", source, bitsOf(real));
    if (!sameDouble(folded->real, real)) differ("floating", source, "folded " + bitsOf(folded->real) + ", engine " + bitsOf(real));
    literal = vrc::encodeExpression(*folded);
    double readReal = vr::evaluateFloating(2, bytesOf(literal), lengthOf(literal));
    if (vr::evaluationFailed() || !sameDouble(readReal, real)) differ("floating literal", source, bitsOf(readReal));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t length) {
    static Engine& engine = *new Engine;
    (void)engine;
    FuzzedDataProvider in(bytes, length);
    Kind kind = Kind(in.ConsumeIntegralInRange(0, 2));
    int depth = in.ConsumeIntegralInRange(0, 7);
    std::string source = Builder(in).build(kind, depth);

    vrc::SymbolTable symbols;
    vrc::Diagnostics diagnostics;
    vrc::ExprContext context;
    context.symbols = &symbols;
    context.file = "fuzz.vrs";
    context.line = 1;
    context.text = source;
    context.diagnostics = &diagnostics;
    vrc::Lexer lexer(source);
    auto e = vrc::parseExpression(lexer, context);
    if (!e || !lexer.atEnd() || !vrc::checkArithmetic(*e, context)) return 0;
    if (e->type == vrc::Type::String)
        checkText(*e, source);
    else
        checkNumber(*e, source);
    return 0;
}
