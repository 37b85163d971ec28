// keyboard: the command keys, the number and text entry fields, and the one
// poll point that every wait for a key goes through.
#include "shell/keyboard.h"

#include <allegro.h>
#include <climits>
#include <ctime>
#include <cstdio>

#include "shell/assets.h"
#include "shell/recording.h"

namespace {

/// The command keys in the order they are tested; the first held one wins.
struct key_binding {
    int scancode;
    int code;
};

// scancode       action code
// The keys after Z are for keyboards without a keypad, after the older ones
// so that those keep their order: Home, Page Up, End and Page Down lie like
// the keypad's corners, and the main keyboard's digits give the keypad's codes.
// clang-format off
constexpr key_binding command_keys[] = {
    {KEY_1_PAD, 1},        {KEY_2_PAD, 2},  {KEY_DOWN, 2},    {KEY_3_PAD, 3},
    {KEY_4_PAD, 4},        {KEY_LEFT, 4},   {KEY_6_PAD, 6},   {KEY_RIGHT, 6},
    {KEY_7_PAD, 7},        {KEY_8_PAD, 8},  {KEY_UP, 8},      {KEY_9_PAD, 9},
    {KEY_5_PAD, 5},        {KEY_P, 5},      {KEY_ENTER, 5},   {KEY_SPACE, ZK_STAND},
    {KEY_I, ZK_INVENTORY}, {KEY_Y, ZK_YES}, {KEY_N, ZK_NO},   {KEY_U, ZK_USE},
    {KEY_D, ZK_DROP},      {KEY_E, ZK_EAT}, {KEY_Q, ZK_QUIT}, {KEY_Z, ZK_ZAP},
    {KEY_HOME, 7},         {KEY_PGUP, 9},   {KEY_END, 1},     {KEY_PGDN, 3},
    {KEY_1, 1},            {KEY_2, 2},      {KEY_3, 3},       {KEY_4, 4},
    {KEY_5, 5},            {KEY_6, 6},      {KEY_7, 7},       {KEY_8, 8},
    {KEY_9, 9},
};
// clang-format on

/// How long the poll point sleeps: short against the 10 ms in which the
/// library takes in the keys, long enough to leave the processor idle.
constexpr long poll_pause_ns = 5 * 1000 * 1000;

/// The last scancode that counts as "a key" (modifiers and locks come after).
constexpr int last_plain_scancode = 114;

void (*poll_hook)() = nullptr;

/// The switch keys, and which of them are down: a key that acted stays
/// hidden from the waits until it is released.
constexpr int max_switches = 8;
zelkokey_switch_ switches[max_switches];
bool switch_down[max_switches];
int switch_count = 0;

/// 1 while a name is typed: the switch keys that type letters rest then.
bool typing_text = false;

/// 1 if `scancode` belongs to a switch key that is down.
/// 1 if the switch key, when down, is a switch now (Alt as it asks, and
/// no name being typed unless it works there too).
bool keyboard_switch_applies(const zelkokey_switch_& s) {
    const bool alt = key[KEY_ALT] || key[KEY_ALTGR];
    return alt == (s.with_alt != 0) && (s.in_text || !typing_text);
}

/// 1 if `scancode` belongs to a switch key that is down: one that acted, or
/// one that will act at the next poll (the library may take a key in just
/// after the poll looked), so that a wait never takes it for its answer.
bool keyboard_switch_hides(int scancode) {
    for (int i = 0; i < switch_count; i++)
        if (switches[i].scancode == scancode &&
            (switch_down[i] || (key[scancode] && keyboard_switch_applies(switches[i]))))
            return true;
    return false;
}

/// The action code of the first command key held, or -2 when none is.
int keyboard_scan_command() {
    if (key[KEY_ESC])
        return ZELKOKEY_ESCAPE;
    for (const key_binding& k : command_keys)
        if (key[k.scancode] && !keyboard_switch_hides(k.scancode))
            return k.code;
    return -2;
}

/// The digit key d (0..9) on the keypad or the main keyboard is held.
bool keyboard_digit_held(int d) {
    return key[KEY_0_PAD + d] || key[KEY_0 + d];
}

/// value * 10 + d, or -1 when that no longer fits an int.
int keyboard_append_digit(int value, int d) {
    if (value > (INT_MAX - d) / 10)
        return -1;
    return value * 10 + d;
}

/// Erases a 128 x 8 entry field at (x, y) with the panel background.
void keyboard_erase_field(BITMAP* bitmap, int x, int y) {
    if (prop_bg_pic)
        blit(prop_bg_pic, bitmap, 0, 0, x, y, 128, 8);
    else
        rectfill(bitmap, x, y, x + 127, y + 7, 0);
}

/// Shows the number typed so far in the entry field (empty when none is).
void keyboard_show_number(BITMAP* bitmap, int x, int y, int value, int count) {
    keyboard_erase_field(bitmap, x, y);
    if (count != 0) {
        char text[16];
        snprintf(text, sizeof text, "%d", value);
        text_draw(bitmap, text, x, y, 0xffffff);
    }
    assets_show(bitmap);
}

/// A copy of what lies under a text field's row, from x to the bitmap's
/// right edge, before anything is typed; null when it cannot be made.
BITMAP* keyboard_keep_row(BITMAP* bitmap, int x, int y) {
    const int w = bitmap->w - x, h = text_height(font);
    BITMAP* under = w > 0 ? create_bitmap(w, h) : nullptr;
    if (under)
        blit(bitmap, under, x, y, 0, 0, w, h);
    return under;
}

/// Wipes a text field `drawn` pixels wide: a long text runs past the field's
/// eraser, so what lay under the row is put back first (or, without a
/// copy, the text is blacked out).
void keyboard_wipe_text(BITMAP* bitmap, BITMAP* under, int x, int y, int drawn) {
    if (under)
        blit(under, bitmap, 0, 0, x, y, under->w, under->h);
    else if (drawn > 0)
        rectfill(bitmap, x, y, x + drawn - 1, y + text_height(font) - 1, 0);
    keyboard_erase_field(bitmap, x, y);
}

/// Characters the text field accepts: digits, A..^ and a..~.
bool keyboard_text_accepts(int c) {
    return (c >= 0x30 && c <= 0x39) || (c >= 0x41 && c <= 0x5e) || (c >= 0x61 && c <= 0x7e);
}

/// The player asks for the control sheet: F1, or the key of `?`.
bool keyboard_help_asked() {
    return (key[KEY_F1] && !keyboard_switch_hides(KEY_F1)) ||
           (key[KEY_SLASH] && !keyboard_switch_hides(KEY_SLASH));
}

/// Waits, unrecorded, until no key is held (`down` false) or one is.
void keyboard_wait_quietly(bool down) {
    while ((zelkokey_check_for_key() != 0) != down)
        zelkokey_poll();
}

/// Shows the control sheet until any key is pressed, then puts the screen
/// back exactly as it was. Nothing of it is recorded: no turn passes.
void keyboard_show_help() {
    BITMAP* kept = create_bitmap(1024, 768);
    BITMAP* sheet = create_bitmap(1024, 768);
    if (kept && sheet && assets_shown(kept)) {
        assets_load_screen(sheet, "ControlInfo.bmp");
        assets_show(sheet);
        keyboard_wait_quietly(false);
        keyboard_wait_quietly(true);
        keyboard_wait_quietly(false); // the key that closes the sheet is no command
        assets_show(kept);
    }
    if (kept)
        destroy_bitmap(kept);
    if (sheet)
        destroy_bitmap(sheet);
}

} // namespace

