// The scene drawn offscreen by Mesa and read back: floor colour on the first
// and later frames, the water's additive colour taken from the texel at
// (0, 0), one layer of water per cell, the empty background, the projection,
// the failed texture load.
#include "renderer/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "renderer/pacing.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/files.h"
#include "tests/unit/osmesa_surface.h"

namespace {

namespace fs = std::filesystem;

struct Colour {
    int r, g, b;
};

// A 24-bit bottom-up Windows bitmap; pixel(x, y) with y = 0 the bottom row.
template <typename PixelFn>
void WriteBmp(const fs::path& path, int width, int height, PixelFn pixel)
{
    const std::vector<uint8_t> file = bmp::Rgb24(width, height, [&](int x, int y) {
        const Colour c = pixel(x, y);
        return static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
    });
    ASSERT_TRUE(WriteBytes(path.string(), file)) << path;
}

// The test picture: the bottom quarter one colour, the rest another (only a
// little of the floor beyond its middle is in view), and 2x2 blocks of four
// colours in the four corners, whose mean is kCorner: the linearly filtered
// texel at (0, 0), which blends the four corners under the default repeat.
constexpr Colour kBottom = {200, 100, 50};
constexpr Colour kTop = {60, 150, 220};
constexpr Colour kCorner = {40, 200, 120};
constexpr Colour kCorners[2][2] = {{{30, 190, 110}, {50, 210, 130}}, {{20, 220, 100}, {60, 180, 140}}};
constexpr int kPictureSide = 64;

Colour TestPicture(int x, int y)
{
    const bool cornerX = x < 2 || x >= kPictureSide - 2;
    const bool cornerY = y < 2 || y >= kPictureSide - 2;
    if (cornerX && cornerY)
        return kCorners[y > 2][x > 2];
    return y < kPictureSide / 4 ? kBottom : kTop;
}

class SceneTest : public ::testing::Test {
protected:
    // 4:3 like the real screen, small enough to draw quickly.
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    void SetUp() override
    {
        ASSERT_TRUE(surface_.current());
        dir_ = fs::temp_directory_path() / ("bf_scene_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        snapshot_ = (dir_ / "Brinefold.bmp").string();
        floorSnapshotPath = snapshot_.c_str();
        floorTexture = 0;
        eyePosition[0] = 0.0f;
        eyePosition[1] = 10.0f;
        eyePosition[2] = 50.0f;
        tiltAngle = 100.0f;
        InitRippleSettings();
        InitWaterGrid();
        ResetWaterRandomForTesting();
    }
    void TearDown() override
    {
        floorSnapshotPath = SnapshotPath;
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Where a world point lands with the matrices DrawFrame left behind.
    void ProjectExactly(double x, double y, double z, double* px, double* py)
    {
        double modelview[16], projection[16];
        int viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        double pz;
        ASSERT_EQ(gluProject(x, y, z, modelview, projection, viewport, px, py, &pz), GL_TRUE);
    }
    // The pixel there, which must be in the window.
    void Project(double x, double y, double z, int* wx, int* wy)
    {
        double px = 0, py = 0;
        ProjectExactly(x, y, z, &px, &py);
        *wx = static_cast<int>(std::floor(px));
        *wy = static_cast<int>(std::floor(py));
        ASSERT_TRUE(*wx >= 0 && *wx < kWidth && *wy >= 0 && *wy < kHeight) << *wx << "," << *wy;
    }
    OsmesaSurface::Rgb PixelOf(double x, double y, double z)
    {
        int wx = 0, wy = 0;
        Project(x, y, z, &wx, &wy);
        return surface_.Pixel(wx, wy);
    }
    void Frame()
    {
        ASSERT_TRUE(DrawFrame());
        glFinish();
    }
    // A frame as the program's loop makes it, at `seconds` into the show.
    void FrameAt(double seconds)
    {
        ASSERT_TRUE(DrawDueFrame(pacing_, seconds));
        glFinish();
    }

    Pacing pacing_;

    OsmesaSurface surface_{kWidth, kHeight};
    fs::path dir_;
    std::string snapshot_;
};

// floor x tint + water colour x texel(0, 0), clamped as GL does (the colour
// before the texture multiplies it, and the sum).
Colour Expected(Colour floor, double tintRG, double tintB, double waterHeight)
{
    const double red = std::min(0.5 * waterHeight + 0.2, 1.0);
    const double blue = std::min(0.5 * waterHeight + 0.6, 1.0);
    auto add = [](double f, double w) { return static_cast<int>(std::lround(std::clamp(f + w, 0.0, 255.0))); };
    return {add(floor.r * tintRG, red * kCorner.r), add(floor.g * tintRG, red * kCorner.g),
            add(floor.b * tintB, blue * kCorner.b)};
}

void ExpectNear(OsmesaSurface::Rgb got, Colour want, const char* what)
{
    const int tolerance = 2;
    EXPECT_NEAR(got.r, want.r, tolerance) << what;
    EXPECT_NEAR(got.g, want.g, tolerance) << what;
    EXPECT_NEAR(got.b, want.b, tolerance) << what;
}

// Points on the floor (y = -4) well inside the picture's bottom quarter and
// its rest (z = 15 is the picture's bottom edge, t = 0, z = -35 its top), and
// one on the water near its front edge where no floor lies behind it.
constexpr double kFloorBottom[3] = {-15.0, -4.0, 10.0};
constexpr double kFloorAbove[3] = {15.0, -4.0, -5.0};
constexpr double kWaterOnly[3] = {0.0, 0.0, 14.0};

TEST_F(SceneTest, FirstFrameShowsTheFloorWhiteLaterFramesTinted)
{
    WriteBmp(snapshot_, kPictureSide, kPictureSide, TestPicture);
    ResizeScene(kWidth, kHeight);
    ASSERT_TRUE(InitGlState());
    EXPECT_NE(floorTexture, 0u);

    // An upward push on the whole interior: one step lifts the water far
    // enough to change its colour (its blue past 1), so a frame drawn before
    // its step (at the flat height 0) shows.
    for (int i = 1; i < 150; ++i) {
        for (int j = 1; j < 150; ++j) {
            waterGrid.velocity[i][j].y = 1.2f;
        }
    }
    FrameAt(0.0);
    // The water moved one step before drawing: the push less the pull, damped.
    const float h1 = waterGrid.surface[75][75].y;
    EXPECT_NEAR(h1, (1.2 - 0.001) * 0.99, 1e-6);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    ExpectNear(PixelOf(kFloorBottom[0], kFloorBottom[1], kFloorBottom[2]), Expected(kBottom, 1.0, 1.0, h1),
               "frame 1, bottom quarter of the picture");
    ExpectNear(PixelOf(kFloorAbove[0], kFloorAbove[1], kFloorAbove[2]), Expected(kTop, 1.0, 1.0, h1),
               "frame 1, rest of the picture");
    ExpectNear(PixelOf(kWaterOnly[0], kWaterOnly[1], kWaterOnly[2]), Expected({0, 0, 0}, 0.0, 0.0, h1),
               "frame 1, water without floor");

    FrameAt(1.0 / 60);
    const float h2 = waterGrid.surface[75][75].y;
    ExpectNear(PixelOf(kFloorBottom[0], kFloorBottom[1], kFloorBottom[2]), Expected(kBottom, 0.2, 0.6, h2),
               "frame 2, bottom quarter of the picture");
    ExpectNear(PixelOf(kFloorAbove[0], kFloorAbove[1], kFloorAbove[2]), Expected(kTop, 0.2, 0.6, h2),
               "frame 2, rest of the picture");
    ExpectNear(PixelOf(kWaterOnly[0], kWaterOnly[1], kWaterOnly[2]), Expected({0, 0, 0}, 0.0, 0.0, h2),
               "frame 2, water without floor");

    // Nothing is drawn below the water's front edge: the clear colour stays.
    int edgeX = 0, edgeY = 0;
    Project(0.0, 0.0, 14.668874, &edgeX, &edgeY);
    ASSERT_GT(edgeY, 4);
    for (int x : {0, kWidth / 2, kWidth - 1}) {
        const OsmesaSurface::Rgb empty = surface_.Pixel(x, edgeY / 2);
        EXPECT_EQ(empty.r + empty.g + empty.b, 0) << "x " << x;
    }
}

TEST_F(SceneTest, RipplesChangeTheWaterButNeverTheTint)
{
    WriteBmp(snapshot_, kPictureSide, kPictureSide, TestPicture);
    ResizeScene(kWidth, kHeight);
    ASSERT_TRUE(InitGlState());
    std::vector<uint8_t> before(kWidth * kHeight * 4), after(kWidth * kHeight * 4);
    FrameAt(0.0);
    FrameAt(1.0 / 60);
    tiltAngle = 100.0f;  // same view for both pictures
    Frame();
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, before.data());
    // Rain falls from frame 3 on; under the same view the picture must change.
    for (int frame = 3; frame < 60; ++frame) {
        Frame();
    }
    tiltAngle = 100.0f;
    Frame();
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, after.data());
    int changed = 0;
    for (size_t k = 0; k < before.size(); k += 4) {
        if (std::abs(before[k + 2] - after[k + 2]) > 8)
            ++changed;
    }
    EXPECT_GT(changed, 100);
    // The floor's colour is a border vertex's: rain never reaches the border.
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_FLOAT_EQ(current[0], 0.2f);
    EXPECT_FLOAT_EQ(current[1], 0.2f);
    EXPECT_FLOAT_EQ(current[2], 0.6f);
}

// Still water over a black floor (the floor tinted black, the water's texel
// white): each pixel shows as many layers of water as cells cover it, and
// inside the water's outline that must be one, for today's grid and a smaller
// one drawn after it.
TEST_F(SceneTest, StillWaterIsOneLayerInEveryCell)
{
    WriteBmp(snapshot_, kPictureSide, kPictureSide, [](int, int) { return Colour{255, 255, 255}; });
    ResizeScene(kWidth, kHeight);
    ASSERT_TRUE(InitGlState());
    rippleSettings.dropsPerFrame = 0;
    // Today's grid first, so that an index list kept from it shows.
    for (int points : {151, 23}) {
        SCOPED_TRACE(points);
        rippleSettings.pointsX = rippleSettings.pointsZ = points;
        InitWaterGrid();
        glColor3f(0.0f, 0.0f, 0.0f);  // the floor's tint
        Frame();
        // The outline: the grid's corners on the screen, in order round it.
        double corner[4][2];
        for (int k = 0; k < 4; ++k) {
            const GridPoint& p = waterGrid.surface[k == 1 || k == 2 ? points - 1 : 0][k < 2 ? 0 : points - 1];
            ProjectExactly(p.x, p.y, p.z, &corner[k][0], &corner[k][1]);
        }
        std::vector<uint8_t> rgba(kWidth * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int inside = 0, wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                // Pixels within two of the outline may be partly covered.
                double margin = 1e9;
                for (int k = 0; k < 4; ++k) {
                    const double *a = corner[k], *b = corner[(k + 1) % 4], ex = b[0] - a[0], ey = b[1] - a[1];
                    margin = std::min(margin, ((x + 0.5 - a[0]) * ey - (y + 0.5 - a[1]) * ex) / std::hypot(ex, ey));
                }
                if (std::abs(margin) < 2.0)
                    continue;
                // One layer is (0.2, 0.2, 0.6) of white; none is black.
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
                const int layers = margin > 0 ? 1 : 0;
                inside += layers;
                wrong += std::abs(p[0] - 51 * layers) > 2 || std::abs(p[1] - 51 * layers) > 2 ||
                         std::abs(p[2] - 153 * layers) > 2;
            }
        }
        EXPECT_GT(inside, kWidth * kHeight / 4);
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(SceneTest, ResizeSetsViewportAndPerspectiveAndTakesHeightZeroAsOne)
{
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    GLint viewport[4];
    GLdouble projection[16];

    ResizeScene(1024, 768);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], f / (1024.0 / 768.0), 1e-6);
    EXPECT_NEAR(projection[5], f, 1e-6);
    // near 0.1, far 200
    EXPECT_NEAR(projection[10], -(200.0 + 0.1) / (200.0 - 0.1), 1e-6);
    EXPECT_NEAR(projection[14], -2.0 * 200.0 * 0.1 / (200.0 - 0.1), 1e-6);

