// The input dialog, drawn by the backend itself in a window of its own: SDL
// has no dialogs with edit fields.  Text arrives through SDL's text input,
// so an input method composes in place; the field's rules are InputField's.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/sjis.h"
#include "platform/input_field.h"
#include "platform/sdl/sdl_platform.h"

namespace vr::platform {
namespace {

constexpr int kCell = 16;  // the text's cell height; a single-byte character is half as wide
constexpr int kPad = 14;
constexpr int kWidth = 420;
constexpr int kFieldHeight = 26;
constexpr int kButtonWidth = 88, kButtonHeight = 28;
constexpr uint32_t kFace = 0xFFF0F0F0, kText = 0xFF000000, kWhite = 0xFFFFFFFF,
                   kAccent = 0xFF0078D7, kButton = 0xFFE1E1E1, kButtonBorder = 0xFFADADAD, kPressed = 0xFFCCE4F7;

int charWidth(std::string_view sjisChar) { return sjisChar.size() == 2 ? kCell : kCell / 2; }

int textWidth(std::string_view s) {
    int w = 0;
    for (size_t i = 0; i < s.size(); i += sjis::charLength(s, i)) w += charWidth(s.substr(i, sjis::charLength(s, i)));
    return w;
}

// The prompt's lines: its own line breaks, and breaks where a line would
// pass the width.
std::vector<std::string> wrap(std::string_view s, int width) {
    std::vector<std::string> lines(1);
    int used = 0;
    for (size_t i = 0; i < s.size();) {
        size_t n = sjis::charLength(s, i);
        std::string_view c = s.substr(i, n);
        i += n;
        if (c == "\r") continue;
        if (c == "\n") {
            lines.emplace_back();
            used = 0;
            continue;
        }
        if (used + charWidth(c) > width && used > 0) {
            lines.emplace_back();
            used = 0;
        }
        lines.back() += c;
        used += charWidth(c);
    }
    return lines;
}

// A picture in memory in SDL's ARGB8888, uploaded whole after each change.
class Canvas {
public:
    Canvas(int width, int height, FontFace* face)
        : width_(width), height_(height), pixels_(size_t(width) * size_t(height)), face_(face) {}

    const uint32_t* pixels() const { return pixels_.data(); }

    void fill(int x, int y, int w, int h, uint32_t colour) {
        int x0 = std::max(x, clipLeft_), x1 = std::min(x + w, clipRight_);
        int y0 = std::max(y, 0), y1 = std::min(y + h, height_);
        for (int row = y0; row < y1; ++row)
            for (int col = x0; col < x1; ++col) pixels_[size_t(row) * size_t(width_) + size_t(col)] = colour;
    }

    void frame(int x, int y, int w, int h, uint32_t colour) {
        fill(x, y, w, 1, colour);
        fill(x, y + h - 1, w, 1, colour);
        fill(x, y, 1, h, colour);
        fill(x + w - 1, y, 1, h, colour);
    }

    // Draws a Shift_JIS text from (x, y), the top of its cells; the width drawn.
    int text(std::string_view s, int x, int y, uint32_t colour) {
        int start = x;
        for (size_t i = 0; i < s.size();) {
            size_t n = sjis::charLength(s, i);
            std::string_view c = s.substr(i, n);
            glyph(c, x, y, colour);
            x += charWidth(c);
            i += n;
        }
        return x - start;
    }

    // Drawing stays between these columns (the edit field's inside).
    void clip(int left, int right) {
        clipLeft_ = std::max(0, left);
        clipRight_ = std::min(width_, right);
    }
    void unclip() { clip(0, width_); }

private:
    void glyph(std::string_view c, int x, int y, uint32_t colour) {
        if (!face_) return;
        constexpr int kSide = kCell + 8;
        constexpr int kStride = (kSide + 7) / 8;
        uint8_t bits[kSide * kStride];
        std::memset(bits, 0xFF, sizeof bits);
        face_->draw(c, GlyphBitmap{bits, kSide, kStride});
        for (int row = 0; row < kSide; ++row)
            for (int col = 0; col < kSide; ++col)
                if (!(bits[row * kStride + col / 8] & (0x80 >> (col % 8)))) fill(x + col, y + row, 1, 1, colour);
    }

    int width_, height_;
    std::vector<uint32_t> pixels_;
    FontFace* face_;
    int clipLeft_ = 0, clipRight_ = 1 << 30;
};

// The dialog's state between events and how it is drawn.
struct Dialog {
    InputField field;
    std::string composition;  // UTF-8 text the input method is composing
    int height = 0;
    std::vector<std::string> prompt;
    int fieldY = 0, buttonX = 0, buttonY = 0;
    int scroll = 0;  // pixels of the text scrolled out at the left
    bool caretOn = true;
    bool buttonDown = false;  // the mouse pressed OK and is still on it
    bool selecting = false;   // a mouse drag in the field

