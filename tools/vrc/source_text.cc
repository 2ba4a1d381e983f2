#include "source_text.h"

#include "common/sjis.h"
#include "common/utf8.h"
#include "platform/platform.h"

namespace vrc {

namespace {

// UTF-8 with at least one character beyond ASCII: text of plain ASCII reads
// the same either way.
bool isWideUtf8(std::string_view s) {
    bool wide = false;
    for (char c : s) wide |= uint8_t(c) >= 0x80;
    return wide && vr::isUtf8(s);
}

std::string convertLine(std::string_view utf8, const std::string& file, int line, Diagnostics& diagnostics) {
    std::string out;
    int column = 1;
    for (size_t i = 0; i < utf8.size(); ++column) {
        size_t n = vr::utf8SequenceLength(utf8, i);
        if (n <= 1) {
            out += utf8[i];
            ++i;
            continue;
        }
        std::string sjis;
        std::string_view ch = utf8.substr(i, n);
        if (!vr::platform::utf8ToSjisExact(ch, sjis)) {
            diagnostics.error(file, {line, column}, "the character " + std::string(ch) + " has no Shift_JIS form");
            sjis = "?";
        }
        out += sjis;
        i += n;
    }
    return out;
}

// Text that is not UTF-8 is taken for Shift_JIS, and must be that: a byte
// that is neither would reach the engine as a broken character.  The column
// of the first such byte, or 0.
int firstBadShiftJisColumn(std::string_view line) {
    int column = 1;
    for (size_t i = 0; i < line.size(); ++column) {
        size_t n = vr::sjis::charLength(line, i);
        if (uint8_t(line[i]) >= 0x80) {
            std::string utf8;
            if (i + n > line.size() || !vr::platform::sjisToUtf8Exact(line.substr(i, n), utf8)) return column;
        }
        i += n;
    }
    return 0;
}

}  // namespace

SourceText readSource(std::string name, std::string_view bytes, Diagnostics& diagnostics) {
    SourceText source;
    source.name = std::move(name);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    bool utf8 = isWideUtf8(bytes);
    int number = 1;
    for (size_t start = 0; start <= bytes.size(); ++number) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string text = utf8 ? convertLine(line, source.name, number, diagnostics) : std::string(line);
        if (!utf8)
            if (int column = firstBadShiftJisColumn(line))
                diagnostics.error(source.name, {number, column}, "the text is neither UTF-8 nor Shift_JIS");
        source.lines.push_back({std::move(text), number});
        if (end == bytes.size()) break;
        start = end + 1;
    }
    return source;
}

int columnOf(std::string_view line, size_t offset) {
    int column = 1;
    for (size_t i = 0; i < offset && i < line.size(); ++column) i += vr::sjis::charLength(line, i);
    return column;
}

std::string forMessage(std::string_view sjis) { return vr::platform::sjisToUtf8(sjis); }

}  // namespace vrc
