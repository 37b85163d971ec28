// headless: memory-bitmap Allegro and the scripted keyboard for tests.
#include "headless.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <functional>
#include <stdexcept>

#include "main/game.h"
#include "shell/assets.h"
#include "shell/keyboard.h"

namespace {

struct key_step {
    std::vector<int> held;        // scancodes held after this poll
    int typed;                    // readkey() value queued by this poll, 0 for none
    std::function<void()> action; // run when this step is polled, if any
};

std::deque<key_step> script;
std::deque<int> typed_queue;
long polls = 0;
long exhausted_polls = 0;
long exhaust_limit = 20000;

void keys_clear_state() {
    for (int i = 0; i < KEY_MAX; i++)
        key[i] = 0;
}

void scripted_poll() {
    polls++;
    if (script.empty()) {
        // Out of script: flicker Escape so every wait gives up, but never
        // hang a test for ever.
        exhausted_polls++;
        if (exhausted_polls > exhaust_limit)
            throw std::runtime_error("the scripted keyboard ran out of keys");
        keys_clear_state();
        key[KEY_ESC] = (exhausted_polls % 2) ? 1 : 0;
        return;
    }
    key_step s = script.front();
    script.pop_front();
    keys_clear_state();
    for (int sc : s.held)
        key[sc] = 1;
    if (s.typed)
        typed_queue.push_back(s.typed);
    if (s.action)
        s.action();
}

int scripted_keypressed() {
    return typed_queue.empty() ? 0 : 1;
}

int scripted_readkey() {
    if (typed_queue.empty())
        return 0;
    int k = typed_queue.front();
    typed_queue.pop_front();
    return k;
}

bool allegro_ready = false;

void headless_setup_once() {
    if (allegro_ready)
        return;
    if (!game_init_headless())
        throw std::runtime_error("the graphics library could not start");
    install_keyboard_hooks(scripted_keypressed, scripted_readkey);
    game_init_state();
    allegro_ready = true;
}

} // namespace

void headless_init() {
    headless_setup_once();
    keys_reset();
    zelkokey_clear_switches();
    clear_to_color(screen, 0);
    clear_to_color(bmp, 0);
}

int pixel_rgb(BITMAP* bitmap, int x, int y) {
    int c = getpixel(bitmap, x, y);
    return (getr32(c) << 16) | (getg32(c) << 8) | getb32(c);
}

int count_rgb(BITMAP* bitmap, int x, int y, int w, int h, int rgb) {
    int n = 0;
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            if (i >= 0 && j >= 0 && i < bitmap->w && j < bitmap->h &&
                pixel_rgb(bitmap, i, j) == rgb)
                n++;
    return n;
}

int screens_differ(BITMAP* a, BITMAP* b) {
    int differ = 0;
    for (int y = 0; y < a->h; y++)
        for (int x = 0; x < a->w; x++)
            differ += getpixel(a, x, y) != getpixel(b, x, y);
    return differ;
}

bool has_rgb(BITMAP* bitmap, int x, int y, int w, int h, int rgb) {
    return count_rgb(bitmap, x, y, w, h, rgb) > 0;
}

bool has_text(BITMAP* bitmap, const char* text, int x, int y, int rgb) {
    int w = text_length(font, text), h = text_height(font);
    if (w == 0)
        return true;
    BITMAP* probe = create_bitmap(w, h);
    clear_to_color(probe, 0);
    textout_ex(probe, font, text, 0, 0, makecol(255, 255, 255), -1);
    bool ok = true;
    for (int j = 0; j < h && ok; j++)
        for (int i = 0; i < w && ok; i++)
            if (pixel_rgb(probe, i, j) == 0xffffff && pixel_rgb(bitmap, x + i, y + j) != rgb)
                ok = false;
    destroy_bitmap(probe);
    return ok;
}

bool has_text_centre(BITMAP* bitmap, const char* text, int x, int y, int rgb) {
    return has_text(bitmap, text, x - text_length(font, text) / 2, y, rgb);
}

void keys_reset() {
    script.clear();
    typed_queue.clear();
    polls = 0;
    exhausted_polls = 0;
    exhaust_limit = 20000;
    keys_clear_state();
    zelkokey_set_poll(scripted_poll);
}

void keys_hold_only(const std::vector<int>& scancodes) {
    script.push_back({scancodes, 0, {}});
}

void keys_release() {
    script.push_back({{}, 0, {}});
}

void keys_call(std::function<void()> action) {
    script.push_back({{}, 0, std::move(action)});
}

void keys_hold(const std::vector<int>& scancodes) {
    keys_hold_only(scancodes);
    keys_release();
}

void keys_press(int scancode) {
    keys_hold({scancode});
}

void keys_char(int scancode, int ascii) {
    script.push_back({{scancode}, (scancode << 8) | (ascii & 0xff), {}});
    keys_release();
}

void keys_char_with(int modifier, int scancode, int ascii) {
    script.push_back({{modifier, scancode}, (scancode << 8) | (ascii & 0xff), {}});
    keys_release();
}

int keys_scancode_of(char c) {
    if (c >= 'a' && c <= 'z')
        return KEY_A + (c - 'a');
    if (c >= 'A' && c <= 'Z')
        return KEY_A + (c - 'A');
    if (c >= '0' && c <= '9')
        return KEY_0 + (c - '0');
    switch (c) {
    case ' ':
        return KEY_SPACE;
    case '\r':
        return KEY_ENTER;
    case '\n':
        return KEY_ENTER;
    case 8:
        return KEY_BACKSPACE;
    case '-':
        return KEY_MINUS;
    case '.':
        return KEY_STOP;
    default:
        return KEY_SLASH;
    }
}

void keys_type(const std::string& text) {
    for (char c : text)
        keys_char(keys_scancode_of(c), c == '\n' ? '\r' : c);
}

int keys_remaining() {
    return (int)script.size();
}

long keys_polls() {
    return polls;
}

void keys_set_exhaust_limit(long n) {
    exhaust_limit = n;
}
