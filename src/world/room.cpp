// room: the list of rooms that makes up the cave, and the generator that lays
// out a room: doors in the edge, floor around each door and in the middle,
// walls around the floor, then random items and creatures. Every random draw
// happens in a fixed order (column before row), so a seed gives one world.
#include "world/room.h"

#include <cstdlib>

#include "world/alloc.h"
#include "world/character.h"
#include "world/objektlist.h"

namespace {

// The interior: everything inside the one-tile edge.
constexpr int interior_first_x = 1;
constexpr int interior_last_x = ROOM_WIDTH - 2;
constexpr int interior_first_y = 1;
constexpr int interior_last_y = ROOM_HEIGHT - 2;

// The middle area, always floor; creatures are placed only here.
constexpr int middle_first_x = 5;
constexpr int middle_columns = 18;
constexpr int middle_first_y = 5;
constexpr int middle_rows = 10;

// The floor block around a door reaches this far up/left and down/right.
constexpr int block_before = 6;
constexpr int block_after = 5;

/// The search for a creature's spot gives up once its draw counter passes this.
constexpr long creature_draw_limit = 786431;

/// 1 if (x, y) lies inside the edge of the room.
int room_in_interior(int x, int y) {
    return x >= interior_first_x && x <= interior_last_x && y >= interior_first_y &&
           y <= interior_last_y;
}

/// Makes every tile of a new room empty.
void room_clear_tiles(room_* room) {
    for (int x = 0; x < ROOM_WIDTH; x++)
        for (int y = 0; y < ROOM_HEIGHT; y++)
            tile_create_empty(&room->tiles[x][y]);
}

/// Lays floor on the interior part of the twelve by twelve block around a door.
void room_add_floor_block(room_* room, int door_x, int door_y) {
    for (int x = door_x - block_before; x <= door_x + block_after; x++)
        for (int y = door_y - block_before; y <= door_y + block_after; y++)
            if (room_in_interior(x, y))
                tile_create_floor(&room->tiles[x][y]);
}

/// Draws one spot in the edge (side first, then the position on that side).
void room_draw_door_spot(int* x, int* y, char* side) {
    switch (rand() % 4) {
    case 0:
        *x = rand() % 26 + 1;
        *y = 0;
        *side = 'u';
        break;
    case 1:
        *x = ROOM_WIDTH - 1;
        *y = rand() % 18 + 1;
        *side = 'h';
        break;
    case 2:
        *x = rand() % 26 + 1;
        *y = ROOM_HEIGHT - 1;
        *side = 'n';
        break;
    default:
        *x = 0;
        *y = rand() % 18 + 1;
        *side = 'v';
        break;
    }
}

/// 1 if any of the up to eight neighbours of (x, y) on the grid is floor.
int room_touches_floor(const room_* room, int x, int y) {
    for (int dx = -1; dx <= 1; dx++)
        for (int dy = -1; dy <= 1; dy++) {
            if ((dx || dy) && room_in_grid(x + dx, y + dy) &&
                tile_is_floor(&room->tiles[x + dx][y + dy]))
                return 1;
        }
    return 0;
}

/// 1 if the tile is floor with nobody standing on it.
int room_free_floor(const tile* t) {
    return tile_is_floor(t) && !tile_has_being(t);
}

/// Draws spots anywhere in the room, column then row, until one is floor.
tile* room_draw_floor_spot(room_* room) {
    int x = 0;
    int y = 0;
    while (!tile_is_floor(&room->tiles[x][y])) {
        x = rand() % ROOM_WIDTH;
        y = rand() % ROOM_HEIGHT;
    }
    return &room->tiles[x][y];
}

/// A zero-filled room with the given number and all tiles empty, or null.
room_* room_allocate(int number) {
    room_* room = static_cast<room_*>(alloc_zeroed(sizeof(room_)));
    if (!room)
        return nullptr;
    room->number = number;
    room_clear_tiles(room);
    return room;
}

} // namespace

/// 1 if (x, y) is a tile of the 28 by 20 grid.
int room_in_grid(int x, int y) {
    return x >= 0 && x < ROOM_WIDTH && y >= 0 && y < ROOM_HEIGHT;
}

/// The first room of the list from `first` with this number, or null.
room_* room_find_existing_room(room_* first, int number) {
    for (room_* room = first; room; room = room->next)
        if (room->number == number)
            return room;
    return nullptr;
}

