// SPDX-License-Identifier: MIT
// A dock along the bottom of the screen that reserves its height, as a taskbar does, so
// that the work area the window manager reports is smaller than the screen.
// Usage: velmora_e2e_panel [height]; runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    const int height = argc > 1 ? std::atoi(argv[1]) : 32;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy || height <= 0) {
        std::fprintf(stderr, "velmora_e2e_panel: no X display or bad height\n");
        return 1;
    }
    const int screen = DefaultScreen(dpy);
    const int width = DisplayWidth(dpy, screen);
    const int top = DisplayHeight(dpy, screen) - height;
    const Window root = RootWindow(dpy, screen);
    const Window panel =
        XCreateSimpleWindow(dpy, root, 0, top, unsigned(width), unsigned(height), 0, 0, 0x606060);

    const Atom type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
    const Atom dock = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(dpy, panel, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dock), 1);
    // left, right, top, bottom, then the start and end of each edge's span.
    const long partial[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1};
    XChangeProperty(dpy, panel, XInternAtom(dpy, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(partial), 12);
    XChangeProperty(dpy, panel, XInternAtom(dpy, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(partial), 4);
    XStoreName(dpy, panel, "velmora-e2e-panel");

    // Docks keep the place they ask for; a size hint with a position makes that explicit.
    XSizeHints hints{};
    hints.flags = PPosition | PSize;
    hints.x = 0;
    hints.y = top;
    hints.width = width;
    hints.height = height;
    XSetWMNormalHints(dpy, panel, &hints);

    XMapWindow(dpy, panel);
    XFlush(dpy);
    for (;;) {
        XEvent event;
        XNextEvent(dpy, &event);
    }
}
