// panel: the status panel at the bottom left (the player's stats, health and
// fullness in warning colours, the room the player is in and the deepest one
// reached) and the inventory strip at the right edge (60 slots, as many
// usable as the player's strength allows).
#include "render/panel.h"

#include <allegro.h>

#include <cstdio>
#include <cstring>

#include "screens/msgbox.h"
#include "shell/assets.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"
#include "world/state.h"

namespace {

constexpr int WHITE = 0xffffff;
constexpr int LIGHT_RED = 0xff7f7f;
constexpr int RED = 0xff0000;

/// Top-left corner of the panel and its background size.
constexpr int PANEL_X = 0;
constexpr int PANEL_Y = 696;
constexpr int PANEL_W = 256;
constexpr int PANEL_H = 72;

/// The strip: 60 slots of 32 pixels, three to a row, from (928, 0).
constexpr int STRIP_SLOTS = 60;
constexpr int STRIP_X = 928;
constexpr int SLOT_SIZE = 32;

/// Slots of the strip pictures in inventorypic.
enum { SLOT_LOCKED = 0, SLOT_FREE = 1, SLOT_MARKED = 2, SLOT_USED = 3 };

/// Where the information box of the item under the cursor stands.
constexpr int INFO_X = 360;
constexpr int INFO_Y = 109;

/// The picture to paint, or the red stand-in when it is missing.
BITMAP* panel_picture(BITMAP* picture) {
    return picture ? picture : error_pic;
}

/// Health colour: white above two thirds of max_hp, light red above a third.
int panel_health_colour(float health) {
    const float third = max_hp / 3;
    if (health > 2 * third)
        return WHITE;
    return health > third ? LIGHT_RED : RED;
}

/// Fullness colour: red when starving, light red when hungry.
int panel_fullness_colour(float fullness) {
    if (fullness < 15)
        return RED;
    return fullness < 30 ? LIGHT_RED : WHITE;
}

/// The damage lines stand right of the background, at x 256.
constexpr int RIGHT_X = 256;
enum { RIGHT_DAMAGE, RIGHT_ZAP, RIGHT_LINES };

/// How wide each line right of the background was drawn last, in pixels:
/// no background covers them, so a redraw over an old frame wipes them.
int panel_right_drawn[RIGHT_LINES];

/// Prints "label" followed by `value` at (x, y); returns the width drawn.
int panel_line(BITMAP* bitmap, const char* label, int value, int x, int y, int rgb) {
    char line[48];
    snprintf(line, sizeof line, "%s%d", label, value);
    text_draw(bitmap, line, x, y, rgb);
    return text_length(font, line);
}

/// Wipes the line `which` right of the background, as last drawn at row y,
/// with the background's own pixels of that row.
void panel_wipe_right(BITMAP* bitmap, BITMAP* background, int which, int y) {
    const int w = panel_right_drawn[which];
    panel_right_drawn[which] = 0;
    if (w <= 0)
        return;
    if (background && background->w >= w)
        blit(background, bitmap, 0, y - PANEL_Y, RIGHT_X, y, w, text_height(font));
    else
        rectfill(bitmap, RIGHT_X, y, RIGHT_X + w - 1, y + text_height(font) - 1, 0);
}

/// 1 if the being wields the wand, the one weapon that zaps.
int panel_wields_wand(const character_* being) {
    return being->weapon && strcmp(being->weapon->name, "wand") == 0;
}

/// The room lines stand in the panel's last row, under the columns above.
constexpr int ROOMS_Y = 752;

/// The deepest room entered: the highest number of the cave's rooms (each
/// one in the list was entered); 0 without a cave.
int panel_deepest_room() {
    int deepest = 0;
    for (const room_* room = cave; room; room = room->next)
        if (room->number > deepest)
            deepest = room->number;
    return deepest;
}

/// Paints the room the player is in and the deepest one reached.
void panel_rooms(BITMAP* bitmap) {
    if (!current_room)
        return;
    panel_line(bitmap, "ROOM: ", current_room->number, 0, ROOMS_Y, WHITE);
    panel_line(bitmap, "DEEPEST: ", panel_deepest_room(), 128, ROOMS_Y, WHITE);
}

/// Copies one strip picture opaquely into a slot.
void panel_slot(BITMAP* bitmap, int slot, int x, int y) {
    BITMAP* picture = panel_picture(inventorypic[slot]);
    if (picture)
        blit(picture, bitmap, 0, 0, x, y, SLOT_SIZE, SLOT_SIZE);
}

/// Paints a carried item over its usable slot with its used and cursor marks;
/// the selected item's box is shown at once unless `in_frame` is set.
void panel_item(BITMAP* bitmap, RGB* palette, objekt_* item, int x, int y, bool in_frame) {
    if (item->in_use)
        panel_slot(bitmap, SLOT_USED, x, y);
    if (item->selected) {
        panel_slot(bitmap, SLOT_MARKED, x, y);
        if (in_frame)
            zelko_msgbox_paint_info_objekt(bitmap, item, INFO_X, INFO_Y);
        else
            zelko_msgbox_info_objekt(bitmap, palette, item, INFO_X, INFO_Y);
    }
    BITMAP* picture = panel_picture(item->pic);
    if (picture)
        masked_blit(picture, bitmap, 0, 0, x, y, SLOT_SIZE, SLOT_SIZE);
}

/// Paints the strip; see draw_inventory and draw_inventory_in_frame.
void panel_strip(BITMAP* bitmap, RGB* palette, character_* character, bool in_frame) {
    // The capacity comes from the last calculation of the player's stats.
    const int usable = (int)(users_calculated_properties.strength * 3.0 / 30.0);
    objektlist_* node = character ? character->inventory : nullptr;
    for (int i = 0; i < STRIP_SLOTS; i++) {
        const int x = STRIP_X + SLOT_SIZE * (i % 3);
        const int y = SLOT_SIZE * (i / 3);
        if (i >= usable) {
            panel_slot(bitmap, SLOT_LOCKED, x, y);
            continue;
        }
        panel_slot(bitmap, SLOT_FREE, x, y);
        if (!node)
            continue;
        if (node->objekt)
            panel_item(bitmap, palette, node->objekt, x, y, in_frame);
        node = node->next;
    }
}

} // namespace

