// msgbox: the modal boxes of the game. Every box is painted on the same
// 304 x 176 background over whatever the bitmap holds, and the whole bitmap
// is then shown. Only the yes/no box and the name box wait for keys.
#include "screens/msgbox.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "shell/assets.h"
#include "shell/entry.h"
#include "shell/keyboard.h"
#include "world/objekt.h"
#include "world/properties.h"

namespace {

/// Where the centred box stands: its middle is the middle of the screen.
constexpr int BOX_X = 360;
constexpr int BOX_Y = 296;
/// Every text of the boxes is white.
constexpr int BOX_TEXT = 0xffffff;
/// Left edge of the text lines of the centred boxes.
constexpr int LINES_X = 411;
/// Length of one formatted property line.
constexpr int LINE_SIZE = 64;
/// Size of one line of a change box, the game's usual text length.
constexpr int CHANGE_LINE_SIZE = 150;
/// How far into the box a line may end at most (its frame and a margin),
/// and how far in it starts at least.
constexpr int TEXT_END = 296;
constexpr int TEXT_START = 8;

/// The message-box picture in `slot`, or the red stand-in if it is missing.
BITMAP* msgbox_picture(int slot) {
    return msgpic[slot] ? msgpic[slot] : error_pic;
}

/// Copies a picture opaquely with its top-left corner at (x, y).
void msgbox_blit(BITMAP* bitmap, BITMAP* picture, int x, int y) {
    if (picture)
        blit(picture, bitmap, 0, 0, x, y, picture->w, picture->h);
}

/// Paints the box background with its top-left corner at (x, y).
void msgbox_background(BITMAP* bitmap, int x, int y) {
    msgbox_blit(bitmap, msgbox_picture(0), x, y);
}

/// Paints the question of the yes/no box, centred over its buttons: on one
/// line, or, when it is wider than the box holds, on two, broken at the space
/// that leaves the longer line shortest.
void msgbox_question(BITMAP* bitmap, const char* question) {
    constexpr int middle = 512, one_line_y = 340, gap = 16;
    if (text_length(font, question) <= TEXT_END - TEXT_START) {
        text_draw_centre(bitmap, question, middle, one_line_y, BOX_TEXT);
        return;
    }
    char first[CHANGE_LINE_SIZE];
    snprintf(first, sizeof first, "%s", question);
    const char* best = nullptr;
    int best_width = 0;
    for (const char* space = strchr(question, ' '); space; space = strchr(space + 1, ' ')) {
        first[space - question] = 0;
        const int width = std::max(text_length(font, first), text_length(font, space + 1));
        first[space - question] = ' ';
        if (!best || width < best_width) {
            best = space;
            best_width = width;
        }
    }
    if (!best || size_t(best - question) >= sizeof first) {
        text_draw_centre(bitmap, question, middle, one_line_y, BOX_TEXT);
        return;
    }
    first[best - question] = 0;
    text_draw_centre(bitmap, first, middle, one_line_y - gap / 2, BOX_TEXT);
    text_draw_centre(bitmap, best + 1, middle, one_line_y + gap / 2, BOX_TEXT);
}

/// Paints a line of a centred box at LINES_X, or further left when it is
/// too long to end inside the box there.
void msgbox_line(BITMAP* bitmap, const char* text, int y) {
    const int end = BOX_X + TEXT_END;
    const int width = text_length(font, text);
    int x = LINES_X;
    if (x + width > end)
        x = std::max(BOX_X + TEXT_START, end - width);
    text_draw(bitmap, text, x, y, BOX_TEXT);
}

/// Paints "label" followed by `value` at (x, y).
void msgbox_number_line(BITMAP* bitmap, const char* label, int value, int x, int y) {
    char line[LINE_SIZE];
    snprintf(line, sizeof line, "%s%d", label, value);
    text_draw(bitmap, line, x, y, BOX_TEXT);
}

/// Paints the property lines of a thing or weapon from (x, y) downwards.
void msgbox_property_lines(BITMAP* bitmap, const objekt_* item, int x, int y) {
    properties none = {};
    const properties& p = item->props ? *item->props : none;
    const bool weapon = strcmp(item->type, "weapon") == 0;
    text_draw(bitmap, weapon ? "Properties given when used" : "Properties given", x, y, BOX_TEXT);
    y += 16;
    msgbox_number_line(bitmap, "Armor: ", p.armor, x, y);
    y += 16;
    msgbox_number_line(bitmap, "Damage: ", p.damage, x, y);
    y += 16;
    if (strcmp(item->name, "wand") == 0) {
        msgbox_number_line(bitmap, "Zap damage: ", p.zap_damage, x, y);
        y += 16;
    }
    // Floats are shown cut toward zero, as everywhere in the game.
    msgbox_number_line(bitmap, "Fullness: ", (int)p.fullness, x, y);
    msgbox_number_line(bitmap, "Health: ", (int)p.health, x, y + 16);
    msgbox_number_line(bitmap, "Strength: ", (int)p.strength, x, y + 32);
}

/// The question the yes/no box waits for an answer to, or null.
const char* asking = nullptr;

/// Writes "label value" into the next free line when the value isn't 0.
void msgbox_change_line(char lines[6][CHANGE_LINE_SIZE], int* used, const char* label, int value) {
    if (value == 0)
        return;
    snprintf(lines[*used], CHANGE_LINE_SIZE, "%s%d", label, value);
    (*used)++;
}

} // namespace

