// Message boxes and the error dialog as SDL message boxes.
#include <cstdio>
#include <string>
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

// Shows the box; the chosen button's id, or -1 when it was closed without
// one, or -2 when it could not be shown at all.
int show(SDL_Window* owner, uint32_t flags, const std::string& caption, const std::string& text,
         const std::vector<SDL_MessageBoxButtonData>& buttons) {
    SDL_MessageBoxData data{};
    data.flags = flags | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    data.window = owner;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = int(buttons.size());
    data.buttons = buttons.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) {
        // No box on this desktop: the text must still reach the user.
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return -2;
    }
    return chosen;
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
    if (chosen == -2) return 0;  // as a box that failed to open reports it
    if (chosen == -1) return set.escapeIndex >= 0 ? set.buttons[set.escapeIndex].result : defaultResult(desc);
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
