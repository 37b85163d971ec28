// move: one step of the player in the direction it faces: onto free floor,
// a blow at a monster, a word with a neutral creature, or a pass through a
// door into another room, which is made the first time the door is used and
// from room 26 on may turn out to be the way out of the cave.
#include "turn/move.h"

#include <cstdlib>
#include <cstring>

#include "creatures/world_turn.h"
#include "shell/history.h"
#include "shell/keyboard.h"
#include "turn/act_rules.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/room.h"
#include "world/state.h"

namespace {

/// What a neutral creature says back, by its name.
struct move_answer {
    const char* name;
    const char* line;
};

// creature name   answer
constexpr move_answer move_answers[] = {
    {"CrazyBaker", "He stares at you and talks about bread... lovely bread..."},
    {"LittleSpider", "It answers you, but you can't understand its language"},
    {"rat", "Are you maybe going crazy?"},
    {"bat", "It sqeeks at you!"},
    {"gnome", "She tells you of the wonders of her people. And an evil wizard..."},
};

/// A coordinate of the door rules that is taken over: the door's own column
/// or row for the new door, the player's for the arrival tile.
constexpr int KEEP = -1;

/// Where a door leads: the matching door of the room behind it, and where
/// the player arrives there.
struct move_door_rule {
    char side;     // the side of the door passed through
    char new_side; // the side of the new room's door back
    int door_x;    // the new room's door (KEEP: the column/row of the door passed)
    int door_y;
    int arrive_x; // the arrival tile (KEEP: the player's column/row before the step)
    int arrive_y;
};

// side  new side  new door      arrival
constexpr move_door_rule move_door_rules[] = {
    {'u', 'n', KEEP, 19, KEEP, 18},
    {'n', 'u', KEEP, 0, KEEP, 1},
    {'h', 'v', 0, KEEP, 1, KEEP},
    {'v', 'h', 27, KEEP, 26, KEEP},
};

/// The chance of the way out: a draw from 0 to N, less 25, above 0 wins.
constexpr int WAY_OUT_FROM = 25;

/// The rule of a door side, or null for a side no door has.
const move_door_rule* move_rule_of(char side) {
    for (const move_door_rule& rule : move_door_rules)
        if (rule.side == side)
            return &rule;
    return nullptr;
}

/// `value` unless it is KEEP, then `kept`.
int move_pick(int value, int kept) {
    return value == KEEP ? kept : value;
}

/// The player steps from `from` onto the free floor tile `to`.
void move_walk(character_* player, tile* from, tile* to) {
    tile_put_character(to, player);
    tile_remove_character(from);
    act_food_cost(player, COST_WALK);
}

/// A blow at the monster on `target`, by the hit rule; a kill leaves its
/// remains there. Fighting trains the player's strength.
void move_strike(character_* player, tile* target) {
    character_* monster = target->being;
    if (monster->props) {
        properties_check_properties(monster->props);
        monster->props->health -=
            world_turn_hit_loss(users_calculated_properties.damage, monster->props->armor);
    }
    event_history_push2("You hit ", monster->name);
    properties_check_properties(monster->props);
    if (!monster->props || monster->props->health < 1) {
        player->kills++;
        event_history_push2("You killed ", monster->name);
        objekt_* remains = character_kill(monster);
        int before = objektlist_count_stuff(target->objekts);
        objektlist_add_objekt_to_list(remains, &target->objekts);
        if (objektlist_count_stuff(target->objekts) == before)
            objekt_remove(remains); // no memory to lay them down
        tile_remove_character(target);
    }
    float s = users_calculated_properties.strength;
    player->props->strength += s < 30 ? 2.0f : 31 / (s + 1);
    act_food_cost(player, COST_HIT);
}

/// A word with the neutral creature on `target`, and what it says back.
void move_talk(character_* player, tile* target) {
    const character_* creature = target->being;
    act_food_cost(player, COST_TALK);
    event_history_push2("You talk to ", creature->name);
    for (const move_answer& answer : move_answers)
        if (strcmp(creature->name, answer.name) == 0)
            event_history_push(answer.line);
}

/// The room behind an unexplored door on side `rule` at (dx, dy): the way out
/// (end_game set, null), or a new room with the lowest free number. Null too
/// when memory runs out; the door then stays unexplored.
room_* move_open_door(tile* door, const move_door_rule* rule, int dx, int dy) {
    int here = current_room->number;
    if (here >= 0 && rand() % (here + 1) - WAY_OUT_FROM > 0) {
        end_game = END_WAY_OUT;
        event_history_push("Oh, joy! You found the way out!");
        door->kind = TILE_DOOR_OUT;
        return nullptr;
    }
    int number = move_free_room_number();
    door->door_target = number;
    room_* room = room_add_new_room(&cave, number, move_pick(rule->door_x, dx),
                                    move_pick(rule->door_y, dy), here, rule->new_side);
    if (!room) {
        door->door_target = 0;
        return nullptr;
    }
    event_history_push("You went into a new room");
    return room;
}

/// Passes the player at (x, y) through `door` (at dx, dy) into the room
/// behind it. 0 when the door was the way out.
int move_through_door(character_* player, int x, int y, tile* door, int dx, int dy) {
    const move_door_rule* rule = move_rule_of(door->door_side);
    if (!rule)
        return 1; // a door on no side of the room leads nowhere
    room_* room;
    if (door->door_target != 0) {
        room = room_find_existing_room(cave, door->door_target);
        if (!room)
            return 1;
        event_history_push("You went into another room... it feels familiar");
    } else {
        room = move_open_door(door, rule, dx, dy);
        if (end_game == END_WAY_OUT)
            return 0;
        if (!room)
            return 1;
    }
    int ax = move_pick(rule->arrive_x, x);
    int ay = move_pick(rule->arrive_y, y);
    tile_remove_character(&current_room->tiles[x][y]);
    if (!move_clear_arrival(room, ax, ay)) {
        tile_put_character(&current_room->tiles[x][y], player); // no room to stand in
        return 1;
    }
    tile_put_character(&room->tiles[ax][ay], player);
    current_room = room;
    act_food_cost(player, COST_WALK);
    room_number = room->number;
    return 1;
}

/// 1 if the tile is floor with nobody on it.
int move_free_floor(const tile* t) {
    return tile_is_floor(t) && !tile_has_being(t);
}

} // namespace

