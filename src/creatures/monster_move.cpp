// monster_move: how a creature picks its way each turn: the baker bakes,
// everyone heads for the player it sees, monsters hunt and neutral creatures
// flee what they notice, and the idle ones wander at random.
#include "creatures/monster_move.h"

#include <cstdlib>
#include <cstring>

#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"
#include "world/tile.h"

namespace {

/// -1, 0 or 1 after the sign of v.
int monster_move_sign(int v) {
    return (v > 0) - (v < 0);
}

/// A chance of "1 in odds"; odds below 1 count as 1 (always).
int monster_move_chance(int odds) {
    return rand() % (odds < 1 ? 1 : odds) == 0;
}

/// The CrazyBaker now and then leaves a fresh bread on its tile.
void monster_move_bake(character_* creature, room_* room, int x, int y) {
    if (std::strcmp(creature->name, "CrazyBaker") != 0)
        return;
    if (!monster_move_chance(creature->special_odds))
        return;
    objektlist_** items = &room->tiles[x][y].objekts;
    int before = objektlist_count_stuff(*items);
    objekt_* bread = objekt_create_bread();
    objektlist_add_objekt_to_list(bread, items);
    if (objektlist_count_stuff(*items) == before)
        objekt_remove(bread); // no memory to lay it down: no bread
}

/// Looks over the square of half-width `radius` around (x, y), top row first
/// and left to right, skipping the outer ring of the room. With `player_only`
/// only the player counts, otherwise any being but `creature` itself. On the
/// first find the offset goes to *dx, *dy and 1 is returned.
int monster_move_look(character_* creature, room_* room, int x, int y, int radius, int player_only,
                      int* found_dx, int* found_dy) {
    for (int dy = -radius; dy <= radius; dy++) {
        for (int dx = -radius; dx <= radius; dx++) {
            int lx = x + dx;
            int ly = y + dy;
            if (lx < 1 || lx > ROOM_WIDTH - 2 || ly < 1 || ly > ROOM_HEIGHT - 2)
                continue;
            tile* t = &room->tiles[lx][ly];
            if (!tile_has_being(t))
                continue;
            int counts = player_only ? character_is_user(t->being) : t->being != creature;
            if (counts) {
                *found_dx = dx;
                *found_dy = dy;
                return 1;
            }
        }
    }
    return 0;
}

/// Each direction changes now and then on its own, to -1, 0 or 1.
void monster_move_wander(character_* creature) {
    if (monster_move_chance(creature->turn_x_odds))
        creature->dir_x = rand() % 3 - 1;
    if (monster_move_chance(creature->turn_y_odds))
        creature->dir_y = rand() % 3 - 1;
}

/// Keeps a direction within -1..1.
int monster_move_bound(int dir) {
    if (dir < -1)
        return dir + 1;
    if (dir > 1)
        return dir - 1;
    return dir;
}

} // namespace

void monster_move(character_* creature, room_* room, int x, int y) {
    if (!creature || !room || !room_in_grid(x, y))
        return;
    monster_move_bake(creature, room, x, y);
    int dx = 0;
    int dy = 0;
    if (monster_move_look(creature, room, x, y, creature->sight, 1, &dx, &dy)) {
        creature->dir_x = monster_move_sign(dx);
        creature->dir_y = monster_move_sign(dy);
    } else if (monster_move_look(creature, room, x, y, creature->alertness, 0, &dx, &dy)) {
        if (creature->kind == 'm') {
            creature->dir_x = monster_move_sign(dx);
            creature->dir_y = monster_move_sign(dy);
        } else if (creature->kind == 'n') {
            creature->dir_x = -monster_move_sign(dx);
            creature->dir_y = -monster_move_sign(dy);
        }
    } else {
        monster_move_wander(creature);
    }
    creature->dir_y = monster_move_bound(creature->dir_y);
    creature->dir_x = monster_move_bound(creature->dir_x);
}
