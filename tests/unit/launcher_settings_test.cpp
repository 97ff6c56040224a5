// Loading the in-memory settings from the settings file's texts.
#include "launcher/settings/settings.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <set>

namespace {

// A settings file as the profile calls would read it, and the files on disk.
struct FakeDisk {
    std::map<std::string, std::string> keys;
    std::set<std::string> files;
    std::vector<std::string> asked;

    void Load(const std::string& folder = "C:\\Savers", bool machineWide = false)
    {
        LoadSettingsWith(
            [&](const char* key) {
                asked.push_back(key);
                auto it = keys.find(key);
                return it == keys.end() ? std::string() : it->second;
            },
            [&](const std::string& path) { return files.count(path) > 0; }, folder, machineWide);
    }
};

class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BgmKind = MusicKind::None;
        BgmRepeatTrack = 0;
        BgmFile.clear();
        BgmFolder.clear();
        KeepResolution = false;
    }
    FakeDisk disk;
};

// The key names as a Japanese system writes them: the code page 932 bytes of
// the names, converted here by the C library rather than copied from the code.
std::string CodePage932(const std::string& utf8)
{
    iconv_t convert = iconv_open("CP932", "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1))
        return "(no CP932 conversion)";
    std::string in = utf8;
    std::string out(in.size() * 2, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t fromLeft = in.size(), toLeft = out.size();
    const size_t done = iconv(convert, &from, &fromLeft, &to, &toLeft);
    iconv_close(convert);
    if (done == static_cast<size_t>(-1))
        return "(not convertible)";
    out.resize(out.size() - toLeft);
    return out;
}

}  // namespace

TEST(SettingsKeys, ExactShiftJisBytes)
{
    EXPECT_EQ(std::string(kKeyBgmKind), CodePage932("BGM区分"));
    EXPECT_EQ(std::string(kKeyBgmRepeatTrack), CodePage932("BGMﾘﾋﾟｰﾄ"));
    EXPECT_EQ(std::string(kKeyBgmFile), CodePage932("BGMﾌｧｲﾙ"));
    EXPECT_EQ(SettingsFilePath("C:\\Savers"), "C:\\Savers\\Brinefold.ini");
    EXPECT_EQ(SettingsFilePath("C:\\"), "C:\\Brinefold.ini");
}

TEST(ReadSettingNumber, FloorOfTheNumberOrTheOldValue)
{
    struct Case {
        const char* text;
        int16_t before, after;
    } cases[] = {
        {" 2", 9, 2},    {"2.9", 9, 2},         {"-0.5", 9, -1},    {"", 9, 0},
        {" 30 ", 9, 30}, {"abc", 9, 9},         {"2x", 9, 9},       {"32767.9", 9, 32767},
        {"32768", 9, 9}, {"-32768", 9, -32768}, {"-32768.5", 9, 9}, {"1e999", 9, 9},
    };
    for (const Case& c : cases) {
        int16_t value = c.before;
        try {
            ReadSettingNumber(c.text, value);
        } catch (...) {
        }
        EXPECT_EQ(value, c.after) << '"' << c.text << '"';
    }
}

TEST_F(LoadSettingsTest, ReadsTheKeysInOrder)
{
    disk.keys = {{kKeyBgmKind, " 2"},
                 {kKeyBgmRepeatTrack, " 5"},
                 {kKeyBgmFile, "D:\\Music\\rain.mp3"},
                 {kKeyKeepResolution, " 1"}};
    disk.files = {"D:\\Music\\rain.mp3"};
    disk.Load();
    EXPECT_EQ(BgmKind, MusicKind::File);
    EXPECT_EQ(BgmRepeatTrack, 5);
    EXPECT_EQ(BgmFile, "D:\\Music\\rain.mp3");
    EXPECT_EQ(BgmFolder, "D:\\Music");
    EXPECT_TRUE(KeepResolution);
    EXPECT_EQ(disk.asked, (std::vector<std::string>{kKeyBgmKind, kKeyBgmRepeatTrack, kKeyBgmFile, kKeyKeepResolution}));
}

TEST_F(LoadSettingsTest, NoFileGivesDefaultsAndTheLauncherFolder)
{
    disk.Load("C:\\Savers");
    EXPECT_EQ(BgmKind, MusicKind::None);
    EXPECT_EQ(BgmRepeatTrack, 0);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, "C:\\Savers");
}