/// The player standing in the room, scanning row by row, or null.
character_* room_find_user(room_* room) {
    if (!room)
        return nullptr;
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++)
            if (character_is_user(room->tiles[x][y].being))
                return room->tiles[x][y].being;
    return nullptr;
}

/// Places `count` unexplored doors in free edge spots, each with its floor block.
void room_add_doors(room_* room, int count) {
    if (!room)
        return;
    for (int i = 0; i < count; i++) {
        int x, y;
        char side;
        // A spot already taken by a door is drawn again, side and all.
        do
            room_draw_door_spot(&x, &y, &side);
        while (!tile_is_empty(&room->tiles[x][y]));
        tile_create_door(&room->tiles[x][y], 0, side);
        room_add_floor_block(room, x, y);
    }
}

/// Makes the empty tiles of the middle area floor.
void room_add_middle(room_* room) {
    if (!room)
        return;
    for (int x = middle_first_x; x < middle_first_x + middle_columns; x++)
        for (int y = middle_first_y; y < middle_first_y + middle_rows; y++)
            if (tile_is_empty(&room->tiles[x][y]))
                tile_create_floor(&room->tiles[x][y]);
}

/// Turns every empty tile that touches floor into a wall.
void room_add_walls(room_* room) {
    if (!room)
        return;
    // Walls are not floor, so making them never changes a later decision.
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++)
            if (tile_is_empty(&room->tiles[x][y]) && room_touches_floor(room, x, y))
                tile_create_wall(&room->tiles[x][y]);
}

/// Scatters 0 to 3 random items of the room's level on floor tiles.
void room_add_random_objekts(room_* room) {
    if (!room)
        return;
    int count = rand() % 4;
    for (int i = 0; i < count; i++)
        tile_add_random_objekt(room_draw_floor_spot(room), room->number);
}

/// Places 2 to 6 random creatures on free floor tiles of the middle area.
void room_add_random_characters(room_* room) {
    if (!room)
        return;
    int count = rand() % 5 + 2;
    for (int i = 0; i < count; i++) {
        int x = 0;
        int y = 0;
        long draws = 0;
        while (!room_free_floor(&room->tiles[x][y]) && draws <= creature_draw_limit) {
            x = rand() % middle_columns + middle_first_x;
            y = rand() % middle_rows + middle_first_y;
            draws++;
        }
        // A search that gave up places nobody: no creature is made, and the
        // being standing on the last spot drawn stays where it is.
        if (room_free_floor(&room->tiles[x][y]))
            tile_add_random_character(&room->tiles[x][y], room->number);
    }
}

/// Room 1 with its doors, floor, walls, the player and a few items; null without memory.
room_* room_create_first() {
    room_* room = room_allocate(1);
    if (!room)
        return nullptr;
    room_add_doors(room, rand() % 4 + 1);
    room_add_middle(room);
    room_add_walls(room);
    // When the player cannot be made the room is still returned, without
    // anybody in it: the game finds no player and ends the game at once.
    tile* spot = room_draw_floor_spot(room); // the spot is drawn before the player
    tile_put_character(spot, character_create_user());
    room_add_random_objekts(room);
    return room;
}

/// Appends a room entered by the door at (x, y) to the list; null without memory.
room_* room_add_new_room(room_** head, int number, int x, int y, int door_target, char door_side) {
    if (!head)
        return nullptr;
    room_** link = head;
    while (*link)
        link = &(*link)->next;
    room_* room = room_allocate(number);
    if (!room)
        return nullptr;
    *link = room;
    if (room_in_grid(x, y)) {
        tile_create_door(&room->tiles[x][y], door_target, door_side);
        room_add_floor_block(room, x, y);
    }
    room_add_doors(room, rand() % 4 + 1);
    room_add_middle(room);
    room_add_walls(room);
    room_add_random_objekts(room);
    room_add_random_characters(room);
    return room;
}

/// Frees every room with its items and creatures, but not the player.
void room_remove_all(room_* first) {
    room_* room = first;
    while (room) {
        room_* next = room->next;
        for (int x = 0; x < ROOM_WIDTH; x++)
            for (int y = 0; y < ROOM_HEIGHT; y++) {
                tile* t = &room->tiles[x][y];
                objektlist_empty(t->objekts);
                t->objekts = nullptr;
                if (!character_is_user(t->being))
                    character_remove(t->being);
                t->being = nullptr;
            }
        alloc_free(room);
        room = next;
    }
}
