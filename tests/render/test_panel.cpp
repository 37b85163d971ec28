// Status panel and inventory strip: warning colours at their exact edges,
// max_hp kept up, the zap line, the room lines, the carrying capacity and
// the slot marks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "headless.h"
#include "main/game.h"
#include "render/panel.h"
#include "render_checks.h"
#include "shell/assets.h"

namespace {

constexpr int WHITE = 0xffffff;
constexpr int LIGHT_RED = 0xff7f7f;
constexpr int RED = 0xff0000;

class Panel : public ::testing::Test {
  protected:
    render_workshop shop;
    character_* player = nullptr;
    float saved_max_hp = 0;

    void SetUp() override {
        headless_init();
        saved_max_hp = max_hp;
        max_hp = 30;
        player = shop.being('u', nullptr, nullptr);
        player->props->health = 30;
        player->props->fullness = 30;
        player->props->strength = 30;
    }
    void TearDown() override { max_hp = saved_max_hp; }

    /// Paints the panel and returns whether `text` is at (x, y) in `rgb`.
    bool panel_shows(const char* text, int x, int y, int rgb) {
        draw_properties(bmp, pal, player);
        return has_text(bmp, text, x, y, rgb);
    }
};

TEST_F(Panel, HealthColoursAtTheirEdges) {
    struct {
        float health;
        const char* text;
        int rgb;
    } cases[] = {
        {20.5f, "HEALTH: 20", WHITE},                                 // above two thirds of 30
        {20.0f, "HEALTH: 20", LIGHT_RED},                             // exactly two thirds
        {10.5f, "HEALTH: 10", LIGHT_RED}, {10.0f, "HEALTH: 10", RED}, // exactly a third
        {0.9f, "HEALTH: 0", RED},                                     // cut toward zero
    };
    for (const auto& c : cases) {
        player->props->health = c.health;
        clear_to_color(bmp, 0);
        EXPECT_TRUE(panel_shows(c.text, 0, 704, c.rgb)) << c.health;
        EXPECT_EQ(max_hp, 30.0f);
    }
}

TEST_F(Panel, FullnessColoursAtTheirEdges) {
    struct {
        float fullness;
        const char* text;
        int rgb;
    } cases[] = {
        {14.9f, "FULLNESS: 14", RED},
        {15.0f, "FULLNESS: 15", LIGHT_RED},
        {29.9f, "FULLNESS: 29", LIGHT_RED},
        {30.0f, "FULLNESS: 30", WHITE},
    };
    for (const auto& c : cases) {
        player->props->fullness = c.fullness;
        clear_to_color(bmp, 0);
        EXPECT_TRUE(panel_shows(c.text, 128, 736, c.rgb)) << c.fullness;
    }
}

TEST_F(Panel, ShowsTheCalculatedStatsOnTheBackground) {
    objekt_* ring = shop.item("thing", "ring", nullptr);
    ring->props->armor = 4;
    ring->props->strength = 2.5f;
    shop.carry(&player->inventory, ring);
    player->props->armor = 3;
    player->props->damage = 6;
    player->props->strength = 12.7f;
    clear_to_color(bmp, color_rgb(0x336699));

    draw_properties(bmp, pal, player);

    EXPECT_EQ(users_calculated_properties.armor, 7);
    EXPECT_TRUE(has_text(bmp, "ARMOR: 7", 0, 736, WHITE));
    EXPECT_TRUE(has_text(bmp, "STRENGTH: 15", 128, 704, WHITE));
    EXPECT_TRUE(has_text(bmp, "DAMAGE DEALT: 6", 256, 704, WHITE));
    EXPECT_EQ(pixel_rgb(bmp, 250, 760), 0);                // panel background
    EXPECT_EQ(pixel_rgb(bmp, 0, 695), 0x336699);           // nothing above it
    EXPECT_EQ(count_rgb(bmp, 256, 736, 160, 8, WHITE), 0); // no zap line without the wand
}

TEST_F(Panel, MaxHpIsRaisedByHealthThenByFullness) {
    player->props->health = 25;
    player->props->fullness = 45;
    // Fullness lifts max_hp to 45, so 25 is no longer above two thirds.
    EXPECT_TRUE(panel_shows("HEALTH: 25", 0, 704, LIGHT_RED));
    EXPECT_EQ(max_hp, 45.0f);

    player->props->health = 50;
    draw_properties(bmp, pal, player);
    EXPECT_EQ(max_hp, 50.0f);

    player->props->health = 5;
    player->props->fullness = 5;
    draw_properties(bmp, pal, player);
    EXPECT_EQ(max_hp, 50.0f); // never lowered
}

TEST_F(Panel, ZapLineOnlyWithTheWandInHand) {
    player->props->zap_damage = 7;
    const char* zap = "ZAP DAMAGE DEALT: 7";
    clear_to_color(bmp, 0);
    EXPECT_FALSE(panel_shows(zap, 256, 736, WHITE));

    objekt_* sword = shop.item("weapon", "sword", nullptr);
    sword->in_use = 1;
    shop.carry(&player->inventory, sword);
    player->weapon = sword;
    clear_to_color(bmp, 0);
    EXPECT_FALSE(panel_shows(zap, 256, 736, WHITE));

    objekt_* wand = shop.item("weapon", "wand", nullptr);
    wand->in_use = 1;
    sword->in_use = 0;
    shop.carry(&player->inventory, wand);
    player->weapon = wand;
    clear_to_color(bmp, 0);
    EXPECT_TRUE(panel_shows(zap, 256, 736, WHITE));
}

TEST_F(Panel, RoomLinesTellTheRoomAndTheDeepestEntered) {
    // Rooms 1, 6 and 4 entered, in that order; the player is back in room 4.
    room_* rooms[3] = {shop.room(), shop.room(), shop.room()};
    const int numbers[3] = {1, 6, 4};
    for (int i = 0; i < 3; i++) {
        rooms[i]->number = numbers[i];
        rooms[i]->next = i < 2 ? rooms[i + 1] : nullptr;
    }
    room_* const saved[2] = {cave, current_room};
    cave = rooms[0];
    current_room = rooms[2];
    EXPECT_TRUE(panel_shows("ROOM: 4", 0, 752, WHITE));
    EXPECT_TRUE(has_text(bmp, "DEEPEST: 6", 128, 752, WHITE));
    EXPECT_EQ(count_rgb(bmp, 0, 744, 256, 8, WHITE), 0); // a black row above them
    current_room = rooms[0];
    EXPECT_TRUE(panel_shows("ROOM: 1", 0, 752, WHITE));
    EXPECT_FALSE(has_text(bmp, "ROOM: 4", 0, 752, WHITE)); // the panel wiped the old line
    cave = saved[0];
    current_room = saved[1];
}

class Strip : public Panel {
  protected:
    /// Slot position of index i.
    static int slot_x(int i) { return 928 + 32 * (i % 3); }
    static int slot_y(int i) { return 32 * (i / 3); }

