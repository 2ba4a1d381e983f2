#include "catalogue.h"

#include <algorithm>
#include <array>
#include <map>

#include "core/engine_files.h"
#include "core/engine_files_writer.h"
#include "platform/platform.h"

namespace vrc {

namespace {

constexpr std::string_view kPlaceholderPrefix = "unused";

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i])) ++i;
        size_t start = i;
        while (i < s.size() && !isSpace(s[i])) ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

// A decimal number of at most `digits` digits, no sign.
bool parseNumber(std::string_view s, size_t digits, int& out) {
    if (s.empty() || s.size() > digits || !std::all_of(s.begin(), s.end(), isDigit)) return false;
    out = 0;
    for (char c : s) out = out * 10 + (c - '0');
    return true;
}

// Walks a data file line by line and words its messages "file:line: ...".
class Lines {
public:
    Lines(std::string_view text, std::string_view file) : text_(text), file_(file) {
        // Editors on some hosts start UTF-8 files with a byte-order mark.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
    }

    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++number_;
        return true;
    }

    int number() const { return number_; }

    bool fail(std::string& error, const std::string& what) const { return failAt(error, number_, what); }
    bool failAt(std::string& error, int line, const std::string& what) const {
        error = std::string(file_) + ":" + std::to_string(line) + ": " + what;
        return false;
    }

private:
    std::string_view text_;
    std::string_view file_;
    size_t pos_ = 0;
    int number_ = 0;
};

// ------------------------------------------------------------ commands

bool commandNameValid(std::string_view s) {
    if (s.empty() || s.size() > 64 || !isLetter(s[0])) return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return isLetter(c) || isDigit(c); });
}

bool argumentNameValid(std::string_view s) {
    if (s.empty() || s.size() > 64 || !(s[0] >= 'a' && s[0] <= 'z')) return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return isLetter(c) || isDigit(c); });
}

bool kindByName(std::string_view s, uint8_t& kind) {
    static constexpr std::array<std::string_view, 3> kNames = {"numeric", "string", "raw"};
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (s == kNames[i]) {
            kind = uint8_t(i);
            return true;
        }
    }
    return false;
}

class CommandReader {
public:
    CommandReader(std::string_view text, std::string_view file) : lines_(text, file) {}

    bool run(std::vector<CatalogueCommand>& out, std::string& error) {
        std::string_view line;
        while (lines_.next(line)) {
            // A meaning line is the manual's text, which the compiler does not
            // need; it is skipped whole, since its text may hold '#'.
            size_t first = line.find_first_not_of(" \t");
            if (first != std::string_view::npos && line[first] == ':') continue;
            // Names and numbers never hold '#', so a comment may end any line.
            size_t hash = line.find('#');
            if (hash != std::string_view::npos) line = line.substr(0, hash);
            line = trimRight(line);
            if (line.empty()) continue;
            bool ok = isSpace(line[0]) ? argumentLine(words(line), error) : commandLine(words(line), error);
            if (!ok) return false;
        }
        if (commands_.size() < size_t(kCommandSlotCount))
            return lines_.fail(error, "slot " + std::to_string(commands_.size()) + " is missing");
        out = std::move(commands_);
        return true;
    }

private:
    bool commandLine(const std::vector<std::string_view>& w, std::string& error) {
        if (w.size() != 2) return lines_.fail(error, "a command line is a slot number and a name");
        int slot = 0;
        if (!parseNumber(w[0], 3, slot) || slot >= kCommandSlotCount)
            return lines_.fail(error, "slot \"" + std::string(w[0]) + "\" is not a number from 0 to 99");
        if (size_t(slot) < commands_.size()) return lines_.fail(error, "slot " + std::to_string(slot) + " appears twice");
        if (size_t(slot) > commands_.size())
            return lines_.fail(error, "slot " + std::to_string(commands_.size()) + " is missing before slot " +
                                          std::to_string(slot));
        CatalogueCommand c;
        c.slot = slot;
        if (w[1] == "reserved") {
            c.reserved = true;
        } else {
            if (!commandNameValid(w[1]))
                return lines_.fail(error, "command name \"" + std::string(w[1]) +
                                              "\" is not an ASCII identifier (a letter, then letters and digits)");
            auto [it, added] = commandNames_.emplace(lowered(w[1]), slot);
            if (!added)
                return lines_.fail(error, "command name " + std::string(w[1]) + " is also the name of slot " +
                                              std::to_string(it->second));
            c.name = std::string(w[1]);
        }
        commands_.push_back(std::move(c));
        argumentNames_.clear();
        return true;
    }

