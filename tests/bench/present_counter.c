/* Counts the frames an X program shows, the same way for any program: every
 * image put (XPutImage, XShmPutImage, and their XCB forms) adds one to a
 * counter in a shared file ($BF_PRESENT_COUNTER), which a measuring script
 * or test reads while the program runs. Under Xvfb, Mesa's software
 * rasteriser shows each GLX buffer swap with exactly one of these calls, and
 * the plain X11 hacks measured put each frame with one, so OpenGL and plain
 * X11 hacks are counted alike. (Mesa's EGL without shared memory splits a
 * large window into several XCB puts: such a program would read too many.)
 * Calls, not pixels: Mesa may put more than the window (a 160 x 120 one as
 * 192 x 128), so pixels over the window's size read too many frames.
 * Loaded with LD_PRELOAD by scripts/measure-hacks and the screenshot tests. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <xcb/xcb.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

static volatile uint64_t* counter;

static void count_frame(void)
{
    if (!counter) {
        const char* path = getenv("BF_PRESENT_COUNTER");
        int fd = path ? open(path, O_RDWR) : -1;
        if (fd < 0)
            return;
        void* map = mmap(NULL, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        if (map == MAP_FAILED)
            return;
        counter = map;
    }
    __atomic_add_fetch(counter, 1, __ATOMIC_RELAXED);
}

int XPutImage(Display* d, Drawable w, GC gc, XImage* image, int sx, int sy, int dx, int dy, unsigned width,
              unsigned height)
{
    static int (*real)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned);
    if (!real)
        real = (int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned))dlsym(RTLD_NEXT,
                                                                                                       "XPutImage");
    count_frame();
    return real(d, w, gc, image, sx, sy, dx, dy, width, height);
}

Bool XShmPutImage(Display* d, Drawable w, GC gc, XImage* image, int sx, int sy, int dx, int dy, unsigned width,
                  unsigned height, Bool send_event)
{
    static Bool (*real)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned, Bool);
    if (!real)
        real = (Bool(*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned, Bool))dlsym(
            RTLD_NEXT, "XShmPutImage");
    count_frame();
    return real(d, w, gc, image, sx, sy, dx, dy, width, height, send_event);
}

xcb_void_cookie_t xcb_put_image(xcb_connection_t* c, uint8_t format, xcb_drawable_t drawable, xcb_gcontext_t gc,
                                uint16_t width, uint16_t height, int16_t dx, int16_t dy, uint8_t left_pad,
                                uint8_t depth, uint32_t length, const uint8_t* data)
{
    static xcb_void_cookie_t (*real)(xcb_connection_t*, uint8_t, xcb_drawable_t, xcb_gcontext_t, uint16_t, uint16_t,
                                     int16_t, int16_t, uint8_t, uint8_t, uint32_t, const uint8_t*);
    if (!real)
        real = (xcb_void_cookie_t(*)(xcb_connection_t*, uint8_t, xcb_drawable_t, xcb_gcontext_t, uint16_t, uint16_t,
                                     int16_t, int16_t, uint8_t, uint8_t, uint32_t,
                                     const uint8_t*))dlsym(RTLD_NEXT, "xcb_put_image");
    count_frame();
    return real(c, format, drawable, gc, width, height, dx, dy, left_pad, depth, length, data);
}

/* The MIT-SHM form; its header may not be installed, the call is stable. */
xcb_void_cookie_t xcb_shm_put_image(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc,
                                    uint16_t total_width, uint16_t total_height, uint16_t sx, uint16_t sy,
                                    uint16_t width, uint16_t height, int16_t dx, int16_t dy, uint8_t depth,
                                    uint8_t format, uint8_t send_event, uint32_t segment, uint32_t offset)
{
    static xcb_void_cookie_t (*real)(xcb_connection_t*, xcb_drawable_t, xcb_gcontext_t, uint16_t, uint16_t, uint16_t,
                                     uint16_t, uint16_t, uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t,
                                     uint32_t, uint32_t);
    if (!real)
        real = (xcb_void_cookie_t(*)(xcb_connection_t*, xcb_drawable_t, xcb_gcontext_t, uint16_t, uint16_t, uint16_t,
                                     uint16_t, uint16_t, uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t,
                                     uint32_t, uint32_t))dlsym(RTLD_NEXT, "xcb_shm_put_image");
    count_frame();
    return real(c, drawable, gc, total_width, total_height, sx, sy, width, height, dx, dy, depth, format, send_event,
                segment, offset);
}
