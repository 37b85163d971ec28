// xwindow: Xlib and XRandR on the graphics library's window (see xwindow.h).
// Every call takes the library's X lock, as its own input thread shares the
// connection.
#include "platform/xwindow.h"

#include <allegro.h>
#include <xalleg.h>

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

namespace {

/// The library's top-level window, the one the window manager manages (the
/// picture is drawn in a child of it); 0 before there is one.
Window xwindow_top() {
    return _xwin.wm_window ? _xwin.wm_window : _xwin.window;
}

/// 1 if the rectangle holds the point.
bool xwindow_holds(const XRRMonitorInfo& m, int x, int y) {
    return x >= m.x && y >= m.y && x < m.x + m.width && y < m.y + m.height;
}

/// The centre of the library's window on the X screen; false without one.
bool xwindow_centre(int* x, int* y) {
    Window child;
    XWindowAttributes a;
    if (!xwindow_top() || !XGetWindowAttributes(_xwin.display, xwindow_top(), &a))
        return false;
    return XTranslateCoordinates(_xwin.display, xwindow_top(), DefaultRootWindow(_xwin.display),
                                 a.width / 2, a.height / 2, x, y, &child);
}

/// Sends the window manager a change of the window's state (1 add, 0 remove).
void xwindow_send_state(Atom state, int add) {
    Display* d = _xwin.display;
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = xwindow_top();
    e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = add ? 1 : 0;
    e.xclient.data.l[1] = long(state);
    e.xclient.data.l[3] = 1; // asked by an application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
}

} // namespace

int xwindow_monitor(int of_window, xwindow_area_* out) {
    if (!_xwin.display)
        return 0;
    XLOCK();
    Display* d = _xwin.display;
    *out = {0, 0, DisplayWidth(d, _xwin.screen), DisplayHeight(d, _xwin.screen)};
    int cx = 0, cy = 0, count = 0, event_base, error_base;
    const bool at_window = of_window && xwindow_centre(&cx, &cy);
    XRRMonitorInfo* monitors = XRRQueryExtension(d, &event_base, &error_base)
                                   ? XRRGetMonitors(d, DefaultRootWindow(d), True, &count)
                                   : nullptr;
    int pick = count > 0 ? 0 : -1;
    for (int i = 0; i < count; i++)
        if (at_window ? xwindow_holds(monitors[i], cx, cy) : monitors[i].primary != 0) {
            pick = i;
            break;
        }
    if (pick >= 0)
        *out = {monitors[pick].x, monitors[pick].y, monitors[pick].width, monitors[pick].height};
    if (monitors)
        XRRFreeMonitors(monitors);
    XUNLOCK();
    return 1;
}

void xwindow_move(int x, int y) {
    if (!_xwin.display || !xwindow_top())
        return;
    XLOCK();
    XMoveWindow(_xwin.display, xwindow_top(), x, y);
    XFlush(_xwin.display);
    XUNLOCK();
}

int xwindow_size(int* w, int* h) {
    if (!_xwin.display || !xwindow_top())
        return 0;
    XLOCK();
    XWindowAttributes a;
    const int ok = XGetWindowAttributes(_xwin.display, xwindow_top(), &a);
    if (ok) {
        *w = a.width;
        *h = a.height;
    }
    XUNLOCK();
    return ok ? 1 : 0;
}

int xwindow_frame(int* w, int* h) {
    if (!_xwin.display || !xwindow_top())
        return 0;
    XLOCK();
    Display* d = _xwin.display;
    Atom type;
    int format;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    const bool got =
        XGetWindowProperty(d, xwindow_top(), XInternAtom(d, "_NET_FRAME_EXTENTS", False), 0, 4,
                           False, XA_CARDINAL, &type, &format, &count, &left, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 4;
    if (got) {
        const long* sides = reinterpret_cast<const long*>(data); // left, right, top, bottom
        *w = int(sides[0] + sides[1]);
        *h = int(sides[2] + sides[3]);
    }
    if (data)
        XFree(data);
    XUNLOCK();
    return got ? 1 : 0;
}

void xwindow_allow_resize(int min_w, int min_h) {
    if (!_xwin.display || !xwindow_top())
        return;
    XLOCK();
    XSizeHints* hints = XAllocSizeHints();
    long given = 0;
    if (hints) {
        XGetWMNormalHints(_xwin.display, xwindow_top(), hints, &given);
        hints->flags = (hints->flags & ~(PMaxSize | PBaseSize)) | PMinSize;
        hints->min_width = min_w;
        hints->min_height = min_h;
        XSetWMNormalHints(_xwin.display, xwindow_top(), hints);
        XFree(hints);
        XFlush(_xwin.display);
    }
    XUNLOCK();
}

void xwindow_set_fullscreen(int on) {
    if (!_xwin.display || !xwindow_top())
        return;
    XLOCK();
    Display* d = _xwin.display;
    Atom full = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
    xwindow_send_state(full, on);
    XFlush(d);
    XUNLOCK();
}

void xwindow_hide_cursor() {
    if (!_xwin.display || !_xwin.window)
        return;
    XLOCK();
    Display* d = _xwin.display;
    static const char empty[1] = {0};
    Pixmap blank = XCreateBitmapFromData(d, _xwin.window, empty, 1, 1);
    XColor black = {};
    Cursor none = XCreatePixmapCursor(d, blank, blank, &black, &black, 0, 0);
    XDefineCursor(d, _xwin.window, none);
    XFreeCursor(d, none);
    XFreePixmap(d, blank);
    XFlush(d);
    XUNLOCK();
}

void xwindow_set_icon(const unsigned long* data, long count) {
    if (!_xwin.display || !xwindow_top() || count <= 0)
        return;
    XLOCK();
    Display* d = _xwin.display;
    XChangeProperty(d, xwindow_top(), XInternAtom(d, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(data), int(count));
    XFlush(d);
    XUNLOCK();
}
