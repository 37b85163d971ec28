// Creatures: the catalogue entries, the level pickers at their band edges,
// the player, effective stats from what is carried, and death.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "headless.h"
#include "main/game.h"
#include "shell/assets.h"
#include "world/alloc.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"

namespace {

/// What the design says about each creature.
struct design {
    character_* (*make)();
    char kind;
    const char* name;
    BITMAP** table;
    int slot;
    int turn_x, turn_y, sight, alertness, special;
    int low, high;
};

const design catalogue[] = {
    {character_create_GreenDevil, 'm', "GreenDevil", monsterpic, 0, 7, 10, 2, 3, 0, 20, 26},
    {character_create_EvilEyes, 'm', "EvilEyes", monsterpic, 3, 3, 3, 20, 2, 0, 30, 40},
    {character_create_FurBall, 'm', "FurBall", monsterpic, 6, 4, 2, 5, 1, 0, 45, 60},
    {character_create_FloatingEyeBall, 'm', "FloatingEyeBall", monsterpic, 9, 2, 2, 10, 2, 0, 60,
     80},
    {character_create_GrumboTheTroll, 'm', "Grumbo the Troll", monsterpic, 12, 15, 15, 2, 1, 0, 90,
     120},
    {character_create_CrazyBaker, 'n', "CrazyBaker", neutralpic, 0, 3, 2, 0, 0, 200, 30, 40},
    {character_create_LittleSpider, 'n', "LittleSpider", neutralpic, 3, 4, 5, 5, 7, 25, 10, 13},
    {character_create_Rat, 'n', "rat", neutralpic, 6, 1, 1, 1, 2, 25, 20, 26},
    {character_create_Bat, 'n', "bat", neutralpic, 9, 1, 1, 0, 2, 25, 30, 40},
    {character_create_Gnome, 'n', "gnome", neutralpic, 12, 10, 10, 1, 20, 25, 120, 160},
};

std::vector<float> stats_of(const properties& p) {
    return {p.strength, p.health, float(p.armor), p.fullness, float(p.damage), float(p.zap_damage)};
}

/// An item of the catalogue with its stats replaced by the given ones.
objekt_* item_with(objekt_* item, properties stats) {
    *item->props = stats;
    return item;
}

class CreatureCatalogue : public testing::Test {
  protected:
    void SetUp() override { headless_init(); }
    void TearDown() override { alloc_fail_at(0); }
};

TEST_F(CreatureCatalogue, EveryBreedIsMadeAsDesigned) {
    for (int b = 0; b < BREED_COUNT; b++) {
        const design& d = catalogue[b];
        SCOPED_TRACE(d.name);
        srand(100 + b);
        std::vector<float> drawn;
        for (int i = 0; i < 6; i++)
            drawn.push_back(float(d.low + rand() % (d.high - d.low + 1)));
        int after = rand();
        srand(100 + b);
        character_* c = d.make();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(rand(), after) << "six stat draws and nothing else";
        EXPECT_EQ(c->kind, d.kind);
        EXPECT_STREQ(c->name, d.name);
        EXPECT_EQ(c->pic, d.table[d.slot]);
        EXPECT_EQ(c->pic2, d.table[d.slot + 1]);
        EXPECT_EQ(c->pic_dead, d.table[d.slot + 2]);
        EXPECT_EQ((std::vector<int>{c->turn_x_odds, c->turn_y_odds, c->sight, c->alertness,
                                    c->special_odds}),
                  (std::vector<int>{d.turn_x, d.turn_y, d.sight, d.alertness, d.special}));
        EXPECT_EQ(stats_of(*c->props), drawn);
        EXPECT_EQ((std::vector<int>{c->kills, c->dir_x, c->dir_y, c->moved}),
                  (std::vector<int>{0, 0, 0, 0}));
        EXPECT_EQ(c->inventory, nullptr);
        EXPECT_EQ(c->weapon, nullptr);
        character_remove(c);

        // The breed constructor makes the same creature.
        character_* same = character_create_breed(static_cast<character_breed>(b));
        EXPECT_STREQ(same->name, d.name);
        character_remove(same);
    }
    EXPECT_EQ(character_create_breed(BREED_COUNT), nullptr);
}

TEST_F(CreatureCatalogue, StatsStayInTheirRanges) {
    for (unsigned seed = 1; seed <= 200; seed++) {
        srand(seed);
        for (const design& d : catalogue) {
            character_* c = d.make();
            for (float v : stats_of(*c->props))
                ASSERT_TRUE(v >= d.low && v <= d.high) << d.name << " " << v;
            character_remove(c);
        }
    }
}

/// The name the picker must make for v in the given band list.
const char* band_name(const char* const names[5], int v) {
    return names[v / 5 > 4 ? 4 : v / 5];
}

const char* const monster_bands[5] = {"GreenDevil", "EvilEyes", "FurBall", "FloatingEyeBall",
                                      "Grumbo the Troll"};
const char* const neutral_bands[5] = {"CrazyBaker", "LittleSpider", "rat", "bat", "gnome"};

TEST_F(CreatureCatalogue, PickersFollowTheLevelBands) {
    for (int level : {0, 1, 4, 5, 9, 14, 19, 20, 24, 40}) {
        for (unsigned seed = 1; seed <= 120; seed++) {
            SCOPED_TRACE(testing::Message() << "level " << level << " seed " << seed);
            srand(seed);
            int v = rand() % (level + 1);
            srand(seed);
            character_* m = character_create_random_monster(level);
            EXPECT_STREQ(m->name, band_name(monster_bands, v));
            character_remove(m);
            srand(seed);
            character_* n = character_create_random_neutral(level);
            EXPECT_STREQ(n->name, band_name(neutral_bands, v));
            character_remove(n);
        }
    }
}

TEST_F(CreatureCatalogue, WeakLevelsNeverMeetTheStrongest) {
    int trolls = 0;
    for (unsigned seed = 1; seed <= 2100; seed++) {
        srand(seed);
        character_* one = character_create_random_monster(1);
        character_* baker = character_create_random_neutral(1);
        character_* nineteen = character_create_random_neutral(19);
        character_* twenty = character_create_random_monster(20);
        EXPECT_STREQ(one->name, "GreenDevil");
        EXPECT_STREQ(baker->name, "CrazyBaker");
        EXPECT_STRNE(nineteen->name, "gnome");
        trolls += strcmp(twenty->name, "Grumbo the Troll") == 0;
        for (character_* c : {one, baker, nineteen, twenty})
            character_remove(c);
    }
    // One in 21 at level 20: about 100 of 2100.
    EXPECT_GT(trolls, 60);
    EXPECT_LT(trolls, 140);
}

TEST_F(CreatureCatalogue, RandomCreatureDrawsItsKindFirst) {
    for (unsigned seed = 1; seed <= 100; seed++) {
        srand(seed);
        int neutral = rand() % 2;
        int v = rand() % 25;
        srand(seed);
        character_* c = character_create_random(24);
        EXPECT_EQ(c->kind, neutral ? 'n' : 'm');
        const char* const* bands = neutral ? neutral_bands : monster_bands;
        EXPECT_STREQ(c->name, band_name(bands, v));
        character_remove(c);
    }
}

TEST_F(CreatureCatalogue, ThePlayerOwnsThreePicturesAndCountsItsStats) {
    srand(77);
    std::vector<float> drawn;
    for (int i = 0; i < 6; i++)
        drawn.push_back(float(30 + rand() % 11));
    srand(77);
    character_* player = character_create_user();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(character_is_user(player));
    EXPECT_EQ(player->kind, 'u');
    EXPECT_STREQ(player->name, "");
    ASSERT_NE(player->pic, nullptr);
    ASSERT_NE(player->pic2, nullptr);
    ASSERT_NE(player->pic_dead, nullptr);
    EXPECT_NE(player->pic, player->pic2) << "two bitmaps loaded from the same file";
    EXPECT_NE(player->pic, error_pic);
    EXPECT_EQ(player->pic->w, 32);
    EXPECT_EQ(stats_of(*player->props), drawn);
    EXPECT_EQ(stats_of(users_calculated_properties), drawn);
    EXPECT_EQ((std::vector<int>{player->turn_x_odds, player->turn_y_odds, player->sight,
                                player->alertness, player->special_odds}),
              (std::vector<int>{0, 0, 0, 0, 0}));
    character_remove(player);

    EXPECT_FALSE(character_is_user(nullptr));
    character_ devil = {};
    devil.kind = 'm';
    EXPECT_FALSE(character_is_user(&devil));
}

TEST_F(CreatureCatalogue, EffectiveStatsCountThingsAndTheWieldedWeaponOnly) {
    character_* player = character_create_user();
    ASSERT_NE(player, nullptr);
    *player->props = properties{30, 35, 2, 20, 4, 0};
    properties stone_stats = {5, 0, 0, 0, 0, 0};
    objekt_* sword = item_with(objekt_create_sword(), properties{60, 61, 62, 63, 64, 65});
    objektlist_add_objekt_to_list(item_with(objekt_create_stone(), stone_stats),
                                  &player->inventory);
    objektlist_add_objekt_to_list(sword, &player->inventory);
    objektlist_add_objekt_to_list(item_with(objekt_create_bread(), properties{0, 0, 0, 25, 0, 0}),
                                  &player->inventory);

    properties out;
    EXPECT_EQ(character_calculate_properties(player, &out), &out);
    EXPECT_EQ(stats_of(out), (std::vector<float>{35, 35, 2, 20, 4, 0}));

    sword->in_use = 1;
    player->weapon = sword;
    character_calculate_properties(player, &out);
    EXPECT_EQ(stats_of(out), (std::vector<float>{95, 96, 64, 83, 68, 65}));

    // A ring that takes more armor than the player has ends at zero, and the
    // player's own record keeps its numbers.
    sword->in_use = 0;
    player->props->armor = 0;
    objektlist_add_objekt_to_list(item_with(objekt_create_ring(), properties{0, 0, -13, 0, 0, 0}),
                                  &player->inventory);
    character_calculate_properties(player, &out);
    EXPECT_EQ(out.armor, 0);
    EXPECT_EQ(player->props->armor, 0);
    EXPECT_FLOAT_EQ(out.strength, 35);
    character_remove(player);
}

TEST_F(CreatureCatalogue, EffectiveStatsOfABeingWithoutStats) {
    character_ bare = {};
    bare.kind = 'm';
    objektlist_add_objekt_to_list(item_with(objekt_create_stone(), properties{5, -2, 0, 0, 0, 0}),
                                  &bare.inventory);
    properties out = {1, 1, 1, 1, 1, 1};
    character_calculate_properties(&bare, &out);
    EXPECT_EQ(stats_of(out), (std::vector<float>{5, 0, 0, 0, 0, 0}));
    character_calculate_properties(nullptr, &out);
    EXPECT_EQ(stats_of(out), (std::vector<float>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(character_calculate_properties(&bare, nullptr), nullptr);
    objektlist_empty(bare.inventory);
}

TEST_F(CreatureCatalogue, KillingThePlayerLeavesTheRecord) {
    character_* player = character_create_user();
    ASSERT_NE(player, nullptr);
    objekt_* corpse = character_kill(player);
    ASSERT_NE(corpse, nullptr);
    EXPECT_STREQ(corpse->name, "corpse of ");
    EXPECT_STREQ(corpse->type, "food");
    EXPECT_EQ(corpse->pic, player->pic_dead);
    EXPECT_EQ(player->kind, 'u');
    EXPECT_GE(player->props->strength, 30);
    objekt_remove(corpse);
    character_remove(player);
}

TEST_F(CreatureCatalogue, KilledCreaturesExplodeThreeTimesInFour) {
    int explosions = 0;
    const int kills = 400;
    for (unsigned seed = 1; seed <= kills; seed++) {
        character_* devil = character_create_GreenDevil();
        // Its carried things go with it.
        objektlist_add_objekt_to_list(objekt_create_sword(), &devil->inventory);
        srand(seed);
        bool explodes = rand() % 4 != 0;
        srand(seed);
        objekt_* remains = character_kill(devil);
        ASSERT_NE(remains, nullptr);
        if (explodes) {
            explosions++;
            EXPECT_STREQ(remains->type, "explosion");
            EXPECT_STREQ(remains->name, "explosion of GreenDevil");
            EXPECT_NE(remains->pic, monsterpic[0]) << "an explosion has its own picture";
            EXPECT_EQ((std::vector<int>{remains->step_x, remains->step_y, remains->power}),
                      (std::vector<int>{0, 0, 0}));
        } else {
            EXPECT_STREQ(remains->type, "food");
            EXPECT_STREQ(remains->name, "corpse of GreenDevil");
            EXPECT_EQ(remains->pic, monsterpic[2]);
        }
        objekt_remove(remains);
    }
    EXPECT_GT(explosions, kills * 3 / 4 - 40);
    EXPECT_LT(explosions, kills * 3 / 4 + 40);
    EXPECT_EQ(character_kill(nullptr), nullptr);
}

TEST_F(CreatureCatalogue, RunningOutOfMemoryMakesNobody) {
    srand(9);
    int first = rand();
    srand(9);
    alloc_fail_at(1);
    EXPECT_EQ(character_create_Bat(), nullptr);
    EXPECT_EQ(rand(), first) << "no stats drawn for a creature never made";

    alloc_fail_at(2);
    EXPECT_EQ(character_create_Gnome(), nullptr);
    alloc_fail_at(1);
    EXPECT_EQ(character_create_user(), nullptr);
    alloc_fail_at(2);
    EXPECT_EQ(character_create_user(), nullptr);
    character_remove(nullptr);
}

} // namespace
