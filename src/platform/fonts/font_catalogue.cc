// The installed families as fontconfig lists them, and the Windows face
// names that stand for them.
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <map>
#include <string>

#include "common/bytes.h"
#include "platform/fonts/fonts_internal.h"
#include "platform/platform.h"

namespace vr::platform {
namespace {

// Games made on Japanese Windows name its stock faces; the IPA fonts have
// the same metrics class (fixed or proportional gothic, mincho).
struct WindowsAlias {
    const char8_t* name;
    const char* target;
};
constexpr WindowsAlias kWindowsAliases[] = {
    {u8"ＭＳ ゴシック", "IPAGothic"},  {u8"ＭＳ Ｐゴシック", "IPAPGothic"}, {u8"ＭＳ 明朝", "IPAMincho"},
    {u8"標準ゴシック", "IPAGothic"}, {u8"標準明朝", "IPAMincho"},
};
constexpr const char* kPreferredFallback = "IPAGothic";

// One family gathered from its faces.
struct Gathered {
    HostFamily host;
    bool japanese = false;
    int spacing = FC_PROPORTIONAL;
    int regularScore = -1, boldScore = -1;
};

const char* stringOf(FcPattern* p, const char* object) {
    FcChar8* s = nullptr;
    return FcPatternGetString(p, object, 0, &s) == FcResultMatch ? reinterpret_cast<const char*>(s) : nullptr;
}

int intOf(FcPattern* p, const char* object, int fallback) {
    int v = 0;
    return FcPatternGetInteger(p, object, 0, &v) == FcResultMatch ? v : fallback;
}

// Upright faces nearest the wanted weight score highest.
int faceScore(int weight, int slant, int wanted) {
    if (slant != FC_SLANT_ROMAN) return 0;
    return 1000 - std::abs(weight - wanted);
}

void gatherFace(std::map<std::string, Gathered>& out, FcPattern* p) {
    const char* family = stringOf(p, FC_FAMILY);
    const char* file = stringOf(p, FC_FILE);
    if (!family || !file) return;
    Gathered& g = out[family];
    g.host.name = family;
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(p, FC_LANG, 0, &langs) == FcResultMatch &&
        FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual)
        g.japanese = true;
    int weight = intOf(p, FC_WEIGHT, FC_WEIGHT_REGULAR);
    int slant = intOf(p, FC_SLANT, FC_SLANT_ROMAN);
    FaceFile face{file, intOf(p, FC_INDEX, 0)};
    int regular = faceScore(weight, slant, FC_WEIGHT_REGULAR);
    if (regular > g.regularScore) {
        g.regularScore = regular;
        g.host.regular = face;
        g.spacing = intOf(p, FC_SPACING, FC_PROPORTIONAL);
    }
    if (weight >= FC_WEIGHT_DEMIBOLD) {
        int bold = faceScore(weight, slant, FC_WEIGHT_BOLD);
        if (bold > g.boldScore) {
            g.boldScore = bold;
            g.host.bold = face;
        }
    }
}

// Every scalable face fontconfig knows, by family name (sorted, so every run
// on the same machine lists the same order).
std::map<std::string, Gathered> listInstalled() {
    std::map<std::string, Gathered> out;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return out;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcObjectSet* objects =
        FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_SPACING, FC_LANG, nullptr);
    if (FcFontSet* set = FcFontList(config, pattern, objects)) {
        for (int i = 0; i < set->nfont; ++i) gatherFace(out, set->fonts[i]);
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return out;
}

void addFamily(Fonts::Impl& impl, std::string sjisName, const Gathered& g, int aliasOf) {
    FontFamily f;
    f.name = std::move(sjisName);
    f.japaneseScript = g.japanese;
    // Dual spacing is a fixed-pitch font with half-width Latin: Windows
    // calls that fixed pitch too.
    f.proportional = g.spacing != FC_MONO && g.spacing != FC_DUAL && g.spacing != FC_CHARCELL;
    f.aliasOf = aliasOf;
    impl.families.push_back(std::move(f));
    impl.host.push_back(g.host);
}

void buildCatalogue(Fonts::Impl& impl) {
    std::map<std::string, Gathered> installed = listInstalled();
    std::map<std::string, int> indexOf;
    for (auto& [name, g] : installed) {
        if (!g.host.regular.present()) g.host.regular = g.host.bold;
        if (!g.host.regular.present()) continue;
        // A name Shift_JIS cannot spell cannot be asked for by a script.
        std::string sjis;
        if (!utf8ToSjisExact(name, sjis)) continue;
        indexOf[name] = int(impl.families.size());
        addFamily(impl, std::move(sjis), g, -1);
    }
    for (const WindowsAlias& a : kWindowsAliases) {
        auto target = installed.find(a.target);
        if (target == installed.end() || !indexOf.count(a.target)) continue;
        std::string sjis = utf8ToSjis(reinterpret_cast<const char*>(a.name));
        bool taken = false;
        for (const FontFamily& f : impl.families) taken = taken || f.name == sjis;
        if (!taken) addFamily(impl, std::move(sjis), target->second, indexOf[a.target]);
    }
    if (auto preferred = indexOf.find(kPreferredFallback); preferred != indexOf.end()) {
        impl.fallback = preferred->second;
    } else {
        for (size_t i = 0; i < impl.families.size() && impl.fallback < 0; ++i)
            if (impl.families[i].japaneseScript) impl.fallback = int(i);
    }
}

}  // namespace

