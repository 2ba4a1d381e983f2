// The record store against real files: records fill once, a write empties
// them, and a write that cannot happen keeps both the file and the records.
#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "save/save.h"
#include "save/save_errors.h"
#include "save/save_item.h"
#include "save/save_store.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

class SaveStore : public ::testing::Test {
protected:
    SaveStore() { bindRecord(&state); }
    ~SaveStore() override { bindRecord<SaveState>(nullptr); }

    int store(int number, int64_t value) {
        std::vector<uint8_t> payload = encodeSavedVariable({1, {}, {value}, {}});
        return storeSaveItem(number, SaveItemKind::Variable, payload, 48);
    }
    int64_t loaded(int number) {
        SaveItemKind kind;
        std::vector<uint8_t> payload;
        SavedVariable v;
        if (readSaveRecord("slot1.sd", number, kind, payload) != 0 || kind != SaveItemKind::Variable ||
            decodeSavedVariable(payload, v) != 0) {
            return -1;
        }
        return v.integers.at(0);
    }

    SaveState state;
    test::TempDir tmp;
    test::CurrentDir cd{tmp.path()};
};

TEST_F(SaveStore, RecordsFillOnceAndAWriteEmptiesThem) {
    int error = 0;
    ASSERT_EQ(store(1, 11), 0);
    EXPECT_EQ(store(1, 12), save_error::kRecordFilled);
    ASSERT_EQ(store(3, 33), 0);
    ASSERT_EQ(writeSaveRecords("slot1.sd", error), 0);
    EXPECT_TRUE(state.records[0].empty());
    EXPECT_TRUE(state.records[2].empty());
    ASSERT_EQ(store(1, 12), 0);  // written, so free again
    ASSERT_EQ(writeSaveRecords("slot1.sd", error), 0);
    EXPECT_EQ(loaded(1), 12);
    EXPECT_EQ(loaded(3), 33);
    SaveItemKind kind;
    std::vector<uint8_t> payload;
    EXPECT_EQ(readSaveRecord("slot1.sd", 2, kind, payload), save_error::kRecordMissing);
    EXPECT_EQ(readSaveRecord("slot2.sd", 1, kind, payload), save_error::kOpenForLoad);
}

TEST_F(SaveStore, AnUnwritableFolderKeepsFileAndRecords) {
    tmp.write("save", "a file where the folder should be");
    ASSERT_EQ(store(2, 22), 0);
    int error = 0;
    EXPECT_EQ(writeSaveRecords("slot1.sd", error), save_error::kCannotWrite);
    EXPECT_EQ(error, EEXIST);
    EXPECT_FALSE(state.records[1].empty());
}

}  // namespace
}  // namespace vr

namespace vr {
namespace {

// A writer killed at random moments, again and again: after every kill the
// file parses and every record in it is one whole version of that record.
TEST_F(SaveStore, KilledWritersLeaveWholeFiles) {
    std::mt19937 random(15);
    int version = 1;
    for (int kill = 0; kill < 200; ++kill) {
        pid_t pid = fork();
        if (pid == 0) {
            alarm(20);
            for (int v = version;; ++v) {
                int number = 1 + (v * 7) % 20;
                std::vector<uint8_t> payload = encodeSavedVariable({1, {64}, std::vector<int64_t>(64, v), {}});
                int error = 0;
                if (storeSaveItem(number, SaveItemKind::Variable, payload, 600) != 0 ||
                    writeSaveRecords("slot1.sd", error) != 0) {
                    _exit(1);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed before it was killed";
        version += 1000;
        SaveItemKind kind;
        std::vector<uint8_t> payload;
        for (int number = 1; number <= 20; ++number) {
            int e = readSaveRecord("slot1.sd", number, kind, payload);
            if (e == save_error::kOpenForLoad || e == save_error::kRecordMissing) continue;
            ASSERT_EQ(e, 0) << "kill " << kill << " record " << number;
            SavedVariable v;
            ASSERT_EQ(decodeSavedVariable(payload, v), 0);
            ASSERT_EQ(v.integers.size(), 64u);
            EXPECT_EQ(std::count(v.integers.begin(), v.integers.end(), v.integers[0]), 64);
        }
    }
}

}  // namespace
}  // namespace vr
