// Save items and save files as bytes: naming, every payload type there and
// back, the file's table through append and rewrite, and damaged input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "save/save_errors.h"
#include "save/save_file.h"
#include "save/save_item.h"
#include "support/sjis_text.h"

namespace vr {
namespace {


std::vector<uint8_t> item(const SavedVariable& v) {
    std::vector<uint8_t> payload = encodeSavedVariable(v);
    std::vector<uint8_t> out;
    EXPECT_TRUE(packSaveItem(SaveItemKind::Variable, payload, payload.size() * 15 / 10, out));
    return out;
}

// The variable stored for `number`, or the failure on the way.
int load(const std::vector<uint8_t>& file, int number, SavedVariable& out) {
    StoredItem stored;
    if (int e = findSaveRecord(file, number, stored)) return e;
    std::vector<uint8_t> payload;
    if (int e = unpackSavePayload(stored.header, stored.compressed, payload)) return e;
    return decodeSavedVariable(payload, out);
}

SavedVariable integer(int64_t value) { return {1, {}, {value}, {}}; }

TEST(SaveFileName, NormalisedAndCheckedAsOneFile) {
    std::string a, b, c;
    EXPECT_EQ(saveFileName("slot1", a), 0);
    EXPECT_EQ(saveFileName("SLOT1.sd", b), 0);
    EXPECT_EQ(a, "slot1.sd");
    EXPECT_EQ(b, a);
    EXPECT_EQ(saveFileName(std::string(32, 'a'), c), 0);
    EXPECT_EQ(saveFileName(std::string(33, 'a'), c), save_error::kNameTooLong);
    EXPECT_EQ(saveFileName("dir\\slot", c), save_error::kNameHasFolder);
    EXPECT_EQ(saveFileName("dir/slot", c), save_error::kNameHasFolder);
    // 0x5C as the second byte of a double-byte character is no folder.
    EXPECT_EQ(saveFileName(test::sjis(u8"表示"), c), 0);
}

TEST(SaveItem, EveryTypeComesBackAsStored) {
    double d = -1.5e300;
    int64_t bits;
    std::memcpy(&bits, &d, 8);
    std::vector<SavedVariable> cases = {
        {1, {3, 2}, {1, -2, INT64_MIN, INT64_MAX, 0, 7}, {}},
        {2, {}, {bits}, {}},
        {3, {4}, {}, {test::sjis(u8"日本語の表示"), "", "a", ""}},
        {3, {}, {}, {""}},
    };
    for (const SavedVariable& v : cases) {
        std::vector<uint8_t> stored = item(v);
        ASSERT_EQ(stored[0], 0);
        ASSERT_EQ(stored[1], 1);
        SaveItemHeader h{stored[0], loadLe32(&stored[4]), loadLe32(&stored[8])};
        ASSERT_EQ(stored.size(), 12 + h.compressedSize);
        std::vector<uint8_t> payload;
        ASSERT_EQ(unpackSavePayload(h, std::span(stored).subspan(12), payload), 0);
        SavedVariable back;
        ASSERT_EQ(decodeSavedVariable(payload, back), 0);
        EXPECT_EQ(back.type, v.type);
        EXPECT_EQ(back.dimensions, v.dimensions);
        EXPECT_EQ(back.integers, v.integers);
        EXPECT_EQ(back.strings, v.strings);
    }
}

TEST(SaveItem, ImageComesBackPixelIdentical) {
    SavedImage image{3, 2, std::vector<uint8_t>(992, 0xAB), {}};
    for (int i = 0; i < 24; ++i) image.pixels.push_back(uint8_t(i * 11));
    std::vector<uint8_t> payload = encodeSavedImage(image);
    ASSERT_EQ(payload.size(), 1000u + 24);
    EXPECT_EQ(loadLe32(&payload[608]), 3u);
    EXPECT_EQ(loadLe32(&payload[612]), 2u);
    SavedImage back;
    ASSERT_EQ(decodeSavedImage(payload, back), 0);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_EQ(back.width, 3u);
    EXPECT_EQ(back.height, 2u);
}

TEST(SaveItem, PayloadsThatDoNotFitAreRefused) {
    SavedImage image{2, 2, std::vector<uint8_t>(992), std::vector<uint8_t>(16)};
    auto withSides = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> p = encodeSavedImage(image);
        storeLe32(p.data() + 608, w);
        storeLe32(p.data() + 612, h);
        SavedImage out;
        return decodeSavedImage(p, out);
    };
    EXPECT_EQ(withSides(2, 2), 0);
    EXPECT_EQ(withSides(0, 2), save_error::kInternal);
    EXPECT_EQ(withSides(8193, 2), save_error::kInternal);
    EXPECT_EQ(withSides(3, 2), save_error::kInternal);  // pixel count no longer matches
    std::vector<uint8_t> p = encodeSavedImage(image);
    p[0] = 0;
    SavedImage out;
    EXPECT_EQ(decodeSavedImage(p, out), save_error::kBadDescriptor);