    bool argumentLine(const std::vector<std::string_view>& w, std::string& error) {
        if (commands_.empty()) return lines_.fail(error, "an argument line before the first command");
        CatalogueCommand& c = commands_.back();
        if (c.reserved) return lines_.fail(error, "reserved slot " + std::to_string(c.slot) + " takes no arguments");
        if (w.size() == 2 && w[1] == "unused") return placeholders(c, w[0], error);

        int id = 0;
        if (!parseNumber(w[0], 3, id)) return lines_.fail(error, "argument id \"" + std::string(w[0]) + "\" is not a number");
        if (!nextId(c, id, error)) return false;
        if (w.size() < 3 || w.size() > 4) return lines_.fail(error, "an argument line is an id, a name, a kind and a range");
        CatalogueArgument a;
        if (!argumentNameValid(w[1]))
            return lines_.fail(error, "argument name \"" + std::string(w[1]) +
                                          "\" is not a lowerCamelCase ASCII identifier");
        if (sameIgnoringCase(w[1].substr(0, kPlaceholderPrefix.size()), kPlaceholderPrefix))
            return lines_.fail(error, "argument name " + std::string(w[1]) + ": names starting with \"unused\" mark placeholders");
        auto [it, added] = argumentNames_.emplace(lowered(w[1]), id);
        if (!added)
            return lines_.fail(error, "argument name " + std::string(w[1]) + " is also id " + std::to_string(it->second) +
                                          " of " + c.name);
        a.name = std::string(w[1]);
        if (!kindByName(w[2], a.kind))
            return lines_.fail(error, "unknown argument kind \"" + std::string(w[2]) + "\" (numeric, string or raw)");
        if (w.size() == 4) {
            if (a.kind != kArgumentNumeric) return lines_.fail(error, "a range kind applies to numeric arguments only");
            int range = 0;
            if (!parseNumber(w[3], 3, range) || range > kLastRangeKind)
                return lines_.fail(error, "range kind \"" + std::string(w[3]) + "\" is not a number from 0 to 26");
            a.range = uint8_t(range);
        }
        c.args.push_back(std::move(a));
        return true;
    }

    // "ID unused" or "FIRST-LAST unused".
    bool placeholders(CatalogueCommand& c, std::string_view ids, std::string& error) {
        size_t dash = ids.find('-');
        std::string_view from = ids.substr(0, dash);
        std::string_view to = dash == std::string_view::npos ? from : ids.substr(dash + 1);
        int first = 0, last = 0;
        if (!parseNumber(from, 3, first) || !parseNumber(to, 3, last) || last < first)
            return lines_.fail(error, "placeholder ids \"" + std::string(ids) + "\" are not a number or a FIRST-LAST run");
        if (!nextId(c, first, error) || !nextId(c, last, error, last - first)) return false;
        for (int id = first; id <= last; ++id)
            c.args.push_back({std::string(kPlaceholderPrefix) + std::to_string(id), kArgumentNumeric, 0});
        return true;
    }

    // Ids follow each other from 0: an argument's id is its position.
    bool nextId(const CatalogueCommand& c, int id, std::string& error, int ahead = 0) {
        if (id >= kArgumentIdLimit)
            return lines_.fail(error, "argument id " + std::to_string(id) + " is beyond the last id, 95");
        int expected = int(c.args.size()) + ahead;
        if (id != expected)
            return lines_.fail(error, "argument id " + std::to_string(id) + " of " + c.name + ": expected id " +
                                          std::to_string(expected) + " (ids run from 0 without gaps)");
        return true;
    }

    Lines lines_;
    std::vector<CatalogueCommand> commands_;
    std::map<std::string, int> commandNames_;
    std::map<std::string, int> argumentNames_;  // of the current command
};

