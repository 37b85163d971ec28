// tile: one cell of a room. Setting its ground, asking what lies on it, and
// putting beings and random items on it.
#include "world/tile.h"

#include <cstring>

#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"

namespace {

/// Sets the ground kind and its descriptive picture name.
void tile_set_ground(tile* t, tile_kind kind, const char* picname) {
    t->kind = static_cast<char>(kind);
    strncpy(t->picname, picname, sizeof(t->picname) - 1);
    t->picname[sizeof(t->picname) - 1] = '\0';
}

/// 1 if the tile's kind is `kind` (a null tile is nothing).
int tile_kind_is(const tile* t, tile_kind kind) {
    return t && t->kind == kind ? 1 : 0;
}

} // namespace

/// Makes the tile rock: no ground, no being, no items.
void tile_create_empty(tile* t) {
    if (!t)
        return;
    tile_set_ground(t, TILE_EMPTY, "empty.bmp");
    t->being = nullptr;
    t->objekts = nullptr;
}

/// Makes the tile bare floor; a former item list is forgotten, not freed.
void tile_create_floor(tile* t) {
    if (!t)
        return;
    tile_set_ground(t, TILE_FLOOR, "floor.bmp");
    t->being = nullptr;
    t->objekts = nullptr;
}

/// Makes the tile a wall, keeping its being and items.
void tile_create_wall(tile* t) {
    if (!t)
        return;
    tile_set_ground(t, TILE_WALL, "wall.bmp");
}

/// Makes the tile a door to room `door_target` in the edge `door_side`.
void tile_create_door(tile* t, int door_target, char door_side) {
    if (!t)
        return;
    tile_set_ground(t, TILE_DOOR, "door.bmp");
    t->door_target = door_target;
    t->door_side = door_side;
}

/// 1 for rock.
int tile_is_empty(const tile* t) {
    return tile_kind_is(t, TILE_EMPTY);
}
/// 1 for floor.
int tile_is_floor(const tile* t) {
    return tile_kind_is(t, TILE_FLOOR);
}
/// 1 for a wall.
int tile_is_wall(const tile* t) {
    return tile_kind_is(t, TILE_WALL);
}
/// 1 for a door inside the cave.
int tile_is_door(const tile* t) {
    return tile_kind_is(t, TILE_DOOR);
}
/// 1 for the way out of the cave.
int tile_is_door_out(const tile* t) {
    return tile_kind_is(t, TILE_DOOR_OUT);
}

/// 1 if somebody stands on the tile.
int tile_has_being(const tile* t) {
    return t && t->being ? 1 : 0;
}

/// 1 if any item lies on the tile.
int tile_has_objekt(const tile* t) {
    return t && t->objekts ? 1 : 0;
}

/// 1 if an explosion lies on the tile.
int tile_has_explosion(const tile* t) {
    if (!t)
        return 0;
    for (objektlist_* node = t->objekts; node; node = node->next)
        if (node->objekt && objekt_is(node->objekt, "explosion"))
            return 1;
    return 0;
}

/// 1 if an explosion that has not moved this turn lies on the tile.
int tile_has_unmoved_explosion(const tile* t) {
    return tile_find_unmoved_explosion(t) ? 1 : 0;
}

/// The first explosion on the tile that has not moved this turn, or null.
objekt_* tile_find_unmoved_explosion(const tile* t) {
    if (!t)
        return nullptr;
    for (objektlist_* node = t->objekts; node; node = node->next) {
        objekt_* item = node->objekt;
        if (item && objekt_is(item, "explosion") && item->moved == 0)
            return item;
    }
    return nullptr;
}

/// Adds a random item of the level to the tile's items.
void tile_add_random_objekt(tile* t, int level) {
    if (!t)
        return;
    objekt_* item = objekt_create_random(level);
    if (!item)
        return;
    int before = objektlist_count_stuff(t->objekts);
    objektlist_add_objekt_to_list(item, &t->objekts);
    // Without memory for the list node the item would lie nowhere: drop it.
    if (objektlist_count_stuff(t->objekts) == before)
        objekt_remove(item);
}

/// Puts a random creature of the level on the tile.
void tile_add_random_character(tile* t, int level) {
    if (!t)
        return;
    tile_put_character(t, character_create_random(level));
}

/// Makes `being` (or nobody) the one standing on the tile; returns it.
character_* tile_put_character(tile* t, character_* being) {
    if (t)
        t->being = being;
    return being;
}

/// Leaves the tile without a being; the being itself is kept.
void tile_remove_character(tile* t) {
    if (t)
        t->being = nullptr;
}
