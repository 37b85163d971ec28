// display: the screen's size and mode, the switch between full screen and
// window, and the copy of each finished picture to the screen (see
// display.h). What only the X server can do is asked through platform/xwindow.
#include "platform/display.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
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

/// The window's size as the player chose it by its frame, kept for the rest
/// of the run (0 x 0: none chosen, the window is sized by the factor).
int chosen_w = 0, chosen_h = 0;
void (*resized)(int w, int h) = nullptr; // told of a size chosen by the frame

/// The window as watched: the monitor it was set on, when it was last looked
/// at and the size it had then, whether it may be resized yet (once it has
/// the size set, or the window manager has kept it from that for a while),
/// and whether a window too large for its monitor was told.
xwindow_area_ window_monitor = {0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H};
long long last_look_ms = 0;
int seen_w = 0, seen_h = 0;
int looks_to_settle = 0;
bool told_too_large = false;

/// How often the window's size is looked at, how many looks it may take to
/// come to the size set, and the least size it may be given by its frame.
constexpr int WATCH_EVERY_MS = 250;
constexpr int SETTLE_LOOKS = 8;
constexpr int LEAST_W = SCALE_PICTURE_W / 4, LEAST_H = SCALE_PICTURE_H / 4;

/// The width and height of the screen for a mode on `monitor` at `factor`.
void display_size(int as_window, const xwindow_area_& monitor, double factor, int* w, int* h) {
    if (!as_window) {
        *w = monitor.w;
        *h = monitor.h;
    } else if (chosen_w > 0 && chosen_h > 0 && chosen_w <= monitor.w && chosen_h <= monitor.h) {
        *w = chosen_w;
        *h = chosen_h;
    } else {
        if (factor <= 0)
            factor = scale_window_factor(monitor.w, monitor.h);
        *w = int(std::lround(SCALE_PICTURE_W * factor));
        *h = int(std::lround(SCALE_PICTURE_H * factor));
    }
}

/// Puts a window of w x h in the middle of `monitor` (its frame, when the
/// window manager has told it), never above or left of it.
void display_centre(const xwindow_area_& monitor, int w, int h) {
    int frame_w = 0, frame_h = 0;
    xwindow_frame(&frame_w, &frame_h);
    xwindow_move(monitor.x + std::max(0, (monitor.w - w - frame_w) / 2),
                 monitor.y + std::max(0, (monitor.h - h - frame_h) / 2));
}

void display_note_forget();

/// Sets full screen or a window on `monitor`, the picture at `factor` (0:
/// as large as fits) as in full screen; a new window goes in the middle of
/// the monitor unless `keep_place`. False, with the screen unchanged or gone,
/// when the library fails.
bool display_set(int as_window, const xwindow_area_& monitor, double factor,
                 bool keep_place = false) {
    int w, h;
    display_size(as_window, monitor, factor, &w, &h);
    if (as_window)
        xwindow_set_fullscreen(0); // a full-screen window would keep its size
    set_color_depth(32);
    scale_forget(); // a new screen holds nothing of the last picture, nor the note
    display_note_forget();
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, w, h, 0, 0) != 0)
        return false;
    if (!as_window)
        xwindow_move(monitor.x, monitor.y);
    else if (!keep_place)
        display_centre(monitor, w, h);
    if (!as_window)
        xwindow_set_fullscreen(1);
    xwindow_hide_cursor();
    xwindow_set_icon(icon.data(), long(icon.size()));
    windowed = as_window;
    plan = scale_plan(w, h, factor > 0 ? factor : scale_fit_factor(w, h));
    window_monitor = monitor;
    looks_to_settle = SETTLE_LOOKS;
    ready = true;
    return true;
}

/// The last resorts when a screen cannot be set: a window of the offered
/// size, then one of 1024 x 768 (the chosen size and the factor left out).
bool display_set_plain(const xwindow_area_& monitor) {
    chosen_w = chosen_h = 0;
    return display_set(1, monitor, 0) || display_set(1, monitor, 1);
}

/// Sets a window on the monitor it was set on at the size chosen, where it
/// is, showing the picture the screen showed before again; false when the
/// library failed.
bool display_follow_window() {
    BITMAP* kept = create_bitmap(SCALE_PICTURE_W, SCALE_PICTURE_H);
    const bool have = kept && display_shown(kept);
    const bool set =
        display_set(1, window_monitor, scale_asked, true) || display_set_plain(window_monitor);
    if (kept) {
        if (set && have)
            display_show(kept);
        destroy_bitmap(kept);
    }
    return set;
}

