#include "commands/dialog_commands.h"

#include "common/command_ids.h"
#include "common/sjis.h"
#include "common/text_buffer.h"
#include "core/core.h"
#include "script/arguments.h"
#include "script/variables.h"
#include "shell/modal_box.h"

namespace vr {

namespace {

namespace box = arg::show_message_box;

platform::Buttons buttonsAsked() {
    if (hasArgument(box::kYesNoCancel)) return platform::Buttons::YesNoCancel;
    if (hasArgument(box::kYesNo)) return platform::Buttons::YesNo;
    if (hasArgument(box::kOkCancel)) return platform::Buttons::OkCancel;
    return platform::Buttons::Ok;
}

platform::Icon iconAsked() {
    switch (argumentInteger(box::kIcon)) {
    case 1: return platform::Icon::Information;
    case 2: return platform::Icon::Question;
    case 3: return platform::Icon::Warning;
    case 4: return platform::Icon::Error;
    default: return platform::Icon::None;
    }
}

// The number a script sees for the button chosen; 0 for none.
int64_t answerValue(int answer, platform::Buttons buttons) {
    switch (answer) {
    case platform::kIdOk:
    case platform::kIdYes: return 1;
    case platform::kIdNo: return 2;
    case platform::kIdCancel: return buttons == platform::Buttons::YesNoCancel ? 3 : 2;
    default: return 0;
    }
}

void storeNumber(int id, int64_t value) {
    if (const ArgumentValue* target = argument(id)) setNumber(target->variable, target->element, value);
}

int inputDialog() {
    Core& c = core();
    platform::InputDialogSpec desc;
    desc.title = argumentText(box::kTitle);
    desc.prompt = argumentText(box::kText);
    desc.text = argumentText(box::kInitialText);
    int64_t limit = argumentInteger(box::kMaxLength);
    desc.maxCharacters = limit > 0 ? int(std::min<int64_t>(limit, 1 << 20)) : 0;
    desc.owner = c.windows[0].handle;
    std::string typed;
    bool shown = false;
    {
        ModalBox modal;
        shown = c.platform.inputDialog(desc, typed);
    }
    if (!shown) return -1;
    storeNumber(box::kResult, 1);
    if (const ArgumentValue* target = argument(box::kInputText))
        setString(target->variable, target->element, cutTextView(typed, kInputTextLimit));
    return 0;
}

}  // namespace

int ShowMessageBox() {
    if (evaluateArguments(cmd::kShowMessageBox) < 0) return -1;
    if (hasArgument(box::kInput)) return inputDialog();
    Core& c = core();
    platform::MessageBoxSpec desc;
    desc.caption = argumentText(box::kTitle);
    desc.text = argumentText(box::kText);
    desc.buttons = buttonsAsked();
    desc.icon = iconAsked();
    desc.defaultButton = int(argumentInteger(box::kDefaultButton, 1)) - 1;
    desc.systemModal = false;
    desc.owner = c.windows[0].handle;
    int answer = 0;
    {
        ModalBox modal;
        answer = c.platform.messageBox(desc);
    }
    int64_t value = answerValue(answer, desc.buttons);
    if (value != 0) storeNumber(box::kResult, value);
    return 0;
}

int SetClipboardText() {
    if (evaluateArguments(cmd::kSetClipboardText) < 0) return -1;
    namespace set = arg::set_clipboard_text;
    if (hasArgument(set::kSet)) core().platform.setClipboardText(argumentText(set::kText));
    return 0;
}

int GetClipboardText() {
    if (evaluateArguments(cmd::kGetClipboardText) < 0) return -1;
    namespace get = arg::get_clipboard_text;
    if (!hasArgument(get::kGet)) return 0;
    std::string text;
    if (!core().platform.clipboardText(text)) return -1;
    // Control characters go, double-byte characters stay whole (a trail
    // byte may lie below 32 only in a broken text, and goes with its lead).
    std::string kept;
    for (size_t i = 0; i < text.size() && kept.size() < kClipboardReadLimit;) {
        size_t n = sjis::charLength(text, i);
        if (n == 2) {
            if (kept.size() + 2 > kClipboardReadLimit) break;
            kept.append(text, i, 2);
        } else if (uint8_t(text[i]) >= 32) {
            kept += text[i];
        }
        i += n;
    }
    if (const ArgumentValue* target = argument(get::kResult)) setString(target->variable, target->element, kept);
    return 0;
}

void installDialogCommands(CommandTable& table) {
    table.slots[cmd::kSetClipboardText] = &SetClipboardText;
    table.slots[cmd::kGetClipboardText] = &GetClipboardText;
    table.slots[cmd::kShowMessageBox] = &ShowMessageBox;
}

}  // namespace vr
