// Tiles: ground kinds, what survives a change of ground, the explosion
// queries, and putting beings and random items on a tile.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "headless.h"
#include "shell/assets.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/tile.h"

namespace {

/// The five kind queries of a tile, in kind order.
std::vector<int> kinds_of(const tile* t) {
    return {tile_is_empty(t), tile_is_floor(t), tile_is_wall(t), tile_is_door(t),
            tile_is_door_out(t)};
}

class TileOps : public testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        memset(&t, 0, sizeof(t));
    }
    void TearDown() override { objektlist_empty(t.objekts); }
    tile t;
};

TEST_F(TileOps, EachGroundAnswersOnlyItsOwnQuery) {
    tile_create_empty(&t);
    EXPECT_EQ(kinds_of(&t), (std::vector<int>{1, 0, 0, 0, 0}));
    EXPECT_STREQ(t.picname, "empty.bmp");
    EXPECT_FALSE(tile_has_being(&t));
    EXPECT_FALSE(tile_has_objekt(&t));

    tile_create_floor(&t);
    EXPECT_EQ(kinds_of(&t), (std::vector<int>{0, 1, 0, 0, 0}));
    EXPECT_STREQ(t.picname, "floor.bmp");

    tile_create_wall(&t);
    EXPECT_EQ(kinds_of(&t), (std::vector<int>{0, 0, 1, 0, 0}));
    EXPECT_STREQ(t.picname, "wall.bmp");

    tile_create_door(&t, 0, 'u');
    EXPECT_EQ(kinds_of(&t), (std::vector<int>{0, 0, 0, 1, 0}));
    EXPECT_STREQ(t.picname, "door.bmp");
    EXPECT_EQ(t.door_target, 0);
    EXPECT_EQ(t.door_side, 'u');

    // The way out keeps the door's other fields.
    t.kind = TILE_DOOR_OUT;
    EXPECT_EQ(kinds_of(&t), (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(t.door_side, 'u');

    tile_create_door(&t, 12, 'h');
    EXPECT_EQ(t.door_target, 12);
    EXPECT_EQ(t.door_side, 'h');
}

TEST_F(TileOps, NullTilesAreIgnored) {
    tile_create_empty(nullptr);
    tile_create_floor(nullptr);
    tile_create_wall(nullptr);
    tile_create_door(nullptr, 1, 'n');
    tile_remove_character(nullptr);
    EXPECT_EQ(kinds_of(nullptr), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_FALSE(tile_has_being(nullptr));
    EXPECT_FALSE(tile_has_explosion(nullptr));
    EXPECT_EQ(tile_find_unmoved_explosion(nullptr), nullptr);
}

TEST_F(TileOps, WallsAndDoorsKeepTheirItemsAndBeingFloorDropsThem) {
    tile_create_floor(&t);
    objekt_* bread = objekt_create_bread();
    objektlist_add_objekt_to_list(bread, &t.objekts);
    character_ bystander = {};
    t.being = &bystander;

    tile_create_wall(&t);
    ASSERT_TRUE(tile_has_objekt(&t));
    EXPECT_EQ(t.objekts->objekt, bread);
    EXPECT_EQ(t.being, &bystander);
    tile_create_door(&t, 3, 'v');
    EXPECT_EQ(t.objekts->objekt, bread);
    EXPECT_EQ(t.being, &bystander);

    objektlist_* kept = t.objekts;
    tile_create_floor(&t);
    EXPECT_FALSE(tile_has_objekt(&t));
    EXPECT_FALSE(tile_has_being(&t));
    objektlist_empty(kept);
}

TEST_F(TileOps, ExplosionQueriesSkipMovedOnesAndOtherItems) {
    objekt_* bread = objekt_create_bread();
    objekt_* moved = objekt_create_explosion("GreenDevil", monsterpic[0], 0, 0, 0);
    objekt_* waiting = objekt_create_explosion("rat", neutralpic[6], 0, 0, 0);
    moved->moved = 1;
    objektlist_add_objekt_to_list(bread, &t.objekts);
    EXPECT_TRUE(tile_has_objekt(&t));
    EXPECT_FALSE(tile_has_explosion(&t));
    EXPECT_FALSE(tile_has_unmoved_explosion(&t));

    objektlist_add_objekt_to_list(moved, &t.objekts);
    EXPECT_TRUE(tile_has_explosion(&t));
    EXPECT_FALSE(tile_has_unmoved_explosion(&t));
    EXPECT_EQ(tile_find_unmoved_explosion(&t), nullptr);

    objektlist_add_objekt_to_list(waiting, &t.objekts);
    EXPECT_TRUE(tile_has_unmoved_explosion(&t));
    EXPECT_EQ(tile_find_unmoved_explosion(&t), waiting);

    // Only the exact word counts as an explosion.
    strcpy(waiting->type, "explosions");
    EXPECT_FALSE(tile_has_unmoved_explosion(&t));
    strcpy(waiting->type, "explosion");

    // A node without an item is passed over.
    objektlist_ hole = {nullptr, t.objekts};
    objektlist_* real = t.objekts;
    t.objekts = &hole;
    EXPECT_EQ(tile_find_unmoved_explosion(&t), waiting);
    EXPECT_TRUE(tile_has_explosion(&t));
    t.objekts = real;
}

TEST_F(TileOps, BeingsArePutAndTakenWithoutBeingFreed) {
    character_* devil = character_create_GreenDevil();
    character_* rat = character_create_Rat();
    EXPECT_EQ(tile_put_character(&t, devil), devil);
    EXPECT_TRUE(tile_has_being(&t));
    // Overwriting only forgets the old being; it is still ours to free.
    EXPECT_EQ(tile_put_character(&t, rat), rat);
    EXPECT_EQ(t.being, rat);
    EXPECT_STREQ(devil->name, "GreenDevil");
    tile_remove_character(&t);
    EXPECT_FALSE(tile_has_being(&t));
    EXPECT_STREQ(rat->name, "rat");
    EXPECT_EQ(tile_put_character(&t, nullptr), nullptr);
    EXPECT_FALSE(tile_has_being(&t));
    character_remove(devil);
    character_remove(rat);
}

TEST_F(TileOps, RandomItemsAndCreaturesComeFromTheSeed) {
    tile_create_floor(&t);
    // In room 1 the category draw alone decides: stone, bread or stick.
    const char* const level_one[3] = {"stone", "bread", "stick"};
    for (unsigned seed = 1; seed <= 30; seed++) {
        srand(seed);
        int category = rand() % 3;
        srand(seed);
        tile_add_random_objekt(&t, 1);
        ASSERT_EQ(objektlist_count_stuff(t.objekts), int(seed));
        EXPECT_STREQ(objektlist_get(t.objekts, seed - 1)->name, level_one[category]);
    }

    for (unsigned seed = 1; seed <= 40; seed++) {
        srand(seed);
        int neutral = rand() % 2;
        srand(seed);
        tile_add_random_character(&t, 2);
        ASSERT_TRUE(tile_has_being(&t));
        EXPECT_STREQ(t.being->name, neutral ? "CrazyBaker" : "GreenDevil");
        character_remove(t.being);
        tile_remove_character(&t);
    }
}

} // namespace
