#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vr::platform {
namespace {

std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(PlatformText, RoundTripsJapaneseAndAscii) {
    // セーブデータ「表示」 No.1 ～ ① in code page 932, spelt out so that the
    // converter is held to bytes it did not make (表 ends in a '\\' byte).
    std::string sjis =
        "\x83\x5A\x81\x5B\x83\x75\x83\x66\x81\x5B\x83\x5E\x81\x75\x95\x5C\x8E\xA6\x81\x76 No.1 \x81\x60 \x87\x40";
    std::string utf8 = u8s(u8"セーブデータ「表示」 No.1 ～ ①");
    EXPECT_EQ(sjisToUtf8(sjis), utf8);
    EXPECT_EQ(utf8ToSjis(utf8), sjis);
    std::string out = "stale";
    EXPECT_TRUE(sjisToUtf8Exact(sjis, out));
    EXPECT_EQ(out, utf8);
    EXPECT_TRUE(sjisToUtf8Exact("plain\\path/", out));
    EXPECT_EQ(out, "plain\\path/");
    EXPECT_EQ(sjisToUtf8(""), "");
}

TEST(PlatformText, UnconvertibleBytesBecomeOneQuestionMarkEach) {
    // A lead byte with a bad trail byte, an unassigned byte, a lead byte cut
    // off at the end: each is replaced and the text around it survives.
    std::string bad = std::string("a\x81\x20") + "b\xA0" + "\x95\x5C\x81";  // ...表 and a cut-off lead byte
    EXPECT_EQ(sjisToUtf8(bad), u8s(u8"a? b?表?"));
    std::string out = "stale";
    EXPECT_FALSE(sjisToUtf8Exact(bad, out));
    EXPECT_TRUE(out.empty());

    // Characters Shift_JIS lacks, and broken UTF-8.
    EXPECT_EQ(utf8ToSjis(u8s(u8"café 表")), "caf? \x95\x5C");
    EXPECT_EQ(utf8ToSjis(std::string("x\xFFy\xE3\x81")), "x?y?");
    EXPECT_EQ(utf8ToSjis(u8s(u8"😀!")), "?!");
}

}  // namespace
}  // namespace vr::platform
