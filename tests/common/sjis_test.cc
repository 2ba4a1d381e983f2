// Shift_JIS walks over engine text.  Names and texts come from files and
// may be cut anywhere: a lead byte as the last byte of a buffer must neither
// read past it nor take the next byte of a larger buffer as its trail.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/sjis.h"

namespace vr {
namespace {

// The text in an allocation of exactly its size, so that a sanitizer build
// reports a read of the byte after it.
struct ExactBuffer {
    std::unique_ptr<char[]> bytes;
    size_t size;
    explicit ExactBuffer(std::string_view s) : bytes(new char[s.size()]), size(s.size()) {
        std::memcpy(bytes.get(), s.data(), s.size());
    }
    std::string_view view() const { return {bytes.get(), size}; }
};

TEST(Sjis, ALeadByteAtTheEndIsOneCharacterAndNothingPastItIsRead) {
    ExactBuffer cut("AB\x82");
    EXPECT_EQ(sjis::charLength(cut.view(), 2), 1u);
    EXPECT_EQ(sjis::charCount(cut.view()), 3u);
    EXPECT_EQ(sjis::lowerAscii(cut.view()), "ab\x82");
    EXPECT_EQ(sjis::normaliseFileName(ExactBuffer("BG/\xE0").view()), "bg\\\xE0");

    // A view that ends on a lead byte inside a longer string: the byte after
    // the view is not its trail, and is left out of everything.
    std::string whole = "X\x95/Y";
    std::string_view part(whole.data(), 2);
    EXPECT_EQ(sjis::charCount(part), 2u);
    EXPECT_EQ(sjis::replaceChar(part, '/', '\\'), "X\x95");
}

TEST(Sjis, TrailBytesThatLookLikeAsciiAreKept) {
    // 表 is 95 5C and ソ is 83 5C: their trail bytes equal '\\'.  A trail
    // byte 'A' (0x41) or '/' is never lowered or replaced.
    EXPECT_EQ(sjis::replaceChar("\x95\x5C\\\x83\x5C", '\\', '/'), "\x95\x5C/\x83\x5C");
    EXPECT_EQ(sjis::lowerAscii("\x82\x41" "A"), "\x82\x41" "a");
    EXPECT_EQ(sjis::normaliseFileName("\x81/D/\x81"), "\x81/d\\\x81");
    EXPECT_EQ(sjis::charCount("\x95\x5C" "a\x83"), 3u);
}

}  // namespace
}  // namespace vr
