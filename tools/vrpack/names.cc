#include "names.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "archive/pack_format.h"
#include "common/sjis.h"

namespace vrpack {

namespace {

// One conversion descriptor per direction for the whole run: opening one
// costs more than converting a name.
class Converter {
public:
    // No //TRANSLIT: a character without a spelling in the other encoding
    // must fail the name, not change it silently.
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> convert(std::string_view in) {
        if (!valid()) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 2 + 8, '\0');
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t done = 0;
        for (;;) {
            char* dst = out.data() + done;
            size_t dstLeft = out.size() - done;
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done = out.size() - dstLeft;
            if (r != size_t(-1)) break;
            if (errno != E2BIG) return std::nullopt;
            out.resize(out.size() * 2);
        }
        // Flush a shift state, should the encoding have one.
        char* dst = out.data() + done;
        size_t dstLeft = out.size() - done;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == size_t(-1)) return std::nullopt;
        out.resize(out.size() - dstLeft);
        return out;
    }

private:
    bool valid() const { return cd_ != iconv_t(-1); }
    iconv_t cd_;
};

}  // namespace

std::optional<std::string> utf8ToShiftJis(std::string_view utf8) {
    static Converter c("CP932", "UTF-8");
    return c.convert(utf8);
}

std::optional<std::string> shiftJisToUtf8(std::string_view sjis) {
    static Converter c("UTF-8", "CP932");
    return c.convert(sjis);
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
