// Tests of the end-of-game score, the table operations and the drawn table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "headless.h"
#include "main/game.h"
#include "screens/highscore.h"
#include "shell/assets.h"
#include "stats.h"
#include "world/alloc.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"

namespace {

/// Adds a carried "thing" with the given stats (or none) to the player.
void carry(character_* player, const properties* effect) {
    objekt_* item = static_cast<objekt_*>(alloc_zeroed(sizeof(objekt_)));
    ASSERT_NE(item, nullptr);
    strcpy(item->type, "thing");
    strcpy(item->name, "Pebble");
    if (effect) {
        item->props = static_cast<properties*>(alloc_zeroed(sizeof(properties)));
        ASSERT_NE(item->props, nullptr);
        *item->props = *effect;
    }
    objektlist_add_objekt_to_list(item, &player->inventory);
}

class HighscoreScore : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_stats = users_calculated_properties;
        memset(&player, 0, sizeof player);
        player.kind = 'u';
    }
    void TearDown() override {
        objektlist_empty(player.inventory);
        users_calculated_properties = saved_stats;
    }

    /// The worked example: effective stats 50, items 25 and 9, 4 kills.
    void set_up_example() {
        users_calculated_properties = props_of(10.9f, 20.5f, 5, 4.2f, 6, 5); // 10+20+5+4+6+5
        properties twenty_five = props_of(0, 0, 20, 0, 5, 0);
        properties nine = props_of(9.9f, 0, 0, 0, 0, 0);
        carry(&player, &twenty_five);
        carry(&player, &nine);
        player.kills = 4;
    }

    character_ player;
    properties saved_stats;
};

TEST_F(HighscoreScore, WorkedExampleForEveryEndCause) {
    set_up_example();
    // 50 + 25/10 + 9/10 + 20*3 + 10*4 = 152 before the end cause.
    EXPECT_EQ(highscore_calculate_int(player, 3, END_KILLED), 76);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_WAY_OUT), 304);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_QUIT), 50);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_EXPLOSION), 152);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_STARVED), 76);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_MAGIC), 152);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_FOOD), 152);
    EXPECT_EQ(highscore_calculate_int(player, 3, END_RUNNING), 152);
}

TEST_F(HighscoreScore, ItemsAreDividedOneByOne) {
    users_calculated_properties = props_of(0, 0, 0, 0, 0, 0);
    properties fifteen = props_of(0, 0, 15, 0, 0, 0);
    carry(&player, &fifteen);
    carry(&player, &fifteen);
    EXPECT_EQ(highscore_calculate_int(player, 0, END_RUNNING), 2); // not 30/10 = 3

    // An item without stats counts nothing; a cursed one takes a tenth, toward zero.
    carry(&player, nullptr);
    properties cursed = props_of(0, -19.5f, 0, 0, 0, 0);
    carry(&player, &cursed);
    EXPECT_EQ(highscore_calculate_int(player, 0, END_RUNNING), 2 - 1);
}

TEST_F(HighscoreScore, ReadsTheEffectiveStatsNotTheOwnRecord) {
    properties own = props_of(100, 100, 100, 100, 100, 100);
    player.props = &own;
    users_calculated_properties = props_of(3.9f, 7.99f, 1, 0.5f, 2, 0);
    EXPECT_EQ(highscore_calculate_int(player, 0, END_RUNNING), 3 + 7 + 1 + 0 + 2 + 0);
    player.props = nullptr;
}

TEST_F(HighscoreScore, DividesTowardZero) {
    // Rooms and kills count in whole steps; the end cause divides toward zero.
    users_calculated_properties = props_of(0, 0, 0, 0, 0, 0);
    player.kills = 1;
    EXPECT_EQ(highscore_calculate_int(player, 2, END_QUIT), 50 / 3);
    users_calculated_properties = props_of(0, 0, -7, 0, 0, 0);
    player.kills = 0;
    EXPECT_EQ(highscore_calculate_int(player, 0, END_QUIT), -2);
    EXPECT_EQ(highscore_calculate_int(player, 0, END_KILLED), -3);
}

/// The table used when there is no file, built by hand.
void fill_default(highscore_* table) {
    for (int i = 0; i < HIGHSCORE_COUNT; i++) {
        memset(table[i].name, 0, HIGHSCORE_NAME);
        table[i].score = 45 - i;
        strcpy(table[i].name, "Noobie");
    }
}

TEST(HighscoreTable, EntersOnlyAboveTheLowest) {
    highscore_ table[HIGHSCORE_COUNT];
    fill_default(table);
    EXPECT_EQ(highscore_check_if_high(32, table, HIGHSCORE_COUNT), 1);
    EXPECT_EQ(highscore_check_if_high(31, table, HIGHSCORE_COUNT), 0);
    EXPECT_EQ(highscore_check_if_high(-5, table, HIGHSCORE_COUNT), 0);
    EXPECT_EQ(highscore_check_if_high(46, table, HIGHSCORE_COUNT), 1);
}

TEST(HighscoreTable, ThirtyTwoTakesPlaceFourteenAndPushesThirtyOneOut) {
    highscore_ table[HIGHSCORE_COUNT];
    fill_default(table);
    EXPECT_EQ(highscore_push(32, "Ada", table, HIGHSCORE_COUNT), 13);
    EXPECT_EQ(table[12].score, 33);
    EXPECT_EQ(table[13].score, 32);
    EXPECT_STREQ(table[13].name, "Ada");
    EXPECT_EQ(table[14].score, 32);
    EXPECT_STREQ(table[14].name, "Noobie");
    for (int i = 0; i < HIGHSCORE_COUNT; i++)
        EXPECT_NE(table[i].score, 31) << "at " << i;
}