void draw_properties(BITMAP* bitmap, RGB* palette, character_* character) {
    (void)palette;
    if (character) {
        character_calculate_properties(character, &users_calculated_properties);
        // Only ever raised: by health, and by fullness too.
        if (users_calculated_properties.health > max_hp)
            max_hp = users_calculated_properties.health;
        if (users_calculated_properties.fullness > max_hp)
            max_hp = users_calculated_properties.fullness;
    }
    BITMAP* background = panel_picture(prop_bg_pic);
    if (background)
        blit(background, bitmap, 0, 0, PANEL_X, PANEL_Y, PANEL_W, PANEL_H);
    panel_wipe_right(bitmap, background, RIGHT_DAMAGE, 704);
    panel_wipe_right(bitmap, background, RIGHT_ZAP, 736);
    if (!character)
        return; // no player, nothing to tell
    const properties& c = users_calculated_properties;
    panel_line(bitmap, "HEALTH: ", (int)c.health, 0, 704, panel_health_colour(c.health));
    panel_line(bitmap, "ARMOR: ", c.armor, 0, 736, WHITE);
    panel_line(bitmap, "STRENGTH: ", (int)c.strength, 128, 704, WHITE);
    panel_line(bitmap, "FULLNESS: ", (int)c.fullness, 128, 736, panel_fullness_colour(c.fullness));
    panel_right_drawn[RIGHT_DAMAGE] =
        panel_line(bitmap, "DAMAGE DEALT: ", c.damage, RIGHT_X, 704, WHITE);
    if (panel_wields_wand(character))
        panel_right_drawn[RIGHT_ZAP] =
            panel_line(bitmap, "ZAP DAMAGE DEALT: ", c.zap_damage, RIGHT_X, 736, WHITE);
    panel_rooms(bitmap);
}

void draw_inventory(BITMAP* bitmap, RGB* palette, character_* character) {
    panel_strip(bitmap, palette, character, false);
}

void draw_inventory_in_frame(BITMAP* bitmap, RGB* palette, character_* character) {
    // The frame is shown whole at its end; showing it half-painted for the
    // item box would only cost a full-screen copy.
    panel_strip(bitmap, palette, character, true);
}
