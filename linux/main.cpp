// brinefold: the water over the desktop as an X11 screensaver hack, for
// xscreensaver and the lockers that speak its window protocol.
//
// Does: the program entry, the floor picture (the screen, xscreensaver's
// picture, a file, or a generated floor; grabs never leave memory), the
// frame loop (the water paced by the clock, frames -delay apart), the music,
// and a clean end on q or Escape, a close request, SIGTERM or SIGINT (exit
// code 0). Does not: anything the scene draws.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "linux/floor_picture.h"
#include "linux/frame_clock.h"
#include "linux/grab_x11.h"
#include "linux/hack_options.h"
#include "linux/music.h"
#include "linux/quit_signal.h"
#include "linux/window_x11.h"
#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"

namespace {

// How often the music is looked after while no frame comes (the own window
// iconified, a long -delay): its lock awaited, its file started again.
constexpr double kMusicCareSeconds = 0.25;

double SecondsNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// The reader's messages, "Unknown DIB file format." say, as the hack's own.
void PrintReaderMessage(const char* text)
{
    std::fprintf(stderr, "brinefold: %s\n", text);
}

// The floor texture from a bitmap file's bytes in memory; false when they
// make none.
bool LoadFloorFrom(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return false;
    RgbImage* floor = ReadDibBytes(bytes.data(), bytes.size());
    const bool loaded = InitGlStateFrom(floor);
    FreeRgbImage(floor);
    return loaded;
}

// The screen is taken before our own window covers it; xscreensaver's
// picture needs the window it hands over, which exists already.
std::vector<uint8_t> GrabFloor(HackWindow& w, const HackOptions& options)
{
    switch (options.floor) {
    case FloorSource::RootGrab: return GrabRootWindow(w.display);
    case FloorSource::Xscreensaver: return GrabFromXscreensaver(w.display, options.windowId, quitSignal);
    case FloorSource::ImageFile: break;
    }
    return {};
}

// The floor the options ask for; a plain generated one when that fails.
bool LoadFloor(const std::vector<uint8_t>& grabbed, const HackWindow& w, const HackOptions& options)
{
    if (options.floor == FloorSource::ImageFile) {
        RgbImage* floor = LoadSnapshotImage(options.imageFile.c_str());
        const bool loaded = InitGlStateFrom(floor);
        FreeRgbImage(floor);
        if (loaded)
            return true;
        std::fprintf(stderr, "brinefold: %s is no picture the reader takes; a plain floor instead\n",
                     options.imageFile.c_str());
    } else if (LoadFloorFrom(grabbed)) {
        return true;
    }
    return LoadFloorFrom(GeneratedFloor(w.width > 0 ? w.width : 1024, w.height > 0 ? w.height : 768));
}

// Events first; a frame when one is due (its place on a grid -delay apart
// has come, and the water has a step due); otherwise a wait for events or a
// signal until then. An iconified window draws nothing and leaves the pace
// alone: on return the water takes at most a few steps.
void RunShow(HackWindow& w, const HackOptions& options)
{
    Pacing pacing{.framePeriod = static_cast<double>(options.delayMicros) / 1e6};
    FpsMeter meter;
    while (!quitSignal) {
        HandleHackEvents(w);
        if (w.closed || w.failed || quitSignal)
            break;
        KeepMusicPlaying();
        if (!w.visible) {
            WaitForHackEvents(w, kMusicCareSeconds);
            continue;
        }
        const double now = SecondsNow();
        const double wait = SecondsToNextFrame(pacing, now);
        WaitForHackEvents(w, std::min(wait, kMusicCareSeconds));
        if (wait > 0.0 || quitSignal)
            continue;
        const double start = SecondsNow();
        if (!DrawDueFrame(pacing, start))
            continue;
        if (options.showFps)
            DrawFpsText(w, meter.text);
        ShowHackFrame(w);
        if (options.showFps) {
            const double shown = SecondsNow();
            CountFrame(meter, shown, shown - start);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const ParsedOptions parsed = ParseHackOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
    if (!parsed.ok || parsed.options.help) {
        if (!parsed.ok)
            std::fprintf(stderr, "brinefold: %s\n", parsed.error.c_str());
        std::fputs(kHackUsage, parsed.ok ? stdout : stderr);
        return parsed.ok ? 0 : 1;
    }
    const HackOptions& options = parsed.options;
    // Mesa's software rasteriser frees and takes back about 5 MB every frame;
    // glibc would hand it to the system each time and fault it in again,
    // which cost a third of the hack's CPU in a small window.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    CatchQuitSignals();
    snapshotMessageHook = PrintReaderMessage;

    HackWindow w;
    if (!OpenHackDisplay(w, options))
        return 1;
    InitRippleSettings();
    const std::vector<uint8_t> grabbed = GrabFloor(w, options);
    if (!OpenHackWindow(w, options) || !LoadFloor(grabbed, w, options)) {
        CloseHackWindow(w);
        return 1;
    }
    InitWaterGrid();
    if (!options.musicFile.empty())
        StartMusic(options.musicFile.c_str());

    RunShow(w, options);

    StopMusic();
    const bool failed = w.failed;
    CloseHackWindow(w);
    return failed ? 1 : 0;
}
