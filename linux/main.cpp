// brinefold: the water over the desktop as an X11 screensaver hack, for
// xscreensaver and the lockers that speak its window protocol.
//
// Does: the program entry, the floor picture (the screen, xscreensaver's
// picture, a file, or a generated floor), the frame loop of the Windows
// renderer (one water step per frame, the tilt growing 0.2 per shown frame),
// paced by -delay, the music, and a clean end on Escape, a close request,
// SIGTERM or SIGINT (exit code 0). Does not: anything the scene draws.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "linux/floor_picture.h"
#include "linux/frame_clock.h"
#include "linux/grab_x11.h"
#include "linux/hack_options.h"
#include "linux/music.h"
#include "linux/window_x11.h"
#include "renderer/scene.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"

namespace {

volatile sig_atomic_t quitSignal = 0;

void OnQuitSignal(int)
{
    quitSignal = 1;
}

// Without SA_RESTART, so that a signal also cuts a wait short.
void CatchQuitSignals()
{
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

double SecondsNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// The picture of the user's screen in a file of this process's own, readable
// by the user alone, in the user's runtime folder when there is one; removed
// as soon as the texture is made. Empty path when it cannot be written.
std::string WriteFloorFile(const std::vector<uint8_t>& bytes)
{
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (folder == nullptr || access(folder, W_OK) != 0)
        folder = std::getenv("TMPDIR");
    if (folder == nullptr || access(folder, W_OK) != 0)
        folder = "/tmp";
    std::string path = std::string(folder) + "/brinefold-floor-XXXXXX";
    const int file = mkstemp(path.data());
    if (file < 0)
        return {};
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(file, bytes.data() + written, bytes.size() - written);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            written += static_cast<size_t>(n);
    }
    close(file);
    if (written != bytes.size()) {
        unlink(path.c_str());
        return {};
    }
    return path;
}

// The floor texture from a bitmap file's bytes; false when they make none.
bool LoadFloorFrom(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return false;
    const std::string path = WriteFloorFile(bytes);
    if (path.empty())
        return false;
    floorSnapshotPath = path.c_str();
    const bool loaded = InitGlState();
    floorSnapshotPath = SnapshotPath;
    unlink(path.c_str());
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
        floorSnapshotPath = options.imageFile.c_str();
        const bool loaded = InitGlState();
        floorSnapshotPath = SnapshotPath;
        if (loaded)
            return true;
        std::fprintf(stderr, "brinefold: %s is no picture the reader takes; a plain floor instead\n",
                     options.imageFile.c_str());
    } else if (LoadFloorFrom(grabbed)) {
        return true;
    }
    return LoadFloorFrom(GeneratedFloor(w.width > 0 ? w.width : 1024, w.height > 0 ? w.height : 768));
}

// The Windows renderer's loop, paced: events first; a frame (water step and
// drawing); Escape ends before the frame is shown; the frame shown, the tilt
// grows; then the rest of the delay, waiting for events or a signal.
void RunShow(HackWindow& w, const HackOptions& options)
{
    FpsMeter meter;
    while (!quitSignal) {
        HandleHackEvents(w);
        if (w.closed || quitSignal)
            break;
        if (!w.visible) {  // iconified: nothing to see, nothing to spend
            WaitForHackEvents(w, 100'000);
            continue;
        }
        const double start = SecondsNow();
        DrawFrame();
        if (w.escapePressed)
            break;  // the frame just drawn is not shown
        if (options.showFps)
            DrawFpsText(w, meter.text);
        ShowHackFrame(w);
        tiltAngle = static_cast<float>(tiltAngle + 0.2);
        KeepMusicPlaying();
        const double shown = SecondsNow();
        if (options.showFps)
            CountFrame(meter, shown, shown - start);
        long rest = SleepAfterFrame(options.delayMicros, static_cast<long>((shown - start) * 1e6));
        // Events that come during the rest are handled as they come.
        while (rest > 0 && !quitSignal) {
            WaitForHackEvents(w, rest);
            HandleHackEvents(w);
            if (w.closed || w.escapePressed)
                break;
            rest = SleepAfterFrame(options.delayMicros, static_cast<long>((SecondsNow() - start) * 1e6));
        }
        if (w.escapePressed)
            break;
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
    CatchQuitSignals();

    HackWindow w;
    if (!OpenHackDisplay(w))
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
    CloseHackWindow(w);
    return 0;
}
