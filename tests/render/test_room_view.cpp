// Room view: ground pictures by tile, the stacking of items, beings and
// weapons, the animation frames, and the composed frame on the screen.
#include <gtest/gtest.h>

#include <cstring>

#include "headless.h"
#include "main/game.h"
#include "render/room_view.h"
#include "render_checks.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "world/objektlist.h"
#include "world/tile.h"

namespace {

class RoomView : public ::testing::Test {
  protected:
    render_workshop shop;
    room_* saved_room = nullptr;
    character_* saved_user = nullptr;
    float saved_max_hp = 0;

    void SetUp() override {
        headless_init();
        saved_room = current_room;
        saved_user = user;
        saved_max_hp = max_hp;
        event_history_clear();
    }
    void TearDown() override {
        current_room = saved_room;
        user = saved_user;
        max_hp = saved_max_hp;
    }

    /// A room whose every tile is floor.
    room_* floor_room() {
        room_* r = shop.room();
        for (int x = 0; x < ROOM_WIDTH; x++)
            for (int y = 0; y < ROOM_HEIGHT; y++)
                tile_create_floor(&r->tiles[x][y]);
        return r;
    }
};

TEST_F(RoomView, GroundFollowsKindAndDoorTargetOnly) {
    ASSERT_TRUE(pictures_differ(mappic[3], mappic[4])) << "door pictures must be told apart";
    room_* r = shop.room();
    tile_create_floor(&r->tiles[1][1]);
    tile_create_wall(&r->tiles[2][1]);
    tile_create_door(&r->tiles[3][0], 0, 'u');
    tile_create_door(&r->tiles[4][0], 7, 'u');
    tile_create_door(&r->tiles[5][0], 0, 'u');
    r->tiles[5][0].kind = TILE_DOOR_OUT;
    r->tiles[6][1].kind = 9; // no such ground: the empty picture
    tile_create_floor(&r->tiles[7][1]);
    strcpy(r->tiles[7][1].picname, "wall.bmp"); // the name plays no part
    clear_to_color(bmp, color_rgb(0x123456));

    draw_room(r, 0);

    EXPECT_TRUE(block_matches(bmp, 32, 32, mappic[1]));
    EXPECT_TRUE(block_matches(bmp, 64, 32, mappic[2]));
    EXPECT_TRUE(block_matches(bmp, 96, 0, mappic[3]));  // nothing made behind it yet
    EXPECT_TRUE(block_matches(bmp, 128, 0, mappic[4])); // leads to room 7
    EXPECT_TRUE(block_matches(bmp, 160, 0, mappic[5]));
    EXPECT_TRUE(block_matches(bmp, 192, 32, mappic[0]));
    EXPECT_TRUE(block_matches(bmp, 224, 32, mappic[1]));
    // Empty tiles stay black, the old content is gone.
    EXPECT_EQ(count_rgb(bmp, 0, 0, 32, 32, 0), 32 * 32);
    EXPECT_EQ(count_rgb(bmp, 27 * 32, 19 * 32, 32, 32, 0), 32 * 32);
}

TEST_F(RoomView, NullRoomLeavesTheGridBlack) {
    clear_to_color(bmp, color_rgb(0xffffff));
    draw_room(nullptr, 1);
    EXPECT_EQ(count_rgb(bmp, 0, 0, 896, 640, 0), 896 * 640);
}

TEST_F(RoomView, ItemsInListOrderBeingAboveThemWeaponOnTop) {
    room_* r = floor_room();
    tile* t = &r->tiles[10][5];
    BITMAP* first = shop.picture(0x0000c0);                // whole tile
    BITMAP* second = shop.picture(0x00c000, 0, 0, 15, 31); // left half
    BITMAP* body = shop.picture(0xc0c000, 0, 0, 31, 15);   // top half
    BITMAP* held = shop.picture(0xc000c0, 12, 12, 19, 19); // small square
    shop.carry(&t->objekts, shop.item("thing", "stone", first));
    shop.carry(&t->objekts, shop.item("thing", "ring", second));
    draw_room(r, 0);
    // Later items cover earlier ones; the floor shows nowhere under the first.
    EXPECT_TRUE(block_shows_masked(bmp, 320, 160, second, first));

    character_* rat = shop.being('n', body, body);
    rat->weapon = shop.item("weapon", "stick", nullptr);
    rat->weapon->pic_used = held;
    t->being = rat;
    draw_room(r, 0);
    EXPECT_EQ(pixel_rgb(bmp, 320 + 4, 160 + 20), 0x00c000);  // second item, below the body
    EXPECT_EQ(pixel_rgb(bmp, 320 + 24, 160 + 20), 0x0000c0); // first item shows through
    EXPECT_EQ(pixel_rgb(bmp, 320 + 4, 160 + 4), 0xc0c000);   // being over items
    EXPECT_EQ(pixel_rgb(bmp, 320 + 14, 160 + 14), 0xc000c0); // weapon over being
    EXPECT_EQ(pixel_rgb(bmp, 320 + 18, 160 + 18), 0xc000c0); // ...and over items
}

TEST_F(RoomView, FrameChoosesTheBeingsPicture) {
    room_* r = floor_room();
    BITMAP* still = shop.picture(0x102030, 8, 8, 23, 23);
    BITMAP* moving = shop.picture(0x405060, 0, 0, 7, 7);
    r->tiles[0][0].being = shop.being('m', still, moving);
    r->tiles[27][19].being = shop.being('n', still, moving);

    draw_room(r, 0);
    EXPECT_TRUE(block_shows_masked(bmp, 0, 0, still, mappic[1]));
    EXPECT_TRUE(block_shows_masked(bmp, 27 * 32, 19 * 32, still, mappic[1]));
    draw_room(r, 1);
    EXPECT_TRUE(block_shows_masked(bmp, 0, 0, moving, mappic[1]));
    EXPECT_TRUE(block_shows_masked(bmp, 27 * 32, 19 * 32, moving, mappic[1]));
}

TEST_F(RoomView, MissingPicturesShowTheRedSquare) {
    room_* r = floor_room();
    r->tiles[2][2].being = shop.being('m', nullptr, nullptr);
    shop.carry(&r->tiles[3][2].objekts, shop.item("food", "bread", nullptr));
    draw_room(r, 0);
    EXPECT_TRUE(block_matches(bmp, 64, 64, error_pic));
    EXPECT_TRUE(block_matches(bmp, 96, 64, error_pic));
}

TEST_F(RoomView, PictureComposesTheFrameAndShowsIt) {
    room_* r = floor_room();
    character_* player = shop.being('u', shop.picture(0x00ffff), nullptr);
    player->props->strength = 40; // four usable slots
    player->props->health = 25;
    player->props->fullness = 36; // lifts max_hp; 25 stays above 24
    r->tiles[4][4].being = player;
    current_room = r;
    user = player;
    max_hp = 30;
    users_calculated_properties = properties{};
    event_history_push("You went into a new room");
    clear_to_color(screen, 0);

    draw_picture(0);

    EXPECT_EQ(pixel_rgb(screen, 4 * 32 + 5, 4 * 32 + 5), 0x00ffff);
    // The strip was painted with the stats of the previous calculation (none).
    EXPECT_TRUE(block_matches(screen, 928, 0, inventorypic[0]));
    EXPECT_TRUE(has_text(screen, "HEALTH: 25", 0, 704, 0xffffff));
    EXPECT_TRUE(has_text(screen, "You went into a new room", 512, 672 + 6 * 12, 0x7fffff));
    EXPECT_EQ(max_hp, 36.0f);

    draw_picture(1); // now the strip knows the strength: slots 0 to 3
    EXPECT_TRUE(block_matches(screen, 928, 32, inventorypic[1]));
    EXPECT_TRUE(block_matches(screen, 928 + 32, 32, inventorypic[0]));
}

TEST_F(RoomView, PictureWithoutRoomOrPlayerStillPaintsTheRest) {
    current_room = nullptr;
    user = nullptr;
    users_calculated_properties = properties{};
    event_history_push("hello");
    clear_to_color(bmp, color_rgb(0xffffff));

    draw_picture(0);

    EXPECT_EQ(count_rgb(screen, 0, 0, 896, 640, 0), 896 * 640);
    EXPECT_TRUE(block_matches(screen, 928 + 64, 19 * 32, inventorypic[0]));
    EXPECT_TRUE(block_matches(screen, 0, 696, prop_bg_pic, 256, 72));
    EXPECT_TRUE(has_text(screen, "hello", 512, 744, 0x7fffff));
}

} // namespace
