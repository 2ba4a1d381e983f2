// The edit field of the input dialog, apart from any drawing: its
// characters, caret and selection, and the rules of what it takes, so that
// every backend edits the same way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vr::platform {

class InputField {
public:
    // 0 or less: no limit on the number of characters.
    explicit InputField(int maxCharacters = 0) : max_(maxCharacters > 0 ? size_t(maxCharacters) : 0) {}

    // The whole text, selected, as the dialog opens with it.  The limit is
    // on typing: a longer text stays whole, and nothing can be added to it.
    void setText(std::string_view sjis);
    std::string text() const;  // Shift_JIS
    std::string selectedText() const;

    // Typed or pasted UTF-8 text replaces the selection at the caret.  A
    // character Shift_JIS cannot spell, a control character, and whatever
    // would pass the limit are refused.  The number of characters taken.
    size_t insertUtf8(std::string_view utf8);

    // The caret moves by characters; with `extend` the selection grows or
    // shrinks with it, without it the selection is dropped.
    void left(bool extend);
    void right(bool extend);
    void home(bool extend);
    void end(bool extend);
    // To the character position `at` (at most the length).
    void moveTo(size_t at, bool extend);
    void selectAll();
    // Deletes the selection, or else the character before (backspace) or
    // after (deleteForward) the caret.
    void backspace();
    void deleteForward();

    size_t length() const { return chars_.size(); }  // in characters
    size_t caret() const { return caret_; }
    size_t selectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    size_t selectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
    bool hasSelection() const { return caret_ != anchor_; }
    // The Shift_JIS bytes of characters [from, to).
    std::string slice(size_t from, size_t to) const;

private:
    void eraseSelection();

    std::vector<std::string> chars_;  // one Shift_JIS character each
    size_t caret_ = 0, anchor_ = 0;
    size_t max_;
};

}  // namespace vr::platform
