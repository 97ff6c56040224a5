// The floor picture from X: XGetImage of the root window, or of a pixmap
// that xscreensaver-getimage filled.
#include "linux/grab_x11.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "linux/floor_picture.h"
#include "linux/quit_signal.h"
#include "linux/window_x11.h"

extern char** environ;

namespace {

// Debian keeps the helper beside the hacks, which xscreensaver puts on the
// hacks' PATH; run by hand it may not be there.
const char* const kGetimagePrograms[] = {"xscreensaver-getimage", "/usr/libexec/xscreensaver/xscreensaver-getimage"};
constexpr int kGetimageSeconds = 10;

// The colours' places come from the visual: an image of a pixmap (which has
// none) carries no masks of its own.
std::vector<uint8_t> SnapshotOf(Display* display, Drawable drawable, const XWindowAttributes& like)
{
    const unsigned width = static_cast<unsigned>(like.width), height = static_cast<unsigned>(like.height);
    XImage* image = XGetImage(display, drawable, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    ScreenPixels pixels;
    pixels.width = image->width;
    pixels.height = image->height;
    pixels.bytesPerLine = image->bytes_per_line;
    pixels.bitsPerPixel = image->bits_per_pixel;
    pixels.mostSignificantFirst = image->byte_order == MSBFirst;
    pixels.redMask = static_cast<uint32_t>(like.visual->red_mask);
    pixels.greenMask = static_cast<uint32_t>(like.visual->green_mask);
    pixels.blueMask = static_cast<uint32_t>(like.visual->blue_mask);
    pixels.data = reinterpret_cast<const uint8_t*>(image->data);
    std::vector<uint8_t> file = SnapshotFromScreen(pixels);
    XDestroyImage(image);
    return file;
}

// Starts the helper with its stdout on /dev/null (it may talk there); 0 when
// it cannot be started.
pid_t StartGetimage(Window window, Pixmap pixmap)
{
    char windowArg[32], pixmapArg[32];
    std::snprintf(windowArg, sizeof windowArg, "0x%lx", window);
    std::snprintf(pixmapArg, sizeof pixmapArg, "0x%lx", pixmap);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    for (const char* program : kGetimagePrograms) {
        char* argv[] = {const_cast<char*>(program), windowArg, pixmapArg, nullptr};
        if (posix_spawnp(&pid, program, &actions, nullptr, argv, environ) == 0)
            break;
        pid = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// True when the helper ended by itself with status 0 in time; otherwise it
// is stopped (and reaped) here, and stderr says why.
bool WaitForGetimage(pid_t pid, const volatile sig_atomic_t& quit)
{
    for (int k = 0; k < kGetimageSeconds * 50 && !quit; ++k) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
            return true;
        if (done == pid || done < 0) {
            std::fprintf(stderr, "brinefold: xscreensaver-getimage failed (status %d)\n", status);
            return false;
        }
        WaitUnblocked(nullptr, 0, 0.02);
    }
    if (!quit)
        std::fprintf(stderr, "brinefold: xscreensaver-getimage took too long\n");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return false;
}

}  // namespace

std::vector<uint8_t> GrabRootWindow(Display* display)
{
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    std::vector<uint8_t> file;
    ExpectXErrors(display);
    if (XGetWindowAttributes(display, root, &attributes))
        file = SnapshotOf(display, root, attributes);
    return EndExpectingXErrors(display) ? std::vector<uint8_t>() : file;
}

std::vector<uint8_t> GrabFromXscreensaver(Display* display, Window window, const volatile sig_atomic_t& quit)
{
    XWindowAttributes attributes;
    ExpectXErrors(display);
    const bool named = XGetWindowAttributes(display, window, &attributes) != 0;
    Pixmap pixmap = 0;
    if (named && attributes.width > 0 && attributes.height > 0) {
        pixmap = XCreatePixmap(display, window, static_cast<unsigned>(attributes.width),
                               static_cast<unsigned>(attributes.height), static_cast<unsigned>(attributes.depth));
    }
    // The helper is another client: the pixmap must exist on the server first
    // (the end of the expected errors syncs).
    if (EndExpectingXErrors(display) || pixmap == 0)
        return {};
    std::vector<uint8_t> file;
    const pid_t helper = StartGetimage(window, pixmap);
    if (helper == 0)
        std::fprintf(stderr, "brinefold: xscreensaver-getimage cannot be started\n");
    ExpectXErrors(display);
    if (helper != 0 && WaitForGetimage(helper, quit)) {
        file = SnapshotOf(display, pixmap, attributes);
    }
    XFreePixmap(display, pixmap);
    return EndExpectingXErrors(display) ? std::vector<uint8_t>() : file;
}