    ResizeScene(640, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], f / 640.0, 1e-9);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(SceneTest, MissingSnapshotMakesNoTextureAndSetsNoState)
{
    ResizeScene(kWidth, kHeight);
    EXPECT_FALSE(InitGlState());
    EXPECT_EQ(floorTexture, 0u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[3], 0.0f);
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LESS);
    // No name was taken: the next one handed out is still the first.
    GLuint name = 0;
    glGenTextures(1, &name);
    EXPECT_EQ(name, 1u);
}

TEST_F(SceneTest, RowsThatAreNotAMultipleOfFourBytesStayUnsheared)
{
    // 2 x 4 pixels (power-of-two sides, so GLU does not rescale): 6-byte rows.
    // Each row is one colour, so every row of the texture must be uniform too;
    // a 4-byte row alignment would start each row 2 bytes late and read past
    // the end of the buffer.
    const Colour rows[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    WriteBmp(snapshot_, 2, 4, [&](int, int y) { return rows[y]; });
    ASSERT_TRUE(LoadFloorTexture());
    GLint texWidth = 0, texHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texHeight);
    ASSERT_EQ(texWidth, 2);
    ASSERT_EQ(texHeight, 4);
    std::vector<uint8_t> texels(static_cast<size_t>(texWidth) * texHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    for (int y = 0; y < texHeight; ++y) {
        for (int x = 0; x < texWidth; ++x) {
            const uint8_t* t = &texels[(static_cast<size_t>(y) * texWidth + x) * 3];
            EXPECT_EQ(t[0], rows[y].r) << x << "," << y;
            EXPECT_EQ(t[1], rows[y].g) << x << "," << y;
            EXPECT_EQ(t[2], rows[y].b) << x << "," << y;
        }
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

// Every virtual screen of up to 7680 x 2160 pixels in all, in any shape,
// keeps its picture whole (so its texture is what GLU always made of it);
// the largest pictures the reader takes fit as they are or are reduced to
// at most kLargestFloorTexels texels, powers of two smaller than the picture.
TEST(FloorPicture, OrdinaryScreensKeepTheirSizeTheLargestPicturesShrink)
{
    for (int32_t w = 1; w <= 16384; ++w) {
        const int32_t h = std::min<int32_t>(16384, 7680 * 2160 / w);  // the tallest; GLU's sizes grow with h
        const PictureSize kept = FloorPictureSize(w, h);
        ASSERT_TRUE(kept.width == w && kept.height == h) << w << "x" << h;

        const int32_t capH = std::min<int32_t>(16384, (int32_t{1} << 26) / w);
        const PictureSize cut = FloorPictureSize(w, capH);
        if (cut.width == w && cut.height == capH)
            continue;  // a narrow picture fits as it is
        ASSERT_LE(int64_t{cut.width} * cut.height, kLargestFloorTexels) << w << "x" << capH;
        ASSERT_TRUE(cut.width < w && cut.height < capH) << w << "x" << capH;
        ASSERT_EQ(cut.width & (cut.width - 1), 0) << w << "x" << capH;
        ASSERT_EQ(cut.height & (cut.height - 1), 0) << w << "x" << capH;
    }
}

// Each reduced pixel is the rounded mean of the pixels it covers, a side
// that does not divide evenly included.
TEST(FloorPicture, AReducedPixelIsTheMeanOfThoseItCovers)
{
    uint8_t pixels[] = {0,  0, 0, 10, 20, 30, 21, 41, 61,   // bottom row
                        40, 0, 0, 50, 20, 30, 60, 41, 62};  // top row
    const RgbImage picture{3, 2, pixels};
    RgbImage* reduced = ReducedPicture(picture, {2, 1});
    ASSERT_NE(reduced, nullptr);
    const std::vector<uint8_t> got(reduced->pixels, reduced->pixels + 6);
    EXPECT_EQ(got, (std::vector<uint8_t>{20, 0, 0, 35, 31, 46}));
    FreeRgbImage(reduced);
}

// The water's state as one number: equal sums, equal water, to the byte.
uint64_t WaterFingerprint()
{
    uint64_t hash = 1469598103934665603ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&waterGrid);
    for (size_t k = 0; k < sizeof waterGrid; ++k)
        hash = (hash ^ bytes[k]) * 1099511628211ull;
    return hash;
}

// Time moves the water: one second at any frame rate is 60 steps and 12
// degrees, and at 60 frames a second each frame is the classic loop's frame
// (one step, drawn, then 0.2 degrees).
TEST_F(SceneTest, TheClockNotTheFrameRateMovesTheWaterAndTheTilt)
{
    ResizeScene(16, 12);  // the water is what counts here, not the picture
    struct State {
        uint64_t water;
        float tilt;
        std::array<double, 16> view;  // the modelview the frame was drawn with: its tilt
    };
    auto view = [] {
        std::array<double, 16> m;
        glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
        return m;
    };
    std::vector<State> classic;
    for (int frame = 0; frame <= 60; ++frame) {
        Frame();
        const std::array<double, 16> drawn = view();
        tiltAngle = static_cast<float>(tiltAngle + 0.2);
        classic.push_back({WaterFingerprint(), tiltAngle, drawn});
    }

    for (int rate : {30, 60, 144, 1000}) {
        SCOPED_TRACE(rate);
        InitWaterGrid();
        ResetWaterRandomForTesting();
        tiltAngle = 100.0f;
        pacing_ = {};
        float tiltAfterFirst = 0.0f;
        int framesDrawn = 0;
        for (int frame = 0; frame <= rate; ++frame) {
            const bool drawn = DrawDueFrame(pacing_, static_cast<double>(frame) / rate);
            framesDrawn += drawn;
            if (frame == 0)
                tiltAfterFirst = tiltAngle;
            if (rate == 60) {
                ASSERT_TRUE(drawn) << frame;
                ASSERT_EQ(WaterFingerprint(), classic[frame].water) << frame;
                ASSERT_EQ(tiltAngle, classic[frame].tilt) << frame;
                ASSERT_EQ(view(), classic[frame].view) << frame;
            }
        }
        // A frame for each step at most: faster displays get no more.
        EXPECT_EQ(framesDrawn, std::min(rate, 60) + 1);
        EXPECT_EQ(WaterFingerprint(), classic.back().water);
        EXPECT_EQ(tiltAngle, classic.back().tilt);
        EXPECT_NEAR(tiltAngle - tiltAfterFirst, 12.0, 1e-3);
    }
}

TEST(Pacing, AStallOrAMinimisedSpellCostsAtMostFourStepsThenTheBeatGoesOn)
{
    Pacing pacing;
    EXPECT_EQ(TakeDueSteps(pacing, 100.0), 1);  // the first frame steps at once
    EXPECT_NEAR(SecondsToNextStep(pacing, 100.0), 0.5 / 60, 1e-9);
    EXPECT_EQ(TakeDueSteps(pacing, 100.004), 0);  // a 240 Hz frame too early
    EXPECT_EQ(TakeDueSteps(pacing, 99.0), 0);     // a clock that went back
    // Ten seconds without frames (minimised, or the machine busy).
    EXPECT_EQ(TakeDueSteps(pacing, 110.0), kMaxStepsPerFrame);
    EXPECT_EQ(TakeDueSteps(pacing, 110.0), 0);
    EXPECT_EQ(SecondsToNextStep(pacing, 110.0 + 1.0 / 60), 0.0);
    EXPECT_EQ(TakeDueSteps(pacing, 110.0 + 1.0 / 60), 1);
    EXPECT_EQ(TakeDueSteps(pacing, 110.0 + 2.0 / 60), 1);
    // Frames a quarter step late or early still take one step each.
    EXPECT_EQ(TakeDueSteps(pacing, 110.0 + 3.25 / 60), 1);
    EXPECT_EQ(TakeDueSteps(pacing, 110.0 + 3.8 / 60), 1);
    EXPECT_EQ(pacing.stepsTaken, 1 + kMaxStepsPerFrame + 4);
}

// A frame waits for the next step and, without vsync, its place on the
// refresh grid; a display that reports no rate (0 or 1 Hz) is taken as 60 Hz.
TEST(Pacing, AFrameWaitsForTheRefreshAndForTheNextStep)
{
    EXPECT_DOUBLE_EQ(RefreshPeriod(0), 1.0 / 60);
    EXPECT_DOUBLE_EQ(RefreshPeriod(1), 1.0 / 60);
    EXPECT_DOUBLE_EQ(RefreshPeriod(144), 1.0 / 144);
    Pacing at50{.framePeriod = 1.0 / 50}, vsync, at144{.framePeriod = 1.0 / 144};
    EXPECT_EQ(SecondsToNextFrame(at50, 10.0), 0.0);  // the very first frame
    for (Pacing* pacing : {&at50, &vsync, &at144})
        ASSERT_EQ(TakeDueSteps(*pacing, 10.0), 1);
    // A 50 Hz display: the refresh comes after the step is due.
    EXPECT_NEAR(SecondsToNextFrame(at50, 10.0), 1.0 / 50, 1e-9);
    EXPECT_EQ(SecondsToNextFrame(at50, 10.03), 0.0);
    // With vsync, or on a 144 Hz display, the step decides.
    EXPECT_NEAR(SecondsToNextFrame(vsync, 10.0), 0.5 / 60, 1e-9);
    EXPECT_NEAR(SecondsToNextFrame(at144, 10.0), 0.5 / 60, 1e-9);
    // A frame drawn late keeps the next one on the grid; one more than a
    // period late starts the grid anew.
    ASSERT_EQ(TakeDueSteps(at50, 10.024), 1);
    EXPECT_NEAR(SecondsToNextFrame(at50, 10.024), 0.016, 1e-9);
    ASSERT_EQ(TakeDueSteps(at50, 10.07), 3);
    EXPECT_NEAR(SecondsToNextFrame(at50, 10.07), 1.0 / 50, 1e-9);
}

}  // namespace
