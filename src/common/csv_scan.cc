#include "common/csv_scan.h"

#include "common/sjis.h"
#include "common/text_buffer.h"

namespace vr::csv {

namespace {

class Scanner {
public:
    Scanner(std::string_view bytes, const std::function<void(std::string_view)>& element)
        : s_(bytes), element_(element) {}

    // A comma that separates is itself followed by the test for another,
    // so ",," gives an empty field; the test before the first step serves
    // a file that starts with a comma.
    void run() {
        while (separateAtComma()) {
        }
        while (p_ < s_.size()) {
            step();
            while (separateAtComma()) {
            }
        }
    }

private:
    void emit(size_t end) { element_(cutTextView(s_.substr(fieldStart_, end - fieldStart_), kFieldLimit)); }

    void step() {
        char c = s_[p_];
        if (c == '\r' || c == '\n') {
            if (pending_) {
                emit(p_);
                pending_ = false;
            }
            if (!lineEmpty_) element_(kLineEnd);
            p_ += (c == '\r' && p_ + 1 < s_.size() && s_[p_ + 1] == '\n') ? 2 : 1;
            fieldStart_ = p_;
            doubleQuote_ = hasText_ = false;
            lineEmpty_ = true;  // the single-quote flag runs on across lines
        } else if (c == '"') {
            doubleQuote_ = !doubleQuote_;
            ++p_;
        } else if (c == '\'') {
            singleQuote_ = !singleQuote_;
            ++p_;
        } else if ((c == ' ' || c == '\t') && !hasText_) {
            fieldStart_ = ++p_;
        } else {
            hasText_ = true;
            lineEmpty_ = false;
            p_ += sjis::charLength(s_, p_);
        }
    }

    bool separateAtComma() {
        if (p_ >= s_.size() || s_[p_] != ',' || doubleQuote_ || singleQuote_) return false;
        emit(p_);
        fieldStart_ = ++p_;
        hasText_ = false;
        pending_ = true;
        return true;
    }

    std::string_view s_;
    const std::function<void(std::string_view)>& element_;
    size_t p_ = 0;
    size_t fieldStart_ = 0;
    bool doubleQuote_ = false, singleQuote_ = false;
    bool hasText_ = false;
    bool lineEmpty_ = true;
    bool pending_ = false;
};

}  // namespace

void scan(std::string_view bytes, const std::function<void(std::string_view)>& element) {
    Scanner(bytes, element).run();
}

size_t count(std::string_view bytes) {
    size_t n = 0;
    scan(bytes, [&n](std::string_view) { ++n; });
    return n;
}

}  // namespace vr::csv
