#include "support/lines.h"

#include <fstream>
#include <sstream>

namespace vr::test {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

testing::AssertionResult hasLine(const std::string& text, const std::string& line) {
    for (const std::string& l : splitLines(text))
        if (l == line) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no line \"" << line << "\" in:\n" << text;
}

std::string readFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace vr::test