int zelko_msgbox_YN(BITMAP* bitmap, const char* question) {
    msgbox_background(bitmap, BOX_X, BOX_Y);
    msgbox_question(bitmap, question);
    msgbox_blit(bitmap, msgbox_picture(1), 416, 384);
    msgbox_blit(bitmap, msgbox_picture(2), 544, 384);
    assets_show(bitmap);
    // The question stands while the box waits, even when the wait unwinds.
    struct standing {
        explicit standing(const char* q) { asking = q; }
        ~standing() { asking = nullptr; }
    } stands(question);
    // The key that opened the box must not answer it.
    zelkokey_wait_release();
    int code = 0;
    while (!zelkokey_held(KEY_ESC) && code != ZELKOKEY_ESCAPE && code != ZK_YES && code != ZK_NO) {
        code = zelkokey_get_a_key();
        // Any other command key is ignored: let it go by instead of spinning on it.
        if (code >= 0 && code != ZK_YES && code != ZK_NO)
            zelkokey_poll();
    }
    return code == ZK_YES ? 1 : 0;
}

const char* zelko_msgbox_asking() {
    return asking;
}

void zelko_msgbox_info_objekt(BITMAP* bitmap, RGB* palette, objekt_* item, int x, int y) {
    (void)palette;
    zelko_msgbox_paint_info_objekt(bitmap, item, x, y);
    assets_show(bitmap);
}

void zelko_msgbox_paint_info_objekt(BITMAP* bitmap, objekt_* item, int x, int y) {
    msgbox_background(bitmap, x, y);
    if (item) {
        BITMAP* picture = item->pic ? item->pic : error_pic;
        if (picture)
            masked_blit(picture, bitmap, 0, 0, x + 32, y + 16, picture->w, picture->h);
        text_draw(bitmap, item->name, x + 80, y + 16, BOX_TEXT);
        if (strcmp(item->type, "food") == 0) {
            // Food keeps its secrets until it is eaten.
            text_draw(bitmap, "This looks tasty...", x + 32, y + 56, BOX_TEXT);
            text_draw(bitmap, "...just hope it's not moldy!", x + 32, y + 72, BOX_TEXT);
        } else {
            msgbox_property_lines(bitmap, item, x + 32, y + 56);
        }
    }
}

void zelko_msgbox_info_3(BITMAP* bitmap, RGB* palette, const char* a, const char* b,
                         const char* c) {
    (void)palette;
    msgbox_background(bitmap, BOX_X, BOX_Y);
    msgbox_line(bitmap, a, 340);
    msgbox_line(bitmap, b, 384);
    msgbox_line(bitmap, c, 428);
    assets_show(bitmap);
}

void zelko_msgbox_info_7(BITMAP* bitmap, RGB* palette, const char* lines[7]) {
    (void)palette;
    msgbox_background(bitmap, BOX_X, BOX_Y);
    for (int i = 0; i < 7; i++)
        msgbox_line(bitmap, lines[i], 312 + 16 * i);
    assets_show(bitmap);
}

void zelko_msgbox_TextIN(BITMAP* bitmap, const char* prompt, char* buffer, int size) {
    msgbox_background(bitmap, BOX_X, BOX_Y);
    text_draw_centre(bitmap, prompt, 512, 326, BOX_TEXT);
    assets_show(bitmap);
    // The typed text is echoed inside the box, under the prompt.
    zelkokey_TextIn(bitmap, LINES_X, 384, buffer, size);
}

void zelko_msgbox_properties(const properties& change, const char* title) {
    char lines[6][CHANGE_LINE_SIZE] = {};
    int used = 0;
    msgbox_change_line(lines, &used, "armor ", change.armor);
    msgbox_change_line(lines, &used, "damage ", change.damage);
    msgbox_change_line(lines, &used, "zap damage ", change.zap_damage);
    msgbox_change_line(lines, &used, "fullness ", static_cast<int>(change.fullness));
    msgbox_change_line(lines, &used, "health ", static_cast<int>(change.health));
    msgbox_change_line(lines, &used, "strength ", static_cast<int>(change.strength));

    const char* box[7] = {title, lines[0], lines[1], lines[2], lines[3], lines[4], lines[5]};
    zelko_msgbox_info_7(bmp, pal, box);
    assets_show(bmp);
    zelkokey_wait_release();
    zelkokey_wait_press();
}
