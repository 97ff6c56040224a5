// Start-up's portable pieces: reading the command line, the folder of a path,
// the texts for the UI language.
#include "common/command_line.h"
#include "launcher/launch_mode.h"
#include "launcher/runtime/paths.h"
#include "launcher/runtime/user_texts.h"

#include <gtest/gtest.h>

#include <string>

TEST(ArgumentsOf, DropsTheProgramPathAndTheBlanksAfterIt)
{
    EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\Brinefold.scr\" /s"), "/s");
    EXPECT_EQ(ArgumentsOf("C:\\WINDOWS\\Brinefold.scr /p 1234"), "/p 1234");
    EXPECT_EQ(ArgumentsOf("Brinefold.scr  \t/c:5678"), "/c:5678");
    EXPECT_EQ(ArgumentsOf("\"C:\\a b\\Brinefold.scr\""), "");
    EXPECT_EQ(ArgumentsOf("Brinefold.scr"), "");
    EXPECT_EQ(ArgumentsOf("Brinefold.scr /s  "), "/s  ");  // the rest stands as it is
    EXPECT_EQ(ArgumentsOf("\"C:\\a b\\x.scr\"/s"), "/s");  // the quote ends the path
    EXPECT_EQ(ArgumentsOf(""), "");
}

TEST(PathArgument, TheQuotedTextOrTheWholeTextTrimmed)
{
    EXPECT_EQ(PathArgument("\"C:\\Users\\A B\\Brinefold.bmp\" "), "C:\\Users\\A B\\Brinefold.bmp");
    EXPECT_EQ(PathArgument(" \"C:\\a b"), "C:\\a b");  // no closing quote: the rest
    EXPECT_EQ(PathArgument("\t C:\\a b.bmp  "), "C:\\a b.bmp");
    EXPECT_EQ(PathArgument("\"\""), "");
    EXPECT_EQ(PathArgument("  "), "");
}

// The renderer's switch after the picture's path: a word of its own, in any
// case, also without a path; a path that merely ends in it keeps it.
TEST(PathArgument, ASwitchAfterThePathIsTakenOffFirst)
{
    struct Case {
        const char* arguments;
        bool taken;
        const char* path;
    };
    for (const Case& c :
         {Case{"\"C:\\a b\\x.bmp\" /keepresolution", true, "C:\\a b\\x.bmp"},
          Case{"\"C:\\x.bmp\"\t/KeepResolution  ", true, "C:\\x.bmp"},
          Case{"\"C:\\x.bmp\"/keepresolution", true, "C:\\x.bmp"},
          Case{"C:\\a b.bmp /keepresolution", true, "C:\\a b.bmp"}, Case{"/keepresolution", true, ""},
          Case{"\"C:\\x.bmp\"", false, "C:\\x.bmp"}, Case{"\"C:\\d /keepresolution\"", false, "C:\\d /keepresolution"},
          Case{"C:\\my/keepresolution", false, "C:\\my/keepresolution"},
          Case{"\"C:\\x.bmp\" /keepresolutions", false, "C:\\x.bmp"}, Case{"", false, ""}}) {
        SCOPED_TRACE(c.arguments);
        std::string arguments = c.arguments;
        EXPECT_EQ(TakeLastSwitch(arguments, "/keepresolution"), c.taken);
        EXPECT_EQ(PathArgument(arguments), c.path);
    }
}

TEST(ModeLetter, OnlyTheSecondCharacterUpperCased)
{
    EXPECT_EQ(ModeLetter("/s"), "S");
    EXPECT_EQ(ModeLetter("-S"), "S");
    EXPECT_EQ(ModeLetter("/sx"), "S");
    EXPECT_EQ(ModeLetter("xs"), "S");
    EXPECT_EQ(ModeLetter("/p 12"), "P");
    EXPECT_EQ(ModeLetter("/c:12"), "C");
    EXPECT_EQ(ModeLetter("s"), "");
    EXPECT_EQ(ModeLetter(""), "");
    EXPECT_EQ(ModeLetter("/a"), "A");
    EXPECT_EQ(ModeLetter("/1"), "1");
}

TEST(ModeOf, EveryCommandLineOfTheTable)
{
    for (const char* run : {"/s", "/S", "-s", "/sx", "xs", "/s 99"})
        EXPECT_EQ(ModeOf(run), LaunchMode::ShowHidingPointer) << run;
    EXPECT_EQ(ModeOf(""), LaunchMode::Show);
    for (const char* preview : {"/p 1234", "/p:1234", "/P", "-p"})
        EXPECT_EQ(ModeOf(preview), LaunchMode::Preview) << preview;
    for (const char* configure : {"/c", "/C", "/c:1234", "-c 1"})
        EXPECT_EQ(ModeOf(configure), LaunchMode::Settings) << configure;
    // Not empty but no known letter: the program ends after the common steps.
    for (const char* other : {"/a", "/a 1234", "s", "/", " ", "/x", "/ s"})
        EXPECT_EQ(ModeOf(other), LaunchMode::None) << '"' << other << '"';
}

