// act: the player's half of a turn. user_act reads action keys and carries
// them out until one has taken the turn: steps go to user_move, the I key to
// the inventory screen; standing still, picking up, eating from the floor,
// zapping the wand and giving up are handled here.
#include "turn/act.h"
#include "turn/act_rules.h"

#include <allegro.h>
#include <cstdio>
#include <cstring>

#include "render/panel.h"
#include "render/room_view.h"
#include "screens/msgbox.h"
#include "shell/assets.h"
#include "shell/entry.h"
#include "shell/history.h"
#include "shell/keyboard.h"
#include "turn/check.h"
#include "turn/inventory.h"
#include "turn/move.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/room.h"
#include "world/state.h"

namespace {

/// The numbered list of items under a box: where it is written.
constexpr int LIST_X = 411;
constexpr int LIST_Y = 356;
constexpr int LIST_LINE = 16;

/// What an action did to the player's turn.
enum act_result {
    ACT_AGAIN,     // the player acts again at once
    ACT_TURN_OVER, // the turn is taken
    ACT_CALL_OVER  // user_act returns at once (a step, giving up, death, Escape)
};

/// The player's calculated strength, health and fullness as last worked out.
float act_s() {
    return users_calculated_properties.strength;
}
float act_h() {
    return users_calculated_properties.health;
}

/// 1 if the action code is a step (1..9 without 5).
bool act_is_step(int code) {
    return code >= 1 && code <= 9 && code != ZK_CENTRE;
}

/// The n-th (from 1) item of the tile that the list offers, or null.
objekt_* act_offered(tile* t, int n, bool offer_explosions) {
    for (objektlist_* node = t->objekts; node; node = node->next) {
        if (!offer_explosions && objekt_is(node->objekt, "explosion"))
            continue;
        if (--n == 0)
            return node->objekt;
    }
    return nullptr;
}

/// Lists the tile's items under `head` and reads the number typed; the item
/// chosen, or null for 0 or a number beyond the list.
objekt_* act_choose_from_list(tile* t, const char* head, bool offer_explosions) {
    zelko_msgbox_info_3(bmp, pal, head, "", "");
    int lines = 0;
    for (objektlist_* node = t->objekts; node; node = node->next) {
        if (!offer_explosions && objekt_is(node->objekt, "explosion"))
            continue;
        char line[200];
        snprintf(line, sizeof line, "%d - %s", lines + 1, node->objekt->name);
        text_draw(bmp, line, LIST_X, LIST_Y + LIST_LINE * lines, 0xffffff);
        lines++;
    }
    text_draw(bmp, "0 - Nothing", LIST_X, LIST_Y + LIST_LINE * lines, 0xffffff);
    assets_show(bmp);
    int n = zelkokey_get_a_number(bmp, LIST_X, LIST_Y + LIST_LINE * (lines + 1));
    draw_picture(step);
    if (n < 1 || n > lines)
        return nullptr;
    return act_offered(t, n, offer_explosions);
}

/// Lets the player choose an item lying on `t`: one item is asked about with
/// `question`, several are listed under `head`. Null when nothing is chosen.
objekt_* act_choose(tile* t, const char* question, const char* head, bool offer_explosions) {
    int count = objektlist_count_stuff(t->objekts);
    if (count == 0)
        return nullptr;
    if (count == 1) {
        if (!offer_explosions && tile_has_explosion(t))
            return nullptr;
        return zelko_msgbox_YN(bmp, question) ? t->objekts->objekt : nullptr;
    }
    return act_choose_from_list(t, head, offer_explosions);
}

/// Space: the player waits a turn.
act_result act_stand_still(character_* player) {
    act_food_cost(player, COST_LIGHT);
    event_history_push("This seemed to be a good time to stand still");
    zelkokey_wait_release();
    return ACT_TURN_OVER;
}

/// Takes a chosen item into the inventory. A thing shows what it gives; the
/// new load is checked, and a thing may kill by its properties.
act_result act_take(character_* player, tile* t, objekt_* item) {
    if (!act_move_objekt(item, &t->objekts, &player->inventory))
        return ACT_AGAIN; // no memory for the list node: the item stays put
    event_history_push2("You picked up a ", item->name);
    if (objekt_is(item, "thing")) {
        zelko_msgbox_info_objekt(bmp, pal, item, 360, 296);
        act_wait_dismiss();
    }
    user_check_inventory(player, t);
    draw_properties(bmp, pal, player);
    if (act_h() < 1) {
        end_game = END_MAGIC;
        event_history_push("You were killed by the blow");
        act_lay_corpse(player, t);
        return ACT_CALL_OVER;
    }
    return ACT_TURN_OVER;
}

/// P, Enter or keypad 5: picks up an item from the player's tile.
act_result act_pick_up(character_* player, tile* t) {
    objekt_* item =
        act_choose(t, "Do you want to pick it up?", "Wich do you want to pick up?", false);
    if (!item)
        return ACT_AGAIN;
    act_result result = ACT_AGAIN;
    if (objektlist_count_stuff(player->inventory) < act_capacity(act_s())) {
        result = act_take(player, t, item);
        if (result == ACT_CALL_OVER)
            return result;
    } else {
        text_draw_centre(bmp, "Your inventory is full!", 512, 384, 0xff0000);
        assets_show(bmp);
        event_history_push3("You tried to pick up a ", item->name,
                            " but you couldn't carry anymore");
    }
    act_food_cost(player, COST_LIGHT);
    return result;
}

/// E: eats something lying on the player's tile. Never takes the turn.
act_result act_eat(character_* player, tile* t) {
    objekt_* item =
        act_choose(t, "Eat this stuff from the ground?", "Wich do you want to eat?", true);
    if (item && objekt_is(item, "food")) {
        if (item->props)
            properties_give(*item->props, player->props, 1);
        event_history_push3("You ate a ", item->name, " from the floor");
        user_check_inventory(player, t);
        character_calculate_properties(player, &users_calculated_properties);
        if (act_h() < 1) {
            act_lay_corpse(player, t); // the deadly meal stays on the floor
            event_history_push("It killed you");
            end_game = END_FOOD;
            return ACT_CALL_OVER;
        }
        objektlist_remove_objekt_from_list(item, &t->objekts);
        objekt_remove(item);
    } else if (item) {
        event_history_push3("You tried to eat a ", item->name, " from the floor");
        event_history_push(objekt_is(item, "explosion") ? "It was too hard to catch"
                                                        : "It was too hard for your teeth");
    }
    act_food_cost(player, COST_LIGHT);
    return ACT_AGAIN;
}

/// Z with the wand in hand: aims with a direction key (5 aims at the player's
/// own tile) and sends an explosion of the wand's power off that way.
act_result act_zap(character_* player, int x, int y) {
    objekt_* wand = player->weapon;
    if (!wand || strcmp(wand->name, "wand") != 0)
        return ACT_AGAIN;
    text_draw_centre(bmp, "Zapping...", 512, 384, 0x7f7f00);
    assets_show(bmp);
    int code = act_read_command();
    while (code < 1 || code > 9) {
        if (code == ZELKOKEY_ESCAPE || end_game != 0)
            return ACT_CALL_OVER; // Escape or Q ends the game; the zap is not made
        zelkokey_wait_release();
        code = act_read_command();
    }
    int zx, zy;
    act_direction(code, &zx, &zy);
    objekt_* burst = objekt_create_explosion(wand->name, wand->pic_zap, zx, zy,
                                             users_calculated_properties.zap_damage);
    // Off the grid, or without memory to lay it down, the burst comes to nothing.
    if (room_in_grid(x + zx, y + zy))
        act_lay_new(burst, &current_room->tiles[x + zx][y + zy].objekts);
    else
        objekt_remove(burst);
    act_food_cost(player, COST_ZAP);
    event_history_push("You zapped your wand");
    zelkokey_wait_release();
    return ACT_TURN_OVER;
}

/// I: the inventory screen; the visit takes the turn whatever happened there.
act_result act_open_inventory(character_* player, tile* t) {
    user_inventory(player, t);
    act_food_cost(player, COST_LIGHT);
    event_history_push("You fiddled with your inventory");
    return ACT_TURN_OVER;
}

/// A direction key: turns the player that way and steps, unless a wall is
/// there. The grid's border counts as wall.
act_result act_step_to(character_* player, int code, int x, int y) {
    int dx, dy;
    act_direction(code, &dx, &dy);
    player->dir_x = dx;
    player->dir_y = dy;
    if (!room_in_grid(x + dx, y + dy) || tile_is_wall(&current_room->tiles[x + dx][y + dy]))
        return ACT_AGAIN;
    user_move(x, y);
    return ACT_CALL_OVER;
}

/// Carries out the action of one code for the player standing at (x, y).
act_result act_carry_out(int code, character_* player, int x, int y) {
    tile* here = &current_room->tiles[x][y];
    switch (code) {
    case ZELKOKEY_ESCAPE:
        return ACT_CALL_OVER; // the game loop sees that Escape left the game
    case ZK_QUIT:
        end_game = END_QUIT;
        return ACT_CALL_OVER;
    case ZK_STAND:
        return act_stand_still(player);
    case ZK_CENTRE:
        return act_pick_up(player, here);
    case ZK_INVENTORY:
        return act_open_inventory(player, here);
    case ZK_EAT:
        return act_eat(player, here);
    case ZK_ZAP:
        return act_zap(player, x, y);
    default:
        return act_is_step(code) ? act_step_to(player, code, x, y) : ACT_AGAIN;
    }
}

} // namespace

void user_act() {
    int x = 0, y = 0;
    character_* player = act_find_player(current_room, &x, &y);
    if (!player || !player->props)
        return; // nobody to act: the player is dead or not in this room
    bool turn_over = false;
    while (!turn_over && end_game == 0) {
        act_result result = act_carry_out(act_read_command(), player, x, y);
        if (result == ACT_CALL_OVER)
            return;
        turn_over = result == ACT_TURN_OVER;
        // A key still held would be read again at once: wait it out first,
        // unless Escape left the game (in older games it is left held, for
        // the game loop to see).
        if (!act_left_with_escape())
            zelkokey_wait_release();
        draw_picture(step);
    }
}
