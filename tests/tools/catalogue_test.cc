// The vrc catalogue: the built-in data files, what they become in vrc.vbn
// and vre.vbn, and how the reader refuses a damaged catalogue.
#include <gtest/gtest.h>

#include <set>

#include "catalogue.h"
#include "core/engine_files.h"
#include "core/error_texts.h"
#include "core/report_format.h"
#include "platform/platform.h"
#include "support/headless_engine.h"

namespace vrc {
namespace {

Catalogue embedded() {
    Catalogue c;
    std::string error;
    EXPECT_TRUE(loadCatalogue(embeddedCommands(), embeddedErrors(), embeddedErrno(), c, error)) << error;
    return c;
}

// The printf conversions of a text, in order: "s", "d", "lld" ...
std::vector<std::string> conversions(std::string_view text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && std::string_view("diuxXcsfeg").find(text[j]) == std::string_view::npos) ++j;
        out.emplace_back(text.substr(i + 1, j - i));
        i = j;
    }
    return out;
}

std::string utf8(const std::string& sjis) { return vr::platform::sjisToUtf8(sjis); }
// Literals are compiled to Shift_JIS; the catalogue's texts are compared in
// UTF-8 against u8 literals.
std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// ------------------------------------------------------------ the built-in catalogue

TEST(CatalogueEmbedded, HasEverySlotAndTheReservedOnesExactly) {
    Catalogue c = embedded();
    ASSERT_EQ(c.commands.size(), size_t(kCommandSlotCount));
    const std::set<int> reserved = {24, 25, 26, 27, 45, 67, 94, 95, 96, 97, 98, 99};
    for (const CatalogueCommand& cmd : c.commands) {
        SCOPED_TRACE("slot " + std::to_string(cmd.slot));
        EXPECT_EQ(cmd.slot, &cmd - c.commands.data());
        EXPECT_EQ(cmd.reserved, reserved.count(cmd.slot) == 1);
        EXPECT_EQ(cmd.name.empty(), cmd.reserved);
        if (cmd.reserved) {
            EXPECT_TRUE(cmd.args.empty());
        }
        for (size_t id = 0; id < cmd.args.size(); ++id) {
            const CatalogueArgument& a = cmd.args[id];
            if (isPlaceholder(a)) {
                EXPECT_EQ(a.name, "unused" + std::to_string(id));
            }
            if (a.kind != kArgumentNumeric) {
                EXPECT_EQ(a.range, 0) << a.name;
            }
        }
    }
    // The slots that share one handler in the engine still get names of
    // their own, so that scripts can tell them apart.
    EXPECT_EQ(c.commands[9].name, "DoNothing9");
    EXPECT_EQ(c.commands[52].name, "EvaluateOnly52");
    EXPECT_EQ(c.findCommand("reserved"), nullptr);
}

