// vrsjistexts: turns the engine's UTF-8 text table into a header of
// Shift_JIS string literals, so that the sources spell the texts players see
// as they read while the compiler needs no execution character set of its
// own.  Run as
//   vrsjistexts TABLE HEADER
//
// Each line of the table is "NAME TEXT"; the header defines VR_TEXT_NAME as
// the text in code page 932.  The texts are converted by the C library's
// iconv, the converter the engine itself uses.  A character that code page
// 932 lacks is an error, never a silent substitute.
#include <errno.h>
#include <iconv.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace {

struct Failure {
    std::string message;
};

bool isNameChar(char c) { return std::isupper(uint8_t(c)) || std::isdigit(uint8_t(c)) || c == '_'; }

std::string toCp932(const std::string& utf8, const std::string& where) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Failure{"this C library has no CP932 converter"};
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    int error = errno;
    iconv_close(cd);
    if (r == size_t(-1) || r > 0) {
        size_t at = utf8.size() - inLeft;
        throw Failure{where + ": the text does not convert to code page 932 at byte " + std::to_string(at) +
                      (error == EILSEQ || r > 0 ? "" : " (cut off)")};
    }
    out.resize(out.size() - dstLeft);
    return out;
}

bool isLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The text as the body of a C string literal.  The table's escapes pass
// through; every byte of a non-ASCII character becomes a hex escape (a trail
// byte may equal '\\'), and the literal is split where a hex digit follows
// one, since it would extend the escape.
std::string literalBody(const std::string& sjis, const std::string& where) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    bool afterHex = false;
    for (size_t i = 0; i < sjis.size(); ++i) {
        uint8_t c = uint8_t(sjis[i]);
        if (c >= 0x80) {
            size_t n = isLeadByte(c) && i + 1 < sjis.size() ? 2 : 1;
            for (size_t k = 0; k < n; ++k) {
                uint8_t b = uint8_t(sjis[i + k]);
                out += "\\x";
                out += kHex[b >> 4];
                out += kHex[b & 15];
            }
            i += n - 1;
            afterHex = true;
            continue;
        }
        if (afterHex && std::isxdigit(c)) out += "\" \"";
        afterHex = false;
        if (c == '\\') {
            char next = i + 1 < sjis.size() ? sjis[i + 1] : '\0';
            if (next != 'n' && next != 't' && next != '\\' && next != '"')
                throw Failure{where + ": unknown escape (use \\n, \\t, \\\\ or \\\")"};
            out += c;
            out += next;
            ++i;
        } else if (c == '"') {
            out += "\\\"";
        } else if (c < 0x20 || c == 0x7F) {
            throw Failure{where + ": control character in the text"};
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string header(std::istream& table, const std::string& tableName) {
    std::ostringstream out;
    out << "// Generated from " << tableName << " by vrsjistexts; do not edit.\n"
        << "// Each text is in Shift_JIS (code page 932), the engine's encoding.\n"
        << "#pragma once\n";
    std::set<std::string> names;
    std::string line;
    for (int number = 1; std::getline(table, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::string where = tableName + ":" + std::to_string(number);
        size_t end = 0;
        while (end < line.size() && isNameChar(line[end])) ++end;
        size_t text = line.find_first_not_of(" \t", end);
        if (end == 0 || end == line.size() || (line[end] != ' ' && line[end] != '\t') || text == std::string::npos)
            throw Failure{where + ": expected NAME (capitals, digits, _) and a text"};
        std::string name = line.substr(0, end);
        if (!names.insert(name).second) throw Failure{where + ": " + name + " is defined twice"};
        std::string utf8 = line.substr(text);
        // A comment ending in a backslash would swallow the definition.
        out << "\n// " << utf8 << (utf8.back() == '\\' ? " " : "") << "\n#define VR_TEXT_" << name << " \""
            << literalBody(toCp932(utf8, where), where) << "\"\n";
    }
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: vrsjistexts TABLE HEADER\n";
        return 2;
    }
    std::ifstream table(argv[1], std::ios::binary);
    if (!table) {
        std::cerr << "vrsjistexts: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::string text;
    try {
        text = header(table, std::filesystem::path(argv[1]).filename().string());
    } catch (const Failure& f) {
        std::cerr << "vrsjistexts: " << f.message << "\n";
        return 1;
    }
    // Rewritten only when the texts change, so that touching the table
    // without changing it rebuilds nothing.
    std::ifstream old(argv[2], std::ios::binary);
    std::ostringstream current;
    if (old) current << old.rdbuf();
    if (old && current.str() == text) return 0;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        std::cerr << "vrsjistexts: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
