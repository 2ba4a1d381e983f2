// Compiler messages in the form compilers give them:
// "file:line:column: error: text".  Columns count characters from 1.
#pragma once

#include <string>
#include <vector>

namespace vrc {

struct Position {
    int line = 0;
    int column = 0;
};

struct Diagnostic {
    std::string file;  // UTF-8, as the author named it
    Position at;
    std::string message;  // UTF-8
};

class Diagnostics {
public:
    void error(const std::string& file, Position at, std::string message) {
        if (list_.size() < kLimit) list_.push_back({file, at, std::move(message)});
        ++count_;
    }
    bool any() const { return count_ > 0; }
    size_t count() const { return count_; }
    const std::vector<Diagnostic>& list() const { return list_; }
    std::string format(const Diagnostic& d) const {
        return d.file + ":" + std::to_string(d.at.line) + ":" + std::to_string(d.at.column) + ": error: " + d.message;
    }

    // Past this many a run stops listing; the count still grows.
    static constexpr size_t kLimit = 100;

private:
    std::vector<Diagnostic> list_;
    size_t count_ = 0;
};

}  // namespace vrc
