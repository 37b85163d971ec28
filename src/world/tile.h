// tile: one cell of a room: its ground, the being on it, the items on it.
#pragma once
#include <cstdint>

struct character_;
struct objekt_;
struct objektlist_;

enum tile_kind { TILE_EMPTY = 0, TILE_FLOOR = 1, TILE_WALL = 2, TILE_DOOR = 3, TILE_DOOR_OUT = 4 };

struct tile {
    char kind;             // tile_kind
    char picname[300];     // descriptive ground picture name
    character_* being;     // who stands here, or null
    objektlist_* objekts;  // items lying here, owned
    int32_t door_target;   // doors: number of the room behind, 0 if unexplored
    char door_side;        // doors: 'u' top, 'n' bottom, 'h' right, 'v' left
};

void tile_create_empty(tile* t);
void tile_create_floor(tile* t);
void tile_create_wall(tile* t);
void tile_create_door(tile* t, int door_target, char door_side);

int tile_is_empty(const tile* t);
int tile_is_floor(const tile* t);
int tile_is_wall(const tile* t);
int tile_is_door(const tile* t);
int tile_is_door_out(const tile* t);
int tile_has_being(const tile* t);
int tile_has_objekt(const tile* t);
int tile_has_explosion(const tile* t);
int tile_has_unmoved_explosion(const tile* t);
objekt_* tile_find_unmoved_explosion(const tile* t);

/// Adds objekt_create_random(level) to the tile's items.
void tile_add_random_objekt(tile* t, int level);
/// Puts character_create_random(level) on the tile.
void tile_add_random_character(tile* t, int level);
/// Sets the tile's being (may be null) and returns it.
character_* tile_put_character(tile* t, character_* being);
/// Clears the tile's being without releasing it.
void tile_remove_character(tile* t);
