/* What the hack's X11 test does that no stock tool does:
 *
 *   x11_tool stray-message WINDOW   sends a ClientMessage of a type nobody
 *                                   asked for (its first word the atom
 *                                   WM_DELETE_WINDOW, as in the window
 *                                   manager's close request), as any client
 *                                   on the display may
 *   x11_tool copy-screen WINDOW PIXMAP
 *                                   fills PIXMAP with the screen as it is, as
 *                                   xscreensaver-getimage does when the user
 *                                   lets it grab the desktop (a stand-in; a
 *                                   piece of the pixmap's size from the
 *                                   middle of the bottom edge, where the
 *                                   test's desktop halves meet and no test
 *                                   window lies) */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    Display* display = argc >= 3 ? XOpenDisplay(NULL) : NULL;
    if (display == NULL) {
        fputs("usage: x11_tool stray-message WINDOW | copy-screen WINDOW PIXMAP (with a display)\n", stderr);
        return 2;
    }
    const Window window = strtoul(argv[2], NULL, 0);
    int ok = 0;
    if (strcmp(argv[1], "stray-message") == 0) {
        XEvent event = {0};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "BRINEFOLD_STRAY", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
        ok = XSendEvent(display, window, False, StructureNotifyMask, &event) != 0;
    } else if (strcmp(argv[1], "copy-screen") == 0 && argc == 4) {
        const Drawable pixmap = strtoul(argv[3], NULL, 0);
        Window root;
        int x, y;
        unsigned width, height, border, depth;
        XGCValues values = {0};
        values.subwindow_mode = IncludeInferiors;
        ok = XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth) != 0;
        if (ok) {
            GC gc = XCreateGC(display, pixmap, GCSubwindowMode, &values);
            const int left = (DisplayWidth(display, DefaultScreen(display)) - (int)width) / 2;
            const int top = DisplayHeight(display, DefaultScreen(display)) - (int)height;
            XCopyArea(display, root, pixmap, gc, left, top, width, height, 0, 0);
            XFreeGC(display, gc);
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    return ok ? 0 : 1;
}
