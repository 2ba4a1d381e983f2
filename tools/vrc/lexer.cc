#include "lexer.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "common/sjis.h"

namespace vrc {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentifierChar(char c) { return isIdentifierStart(c) || isDigit(c) || c == '.'; }

// Characters that end a label name besides blanks.
bool endsLabel(char c) { return c == '(' || c == ')' || c == ',' || c == ' ' || c == '\t' || c == '"'; }

constexpr std::string_view kOperators[] = {"->", "==", "!=", "<=", ">=", "&&", "||", "+=", "-=", "*=", "/=", "%=",
                                           "&=", "|=", "^=", "+",  "-",  "*",  "/",  "%",  "<",  ">",  "=",  "!",
                                           "&",  "|",  "^",  "(",  ")",  "[",  "]",  ",",  ":",  "{",  "}"};

}  // namespace

bool isIdentifierStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

void Lexer::skipBlanks() {
    while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
    // A full-width space is a blank too: authors type it in Japanese text.
    if (pos_ + 1 < line_.size() && uint8_t(line_[pos_]) == 0x81 && uint8_t(line_[pos_ + 1]) == 0x40) {
        pos_ += 2;
        skipBlanks();
    }
}

bool Lexer::atEnd() {
    skipBlanks();
    return pos_ >= line_.size() || line_.substr(pos_, 2) == "//";
}

std::string_view Lexer::rest() {
    skipBlanks();
    return line_.substr(pos_);
}

Token Lexer::peek() {
    size_t saved = pos_;
    Token t = next();
    pos_ = saved;
    return t;
}

bool Lexer::accept(std::string_view op) {
    Token t = peek();
    if (t.kind != Tok::Operator || t.text != op) return false;
    next();
    return true;
}

Token Lexer::next() {
    Token t;
    if (atEnd()) {
        t.offset = pos_;
        pos_ = line_.size();
        return t;
    }
    t.offset = pos_;
    char c = line_[pos_];
    if (isIdentifierStart(c)) {
        size_t start = pos_;
        while (pos_ < line_.size() && isIdentifierChar(line_[pos_])) ++pos_;
        t.kind = Tok::Identifier;
        t.text = line_.substr(start, pos_ - start);
        return t;
    }
    if (isDigit(c) || (c == '.' && pos_ + 1 < line_.size() && isDigit(line_[pos_ + 1]))) return lexNumber();
    if (c == '"') return lexString();
    for (std::string_view op : kOperators) {
        if (line_.substr(pos_, op.size()) == op) {
            pos_ += op.size();
            t.kind = Tok::Operator;
            t.text = op;
            return t;
        }
    }
    size_t n = vr::sjis::charLength(line_, pos_);
    t.kind = Tok::Bad;
    t.text = line_.substr(pos_, n);
    pos_ += n;
    return t;
}

bool Lexer::readLabel(std::string& name, size_t& at) {
    skipBlanks();
    at = pos_;
    if (pos_ >= line_.size() || line_[pos_] != '*') return false;
    size_t start = ++pos_;
    while (pos_ < line_.size() && !endsLabel(line_[pos_])) pos_ += vr::sjis::charLength(line_, pos_);
    name = line_.substr(start, pos_ - start);
    return !name.empty();
}

Token Lexer::lexNumber() {
    Token t;
    t.offset = pos_;
    size_t start = pos_;
    if (line_.substr(pos_, 2) == "0x" || line_.substr(pos_, 2) == "0X") {
        pos_ += 2;
        size_t digits = pos_;
        while (pos_ < line_.size() && std::isxdigit(uint8_t(line_[pos_]))) ++pos_;
        std::string text(line_.substr(digits, pos_ - digits));
        t.kind = Tok::Integer;
        errno = 0;
        t.integer = int64_t(std::strtoull(text.c_str(), nullptr, 16));
        if (text.empty() || errno == ERANGE) t.problem = "bad hexadecimal number";
    } else {
        bool real = false;
        while (pos_ < line_.size() && isDigit(line_[pos_])) ++pos_;
        if (pos_ < line_.size() && line_[pos_] == '.') {
            real = true;
            ++pos_;
            while (pos_ < line_.size() && isDigit(line_[pos_])) ++pos_;
        }
        if (pos_ < line_.size() && (line_[pos_] == 'e' || line_[pos_] == 'E')) {
            size_t save = pos_++;
            if (pos_ < line_.size() && (line_[pos_] == '+' || line_[pos_] == '-')) ++pos_;
            if (pos_ < line_.size() && isDigit(line_[pos_])) {
                real = true;
                while (pos_ < line_.size() && isDigit(line_[pos_])) ++pos_;
            } else {
                pos_ = save;
            }
        }
        std::string text(line_.substr(start, pos_ - start));
        errno = 0;
        if (real) {
            t.kind = Tok::Float;
            t.real = std::strtod(text.c_str(), nullptr);
        } else {
            t.kind = Tok::Integer;
            uint64_t v = std::strtoull(text.c_str(), nullptr, 10);
            // 9223372036854775808 is allowed so that its negation is the
            // smallest integer.
            if (errno == ERANGE || v > uint64_t(INT64_MAX) + 1) t.problem = "integer too large";
            t.integer = int64_t(v);
        }
    }
    if (pos_ < line_.size() && isIdentifierChar(line_[pos_])) t.problem = "letters right after a number";
    return t;
}

Token Lexer::lexString() {
    Token t;
    t.offset = pos_;
    t.kind = Tok::String;
    ++pos_;
    while (pos_ < line_.size()) {
        char c = line_[pos_];
        if (vr::sjis::isLeadByte(uint8_t(c)) && pos_ + 1 < line_.size()) {
            t.text += line_.substr(pos_, 2);
            pos_ += 2;
            continue;
        }
        if (c == '"') {
            ++pos_;
            return t;
        }
        if (c == '\\') {
            char e = pos_ + 1 < line_.size() ? line_[pos_ + 1] : '\0';
            switch (e) {
            case '\\': t.text += '\\'; break;
            case 'n': t.text += '\n'; break;
            case 't': t.text += '\t'; break;
            case '"': t.text += '"'; break;
            default:
                t.problem = "unknown escape in a string (\\\\, \\n, \\t and \\\" are known)";
                break;
            }
            pos_ += 2;
            continue;
        }
        t.text += c;
        ++pos_;
    }
    t.problem = "string without its closing quote";
    return t;
}

}  // namespace vrc
