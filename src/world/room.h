// room: the cave's rooms, their list and the generator that lays them out.
#pragma once
#include <cstdint>

#include "world/tile.h"

enum { ROOM_WIDTH = 28, ROOM_HEIGHT = 20 };

struct room_ {
    int32_t number;                         // 1 for the first room; also the level
    tile tiles[ROOM_WIDTH][ROOM_HEIGHT];    // tiles[column][row]
    room_* next;                            // next room in order of creation
};

room_* room_find_existing_room(room_* first, int number);
character_* room_find_user(room_* room);
room_* room_create_first();
room_* room_add_new_room(room_** head, int number, int x, int y, int door_target,
                         char door_side);
void room_add_doors(room_* room, int count);
void room_add_middle(room_* room);
void room_add_walls(room_* room);
void room_add_random_objekts(room_* room);
void room_add_random_characters(room_* room);

/// 1 if (x, y) lies on the 28 by 20 grid.
int room_in_grid(int x, int y);

/// Frees every room of the list with all items and creatures on it; the
/// player is left alone (the game releases it separately).
void room_remove_all(room_* first);