TEST(CatalogueEmbedded, CompilerStatementsFindTheirCommandsAndIds) {
    Catalogue c = embedded();
    struct Expected {
        int slot;
        const char* command;
        const char* argument;
        int id;
        uint8_t kind;
    };
    const Expected expected[] = {
        {28, "JumpToLabel", "label", 0, kArgumentString},   {29, "CallLabel", "label", 0, kArgumentString},
        {29, "CallLabel", "int1", 1, kArgumentNumeric},     {29, "CallLabel", "int10", 10, kArgumentNumeric},
        {29, "CallLabel", "float1", 11, kArgumentNumeric},  {29, "CallLabel", "float10", 20, kArgumentNumeric},
        {29, "CallLabel", "str1", 21, kArgumentString},     {29, "CallLabel", "str10", 30, kArgumentString},
        {61, "Return", "int1", 0, kArgumentNumeric},        {61, "Return", "int10", 9, kArgumentNumeric},
        {61, "Return", "float1", 10, kArgumentNumeric},     {61, "Return", "float10", 19, kArgumentNumeric},
        {61, "Return", "str1", 20, kArgumentString},        {61, "Return", "str10", 29, kArgumentString},
        {30, "BlockBegin", "condition", 0, kArgumentNumeric}, {30, "BlockBegin", "elseTarget", 1, kArgumentNumeric},
        {30, "BlockBegin", "endTarget", 2, kArgumentNumeric}, {11, "BlockElseIf", "condition", 0, kArgumentNumeric},
        {11, "BlockElseIf", "elseTarget", 1, kArgumentNumeric}, {41, "LoopBegin", "count", 0, kArgumentNumeric},
        {41, "LoopBegin", "endTarget", 1, kArgumentNumeric}, {39, "Assign", "target", 0, kArgumentNumeric},
        {39, "Assign", "value", 1, kArgumentNumeric},       {20, "DeclareVariable", "target", 0, kArgumentNumeric},
        {20, "DeclareVariable", "initial", 1, kArgumentNumeric}, {36, "DeclareVariable2", "target", 0, kArgumentNumeric},
        {36, "DeclareVariable2", "initial", 1, kArgumentNumeric},
        {74, "DeclareStringVariable", "target", 0, kArgumentNumeric},
        {74, "DeclareStringVariable", "initial", 1, kArgumentString},
        {86, "Wait", "frames", 0, kArgumentNumeric},        {86, "Wait", "ms", 1, kArgumentNumeric},
        {90, "MessageText", "text", 0, kArgumentRaw},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(std::string(e.command) + " " + e.argument);
        const CatalogueCommand* cmd = c.findCommand(e.command);
        ASSERT_NE(cmd, nullptr);
        EXPECT_EQ(cmd->slot, e.slot);
        ASSERT_EQ(c.argumentId(e.command, e.argument), e.id);
        EXPECT_EQ(cmd->args[size_t(e.id)].kind, e.kind);
    }
    // Scripts write names in any case; placeholders are not arguments.
    EXPECT_EQ(c.argumentId("calllabel", "FLOAT3"), 13);
    EXPECT_EQ(c.argumentId("ObjectSet", "unused8"), -1);
    EXPECT_EQ(c.argumentId("ObjectSet", "nothing"), -1);
    EXPECT_EQ(c.argumentId("NoSuchCommand", "path"), -1);
}

TEST(CatalogueEmbedded, ArgumentsKeepTheKindsTheirHandlersRead) {
    Catalogue c = embedded();
    // Paths, file names and texts the handlers take as text; targets that
    // name a variable are evaluated as numbers only to record the variable.
    struct Expected {
        int slot, id;
        uint8_t kind;
    };
    const Expected expected[] = {
        {1, 0, kArgumentString},  {1, 29, kArgumentString}, {1, 30, kArgumentString}, {1, 31, kArgumentString},
        {1, 34, kArgumentString}, {1, 36, kArgumentNumeric}, {2, 0, kArgumentString}, {2, 5, kArgumentString},
        {3, 0, kArgumentString},  {4, 19, kArgumentNumeric}, {7, 0, kArgumentString}, {10, 9, kArgumentString},
        {10, 11, kArgumentNumeric}, {15, 8, kArgumentString}, {15, 10, kArgumentString}, {16, 3, kArgumentString},
        {38, 0, kArgumentString}, {40, 0, kArgumentString}, {47, 1, kArgumentString}, {60, 1, kArgumentString},
        {68, 3, kArgumentString}, {71, 2, kArgumentString}, {73, 22, kArgumentNumeric}, {76, 34, kArgumentString},
        {76, 35, kArgumentString}, {79, 0, kArgumentString}, {84, 17, kArgumentString}, {87, 1, kArgumentString},
        {91, 1, kArgumentString}, {93, 4, kArgumentNumeric},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE("slot " + std::to_string(e.slot) + " id " + std::to_string(e.id));
        const CatalogueCommand& cmd = c.commands[size_t(e.slot)];
        ASSERT_LT(size_t(e.id), cmd.args.size());
        EXPECT_FALSE(isPlaceholder(cmd.args[size_t(e.id)]));
        EXPECT_EQ(cmd.args[size_t(e.id)].kind, e.kind);
    }
    // Slot 13 sets a check switch from every id from 2 to 95.
    const CatalogueCommand& checks = c.commands[13];
    ASSERT_EQ(checks.args.size(), size_t(kArgumentIdLimit));
    for (size_t id = 2; id < checks.args.size(); ++id) EXPECT_FALSE(isPlaceholder(checks.args[id])) << id;
    // Range kinds where the contract is an exact range.
    EXPECT_EQ(c.commands[1].args[2].range, 11);   // opacity 0..256
    EXPECT_EQ(c.commands[21].args[4].range, 23);  // colour 0xRRGGBB
    EXPECT_EQ(c.commands[21].args[5].range, 22);  // colour or -1
    EXPECT_EQ(c.commands[68].args[1].range, 15);  // save record 1..1024
}

