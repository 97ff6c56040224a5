// Brinefold_BGM's command sequencing against a recording fake with scripted replies.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/music/bgm.h"
#include "launcher/runtime/runtime.h"
#include "launcher/settings/settings.h"

namespace {

struct Sent {
    std::string command;
    uint32_t bufferSize;
    bool operator==(const Sent&) const = default;
};

struct Reply {
    int32_t code;
    std::string text;
};

// Records every MCI string with its buffer size; commands without a scripted
// reply succeed with an empty reply.
struct FakeMultimedia {
    std::vector<Sent> sent;
    std::map<std::string, Reply> replies;
    std::map<int32_t, std::string> errorTexts;
    std::vector<uint32_t> errorBufferSizes;
    uint32_t devices = 2;
    int32_t playSoundResult = 1;
    std::vector<std::pair<std::string, uint32_t>> sounds;  // "<none>" for no name
    bool throwOnSend = false;

    BgmPlatform Platform()
    {
        BgmPlatform p;
        p.mciSend = [this](const std::string& command, uint32_t size, std::string& reply) {
            if (throwOnSend)
                throw std::runtime_error("platform failure");
            sent.push_back({command, size});
            const auto it = replies.find(command);
            if (it == replies.end()) {
                reply.clear();
                return int32_t{0};
            }
            reply = it->second.text;
            return it->second.code;
        };
        p.mciErrorText = [this](int32_t code, uint32_t size, std::string& text) {
            errorBufferSizes.push_back(size);
            const auto it = errorTexts.find(code);
            if (it == errorTexts.end())
                return false;
            text = it->second;
            return true;
        };
        p.waveOutDevices = [this] { return devices; };
        p.playSound = [this](const char* name, uint32_t flags) {
            sounds.emplace_back(name ? name : "<none>", flags);
            return playSoundResult;
        };
        return p;
    }

    std::vector<std::string> Commands() const
    {
        std::vector<std::string> out;
        for (const Sent& s : sent)
            out.push_back(s.command);
        return out;
    }
};

class Music : public ::testing::Test {
protected:
    void SetUp() override
    {
        BgmUsePlatform(fake.Platform());
        BgmFile.clear();
        BgmRepeatTrack = 0;
        LastResult = 0;
        CdPollActive = false;
    }
    void Disc(const std::string& current, const std::string& mode)
    {
        fake.replies["status cdaudio current track"] = {0, current};
        fake.replies["status cdaudio number of tracks"] = {0, "12"};
        fake.replies["status cdaudio mode"] = {0, mode};
    }
    FakeMultimedia fake;
};

const Sent kCurrent{"status cdaudio current track", 512};
const Sent kCount{"status cdaudio number of tracks", 512};
const Sent kMode{"status cdaudio mode", 255};

TEST_F(Music, MciCommandRepliesAndErrorTexts)
{
    fake.replies["status x"] = {0, "ready"};
    MciResult r = MciCommand("status x");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.text, "ready");
    EXPECT_EQ(fake.sent, (std::vector<Sent>{{"status x", 512}}));

    fake.replies["bad"] = {277, "ignored reply"};
    fake.errorTexts[277] = "internal error";
    r = MciCommand("bad");
    EXPECT_EQ(r.code, 277);
    EXPECT_EQ(r.text, "internal error");
    EXPECT_EQ(LastResult, 277);

    fake.replies["worse"] = {999, ""};
    r = MciCommand("worse");
    EXPECT_EQ(r.text, "Error (文字列が取れません)");
    EXPECT_EQ(fake.errorBufferSizes, (std::vector<uint32_t>{256, 256}));
}

TEST_F(Music, EmptyCommandIsNotSent)
{
    LastResult = 42;
    const MciResult r = MciCommand("");
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.text, "コマンド文字列が指定されていません");
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(LastResult, 42);  // nothing was called
    EXPECT_EQ(MciQuery(""), "Error:-1");
    EXPECT_EQ(LastResult, -1);  // the query stores the code itself
}

TEST_F(Music, MciQueryGivesCodeNeverErrorText)
{
    fake.replies["status cdaudio mode"] = {263, ""};
    fake.errorTexts[263] = "The specified device is not open";
    EXPECT_EQ(MciQuery("status cdaudio mode"), "Error:263");
    EXPECT_EQ(LastResult, 263);
    fake.replies["status cdaudio mode"] = {0, "playing"};
    EXPECT_EQ(MciQuery("status cdaudio mode"), "playing");
    EXPECT_EQ(LastResult, 0);
}

