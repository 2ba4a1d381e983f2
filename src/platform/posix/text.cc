// Shift_JIS <-> UTF-8 through iconv.  File names are converted on every
// lookup, so pure ASCII skips iconv altogether and each thread keeps its
// conversion descriptors open.
#include <errno.h>
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/sjis.h"
#include "platform/platform.h"

namespace vr::platform {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

bool isAscii(std::string_view s) {
    for (char c : s)
        if (uint8_t(c) >= 0x80) return false;
    return true;
}

// How many input bytes an unconvertible character covers, so that one bad
// character becomes one '?' and the bytes after it stay in step.
using SkipFn = size_t (*)(const uint8_t* p, size_t left);

size_t skipSjis(const uint8_t* p, size_t left) {
    if (left >= 2 && sjis::isLeadByte(p[0])) {
        uint8_t t = p[1];
        if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) return 2;
    }
    return 1;
}

// A character Shift_JIS lacks is skipped whole; a broken sequence up to the
// first byte that cannot continue it.
size_t skipUtf8(const uint8_t* p, size_t left) {
    size_t n = p[0] >= 0xF0 && p[0] <= 0xF4 ? 4 : p[0] >= 0xE0 && p[0] <= 0xEF ? 3 : p[0] >= 0xC2 && p[0] <= 0xDF ? 2 : 1;
    size_t i = 1;
    while (i < n && i < left && (p[i] & 0xC0) == 0x80) ++i;
    return i;
}

// Converts `in`; returns false when any byte had to be replaced.
bool convert(const Converter& conv, SkipFn skip, std::string_view in, std::string& out) {
    out.clear();
    if (isAscii(in)) {
        out.assign(in);
        return true;
    }
    if (!conv.valid()) {
        // No converter on this host: keep ASCII, replace the rest.
        for (size_t i = 0; i < in.size();) {
            auto p = reinterpret_cast<const uint8_t*>(in.data()) + i;
            if (*p < 0x80) {
                out.push_back(char(*p));
                ++i;
            } else {
                out.push_back('?');
                i += skip(p, in.size() - i);
            }
        }
        return false;
    }
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    bool exact = true;
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    std::string buffer(in.size() * 2 + 16, '\0');
    size_t used = 0;
    while (srcLeft > 0) {
        char* dst = buffer.data() + used;
        size_t dstLeft = buffer.size() - used;
        size_t r = iconv(conv.get(), &src, &srcLeft, &dst, &dstLeft);
        used = buffer.size() - dstLeft;
        if (r != size_t(-1)) break;
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        // EILSEQ (a byte that does not convert) or EINVAL (a character cut
        // off at the end): one '?' for it and go on.
        exact = false;
        size_t n = skip(reinterpret_cast<const uint8_t*>(src), srcLeft);
        if (used == buffer.size()) buffer.resize(buffer.size() * 2);
        buffer[used++] = '?';
        src += n;
        srcLeft -= n;
        iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    }
    buffer.resize(used);
    out = std::move(buffer);
    return exact;
}

const Converter& toUtf8() {
    thread_local Converter conv("UTF-8", "CP932");
    return conv;
}

const Converter& toSjis() {
    thread_local Converter conv("CP932", "UTF-8");
    return conv;
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
    std::string out;
    convert(toUtf8(), skipSjis, sjis, out);
    return out;
}

std::string utf8ToSjis(std::string_view utf8) {
    std::string out;
    convert(toSjis(), skipUtf8, utf8, out);
    return out;
}

bool sjisToUtf8Exact(std::string_view sjis, std::string& out) {
    if (convert(toUtf8(), skipSjis, sjis, out)) return true;
    out.clear();
    return false;
}

}  // namespace vr::platform

namespace vr::platform {

bool utf8ToSjisExact(std::string_view utf8, std::string& out) {
    if (convert(toSjis(), skipUtf8, utf8, out)) return true;
    out.clear();
    return false;
}

}  // namespace vr::platform
