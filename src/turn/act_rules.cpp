// act_rules: the rules every action of the player's turn shares (see
// act_rules.h).
#include "turn/act_rules.h"

#include <allegro.h>

#include "screens/msgbox.h"
#include "shell/assets.h"
#include "shell/keyboard.h"
#include "tape/recording.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"
#include "world/state.h"
#include "world/tile.h"

const char* const ACT_END_QUESTION = "Do you want to end this game?";

namespace {

/// One step on the grid.
struct act_step {
    int dx;
    int dy;
};

/// The action codes 0..9 laid out like the numeric keypad (7 8 9 on top);
/// 0 and 5 do not move.
constexpr act_step act_steps[] = {
    // dx  dy    code
    {0, 0},   // 0 stand still
    {-1, 1},  // 1 down-left
    {0, 1},   // 2 down
    {1, 1},   // 3 down-right
    {-1, 0},  // 4 left
    {0, 0},   // 5 centre
    {1, 0},   // 6 right
    {-1, -1}, // 7 up-left
    {0, -1},  // 8 up
    {1, -1},  // 9 up-right
};

/// The player's calculated strength as last worked out.
float act_s() {
    return users_calculated_properties.strength;
}

/// Asks over the screen as it is whether the game is to end; 1 for yes. On
/// no the screen is put back and the answering key let go, so that neither
/// N nor Escape is taken by the wait that asked.
int act_confirm_end() {
    const assets_bitmap_ kept(create_bitmap(bmp->w, bmp->h));
    if (kept)
        blit(bmp, kept.get(), 0, 0, 0, 0, bmp->w, bmp->h);
    const int yes = zelko_msgbox_YN(bmp, ACT_END_QUESTION);
    if (!yes && kept) {
        blit(kept.get(), bmp, 0, 0, 0, 0, bmp->w, bmp->h);
        assets_show(bmp);
    }
    if (!yes)
        zelkokey_wait_release();
    return yes;
}

} // namespace

void act_direction(int code, int* dx, int* dy) {
    act_step s = code >= 0 && code <= 9 ? act_steps[code] : act_step{0, 0};
    *dx = s.dx;
    *dy = s.dy;
}

int act_capacity(float strength) {
    return static_cast<int>(strength * 3.0 / 30.0);
}

float act_cost(act_cost_kind kind) {
    // Worked out in float, the strength being a float, step by step as
    // written; only a talk's cost is taken in double (see act_food_cost).
    const float s = act_s();
    switch (kind) {
    case COST_ZAP:
        return 2 * (s * 3 / 600);
    case COST_WALK:
        return (s + s) / 600;
    case COST_HIT:
        return s * 3 / 600;
    case COST_TALK:
        return static_cast<float>(s * 1.1 / 600);
    default:
        return s / 600;
    }
}

void act_food_cost(character_* player, act_cost_kind kind) {
    if (!player || !player->props || users_calculated_properties.fullness <= 0)
        return;
    float& fullness = player->props->fullness;
    if (kind == COST_TALK) // 1.1 is a double: the fullness takes it in double
        fullness = static_cast<float>(fullness - act_s() * 1.1 / 600);
    else
        fullness -= act_cost(kind);
}

void act_lay_corpse(character_* player, tile* t) {
    if (!t)
        return;
    act_lay_new(character_kill(player), &t->objekts);
    tile_remove_character(t);
}

int act_move_objekt(objekt_* item, objektlist_** from, objektlist_** to) {
    int before = objektlist_count_stuff(*to);
    objektlist_add_objekt_to_list(item, to);
    if (objektlist_count_stuff(*to) == before)
        return 0;
    objektlist_remove_objekt_from_list(item, from);
    return 1;
}

character_* act_find_player(room_* room, int* x, int* y) {
    if (!room)
        return nullptr;
    for (int row = 0; row < ROOM_HEIGHT; row++)
        for (int column = 0; column < ROOM_WIDTH; column++) {
            tile* t = &room->tiles[column][row];
            if (tile_has_being(t) && character_is_user(t->being)) {
                *x = column;
                *y = row;
                return t->being;
            }
        }
    return nullptr;
}

void act_wait_dismiss() {
    zelkokey_wait_fresh();
}

void act_lay_new(objekt_* item, objektlist_** items) {
    int before = objektlist_count_stuff(*items);
    objektlist_add_objekt_to_list(item, items);
    if (objektlist_count_stuff(*items) == before)
        objekt_remove(item);
}

int act_read_command() {
    for (;;) {
        const int code = zelkokey_get_a_key();
        if ((code != ZELKOKEY_ESCAPE && code != ZK_QUIT) || !recording_asks_to_end())
            return code;
        if (act_confirm_end()) {
            if (code == ZK_QUIT)
                end_game = END_QUIT;
            else
                escape_ended = 1;
            return code;
        }
    }
}

int act_left_with_escape() {
    return recording_asks_to_end() ? escape_ended : zelkokey_held(KEY_ESC);
}
