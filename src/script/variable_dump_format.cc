#include <charconv>
#include <cstdio>

#include "platform/platform.h"
#include "script/variable_dump.h"

namespace vr {

namespace {

void appendReal(std::string& out, double v) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    if (ec != std::errc()) {
        out += "?";
        return;
    }
    std::string_view text(buffer, size_t(end - buffer));
    out += text;
    // The shortest form of 2.0 is "2"; the point keeps it a floating value
    // to the reader.
    if (text.find_first_of(".eninf") == std::string_view::npos) out += ".0";
}

void appendQuoted(std::string& out, const std::string& sjis) {
    out += '"';
    for (char c : platform::sjisToUtf8(sjis)) {
        unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (u < 0x20 || u == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", u);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

const char* typeName(uint8_t type) {
    switch (type) {
    case 1: return "int";
    case 2: return "float";
    case 3: return "str";
    default: return "?";
    }
}

}  // namespace

std::string formatVariable(const VariableSnapshot& v) {
    std::string out = std::to_string(v.number);
    out += ' ';
    out += typeName(v.type);
    if (v.dimensionCount > 0) {
        out += '[';
        for (int d = 0; d < v.dimensionCount && d < kDumpDimensions; ++d) {
            if (d) out += ',';
            out += std::to_string(v.sizes[size_t(d)]);
        }
        out += ']';
    }
    out += " =";
    size_t count = v.type == 1 ? v.integers.size() : v.type == 2 ? v.floats.size() : v.strings.size();
    for (size_t i = 0; i < count; ++i) {
        out += i ? ", " : " ";
        if (v.type == 1)
            out += std::to_string(v.integers[i]);
        else if (v.type == 2)
            appendReal(out, v.floats[i]);
        else
            appendQuoted(out, v.strings[i]);
    }
    return out;
}

}  // namespace vr