int move_clear_arrival(room_* room, int x, int y) {
    character_* being = room->tiles[x][y].being;
    if (!being)
        return 1;
    // The being moves to the nearest free floor tile: the rings of tiles at
    // Chebyshev distance 1, 2, 3 ... around (x, y), each ring searched row by
    // row from the top and each row from the left. It never leaves the room.
    for (int d = 1; d < ROOM_WIDTH; d++)
        for (int row = y - d; row <= y + d; row++)
            for (int column = x - d; column <= x + d; column++) {
                if (abs(column - x) != d && abs(row - y) != d)
                    continue; // inside the ring, searched before
                if (!room_in_grid(column, row) || !move_free_floor(&room->tiles[column][row]))
                    continue;
                tile_put_character(&room->tiles[column][row], being);
                tile_remove_character(&room->tiles[x][y]);
                return 1;
            }
    return 0;
}

int move_free_room_number() {
    int number = 1;
    room_* room = cave;
    while (room) {
        if (room->number == number) {
            number++;
            room = cave; // the new candidate is checked against every room again
        } else {
            room = room->next;
        }
    }
    return number;
}

void user_move(int x, int y) {
    if (!current_room || !room_in_grid(x, y))
        return;
    tile* from = &current_room->tiles[x][y];
    character_* player = from->being;
    if (!character_is_user(player) || !player->props)
        return;
    int tx = x + player->dir_x;
    int ty = y + player->dir_y;
    if (room_in_grid(tx, ty)) {
        tile* target = &current_room->tiles[tx][ty];
        if (tile_is_floor(target)) {
            if (!tile_has_being(target))
                move_walk(player, from, target);
            else if (target->being->kind == 'm')
                move_strike(player, target);
            else
                move_talk(player, target);
        } else if (tile_is_door(target)) {
            if (!move_through_door(player, x, y, target, tx, ty))
                return; // the way out: the game ends here, no key is waited for
        }
    }
    zelkokey_wait_release();
}
