#include "core/error_texts.h"

#include "core/error_report.h"

namespace vr {

const char* const kInternalErrorText =
    "[内部エラー]\n\nエラー文字列の指定ミスです。\nシステム開発者までお問い合わせください。";

namespace {

struct BuiltInText {
    uint32_t code;
    const char* text;
};

// These win over the game's own texts for the same codes.
constexpr BuiltInText kBuiltInTexts[] = {
    {100010, "メモリ不足です。"},
    {104010, "[%s]ファイルを\n読み込めませんでした。"},
    {104030, "メモリ不足のため[%s]ファイルを\n読み込めませんでした。"},
    {104060, "[%s]ファイルが\n存在しません。"},
    {104100, "パックファイル中に破損ファイルが見つかりました。\n\nPacFile = %s\nFile = %s"},
    {104110, "フォルダの数が多すぎます。"},
    {104111, "フォルダの階層が深すぎます。"},
    {104120, "パックファイル仕様が現在の仕様と一致しません。\n\n[%s]"},
    {104130, "パックファイルを同時に扱えるのは %d 個までです。"},
    {104140, "パックファイル内に含まれるファイルが、合計 %d 個を超えました。"},
    {104150, "パックファイル内のファイル\n[%s]が\n重複しています。"},
    {106010, "メモリ不足により\n[%s]ファイルを展開出来ませんでした。"},
    {900040, "[内部エラー]\n\nバッファ不足により\n[%s]ファイルを展開出来ませんでした。"},
    {901040, "[内部エラー]\n\nパックファイル[%s]が\nオープンできませんでした。"},
};

}  // namespace

const char* builtInErrorText(uint32_t code) {
    if (code == kLibraryNoticesCode) return libraryNotices();
    for (const BuiltInText& t : kBuiltInTexts)
        if (t.code == code) return t.text;
    return nullptr;
}

}  // namespace vr
