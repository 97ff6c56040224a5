// The settings dialog's portable side: the pictures it computes (gradient,
// strip tiling, placement), its layout at other DPIs, the music choice and
// saving.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "launcher/dialog/settings_dialog.h"
#include "launcher/settings/settings.h"

namespace {

TEST(DialogGradient, RunsDarkBlueLightBlueGreyDarkBlueOverTheDialogsHeight)
{
    const double h = kDialogClientHeight;
    EXPECT_EQ(GradientColour(0, h), (Rgb{0, 0, 30}));
    EXPECT_EQ(GradientColour(135, h), (Rgb{220, 220, 250}));
    EXPECT_EQ(GradientColour(270, h), (Rgb{0, 0, 30}));  // sin(3.142) is just above 0
    // Rounded to the nearest, not cut: 2.56 -> 3, 98.75 -> 99, 210.77 -> 211.
    EXPECT_EQ(GradientLevel(1, h), 3);
    EXPECT_EQ(GradientLevel(40, h), 99);
    EXPECT_EQ(GradientLevel(110, h), 211);
    EXPECT_EQ(GradientLevel(200, h), 160);  // behind the check box's text: dark enough for black
    EXPECT_EQ(GradientLevel(232, h), 94);   // behind the link label: light enough for white
    // At 150% (270 x 1.5 = 405 lines) the same picture, stretched: the middle
    // line is the lightest.
    EXPECT_EQ(GradientLevel(202, 405), 220);
    // Lines 0 to H inclusive, H rounded half to even.
    EXPECT_EQ(GradientLastLine(246), 246);
    EXPECT_EQ(GradientLastLine(246.5), 246);
    EXPECT_EQ(GradientLastLine(247.5), 248);
}

TEST(DialogTiling, CopiesDownEachColumnOnePastTheBottomThenAcross)
{
    // The panel's inner area at 100%, the strip at its own size.
    const int w = kPicC.width - 2 * kPicCBorder, h = kPicC.height - 2 * kPicCBorder;
    auto copies = TilePositions(w, h, kStripWidth, kStripHeight);
    ASSERT_EQ(copies.size(), 20u);  // two columns of 10: y = 0, 20, ..., 180
    for (size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].x, i < 10 ? 0 : kStripWidth) << i;
        EXPECT_EQ(copies[i].y, static_cast<int>(i % 10) * kStripHeight) << i;
    }
    // A copy starting exactly on the bottom edge is not yet "below" it.
    auto exact = TilePositions(100, 40, 100, 20);
    std::vector<TilePoint> expected = {{0, 0},    {0, 20},   {0, 40},  {0, 60},   {100, 0},  {100, 20},
                                       {100, 40}, {100, 60}, {200, 0}, {200, 20}, {200, 40}, {200, 60}};
    EXPECT_EQ(exact, expected);
}

TEST(DialogTiling, AStripWithoutSizeGivesNoCopiesInsteadOfNeverEnding)
{
    EXPECT_TRUE(TilePositions(467, 163, 0, 20).empty());
    EXPECT_TRUE(TilePositions(467, 163, 556, 0).empty());
    EXPECT_TRUE(TilePositions(467, 163, -1, 20).empty());
    EXPECT_EQ(TilePositions(0, 0, 556, 20).size(), 4u);  // an empty panel still ends
}

TEST(DialogPlacement, CentresAcrossAndPutsAThirdOfTheFreeHeightAbove)
{
    // Twips: (1024 - 500) * 15 \ 2 = 3930 -> 262; (768 - 271) * 15 \ 3 = 2485 -> 165.67 -> 166.
    EXPECT_EQ(DialogPlacement(1024, 768, 500, 271), (DialogPlace{262, 166}));
    // An odd free width: 7875 \ 2 = 3937 twips = 262.47 pixels.
    EXPECT_EQ(DialogPlacement(1025, 768, 500, 271).left, 262);
    EXPECT_EQ(DialogPlacement(1920, 1080, 747, 401), (DialogPlace{586, 226}));
    // A dialog larger than the screen: "\" cuts towards zero, so one pixel
    // too wide stays at 0 (-15 \ 2 = -7 twips), not -1.
    EXPECT_EQ(DialogPlacement(499, 270, 500, 271), (DialogPlace{0, 0}));
    EXPECT_EQ(DialogPlacement(400, 200, 500, 271), (DialogPlace{-50, -24}));
}

TEST(DialogLayout, ScalesByEdgesSoThatControlsKeepTheirProportions)
{
    for (const DialogRect& r : {kPicC, kLblFname, kCmdSet, kCmdCan, kBgmRepeat, kImgBgm[1], kLblUrl})
        EXPECT_EQ(ScaleToDpi(r, 96), r);
    EXPECT_EQ(ScaleToDpi(kPicC, 144), (DialogRect{18, 24, 704, 248}));
    EXPECT_EQ(ScaleToDpi(kCmdSet, 192), (DialogRect{632, 448, 162, 50}));
    EXPECT_EQ(ScaleToDpi(kDialogClientWidth, 120), 618);  // 617.5 rounds up
    // At 125% the set button's edges 316, 397 (x), 224, 249 (y) become 395,
    // 496.25, 280, 311.25, and the cancel button's left edge 400 becomes 500:
    // their 3-pixel gap is 4 pixels now.
    EXPECT_EQ(ScaleToDpi(kCmdSet, 120), (DialogRect{395, 280, 101, 31}));
    EXPECT_EQ(ScaleToDpi(kCmdCan, 120), (DialogRect{500, 280, 101, 31}));
    // By edges, not by size: 2..4 at 125% is 2.5..5 -> 3..5, 2 wide (its own
    // 2.5 would make it 3).
    EXPECT_EQ(ScaleToDpi(DialogRect{2, 2, 2, 2}, 120), (DialogRect{3, 3, 2, 2}));
}

