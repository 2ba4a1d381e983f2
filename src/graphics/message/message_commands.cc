#include "graphics/message/message_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "common/command_ids.h"
#include "common/sjis.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/message/input_wait.h"
#include "graphics/message/message_buffer.h"
#include "graphics/object_tree.h"
#include "script/arguments.h"
#include "script/expression_machine.h"
#include "script/script_state.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace window_set = arg::message_window_set;
namespace window_query = arg::message_window_query;

// A printed value longer than this is refused.
constexpr size_t kPrintLimit = 1024;

MessageTextState& message() { return graphics().text.message; }

int32_t saturated32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The text of a printed value by its evaluation type; false after the
// evaluation reported.
bool printedText(const ArgumentValue& a, char (&buffer)[kStringCapacity], size_t& length) {
    length = 0;
    if (!a.raw) return true;
    int n = 0;
    switch (a.evalType) {
    case 1:
        n = std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(evaluateNumeric(1, a.raw, a.length)));
        break;
    case 2: n = std::snprintf(buffer, sizeof buffer, "%f", evaluateFloating(2, a.raw, a.length)); break;
    case 3: n = int(evaluateString(3, buffer, a.raw, a.length)); break;
    default: return true;
    }
    if (evaluationFailed()) return false;
    length = size_t(std::clamp(n, 0, int(sizeof buffer) - 1));
    return true;
}

// Argument 0 of the settings command: the text layer, looked up from the
// root of the object tree.  The old target loses its mark whether or not
// the new one is found.
int setMessageTarget(std::string_view path) {
    if (ObjectNode* old = graphics().text.message.target; old && old->layer) old->layer->targetFlag = false;
    ObjectNode* at = findPictureObject(path, "");
    if (!at) return -1;
    message().target = at;
    at->layer->targetFlag = true;
    return 0;
}

int64_t keyOrNone(int64_t key) { return key == 0 ? kNoMessageKey : key; }

// Arguments wait to clearPage2: a click wait, line feeds and page clears put into the
// message where the script stands.  -1 when the thread must stop.
int appendWindowControls() {
    MessageTextState& m = message();
    if (hasArgument(window_set::kWait) && argumentInteger(window_set::kWait) == 1) {
        if (appendControlEntry('C', true) < 0) return -1;
        if (m.messageMode != 0) return -1;
    }
    constexpr std::pair<int, char> kControls[] = {
        {window_set::kLineFeed, 'R'}, {window_set::kClearPage, 'P'}, {window_set::kLineFeed2, 'r'}, {window_set::kClearPage2, 'p'}};
    for (auto [id, kind] : kControls)
        if (hasArgument(id) && argumentInteger(id) == 1 && appendControlEntry(kind, true) < 0) return -1;
    return 0;
}

}  // namespace

int MessageText() {
    if (evaluateArguments(cmd::kMessageText) < 0) return -1;
    const EvaluatedArguments& args = scriptState().arguments;
    if (args.count < 1) return 0;
    const ArgumentValue& a = args.byPosition[1];
    if (!a.raw) return 0;
    return appendMessageCharacters(std::string_view(reinterpret_cast<const char*>(a.raw), a.length), false);
}

int PrintValue() {
    if (evaluateArguments(cmd::kPrintValue) < 0) return -1;
    const ArgumentValue* a = argument(arg::print_value::kValue);
    char buffer[kStringCapacity];
    size_t length = 0;
    if (a && !printedText(*a, buffer, length)) return -1;
    if (int64_t(message().textLength) + int64_t(length) >= kMessageTextLimit) {
        reportScriptError(102000, true);
        return -1;
    }
    if (length > kPrintLimit) {
        reportScriptError(102030, true);
        return -1;
    }
    return appendMessageCharacters(std::string_view(buffer, length), true);
}

