// The hack's X11 + GLX frame.
#include "linux/window_x11.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "renderer/scene.h"

namespace {

// The Windows renderer's window size; our own window is no larger than the screen.
constexpr int kOwnWidth = 1024;
constexpr int kOwnHeight = 768;
const char kTitle[] = "Brinefold";

GLXContext context = nullptr;
Colormap colormap = 0;
Atom deleteWindow = 0;
bool doubleBuffered = true;
XFontStruct* fpsFont = nullptr;
GLuint fpsLists = 0;  // display lists of the characters 32..127

// X errors are reported here instead of ending the program (Xlib's default):
// a grab of a window that is not viewable, or a host window destroyed under
// us, must not crash the show. The calls concerned check their own results.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// The visual of an existing window, when OpenGL can draw with it.
XVisualInfo* GlVisualOf(Display* display, const XWindowAttributes& attributes)
{
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    wanted.screen = XScreenNumberOfScreen(attributes.screen);
    int count = 0;
    XVisualInfo* info = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
    int useGl = 0, rgba = 0;
    if (info != nullptr && glXGetConfig(display, info, GLX_USE_GL, &useGl) == 0 && useGl &&
        glXGetConfig(display, info, GLX_RGBA, &rgba) == 0 && rgba) {
        int doubleBuffer = 0;
        glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doubleBuffer);
        doubleBuffered = doubleBuffer != 0;
        return info;
    }
    if (info != nullptr)
        XFree(info);
    return nullptr;
}

// Our own window, as the Windows renderer asks for its pixel format: RGBA,
// double buffered, a 16-bit depth buffer at least.
XVisualInfo* MakeOwnWindow(HackWindow& w)
{
    Display* d = w.display;
    const int screen = DefaultScreen(d);
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                        1,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo* info = glXChooseVisual(d, screen, attributes);
    if (info == nullptr)
        return nullptr;
    doubleBuffered = true;
    w.width = std::min(kOwnWidth, DisplayWidth(d, screen));
    w.height = std::min(kOwnHeight, DisplayHeight(d, screen));
    const Window root = RootWindow(d, screen);
    colormap = XCreateColormap(d, root, info->visual, AllocNone);
    XSetWindowAttributes set{};
    set.colormap = colormap;
    set.background_pixel = BlackPixel(d, screen);
    set.border_pixel = 0;
    set.event_mask = KeyPressMask | StructureNotifyMask;
    w.window =
        XCreateWindow(d, root, 0, 0, static_cast<unsigned>(w.width), static_cast<unsigned>(w.height), 0, info->depth,
                      InputOutput, info->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
    w.ownWindow = true;
    XStoreName(d, w.window, kTitle);
    XClassHint hint = {const_cast<char*>("brinefold"), const_cast<char*>(kTitle)};
    XSetClassHint(d, w.window, &hint);
    deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w.window, &deleteWindow, 1);
    return info;
}

// The root window or a host's: we draw with whatever visual it has, and
// only listen for its size and its end (keys there belong to the host).
XVisualInfo* UseExistingWindow(HackWindow& w, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(w.display, window, &attributes))
        return nullptr;
    XVisualInfo* info = GlVisualOf(w.display, attributes);
    if (info == nullptr)
        return nullptr;
    w.window = window;
    w.width = attributes.width;
    w.height = attributes.height;
    XSelectInput(w.display, window, StructureNotifyMask);
    return info;
}

void LoadFpsFont(Display* display)
{
    fpsFont = XLoadQueryFont(display, "fixed");
    if (fpsFont == nullptr)
        return;
    fpsLists = glGenLists(96);
    glXUseXFont(fpsFont->fid, 32, 96, static_cast<int>(fpsLists));
}

}  // namespace

