// xwindow: the few things the game asks of the X server itself, on the
// graphics library's own window: which monitor it is on, its size and frame,
// whether it may be resized, the window manager's full-screen state, a
// hidden pointer and the window's icon.
#pragma once

/// A rectangle of the X screen, such as one monitor.
struct xwindow_area_ {
    int x;
    int y;
    int w;
    int h;
};

/// The monitor to play on: the one holding the window's centre when
/// `of_window` (and there is a window), else the primary one; the whole X
/// screen when the server lists no monitors. 0 when there is no display.
int xwindow_monitor(int of_window, xwindow_area_* out);

/// Moves the window's top-left corner to (x, y) of the X screen.
void xwindow_move(int x, int y);

/// The size of the window as it is now (the window manager may have
/// changed it); 0 without a window.
int xwindow_size(int* w, int* h);

/// The width and height the window manager's frame adds to the window; 0
/// when it has told none (no window manager, or not yet).
int xwindow_frame(int* w, int* h);

/// Lets the window be resized by its frame down to `min_w` x `min_h` (the
/// library asks for a fixed size at every mode it sets).
void xwindow_allow_resize(int min_w, int min_h);

/// Asks the window manager to show the window full screen (or no longer),
/// on the monitor it is on.
void xwindow_set_fullscreen(int on);

/// Hides the pointer while it is over the window.
void xwindow_hide_cursor();

/// Gives the window its icon: `count` numbers, for each size its width,
/// height and width x height pixels 0xAARRGGBB (the _NET_WM_ICON layout).
void xwindow_set_icon(const unsigned long* data, long count);