Fonts::Impl::~Impl() {
    for (auto& [key, face] : faces) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
    if (toUnicode != reinterpret_cast<iconv_t>(-1)) iconv_close(toUnicode);
}

FT_Face Fonts::Impl::face(const FaceFile& file) {
    std::string key = file.path + '\n' + std::to_string(file.index);
    if (auto it = faces.find(key); it != faces.end()) return it->second;
    FT_Face f = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &f) != 0) f = nullptr;
    // A file that failed stays failed: it is not read again for every glyph.
    faces[key] = f;
    return f;
}

uint32_t Fonts::Impl::codePoint(std::string_view sjisChar) {
    if (sjisChar.empty()) return 0;
    if (sjisChar.size() == 1 && uint8_t(sjisChar[0]) < 0x80) return uint8_t(sjisChar[0]);
    if (toUnicode == reinterpret_cast<iconv_t>(-1)) return 0;
    char* in = const_cast<char*>(sjisChar.data());
    size_t inLeft = sjisChar.size();
    uint8_t buffer[8] = {};
    char* out = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    iconv(toUnicode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toUnicode, &in, &inLeft, &out, &outLeft) == size_t(-1) || outLeft != 4) return 0;
    return loadLe32(buffer);
}

Fonts::Fonts(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
Fonts::~Fonts() = default;

std::unique_ptr<Fonts> Fonts::create() {
    auto impl = std::make_shared<Impl>();
    if (FT_Init_FreeType(&impl->library) != 0) {
        impl->library = nullptr;
        return nullptr;
    }
    impl->toUnicode = iconv_open("UTF-32LE", "CP932");
    buildCatalogue(*impl);
    return std::unique_ptr<Fonts>(new Fonts(std::move(impl)));
}

const std::vector<FontFamily>& Fonts::families() const { return impl_->families; }

std::unique_ptr<FontFace> Fonts::open(int family, int cellHeight, bool bold) {
    if (family < 0 || size_t(family) >= impl_->host.size() || cellHeight <= 0) return nullptr;
    const HostFamily& host = impl_->host[size_t(family)];
    bool boldFace = bold && host.bold.present();
    FT_Face face = impl_->face(boldFace ? host.bold : host.regular);
    if (!face) return nullptr;
    FT_Size size = newCellSize(face, cellHeight);
    if (!size) return nullptr;
    auto impl = std::make_unique<FontFace::Impl>();
    impl->fonts = impl_;
    impl->face = face;
    impl->size = size;
    impl->cellHeight = cellHeight;
    impl->thicken = bold && !boldFace;
    // Rounded, not ceiled as FreeType's metrics are: the cell is exactly
    // cellHeight rows, and a ceiled baseline cuts the descenders' last row.
    impl->ascender = int((FT_MulFix(face->ascender, size->metrics.y_scale) + 32) >> 6);
    if (impl->ascender > cellHeight) impl->ascender = cellHeight;
    return std::make_unique<FontFace>(std::move(impl));
}

}  // namespace vr::platform
