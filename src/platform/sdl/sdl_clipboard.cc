// The clipboard's text through SDL, converted at the boundary.
#include "platform/sdl/sdl_platform.h"

namespace vr::platform {

bool SdlPlatform::clipboardText(std::string& sjis) {
    if (!SDL_HasClipboardText()) return false;
    char* utf8 = SDL_GetClipboardText();
    if (!utf8) return false;
    sjis = utf8ToSjis(utf8);
    SDL_free(utf8);
    return true;
}

bool SdlPlatform::setClipboardText(std::string_view sjis) {
    return SDL_SetClipboardText(sjisToUtf8(sjis).c_str()) == 0;
}

}  // namespace vr::platform