    /// Carries `count` items, each with a picture of its own colour.
    std::vector<objekt_*> carry_items(int count) {
        std::vector<objekt_*> items;
        for (int i = 0; i < count; i++) {
            objekt_* o =
                shop.item("thing", "stone", shop.picture(0x010000 * (i + 1), 4, 4, 27, 27));
            shop.carry(&player->inventory, o);
            items.push_back(o);
        }
        return items;
    }
};

TEST_F(Strip, CapacityIsTruncatedFromTheLastCalculation) {
    std::vector<objekt_*> items = carry_items(8);
    player->props->strength = 100; // not looked at: the strip never recalculates
    users_calculated_properties = properties{};
    users_calculated_properties.strength = 59.9f;

    draw_inventory(bmp, pal, player);

    for (int i = 0; i < 5; i++)
        EXPECT_TRUE(block_shows_masked(bmp, slot_x(i), slot_y(i), items[i]->pic, inventorypic[1]))
            << "slot " << i;
    for (int i = 5; i < 60; i++)
        EXPECT_TRUE(block_matches(bmp, slot_x(i), slot_y(i), inventorypic[0])) << "slot " << i;
}

TEST_F(Strip, WeakPlayerHasNoUsableSlot) {
    carry_items(3);
    users_calculated_properties = properties{};
    users_calculated_properties.strength = 9.9f;
    draw_inventory(bmp, pal, player);
    for (int i = 0; i < 60; i++)
        EXPECT_TRUE(block_matches(bmp, slot_x(i), slot_y(i), inventorypic[0])) << "slot " << i;
}

TEST_F(Strip, StrongPlayerShowsAtMostSixtyItems) {
    std::vector<objekt_*> items = carry_items(62);
    users_calculated_properties = properties{};
    users_calculated_properties.strength = 100;
    draw_inventory(bmp, pal, player);
    EXPECT_TRUE(block_shows_masked(bmp, slot_x(9), slot_y(9), items[9]->pic, inventorypic[1]));
    EXPECT_TRUE(block_matches(bmp, slot_x(10), slot_y(10), inventorypic[0]));

    users_calculated_properties.strength = 1000;
    draw_inventory(bmp, pal, player);
    EXPECT_TRUE(block_shows_masked(bmp, slot_x(59), slot_y(59), items[59]->pic, inventorypic[1]));
    EXPECT_EQ(pixel_rgb(bmp, 1023, 640), 0); // nothing below the strip
}

TEST_F(Strip, UsedAndSelectedMarksAndTheInformationBox) {
    std::vector<objekt_*> items = carry_items(3);
    items[0]->in_use = 1;
    items[2]->in_use = 1;
    items[2]->selected = 1;
    strcpy(items[2]->name, "lamp");
    users_calculated_properties = properties{};
    users_calculated_properties.strength = 30;
    clear_to_color(screen, 0);

    draw_inventory(bmp, pal, player);

    EXPECT_TRUE(block_shows_masked(bmp, slot_x(0), slot_y(0), items[0]->pic, inventorypic[3]));
    EXPECT_TRUE(block_shows_masked(bmp, slot_x(1), slot_y(1), items[1]->pic, inventorypic[1]));
    EXPECT_TRUE(block_shows_masked(bmp, slot_x(2), slot_y(2), items[2]->pic, inventorypic[2]));
    // The selected item's box stands at (360, 109) and is shown at once.
    EXPECT_EQ(pixel_rgb(bmp, 360, 109), pixel_rgb(msgpic[0], 0, 0));
    EXPECT_TRUE(has_text(bmp, "lamp", 360 + 80, 109 + 16, WHITE));
    EXPECT_TRUE(has_text(screen, "Properties given", 360 + 32, 109 + 56, WHITE));
}

TEST_F(Strip, NoPlayerLeavesTheUsableSlotsEmpty) {
    users_calculated_properties = properties{};
    users_calculated_properties.strength = 30;
    draw_inventory(bmp, pal, nullptr);
    draw_properties(bmp, pal, nullptr);
    EXPECT_TRUE(block_matches(bmp, slot_x(2), slot_y(2), inventorypic[1]));
    EXPECT_TRUE(block_matches(bmp, slot_x(3), slot_y(3), inventorypic[0]));
    EXPECT_EQ(max_hp, 30.0f);
}

} // namespace