    // A single element claiming more bytes than it holds, a huge count, a
    // string length past the end, a type the engine does not have.
    SavedVariable v;
    std::vector<uint8_t> one = encodeSavedVariable(integer(5));
    storeLe32(one.data() + 8, 16);
    EXPECT_EQ(decodeSavedVariable(one, v), save_error::kInternal);
    storeLe32(one.data() + 8, 40000001);
    EXPECT_EQ(decodeSavedVariable(one, v), save_error::kTooLarge);
    std::vector<uint8_t> text = encodeSavedVariable({3, {}, {}, {"abc"}});
    storeLe32(text.data() + 12, 4);
    EXPECT_EQ(decodeSavedVariable(text, v), save_error::kInternal);
    std::vector<uint8_t> typed = encodeSavedVariable(integer(5));
    storeLe32(typed.data() + 0, 4);
    EXPECT_EQ(decodeSavedVariable(typed, v), save_error::kInternal);
}

TEST(SaveFile, AppendThenRewriteKeepsEveryEntryOnItsRecord) {
    SaveState state;
    state.records[0].bytes = item(integer(10));
    state.records[2].bytes = item(integer(30));
    std::vector<uint8_t> file;
    ASSERT_EQ(buildSaveFile(nullptr, state, file), 0);
    EXPECT_EQ(std::memcmp(file.data(), "VRSD", 4), 0);
    EXPECT_EQ(loadLe32(&file[4]), 192u);
    EXPECT_EQ(loadLe32(&file[8]), 2u);
    EXPECT_EQ(loadLe32(&file[12]), 1024u);
    EXPECT_EQ(loadLe32(&file[16]), 4112u);
    EXPECT_EQ(loadLe32(&file[20]), 0u);
    EXPECT_EQ(loadLe32(&file[24]), 4112u + 4 + state.records[0].bytes.size());
    EXPECT_EQ(file.size(), 4112u + 8 + state.records[0].bytes.size() + state.records[2].bytes.size());

    SaveState second;
    second.records[1].bytes = item(integer(20));
    std::vector<uint8_t> appended;
    ASSERT_EQ(buildSaveFile(&file, second, appended), 0);
    EXPECT_EQ(loadLe32(&appended[8]), 3u);
    EXPECT_EQ(loadLe32(&appended[20]), file.size());  // at the old end
    EXPECT_TRUE(std::equal(file.begin() + 4112, file.end(), appended.begin() + 4112));

    SaveState third;
    third.records[0].bytes = item({3, {2}, {}, {"longer than before", "x"}});
    third.records[4].bytes = item(integer(50));
    std::vector<uint8_t> rewritten;
    ASSERT_EQ(buildSaveFile(&appended, third, rewritten), 0);
    EXPECT_EQ(loadLe32(&rewritten[8]), 4u);
    for (int n : {1, 2, 3, 5}) {
        uint32_t entry = loadLe32(&rewritten[16 + 4 * size_t(n - 1)]);
        ASSERT_NE(entry, 0u);
        EXPECT_EQ(loadLe32(&rewritten[entry]), uint32_t(n));
    }
    SavedVariable v;
    ASSERT_EQ(load(rewritten, 1, v), 0);
    EXPECT_EQ(v.strings, (std::vector<std::string>{"longer than before", "x"}));
    for (int n : {2, 3, 5}) {
        ASSERT_EQ(load(rewritten, n, v), 0);
        EXPECT_EQ(v.integers, std::vector<int64_t>{n * 10});
    }
    EXPECT_EQ(load(rewritten, 4, v), save_error::kRecordMissing);
}

TEST(SaveFile, DamagedAndShortFilesAreRefused) {
    SaveState state;
    state.records[0].bytes = item({1, {50}, std::vector<int64_t>(50, 7), {}});
    state.records[1].bytes = item(integer(2));
    std::vector<uint8_t> file;
    ASSERT_EQ(buildSaveFile(nullptr, state, file), 0);
    SaveState again;
    again.records[1].bytes = item(integer(3));
    std::vector<uint8_t> out;
    SavedVariable v;
    // Every length short of the whole file: no read past its end, and a
    // rewrite never builds on it.
    for (size_t cut = 0; cut < file.size(); ++cut) {
        std::vector<uint8_t> shortFile(file.begin(), file.begin() + long(cut));
        EXPECT_NE(load(shortFile, 2, v), 0) << cut;  // the last record
        if (cut >= 4112) {
            EXPECT_EQ(buildSaveFile(&shortFile, again, out), save_error::kNotSaveFile) << cut;
        }
    }
    std::vector<uint8_t> damaged = file;
    damaged[loadLe32(&file[16]) + 4 + 12 + 5] ^= 0xFF;
    EXPECT_EQ(load(damaged, 1, v), save_error::kLoadErrorBox);
    damaged = file;
    storeLe32(damaged.data() + 16, uint32_t(file.size() - 2));
    EXPECT_EQ(load(damaged, 1, v), save_error::kInternal);
    damaged = file;
    damaged[4] = 191;
    EXPECT_EQ(load(damaged, 1, v), save_error::kWrongVersion);
    EXPECT_EQ(buildSaveFile(&damaged, again, out), save_error::kWrongVersion);
}

}  // namespace
}  // namespace vr
