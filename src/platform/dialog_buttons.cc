#include "platform/dialog_buttons.h"

namespace vr::platform {
namespace {

const char* utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

const DialogButton kOk[] = {{kIdOk, "OK"}};
const DialogButton kOkCancel[] = {{kIdOk, "OK"}, {kIdCancel, utf8(u8"キャンセル")}};
const DialogButton kYesNo[] = {{kIdYes, utf8(u8"はい")}, {kIdNo, utf8(u8"いいえ")}};
const DialogButton kYesNoCancel[] = {
    {kIdYes, utf8(u8"はい")}, {kIdNo, utf8(u8"いいえ")}, {kIdCancel, utf8(u8"キャンセル")}};
const DialogButton kRetryCancel[] = {{kIdRetry, utf8(u8"再試行")}, {kIdCancel, utf8(u8"キャンセル")}};
const DialogButton kAbortRetryIgnore[] = {
    {kIdAbort, utf8(u8"中止")}, {kIdRetry, utf8(u8"再試行")}, {kIdIgnore, utf8(u8"無視")}};

template <size_t N>
ButtonSet makeSet(const DialogButton (&buttons)[N], int escapeIndex) {
    return ButtonSet{buttons, N, escapeIndex};
}

}  // namespace

ButtonSet buttonSet(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok: return makeSet(kOk, 0);
        case Buttons::OkCancel: return makeSet(kOkCancel, 1);
        case Buttons::YesNo: return makeSet(kYesNo, 1);
        case Buttons::YesNoCancel: return makeSet(kYesNoCancel, 2);
        case Buttons::RetryCancel: return makeSet(kRetryCancel, 1);
        case Buttons::AbortRetryIgnore: return makeSet(kAbortRetryIgnore, -1);
    }
    return makeSet(kOk, 0);
}

int defaultResult(const MessageBoxSpec& desc) {
    ButtonSet set = buttonSet(desc.buttons);
    size_t index = desc.defaultButton >= 0 && size_t(desc.defaultButton) < set.count ? size_t(desc.defaultButton) : 0;
    return set.buttons[index].result;
}

const char* editButtonCaption() { return utf8(u8"編集(E)"); }
const char* endButtonCaption() { return utf8(u8"終了(X)"); }

}  // namespace vr::platform
