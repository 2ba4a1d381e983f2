// The compiler's catalogue: the engine's 100 command slots with their
// argument lists, the error messages and the errno texts, read from the
// data files in tools/vrc/data (built into vrc, see embeddedCommands()) and
// written out as vrbin\vrc.vbn and vrbin\vre.vbn.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_ids.h"
#include "core/error_report.h"

namespace vrc {

// Argument kinds as the engine's argument evaluator knows them.
constexpr uint8_t kArgumentNumeric = 0, kArgumentString = 1, kArgumentRaw = 2;
constexpr uint8_t kLastRangeKind = 26;
constexpr int kCommandSlotCount = vr::cmd::kSlotCount;
constexpr int kArgumentIdLimit = 96;  // ids 0 to 95
constexpr int kErrnoCount = 37;       // errno 0 to 36
constexpr size_t kErrorMessageLimit = 256;

struct CatalogueArgument {
    std::string name;  // ASCII; "unused<id>" for a placeholder
    uint8_t kind = kArgumentNumeric;
    uint8_t range = 0;  // 0 none, 1..26 the engine's range rules
};

struct CatalogueCommand {
    int slot = 0;
    std::string name;  // ASCII; empty for a reserved slot
    bool reserved = false;
    std::vector<CatalogueArgument> args;  // index = argument id
};

// A placeholder keeps the ids after it in place; scripts cannot name it.
bool isPlaceholder(const CatalogueArgument& argument);

struct Catalogue {
    std::vector<CatalogueCommand> commands;      // kCommandSlotCount, index = slot
    std::vector<vr::ErrorMessage> errors;        // file order, texts in Shift_JIS
    std::vector<std::string> errnoTexts;         // kErrnoCount, Shift_JIS

    // Names are matched ignoring ASCII case, as scripts write them.  Reserved
    // slots and placeholders are never found.
    const CatalogueCommand* findCommand(std::string_view name) const;
    // The argument id, or -1.
    int argumentId(const CatalogueCommand& command, std::string_view argument) const;
    int argumentId(std::string_view command, std::string_view argument) const;
    // The Shift_JIS text of a code, or null.
    const std::string* errorText(uint32_t code) const;
};

// Each reader takes one file's text and the name to use in messages; on
// failure `error` reads "name:line: what is wrong".
bool readCommands(std::string_view text, std::string_view fileName, std::vector<CatalogueCommand>& out,
                  std::string& error);
bool readErrors(std::string_view text, std::string_view fileName, std::vector<vr::ErrorMessage>& out,
                std::string& error);
bool readErrnoTexts(std::string_view text, std::string_view fileName, std::vector<std::string>& out,
                    std::string& error);

// All three, under the names commands.txt, errors.txt and errno.txt.  `out`
// is changed only when everything loads.
bool loadCatalogue(std::string_view commandsText, std::string_view errorsText, std::string_view errnoText,
                   Catalogue& out, std::string& error);

// vrbin\vrc.vbn and vrbin\vre.vbn.  The 256-byte table at the end of
// vrc.vbn is carried by the engine without being read; it is left zero.
std::vector<uint8_t> commandFile(const Catalogue& catalogue);
std::vector<uint8_t> errorFile(const Catalogue& catalogue);

// The data files as they were when vrc was built (generated source).
std::string_view embeddedCommands();
std::string_view embeddedErrors();
std::string_view embeddedErrno();

}  // namespace vrc