TEST_F(Music, MciPlayBuildsOptionalParts)
{
    fake.replies["play cdaudio from 2 to 3"] = {282, ""};
    MciPlay("cdaudio", "", "");
    MciPlay("cdaudio", "2", "");
    MciPlay("cdaudio", "", "3");
    EXPECT_EQ(MciPlay("cdaudio", "2", "3"), 282);
    EXPECT_EQ(fake.Commands(), (std::vector<std::string>{"play cdaudio", "play cdaudio from 2", "play cdaudio to 3",
                                                         "play cdaudio from 2 to 3"}));
}

TEST_F(Music, CdOpenAndStopSendWithoutBuffers)
{
    fake.replies["set cdaudio time format tmsf"] = {266, ""};
    CdOpen();
    EXPECT_EQ(LastResult, 266);
    fake.replies["close cdaudio"] = {263, ""};
    CdStop();
    EXPECT_EQ(LastResult, 263);
    EXPECT_EQ(
        fake.sent,
        (std::vector<Sent>{
            {"open cdaudio", 0}, {"set cdaudio time format tmsf", 0}, {"stop cdaudio", 0}, {"close cdaudio", 0}}));
}

TEST_F(Music, WholeDiscRestartsOnlyWhenStopped)
{
    Disc("4", "playing");
    CdPoll();
    EXPECT_TRUE(CdPollActive);
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent, kCount, kMode}));

    fake.sent.clear();
    fake.replies["status cdaudio mode"] = {0, "stopped"};
    CdPoll();
    EXPECT_TRUE(CdPollActive);
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent, kCount, kMode, {"play cdaudio", 512}}));
}

TEST_F(Music, ChosenTrackIsRestartedWhenTheNextOneStarts)
{
    BgmRepeatTrack = 3;
    fake.replies["status cdaudio position track 3"] = {0, "03:00:00:00"};
    Disc("03", "playing");
    CdPoll();
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent, kCount, kMode}));

    fake.sent.clear();
    Disc("4", "playing");
    CdPoll();
    EXPECT_TRUE(CdPollActive);
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent,
                                            kCount,
                                            kMode,
                                            {"status cdaudio position track 3", 512},
                                            {"play cdaudio from 03:00:00:00", 512}}));

    // Stopped on the chosen track itself: started again too.
    fake.sent.clear();
    Disc("3", "stopped");
    CdPoll();
    EXPECT_EQ(fake.Commands().back(), "play cdaudio from 03:00:00:00");
}

TEST_F(Music, TrackBeyondTheDiscKeepsTrying)
{
    BgmRepeatTrack = 40;
    Disc("1", "stopped");
    fake.replies["status cdaudio position track 40"] = {274, ""};
    fake.replies["play cdaudio from Error:274"] = {274, ""};
    for (int check = 0; check < 2; ++check) {
        fake.sent.clear();
        CdPoll();
        EXPECT_TRUE(CdPollActive);
        EXPECT_EQ(fake.Commands(),
                  (std::vector<std::string>{kCurrent.command, kCount.command, kMode.command,
                                            "status cdaudio position track 40", "play cdaudio from Error:274"}));
    }
    EXPECT_EQ(LastResult, 274);
}

TEST_F(Music, NonNumericTrackEndsChecksEvenWhenStopped)
{
    BgmRepeatTrack = 2;
    Disc("two", "stopped");
    CdPoll();
    EXPECT_FALSE(CdPollActive);
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent, kCount, kMode}));

    // Empty, hex-looking or partly numeric replies are no numbers either.
    for (const char* reply : {"", " ", "2a", "0x2", "inf", "-"}) {
        Disc(reply, "playing");
        CdPoll();
        EXPECT_FALSE(CdPollActive) << '"' << reply << '"';
    }
    // Blanks around a number are fine.
    Disc(" 2 ", "playing");
    CdPoll();
    EXPECT_TRUE(CdPollActive);

    // With the whole disc the track is never read as a number.
    BgmRepeatTrack = 0;
    Disc("two", "stopped");
    CdPoll();
    EXPECT_TRUE(CdPollActive);
    EXPECT_EQ(fake.Commands().back(), "play cdaudio");
}

