// display: the screen's size and mode, the switch between full screen and
// window, and the copy of each finished picture to the screen (see
// display.h). What only the X server can do is asked through platform/xwindow.
#include "platform/display.h"

#include <allegro.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/xwindow.h"

namespace {

// The icon sizes the window offers the task bar (those of the desktop icons).
// size
constexpr int icon_sizes[] = {16, 32, 48, 64, 128, 256};

/// The screen as set: its mode, the factor asked for, where the picture goes.
int windowed = 0;
double scale_asked = 0;
bool ready = false;
scale_plan_ plan = {0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H};
std::vector<unsigned long> icon;

/// The width and height of the screen for a mode on `monitor`.
void display_size(int as_window, const xwindow_area_& monitor, double factor, int* w, int* h) {
    *w = as_window ? int(std::lround(SCALE_PICTURE_W * factor)) : monitor.w;
    *h = as_window ? int(std::lround(SCALE_PICTURE_H * factor)) : monitor.h;
}

/// Sets full screen or a window on `monitor` at `factor` (0: the mode's
/// own); false, with the screen unchanged or gone, when the library fails.
bool display_set(int as_window, const xwindow_area_& monitor, double factor) {
    if (factor <= 0)
        factor = as_window ? scale_window_factor(monitor.w, monitor.h)
                           : scale_fit_factor(monitor.w, monitor.h);
    int w, h;
    display_size(as_window, monitor, factor, &w, &h);
    if (as_window)
        xwindow_set_fullscreen(0); // a full-screen window would keep its size
    set_color_depth(32);
    scale_forget(); // a new screen holds nothing of the last picture
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, w, h, 0, 0) != 0)
        return false;
    xwindow_move(monitor.x, monitor.y);
    if (!as_window)
        xwindow_set_fullscreen(1);
    xwindow_hide_cursor();
    xwindow_set_icon(icon.data(), long(icon.size()));
    windowed = as_window;
    plan = scale_plan(w, h, factor);
    ready = true;
    return true;
}

/// Says on stderr which screen was asked for and which one the game got.
void display_tell_fallback(int asked_window, const char* why) {
    fprintf(stderr, "cave: %s could not be set (%s); playing %s at %dx%d instead\n",
            asked_window ? "the window" : "full screen", why,
            windowed ? "in a window" : "full screen", SCREEN_W, SCREEN_H);
}

} // namespace

void display_set_icon(BITMAP* sprite) {
    icon.clear();
    if (!sprite)
        return;
    for (int size : icon_sizes) {
        icon.push_back(size);
        icon.push_back(size);
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                const int c = getpixel(sprite, x * sprite->w / size, y * sprite->h / size);
                const unsigned long rgb = getr32(c) << 16 | getg32(c) << 8 | getb32(c);
                icon.push_back(rgb == 0xff00ff ? 0 : 0xff000000ul | rgb);
            }
    }
}

int display_open(int as_window, double scale) {
    scale_asked = scale;
    xwindow_area_ monitor = {0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H};
    xwindow_monitor(0, &monitor);
    if (display_set(as_window, monitor, scale))
        return 1;
    char why[ALLEGRO_ERROR_SIZE];
    snprintf(why, sizeof why, "%s", allegro_error);
    if ((!as_window && display_set(1, monitor, scale)) || display_set(1, monitor, 0) ||
        display_set(1, monitor, 1)) {
        display_tell_fallback(as_window, why);
        return 1;
    }
    return 0;
}

void display_switch() {
    if (!ready)
        return;
    xwindow_area_ monitor = {0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H};
    xwindow_monitor(1, &monitor);
    // The picture on the screen now, which the back buffer need not hold
    // any more (the game draws the next screen before it waits for a key).
    BITMAP* kept = create_bitmap(SCALE_PICTURE_W, SCALE_PICTURE_H);
    const bool have = kept && display_shown(kept);
    const int want = !windowed;
    if (!display_set(want, monitor, scale_asked) && !display_set(!want, monitor, scale_asked) &&
        !display_set(1, monitor, 1)) {
        fprintf(stderr, "cave: the screen could not be set again (%s)\n", allegro_error);
        ready = false;
        return;
    }
    if (windowed != want)
        display_tell_fallback(want, allegro_error);
    if (kept) {
        if (have)
            display_show(kept);
        destroy_bitmap(kept);
    }
}

int display_windowed() {
    return windowed;
}

int display_shown(BITMAP* out) {
    if (!screen || !out)
        return 0;
    if (ready && (plan.w != SCALE_PICTURE_W || plan.h != SCALE_PICTURE_H))
        return scale_shown(out);
    blit(screen, out, ready ? plan.x : 0, ready ? plan.y : 0, 0, 0, SCALE_PICTURE_W,
         SCALE_PICTURE_H);
    return 1;
}

void display_show(BITMAP* picture) {
    if (!picture || !screen)
        return;
    if (!ready) {
        blit(picture, screen, 0, 0, 0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H);
        return;
    }
    scale_blit(picture, screen, plan);
}

scale_plan_ display_plan() {
    return plan;
}
