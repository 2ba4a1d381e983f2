// The record store against real files: records fill once, a write empties
// them, and a write that cannot happen keeps both the file and the records.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "save/save.h"
#include "platform/platform.h"
#include "save/save_errors.h"
#include "save/save_file.h"
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

// Writes the filled records as the classic way does: an append updates the
// file in place (records at the end, then count and table), a rewrite
// truncates the file and writes it anew.  Only here to show that the kill
// test below catches what the engine's writer is built to avoid.
int writeInPlace(std::string_view name, int&) {
    std::string path = "save/" + std::string(name);
    std::vector<uint8_t> old, file;
    bool had = platform::readHostFile(path, old);
    // A file left damaged by an earlier kill is started afresh: its
    // records are gone either way.
    if (had && buildSaveFile(&old, saveState(), file) != 0) had = false;
    if (!had && buildSaveFile(nullptr, saveState(), file) != 0) return -1;
    bool appended = had && file.size() > old.size() && std::equal(old.begin() + 4112, old.end(), file.begin() + 4112);
    ::mkdir("save", 0755);
    int fd = ::open(path.c_str(), appended ? O_WRONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return -1;
    bool ok = appended ? ::pwrite(fd, file.data() + old.size(), file.size() - old.size(), off_t(old.size())) >= 0 &&
                             ::pwrite(fd, file.data() + 8, 4112 - 8, 8) >= 0
                       : ::write(fd, file.data(), file.size()) == ssize_t(file.size());
    ::close(fd);
    saveState().clearAll();
    return ok ? 0 : -1;
}

// A writer killed at random moments, 200 times, saving again and again with
// appends and rewrites.  After each kill the file must parse, every record
// once in it must still be there, and each must be one whole version.
// Returns the number of kills after which that was not so.
int killWritersAndCount(int (*write)(std::string_view, int&)) {
    std::mt19937 random(15);
    int version = 1, damaged = 0;
    std::array<bool, 21> seen{};
    for (int kill = 0; kill < 200; ++kill) {
        pid_t pid = fork();
        if (pid == 0) {
            alarm(20);
            for (int v = version;; ++v) {
                int number = 1 + (v * 7) % 20;
                std::vector<uint8_t> payload = encodeSavedVariable({1, {64}, std::vector<int64_t>(64, v), {}});
                int error = 0;
                if (storeSaveItem(number, SaveItemKind::Variable, payload, 600) != 0 || write("slot1.sd", error) != 0)
                    _exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the writer failed before it was killed";
        version += 1000;
        bool whole = true;
        for (int number = 1; number <= 20; ++number) {
            SaveItemKind kind;
            std::vector<uint8_t> payload;
            SavedVariable v;
            int e = readSaveRecord("slot1.sd", number, kind, payload);
            if ((e == save_error::kOpenForLoad || e == save_error::kRecordMissing) && !seen[size_t(number)]) continue;
            seen[size_t(number)] = true;
            whole = whole && e == 0 && decodeSavedVariable(payload, v) == 0 && v.integers.size() == 64 &&
                    std::count(v.integers.begin(), v.integers.end(), v.integers[0]) == 64;
        }
        damaged += whole ? 0 : 1;
    }
    return damaged;
}

TEST_F(SaveStore, KilledWritersLeaveWholeFiles) { EXPECT_EQ(killWritersAndCount(&writeSaveRecords), 0); }

// Run by hand (--gtest_also_run_disabled_tests) to see the test above catch
// a writer that changes the file in place.
TEST_F(SaveStore, DISABLED_WritersInPlaceLoseRecordsWhenKilled) {
    int damaged = killWritersAndCount(&writeInPlace);
    EXPECT_GT(damaged, 0);
    std::printf("%d of 200 kills left lost or damaged records\n", damaged);
}

}  // namespace
}  // namespace vr