TEST(ReadPreviewHost, FromTheFourthCharacter)
{
    EXPECT_EQ(ReadPreviewHost("/p 1234"), 1234);
    EXPECT_EQ(ReadPreviewHost("/p:1234"), 1234);
    EXPECT_EQ(ReadPreviewHost("/pX1234"), 1234);  // the third character is skipped whatever it is
    EXPECT_EQ(ReadPreviewHost("/p  1234 "), 1234);
    EXPECT_EQ(ReadPreviewHost("/p 12 34"), 1234);  // blanks are skipped inside, too
    EXPECT_EQ(ReadPreviewHost("/p 1234abc"), 1234);
    EXPECT_EQ(ReadPreviewHost("/p 1234.5"), 1234);  // nearest, halves to even
    EXPECT_EQ(ReadPreviewHost("/p 1235.5"), 1236);
    EXPECT_EQ(ReadPreviewHost("/p -5"), -5);
}

TEST(ReadPreviewHost, NothingUsableGivesZero)
{
    EXPECT_EQ(ReadPreviewHost("/p"), 0);
    EXPECT_EQ(ReadPreviewHost("/p "), 0);
    EXPECT_EQ(ReadPreviewHost("/p abc"), 0);
    EXPECT_EQ(ReadPreviewHost("/p 2147483647"), 2147483647);
    EXPECT_EQ(ReadPreviewHost("/p 2147483648"), 0);
    EXPECT_EQ(ReadPreviewHost("/p -2147483649"), 0);
    EXPECT_EQ(ReadPreviewHost("/p 1e999"), 0);
}

TEST(FolderOf, ThePathTable)
{
    EXPECT_EQ(FolderOf("C:\\music\\song.mp3"), "C:\\music");
    EXPECT_EQ(FolderOf("C:\\song.mp3"), "C:");
    EXPECT_EQ(FolderOf("C:song.mp3"), "C:");
    EXPECT_EQ(FolderOf("song.mp3"), "");
    EXPECT_EQ(FolderOf("C:\\music\\"), "C:\\music");
    EXPECT_EQ(FolderOf(""), "");
    EXPECT_EQ(FolderOf("\\\\server\\share\\a.wav"), "\\\\server\\share");
    EXPECT_EQ(FolderOf("C:\\a:b\\c"), "C:\\a:b");
}

TEST(InFolder, NoDoubleBackslashAtADriveRoot)
{
    EXPECT_EQ(InFolder("C:\\Games\\Brinefold", "Brinefold.dll"), "C:\\Games\\Brinefold\\Brinefold.dll");
    EXPECT_EQ(InFolder("C:\\", "Brinefold.ini"), "C:\\Brinefold.ini");
    EXPECT_TRUE(EndsWithBackslash("C:\\"));
    EXPECT_FALSE(EndsWithBackslash("C:"));
    EXPECT_FALSE(EndsWithBackslash(""));
}

TEST(TextsForLanguage, JapaneseAsEverWhereTheUiIsJapaneseAndEnglishElsewhere)
{
    // Japanese (Japan), and the bare primary language; English (US), German,
    // Chinese (PRC).
    for (uint16_t japanese : {0x0411, 0x0011})
        EXPECT_EQ(&TextsForLanguage(japanese), &kJapaneseTexts) << std::hex << japanese;
    for (uint16_t other : {0x0409, 0x0407, 0x0804})
        EXPECT_EQ(&TextsForLanguage(other), &kEnglishTexts) << std::hex << other;

    const UserTextTable& ja = kJapaneseTexts;
    std::string shown;
    for (const char* text :
         {ja.musicTitle, ja.musicOptions[0], ja.musicOptions[1], ja.musicOptions[2], ja.repeatTrack, ja.keepResolution,
          ja.set, ja.cancel, ja.chooserTitle, ja.chooserFilterName, ja.rendererMissing})
        shown += std::string(text) + "|";
    EXPECT_EQ(shown,
              "BGM|なし|音楽CD|MP3、WAV|曲目をﾘﾋﾟｰﾄ|解像度を変更しない|設定|ｷｬﾝｾﾙ|ﾌｧｲﾙを開く|BGMﾌｧｲﾙ (MP3 WAV)|"
              "Brinefold.dll が同じﾌｫﾙﾀﾞに見つかりません！|");
}
