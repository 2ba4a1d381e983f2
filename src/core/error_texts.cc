#include "core/error_texts.h"

#include "common/texts/engine_texts.h"
#include "core/error_report.h"

namespace vr {

const char* const kInternalErrorText = VR_TEXT_ERROR_INTERNAL_TEXT_CODE;

namespace {

struct BuiltInText {
    uint32_t code;
    const char* text;
};

// These win over the game's own texts for the same codes.
constexpr BuiltInText kBuiltInTexts[] = {
    {100010, VR_TEXT_ERROR_100010},
    {104010, VR_TEXT_ERROR_104010},
    {104030, VR_TEXT_ERROR_104030},
    {104060, VR_TEXT_ERROR_104060},
    {104100, VR_TEXT_ERROR_104100},
    {104110, VR_TEXT_ERROR_104110},
    {104111, VR_TEXT_ERROR_104111},
    {104120, VR_TEXT_ERROR_104120},
    {104130, VR_TEXT_ERROR_104130},
    {104140, VR_TEXT_ERROR_104140},
    {104150, VR_TEXT_ERROR_104150},
    {106010, VR_TEXT_ERROR_106010},
    {900040, VR_TEXT_ERROR_900040},
    {901040, VR_TEXT_ERROR_901040},
};

}  // namespace

const char* builtInErrorText(uint32_t code) {
    if (code == kLibraryNoticesCode) return libraryNotices();
    for (const BuiltInText& t : kBuiltInTexts)
        if (t.code == code) return t.text;
    return nullptr;
}

}  // namespace vr
