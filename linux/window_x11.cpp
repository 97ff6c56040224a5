// The hack's X11 + GLX frame.
#include "linux/window_x11.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "linux/quit_signal.h"
#include "renderer/scene.h"

namespace {

// The Windows renderer's window size; our own window is no larger than the screen.
constexpr int kOwnWidth = 1024;
constexpr int kOwnHeight = 768;
const char kTitle[] = "Brinefold";

GLXContext context = nullptr;
Colormap colormap = 0;
Atom wmProtocols = 0;
Atom deleteWindow = 0;
bool doubleBuffered = true;
XFontStruct* fpsFont = nullptr;
GLuint fpsLists = 0;  // display lists of the characters 32..127

// GLX's own error codes for a bad drawable or window, after its error base
// (glxproto.h, which needs the server's headers to be included).
constexpr int kGlxBadDrawable = 2;
constexpr int kGlxBadWindow = 12;

// What the X error handler knows: it runs inside Xlib calls and may not
// talk to the server, so it only notes what came.
struct XErrorState {
    Window watched = 0;  // our window or the host's, once chosen
    int glxErrorBase = -1;
    bool expecting = false;
    bool expectedCame = false;
    bool windowGone = false;
    bool failed = false;
};
XErrorState xErrors;

bool NamesAGoneWindow(const XErrorEvent& e)
{
    const int glx = xErrors.glxErrorBase;
    const bool badWindow = e.error_code == BadWindow || e.error_code == BadDrawable ||
                           (glx >= 0 && (e.error_code == glx + kGlxBadDrawable || e.error_code == glx + kGlxBadWindow));
    return badWindow && xErrors.watched != 0 && e.resourceid == xErrors.watched;
}

int OnXError(Display* display, XErrorEvent* e)
{
    if (xErrors.expecting) {
        xErrors.expectedCame = true;
    } else if (xErrors.windowGone || NamesAGoneWindow(*e)) {
        // Once the window is gone, whatever still went to it fails too.
        xErrors.windowGone = true;
    } else if (!xErrors.failed) {
        char text[160];
        XGetErrorText(display, e->error_code, text, sizeof text);
        std::fprintf(stderr, "brinefold: X error: %s (request %d.%d, resource 0x%lx)\n", text, e->request_code,
                     e->minor_code, e->resourceid);
        xErrors.failed = true;
    }
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
// double buffered, a 16-bit depth buffer at least. -geometry places and
// sizes it as the user says (whatever part of it is given).
XVisualInfo* MakeOwnWindow(HackWindow& w, const HackOptions& options)
{
    Display* d = w.display;
    const int screen = DefaultScreen(d);
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                        1,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo* info = glXChooseVisual(d, screen, attributes);
    if (info == nullptr)
        return nullptr;
    doubleBuffered = true;
    XSizeHints size{};
    size.width = std::min(kOwnWidth, DisplayWidth(d, screen));
    size.height = std::min(kOwnHeight, DisplayHeight(d, screen));
    if (!options.geometry.empty()) {
        int x = 0, y = 0;
        unsigned width = 0, height = 0;
        const int given = XParseGeometry(options.geometry.c_str(), &x, &y, &width, &height);
        if ((given & WidthValue) && width > 0) {
            size.width = static_cast<int>(width);
            size.flags |= USSize;
        }
        if ((given & HeightValue) && height > 0) {
            size.height = static_cast<int>(height);
            size.flags |= USSize;
        }
        if ((given & XValue) && (given & YValue)) {
            size.x = (given & XNegative) ? DisplayWidth(d, screen) + x - size.width : x;
            size.y = (given & YNegative) ? DisplayHeight(d, screen) + y - size.height : y;
            size.flags |= USPosition;
        }
    }
    w.width = size.width;
    w.height = size.height;
    const Window root = RootWindow(d, screen);
    colormap = XCreateColormap(d, root, info->visual, AllocNone);
    XSetWindowAttributes set{};
    set.colormap = colormap;
    set.background_pixel = BlackPixel(d, screen);
    set.border_pixel = 0;
    set.event_mask = KeyPressMask | StructureNotifyMask;
    w.window = XCreateWindow(d, root, size.x, size.y, static_cast<unsigned>(w.width), static_cast<unsigned>(w.height),
                             0, info->depth, InputOutput, info->visual,
                             CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
    w.ownWindow = true;
    xErrors.watched = w.window;
    XStoreName(d, w.window, kTitle);
    XClassHint hint = {const_cast<char*>("brinefold"), const_cast<char*>(kTitle)};
    XSetClassHint(d, w.window, &hint);
    XSetWMNormalHints(d, w.window, &size);
    // Keys come only to a window that says it takes input.
    XWMHints wmHints{};
    wmHints.flags = InputHint;
    wmHints.input = True;
    XSetWMHints(d, w.window, &wmHints);
    const long pid = static_cast<long>(getpid());
    XChangeProperty(d, w.window, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    wmProtocols = XInternAtom(d, "WM_PROTOCOLS", False);
    deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w.window, &deleteWindow, 1);
    return info;
}

// The root window or a host's: we draw with whatever visual it has, and
// only listen for its size and its end (keys there belong to the host).
// A window that vanishes from here on is an error on it: a clean end.
XVisualInfo* UseExistingWindow(HackWindow& w, Window window)
{
    XWindowAttributes attributes;
    ExpectXErrors(w.display);
    const bool named = XGetWindowAttributes(w.display, window, &attributes) != 0;
    if (EndExpectingXErrors(w.display) || !named)
        return nullptr;
    XVisualInfo* info = GlVisualOf(w.display, attributes);
    if (info == nullptr)
        return nullptr;
    w.window = window;
    w.width = attributes.width;
    w.height = attributes.height;
    xErrors.watched = window;
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
    // HACK: Mesa's glXUseXFont leaves the space's list empty: a glyph of no
    //       pixels compiles to a 0 x 0 glBitmap, which Mesa's display lists
    //       refuse (GL_OUT_OF_MEMORY), and the advance goes with it. The
    //       space is one clear pixel and a move of its width instead.
    const XCharStruct* space =
        fpsFont->per_char != nullptr && fpsFont->min_char_or_byte2 <= ' ' && fpsFont->max_char_or_byte2 >= ' '
            ? &fpsFont->per_char[' ' - fpsFont->min_char_or_byte2]
            : &fpsFont->max_bounds;
    static const GLubyte kClearPixel = 0;
    glNewList(fpsLists, GL_COMPILE);
    glBitmap(1, 1, 0.0f, 0.0f, static_cast<float>(space->width), 0.0f, &kClearPixel);
    glEndList();
}

}  // namespace

bool OpenHackDisplay(HackWindow& w, const HackOptions& options)
{
    const char* name = options.display.empty() ? nullptr : options.display.c_str();
    w.display = XOpenDisplay(name);
    if (w.display == nullptr) {
        std::fprintf(stderr, "brinefold: cannot open display \"%s\"\n", XDisplayName(name));
        return false;
    }
    xErrors = XErrorState{};
    int eventBase = 0;
    if (!glXQueryExtension(w.display, &xErrors.glxErrorBase, &eventBase))
        xErrors.glxErrorBase = -1;
    XSetErrorHandler(OnXError);
    return true;
}

void ExpectXErrors(Display* display)
{
    XSync(display, False);
    xErrors.expecting = true;
    xErrors.expectedCame = false;
}

bool EndExpectingXErrors(Display* display)
{
    XSync(display, False);
    xErrors.expecting = false;
    return xErrors.expectedCame;
}

bool OpenHackWindow(HackWindow& w, const HackOptions& options)
{
    XVisualInfo* info = nullptr;
    switch (options.target) {
    case HackTarget::OwnWindow: info = MakeOwnWindow(w, options); break;
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
    // A host window that went before we listened to it shows up here.
    XSync(w.display, False);
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
            // Only the window manager's close request; anyone may send us
            // a ClientMessage of any other kind.
            if (w.ownWindow && event.xclient.message_type == wmProtocols && event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                w.closed = true;
            }
            break;
        case KeyPress: {
            // As the stock hacks: q, Q, Ctrl-C and Escape end the show.
            char text[8];
            KeySym key = NoSymbol;
            const int n = XLookupString(&event.xkey, text, sizeof text, &key, nullptr);
            if (n == 1 && (text[0] == 'q' || text[0] == 'Q' || text[0] == '\003' || text[0] == '\033'))
                w.closed = true;
            break;
        }
        default: break;
        }
    }
    w.closed = w.closed || xErrors.windowGone;
    w.failed = xErrors.failed;
}

void WaitForHackEvents(HackWindow& w, double seconds)
{
    XFlush(w.display);
    // Through the wait even with nothing to wait for: it is where the quit
    // signals get in.
    pollfd fd = {ConnectionNumber(w.display), POLLIN, 0};
    WaitUnblocked(&fd, 1, XPending(w.display) > 0 ? 0.0 : seconds);
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
    // Whatever fails on the way out (the window gone already) changes nothing.
    xErrors.expecting = true;
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
