// Tokens of one source line, pulled one at a time: the parser decides what
// comes next (a label name after "goto", message text for a whole line), so
// the lexer works from a cursor the parser can also read raw text from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vrc {

enum class Tok {
    End,         // end of the line (or a comment)
    Identifier,  // letters, digits, '_' and '.', not starting with a digit
    Integer,
    Float,
    String,      // decoded text (escapes applied), Shift_JIS
    Operator,    // punctuation, in `text`
    Bad,         // a character that starts no token; `text` holds it
};

struct Token {
    Tok kind = Tok::End;
    std::string text;      // identifier, operator, string contents
    int64_t integer = 0;
    double real = 0;
    size_t offset = 0;     // byte offset in the line
    std::string problem;   // for Bad tokens and malformed literals
};

class Lexer {
public:
    explicit Lexer(std::string_view line, size_t start = 0) : line_(line), pos_(start) {}

    Token next();
    Token peek();
    // Whether the next token is this operator (and takes it when it is).
    bool accept(std::string_view op);
    size_t offset() const { return pos_; }
    std::string_view rest();  // from the next non-blank character to the end of the line
    bool atEnd();
    // Reads "*name" (the name without the star); false when none stands here.
    bool readLabel(std::string& name, size_t& at);

private:
    void skipBlanks();
    Token lexNumber();
    Token lexString();

    std::string_view line_;
    size_t pos_;
};

bool isIdentifierStart(char c);

}  // namespace vrc
