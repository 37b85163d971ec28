// bench_scene: builds the benchmark rooms on top of the room generator: the
// generated layout is kept, its random creatures are replaced by a fixed
// cast, and items and explosions are laid where the floor allows.
#include "bench_scene.h"

#include <cstdlib>

#include "creatures/explosion.h"
#include "main/game.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/room.h"
#include "world/tile.h"

namespace {

/// The level of the benchmark rooms: deep enough for every kind of item.
constexpr int BENCH_LEVEL = 30;
constexpr unsigned BUSY_SEED = 4242;
constexpr unsigned TURN_SEED = 777;

/// A spot of the middle area, which is always floor.
struct spot {
    int x, y;
};

// The cast of both rooms, two of them side by side so that blows fall.
// breed                    where
const character_breed cast_breeds[BENCH_CREATURES] = {BREED_GREEN_DEVIL,   BREED_EVIL_EYES,
                                                      BREED_FUR_BALL,      BREED_CRAZY_BAKER,
                                                      BREED_LITTLE_SPIDER, BREED_GNOME};
const spot cast_spots[BENCH_CREATURES] = {{8, 7}, {9, 7}, {16, 9}, {10, 11}, {18, 12}, {14, 13}};
const spot player_spot = {13, 9};

// Explosions: where they lie and the way they fly (some stand, some fly
// into creatures, the player or walls).
const spot blast_spots[BENCH_EXPLOSIONS] = {{6, 6},  {9, 7},   {12, 8},  {13, 9},  {15, 10},
                                            {20, 6}, {10, 12}, {17, 13}, {21, 14}, {7, 14}};
const spot blast_steps[BENCH_EXPLOSIONS] = {{1, 0}, {0, 0},  {1, 1}, {0, 0}, {-1, 0},
                                            {0, 1}, {1, -1}, {0, 0}, {1, 0}, {-1, -1}};

/// A room of the generator's making, number BENCH_LEVEL, entered from below.
room_* bench_generated_room(unsigned seed) {
    srand(seed);
    room_* head = nullptr;
    return room_add_new_room(&head, BENCH_LEVEL, 13, 19, BENCH_LEVEL - 1, 'n');
}

/// Frees the generator's random creatures; the room keeps its items.
void bench_clear_beings(room_* room) {
    for (int x = 0; x < ROOM_WIDTH; x++)
        for (int y = 0; y < ROOM_HEIGHT; y++) {
            tile* t = &room->tiles[x][y];
            if (t->being && !character_is_user(t->being))
                character_remove(t->being);
            t->being = nullptr;
        }
}

/// Places the fixed cast and the player on their spots.
void bench_place_cast(room_* room, character_* player) {
    for (int i = 0; i < BENCH_CREATURES; i++)
        tile_put_character(&room->tiles[cast_spots[i].x][cast_spots[i].y],
                           character_create_breed(cast_breeds[i]));
    tile_put_character(&room->tiles[player_spot.x][player_spot.y], player);
}

/// Lays the explosions, each already moved `moves` times so it has burst.
void bench_lay_explosions(room_* room, int moves) {
    for (int i = 0; i < BENCH_EXPLOSIONS; i++) {
        BITMAP* picture = i % 2 ? monsterpic[(3 * i) % MONSTERPIC_COUNT] : zappic[0];
        objekt_* blast = objekt_create_explosion(i % 2 ? "GreenDevil" : "wand", picture,
                                                 blast_steps[i].x, blast_steps[i].y, 24);
        for (int m = 0; m < moves && blast; m++)
            explosion_move(blast);
        objektlist_add_objekt_to_list(blast,
                                      &room->tiles[blast_spots[i].x][blast_spots[i].y].objekts);
    }
}

/// Every empty tile becomes wall, so that all 560 tiles are painted.
void bench_fill_rock(room_* room) {
    for (int x = 0; x < ROOM_WIDTH; x++)
        for (int y = 0; y < ROOM_HEIGHT; y++)
            if (tile_is_empty(&room->tiles[x][y]))
                tile_create_wall(&room->tiles[x][y]);
}

/// Opens every other door and makes one the way out, so every ground
/// picture is used.
void bench_open_doors(room_* room) {
    int doors = 0;
    for (int x = 0; x < ROOM_WIDTH; x++)
        for (int y = 0; y < ROOM_HEIGHT; y++) {
            tile* t = &room->tiles[x][y];
            if (!tile_is_door(t) || t->door_target != 0)
                continue;
            if (doors++ == 0)
                t->kind = TILE_DOOR_OUT;
            else if (doors % 2 == 0)
                t->door_target = BENCH_LEVEL + doors;
        }
}

/// Scatters items over the floor: one on every fifth floor tile, three on
/// every fifteenth.
void bench_scatter_items(room_* room) {
    int floor = 0;
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++) {
            tile* t = &room->tiles[x][y];
            if (!tile_is_floor(t) || floor++ % 5 != 0)
                continue;
            int count = floor % 15 == 1 ? 3 : 1;
            for (int i = 0; i < count; i++)
                tile_add_random_objekt(t, BENCH_LEVEL);
        }
}

} // namespace

character_* bench_make_player() {
    character_* player = character_create_user();
    if (player && player->props) {
        player->props->strength = 1000; // 60 slots even with bad things carried
        player->props->health = 1000;
        player->props->armor = 20;
    }
    return player;
}

void bench_fill_pack(character_* player) {
    srand(BUSY_SEED);
    objekt_* wand = objekt_create_wand();
    objektlist_add_objekt_to_list(wand, &player->inventory);
    for (int i = 1; i < BENCH_PACK; i++)
        objektlist_add_objekt_to_list(objekt_create_kind((objekt_kind)(i % OBJEKT_KIND_COUNT)),
                                      &player->inventory);
    if (wand) {
        wand->in_use = 1;
        wand->selected = 1;
        player->weapon = wand;
    }
    character_calculate_properties(player, &users_calculated_properties);
}

room_* bench_busy_room(character_* player) {
    room_* room = bench_generated_room(BUSY_SEED);
    if (!room)
        return nullptr;
    bench_clear_beings(room);
    bench_fill_rock(room);
    bench_open_doors(room);
    bench_scatter_items(room);
    bench_lay_explosions(room, 3);
    bench_place_cast(room, player);
    return room;
}

room_* bench_turn_room(character_* player) {
    room_* room = bench_generated_room(TURN_SEED);
    if (!room)
        return nullptr;
    bench_clear_beings(room);
    bench_lay_explosions(room, 0);
    bench_place_cast(room, player);
    if (player && player->props)
        player->props->health = 1e6f; // survives every repetition
    return room;
}

void bench_free_room(room_* room) {
    room_remove_all(room);
}

void bench_fill_history() {
    static const char* const lines[] = {"You went into a new room",  "You picked up a wand",
                                        "GreenDevil hit you",        "You hit EvilEyes",
                                        "explosion of wand hit you", "You ate a bread",
                                        "CrazyBaker says hello"};
    event_history_clear();
    for (const char* line : lines)
        event_history_push(line);
}
