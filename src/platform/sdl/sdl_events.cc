// SDL events as the engine's window events, keys as Windows virtual-key
// numbers (the numbers the scripts use, sdl_keys.cc).
#include "platform/sdl/sdl_platform.h"

namespace vr::platform {
namespace {

int mouseButton(uint8_t b) {
    switch (b) {
        case SDL_BUTTON_LEFT: return kMouseLeft;
        case SDL_BUTTON_RIGHT: return kMouseRight;
        case SDL_BUTTON_MIDDLE: return kMouseMiddle;
        default: return 0;
    }
}

}  // namespace

bool SdlPlatform::translate(const SDL_Event& e, Event& event) {
    switch (e.type) {
        case SDL_QUIT: event = Event{EventType::Quit, kNoWindow}; return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int button = mouseButton(e.button.button);
            if (!button) return false;
            event = Event{e.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseButtonDown : EventType::MouseButtonUp,
                          idOf(e.button.windowID)};
            // The renderer has already turned them into picture coordinates.
            event.x = e.button.x;
            event.y = e.button.y;
            event.button = button;
            return true;
        }
        case SDL_MOUSEMOTION:
            event = Event{EventType::MouseMotion, idOf(e.motion.windowID)};
            event.x = e.motion.x;
            event.y = e.motion.y;
            return true;
        case SDL_MOUSEWHEEL: {
            int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            if (notches == 0) return false;
            event = Event{EventType::MouseWheel, idOf(e.wheel.windowID)};
            event.wheel = notches * kWheelNotch;
            return true;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            event = Event{e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp, idOf(e.key.windowID)};
            event.key = eventVirtualKey(e.key.keysym.scancode, e.key.keysym.sym);
            return true;
        case SDL_DROPBEGIN: event = Event{EventType::DropBegin, idOf(e.drop.windowID)}; return true;
        case SDL_DROPFILE: {
            std::string sjis;
            bool named = e.drop.file && utf8ToSjisExact(e.drop.file, sjis);
            WindowId id = idOf(e.drop.windowID);
            SDL_free(e.drop.file);
            // A path without a Shift_JIS spelling cannot be named by a script.
            if (!named) return false;
            event = Event{EventType::DropFile, id};
            event.text = std::move(sjis);
            return true;
        }
        case SDL_DROPTEXT: SDL_free(e.drop.file); return false;
        case SDL_WINDOWEVENT: break;
        default: return false;
    }
    WindowId id = idOf(e.window.windowID);
    switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: event = Event{EventType::CloseRequest, id}; return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED: event = Event{EventType::FocusGained, id}; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: event = Event{EventType::FocusLost, id}; return true;
        case SDL_WINDOWEVENT_EXPOSED: event = Event{EventType::Exposed, id}; return true;
        case SDL_WINDOWEVENT_MINIMIZED: event = Event{EventType::Minimised, id}; return true;
        case SDL_WINDOWEVENT_MAXIMIZED: event = Event{EventType::Maximised, id}; return true;
        case SDL_WINDOWEVENT_RESTORED: event = Event{EventType::Restored, id}; return true;
        case SDL_WINDOWEVENT_RESIZED:
            event = Event{EventType::Resized, id};
            event.x = e.window.data1;
            event.y = e.window.data2;
            return true;
        case SDL_WINDOWEVENT_HIT_TEST:
            // Only a left press on a point the drag test accepted gets here;
            // SDL keeps the press itself from the program.
            event = Event{EventType::DragStarted, id};
            windowCursorPosition(id, event.x, event.y);
            return true;
        default: return false;
    }
}

bool SdlPlatform::pollEvent(Event& event) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (translate(e, event)) return true;
    }
    if (!quitDelivered_ && quitSignalled()) {
        quitDelivered_ = true;
        event = Event{EventType::Quit, kNoWindow};
        return true;
    }
    return false;
}

}  // namespace vr::platform
