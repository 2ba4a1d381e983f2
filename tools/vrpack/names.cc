#include "names.h"

#include <cstdio>

#include "common/sjis.h"
#include "common/utf8.h"
#include "core/archive/pack_format.h"
#include "platform/platform.h"

namespace vrpack {

// The platform converts without transliterating: a character without a
// spelling in the other encoding fails the name instead of changing it.
std::optional<std::string> utf8ToShiftJis(std::string_view utf8) {
    std::string out;
    if (!vr::platform::utf8ToSjisExact(utf8, out)) return std::nullopt;
    return out;
}

std::optional<std::string> shiftJisToUtf8(std::string_view sjis) {
    std::string out;
    if (!vr::platform::sjisToUtf8Exact(sjis, out)) return std::nullopt;
    return out;
}

const char* hostComponentToShiftJis(std::string_view component, std::string& sjis) {
    constexpr const char* kSeparator = "file name holds a '\\', which archives take for a folder separator";
    if (auto converted = utf8ToShiftJis(component)) {
        // In UTF-8 every 0x5C byte is a '\\' of its own.
        if (component.find('\\') != std::string_view::npos) return kSeparator;
        sjis = std::move(*converted);
        return nullptr;
    }
    if (!shiftJisToUtf8(component)) {
        return vr::isUtf8(component)
                   ? "file name has no Shift_JIS spelling (nor is it Shift_JIS bytes)"
                   : "file name is neither UTF-8 nor Shift_JIS";
    }
    for (size_t i = 0; i < component.size(); i += vr::sjis::charLength(component, i))
        if (component[i] == '\\') return kSeparator;
    sjis.assign(component);
    return nullptr;
}

std::string displayName(std::string_view sjis) {
    if (auto utf8 = shiftJisToUtf8(sjis)) {
        bool printable = true;
        for (char ch : *utf8) printable = printable && (uint8_t(ch) >= 0x20 && ch != 0x7F);
        if (printable) return *utf8;
    }
    std::string out;
    for (char ch : sjis) {
        uint8_t b = uint8_t(ch);
        if (b >= 0x20 && b < 0x7F) {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

const char* memberPath(std::string_view sjis, std::vector<std::string>& components) {
    components.clear();
    std::vector<std::string_view> pieces;
    size_t start = 0;
    // A trail byte may equal '\\': only whole single-byte characters split.
    for (size_t i = 0; i < sjis.size(); i += vr::sjis::charLength(sjis, i)) {
        if (sjis[i] == '\\') {
            pieces.push_back(sjis.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(sjis.substr(start));
    for (std::string_view piece : pieces) {
        if (piece.empty()) return "has an empty path component (an absolute path or a doubled separator)";
        if (piece == "." || piece == "..") return "has a \".\" or \"..\" component that would leave the folder";
        for (size_t i = 0; i < piece.size(); i += vr::sjis::charLength(piece, i))
            if (piece[i] == '/' || piece[i] == '\0') return "holds a character the host keeps for paths";
        auto utf8 = shiftJisToUtf8(piece);
        if (!utf8) return "is not valid Shift_JIS";
        components.push_back(std::move(*utf8));
    }
    return nullptr;
}

std::string fileTypeWord(uint8_t type) {
    static const char* const words[] = {"other", "bmp", "png", "jpeg", "gif", "wav", "ogg", "psd"};
    if (type < sizeof words / sizeof words[0]) return words[type];
    return "type" + std::to_string(type);
}

std::string storageWord(uint8_t storage) {
    if (storage == vr::pack::kStored) return "stored";
    if (storage == vr::pack::kCompressed) return "zlib";
    return "storage" + std::to_string(storage);
}

}  // namespace vrpack