void zelkokey_add_switch(const zelkokey_switch_* entry) {
    if (entry && switch_count < max_switches) {
        switches[switch_count] = *entry;
        switch_down[switch_count++] = false;
    }
}

void zelkokey_clear_switches() {
    switch_count = 0;
}

void zelkokey_check_switches() {
    for (int i = 0; i < switch_count; i++) {
        const zelkokey_switch_& s = switches[i];
        if (!key[s.scancode]) {
            switch_down[i] = false;
        } else if (!switch_down[i] && keyboard_switch_applies(s)) {
            switch_down[i] = true;
            s.action();
        }
    }
}

void zelkokey_poll() {
    if (recording_replaying())
        return; // the recording answers: no keyboard to wait for
    if (poll_hook) {
        poll_hook();
        zelkokey_check_switches();
        return;
    }
    if (keyboard_needs_poll())
        poll_keyboard();
    // Give the processor away while the player thinks. The library's rest()
    // would spin on the process clock (no timer is installed), so sleep
    // instead; the library refreshes key[] only every 10 ms anyway.
    const timespec pause = {0, poll_pause_ns};
    nanosleep(&pause, nullptr);
    // Last, so that a switch key that went down while we slept is taken
    // before the waits look at the keys.
    zelkokey_check_switches();
}

