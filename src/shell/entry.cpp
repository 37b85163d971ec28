// entry: the two fields the player types into, a number (which item of a
// list) and a line of text (the name), each echoed on the picture as it is
// typed. Both wait through the keyboard's poll point and are kept in a
// recording like every other answer.
#include "shell/entry.h"

#include <allegro.h>
#include <climits>
#include <cstdio>

#include "shell/assets.h"
#include "shell/keyboard.h"
#include "tape/recording.h"

namespace {

/// The digit key d (0..9) on the keypad or the main keyboard is held.
bool entry_digit_held(int d) {
    return key[KEY_0_PAD + d] || key[KEY_0 + d];
}

/// value * 10 + d, or -1 when that no longer fits an int.
int entry_append_digit(int value, int d) {
    if (value > (INT_MAX - d) / 10)
        return -1;
    return value * 10 + d;
}

/// Erases a 128 x 8 entry field at (x, y) with the panel background.
void entry_erase_field(BITMAP* bitmap, int x, int y) {
    if (prop_bg_pic)
        blit(prop_bg_pic, bitmap, 0, 0, x, y, 128, 8);
    else
        rectfill(bitmap, x, y, x + 127, y + 7, 0);
}

/// Shows the number typed so far in the entry field (empty when none is).
void entry_show_number(BITMAP* bitmap, int x, int y, int value, int count) {
    entry_erase_field(bitmap, x, y);
    if (count != 0) {
        char text[16];
        snprintf(text, sizeof text, "%d", value);
        text_draw(bitmap, text, x, y, 0xffffff);
    }
    assets_show(bitmap);
}

/// A copy of what lies under a text field's row, from x to the bitmap's
/// right edge, before anything is typed; null when it cannot be made.
BITMAP* entry_keep_row(BITMAP* bitmap, int x, int y) {
    const int w = bitmap->w - x, h = text_height(font);
    BITMAP* under = w > 0 ? create_bitmap(w, h) : nullptr;
    if (under)
        blit(bitmap, under, x, y, 0, 0, w, h);
    return under;
}

/// Wipes a text field `drawn` pixels wide: a long text runs past the field's
/// eraser, so what lay under the row is put back first (or, without a
/// copy, the text is blacked out).
void entry_wipe_text(BITMAP* bitmap, BITMAP* under, int x, int y, int drawn) {
    if (under)
        blit(under, bitmap, 0, 0, x, y, under->w, under->h);
    else if (drawn > 0)
        rectfill(bitmap, x, y, x + drawn - 1, y + text_height(font) - 1, 0);
    entry_erase_field(bitmap, x, y);
}

/// Characters the text field accepts: digits, A..^ and a..~.
bool entry_text_accepts(int c) {
    return (c >= 0x30 && c <= 0x39) || (c >= 0x41 && c <= 0x5e) || (c >= 0x61 && c <= 0x7e);
}

} // namespace

int zelkokey_get_a_number(BITMAP* bitmap, int x, int y) {
    int value = 0, count = 0;
    if (recording_replayed(REC_NUMBER, &value)) {
        entry_show_number(bitmap, x, y, value, 1);
        return value;
    }
    bool dirty = true;
    while (!(key[KEY_ENTER] && count != 0)) {
        for (int d = 1; d <= 9; d++) {
            if (!entry_digit_held(d))
                continue;
            int next = entry_append_digit(value, d);
            if (next >= 0) { // a digit that would overflow is ignored
                value = next;
                count++;
                dirty = true;
            }
            if (d == 3)
                d++; // with 3 taken, 4 is not looked at in this pass
        }
        if (entry_digit_held(0) && entry_append_digit(value, 0) >= 0) {
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
            entry_show_number(bitmap, x, y, value, count);
            dirty = false;
        }
        zelkokey_poll();
    }
    zelkokey_wait_release();
    return recording_kept(REC_NUMBER, value);
}

void zelkokey_TextIn(BITMAP* bitmap, int x, int y, char* buffer, int size) {
    if (!buffer || size < 1)
        return;
    buffer[0] = 0;
    clear_keybuf();
    const assets_bitmap_ under(entry_keep_row(bitmap, x, y));
    // Typing ends however the field is left (a watched game may stop in it).
    struct typing_ {
        typing_() { zelkokey_set_typing(1); }
        ~typing_() { zelkokey_set_typing(0); }
    } typing;
    int length = 0, drawn = 0;
    int c = 0;
    while (!(c == 13 && length != 0) && length < size - 1) {
        c = (signed char)(zelkokey_read_key() & 0xff);
        if (c == 8 && length != 0) {
            buffer[--length] = 0;
        } else if (c == 13) {
            // Enter finishes a non-empty name; on an empty one it does nothing.
        } else if (entry_text_accepts(c)) {
            buffer[length++] = (char)c;
            buffer[length] = 0;
        }
        entry_wipe_text(bitmap, under.get(), x, y, drawn);
        if (length != 0)
            text_draw(bitmap, buffer, x, y, 0xffffff);
        drawn = text_length(font, buffer);
        assets_show(bitmap);
    }
    zelkokey_set_typing(0);
    zelkokey_wait_press();
    zelkokey_wait_release();
}
