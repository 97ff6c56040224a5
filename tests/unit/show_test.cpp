// The show form's decisions (the renderer's arguments, music by kind and file
// type, the music timers, what the end stops) against a recording multimedia
// fake, and the snapshot file's bytes read back by the renderer's own bitmap
// decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "launcher/music/bgm.h"
#include "common/snapshot_file.h"
#include "launcher/show/show.h"
#include "launcher/settings/settings.h"
#include "renderer/snapshot_decode.h"

namespace {

// Every MCI string and sound-player call, in order; MCI commands succeed
// unless listed in `failing`, with the reply given in `replies` (else none).
struct Recorder {
    std::vector<std::string> calls;
    std::vector<std::string> failing;
    std::map<std::string, std::string> replies;

    BgmPlatform Platform()
    {
        BgmPlatform p;
        p.mciSend = [this](const std::string& command, uint32_t, std::string& reply) {
            calls.push_back(command);
            reply.clear();
            for (const std::string& f : failing)
                if (command == f)
                    return int32_t{266};
            if (auto it = replies.find(command); it != replies.end())
                reply = it->second;
            return int32_t{0};
        };
        p.waveOutDevices = [] { return uint32_t{2}; };
        p.playSound = [this](const char* name, uint32_t flags) {
            calls.push_back(std::string("sound ") + (name ? name : "<none>") + " " + std::to_string(flags));
            return int32_t{1};
        };
        return p;
    }
};

class ShowMusic : public ::testing::Test {
protected:
    void SetUp() override
    {
        BgmUsePlatform(recorder.Platform());
        BgmKind = MusicKind::None;
        BgmFile.clear();
        BgmRepeatTrack = 0;
    }
    void TearDown() override
    {
        BgmUsePlatform(BgmPlatform{});
    }