    explicit Dialog(const InputDialogSpec& desc) : field(desc.maxCharacters) {
        field.setText(desc.text);
        prompt = wrap(desc.prompt, kWidth - 2 * kPad);
        fieldY = kPad + int(prompt.size()) * (kCell + 4) + 8;
        buttonY = fieldY + kFieldHeight + 14;
        buttonX = kWidth - kPad - kButtonWidth;
        height = buttonY + kButtonHeight + kPad;
    }

    int fieldInner() const { return kWidth - 2 * kPad - 12; }
    int caretX() const { return textWidth(field.slice(0, field.caret())); }

    // The character boundary nearest to a client x in the field.
    size_t hit(int x) const {
        int at = x - (kPad + 6) + scroll;
        int w = 0;
        for (size_t i = 0; i < field.length(); ++i) {
            int cw = charWidth(field.slice(i, i + 1));
            if (at < w + cw / 2) return i;
            w += cw;
        }
        return field.length();
    }

    bool onButton(int x, int y) const {
        return x >= buttonX && x < buttonX + kButtonWidth && y >= buttonY && y < buttonY + kButtonHeight;
    }

    void draw(Canvas& c) {
        c.fill(0, 0, kWidth, height, kFace);
        for (size_t i = 0; i < prompt.size(); ++i) c.text(prompt[i], kPad, kPad + int(i) * (kCell + 4), kText);

        c.fill(kPad, fieldY, kWidth - 2 * kPad, kFieldHeight, kWhite);
        c.frame(kPad, fieldY, kWidth - 2 * kPad, kFieldHeight, kAccent);
        std::string before = field.slice(0, field.caret()), after = field.slice(field.caret(), field.length());
        std::string composing = utf8ToSjis(composition);
        int caret = textWidth(before) + textWidth(composing);
        // Keep the caret inside the field.
        if (caret - scroll > fieldInner()) scroll = caret - fieldInner();
        if (caret - scroll < 0) scroll = caret;
        int x0 = kPad + 6 - scroll, ty = fieldY + (kFieldHeight - kCell) / 2;
        c.clip(kPad + 2, kWidth - kPad - 2);
        if (field.hasSelection()) {
            int sx = textWidth(field.slice(0, field.selectionStart()));
            int sw = textWidth(field.selectedText());
            c.fill(x0 + sx, ty - 1, sw, kCell + 2, kAccent);
        }
        int x = x0;
        for (size_t i = 0; i < field.length(); ++i) {
            if (i == field.caret() && !composing.empty()) {
                // The composition stands in place at the caret, underlined.
                int w = c.text(composing, x, ty, kText);
                c.fill(x, ty + kCell, w, 1, kText);
                x += w;
            }
            bool selected = i >= field.selectionStart() && i < field.selectionEnd();
            x += c.text(field.slice(i, i + 1), x, ty, selected ? kWhite : kText);
        }
        if (field.caret() == field.length() && !composing.empty()) {
            int w = c.text(composing, x, ty, kText);
            c.fill(x, ty + kCell, w, 1, kText);
        }
        if (caretOn) c.fill(x0 + caret, ty - 1, 1, kCell + 2, kText);
        c.unclip();

        c.fill(buttonX, buttonY, kButtonWidth, kButtonHeight, buttonDown ? kPressed : kButton);
        c.frame(buttonX, buttonY, kButtonWidth, kButtonHeight, kAccent);
        c.frame(buttonX + 1, buttonY + 1, kButtonWidth - 2, kButtonHeight - 2, buttonDown ? kAccent : kButtonBorder);
        c.text("OK", buttonX + (kButtonWidth - textWidth("OK")) / 2, buttonY + (kButtonHeight - kCell) / 2, kText);
    }
};

// The fixed-pitch Japanese family, as the edit controls of the system the
// games come from use one.
int dialogFamily(const Fonts& fonts) {
    const std::vector<FontFamily>& families = fonts.families();
    int any = -1;
    for (size_t i = 0; i < families.size(); ++i) {
        const FontFamily& f = families[i];
        if (!f.japaneseScript || f.aliasOf >= 0) continue;
        if (!f.proportional) return int(i);
        if (any < 0) any = int(i);
    }
    return any >= 0 ? any : (families.empty() ? -1 : 0);
}

}  // namespace

bool SdlPlatform::inputDialog(const InputDialogSpec& desc, std::string& text) {
    if (!dialogFontsTried_) {
        dialogFontsTried_ = true;
        dialogFonts_ = Fonts::create();
    }
    std::unique_ptr<FontFace> face;
    if (dialogFonts_) {
        int family = dialogFamily(*dialogFonts_);
        if (family >= 0) face = dialogFonts_->open(family, kCell, false);
    }
    Dialog d(desc);
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (SDL_Window* owner = sdlWindow(desc.owner)) {
        int ox = 0, oy = 0, ow = 0, oh = 0;
        SDL_GetWindowPosition(owner, &ox, &oy);
        SDL_GetWindowSize(owner, &ow, &oh);
        x = ox + (ow - kWidth) / 2;
        y = oy + (oh - d.height) / 2;
    }
    SDL_Window* window = SDL_CreateWindow(sjisToUtf8(desc.title).c_str(), x, y, kWidth, d.height, SDL_WINDOW_SHOWN);
    if (!window) return false;
    if (SDL_Window* owner = sdlWindow(desc.owner)) SDL_SetWindowModalFor(window, owner);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    SDL_Texture* texture =
        renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kWidth, d.height)
                 : nullptr;
    if (!texture) {
        if (renderer) SDL_DestroyRenderer(renderer);
        SDL_DestroyWindow(window);
        return false;
    }
    const uint32_t id = SDL_GetWindowID(window);
    SDL_RaiseWindow(window);
    const bool textInputWasOn = SDL_IsTextInputActive();
    SDL_StartTextInput();