TEST(CatalogueEmbedded, EveryReportedCodeHasAText) {
    // The codes the engine reports, as its error reporting lists them.
    const uint32_t codes[] = {
        100000, 100010, 100030, 100070, 100080, 100090, 100091, 100092, 100200, 100210, 100215, 100220, 100230,
        100240, 100242, 100243, 100244, 100260, 100310, 101000, 101010, 101020, 101030, 101100, 101110, 101140,
        101150, 101210, 101220, 101230, 101240, 101250, 101280, 101291, 101292, 101293, 101295, 101298, 101300,
        101310, 101320, 101330, 101400, 101420, 101450, 101510, 101520, 101600, 102000, 102030, 102040, 102100,
        102110, 102120, 102140, 102150, 102160, 102170, 104010, 104030, 104060, 104100, 104110, 104111, 104120,
        104130, 104140, 104150, 105000, 105200, 105210, 105220, 106010, 107010, 108010, 108030, 108040, 108050,
        108070, 108080, 108090, 108100, 108110, 108120, 108180, 108200, 108210, 108220, 110010, 110200, 120010,
        120020, 120110, 120120, 160010, 900000, 900010, 900020, 900030, 900040, 900050, 900070, 901000, 901020,
        901030, 901040,
    };
    Catalogue c = embedded();
    for (uint32_t code : codes) {
        const std::string* text = c.errorText(code);
        ASSERT_NE(text, nullptr) << code;
        EXPECT_FALSE(text->empty()) << code;
    }
}