TEST_F(LoadSettingsTest, KindTwoNeedsAFileThatExists)
{
    disk.keys = {{kKeyBgmKind, " 2"}, {kKeyBgmFile, ""}};
    disk.Load();
    EXPECT_EQ(BgmKind, MusicKind::None);

    disk.keys = {{kKeyBgmKind, " 2"}, {kKeyBgmFile, "D:\\gone.wav"}};
    disk.Load();
    EXPECT_EQ(BgmKind, MusicKind::None);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, "C:\\Savers");
}

// A share or a device named by the machine's default file is never opened: a
// file there would send the user's network credentials to whoever planted
// it, a device (C:\music\COM1.mp3) would be opened as one. The user's own
// file may name one.
TEST_F(LoadSettingsTest, TheMachineWideFileNamesNoShareOrDevice)
{
    const struct {
        const char* path;
        bool remote;
    } cases[] = {
        {"\\\\attacker.example\\share\\song.mp3", true},
        {"//attacker.example/share/song.mp3", true},
        {"\\/attacker.example\\share\\song.mp3", true},
        {"\\\\.\\pipe\\song.mp3", true},
        {"\\\\?\\UNC\\attacker.example\\share\\song.mp3", true},
        {"\\\\?\\C:\\Music\\song.mp3", true},
        {"\\??\\UNC\\attacker.example\\share\\song.mp3", true},
        {"C:\\music\\COM1.mp3", true},
        {"NUL.mp3", true},
        {"C:/music/lpt9", true},
        {"C:\\music\\aux .mid.mp3", true},
        {"C:con.wav", true},
        {"C:\\Music\\song.mp3", false},
        {"\\Music\\song.mp3", false},
        {"C:\\music\\COM10.mp3", false},
        {"C:\\music\\LPT0.mp3", false},
        {"C:\\music\\console.mp3", false},
        {"C:\\NUL\\song.mp3", false},
    };
    for (const auto& c : cases) {
        for (bool machineWide : {true, false}) {
            SetUp();
            disk.keys = {{kKeyBgmKind, " 2"}, {kKeyBgmFile, c.path}};
            disk.files = {c.path};
            disk.Load("C:\\Savers", machineWide);
            const bool refused = machineWide && c.remote;
            EXPECT_EQ(BgmFile, refused ? "" : c.path) << c.path << (machineWide ? " machine-wide" : " own");
            EXPECT_EQ(BgmKind, refused ? MusicKind::None : MusicKind::File) << c.path;
        }
    }
}

TEST_F(LoadSettingsTest, OtherKindsKeepTheirValueWithoutAFile)
{
    disk.keys = {{kKeyBgmKind, " 1"}, {kKeyBgmRepeatTrack, " 3"}};
    disk.Load();
    EXPECT_EQ(BgmKind, MusicKind::Cd);
    EXPECT_EQ(BgmRepeatTrack, 3);

    // A missing file is forgotten for this run whatever the kind.
    disk.keys = {{kKeyBgmKind, " 7"}, {kKeyBgmFile, "D:\\gone.wav"}};
    disk.Load();
    EXPECT_EQ(BgmKind, static_cast<MusicKind>(7));  // a hand-edited kind is kept
    EXPECT_EQ(BgmFile, "");
}

TEST_F(LoadSettingsTest, ABadNumberKeepsTheValueAndTheRestStillLoads)
{
    BgmKind = MusicKind::Cd;
    KeepResolution = true;  // a bad value is off, not the value before
    disk.keys = {{kKeyBgmKind, "none"}, {kKeyBgmRepeatTrack, "99999"}, {kKeyBgmFile, "E:\\a.wav"}};
    disk.files = {"E:\\a.wav"};
    disk.Load();
    EXPECT_EQ(BgmKind, MusicKind::Cd);
    EXPECT_EQ(BgmRepeatTrack, 0);
    EXPECT_EQ(BgmFile, "E:\\a.wav");
    EXPECT_EQ(BgmFolder, "E:");
    EXPECT_FALSE(KeepResolution);  // missing

    for (const char* off : {"", " 0", "yes", "0.5", "99999"}) {
        KeepResolution = true;
        disk.keys = {{kKeyKeepResolution, off}};
        disk.Load();
        EXPECT_FALSE(KeepResolution) << '"' << off << '"';
    }
    for (const char* on : {" 2", "-1"}) {  // any number but 0
        disk.keys = {{kKeyKeepResolution, on}};
        disk.Load();
        EXPECT_TRUE(KeepResolution) << '"' << on << '"';
    }
}