    Canvas canvas(kWidth, d.height, face.get());
    // Events of the other windows wait until the dialog is gone, except the
    // keyboard and mouse, which the dialog holds while it is open.
    std::vector<SDL_Event> later;
    bool done = false, redraw = true;
    uint32_t blink = SDL_GetTicks();
    while (!done && !quitSignalled()) {
        if (redraw) {
            d.draw(canvas);
            SDL_UpdateTexture(texture, nullptr, canvas.pixels(), kWidth * 4);
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
            SDL_RenderPresent(renderer);
            SDL_Rect r{kPad + 6 + d.caretX() - d.scroll, d.fieldY, 1, kFieldHeight};
            SDL_SetTextInputRect(&r);
            redraw = false;
        }
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) {
            if (SDL_GetTicks() - blink >= 500) {
                blink = SDL_GetTicks();
                d.caretOn = !d.caretOn;
                redraw = true;
            }
            continue;
        }
        redraw = true;
        d.caretOn = true;
        blink = SDL_GetTicks();
        switch (e.type) {
        case SDL_TEXTINPUT:
            d.composition.clear();
            d.field.insertUtf8(e.text.text);
            break;
        case SDL_TEXTEDITING:
            d.composition = e.edit.text;
            break;
        case SDL_KEYDOWN: {
            if (!d.composition.empty()) break;  // the input method's keys
            bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0, ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0;
            switch (e.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER: done = true; break;
            case SDLK_LEFT: d.field.left(shift); break;
            case SDLK_RIGHT: d.field.right(shift); break;
            case SDLK_HOME: d.field.home(shift); break;
            case SDLK_END: d.field.end(shift); break;
            case SDLK_BACKSPACE: d.field.backspace(); break;
            case SDLK_DELETE: d.field.deleteForward(); break;
            case SDLK_a:
                if (ctrl) d.field.selectAll();
                break;
            case SDLK_c:
            case SDLK_x:
                if (ctrl && d.field.hasSelection()) {
                    SDL_SetClipboardText(sjisToUtf8(d.field.selectedText()).c_str());
                    if (e.key.keysym.sym == SDLK_x) d.field.backspace();
                }
                break;
            case SDLK_v:
                if (ctrl && SDL_HasClipboardText()) {
                    char* pasted = SDL_GetClipboardText();
                    if (pasted) d.field.insertUtf8(pasted);
                    SDL_free(pasted);
                }
                break;
            default: break;
            }
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.windowID != id || e.button.button != SDL_BUTTON_LEFT) break;
            if (d.onButton(e.button.x, e.button.y)) {
                d.buttonDown = true;
            } else if (e.button.y >= d.fieldY && e.button.y < d.fieldY + kFieldHeight) {
                d.field.moveTo(d.hit(e.button.x), false);
                d.selecting = true;
            }
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.windowID != id) break;
            if (d.selecting) {
                d.field.moveTo(d.hit(e.motion.x), true);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.windowID != id || e.button.button != SDL_BUTTON_LEFT) break;
            if (d.buttonDown && d.onButton(e.button.x, e.button.y)) done = true;
            d.buttonDown = d.selecting = false;
            break;
        case SDL_WINDOWEVENT:
            // The close box does nothing: only OK ends the dialog.
            if (e.window.windowID != id) later.push_back(e);
            break;
        case SDL_QUIT:
            later.push_back(e);
            break;
        default:
            if (e.type == SDL_KEYUP || e.type == SDL_MOUSEWHEEL) break;
            later.push_back(e);
            break;
        }
    }
    if (!textInputWasOn) SDL_StopTextInput();
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    for (SDL_Event& e : later) SDL_PushEvent(&e);
    if (!done) return false;  // a quit signal ended it
    text = d.field.text();
    return true;
}

}  // namespace vr::platform
