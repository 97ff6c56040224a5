// The committed pictures in launcher/resources/ are exactly what the picture
// tool draws now, and the pictures have the properties their users rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/pictures.h"
#include "tools/preview.h"

namespace {

std::vector<uint8_t> ReadCommitted(const std::string& name)
{
    std::ifstream in(std::string(BF_SOURCE_DIR) + "/launcher/resources/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(Pictures, CommittedFilesAreWhatTheToolDraws)
{
    for (const PictureFile& f : DrawPictureFiles()) {
        EXPECT_TRUE(ReadCommitted(f.name) == f.bytes)
            << "launcher/resources/" << f.name << " differs: run scripts/draw-pictures";
    }
}

TEST(Pictures, CommittedPreviewMatchesTheScene)
{
    // Mesa's rasteriser may round a little differently on another processor,
    // so the preview is compared within a small tolerance.
    PictureFile drawn;
    ASSERT_TRUE(DrawPreviewFile(drawn));
    std::vector<uint8_t> committed = ReadCommitted(drawn.name);
    ASSERT_EQ(committed.size(), drawn.bytes.size());
    ASSERT_TRUE(std::equal(drawn.bytes.begin(), drawn.bytes.begin() + 54, committed.begin()));
    long total = 0;
    int worst = 0;
    for (size_t i = 54; i < committed.size(); ++i) {
        int d = std::abs(committed[i] - drawn.bytes[i]);
        total += d;
        worst = std::max(worst, d);
    }
    EXPECT_LE(worst, 24);
    EXPECT_LT(static_cast<double>(total) / static_cast<double>(committed.size() - 54), 0.5);
}

TEST(Pictures, PreviewIsBlueWaterOverBlackGround)
{
    Image img;
    ASSERT_TRUE(DrawPreview(img));
    ASSERT_EQ(img.width, 152);
    ASSERT_EQ(img.height, 112);
    const Rgba water = img.at(76, 20), ground = img.at(76, 105);
    EXPECT_GT(water.b, water.r + 40);
    EXPECT_GT(water.b, 100);
    EXPECT_EQ(ground, (Rgba{0, 0, 0, 255}));
}

TEST(Pictures, PreviewDrawsWhateverOtherRunsLeftInTheTempFolder)
{
    // The temp folder is shared: what another run (another user's, or one that
    // crashed) left there under the name this tool once used must not stop it.
    namespace fs = std::filesystem;
    const fs::path left = fs::temp_directory_path() / "brinefold_preview_floor.bmp";
    std::error_code ec;
    const bool made = fs::create_directory(left, ec);
    Image img;
    EXPECT_TRUE(DrawPreview(img));
    if (made)
        fs::remove(left, ec);
}

TEST(Pictures, SkinBordersStretchWithoutDistortion)
{
    for (int s = 0; s < 6; ++s) {
        Image skin = DrawSkin(s);
        ASSERT_EQ(skin.width, 64);
        ASSERT_EQ(skin.height, 25);
        // The top and bottom edge pieces are stretched sideways: each column
        // must be the same, or a wide button would show smeared blotches.
        for (int y : {0, 1, 2, 3, 21, 22, 23, 24})
            for (int x = 5; x < 60; ++x)
                ASSERT_EQ(skin.at(x, y), skin.at(4, y)) << s;
        // The outline runs down both sides.
        EXPECT_EQ(skin.at(0, 12), skin.at(30, 0)) << s;
        EXPECT_EQ(skin.at(63, 12), skin.at(30, 0)) << s;
    }
    // HighLightSelect looks exactly like HighLight.
    EXPECT_EQ(EncodeBmp24(DrawSkin(1)), EncodeBmp24(DrawSkin(2)));
    // The orange rim is light at the top and deep at the bottom.
    Image hi = DrawSkin(1);
    EXPECT_GT(hi.at(30, 1).g, hi.at(30, 23).g + 60);
}

TEST(Pictures, HandCursorHotSpotIsOnTheFingertip)
{
    std::vector<uint8_t> cur = EncodeCur1(32, 32, DrawHandCursor(), kHandHotX, kHandHotY);
    ASSERT_EQ(cur.size(), 22u + 40 + 8 + 128 + 128);
    EXPECT_EQ(cur[2], 2);                   // a cursor, not an icon
    EXPECT_EQ(cur[10] | cur[11] << 8, 12);  // hot spot x
    EXPECT_EQ(cur[12] | cur[13] << 8, 10);  // hot spot y
    std::vector<Mono> hand = DrawHandCursor();
    EXPECT_NE(hand[10 * 32 + 12], Mono::Transparent);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(hand[static_cast<size_t>(y * 32 + x)], Mono::Transparent);
}

TEST(Pictures, IconHasAtMost256ColoursAndATransparentBackground)
{
    Image icon = DrawProgramIcon();
    std::set<std::array<uint8_t, 3>> colours;
    for (const Rgba& p : icon.pixels)
        if (p.a >= 128)
            colours.insert({p.r, p.g, p.b});
    EXPECT_LE(colours.size(), 255u);
    EXPECT_LT(icon.at(0, 0).a, 128);
    std::vector<uint8_t> ico = EncodeIco8(icon);
    ASSERT_EQ(ico.size(), 22u + 40 + 1024 + 1024 + 128);
    EXPECT_EQ(Le32(ico, 22 + 8), 64u);        // image and mask heights together
    EXPECT_TRUE(ico[ico.size() - 4] & 0x80);  // the mask's top row: a transparent corner
}

TEST(Pictures, StripTilesWithoutSeams)
{
    Image strip = DrawPanelStrip();
    ASSERT_EQ(strip.width, 556);
    ASSERT_EQ(strip.height, 20);
    for (int y = 0; y < 20; ++y) {
        // The last column leads into the first as smoothly as any two neighbours.
        int seam = std::abs(strip.at(555, y).r - strip.at(0, y).r);
        EXPECT_LE(seam, 2) << y;
        EXPECT_NEAR(strip.at(100, y).r, 224, 12);
    }
}

}  // namespace