/// Once the window has come to the size set (or the window manager keeps
/// it from that): lets the player resize it, and tells on stderr, once, of
/// a window larger than its monitor. False while it has not.
bool display_settle(int w, int h) {
    if (looks_to_settle <= 0)
        return true;
    if (w != SCREEN_W || h != SCREEN_H) {
        looks_to_settle--;
        return false;
    }
    looks_to_settle = 0;
    xwindow_allow_resize(LEAST_W, LEAST_H);
    int frame_w = 0, frame_h = 0;
    xwindow_frame(&frame_w, &frame_h);
    if (!told_too_large && (w + frame_w > window_monitor.w || h + frame_h > window_monitor.h)) {
        fprintf(stderr,
                "cave: the window (%dx%d, %dx%d with its frame) is larger than its monitor "
                "(%dx%d); a smaller --scale fits\n",
                w, h, w + frame_w, h + frame_h, window_monitor.w, window_monitor.h);
        told_too_large = true;
    }
    seen_w = w;
    seen_h = h;
    return true;
}

/// The time of a steady clock, in ms.
long long display_clock_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

/// While the screen is held: the picture it would show (null while none
/// was given).
bool holding = false;
BITMAP* held_picture = nullptr;

/// The line kept on the screen, and the screen under it as it was before it
/// was drawn (null while none is drawn), so that it can be taken off again.
std::string note;
BITMAP* note_under = nullptr;
int note_at_x = 0, note_at_y = 0;

/// Its colour (the warm light of the control sheet's headings), and the black
/// around its letters and between its lines, in pixels of the 8 x 8 font.
constexpr int NOTE_RGB = 0xffd890;
constexpr int NOTE_PAD = 3, NOTE_LINE_STEP = 10;

/// Where the note goes: its lines, the letters' scale, and its black box.
struct display_note_place_ {
    std::vector<std::string> lines;
    int scale;
    int x, y, w, h;
};

/// The note's words in lines of at most `width` characters; none when a
/// word is longer.
std::vector<std::string> display_note_wrap(const std::string& text, int width) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find(' ', at);
        const std::string word = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (int(word.size()) > width)
            return {};
        if (!lines.empty() && int(lines.back().size() + 1 + word.size()) <= width)
            lines.back() += " " + word;
        else
            lines.push_back(word);
    }
    return lines;
}

/// Lays the note out on a screen of w x h showing the picture at `at`: in
/// the wider of the margins (left, or top) when it fits there, else as one
/// line over the bottom-right corner of the picture.
display_note_place_ display_note_layout(const std::string& text, int w, int h,
                                        const scale_plan_& at) {
    display_note_place_ p;
    p.scale = std::max(1, int(std::lround(double(at.w) / SCALE_PICTURE_W)));
    const int letter = 8 * p.scale, pad = NOTE_PAD * p.scale, step = NOTE_LINE_STEP * p.scale;
    const bool side = at.x >= at.y;
    const int room_w = side ? at.x : w, room_h = side ? h : at.y;
    p.lines = display_note_wrap(text, (room_w - 2 * pad) / letter);
    size_t longest = 0;
    for (const std::string& line : p.lines)
        longest = std::max(longest, line.size());
    p.w = int(longest) * letter + 2 * pad;
    p.h = int(p.lines.size()) * step - (step - letter) + 2 * pad;
    if (!p.lines.empty() && p.h <= room_h) {
        p.x = side ? (at.x - p.w) / 2 : (w - p.w) / 2;
        p.y = side ? at.y + pad : (at.y - p.h) / 2;
        return p;
    }
    p.lines = {text};
    p.w = int(text.size()) * letter + 2 * pad;
    p.h = letter + 2 * pad;
    p.x = std::max(0, at.x + at.w - p.w);
    p.y = std::max(0, at.y + at.h - p.h);
    return p;
}

/// Forgets the note as drawn: the screen it was drawn on is gone.
void display_note_forget() {
    if (note_under)
        destroy_bitmap(note_under);
    note_under = nullptr;
}

/// Takes the note off the screen, putting back what lay under it.
void display_note_erase() {
    if (!note_under)
        return;
    if (screen)
        blit(note_under, screen, 0, 0, note_at_x, note_at_y, note_under->w, note_under->h);
    destroy_bitmap(note_under);
    note_under = nullptr;
}

