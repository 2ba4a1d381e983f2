#include "platform/input_field.h"

#include "common/sjis.h"
#include "common/utf8.h"
#include "platform/platform.h"

namespace vr::platform {

void InputField::setText(std::string_view sjisText) {
    chars_.clear();
    for (size_t i = 0; i < sjisText.size();) {
        size_t n = sjis::charLength(sjisText, i);
        chars_.emplace_back(sjisText.substr(i, n));
        i += n;
    }
    anchor_ = 0;
    caret_ = chars_.size();
}

std::string InputField::slice(size_t from, size_t to) const {
    std::string out;
    for (size_t i = from; i < to && i < chars_.size(); ++i) out += chars_[i];
    return out;
}

std::string InputField::text() const { return slice(0, chars_.size()); }
std::string InputField::selectedText() const { return slice(selectionStart(), selectionEnd()); }

void InputField::eraseSelection() {
    size_t from = selectionStart(), to = selectionEnd();
    chars_.erase(chars_.begin() + std::ptrdiff_t(from), chars_.begin() + std::ptrdiff_t(to));
    caret_ = anchor_ = from;
}

size_t InputField::insertUtf8(std::string_view utf8) {
    eraseSelection();
    size_t taken = 0;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = utf8SequenceLength(utf8, i);
        if (n == 0) {  // not UTF-8: skip the byte
            ++i;
            continue;
        }
        std::string_view one = utf8.substr(i, n);
        i += n;
        if (n == 1 && (uint8_t(one[0]) < 0x20 || one[0] == 0x7F)) continue;
        std::string sjisChar;
        if (!utf8ToSjisExact(one, sjisChar) || sjisChar.empty()) continue;
        if (max_ != 0 && chars_.size() >= max_) break;
        chars_.insert(chars_.begin() + std::ptrdiff_t(caret_), sjisChar);
        anchor_ = ++caret_;
        ++taken;
    }
    return taken;
}

void InputField::moveTo(size_t at, bool extend) {
    caret_ = at < chars_.size() ? at : chars_.size();
    if (!extend) anchor_ = caret_;
}

void InputField::left(bool extend) {
    if (hasSelection() && !extend) return moveTo(selectionStart(), false);
    moveTo(caret_ > 0 ? caret_ - 1 : 0, extend);
}

void InputField::right(bool extend) {
    if (hasSelection() && !extend) return moveTo(selectionEnd(), false);
    moveTo(caret_ < chars_.size() ? caret_ + 1 : caret_, extend);
}

void InputField::home(bool extend) { moveTo(0, extend); }
void InputField::end(bool extend) { moveTo(chars_.size(), extend); }

void InputField::selectAll() {
    anchor_ = 0;
    caret_ = chars_.size();
}

void InputField::backspace() {
    if (hasSelection()) return eraseSelection();
    if (caret_ == 0) return;
    chars_.erase(chars_.begin() + std::ptrdiff_t(--caret_));
    anchor_ = caret_;
}

void InputField::deleteForward() {
    if (hasSelection()) return eraseSelection();
    if (caret_ >= chars_.size()) return;
    chars_.erase(chars_.begin() + std::ptrdiff_t(caret_));
}

}  // namespace vr::platform
