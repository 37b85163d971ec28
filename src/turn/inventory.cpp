// inventory: the screen opened with the I key. A cursor walks over the
// carried items as the inventory strip shows them, three to a row; the
// player wields a weapon, drops an item or eats one. Any change to what is
// carried can kill, since carried things and the wielded weapon count
// toward the player's stats.
#include "turn/inventory.h"

#include <allegro.h>
#include <cstring>

#include "render/panel.h"
#include "screens/msgbox.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "shell/keyboard.h"
#include "turn/act_rules.h"
#include "turn/check.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/state.h"
#include "world/tile.h"

namespace {

/// Items to a row of the strip.
constexpr int ROW_LENGTH = 3;

/// The open screen.
struct inventory_screen {
    character_* player;
    tile* floor;      // where dropped items and the corpse go
    objekt_* current; // the item under the cursor
    int index;        // the cursor: row * 3 + column
    bool open;
};

/// 1 if the player still carries the item.
bool inventory_carries(const character_* player, const objekt_* item) {
    for (const objektlist_* node = player->inventory; node; node = node->next)
        if (item && node->objekt == item)
            return true;
    return false;
}

/// The first carried item goes under the cursor; an empty inventory closes
/// the screen. The cursor index stays where it was.
void inventory_select_first(inventory_screen* s) {
    s->current = s->player->inventory ? s->player->inventory->objekt : nullptr;
    if (s->current)
        s->current->selected = 1;
    else
        s->open = false;
}

/// After the carrying check: never leave the cursor on an item dropped.
void inventory_after_check(inventory_screen* s) {
    if (!inventory_carries(s->player, s->current))
        inventory_select_first(s);
}

/// Paints the status panel, then the strip, and shows the frame.
void inventory_show(const inventory_screen* s) {
    draw_properties(bmp, pal, s->player);
    draw_inventory(bmp, pal, s->player);
    assets_show(bmp);
}

/// The player dies of what was just done: `cause` ends the game.
void inventory_die(inventory_screen* s, int cause, const char* line) {
    end_game = cause;
    event_history_push(line);
    act_lay_corpse(s->player, s->floor);
}

/// The player's calculated health as last worked out.
float inventory_h() {
    return users_calculated_properties.health;
}

/// A direction key: the cursor moves, wrapping around the carried items.
void inventory_move(inventory_screen* s, int code) {
    int dx, dy;
    act_direction(code, &dx, &dy);
    s->current->selected = 0;
    s->index =
        inventory_move_cursor(s->index, dx, dy, objektlist_count_stuff(s->player->inventory));
    s->current = objektlist_get(s->player->inventory, s->index);
    if (!s->current)
        s->current = s->player->inventory->objekt;
    s->current->selected = 1;
}

/// U: wields the weapon under the cursor. Returns 1 if it killed the player.
int inventory_use(inventory_screen* s) {
    character_* player = s->player;
    objekt_* item = s->current;
    if (!objekt_is(item, "weapon") || item == player->weapon)
        return 0;
    const char* message = "You started wielding a ";
    if (player->weapon) {
        player->weapon->in_use = 0;
        message = "You changed weapon to a ";
    }
    player->weapon = item;
    item->in_use = 1;
    event_history_push2(message, item->name);
    if (strcmp(item->name, "wand") == 0) {
        zelko_msgbox_info_3(bmp, pal, "You are now using a wand!", "You can zap with 'z'",
                            "(distance weapon)");
        act_wait_dismiss();
    }
    user_check_inventory(player, s->floor);
    draw_properties(bmp, pal, player);
    if (inventory_h() < 1) {
        inventory_die(s, END_MAGIC, "The magic of the weapon killed you");
        return 1;
    }
    inventory_after_check(s);
    return 0;
}

/// D: drops the item under the cursor. Returns 1 if that killed the player.
int inventory_drop(inventory_screen* s) {
    character_* player = s->player;
    objekt_* item = s->current;
    if (!act_move_objekt(item, &player->inventory, &s->floor->objekts))
        return 0; // no memory for the list node: the item stays carried
    event_history_push2("You dropped a ", item->name);
    if (player->weapon == item)
        player->weapon = nullptr;
    item->in_use = 0;
    item->selected = 0;
    inventory_select_first(s);
    draw_properties(bmp, pal, player);
    user_check_inventory(player, s->floor);
    inventory_show(s);
    if (inventory_h() < 1) {
        inventory_die(s, END_MAGIC, "Dropping that item wasn't so smart. You are now dead.");
        return 1;
    }
    inventory_after_check(s);
    return 0;
}

/// E on something that is not food: the player nibbles and gives up.
void inventory_refuse(inventory_screen* s) {
    zelko_msgbox_info_3(bmp, pal, "", "That would be too hard to chew...", "");
    assets_show(bmp);
    act_wait_dismiss();
    inventory_show(s);
    event_history_push3("You nibbled on a ", s->current->name, ". It was too hard to digest");
}

/// E: eats or drinks the item under the cursor. Returns 1 if it killed.
int inventory_consume(inventory_screen* s) {
    character_* player = s->player;
    objekt_* item = s->current;
    if (!objekt_is(item, "food")) {
        inventory_refuse(s);
        return 0;
    }
    event_history_push2("You ate a ", item->name);
    if (item->props)
        properties_give(*item->props, player->props, 1);
    objektlist_remove_objekt_from_list(item, &player->inventory);
    objekt_remove(item);
    s->current = nullptr;
    draw_properties(bmp, pal, player);
    user_check_inventory(player, s->floor);
    character_calculate_properties(player, &users_calculated_properties);
    if (inventory_h() < 1) {
        inventory_die(s, END_FOOD, "It killed you");
        return 1;
    }
    inventory_select_first(s);
    inventory_show(s);
    return 0;
}

/// Carries out one key of the screen. Returns 1 if the player died.
int inventory_carry_out(inventory_screen* s, int code) {
    switch (code) {
    case ZK_USE:
        return inventory_use(s);
    case ZK_DROP:
        return inventory_drop(s);
    case ZK_EAT:
        return inventory_consume(s);
    default:
        if (code >= 1 && code <= 9 && code != ZK_CENTRE)
            inventory_move(s, code);
        return 0;
    }
}

} // namespace