TEST(DialogMusicChoice, EnabledStatesFollowTheKind)
{
    EXPECT_EQ(MusicControlsFor(MusicKind::None), (MusicControls{0, false, false}));
    EXPECT_EQ(MusicControlsFor(MusicKind::Cd), (MusicControls{1, true, false}));
    EXPECT_EQ(MusicControlsFor(MusicKind::File), (MusicControls{2, false, true}));
    // A hand-edited kind: no mark, both disabled.
    EXPECT_EQ(MusicControlsFor(static_cast<MusicKind>(3)), (MusicControls{-1, false, false}));
    EXPECT_EQ(MusicControlsFor(static_cast<MusicKind>(-1)), (MusicControls{-1, false, false}));
}

TEST(DialogRepeatList, HasAnEmptyEntryThenOneToThirty)
{
    auto entries = RepeatListEntries();
    ASSERT_EQ(entries.size(), 31u);
    EXPECT_EQ(entries[0], "");
    EXPECT_EQ(entries[1], "1");
    EXPECT_EQ(entries[9], "9");
    EXPECT_EQ(entries[30], "30");
}

TEST(DialogRepeatText, NumbersRoundHalfToEvenAndEverythingElseIsZero)
{
    EXPECT_EQ(RepeatTrackFromText("7"), 7);
    EXPECT_EQ(RepeatTrackFromText(" 12 "), 12);
    EXPECT_EQ(RepeatTrackFromText("7.5"), 8);
    EXPECT_EQ(RepeatTrackFromText("6.5"), 6);
    EXPECT_EQ(RepeatTrackFromText("-3"), -3);  // outside 1 to 30 is accepted
    EXPECT_EQ(RepeatTrackFromText("32767"), 32767);
    EXPECT_EQ(RepeatTrackFromText("-32768"), -32768);
    EXPECT_EQ(RepeatTrackFromText(""), 0);
    EXPECT_EQ(RepeatTrackFromText("abc"), 0);
    EXPECT_EQ(RepeatTrackFromText("7x"), 0);
    // Too large for 16 bits: 0 as well, and no error escapes.
    EXPECT_EQ(RepeatTrackFromText("32768"), 0);
    EXPECT_EQ(RepeatTrackFromText("-32769"), 0);
    EXPECT_EQ(RepeatTrackFromText("1e300"), 0);
    EXPECT_EQ(RepeatTrackFromText("1e999"), 0);
}

struct SavedKeys {
    std::vector<std::pair<std::string, std::string>> writes;
    auto Put()
    {
        return [this](const char* key, const std::string& value) { writes.emplace_back(key, value); };
    }
};

TEST(DialogSave, WritesKindRepeatAndFileInThatOrderAndForm)
{
    BgmKind = MusicKind::File;
    BgmRepeatTrack = 4;
    BgmFile = "C:\\music\\song.mp3";
    SavedKeys saved;
    SaveDialogSettings("7", true, saved.Put());
    using W = std::pair<std::string, std::string>;
    EXPECT_EQ(saved.writes, (std::vector<W>{{kKeyBgmKind, " 2"},
                                            {kKeyBgmRepeatTrack, " 7"},
                                            {kKeyBgmFile, "C:\\music\\song.mp3"},
                                            {kKeyKeepResolution, " 1"}}));
    EXPECT_EQ(BgmRepeatTrack, 7);
    EXPECT_TRUE(KeepResolution);

    // A non-number, a kind from a hand-edited file, a negative track.
    BgmKind = static_cast<MusicKind>(5);
    BgmFile.clear();
    SavedKeys other;
    SaveDialogSettings("abc", false, other.Put());
    EXPECT_EQ(other.writes,
              (std::vector<W>{
                  {kKeyBgmKind, " 5"}, {kKeyBgmRepeatTrack, " 0"}, {kKeyBgmFile, ""}, {kKeyKeepResolution, " 0"}}));
    EXPECT_EQ(BgmRepeatTrack, 0);
    EXPECT_FALSE(KeepResolution);
    SavedKeys negative;
    SaveDialogSettings("-2", false, negative.Put());
    EXPECT_EQ(negative.writes[1].second, "-2");
}

TEST(DialogSave, AFailingWriteDoesNotStopTheOthers)
{
    BgmKind = MusicKind::Cd;
    BgmFile = "C:\\a.wav";
    std::vector<std::string> written;
    SaveDialogSettings("3", false, [&](const char* key, const std::string&) {
        if (std::string(key) == kKeyBgmKind)
            throw std::runtime_error("disk full");
        written.push_back(key);
    });
    EXPECT_EQ(written, (std::vector<std::string>{kKeyBgmRepeatTrack, kKeyBgmFile, kKeyKeepResolution}));
    EXPECT_EQ(BgmRepeatTrack, 3);
}

}  // namespace
