// room_view: paints the room grid (ground, items, beings, wielded weapons)
// and composes the whole game frame: room, inventory strip, status panel and
// the newest messages, shown in one copy so no half-painted room is seen.
#include "render/room_view.h"

#include <allegro.h>

#include "main/game.h"
#include "render/panel.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"

namespace {

/// Edge of a tile in pixels.
constexpr int TILE_SIZE = 32;

/// Slots of the ground pictures in mappic.
enum {
    GROUND_EMPTY = 0,
    GROUND_FLOOR = 1,
    GROUND_WALL = 2,
    GROUND_DOOR = 3,
    GROUND_DOOR_OPEN = 4,
    GROUND_DOOR_OUT = 5
};

/// The picture to paint, or the red stand-in when it is missing.
BITMAP* room_view_picture(BITMAP* picture) {
    return picture ? picture : error_pic;
}

/// The ground picture slot of a tile: a door shows whether a room lies behind.
int room_view_ground_slot(const tile* t) {
    if (t->kind == TILE_FLOOR)
        return GROUND_FLOOR;
    if (t->kind == TILE_WALL)
        return GROUND_WALL;
    if (t->kind == TILE_DOOR && t->door_target == 0)
        return GROUND_DOOR;
    if (t->kind == TILE_DOOR)
        return GROUND_DOOR_OPEN;
    if (t->kind == TILE_DOOR_OUT)
        return GROUND_DOOR_OUT;
    return GROUND_EMPTY;
}

/// Copies a tile-sized picture with the mask colour left out.
void room_view_masked(BITMAP* picture, int x, int y) {
    picture = room_view_picture(picture);
    if (picture)
        masked_blit(picture, bmp, 0, 0, x, y, TILE_SIZE, TILE_SIZE);
}

/// Paints one tile: ground, its items in list order, the being, its weapon.
void room_view_tile(const tile* t, int frame, int x, int y) {
    BITMAP* ground = room_view_picture(mappic[room_view_ground_slot(t)]);
    if (ground)
        blit(ground, bmp, 0, 0, x, y, TILE_SIZE, TILE_SIZE);
    for (const objektlist_* node = t->objekts; node; node = node->next)
        if (node->objekt)
            room_view_masked(node->objekt->pic, x, y);
    const character_* being = t->being;
    if (!being)
        return;
    room_view_masked(frame ? being->pic2 : being->pic, x, y);
    if (being->weapon)
        room_view_masked(being->weapon->pic_used, x, y);
}

} // namespace

void draw_room(room_* room, int frame) {
    clear_to_color(bmp, 0);
    if (!room)
        return;
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++) {
            const tile* t = &room->tiles[x][y];
            if (t->kind != TILE_EMPTY)
                room_view_tile(t, frame, TILE_SIZE * x, TILE_SIZE * y);
        }
}

void draw_picture(int frame) {
    draw_room(current_room, frame);
    // The strip reads the stats of the last calculation; the panel renews them.
    draw_inventory(bmp, pal, user);
    draw_properties(bmp, pal, user);
    event_history_draw(bmp, 7, 512, 672);
    assets_show(bmp);
}