int inventory_move_cursor(int index, int dx, int dy, int count) {
    if (count <= 0)
        return 0;
    int column = index % ROW_LENGTH + dx;
    int row = index / ROW_LENGTH + dy;
    index = row * ROW_LENGTH + column;
    while (index >= count)
        index -= count;
    while (index < 0)
        index += count;
    return index;
}

void user_inventory(character_* player, tile* t) {
    if (!player || !t)
        return;
    if (!player->inventory) {
        text_draw_centre(bmp, "Your inventory is empty!", 512, 384, 0xff0000);
        assets_show(bmp);
        zelkokey_wait_release();
        return;
    }
    inventory_screen s = {player, t, nullptr, 0, true};
    inventory_select_first(&s);
    inventory_show(&s);
    while (zelkokey_held(KEY_I)) // the I key that opened the screen
        zelkokey_poll();
    while (s.open && !zelkokey_held(KEY_I)) {
        inventory_show(&s);
        zelko_msgbox_info_3(bmp, pal, "u - use", "d - drop", "e - consume (eat/drink)");
        assets_show(bmp);
        int code = act_read_command();
        if (code == ZELKOKEY_ESCAPE || end_game != 0)
            break; // Escape or Q ended the game: the game loop sees it
        if (code == ZK_INVENTORY)
            continue; // I is still held: the loop ends at its test
        zelkokey_wait_release();
        if (inventory_carry_out(&s, code))
            return;
        zelkokey_wait_release(); // the key that closed a box
    }
    if (inventory_carries(player, s.current))
        s.current->selected = 0;
    if (!act_left_with_escape())
        zelkokey_wait_release();
}
