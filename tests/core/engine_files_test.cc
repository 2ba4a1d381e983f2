// vre.vbn, vrc.vbn, vrt.vbn, vrt_list.vbn and vrv.vbn: what the writers make,
// the readers take back, and what the readers refuse.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/engine_files_test_util.h"
#include "script/command_table.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"

namespace vr::test {
namespace {

TEST(EngineFilesErrorMessages, RoundTripAndCapacity) {
    HeadlessEngine h;
    std::vector<ErrorMessage> messages = {
        {104060, test::sjis(u8"ファイル %s が見つかりません")}, {0, ""}, {901030, "script"}};
    ASSERT_EQ(parseBytes(&parseErrorMessages, writeErrorMessages(messages)), 0);
    ASSERT_EQ(h.e.core.errors.messages.size(), messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(h.e.core.errors.messages[i].code, messages[i].code);
        EXPECT_EQ(h.e.core.errors.messages[i].text, messages[i].text);
    }
    EXPECT_EQ(errorText(901030), "script");

    std::vector<ErrorMessage> full(kErrorMessageCapacity, ErrorMessage{1, "x"});
    EXPECT_EQ(parseBytes(&parseErrorMessages, writeErrorMessages(full)), 0);
    EXPECT_EQ(h.e.core.errors.messages.size(), size_t(kErrorMessageCapacity));
    full.push_back({2, "y"});
    EXPECT_TRUE(refuses(h.e, &parseErrorMessages, writeErrorMessages(full), 900000));
    EXPECT_EQ(h.e.core.errors.messages.size(), size_t(kErrorMessageCapacity));

    std::vector<uint8_t> negative = writeErrorMessages(messages);
    negative[11] = 0x80;  // count becomes negative
    EXPECT_TRUE(refuses(h.e, &parseErrorMessages, negative, 900000));
}

TEST(EngineFilesCommands, RoundTripKeepsEveryDefinition) {
    HeadlessEngine h;
    auto commands = sampleCommands();
    auto file = writeCommandDefinitions(commands, sampleErrnoTexts(), sampleByteTable());
    ASSERT_EQ(parseBytes(&parseCommandDefinitions, file), 0);
    EXPECT_EQ(h.e.core.files.commands, commands);
    EXPECT_EQ(h.e.core.files.errnoTexts, sampleErrnoTexts());
    EXPECT_EQ(h.e.core.files.commandByteTable, sampleByteTable());
    ASSERT_NE(commandDefinition(1), nullptr);
    EXPECT_EQ(commandDefinition(1)->argumentNames[3], "src");
    EXPECT_EQ(commandDefinition(3), nullptr);
    EXPECT_EQ(commandDefinition(-1), nullptr);
}

TEST(EngineFilesCommands, CommandWithoutArgumentsTakesNameTerminatorAndCount) {
    HeadlessEngine h;
    // Command 0 has no arguments; had the reader taken any byte more or less
    // for it, command 1 would come out wrong.
    auto file = writeCommandDefinitions(sampleCommands(), {}, sampleByteTable());
    const uint8_t expectedStart[] = {'e', 'n', 'd', 0, 0, 'o', 'b', 'j', 0, 4};
    ASSERT_GE(file.size(), 16 + sizeof expectedStart);
    EXPECT_TRUE(std::equal(expectedStart, expectedStart + sizeof expectedStart, file.begin() + 16));
    ASSERT_EQ(parseBytes(&parseCommandDefinitions, file), 0);
    EXPECT_TRUE(h.e.core.files.commands[0].argumentNames.empty());
    EXPECT_EQ(h.e.core.files.commands[1], sampleCommands()[1]);
    EXPECT_EQ(h.e.core.files.errnoTexts, std::vector<std::string>(kErrnoTextCount));
}

TEST(EngineFilesCommands, InconsistentDefinitionsAreRefused) {
    HeadlessEngine h;
    std::vector<CommandDefinition> tooMany(kCommandSlots + 1, CommandDefinition{"c", {}, {}, {}});
    EXPECT_TRUE(refuses(h.e, &parseCommandDefinitions, writeCommandDefinitions(tooMany, {}, {}), 900000));
    tooMany.pop_back();
    EXPECT_EQ(parseBytes(&parseCommandDefinitions, writeCommandDefinitions(tooMany, {}, {})), 0);

    auto badKind = sampleCommands();
    badKind[1].argumentKinds[2] = 3;
    EXPECT_TRUE(refuses(h.e, &parseCommandDefinitions, writeCommandDefinitions(badKind, {}, {}), 900000));
    auto badRange = sampleCommands();
    badRange[2].rangeKinds[0] = 27;
    EXPECT_TRUE(refuses(h.e, &parseCommandDefinitions, writeCommandDefinitions(badRange, {}, {}), 900000));
    EXPECT_EQ(h.e.core.files.commands.size(), size_t(kCommandSlots));
}

TEST(EngineFilesVariableTable, SizeVersionAndBounds) {
    HeadlessEngine h;
    ASSERT_EQ(parseBytes(&parseVariableTableSize, writeVariableTableSize(1500, 0xDEADBEEF)), 0);
    EXPECT_EQ(h.e.core.files.highestVariable, 1500);
    EXPECT_EQ(h.e.core.files.publishedValue, 0xDEADBEEFu);
    ASSERT_EQ(h.e.core.files.variables.size(), 1501u);
    EXPECT_EQ(h.e.core.files.variables[1500].type, 0);

    for (uint32_t version : {411u, 413u, 0u}) {
        SCOPED_TRACE(version);
        EXPECT_TRUE(refuses(h.e, &parseVariableTableSize, writeVariableTableSize(10, 0, version), 105000));
    }
    EXPECT_TRUE(refuses(h.e, &parseVariableTableSize, writeVariableTableSize(-1, 0), 900000));
    EXPECT_TRUE(refuses(h.e, &parseVariableTableSize, writeVariableTableSize(kHighestVariableLimit + 1, 0), 900000));
    EXPECT_TRUE(refuses(h.e, &parseVariableTableSize, writeVariableTableSize(INT32_MAX, 0), 900000));
    EXPECT_EQ(h.e.core.files.variables.size(), 1501u);

    ASSERT_EQ(parseBytes(&parseVariableTableSize, writeVariableTableSize(kHighestVariableLimit, 0)), 0);
    EXPECT_EQ(h.e.core.files.variables.size(), size_t(kHighestVariableLimit) + 1);
}

TEST(EngineFilesScriptList, NamesByNumber) {
    HeadlessEngine h;
    std::vector<ScriptListEntry> scripts = {{2, "sys\\start.txt"}, {0, test::sjis(u8"メイン.txt")}, {1, ""}};
    ASSERT_EQ(parseBytes(&parseScriptList, writeScriptList(scripts)), 0);
    ASSERT_EQ(h.e.core.files.scriptNames.size(), 3u);
    EXPECT_EQ(scriptSourceName(0), test::sjis(u8"メイン.txt"));
    EXPECT_STREQ(scriptSourceName(1), "");
    EXPECT_STREQ(scriptSourceName(2), "sys\\start.txt");
    EXPECT_EQ(scriptSourceName(3), nullptr);
    EXPECT_EQ(scriptSourceName(-1), nullptr);

    std::vector<ScriptListEntry> outOfRange = {{0, "a"}, {2, "b"}};
    EXPECT_TRUE(refuses(h.e, &parseScriptList, writeScriptList(outOfRange), 901030));
    EXPECT_STREQ(scriptSourceName(2), "sys\\start.txt");

    std::vector<uint8_t> longName = writeScriptList({{0, "abc"}});
    longName[19] = 0x7F;  // the name length now runs far past the end
    EXPECT_TRUE(refuses(h.e, &parseScriptList, longName, 900000));
}

std::vector<VariableRecord>* gCreated = nullptr;
int recordCreation(const VariableRecord& record) {
    gCreated->push_back(record);
    return record.intValue == 666 ? -1 : 0;
}

TEST(EngineFilesVariableDefinitions, AppliesGlobalAndScriptRecords) {
    HeadlessEngine h;
    ASSERT_EQ(parseBytes(&parseVariableTableSize, writeVariableTableSize(1100, 0)), 0);
    auto records = sampleVariableRecords();
    ASSERT_EQ(parseBytes(&parseVariableDefinitions, writeVariableDefinitions(records)), 0);

    ASSERT_EQ(applyVariableDefinitions(-1), 0);
    EXPECT_EQ(h.e.core.files.variables[1000].type, VariableRecord::kInteger);
    EXPECT_EQ(h.e.core.files.variables[1001].type, VariableRecord::kFloat);
    EXPECT_EQ(h.e.core.files.variables[1002].type, 0);
    EXPECT_EQ(h.e.core.files.variables[1003].type, 0);
    ASSERT_EQ(applyVariableDefinitions(3), 0);
    EXPECT_EQ(h.e.core.files.variables[1002].type, VariableRecord::kString);
    EXPECT_EQ(h.e.core.files.variables[1003].type, 0);

    std::vector<VariableRecord> created;
    gCreated = &created;
    h.e.core.files.createVariable = &recordCreation;
    ASSERT_EQ(applyVariableDefinitions(-1), 0);
    ASSERT_EQ(applyVariableDefinitions(4), 0);
    ASSERT_EQ(applyVariableDefinitions(5), 0);
    ASSERT_EQ(created.size(), 3u);
    EXPECT_EQ(created[0], records[0]);
    EXPECT_EQ(created[1], records[1]);
    EXPECT_EQ(created[2], records[3]);

    // A failing creation stops the walk with the creator's failure.
    records[0].intValue = 666;
    ASSERT_EQ(parseBytes(&parseVariableDefinitions, writeVariableDefinitions(records)), 0);
    created.clear();
    EXPECT_EQ(applyVariableDefinitions(-1), -1);
    EXPECT_EQ(created.size(), 1u);
    gCreated = nullptr;
}

TEST(EngineFilesVariableDefinitions, EmptyStringExpressionAppliedOrSkippedByItsLengthWord) {
    HeadlessEngine h;
    ASSERT_EQ(parseBytes(&parseVariableTableSize, writeVariableTableSize(2000, 0)), 0);
    VariableRecord empty;
    empty.scope = VariableRecord::kScriptLocal;
    empty.script = 7;
    empty.number = 1500;
    empty.type = VariableRecord::kString;
    std::vector<VariableRecord> records = {empty, integerRecord(1501, 9), empty};
    records[2].script = 8;
    records[2].number = 1502;
    auto file = writeVariableDefinitions(records);
    EXPECT_EQ(file.size(), 10 + 9 + 15 + 9u);
    ASSERT_EQ(parseBytes(&parseVariableDefinitions, file), 0);

    std::vector<VariableRecord> created;
    gCreated = &created;
    h.e.core.files.createVariable = &recordCreation;
    ASSERT_EQ(applyVariableDefinitions(-1), 0);  // skips both empty strings
    ASSERT_EQ(applyVariableDefinitions(8), 0);
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[0], records[1]);
    EXPECT_EQ(created[1], records[2]);
    EXPECT_TRUE(created[1].expression.empty());
    gCreated = nullptr;
}

TEST(EngineFilesVariableDefinitions, NumberBeyondTheTableFailsOnApply) {
    HeadlessEngine h;
    ASSERT_EQ(parseBytes(&parseVariableTableSize, writeVariableTableSize(1000, 0)), 0);
    std::vector<VariableRecord> records = {integerRecord(1000, 1), integerRecord(1001, 2, VariableRecord::kScriptLocal, 2)};
    ASSERT_EQ(parseBytes(&parseVariableDefinitions, writeVariableDefinitions(records)), 0);
    EXPECT_EQ(applyVariableDefinitions(-1), 0);
    h.e.core.run.quitRequested = false;
    size_t before = h.e.core.errors.reportedCodes.size();
    EXPECT_TRUE(refusedWith(h.e, applyVariableDefinitions(2), 900070, before));
}

TEST(EngineFilesVariableDefinitions, InconsistentRecordsAreRefused) {
    HeadlessEngine h;
    auto good = sampleVariableRecords();
    ASSERT_EQ(parseBytes(&parseVariableDefinitions, writeVariableDefinitions(good)), 0);
    const std::vector<uint8_t> kept = h.e.core.files.variableDefinitions;

    for (int8_t dimensions : {int8_t(-1), int8_t(9), int8_t(-128)}) {
        auto records = good;
        records[1].dimensionCount = dimensions;
        EXPECT_TRUE(refuses(h.e, &parseVariableDefinitions, writeVariableDefinitions(records), 900000)) << int(dimensions);
    }
    for (uint8_t type : {0, 4, 255}) {
        auto records = good;
        records[3].type = type;
        EXPECT_TRUE(refuses(h.e, &parseVariableDefinitions, writeVariableDefinitions(records), 900000)) << int(type);
    }
    std::vector<uint8_t> countTooHigh = writeVariableDefinitions(good);
    countTooHigh[8] = 5;
    EXPECT_TRUE(refuses(h.e, &parseVariableDefinitions, countTooHigh, 900000));
    EXPECT_EQ(h.e.core.files.variableDefinitions, kept);
}

}  // namespace
}  // namespace vr::test
