// Message boxes and the error dialog as SDL message boxes.
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialog_buttons.h"
#include "platform/sdl/sdl_platform.h"

namespace vr::platform {
namespace {

uint32_t iconFlags(Icon icon) {
    switch (icon) {
        case Icon::Error: return SDL_MESSAGEBOX_ERROR;
        case Icon::Warning: return SDL_MESSAGEBOX_WARNING;
        case Icon::Information:
        case Icon::Question: return SDL_MESSAGEBOX_INFORMATION;
        case Icon::None: break;
    }
    return 0;
}

constexpr int kNotShown = -2;
constexpr int kAbandoned = -3;
constexpr int kStillOpen = -4;

// Shows the box; the chosen button's id, or -1 when it was closed without
// one, or kNotShown when it could not be shown at all.
int showNow(const SDL_MessageBoxData& data) {
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) {
        // No box on this desktop: the text must still reach the user.
        if (!quitSignalled()) writeStandardError(std::string(data.title) + ": " + data.message + "\n");
        return kNotShown;
    }
    return chosen;
}

// SDL shows a box from a process of its own and waits for it.  A quit
// signal must not wait for the user to answer: the box is shown from a
// thread, and when a signal comes the box's process is ended and the box
// counts as abandoned (kAbandoned).
int show(SDL_Window* owner, uint32_t flags, const std::string& caption, const std::string& text,
         const std::vector<SDL_MessageBoxButtonData>& buttons) {
    if (quitSignalled()) return kAbandoned;
    // The box owns what it shows: its thread may outlive this call.  The
    // button captions are the backend's constant texts.
    struct Box {
        std::string caption, text;
        std::vector<SDL_MessageBoxButtonData> buttons;
        SDL_MessageBoxData data{};
        std::atomic<int> result{kStillOpen};
    };
    auto box = std::make_shared<Box>();
    box->caption = caption;
    box->text = text;
    box->buttons = buttons;
    box->data.flags = flags | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box->data.window = owner;
    box->data.title = box->caption.c_str();
    box->data.message = box->text.c_str();
    box->data.numbuttons = int(box->buttons.size());
    box->data.buttons = box->buttons.data();

    const std::vector<int> before = childProcesses();
    std::thread shower;
    try {
        shower = std::thread([box] { box->result.store(showNow(box->data)); });
    } catch (...) {
        return showNow(box->data);  // no thread to spare: the box as it comes
    }
    while (box->result.load() == kStillOpen && !quitSignalled()) SDL_Delay(20);
    if (box->result.load() != kStillOpen) {
        shower.join();
        return box->result.load();
    }
    for (int pid : childProcesses())
        if (std::find(before.begin(), before.end(), pid) == before.end()) killProcess(pid);
    // The box's thread returns once its process is gone.  A box without a
    // process of its own cannot be ended: its thread is left to the exit.
    for (int waited = 0; box->result.load() == kStillOpen && waited < 1000; waited += 10) SDL_Delay(10);
    if (box->result.load() == kStillOpen) {
        shower.detach();
    } else {
        shower.join();
    }
    return kAbandoned;
}

}  // namespace

int SdlPlatform::messageBox(const MessageBoxSpec& desc) {
    ButtonSet set = buttonSet(desc.buttons);
    int defaultIndex = desc.defaultButton >= 0 && size_t(desc.defaultButton) < set.count ? desc.defaultButton : 0;
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < set.count; ++i) {
        uint32_t flags = 0;
        if (int(i) == defaultIndex) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (int(i) == set.escapeIndex) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back(SDL_MessageBoxButtonData{flags, set.buttons[i].result, set.buttons[i].caption});
    }
    int chosen = show(sdlWindow(desc.owner), iconFlags(desc.icon), sjisToUtf8(desc.caption), sjisToUtf8(desc.text),
                      buttons);
    if (chosen == kNotShown) return 0;  // as a box that failed to open reports it
    if (chosen == -1 || chosen == kAbandoned) return set.escapeIndex >= 0 ? set.buttons[set.escapeIndex].result : defaultResult(desc);
    return chosen;
}

void SdlPlatform::errorDialog(const ErrorDialogSpec& desc) {
    constexpr int kEdit = 1, kEnd = 2;
    // SDL cannot grey out a button, so a disabled edit button is left out.
    bool editable = desc.edit == EditButton::Enabled && desc.onEdit;
    std::vector<SDL_MessageBoxButtonData> buttons;
    if (editable) buttons.push_back(SDL_MessageBoxButtonData{0, kEdit, editButtonCaption()});
    buttons.push_back(SDL_MessageBoxButtonData{
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kEnd, endButtonCaption()});
    std::string caption = sjisToUtf8(desc.caption), text = sjisToUtf8(desc.text);
    SDL_Window* owner = sdlWindow(desc.owner);
    while (show(owner, SDL_MESSAGEBOX_ERROR, caption, text, buttons) == kEdit) desc.onEdit();
}

}  // namespace vr::platform