/// Draws the note, if any, over what the screen shows, keeping what lies
/// under it: a black box and the 8 x 8 letters enlarged by whole pixels.
void display_note_draw() {
    if (note.empty() || !screen || note_under)
        return;
    const scale_plan_ at = ready ? plan : scale_plan_{0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H};
    const display_note_place_ p = display_note_layout(note, SCREEN_W, SCREEN_H, at);
    note_under = create_bitmap(p.w, p.h);
    BITMAP* line = create_bitmap(p.w, 8);
    if (!note_under || !line) {
        if (line)
            destroy_bitmap(line);
        return;
    }
    note_at_x = p.x;
    note_at_y = p.y;
    blit(screen, note_under, p.x, p.y, 0, 0, p.w, p.h);
    rectfill(screen, p.x, p.y, p.x + p.w - 1, p.y + p.h - 1, 0);
    const int colour = makecol(NOTE_RGB >> 16, NOTE_RGB >> 8 & 0xff, NOTE_RGB & 0xff);
    for (size_t i = 0; i < p.lines.size(); i++) {
        const int n = int(p.lines[i].size()) * 8;
        clear_to_color(line, 0);
        textout_ex(line, font, p.lines[i].c_str(), 0, 0, colour, -1);
        stretch_blit(line, screen, 0, 0, n, 8, p.x + NOTE_PAD * p.scale,
                     p.y + (NOTE_PAD + int(i) * NOTE_LINE_STEP) * p.scale, n * p.scale,
                     8 * p.scale);
    }
    destroy_bitmap(line);
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
    if ((!as_window && display_set(1, monitor, scale)) || display_set_plain(monitor)) {
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
        !display_set_plain(monitor)) {
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

void display_watch() {
    if (!ready || !windowed || display_clock_ms() - last_look_ms < WATCH_EVERY_MS)
        return;
    last_look_ms = display_clock_ms();
    int w, h;
    if (!xwindow_size(&w, &h) || !display_settle(w, h))
        return;
    const bool steady = w == seen_w && h == seen_h; // not in the middle of a drag
    seen_w = w;
    seen_h = h;
    if (!steady || (w == SCREEN_W && h == SCREEN_H) || w < LEAST_W || h < LEAST_H)
        return;
    chosen_w = w;
    chosen_h = h;
    if (!display_follow_window()) {
        fprintf(stderr, "cave: the window could not be set again (%s)\n", allegro_error);
        ready = false;
    } else if (chosen_w != w || chosen_h != h) {
        fprintf(stderr, "cave: the window could not be set to %dx%d; it is %dx%d\n", w, h, SCREEN_W,
                SCREEN_H);
    } else if (resized) {
        resized(w, h);
    }
}

void display_set_resized(void (*told)(int w, int h)) {
    resized = told;
}

void display_window_size(int* w, int* h) {
    *w = chosen_w;
    *h = chosen_h;
}

void display_set_window_size(int w, int h) {
    chosen_w = w > 0 && h > 0 ? w : 0;
    chosen_h = w > 0 && h > 0 ? h : 0;
}

int display_windowed() {
    return windowed;
}

int display_shown(BITMAP* out) {
    if (holding && held_picture && out) {
        blit(held_picture, out, 0, 0, 0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H);
        return 1;
    }
    if (!screen || !out)
        return 0;
    if (ready && (plan.w != SCALE_PICTURE_W || plan.h != SCALE_PICTURE_H))
        return scale_shown(out);
    display_note_erase(); // the picture as it is, without the note over it
    blit(screen, out, ready ? plan.x : 0, ready ? plan.y : 0, 0, 0, SCALE_PICTURE_W,
         SCALE_PICTURE_H);
    display_note_draw();
    return 1;
}

void display_show(BITMAP* picture) {
    if (!picture || !screen)
        return;
    if (holding) {
        if (!held_picture)
            held_picture = create_bitmap(SCALE_PICTURE_W, SCALE_PICTURE_H);
        if (held_picture)
            blit(picture, held_picture, 0, 0, 0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H);
        return;
    }
    // The screen as the last picture left it, so that the rows the scaler
    // keeps are the picture's own.
    display_note_erase();
    if (!ready)
        blit(picture, screen, 0, 0, 0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H);
    else
        scale_blit(picture, screen, plan);
    display_note_draw();
}

void display_hold() {
    holding = true;
}

void display_let_go(int present) {
    holding = false;
    if (held_picture && present)
        display_show(held_picture);
    if (held_picture)
        destroy_bitmap(held_picture);
    held_picture = nullptr;
}

void display_set_note(const char* line) {
    const std::string text = line ? line : "";
    if (text == note)
        return;
    display_note_erase();
    note = text;
    display_note_draw();
}

scale_plan_ display_plan() {
    return plan;
}
