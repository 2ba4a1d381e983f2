#include "core/report_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "common/text_buffer.h"

// The texts are scanned byte by byte: no Shift_JIS trail byte (0x40-0xFC)
// can be mistaken for '%'.

namespace vr {
namespace {

// Widths and precisions beyond this only make padding that the cut removes.
constexpr int kMaxField = 1024;

enum class Class { Signed, Unsigned, Char, Real, Text, Count, Unknown };

Class classOf(char type) {
    switch (type) {
    case 'd': case 'i': return Class::Signed;
    case 'u': case 'o': case 'x': case 'X': case 'p': return Class::Unsigned;
    case 'c': case 'C': return Class::Char;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A': return Class::Real;
    case 's': case 'S': return Class::Text;
    case 'n': return Class::Count;
    default: return Class::Unknown;
    }
}

struct Conversion {
    std::string flags;   // some of "-+ #0"
    int width = -1;      // -1: none
    int precision = -1;  // -1: none
    bool left() const { return flags.find('-') != std::string::npos; }
};

// The printf specification of one conversion, keeping only the flags that
// are defined for it.
std::string specOf(const Conversion& c, std::string_view allowed, const char* length, char type) {
    std::string s = "%";
    for (char f : c.flags)
        if (allowed.find(f) != std::string_view::npos) s += f;
    if (c.width >= 0) s += std::to_string(c.width);
    if (c.precision >= 0) s += "." + std::to_string(c.precision);
    s += length;
    s += type;
    return s;
}

// snprintf of one conversion with one value of the type the conversion expects.
template <typename V>
std::string printOne(const std::string& desc, V value) {
    char small[64];
    int n = std::snprintf(small, sizeof small, desc.c_str(), value);
    if (n < 0) return {};
    if (size_t(n) < sizeof small) return std::string(small, size_t(n));
    std::string out(size_t(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), desc.c_str(), value);
    out.resize(size_t(n));
    return out;
}

std::string padText(std::string_view text, const Conversion& c) {
    std::string s(text.substr(0, text.find('\0')));
    if (c.precision >= 0) s = cutText(std::move(s), size_t(c.precision));
    if (c.width > 0 && s.size() < size_t(c.width)) {
        size_t pad = size_t(c.width) - s.size();
        if (c.left())
            s.append(pad, ' ');
        else
            s.insert(0, pad, ' ');
    }
    return s;
}

std::string printInteger(const Conversion& c, char type, const ReportArg& a) {
    const bool isUnsigned = a.kind == ReportArg::Kind::Unsigned;
    if (type == 'd' || type == 'i') {
        if (isUnsigned && a.integer < 0)  // above the signed range
            return printOne(specOf(c, "-0", "ll", 'u'), (unsigned long long)uint64_t(a.integer));
        return printOne(specOf(c, "-+ 0", "ll", type), (long long)a.integer);
    }
    // A negative 32-bit value prints as its 32-bit pattern, as it would in C.
    uint64_t v = uint64_t(a.integer);
    if (!isUnsigned && !a.wide) v = uint32_t(a.integer);
    if (type == 'p') {
        Conversion hex = c;
        hex.flags += '#';
        return printOne(specOf(hex, "-#0", "ll", 'x'), (unsigned long long)v);
    }
    return printOne(specOf(c, type == 'u' ? "-0" : "-#0", "ll", type), (unsigned long long)v);
}

double realOf(const ReportArg& a) {
    switch (a.kind) {
    case ReportArg::Kind::Real: return a.real;
    case ReportArg::Kind::Unsigned: return double(uint64_t(a.integer));
    default: return double(a.integer);
    }
}

std::string printReal(const Conversion& c, char type, const ReportArg& a) {
    return printOne(specOf(c, "-+ #0", "", type), realOf(a));
}

// An argument whose kind does not fit its placeholder prints in its own form.
std::string printNatural(const Conversion& c, const ReportArg& a) {
    switch (a.kind) {
    case ReportArg::Kind::Text: return padText(a.text, c);
    case ReportArg::Kind::Real: return printReal(c, 'g', a);
    case ReportArg::Kind::Unsigned: return printInteger(c, 'u', a);
    default: return printInteger(c, 'd', a);
    }
}

std::string printConversion(const Conversion& c, Class cls, char type, const ReportArg* arg) {
    ReportArg zero;
    if (!arg) {
        if (cls == Class::Text || cls == Class::Char) return padText("", c);
        if (cls == Class::Real) zero.kind = ReportArg::Kind::Real;
        arg = &zero;
    }
    const bool text = arg->kind == ReportArg::Kind::Text;
    const bool real = arg->kind == ReportArg::Kind::Real;
    switch (cls) {
    case Class::Text:
        return text ? padText(arg->text, c) : printNatural(c, *arg);
    case Class::Char: {
        if (text || real) return printNatural(c, *arg);
        Conversion one = c;
        one.precision = -1;
        const char ch = char(uint8_t(arg->integer));
        return padText(ch ? std::string_view(&ch, 1) : std::string_view(), one);
    }
    case Class::Real:
        return text ? printNatural(c, *arg) : printReal(c, type, *arg);
    default:
        return (text || real) ? printNatural(c, *arg) : printInteger(c, type, *arg);
    }
}

// A width or precision given by '*'.
int fieldArg(const ReportArg* a) {
    if (!a) return 0;
    if (a->kind == ReportArg::Kind::Signed) return int(std::clamp<int64_t>(a->integer, -kMaxField, kMaxField));
    if (a->kind == ReportArg::Kind::Unsigned) return int(std::min<uint64_t>(uint64_t(a->integer), kMaxField));
    return 0;
}

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

int readNumber(std::string_view f, size_t& i) {
    int v = 0;
    while (i < f.size() && isDigit(f[i])) v = std::min(v * 10 + (f[i++] - '0'), kMaxField);
    return v;
}

void skipLengthModifiers(std::string_view f, size_t& i) {
    for (;;) {
        if (i >= f.size()) return;
        if (std::string_view("hlLqjzt").find(f[i]) != std::string_view::npos) {
            ++i;
        } else if (f[i] == 'I') {
            ++i;
            if (f.substr(i, 2) == "64" || f.substr(i, 2) == "32") i += 2;
        } else {
            return;
        }
    }
}

}  // namespace

std::string formatReport(std::string_view f, const ReportArg* args, size_t count, size_t limit) {
    size_t next = 0;
    auto take = [&]() -> const ReportArg* { return next < count ? &args[next++] : nullptr; };

    std::string out;
    size_t i = 0;
    while (i < f.size() && out.size() <= limit) {
        const size_t percent = f.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(f.substr(i));
            break;
        }
        out.append(f.substr(i, percent - i));
        const size_t start = percent;
        i = percent + 1;
        if (i < f.size() && f[i] == '%') {
            out += '%';
            ++i;
            continue;
        }

        Conversion c;
        while (i < f.size() && std::string_view("-+ #0").find(f[i]) != std::string_view::npos) {
            if (c.flags.find(f[i]) == std::string::npos) c.flags += f[i];
            ++i;
        }
        if (i < f.size() && f[i] == '*') {
            ++i;
            int w = fieldArg(take());
            if (w < 0) {
                if (!c.left()) c.flags += '-';
                w = -w;
            }
            c.width = w;
        } else if (i < f.size() && isDigit(f[i])) {
            c.width = readNumber(f, i);
        }
        if (i < f.size() && f[i] == '.') {
            ++i;
            if (i < f.size() && f[i] == '*') {
                ++i;
                const int p = fieldArg(take());
                c.precision = p < 0 ? -1 : p;
            } else {
                c.precision = readNumber(f, i);
            }
        }
        skipLengthModifiers(f, i);

        const Class cls = i < f.size() ? classOf(f[i]) : Class::Unknown;
        if (cls == Class::Unknown) {
            // Kept as written, so the author sees what the text asked for.
            const size_t end = std::min(f.size(), i + 1);
            out.append(f.substr(start, end - start));
            i = end;
            continue;
        }
        const char type = f[i++];
        if (cls == Class::Count) {
            take();  // stands for a pointer in printf: nothing is written through it
            continue;
        }
        out += printConversion(c, cls, type, take());
    }
    return cutText(std::move(out), limit);
}

std::string plainReportText(std::string_view text, size_t limit) {
    std::string out;
    for (size_t i = 0; i < text.size() && out.size() <= limit; ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return cutText(std::move(out), limit);
}

}  // namespace vr