    Recorder recorder;
    ShowTimers timers;
};

using Calls = std::vector<std::string>;

const std::string kLoop = "11";  // SND_ASYNC | SND_NODEFAULT | SND_LOOP

TEST(RendererArguments, ThePictureQuotedThenTheSwitchWhenChosen)
{
    const std::wstring picture = L"C:\\Users\\Ann Lee\\AppData\\Local\\Brinefold\\Brinefold.bmp";
    EXPECT_EQ(RendererArguments(picture, false), L"\"" + picture + L"\"");
    EXPECT_EQ(RendererArguments(picture, true), L"\"" + picture + L"\" /keepresolution");
}

TEST(MusicFileType, LastThreeCharactersUpperCased)
{
    EXPECT_EQ(MusicFileType("C:\\music\\song.mp3"), "MP3");
    EXPECT_EQ(MusicFileType("C:\\music\\song.Mp3"), "MP3");
    EXPECT_EQ(MusicFileType("C:\\music\\rain.WaV"), "WAV");
    EXPECT_EQ(MusicFileType("C:\\music\\nodotmp3"), "MP3");   // no dot needed
    EXPECT_EQ(MusicFileType("C:\\music\\song.mp3 "), "P3 ");  // nothing is trimmed
    EXPECT_EQ(MusicFileType("C:\\music\\song.wma"), "WMA");
    EXPECT_EQ(MusicFileType("ab"), "AB");
    EXPECT_EQ(MusicFileType(""), "");
}

TEST_F(ShowMusic, NoMusicForKindsOtherThanOneAndTwo)
{
    BgmFile = "C:\\music\\song.mp3";
    for (int16_t kind : {0, 3, -1, 2000}) {
        BgmKind = static_cast<MusicKind>(kind);
        ShowTimers t;
        StartShowMusic(t);
        EXPECT_FALSE(t.timer1) << kind;
        EXPECT_FALSE(t.timer2) << kind;
        StopShowMusic(t);
    }
    EXPECT_EQ(recorder.calls, Calls{});
}

TEST_F(ShowMusic, CdOpensAtLoadAndPlaysFromTheFirstCheck)
{
    BgmKind = MusicKind::Cd;
    StartShowMusic(timers);
    EXPECT_EQ(recorder.calls, (Calls{"open cdaudio", "set cdaudio time format tmsf"}));
    EXPECT_TRUE(timers.timer2);
    EXPECT_FALSE(timers.timer1);

    // A disc that is not playing yet: the first check starts it.
    recorder.replies = {{"status cdaudio current track", "1"},
                        {"status cdaudio number of tracks", "9"},
                        {"status cdaudio mode", "stopped"}};
    recorder.calls.clear();
    CdCheck(timers);
    EXPECT_TRUE(timers.timer2);
    EXPECT_EQ(recorder.calls, (Calls{"status cdaudio current track", "status cdaudio number of tracks",
                                     "status cdaudio mode", "play cdaudio"}));

    // While the check runs, the end stops and closes the device.
    recorder.calls.clear();
    StopShowMusic(timers);
    EXPECT_EQ(recorder.calls, (Calls{"stop cdaudio", "close cdaudio"}));
    EXPECT_FALSE(timers.timer2);
}

TEST_F(ShowMusic, ACdCheckThatMeetsAnErrorSwitchesItselfOffAndNothingIsSentAtTheEnd)
{
    // No drive: every cdaudio command fails.
    recorder.failing = {"open cdaudio", "set cdaudio time format tmsf", "status cdaudio current track"};
    BgmKind = MusicKind::Cd;
    StartShowMusic(timers);
    EXPECT_TRUE(timers.timer2);  // the open's failure is not looked at
    CdCheck(timers);
    EXPECT_FALSE(timers.timer2);

    recorder.calls.clear();
    StopShowMusic(timers);
    EXPECT_EQ(recorder.calls, Calls{});
}

TEST_F(ShowMusic, WavLoopsAndStopsWithoutTimers)
{
    BgmKind = MusicKind::File;
    BgmFile = "C:\\music\\rain.Wav";
    StartShowMusic(timers);
    EXPECT_EQ(recorder.calls, (Calls{"sound C:\\music\\rain.Wav " + kLoop}));
    EXPECT_FALSE(timers.timer1);
    EXPECT_FALSE(timers.timer2);

    recorder.calls.clear();
    StopShowMusic(timers);
    EXPECT_EQ(recorder.calls, (Calls{"sound <none> 0"}));
}

TEST_F(ShowMusic, Mp3PlaysWithTheRepeatCheckAndStopsAtTheEnd)
{
    BgmKind = MusicKind::File;
    BgmFile = "C:\\my music\\song.mP3";
    StartShowMusic(timers);
    EXPECT_EQ(recorder.calls, (Calls{"open \"C:\\my music\\song.mP3\" type MPEGVideo Alias MP3Play", "play MP3Play"}));
    EXPECT_TRUE(timers.timer1);
    EXPECT_FALSE(timers.timer2);

    recorder.calls.clear();
    Mp3Check();  // the fake never reports "playing": the check restarts the file
    EXPECT_EQ(recorder.calls, (Calls{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));

    recorder.calls.clear();
    StopShowMusic(timers);
    EXPECT_EQ(recorder.calls, (Calls{"stop MP3Play", "close MP3Play"}));
    EXPECT_FALSE(timers.timer1);
}

TEST_F(ShowMusic, OtherFileTypesPlayNothing)
{
    BgmKind = MusicKind::File;
    for (const char* file : {"C:\\music\\song.ogg", "C:\\music\\song.mp3.bak", "C:\\music\\song.wa", ""}) {
        BgmFile = file;
        ShowTimers t;
        StartShowMusic(t);
        EXPECT_FALSE(t.timer1) << file;
        StopShowMusic(t);
    }
    EXPECT_EQ(recorder.calls, Calls{});
}

// The snapshot as the show writes it: header, then the DIB section's rows.
std::vector<uint8_t> SnapshotFile(int32_t width, int32_t height, const std::vector<uint8_t>& bits)
{
    std::vector<uint8_t> file = SnapshotFileHeader(width, height);
    file.insert(file.end(), bits.begin(), bits.end());
    return file;
}

TEST(SnapshotFile, TheRenderersReaderTakesItPixelForPixel)
{
    // 3 x 2: rows of 9 bytes padded to 12, bottom row first, blue-green-red.
    const int32_t w = 3, h = 2;
    ASSERT_EQ(SnapshotRowBytes(w), 12u);
    std::vector<uint8_t> bits(SnapshotRowBytes(w) * h, 0xEE);  // padding is never read
    const uint8_t bottom[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const uint8_t top[3][3] = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    for (int x = 0; x < w; ++x) {
        std::memcpy(&bits[x * 3], bottom[x], 3);
        std::memcpy(&bits[12 + x * 3], top[x], 3);
    }
    const std::vector<uint8_t> file = SnapshotFile(w, h, bits);
    ASSERT_EQ(file.size(), kSnapshotHeaderBytes + 24);
    uint32_t storedSize = 0;
    std::memcpy(&storedSize, &file[2], 4);
    EXPECT_EQ(storedSize, file.size());

    DibLayout layout;
    ASSERT_EQ(ParseDib(file.data(), file.size(), &layout), DibStatus::Ok);
    EXPECT_EQ(layout.width, w);
    EXPECT_EQ(layout.rows, h);
    EXPECT_FALSE(layout.topDown);
    EXPECT_EQ(layout.bitCount, 24);
    std::vector<uint8_t> rgb(DibOutputBytes(layout));
    ASSERT_EQ(DecodeDib(layout, rgb.data()), DibStatus::Ok);
    // Red-green-blue, bottom row first.
    EXPECT_EQ(rgb, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 30, 20, 10, 60, 50, 40, 90, 80, 70}));
}

TEST(SnapshotFile, ScreenSizesAndImpossibleOnes)
{
    for (auto [w, h] : {std::pair{1024, 768}, {1366, 768}, {1920, 1080}, {3840, 2160}, {1, 1}}) {
        const std::vector<uint8_t> header = SnapshotFileHeader(w, h);
        ASSERT_EQ(header.size(), kSnapshotHeaderBytes);
        const std::vector<uint8_t> bits(SnapshotRowBytes(w) * h);
        const std::vector<uint8_t> file = SnapshotFile(w, h, bits);
        DibLayout layout;
        EXPECT_EQ(ParseDib(file.data(), file.size(), &layout), DibStatus::Ok) << w << "x" << h;
        EXPECT_EQ(layout.width, w);
        EXPECT_EQ(layout.rows, h);
    }
    EXPECT_EQ(SnapshotRowBytes(1366), 4100u);  // 4098 bytes padded to a multiple of 4
    EXPECT_TRUE(SnapshotFileHeader(0, 768).empty());
    EXPECT_TRUE(SnapshotFileHeader(1024, -768).empty());
    EXPECT_TRUE(SnapshotFileHeader(40000, 40000).empty());  // more than a 32-bit file size
}

}  // namespace