TEST(CatalogueEmbedded, TextsCarryThePlaceholdersTheirReportsFill) {
    Catalogue c = embedded();
    using List = std::vector<std::string>;
    const std::pair<uint32_t, List> expected[] = {
        {101000, {"s", "s", "lld", "d", "d"}},  // command, argument, value, minimum, maximum
        {101010, {"s", "s", "lld", "d"}},       // ... and the minimum
        {101020, {"s", "s", "lld"}},
        {101210, {"s", "s", "lld", "d"}},
        {101220, {"s", "s", "lld"}},
        {101600, {"s", "d"}},                   // the opening command and 64
        {101300, {"s", "s"}},
        {104100, {"s", "s"}},                   // pack and member
        {102140, {"s", "d", "s"}},              // file, errno and its text
        {105200, {"d", "d"}},
        {108180, {"s"}},
        {900050, {}},
        {101140, {}},
    };
    for (const auto& [code, list] : expected) {
        ASSERT_NE(c.errorText(code), nullptr) << code;
        EXPECT_EQ(conversions(*c.errorText(code)), list) << code;
    }
    // Filled as the range check fills it, every value lands in the text.
    vr::ReportArg args[] = {vr::makeReportArg("ObjectSet"), vr::makeReportArg("opacity"),
                            vr::makeReportArg(int64_t(300000000000)), vr::makeReportArg(0), vr::makeReportArg(256)};
    std::string shown = utf8(vr::formatReport(*c.errorText(101000), args, 5, vr::kErrorTextLimit));
    EXPECT_NE(shown.find("[ObjectSet]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[opacity]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("300000000000"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" 256 "), std::string::npos) << shown;
}

TEST(CatalogueEmbedded, BuiltInCodesRepeatTheEngineTexts) {
    Catalogue c = embedded();
    for (const vr::ErrorMessage& m : c.errors) {
        const char* builtIn = vr::builtInErrorText(m.code);
        if (!builtIn || m.code == vr::kLibraryNoticesCode) continue;
        EXPECT_EQ(m.text, builtIn) << utf8(m.text) << " for " << m.code;
    }
}

// ------------------------------------------------------------ the engine files

TEST(CatalogueFiles, EngineReadsBackWhatTheCatalogueSays) {
    vr::test::HeadlessEngine h;
    Catalogue c = embedded();
    std::vector<uint8_t> commands = commandFile(c);
    ASSERT_FALSE(commands.empty());
    ASSERT_EQ(vr::parseCommandDefinitions(commands.data(), commands.size(), "vrbin\\vrc.vbn"), 0);
    const vr::EngineFiles& files = h.e.core.files;
    ASSERT_EQ(files.commands.size(), c.commands.size());
    for (size_t slot = 0; slot < c.commands.size(); ++slot) {
        const vr::CommandDefinition& d = files.commands[slot];
        const CatalogueCommand& cmd = c.commands[slot];
        SCOPED_TRACE("slot " + std::to_string(slot));
        EXPECT_EQ(d.name, cmd.name);
        ASSERT_EQ(d.argumentNames.size(), cmd.args.size());
        for (size_t id = 0; id < cmd.args.size(); ++id) {
            EXPECT_EQ(d.argumentNames[id], cmd.args[id].name);
            EXPECT_EQ(d.argumentKinds[id], cmd.args[id].kind);
            EXPECT_EQ(d.rangeKinds[id], cmd.args[id].range);
        }
    }
    EXPECT_EQ(files.errnoTexts, c.errnoTexts);
    EXPECT_EQ(utf8(files.errnoTexts[2]), u8s(u8"ファイルまたはフォルダが存在しません。"));
    EXPECT_EQ(files.commandByteTable, (std::array<uint8_t, vr::kCommandByteTableSize>{}));

    std::vector<uint8_t> errors = errorFile(c);
    ASSERT_EQ(vr::parseErrorMessages(errors.data(), errors.size(), "vrbin\\vre.vbn"), 0);
    ASSERT_EQ(h.e.core.errors.messages.size(), c.errors.size());
    for (size_t i = 0; i < c.errors.size(); ++i) {
        EXPECT_EQ(h.e.core.errors.messages[i].code, c.errors[i].code);
        EXPECT_EQ(h.e.core.errors.messages[i].text, c.errors[i].text);
    }
    EXPECT_EQ(vr::errorText(108180), *c.errorText(108180));
}

// ------------------------------------------------------------ reading

// A catalogue of 100 commands without arguments, with `extra` lines after
// the command of slot `at`.
std::string commandsWith(int at, const std::string& extra, int skip = -1) {
    std::string text;
    for (int slot = 0; slot < kCommandSlotCount; ++slot) {
        if (slot == skip) continue;
        text += std::to_string(slot) + " Command" + std::to_string(slot) + "\n";
        if (slot == at) text += extra;
    }
    return text;
}

TEST(CatalogueReader, ReadsTheWrittenForms) {
    std::string text = "\xEF\xBB\xBF# heading\r\n" +
                       commandsWith(3, "  # a note\n  0 path string  # trailing note\n  1-2 unused\n"
                                       "  3 level numeric 11\n  4 text raw\n  5 plain numeric\n");
    std::vector<CatalogueCommand> out;
    std::string error;
    ASSERT_TRUE(readCommands(text, "commands.txt", out, error)) << error;
    const CatalogueCommand& c = out[3];
    ASSERT_EQ(c.args.size(), 6u);
    EXPECT_EQ(c.args[0].name, "path");
    EXPECT_EQ(c.args[0].kind, kArgumentString);
    EXPECT_EQ(c.args[2].name, "unused2");
    EXPECT_TRUE(isPlaceholder(c.args[1]));
    EXPECT_EQ(c.args[3].range, 11);
    EXPECT_EQ(c.args[4].kind, kArgumentRaw);
    EXPECT_EQ(c.args[5].range, 0);

    std::vector<vr::ErrorMessage> messages;
    ASSERT_TRUE(readErrors("# note\n\n100010 a\\nb\\tc\\\\d 100%% [%s]\r\n", "errors.txt", messages, error)) << error;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 100010u);
    EXPECT_EQ(messages[0].text, "a\nb\tc\\d 100%% [%s]");
}

struct Broken {
    std::string text;
    std::string expected;  // the start of the message: file, line, what
};

void expectRefused(bool (*read)(std::string_view, std::string_view, std::vector<CatalogueCommand>&, std::string&),
                   const Broken& b) {
    std::vector<CatalogueCommand> out;
    std::string error;
    EXPECT_FALSE(read(b.text, "commands.txt", out, error)) << b.expected;
    EXPECT_EQ(error.substr(0, b.expected.size()), b.expected);
    EXPECT_TRUE(out.empty());
}

TEST(CatalogueReader, RefusesBrokenCommandLinesNamingTheLine) {
    const Broken cases[] = {
        {commandsWith(-1, "", 5), "commands.txt:6: slot 5 is missing before slot 6"},
        {commandsWith(99, "99 Again\n"), "commands.txt:101: slot 99 appears twice"},
        {commandsWith(99, "100 Beyond\n"), "commands.txt:101: slot \"100\" is not a number"},
        {commandsWith(-1, "", 99), "commands.txt:99: slot 99 is missing"},
        {commandsWith(0, "  0 a numeric\n  2 b numeric\n"), "commands.txt:3: argument id 2 of Command0: expected id 1"},
        {commandsWith(0, "  1 a numeric\n"), "commands.txt:2: argument id 1 of Command0: expected id 0"},
        {commandsWith(0, "  0 a numeric\n  0 b numeric\n"), "commands.txt:3: argument id 0 of Command0: expected id 1"},
        {commandsWith(0, "  0-95 unused\n  96 late numeric\n"), "commands.txt:3: argument id 96 is beyond"},
        {commandsWith(0, "  0-96 unused\n"), "commands.txt:2: argument id 96 is beyond"},
        {commandsWith(0, "  0 fileName string\n  1 filename numeric\n"),
         "commands.txt:3: argument name filename is also id 0"},
        {commandsWith(0, "  0 path number\n"), "commands.txt:2: unknown argument kind \"number\""},
        {commandsWith(0, "  0 level numeric 27\n"), "commands.txt:2: range kind \"27\" is not a number from 0 to 26"},
        {commandsWith(0, "  0 path string 3\n"), "commands.txt:2: a range kind applies to numeric arguments only"},
        {commandsWith(0, "  0 unusedLevel numeric\n"), "commands.txt:2: argument name unusedLevel: names starting"},
        {commandsWith(0, "  0 Level numeric\n"), "commands.txt:2: argument name \"Level\" is not a lowerCamelCase"},
        {commandsWith(0, "  0 path\n"), "commands.txt:2: an argument line is"},
        {commandsWith(0, "  3-1 unused\n"), "commands.txt:2: placeholder ids \"3-1\""},
        {"  0 path string\n" + commandsWith(-1, ""), "commands.txt:1: an argument line before the first command"},
    };
    for (const Broken& b : cases) {
        SCOPED_TRACE(b.expected);
        expectRefused(&readCommands, b);
    }
    std::string reserved = commandsWith(24, "  0 path string\n");
    reserved.replace(reserved.find("24 Command24"), 12, "24 reserved");
    expectRefused(&readCommands, {reserved, "commands.txt:26: reserved slot 24 takes no arguments"});
    std::string twice = commandsWith(-1, "");
    twice.replace(twice.find("7 Command7"), 10, "7 command3");
    expectRefused(&readCommands, {twice, "commands.txt:8: command name command3 is also the name of slot 3"});
}

TEST(CatalogueReader, RefusesBrokenTextsNamingTheLine) {
    auto refusedErrors = [](const std::string& text, const std::string& expected) {
        std::vector<vr::ErrorMessage> out;
        std::string error;
        EXPECT_FALSE(readErrors(text, "errors.txt", out, error)) << expected;
        EXPECT_EQ(error.substr(0, expected.size()), expected);
    };
    refusedErrors("100010 ok\n10001 short\n", "errors.txt:2: \"10001\" is not a six-digit error code");
    refusedErrors("# c\n100010\n", "errors.txt:2: code 100010 has no text");
    refusedErrors("100010 a\n100010 b\n", "errors.txt:2: code 100010 appears twice (first on line 1)");
    refusedErrors("100010 a\\x\n", "errors.txt:1: code 100010: unknown escape \\x");
    refusedErrors("100010 a\\\n", "errors.txt:1: code 100010: the text ends in a lone backslash");
    refusedErrors("100010 100% [%s]\n", "errors.txt:1: code 100010: unknown conversion \"% [\"");
    refusedErrors("100010 [%s] %\n", "errors.txt:1: code 100010: unknown conversion");
    refusedErrors("100010 a\x01z\n", "errors.txt:1: code 100010: a control character");
    refusedErrors("100010 \xF0\x9F\x98\x80\n", "errors.txt:1: code 100010: the text does not convert to Shift_JIS");
    std::string many;
    for (int i = 0; i <= int(kErrorMessageLimit); ++i) many += std::to_string(200000 + i) + " t\n";
    refusedErrors(many, "errors.txt:257: more than 256 messages");
    many.erase(many.rfind("200256"));
    std::vector<vr::ErrorMessage> full;
    std::string error;
    EXPECT_TRUE(readErrors(many, "errors.txt", full, error)) << error;

    auto refusedErrno = [](const std::string& text, const std::string& expected) {
        std::vector<std::string> out;
        std::string message;
        EXPECT_FALSE(readErrnoTexts(text, "errno.txt", out, message)) << expected;
        EXPECT_EQ(message.substr(0, expected.size()), expected);
    };
    std::string all;
    for (int n = 0; n < kErrnoCount; ++n) all += std::to_string(n) + " text " + std::to_string(n) + "\n";
    std::vector<std::string> texts;
    ASSERT_TRUE(readErrnoTexts(all, "errno.txt", texts, error)) << error;
    EXPECT_EQ(texts[36], "text 36");
    refusedErrno(all + "37 more\n", "errno.txt:38: errno 37 is beyond the last one, 36");
    refusedErrno(all.substr(0, all.find("36 ")), "errno.txt:36: errno 36 has no text");
    refusedErrno("0 a\n2 c\n", "errno.txt:2: errno 2: expected errno 1");
    refusedErrno("0 \xF0\x9F\x98\x80\n", "errno.txt:1: errno 0: the text does not convert");
}

TEST(CatalogueReader, LoadNamesTheFileAndKeepsTheOldCatalogue) {
    Catalogue c = embedded();
    std::string error;
    EXPECT_FALSE(loadCatalogue(embeddedCommands(), "100010 a\\q\n", embeddedErrno(), c, error));
    EXPECT_EQ(error.substr(0, 13), "errors.txt:1:");
    EXPECT_FALSE(loadCatalogue(embeddedCommands(), embeddedErrors(), "0 only\n", c, error));
    EXPECT_EQ(error.substr(0, 12), "errno.txt:1:");
    EXPECT_FALSE(loadCatalogue("0 A\n", embeddedErrors(), embeddedErrno(), c, error));
    EXPECT_EQ(error.substr(0, 15), "commands.txt:1:");
    EXPECT_EQ(c.commands.size(), size_t(kCommandSlotCount));
    EXPECT_NE(c.findCommand("ObjectSet"), nullptr);
}

}  // namespace
}  // namespace vrc
