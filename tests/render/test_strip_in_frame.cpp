// The strip inside a frame: the selected item's box is painted into the back
// buffer like the strip alone paints it, but reaches the screen only with
// the whole frame, never on its own half-painted.
#include <gtest/gtest.h>

#include "headless.h"
#include "main/game.h"
#include "render/panel.h"
#include "render/room_view.h"
#include "render_checks.h"
#include "screens/msgbox.h"
#include "shell/assets.h"
#include "shell/history.h"

namespace {

constexpr int WHITE = 0xffffff;
constexpr int OLD_SCREEN = 0x204060;

class StripInFrame : public ::testing::Test {
  protected:
    render_workshop shop;
    character_* player = nullptr;
    objekt_* lamp = nullptr;
    BITMAP* alone = nullptr;

    void SetUp() override {
        headless_init();
        event_history_clear();
        player = shop.being('u', shop.picture(0x00ffff), nullptr);
        player->props->strength = 90; // nine usable slots
        player->props->health = 30;
        shop.carry(&player->inventory, shop.item("thing", "stone", shop.picture(0x400000)));
        lamp = shop.item("thing", "golden lamp", shop.picture(0x008000, 4, 4, 27, 27));
        lamp->selected = 1;
        lamp->props->armor = 7;
        shop.carry(&player->inventory, lamp);
        users_calculated_properties = properties{};
        users_calculated_properties.strength = 90;
        alone = create_bitmap(bmp->w, bmp->h);
    }
    void TearDown() override { destroy_bitmap(alone); }
};

TEST_F(StripInFrame, PaintsWhatTheStripAlonePaintsButShowsNothing) {
    clear_to_color(bmp, color_rgb(0x101010));
    draw_inventory(bmp, pal, player);
    blit(bmp, alone, 0, 0, 0, 0, bmp->w, bmp->h);

    clear_to_color(bmp, color_rgb(0x101010));
    clear_to_color(screen, color_rgb(OLD_SCREEN));
    draw_inventory_in_frame(bmp, pal, player);

    EXPECT_TRUE(block_matches(bmp, 0, 0, alone, bmp->w, bmp->h)) << "the same strip and box";
    EXPECT_TRUE(has_text(bmp, "golden lamp", 360 + 80, 109 + 16, WHITE));
    EXPECT_TRUE(has_text(bmp, "Armor: 7", 360 + 32, 109 + 72, WHITE));
    EXPECT_EQ(count_rgb(screen, 0, 0, screen->w, screen->h, OLD_SCREEN), screen->w * screen->h);
}

TEST_F(StripInFrame, TheBoxReachesTheScreenWithTheWholeFrame) {
    room_* r = shop.room();
    current_room = r;
    user = player;
    clear_to_color(screen, color_rgb(OLD_SCREEN));

    draw_picture(0);

    EXPECT_TRUE(has_text(screen, "golden lamp", 360 + 80, 109 + 16, WHITE));
    EXPECT_TRUE(block_matches(screen, 0, 0, bmp, bmp->w, bmp->h)) << "the frame is shown whole";
    current_room = nullptr;
    user = nullptr;
}

TEST_F(StripInFrame, ThePaintedBoxIsTheShownBoxWithoutTheShowing) {
    clear_to_color(bmp, 0);
    zelko_msgbox_info_objekt(bmp, pal, lamp, 100, 50);
    blit(bmp, alone, 0, 0, 0, 0, bmp->w, bmp->h);
    clear_to_color(bmp, 0);
    clear_to_color(screen, color_rgb(OLD_SCREEN));

    zelko_msgbox_paint_info_objekt(bmp, lamp, 100, 50);

    EXPECT_TRUE(block_matches(bmp, 0, 0, alone, bmp->w, bmp->h));
    EXPECT_EQ(pixel_rgb(screen, 200, 100), OLD_SCREEN);
}

} // namespace