TEST(HighscoreTable, BestScoreTakesPlaceOne) {
    highscore_ table[HIGHSCORE_COUNT];
    fill_default(table);
    EXPECT_EQ(highscore_push(46, "Bo", table, HIGHSCORE_COUNT), 0);
    EXPECT_EQ(table[0].score, 46);
    EXPECT_STREQ(table[0].name, "Bo");
    for (int i = 1; i < HIGHSCORE_COUNT; i++)
        EXPECT_EQ(table[i].score, 46 - i);
}

TEST(HighscoreTable, EqualScoreGoesAboveTheOldEntry) {
    highscore_ table[HIGHSCORE_COUNT];
    fill_default(table);
    strcpy(table[4].name, "Fifth");
    EXPECT_EQ(highscore_push(41, "Cy", table, HIGHSCORE_COUNT), 4);
    EXPECT_STREQ(table[4].name, "Cy");
    EXPECT_EQ(table[5].score, 41);
    EXPECT_STREQ(table[5].name, "Fifth");
    EXPECT_EQ(table[6].score, 40);
    EXPECT_EQ(table[14].score, 32);
}

TEST(HighscoreTable, LongNamesAreCutTo149Characters) {
    highscore_ table[HIGHSCORE_COUNT];
    fill_default(table);
    std::string long_name(300, 'x');
    int place = highscore_push(100, long_name.c_str(), table, HIGHSCORE_COUNT);
    ASSERT_EQ(place, 0);
    EXPECT_EQ(strlen(table[0].name), size_t(HIGHSCORE_NAME - 1));
}

class HighscoreDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        strcpy(saved_name, username);
        fill_default(table);
    }
    void TearDown() override { strcpy(username, saved_name); }

    /// Counts rows drawn in `rgb` in the place column.
    int rows_in(int rgb) {
        int rows = 0;
        for (int i = 0; i < HIGHSCORE_COUNT; i++)
            rows += has_rgb(bmp, 293, 256 + 16 * i, 24, 8, rgb) ? 1 : 0;
        return rows;
    }

    highscore_ table[HIGHSCORE_COUNT];
    char saved_name[150];
};

TEST_F(HighscoreDraw, HeadingsAndRowsAtTheirPlaces) {
    highscore_draw(bmp, table, HIGHSCORE_COUNT, 2);
    EXPECT_TRUE(has_text(bmp, "Place", 293, 240, 0x7F0000));
    EXPECT_TRUE(has_text(bmp, "Score", 341, 240, 0x7F0000));
    EXPECT_TRUE(has_text(bmp, "Name", 469, 240, 0x7F0000));
    EXPECT_TRUE(has_text(bmp, "3.", 293, 288, 0xFFFFFF));
    EXPECT_TRUE(has_text(bmp, "43", 341, 288, 0xFFFFFF));
    EXPECT_TRUE(has_text(bmp, "Noobie", 469, 288, 0xFFFFFF));
    EXPECT_TRUE(has_text(bmp, "1.", 293, 256, 0x7F7F7F));
    EXPECT_TRUE(has_text(bmp, "45", 341, 256, 0x7F7F7F));
    EXPECT_TRUE(has_text(bmp, "15.", 293, 480, 0x7F7F7F));
    EXPECT_TRUE(has_text(bmp, "31", 341, 480, 0x7F7F7F));
    EXPECT_TRUE(has_text(bmp, "Noobie", 469, 480, 0x7F7F7F));
    EXPECT_EQ(rows_in(0xFFFFFF), 1);
    EXPECT_EQ(rows_in(0x7F7F7F), HIGHSCORE_COUNT - 1);
    // Nothing is drawn left of the place column or below the last row.
    EXPECT_FALSE(has_rgb(bmp, 0, 0, 293, 768, 0x7F7F7F));
    EXPECT_FALSE(has_rgb(bmp, 0, 496, 1024, 272, 0x7F7F7F));
}

TEST_F(HighscoreDraw, NewScoreEntersTheNameAndLightsItsRow) {
    strcpy(username, "Zed");
    highscore_new_score(32, table, HIGHSCORE_COUNT);
    EXPECT_STREQ(table[13].name, "Zed");
    int y = 256 + 16 * 13;
    EXPECT_TRUE(has_text(bmp, "14.", 293, y, 0xFFFFFF));
    EXPECT_TRUE(has_text(bmp, "32", 341, y, 0xFFFFFF));
    EXPECT_TRUE(has_text(bmp, "Zed", 469, y, 0xFFFFFF));
    EXPECT_TRUE(has_text(bmp, "Noobie", 469, y + 16, 0x7F7F7F));
    EXPECT_EQ(rows_in(0xFFFFFF), 1);
}

TEST_F(HighscoreDraw, ScoreThatDoesNotEnterLightsNoRow) {
    strcpy(username, "Zed");
    highscore_new_score(31, table, HIGHSCORE_COUNT);
    for (int i = 0; i < HIGHSCORE_COUNT; i++)
        EXPECT_STREQ(table[i].name, "Noobie");
    EXPECT_EQ(table[14].score, 31);
    EXPECT_FALSE(has_rgb(bmp, 0, 0, 1024, 768, 0xFFFFFF));
    EXPECT_EQ(rows_in(0x7F7F7F), HIGHSCORE_COUNT);
    EXPECT_TRUE(has_text(bmp, "Place", 293, 240, 0x7F0000));
}

} // namespace
