// The Linux hack's portable core: its command line (where it draws, where
// the floor comes from), the frame timing with the water's pace on a fake
// clock, the -fps figures, and the floor pictures, read back through the
// renderer's own bitmap reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "linux/floor_picture.h"
#include "linux/frame_clock.h"
#include "linux/hack_options.h"
#include "renderer/pacing.h"
#include "renderer/snapshot_decode.h"

namespace {

ParsedOptions Parse(std::initializer_list<const char*> args, const char* host = nullptr)
{
    std::vector<const char*> argv = {"brinefold"};
    argv.insert(argv.end(), args);
    return ParseHackOptions(static_cast<int>(argv.size()), argv.data(), host);
}

TEST(HackOptions, WhereItDrawsAndWhereTheFloorComesFrom)
{
    struct Case {
        std::initializer_list<const char*> args;
        const char* host;
        HackTarget target;
        unsigned long window;
        FloorSource floor;
    };
    const Case cases[] = {
        // By hand: a window of its own over the grabbed screen.
        {{}, nullptr, HackTarget::OwnWindow, 0, FloorSource::RootGrab},
        {{"-root"}, nullptr, HackTarget::Root, 0, FloorSource::RootGrab},
        {{"--root", "-window"}, nullptr, HackTarget::OwnWindow, 0, FloorSource::RootGrab},
        // A window given by any route: what is on the screen is not ours to
        // show (a settings dialog, a locked desktop); the image helper decides.
        {{"-window-id", "0x1a00007"}, nullptr, HackTarget::GivenWindow, 0x1a00007, FloorSource::Xscreensaver},
        {{"--window-id", "4242"}, nullptr, HackTarget::GivenWindow, 4242, FloorSource::Xscreensaver},
        // xscreensaver: --root and its window in the environment, its picture.
        {{"--root"}, "0x800008", HackTarget::GivenWindow, 0x800008, FloorSource::Xscreensaver},
        {{}, "8388616", HackTarget::GivenWindow, 8388616, FloorSource::Xscreensaver},
        // Asked explicitly, a window beats the environment's.
        {{"-window"}, "0x800008", HackTarget::OwnWindow, 0, FloorSource::RootGrab},
        {{"-window-id", "0x99", "-root"}, "0x800008", HackTarget::GivenWindow, 0x99, FloorSource::Xscreensaver},
        // An environment value that is no window id is no host.
        {{"-root"}, "", HackTarget::Root, 0, FloorSource::RootGrab},
        {{"-root"}, "window", HackTarget::Root, 0, FloorSource::RootGrab},
        // A picture file beats any grab.
        {{"-image", "/tmp/a.bmp", "-root"}, "0x800008", HackTarget::GivenWindow, 0x800008, FloorSource::ImageFile},
    };
    for (const Case& c : cases) {
        const ParsedOptions p = Parse(c.args, c.host);
        std::string line;
        for (const char* a : c.args)
            line += std::string(a) + " ";
        line += std::string("| host ") + (c.host ? c.host : "none");
        ASSERT_TRUE(p.ok) << line << ": " << p.error;
        EXPECT_EQ(p.options.target, c.target) << line;
        if (c.target == HackTarget::GivenWindow) {
            EXPECT_EQ(p.options.windowId, c.window) << line;
        }
        EXPECT_EQ(p.options.floor, c.floor) << line;
    }
}

TEST(HackOptions, ValuesAndRefusals)
{
    const ParsedOptions all = Parse({"-delay", "0", "--fps", "-music", "/m/song.mp3", "--image", "/p/floor.bmp",
                                     "-display", ":7", "-geometry", "320x240+10-20", "-visual", "default"});
    ASSERT_TRUE(all.ok) << all.error;
    EXPECT_EQ(all.options.delayMicros, 0);
    EXPECT_TRUE(all.options.showFps);
    EXPECT_EQ(all.options.musicFile, "/m/song.mp3");
    EXPECT_EQ(all.options.imageFile, "/p/floor.bmp");
    EXPECT_EQ(all.options.display, ":7");
    EXPECT_EQ(all.options.geometry, "320x240+10-20");
    // The toolkit's switches: the last of -fps and -no-fps counts.
    EXPECT_FALSE(Parse({"-fps", "--no-fps"}).options.showFps);

    const ParsedOptions none = Parse({});
    ASSERT_TRUE(none.ok);
    // 60 water steps a second, as the Windows renderer at 60 Hz.
    EXPECT_EQ(1'000'000 / none.options.delayMicros, 60);
    EXPECT_FALSE(none.options.showFps);
    EXPECT_TRUE(none.options.musicFile.empty());
    EXPECT_TRUE(Parse({"-help"}).options.help);

    for (auto args : {std::initializer_list<const char*>{"-delay"},
                      {"-delay", "-5"},
                      {"-delay", "12ms"},
                      {"-delay", "60000001"},
                      {"-window-id"},
                      {"-window-id", "0"},
                      {"-window-id", "0xzz"},
                      {"-music"},
                      {"-image", ""},
                      {"-display"},
                      {"-visual", "mono"},
                      {"-roots"},
                      {"root"}}) {
        const ParsedOptions p = Parse(args);
        EXPECT_FALSE(p.ok) << *args.begin();
        EXPECT_FALSE(p.error.empty());
    }
}

// The hack's loop on a fake clock: frames when SecondsToNextFrame says, each
// taking the steps due then and `drawing` seconds to draw, every wait
// `oversleep` longer than asked. Frames and steps in `seconds`.
struct LoopRun {
    int frames = 0;
    int passes = 0;  // wakes that found a frame due, drawn or not
    long long steps = 0;
    int mostSteps = 0;  // in one frame after the first
};
LoopRun RunLoop(double delay, double drawing, double oversleep = 0.0, double seconds = 1.0)
{
    LoopRun run;
    Pacing pacing{.framePeriod = delay};
    double now = 500.0;
    const double end = now + seconds - 1e-9;
    while (now < end) {
        const double wait = SecondsToNextFrame(pacing, now);
        if (wait > 0.0) {
            // A real clock always moves on; this one by at least a nanosecond,
            // past the rounding of sums at the very instant a frame falls due.
            now += std::max(wait, 1e-9) + oversleep;
            continue;
        }
        ++run.passes;
        const int steps = TakeDueSteps(pacing, now);  // what DrawDueFrame steps
        if (steps == 0) {
            now += 1e-6;  // a pass of the loop that found nothing to draw
            continue;
        }
        if (run.frames++ > 0)
            run.mostSteps = std::max(run.mostSteps, steps);
        run.steps += steps;
        now += drawing;
    }
    return run;
}

TEST(FrameClock, FramesFollowTheDelayAndTheWaterTheClock)
{
    // -delay 0 draws as often as the water moves: 60 frames, not thousands.
    for (const double drawing : {0.0, 0.002}) {
        const LoopRun flatOut = RunLoop(0.0, drawing);
        EXPECT_NEAR(flatOut.frames, 60, 1) << drawing;
        EXPECT_NEAR(flatOut.steps, 60, 1) << drawing;
        // (A wake exactly at a step's time may find it not yet due by rounding.)
        EXPECT_LE(flatOut.passes, 2 * flatOut.frames) << "the loop spins between steps";
    }
    // Any delay the water can keep up with: 60 steps a second all the same
    // (give or take the steps of the frame the second ends in).
    for (const double delay : {0.005, 1.0 / 60, 1.0 / 30, 0.05}) {
        const LoopRun run = RunLoop(delay, 0.002);
        EXPECT_NEAR(run.frames, std::min(60.0, 1.0 / delay), 1) << delay;
        EXPECT_NEAR(run.steps, 60, std::max(1.0, 60 * delay)) << delay;
    }
    // A frame that takes longer than the delay waits no more after it.
    EXPECT_NEAR(RunLoop(1.0 / 60, 0.04).frames, 25, 1);
    // Ten frames a second: the first takes one step, each later one four of
    // the six due; the water slows.
    EXPECT_EQ(RunLoop(0.1, 0.002).steps, 1 + 9 * 4);
    // Waits that each oversleep by a millisecond do not add up: for a
    // minute at -delay 16666, every frame takes one step.
    const LoopRun late = RunLoop(0.016666, 0.002, 0.001, 60.0);
    EXPECT_EQ(late.mostSteps, 1);
    EXPECT_NEAR(late.frames, 3600, 1);
    // A clock that stepped back waits no longer than the delay.
    Pacing pacing{.framePeriod = 0.1};
    ASSERT_EQ(TakeDueSteps(pacing, 10.0), 1);
    EXPECT_NEAR(SecondsToNextFrame(pacing, 9.99), 0.1, 1e-9);

    FpsMeter meter;
    CountFrame(meter, 100.0, 0.004);  // starts the count only
    for (int k = 1; k <= 30; ++k) {
        CountFrame(meter, 100.0 + k / 30.0, 0.004);
        if (k < 30) {
            EXPECT_TRUE(meter.text.empty()) << k;
        }
    }
    EXPECT_EQ(meter.text, "Load: 12.0%\nFPS: 30.0");
    for (int k = 1; k <= 60; ++k)
        CountFrame(meter, 101.0 + k / 60.0, 0.016666);
    EXPECT_EQ(meter.text, "Load: 100.0%\nFPS: 60.0");
}

// The picture a bitmap file holds, through the renderer's reader.
struct Decoded {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // bottom row first
    uint32_t At(int x, int yFromTop) const
    {
        const uint8_t* p = &rgb[(static_cast<size_t>(height - 1 - yFromTop) * width + x) * 3];
        return static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
    }
};

Decoded Decode(const std::vector<uint8_t>& file)
{
    Decoded d;
    RgbImage* image = ConvertDibImage(file.data(), file.size(), [](const char* text) { ADD_FAILURE() << text; });
    if (image == nullptr)
        return d;
    d.width = image->width;
    d.height = image->height;
    d.rgb.assign(image->pixels, image->pixels + static_cast<size_t>(d.width) * d.height * 3);
    std::free(image->pixels);
    std::free(image);
    return d;
}

TEST(FloorPicture, ScreenLayoutsBecomeTheSamePicture)
{
    // 3 x 2, top row red green blue, bottom row white black grey, in the
    // layouts X servers use; rows padded beyond the pixels.
    const uint32_t want[2][3] = {{0xff0000, 0x00ff00, 0x0000ff}, {0xffffff, 0x000000, 0x808080}};
    struct Layout {
        int bits;
        bool msb;
        uint32_t r, g, b;
    };
    for (const Layout l :
         {Layout{32, false, 0xff0000, 0x00ff00, 0x0000ff}, Layout{32, true, 0xff0000, 0x00ff00, 0x0000ff},
          Layout{24, false, 0xff0000, 0x00ff00, 0x0000ff}, Layout{16, false, 0xf800, 0x07e0, 0x001f},
          Layout{32, false, 0x0000ff, 0x00ff00, 0xff0000}}) {
        const int bytes = l.bits / 8, stride = 3 * bytes + 5;
        std::vector<uint8_t> data(static_cast<size_t>(stride) * 2, 0xEE);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const uint32_t c = want[y][x];
                auto scale = [](uint32_t v8, uint32_t mask) {
                    int shift = 0;
                    while (!((mask >> shift) & 1))
                        ++shift;
                    const uint32_t max = mask >> shift;
                    return ((v8 * max + 127) / 255) << shift;
                };
                const uint32_t pixel = scale(c >> 16, l.r) | scale((c >> 8) & 0xff, l.g) | scale(c & 0xff, l.b);
                for (int k = 0; k < bytes; ++k) {
                    data[static_cast<size_t>(y * stride + x * bytes + k)] =
                        static_cast<uint8_t>(pixel >> (8 * (l.msb ? bytes - 1 - k : k)));
                }
            }
        const ScreenPixels screen{3, 2, stride, l.bits, l.msb, l.r, l.g, l.b, data.data()};
        const Decoded d = Decode(SnapshotFromScreen(screen));
        ASSERT_EQ(d.width, 3) << l.bits;
        ASSERT_EQ(d.height, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                // 16 bits keep 5 or 6 of the 8: grey 0x80 comes back within a step.
                const uint32_t got = d.At(x, y), w = want[y][x];
                for (int shift : {16, 8, 0}) {
                    EXPECT_NEAR(static_cast<int>((got >> shift) & 0xff), static_cast<int>((w >> shift) & 0xff),
                                l.bits == 16 ? 4 : 0)
                        << l.bits << " bits, msb " << l.msb << ", pixel " << x << "," << y;
                }
            }
    }