bool OpenHackDisplay(HackWindow& w)
{
    w.display = XOpenDisplay(nullptr);
    if (w.display == nullptr) {
        std::fprintf(stderr, "brinefold: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return false;
    }
    XSetErrorHandler(IgnoreXError);
    return true;
}

bool OpenHackWindow(HackWindow& w, const HackOptions& options)
{
    XVisualInfo* info = nullptr;
    switch (options.target) {
    case HackTarget::OwnWindow: info = MakeOwnWindow(w); break;
    case HackTarget::Root: info = UseExistingWindow(w, DefaultRootWindow(w.display)); break;
    case HackTarget::GivenWindow: info = UseExistingWindow(w, options.windowId); break;
    }
    if (info == nullptr) {
        std::fprintf(stderr, "brinefold: no window OpenGL can draw into (%s)\n",
                     options.target == HackTarget::GivenWindow ? "the given window" : "no GLX visual");
        return false;
    }
    context = glXCreateContext(w.display, info, nullptr, True);
    XFree(info);
    if (context == nullptr || !glXMakeCurrent(w.display, w.window, context)) {
        std::fprintf(stderr, "brinefold: no OpenGL context\n");
        return false;
    }
    if (w.ownWindow) {
        XMapRaised(w.display, w.window);
        // Drawn before it is mapped would be lost; the map comes before any resize.
        XEvent event;
        XIfEvent(
            w.display, &event,
            [](Display*, XEvent* e, XPointer window) -> Bool {
                return e->type == MapNotify && e->xmap.window == *reinterpret_cast<Window*>(window);
            },
            reinterpret_cast<XPointer>(&w.window));
    }
    if (options.showFps)
        LoadFpsFont(w.display);
    ResizeScene(w.width, w.height);
    return true;
}

void HandleHackEvents(HackWindow& w)
{
    while (XPending(w.display) > 0) {
        XEvent event;
        XNextEvent(w.display, &event);
        if (event.xany.window != w.window)
            continue;
        switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.width != w.width || event.xconfigure.height != w.height) {
                w.width = event.xconfigure.width;
                w.height = event.xconfigure.height;
                ResizeScene(w.width, w.height);
            }
            break;
        case MapNotify: w.visible = true; break;
        case UnmapNotify: w.visible = !w.ownWindow; break;  // a host may hide its window; we keep going
        case DestroyNotify: w.closed = true; break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                w.closed = true;
            break;
        case KeyPress:
            if (XLookupKeysym(&event.xkey, 0) == XK_Escape)
                w.escapePressed = true;
            break;
        default: break;
        }
    }
}

void WaitForHackEvents(HackWindow& w, long micros)
{
    XFlush(w.display);
    if (XPending(w.display) > 0)
        return;
    pollfd fd = {ConnectionNumber(w.display), POLLIN, 0};
    const timespec timeout = {micros / 1'000'000, (micros % 1'000'000) * 1000};
    // A signal ends the wait early (EINTR); the loop looks at it next.
    ppoll(&fd, 1, &timeout, nullptr);
}

void DrawFpsText(HackWindow& w, const std::string& text)
{
    if (fpsLists == 0 || text.empty())
        return;
    // Everything is put back: the floor of the next frame takes the current
    // colour, and the water the current texture coordinate.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, w.width, 0.0, w.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 0.0f);
    glListBase(fpsLists - 32);
    const int lineHeight = fpsFont->ascent + fpsFont->descent + 2;
    // Lines from the bottom up, the last one lowest.
    int y = 10 + fpsFont->descent;
    size_t end = text.size();
    while (true) {
        const size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
        const size_t from = start == std::string::npos ? 0 : start + 1;
        glRasterPos2i(10, y);
        glCallLists(static_cast<GLsizei>(end - from), GL_UNSIGNED_BYTE, text.data() + from);
        if (start == std::string::npos)
            break;
        end = start;
        y += lineHeight;
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void ShowHackFrame(HackWindow& w)
{
    if (doubleBuffered) {
        glXSwapBuffers(w.display, w.window);
    } else {
        glFinish();
    }
}

void CloseHackWindow(HackWindow& w)
{
    if (w.display == nullptr)
        return;
    if (context != nullptr) {
        if (fpsLists != 0)
            glDeleteLists(fpsLists, 96);
        glXMakeCurrent(w.display, None, nullptr);
        glXDestroyContext(w.display, context);
        context = nullptr;
    }
    fpsLists = 0;
    if (fpsFont != nullptr) {
        XFreeFont(w.display, fpsFont);
        fpsFont = nullptr;
    }
    if (w.ownWindow && w.window != 0)
        XDestroyWindow(w.display, w.window);
    if (colormap != 0)
        XFreeColormap(w.display, colormap);
    colormap = 0;
    XCloseDisplay(w.display);
    w = HackWindow{};
}
