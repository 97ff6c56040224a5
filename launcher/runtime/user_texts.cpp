#include "launcher/runtime/user_texts.h"

// The English texts fit the boxes laid out for the Japanese ones, at every
// scale, in the dialog's Gothic face.
const UserTextTable kJapaneseTexts = {
    "BGM",
    {"なし", "音楽CD", "MP3、WAV"},
    "曲目をﾘﾋﾟｰﾄ",
    "解像度を変更しない",
    "設定",
    "ｷｬﾝｾﾙ",
    "ﾌｧｲﾙを開く",
    "BGMﾌｧｲﾙ (MP3 WAV)",
    "Brinefold.dll が同じﾌｫﾙﾀﾞに見つかりません！",
};

const UserTextTable kEnglishTexts = {
    "Music",
    {"None", "Audio CD", "MP3, WAV"},
    "Repeat track",
    "Keep the resolution",
    "OK",
    "Cancel",
    "Open music file",
    "Music files (MP3 WAV)",
    "Brinefold.dll was not found in the same folder!",
};

const UserTextTable& TextsForLanguage(uint16_t languageId)
{
    constexpr uint16_t kPrimaryLanguageMask = 0x3ff, kJapanese = 0x11;  // LANG_JAPANESE
    return (languageId & kPrimaryLanguageMask) == kJapanese ? kJapaneseTexts : kEnglishTexts;
}
