// world_turn: after the player has acted, every creature of the room chooses
// a way, steps or strikes, and every explosion bursts, strikes, flies and ages.
#include "creatures/world_turn.h"

#include "creatures/explosion.h"
#include "creatures/monster_move.h"
#include "shell/history.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/room.h"
#include "world/state.h"
#include "world/tile.h"

namespace {

/// The tile at (x, y), or null off the grid.
tile* world_turn_tile(room_* room, int x, int y) {
    if (!room_in_grid(x, y))
        return nullptr;
    return &room->tiles[x][y];
}

/// Clears the acted-this-turn marks of every creature and item of the room.
void world_turn_reset(room_* room) {
    for (int y = 0; y < ROOM_HEIGHT; y++) {
        for (int x = 0; x < ROOM_WIDTH; x++) {
            tile* t = &room->tiles[x][y];
            if (tile_has_being(t) && !character_is_user(t->being))
                t->being->moved = 0;
            if (!tile_has_objekt(t))
                continue;
            for (objektlist_* node = t->objekts; node; node = node->next)
                if (node->objekt)
                    node->objekt->moved = 0;
        }
    }
}

/// Lays new remains on a tile's items; without memory for the list node they
/// are freed rather than lost.
void world_turn_lay(objekt_* remains, objektlist_** items) {
    int before = objektlist_count_stuff(*items);
    objektlist_add_objekt_to_list(remains, items);
    if (objektlist_count_stuff(*items) == before)
        objekt_remove(remains);
}

/// Takes the hit rule's loss off a creature that is not the player; kills it
/// when its health drops below 1, leaving its remains on `where`.
void world_turn_harm_creature(tile* where, int strength) {
    character_* victim = where->being;
    if (!victim || !victim->props)
        return;
    properties_check_properties(victim->props);
    victim->props->health -= world_turn_hit_loss(strength, victim->props->armor);
    properties_check_properties(victim->props);
    if (victim->props->health < 1.0f) {
        world_turn_lay(character_kill(victim), &where->objekts);
        tile_remove_character(where);
    }
}

/// Takes the hit rule's loss off the player, tells of it and refreshes the
/// player's effective stats. Returns 0 when the player has no stats.
int world_turn_harm_player(character_* player, int strength, const char* attacker) {
    if (!player->props)
        return 0;
    player->props->health -= world_turn_hit_loss(strength, users_calculated_properties.armor);
    event_history_push2(attacker, " hit you");
    character_calculate_properties(player, &users_calculated_properties);
    return 1;
}

/// A monster's blow on whoever stands on `target`.
void world_turn_blow(character_* attacker, tile* target) {
    if (!attacker->props)
        return;
    int strength = attacker->props->damage;
    character_* victim = target->being;
    if (!character_is_user(victim)) {
        world_turn_harm_creature(target, strength);
        return;
    }
    if (!world_turn_harm_player(victim, strength, attacker->name))
        return;
    if (users_calculated_properties.health < 1.0f) {
        end_game = END_KILLED;
        event_history_push2("You were killed by ", attacker->name);
    }
}

/// The creature on (x, y) chooses its way, then steps, strikes or stands.
void world_turn_creature(room_* room, int x, int y) {
    tile* here = &room->tiles[x][y];
    character_* creature = here->being;
    monster_move(creature, room, x, y);
    int tx = x + creature->dir_x;
    int ty = y + creature->dir_y;
    tile* target = world_turn_tile(room, tx, ty);
    if (target && tile_is_floor(target) && !tile_has_being(target)) {
        tile_put_character(target, creature);
        tile_remove_character(here);
    } else if (target && target != here && tile_is_floor(target) && tile_has_being(target) &&
               creature->kind == 'm') {
        world_turn_blow(creature, target);
    }
    creature->moved = 1;
}

/// An explosion strikes the being on its tile; returns 1 when that killed the
/// player, which ends the world turn at once.
int world_turn_explosion_strike(objekt_* explosion, tile* here) {
    int strength = explosion->age > 0 ? explosion->power * 2 / explosion->age : explosion->power;
    character_* victim = here->being;
    if (!character_is_user(victim)) {
        world_turn_harm_creature(here, strength);
        return 0;
    }
    if (!world_turn_harm_player(victim, strength, explosion->name))
        return 0;
    if (strength < users_calculated_properties.health)
        return 0;
    event_history_push("You were killed by the blow");
    end_game = END_EXPLOSION;
    world_turn_lay(character_kill(victim), &here->objekts);
    tile_remove_character(here);
    return 1;
}

/// Flies an explosion on by its step when the tile ahead is floor, and
/// destroys it once it is too old. `here` is the tile it lies on. Without
/// memory for a list node on the tile ahead it stays where it is.
void world_turn_explosion_fly(room_* room, objekt_* explosion, int x, int y) {
    tile* here = &room->tiles[x][y];
    tile* next = world_turn_tile(room, x + explosion->step_x, y + explosion->step_y);
    if (next && tile_is_floor(next)) {
        int before = objektlist_count_stuff(next->objekts);
        objektlist_add_objekt_to_list(explosion, &next->objekts);
        if (objektlist_count_stuff(next->objekts) != before) {
            objektlist_remove_objekt_from_list(explosion, &here->objekts);
            here = next;
        }
    }
    if (explosion->age > 9) {
        objektlist_remove_objekt_from_list(explosion, &here->objekts);
        objekt_remove(explosion);
    }
}

/// Every explosion on (x, y) that has not moved yet moves once. Returns 1
/// when one of them killed the player.
int world_turn_explosions(room_* room, int x, int y) {
    tile* here = &room->tiles[x][y];
    objekt_* explosion;
    // One look through the tile's items finds the next explosion to move.
    while ((explosion = tile_find_unmoved_explosion(here)) != nullptr) {
        explosion_move(explosion);
        explosion->moved = 1;
        if (tile_is_floor(here) && tile_has_being(here) &&
            world_turn_explosion_strike(explosion, here))
            return 1;
        world_turn_explosion_fly(room, explosion, x, y);
    }
    return 0;
}

} // namespace

int world_turn_hit_loss(int s, int armor) {
    if (armor < 0)
        armor = 0;
    return s / (armor / 10 + 1);
}

void monster_act(room_* room) {
    if (!room)
        return;
    world_turn_reset(room);
    for (int y = 0; y < ROOM_HEIGHT; y++) {
        for (int x = 0; x < ROOM_WIDTH; x++) {
            tile* here = &room->tiles[x][y];
            character_* being = here->being;
            if (being && !character_is_user(being) && being->moved == 0)
                world_turn_creature(room, x, y);
            if (world_turn_explosions(room, x, y))
                return;
        }
    }
}
