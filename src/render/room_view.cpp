// room_view: paints the room grid (ground, items, beings, wielded weapons)
// and composes the whole game frame: room, inventory strip, status panel and
// the newest messages, shown in one copy so no half-painted room is seen.
#include "render/room_view.h"

#include <allegro.h>

#include "render/panel.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"
#include "world/state.h"

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

/// Paints what lies on a tile over its ground: its items in list order, the
/// being, its weapon.
void room_view_overlay(const tile* t, int frame, int x, int y) {
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

/// The ground picture of a tile, or null for an empty tile (left black).
BITMAP* room_view_ground(const tile* t) {
    if (t->kind == TILE_EMPTY)
        return nullptr;
    return room_view_picture(mappic[room_view_ground_slot(t)]);
}

/// 1 if the picture fills a whole tile when copied there.
int room_view_fills_tile(const BITMAP* picture) {
    return picture && picture->w >= TILE_SIZE && picture->h >= TILE_SIZE;
}

/// Paints `count` tiles of one ground from tile column `x` of tile row `y`:
/// the first from the picture, the others by doubling what is already
/// painted, so a long run costs a few copies instead of one per tile.
void room_view_ground_run(BITMAP* picture, int x, int y, int count) {
    const int left = TILE_SIZE * x, top = TILE_SIZE * y, width = TILE_SIZE * count;
    blit(picture, bmp, 0, 0, left, top, TILE_SIZE, TILE_SIZE);
    for (int done = TILE_SIZE; done < width; done *= 2) {
        const int more = done < width - done ? done : width - done;
        blit(bmp, bmp, left, top, left + done, top, more, TILE_SIZE);
    }
}

/// Paints the ground of one tile row. Tiles whose ground fills them get it
/// in runs of equal pictures; every other tile is cleared to black first,
/// as the whole grid would have been, and gets whatever its picture covers.
void room_view_ground_row(const room_* room, int y) {
    for (int x = 0; x < ROOM_WIDTH;) {
        BITMAP* ground = room_view_ground(&room->tiles[x][y]);
        int count = 1;
        while (x + count < ROOM_WIDTH && room_view_ground(&room->tiles[x + count][y]) == ground)
            count++;
        if (room_view_fills_tile(ground)) {
            room_view_ground_run(ground, x, y, count);
        } else {
            rectfill(bmp, TILE_SIZE * x, TILE_SIZE * y, TILE_SIZE * (x + count) - 1,
                     TILE_SIZE * (y + 1) - 1, 0);
            for (int i = 0; ground && i < count; i++)
                blit(ground, bmp, 0, 0, TILE_SIZE * (x + i), TILE_SIZE * y, TILE_SIZE, TILE_SIZE);
        }
        x += count;
    }
}

/// 1 if bmp is larger than the grid and clipped only at its own edges, so
/// that ground copied in runs lands exactly where tile by tile copies would.
int room_view_grid_unclipped() {
    const int w = TILE_SIZE * ROOM_WIDTH, h = TILE_SIZE * ROOM_HEIGHT;
    return bmp->w > w && bmp->h > h && bmp->clip && bmp->cl <= 0 && bmp->ct <= 0 &&
           bmp->cr >= bmp->w && bmp->cb >= bmp->h;
}

/// Paints one tile the plain way: ground, then what lies on it.
void room_view_tile(const tile* t, int frame, int x, int y) {
    BITMAP* ground = room_view_ground(t);
    if (ground)
        blit(ground, bmp, 0, 0, x, y, TILE_SIZE, TILE_SIZE);
    room_view_overlay(t, frame, x, y);
}

} // namespace

void draw_room(room_* room, int frame) {
    if (!room || !room_view_grid_unclipped()) {
        clear_to_color(bmp, 0);
        for (int y = 0; room && y < ROOM_HEIGHT; y++)
            for (int x = 0; x < ROOM_WIDTH; x++)
                if (room->tiles[x][y].kind != TILE_EMPTY)
                    room_view_tile(&room->tiles[x][y], frame, TILE_SIZE * x, TILE_SIZE * y);
        return;
    }
    // Black outside the grid; the grid is painted row by row, every tile
    // keeping to its own square, so the ground may all go first.
    const int grid_w = TILE_SIZE * ROOM_WIDTH, grid_h = TILE_SIZE * ROOM_HEIGHT;
    rectfill(bmp, grid_w, 0, bmp->w - 1, grid_h - 1, 0);
    rectfill(bmp, 0, grid_h, bmp->w - 1, bmp->h - 1, 0);
    for (int y = 0; y < ROOM_HEIGHT; y++)
        room_view_ground_row(room, y);
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++)
            if (room->tiles[x][y].kind != TILE_EMPTY)
                room_view_overlay(&room->tiles[x][y], frame, TILE_SIZE * x, TILE_SIZE * y);
}

void draw_picture(int frame) {
    draw_room(current_room, frame);
    // The strip reads the stats of the last calculation; the panel renews them.
    draw_inventory_in_frame(bmp, pal, user);
    draw_properties(bmp, pal, user);
    event_history_draw(bmp, 7, 512, 672);
    assets_show(bmp);
}
