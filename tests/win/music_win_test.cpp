// Brinefold_BGM on the real winmm calls, on a machine without a CD drive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/music/bgm.h"
#include "launcher/music/bgm_win.h"
#include "launcher/runtime/runtime.h"
#include "launcher/settings/settings.h"

namespace {

// The real calls, with the MCI commands remembered as they go out.
class MusicOnWinmm : public ::testing::Test {
protected:
    void SetUp() override
    {
        BgmPlatform real = BgmWinmm();
        BgmPlatform p = real;
        p.mciSend = [this, real](const std::string& command, uint32_t size, std::string& reply) {
            sent.push_back(command);
            return real.mciSend(command, size, reply);
        };
        BgmUsePlatform(p);
        BgmRepeatTrack = 0;
    }
    std::vector<std::string> sent;
};

TEST_F(MusicOnWinmm, NoCdDriveSwitchesTheCheckOff)
{
    CdOpen();
    EXPECT_NE(LastResult, 0);  // no drive: the open is refused
    for (int16_t track : {int16_t{0}, int16_t{3}}) {
        BgmRepeatTrack = track;
        sent.clear();
        CdPoll();
        EXPECT_FALSE(CdPollActive);
        EXPECT_EQ(sent, std::vector<std::string>{"status cdaudio current track"});
    }
}

TEST_F(MusicOnWinmm, ErrorsComeBackAsCodesAndTexts)
{
    const MciResult r = MciCommand("status NoSuchAlias mode");
    ASSERT_NE(r.code, 0);
    EXPECT_FALSE(r.text.empty());
    EXPECT_NE(r.text, "Error (文字列が取れません)");  // the platform has a text for it
    EXPECT_EQ(MciQuery("status NoSuchAlias mode"), "Error:" + std::to_string(r.code));
    EXPECT_EQ(LastResult, r.code);
}

TEST_F(MusicOnWinmm, MissingMp3IsNotPlayedAndChecksFailQuietly)
{
    BgmFile = R"(C:\no such folder\no such file.mp3)";
    Mp3Play();
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_FALSE(Mp3IsPlaying());
    Mp3Poll();
    Mp3Stop();
    EXPECT_EQ(sent.back(), "close MP3Play");
}

}  // namespace