// ------------------------------------------------------------ texts

// \n, \t and \\; anything else after a backslash is a mistake.  Control
// characters must be written as escapes so that the file shows them.
bool unescape(std::string_view in, std::string& out, std::string& problem) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (uint8_t(c) < 0x20 && c != '\t') {
            problem = "a control character in the text (write \\n or \\t)";
            return false;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i + 1 >= in.size()) {
            problem = "the text ends in a lone backslash (write \\\\)";
            return false;
        }
        char e = in[++i];
        if (e == 'n') out.push_back('\n');
        else if (e == 't') out.push_back('\t');
        else if (e == '\\') out.push_back('\\');
        else {
            problem = std::string("unknown escape \\") + e + " (\\n, \\t or \\\\)";
            return false;
        }
    }
    return true;
}

// The conversions a message may hold; a slip such as "%" before a full-width
// character would otherwise reach the engine's formatter as a placeholder.
bool conversionsValid(std::string_view s, std::string& problem) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') continue;
        size_t start = i++;
        if (i < s.size() && s[i] == '%') continue;
        while (i < s.size() && (s[i] == '-' || s[i] == '+' || s[i] == ' ' || s[i] == '#' || s[i] == '0')) ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i < s.size() && s[i] == '.') {
            ++i;
            while (i < s.size() && isDigit(s[i])) ++i;
        }
        if (s.substr(i, 2) == "ll") i += 2;
        else if (i < s.size() && (s[i] == 'l' || s[i] == 'h')) ++i;
        if (i >= s.size() || std::string_view("diuxXcsfeg").find(s[i]) == std::string_view::npos) {
            problem = "unknown conversion \"" + std::string(s.substr(start, i + 1 - start)) + "\" (write %% for a percent sign)";
            return false;
        }
    }
    return true;
}

// The number at the start of a text line and the text after it.
bool splitNumbered(std::string_view line, std::string_view& number, std::string_view& text) {
    size_t i = 0;
    while (i < line.size() && !isSpace(line[i])) ++i;
    number = line.substr(0, i);
    while (i < line.size() && isSpace(line[i])) ++i;
    text = line.substr(i);
    return !text.empty();
}

// The Shift_JIS form of a text as written in a data file; `what` names it in
// messages.  Message texts are formats, so their conversions are checked.
bool convertText(const Lines& lines, std::string_view raw, const std::string& what, bool format, std::string& sjis,
                 std::string& error) {
    std::string text, problem;
    if (!unescape(raw, text, problem) || (format && !conversionsValid(text, problem)))
        return lines.fail(error, what + ": " + problem);
    if (!vr::platform::utf8ToSjisExact(text, sjis))
        return lines.fail(error, what + ": the text does not convert to Shift_JIS");
    return true;
}

}  // namespace

bool isPlaceholder(const CatalogueArgument& argument) {
    return argument.name.size() > kPlaceholderPrefix.size() &&
           std::string_view(argument.name).substr(0, kPlaceholderPrefix.size()) == kPlaceholderPrefix;
}

bool readCommands(std::string_view text, std::string_view fileName, std::vector<CatalogueCommand>& out,
                  std::string& error) {
    return CommandReader(text, fileName).run(out, error);
}

bool readErrors(std::string_view text, std::string_view fileName, std::vector<vr::ErrorMessage>& out,
                std::string& error) {
    Lines lines(text, fileName);
    std::vector<vr::ErrorMessage> messages;
    std::map<uint32_t, int> seen;  // code -> line
    std::string_view line;
    while (lines.next(line)) {
        line = trimRight(line);
        if (line.empty() || line[0] == '#') continue;
        std::string_view number, raw;
        bool hasText = splitNumbered(line, number, raw);
        int code = 0;
        if (!parseNumber(number, 6, code) || number.size() != 6 || code < 100000)
            return lines.fail(error, "\"" + std::string(number) + "\" is not a six-digit error code");
        if (!hasText) return lines.fail(error, "code " + std::string(number) + " has no text");
        auto [it, added] = seen.emplace(uint32_t(code), lines.number());
        if (!added)
            return lines.fail(error, "code " + std::string(number) + " appears twice (first on line " +
                                         std::to_string(it->second) + ")");
        if (messages.size() == kErrorMessageLimit)
            return lines.fail(error, "more than 256 messages (the engine holds no more)");
        vr::ErrorMessage m;
        m.code = uint32_t(code);
        if (!convertText(lines, raw, "code " + std::string(number), true, m.text, error)) return false;
        messages.push_back(std::move(m));
    }
    out = std::move(messages);
    return true;
}