void zelkokey_set_poll(void (*poll)()) {
    poll_hook = poll;
}

int zelkokey_check_for_key() {
    for (int sc = 0; sc <= last_plain_scancode; sc++)
        if (key[sc] && !keyboard_switch_hides(sc))
            return 1;
    return 0;
}

void zelkokey_wait_release() {
    int none;
    if (recording_replayed(REC_RELEASE, &none))
        return;
    while (zelkokey_check_for_key())
        zelkokey_poll();
    recording_kept(REC_RELEASE, 0);
}

void zelkokey_wait_press() {
    int none;
    if (recording_replayed(REC_PRESS, &none))
        return;
    while (!zelkokey_check_for_key())
        zelkokey_poll();
    recording_kept(REC_PRESS, 0);
}

void zelkokey_wait_fresh() {
    zelkokey_wait_release();
    zelkokey_wait_press();
}

int zelkokey_get_a_key() {
    int code;
    if (recording_replayed(REC_KEY, &code))
        return code;
    for (;;) {
        code = keyboard_scan_command();
        if (code != -2)
            return recording_kept(REC_KEY, code);
        if (keyboard_help_asked())
            keyboard_show_help();
        zelkokey_poll();
    }
}

int zelkokey_get_a_number(BITMAP* bitmap, int x, int y) {
    int value = 0, count = 0;
    if (recording_replayed(REC_NUMBER, &value)) {
        keyboard_show_number(bitmap, x, y, value, 1);
        return value;
    }
    bool dirty = true;
    while (!(key[KEY_ENTER] && count != 0)) {
        for (int d = 1; d <= 9; d++) {
            if (!keyboard_digit_held(d))
                continue;
            int next = keyboard_append_digit(value, d);
            if (next >= 0) { // a digit that would overflow is ignored
                value = next;
                count++;
                dirty = true;
            }
            if (d == 3)
                d++; // with 3 taken, 4 is not looked at in this pass
        }
        if (keyboard_digit_held(0) && keyboard_append_digit(value, 0) >= 0) {
            value *= 10;
            count++;
            dirty = true;
        }
        if (key[KEY_BACKSPACE] && count != 0) {
            value /= 10;
            count--;
            dirty = true;
        }
        zelkokey_wait_release();
        if (dirty) {
            keyboard_show_number(bitmap, x, y, value, count);
            dirty = false;
        }
        zelkokey_poll();
    }
    zelkokey_wait_release();
    return recording_kept(REC_NUMBER, value);
}

int zelkokey_read_key() {
    int c;
    if (recording_replayed(REC_CHAR, &c))
        return c;
    while (!keypressed())
        zelkokey_poll();
    return recording_kept(REC_CHAR, readkey());
}

int zelkokey_held(int scancode) {
    return recording_look(scancode, key[scancode] ? 1 : 0);
}

void zelkokey_TextIn(BITMAP* bitmap, int x, int y, char* buffer, int size) {
    if (!buffer || size < 1)
        return;
    buffer[0] = 0;
    clear_keybuf();
    BITMAP* under = keyboard_keep_row(bitmap, x, y);
    typing_text = true;
    int length = 0, drawn = 0;
    int c = 0;
    while (!(c == 13 && length != 0) && length < size - 1) {
        c = (signed char)(zelkokey_read_key() & 0xff);
        if (c == 8 && length != 0) {
            buffer[--length] = 0;
        } else if (c == 13) {
            // Enter finishes a non-empty name; on an empty one it does nothing.
        } else if (keyboard_text_accepts(c)) {
            buffer[length++] = (char)c;
            buffer[length] = 0;
        }
        keyboard_wipe_text(bitmap, under, x, y, drawn);
        if (length != 0)
            text_draw(bitmap, buffer, x, y, 0xffffff);
        drawn = text_length(font, buffer);
        assets_show(bitmap);
    }
    typing_text = false;
    if (under)
        destroy_bitmap(under);
    zelkokey_wait_press();
    zelkokey_wait_release();
}