TEST_F(Music, ErrorRepliesInAnyCaseEndChecks)
{
    // No drive: the first query fails and nothing more is sent.
    fake.replies["status cdaudio current track"] = {266, ""};
    fake.errorTexts[266] = "no driver";
    CdPoll();
    EXPECT_FALSE(CdPollActive);
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent}));

    for (const char* reply : {"error", "Err", "xERRx"}) {
        fake.sent.clear();
        Disc(reply, "stopped");
        CdPoll();
        EXPECT_FALSE(CdPollActive) << reply;
        EXPECT_EQ(fake.sent.size(), 1u) << reply;
    }

    fake.sent.clear();
    Disc("1", "stopped");
    fake.replies["status cdaudio number of tracks"] = {0, "err"};
    CdPoll();
    EXPECT_FALSE(CdPollActive);
    EXPECT_EQ(fake.sent, (std::vector<Sent>{kCurrent, kCount}));
}

TEST_F(Music, PlatformFailureEndsChecks)
{
    fake.throwOnSend = true;
    CdPollActive = true;
    EXPECT_NO_THROW(CdPoll());
    EXPECT_FALSE(CdPollActive);
}

TEST_F(Music, CdModeCodeGoesToLastResult)
{
    Disc("1", "playing");
    fake.replies["status cdaudio mode"] = {0, "playing"};
    fake.replies["status cdaudio number of tracks"] = {0, "9"};
    LastResult = 7;
    CdPoll();
    EXPECT_EQ(LastResult, 0);
    fake.replies["status cdaudio mode"] = {276, ""};
    CdPoll();
    EXPECT_EQ(LastResult, 276);
}

TEST_F(Music, Mp3PathWithSpacesIsQuoted)
{
    BgmFile = R"(C:\My Music\rain song.mp3)";
    LastResult = 5;
    Mp3Play();
    EXPECT_EQ(fake.sent, (std::vector<Sent>{{R"(open "C:\My Music\rain song.mp3" type MPEGVideo Alias MP3Play)", 0},
                                            {"play MP3Play", 0}}));
    EXPECT_EQ(LastResult, 5);
}

TEST_F(Music, FailedMp3OpenIsNotPlayed)
{
    BgmFile = R"(C:\gone.mp3)";
    fake.replies[R"(open "C:\gone.mp3" type MPEGVideo Alias MP3Play)"] = {277, ""};
    LastResult = 5;
    Mp3Play();
    EXPECT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(LastResult, 5);
}

TEST_F(Music, Mp3PollRestartsFromTheStartWhenNotPlaying)
{
    LastResult = 5;
    fake.replies["status MP3Play mode"] = {0, "playing"};
    EXPECT_TRUE(Mp3IsPlaying());
    Mp3Poll();
    EXPECT_EQ(fake.sent, (std::vector<Sent>{{"status MP3Play mode", 30}, {"status MP3Play mode", 30}}));

    for (const Reply& mode : {Reply{0, "stopped"}, Reply{0, "paused"}, Reply{281, ""}}) {
        fake.sent.clear();
        fake.replies["status MP3Play mode"] = mode;
        Mp3Poll();
        EXPECT_EQ(fake.sent,
                  (std::vector<Sent>{{"status MP3Play mode", 30}, {"stop MP3Play", 0}, {"play MP3Play from 0", 0}}))
            << mode.text;
    }
    fake.sent.clear();
    Mp3Stop();
    EXPECT_EQ(fake.sent, (std::vector<Sent>{{"stop MP3Play", 0}, {"close MP3Play", 0}}));
    EXPECT_EQ(LastResult, 5);
}

TEST_F(Music, WavLoopsOnlyWithAnOutputDevice)
{
    BgmFile = R"(C:\My Music\waves.wav)";
    fake.devices = 0;
    LastResult = 5;
    WavPlay();
    EXPECT_TRUE(fake.sounds.empty());
    EXPECT_EQ(LastResult, 5);

    fake.devices = 1;
    WavPlay();
    fake.playSoundResult = 0;
    WavStop();
    EXPECT_EQ(fake.sounds, (std::vector<std::pair<std::string, uint32_t>>{
                               {R"(C:\My Music\waves.wav)", 0x0001 | 0x0002 | 0x0008}, {"<none>", 0}}));
    EXPECT_EQ(LastResult, 0);
    EXPECT_TRUE(fake.sent.empty());
}

}  // namespace