bool readErrnoTexts(std::string_view text, std::string_view fileName, std::vector<std::string>& out,
                    std::string& error) {
    Lines lines(text, fileName);
    std::vector<std::string> texts;
    std::string_view line;
    while (lines.next(line)) {
        line = trimRight(line);
        if (line.empty() || line[0] == '#') continue;
        std::string_view number, raw;
        bool hasText = splitNumbered(line, number, raw);
        int n = 0;
        if (!parseNumber(number, 3, n)) return lines.fail(error, "\"" + std::string(number) + "\" is not an errno number");
        if (n >= kErrnoCount) return lines.fail(error, "errno " + std::to_string(n) + " is beyond the last one, 36");
        if (size_t(n) != texts.size())
            return lines.fail(error, "errno " + std::to_string(n) + ": expected errno " + std::to_string(texts.size()) +
                                         " (all of 0 to 36, in order)");
        if (!hasText) return lines.fail(error, "errno " + std::to_string(n) + " has no text");
        std::string sjis;
        if (!convertText(lines, raw, "errno " + std::to_string(n), false, sjis, error)) return false;
        texts.push_back(std::move(sjis));
    }
    if (texts.size() < size_t(kErrnoCount))
        return lines.fail(error, "errno " + std::to_string(texts.size()) + " has no text");
    out = std::move(texts);
    return true;
}

bool loadCatalogue(std::string_view commandsText, std::string_view errorsText, std::string_view errnoText,
                   Catalogue& out, std::string& error) {
    Catalogue c;
    if (!readCommands(commandsText, "commands.txt", c.commands, error)) return false;
    if (!readErrors(errorsText, "errors.txt", c.errors, error)) return false;
    if (!readErrnoTexts(errnoText, "errno.txt", c.errnoTexts, error)) return false;
    out = std::move(c);
    return true;
}

const CatalogueCommand* Catalogue::findCommand(std::string_view name) const {
    for (const CatalogueCommand& c : commands)
        if (!c.reserved && sameIgnoringCase(c.name, name)) return &c;
    return nullptr;
}

int Catalogue::argumentId(const CatalogueCommand& command, std::string_view argument) const {
    for (size_t id = 0; id < command.args.size(); ++id) {
        const CatalogueArgument& a = command.args[id];
        if (!isPlaceholder(a) && sameIgnoringCase(a.name, argument)) return int(id);
    }
    return -1;
}

int Catalogue::argumentId(std::string_view command, std::string_view argument) const {
    const CatalogueCommand* c = findCommand(command);
    return c ? argumentId(*c, argument) : -1;
}

const std::string* Catalogue::errorText(uint32_t code) const {
    for (const vr::ErrorMessage& m : errors)
        if (m.code == code) return &m.text;
    return nullptr;
}

std::vector<uint8_t> commandFile(const Catalogue& catalogue) {
    std::vector<vr::CommandDefinition> definitions;
    definitions.reserve(catalogue.commands.size());
    for (const CatalogueCommand& c : catalogue.commands) {
        vr::CommandDefinition d;
        d.name = c.name;
        for (const CatalogueArgument& a : c.args) {
            d.argumentNames.push_back(a.name);
            d.argumentKinds.push_back(a.kind);
            d.rangeKinds.push_back(a.range);
        }
        definitions.push_back(std::move(d));
    }
    return vr::writeCommandDefinitions(definitions, catalogue.errnoTexts, {});
}

std::vector<uint8_t> errorFile(const Catalogue& catalogue) { return vr::writeErrorMessages(catalogue.errors); }

}  // namespace vrc