    // Layouts that say nothing about colours give no picture.
    uint8_t any[64] = {};
    EXPECT_TRUE(SnapshotFromScreen({2, 2, 8, 8, false, 0xe0, 0x1c, 0x03, any}).empty());         // 8 bits
    EXPECT_TRUE(SnapshotFromScreen({2, 2, 8, 32, false, 0xff0000, 0xff00, 0, any}).empty());     // no blue
    EXPECT_TRUE(SnapshotFromScreen({4, 2, 8, 32, false, 0xff0000, 0xff00, 0xff, any}).empty());  // short rows
    EXPECT_TRUE(SnapshotFromScreen({2, 2, 8, 32, false, 0xff0000, 0xff00, 0xff, nullptr}).empty());
}

TEST(FloorPicture, GeneratedFloorIsTilesAtAnySize)
{
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{1, 1}, std::pair{33, 7}}) {
        const Decoded d = Decode(GeneratedFloor(w, h));
        ASSERT_EQ(d.width, w);
        ASSERT_EQ(d.height, h);
    }
    const Decoded d = Decode(GeneratedFloor(1024, 768));
    // 64-pixel tiles: joints on every 64th row and column, tile between.
    EXPECT_EQ(d.At(0, 10), d.At(64, 500));
    EXPECT_EQ(d.At(10, 0), d.At(0, 10));
    EXPECT_EQ(d.At(32, 32), d.At(1000, 700));
    EXPECT_NE(d.At(32, 32), d.At(64, 32));
}

}  // namespace