int MessageEnd() {
    if (evaluateArguments(cmd::kMessageEnd) < 0) return -1;
    ScriptState& s = scriptState();
    ScriptThread& t = *s.currentThread;
    t.messageEndMark.fill(0);
    if (t.image && s.currentInstruction < t.image->argumentCounts.size() &&
        t.image->argumentCounts[s.currentInstruction] > 0)
        std::memcpy(t.messageEndMark.data(), t.image->argumentLists[s.currentInstruction], t.messageEndMark.size());
    MessageTextState& m = message();
    if (m.messageMode != 0) {
        // The end codes go in together or not at all.
        if (!roomForEntries(1 + (m.endWait != 0) + (m.endLineFeed != 0) + (m.endClearPage != 0))) return -1;
        if (m.endWait) appendControlEntry('C', false);
        if (m.endLineFeed) appendControlEntry('R', true);
        if (m.endClearPage) appendControlEntry('P', false);
    } else {
        m.finished = 1;
    }
    if (appendControlEntry('E', false) < 0) return -1;
    t.inputWait = true;
    return -1;
}

int MessageWindowSet() {
    if (evaluateArguments(cmd::kMessageWindowSet) < 0) return -1;
    Graphics& g = graphics();
    MessageTextState& m = g.text.message;
    MessageWindowState& w = g.messageWindow;
    if (hasArgument(window_set::kPath) && setMessageTarget(argumentText(window_set::kPath)) < 0) return -1;
    if (hasArgument(window_set::kMode)) m.messageMode = int8_t(argumentInteger(window_set::kMode));
    for (int k = 0; k < kMessageKeys; ++k) {
        if (hasArgument(window_set::kClick1 + k)) w.clickKeys[size_t(k)] = keyOrNone(argumentInteger(window_set::kClick1 + k));
        if (hasArgument(window_set::kSkip1 + k)) w.skipKeys[size_t(k)] = keyOrNone(argumentInteger(window_set::kSkip1 + k));
    }
    if (hasArgument(window_set::kDelay)) m.delay = saturated32(argumentInteger(window_set::kDelay));
    if (appendWindowControls() < 0) return -1;
    if (hasArgument(window_set::kReset) && argumentInteger(window_set::kReset) == 1) {
        m.finished = 1;
        resetMessage();
    }
    if (hasArgument(window_set::kEndLineFeed)) m.endLineFeed = saturated32(argumentInteger(window_set::kEndLineFeed));
    if (hasArgument(window_set::kEndClearPage)) m.endClearPage = saturated32(argumentInteger(window_set::kEndClearPage));
    if (hasArgument(window_set::kEndWait)) m.endWait = saturated32(argumentInteger(window_set::kEndWait));
    return 0;
}

int MessageWindowQuery() {
    if (evaluateArguments(cmd::kMessageWindowQuery) < 0) return -1;
    const MessageTextState& m = message();
    const ArgumentValue* result = argument(window_query::kResult);
    if (!result) return 0;
    const std::pair<uint8_t, int64_t> values[] = {
        {window_query::kMode, m.messageMode},          {window_query::kCursorX, m.cursorX},
        {window_query::kCursorY, m.cursorY},           {window_query::kWaiting, m.waiting},
        {window_query::kEndLineFeed, m.endLineFeed},   {window_query::kEndClearPage, m.endClearPage},
        {window_query::kEndWait, m.endWait}};
    for (auto [id, value] : values)
        if (hasArgument(id)) return setNumber(result->variable, result->element, value) < 0 ? -1 : 0;
    return 0;
}

void installMessageCommands(CommandTable& table) {
    table.slots[cmd::kFontSet] = &FontSet;
    table.slots[cmd::kFontQuery] = &FontQuery;
    table.slots[cmd::kMessageEnd] = &MessageEnd;
    table.slots[cmd::kMessageWindowSet] = &MessageWindowSet;
    table.slots[cmd::kMessageWindowQuery] = &MessageWindowQuery;
    table.slots[cmd::kPrintValue] = &PrintValue;
    table.slots[cmd::kMessageText] = &MessageText;
}

}  // namespace vr
