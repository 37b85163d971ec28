// Room view, ground in runs: the grid is painted with long runs of equal
// ground copied at once and only the uncovered parts cleared; every pixel
// must come out as the plain tile-by-tile painting would leave it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "headless.h"
#include "main/game.h"
#include "render/room_view.h"
#include "shell/assets.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"
#include "world/tile.h"

namespace {

/// A table picture, or the red square in its place.
BITMAP* plain_picture(BITMAP* picture) {
    return picture ? picture : error_pic;
}

/// The room painted the plain way: black, then tile by tile the ground, the
/// items in list order, the being's frame picture and its weapon.
void plain_room(BITMAP* target, const room_* room, int frame) {
    clear_to_color(target, 0);
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++) {
            const tile* t = &room->tiles[x][y];
            const int kind = t->kind, px = 32 * x, py = 32 * y;
            if (kind == TILE_EMPTY)
                continue;
            const int slot = kind == TILE_FLOOR                         ? 1
                             : kind == TILE_WALL                        ? 2
                             : kind == TILE_DOOR && t->door_target == 0 ? 3
                             : kind == TILE_DOOR                        ? 4
                             : kind == TILE_DOOR_OUT                    ? 5
                                                                        : 0;
            blit(plain_picture(mappic[slot]), target, 0, 0, px, py, 32, 32);
            for (objektlist_* node = t->objekts; node; node = node->next)
                masked_blit(plain_picture(node->objekt->pic), target, 0, 0, px, py, 32, 32);
            if (!t->being)
                continue;
            masked_blit(plain_picture(frame ? t->being->pic2 : t->being->pic), target, 0, 0, px, py,
                        32, 32);
            if (t->being->weapon)
                masked_blit(plain_picture(t->being->weapon->pic_used), target, 0, 0, px, py, 32,
                            32);
        }
}

/// Pixels that differ between two bitmaps of the same size.
long differing_pixels(BITMAP* a, BITMAP* b) {
    long n = 0;
    for (int y = 0; y < a->h; y++)
        for (int x = 0; x < a->w; x++)
            n += getpixel(a, x, y) != getpixel(b, x, y);
    return n;
}

class GroundInRuns : public ::testing::Test {
  protected:
    room_* rooms = nullptr;
    BITMAP* plain = nullptr;

    void SetUp() override {
        headless_init();
        plain = create_bitmap(bmp->w, bmp->h);
    }
    void TearDown() override {
        room_remove_all(rooms);
        destroy_bitmap(plain);
    }

    /// A generated room made busier: opened doors, a way out, a tile of no
    /// known kind, extra items and a creature wielding a sword.
    room_* busy_room(unsigned seed, int number) {
        srand(seed);
        room_* r = room_add_new_room(&rooms, number, 13, 19, number - 1, 'n');
        int doors = 0;
        for (int x = 0; x < ROOM_WIDTH; x++)
            for (int y = 0; y < ROOM_HEIGHT; y++) {
                tile* t = &r->tiles[x][y];
                if (tile_is_door(t) && t->door_target == 0 && doors++ % 2 == 1)
                    t->door_target = 40 + doors;
                if (tile_is_floor(t) && (x * 7 + y * 3) % 13 == 0)
                    tile_add_random_objekt(t, number);
            }
        r->tiles[0][0].kind = 9;
        tile_create_door(&r->tiles[27][10], 0, 'h');
        r->tiles[27][10].kind = TILE_DOOR_OUT;
        character_* fighter = character_create_GreenDevil();
        objekt_* sword = objekt_create_sword();
        objektlist_add_objekt_to_list(sword, &fighter->inventory);
        fighter->weapon = sword;
        tile_put_character(&r->tiles[6][5], fighter);
        return r;
    }

    /// Paints the room both ways over an old picture and counts the pixels
    /// in which they differ.
    long compare(room_* r, int frame) {
        clear_to_color(bmp, color_rgb(0x123456));
        draw_room(r, frame);
        plain_room(plain, r, frame);
        return differing_pixels(bmp, plain);
    }
};

TEST_F(GroundInRuns, GeneratedRoomsLookAsIfPaintedTileByTile) {
    for (int number = 1; number <= 40; number += 3) {
        room_* r = busy_room(100 + number, number);
        EXPECT_EQ(compare(r, 0), 0) << "room " << number << ", frame 0";
        EXPECT_EQ(compare(r, 1), 0) << "room " << number << ", frame 1";
    }
}

TEST_F(GroundInRuns, AGroundSmallerThanATileIsPaintedOnBlack) {
    room_* r = busy_room(7, 12);
    BITMAP* wall = mappic[2];
    BITMAP* small = create_bitmap(16, 20);
    clear_to_color(small, color_rgb(0x88aa22));
    mappic[2] = small;
    const long differing = compare(r, 0);
    mappic[2] = wall;
    destroy_bitmap(small);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(pixel_rgb(bmp, 32 * 27 + 20, 32 * 5 + 5), 0) << "outside the small picture";
}

TEST_F(GroundInRuns, AClippedBackBufferIsPaintedTileByTile) {
    room_* r = busy_room(11, 25);
    clear_to_color(plain, color_rgb(0x123456));
    clear_to_color(bmp, color_rgb(0x123456));
    set_clip_rect(bmp, 100, 50, 700, 500);
    set_clip_rect(plain, 100, 50, 700, 500);
    const long differing = compare(r, 1);
    set_clip_rect(bmp, 0, 0, bmp->w - 1, bmp->h - 1);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(pixel_rgb(bmp, 10, 10), 0x123456) << "outside the clip nothing changes";
}

} // namespace
