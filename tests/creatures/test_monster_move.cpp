// How creatures choose their way: the player seen, other beings noticed,
// the random turns and the baker's bread, with their exact draws.
#include "creatures_fixture.h"

using monster_move_test = cave_test;

namespace {

/// The two turning draws of a creature that noticed nothing, replayed.
void replay_wander(int* dir_x, int* dir_y, int odds_x, int odds_y) {
    if (rand() % odds_x == 0)
        *dir_x = rand() % 3 - 1;
    if (rand() % odds_y == 0)
        *dir_y = rand() % 3 - 1;
}

/// True if the generator's next number is the first one after srand(seed).
bool nothing_drawn_since(unsigned seed) {
    int next = rand();
    srand(seed);
    return next == rand();
}

} // namespace

TEST_F(monster_move_test, ASightedMonsterHeadsDiagonallyEvenIntoAWall) {
    put_player(9, 8);
    character_* devil = put(BREED_GREEN_DEVIL, 5, 5);
    devil->sight = 10;
    tile_create_wall(at(6, 6));
    for (int turn = 0; turn < 3; turn++) {
        monster_act(room);
        EXPECT_EQ(1, devil->dir_x);
        EXPECT_EQ(1, devil->dir_y);
        EXPECT_TRUE(stands(devil, 5, 5));
    }
    tile_create_floor(at(6, 6));
    monster_act(room);
    EXPECT_TRUE(stands(devil, 6, 6));
}

TEST_F(monster_move_test, ANeutralCreatureApproachesThePlayerItSeesAndFleesOneItOnlyNotices) {
    put_player(12, 10);
    character_* rat = put(BREED_RAT, 11, 11);
    rat->sight = 1;
    character_* bat = put(BREED_BAT, 14, 10);
    bat->alertness = 2;
    monster_move(rat, room, 11, 11);
    EXPECT_EQ(1, rat->dir_x);
    EXPECT_EQ(-1, rat->dir_y);
    monster_move(bat, room, 14, 10);
    EXPECT_EQ(1, bat->dir_x);
    EXPECT_EQ(0, bat->dir_y);
}

TEST_F(monster_move_test, ANeutralCreatureFleesStraightDownFromABeingStraightAbove) {
    character_* above = put(BREED_GREEN_DEVIL, 10, 8);
    character_* spider = put(BREED_LITTLE_SPIDER, 10, 10);
    spider->alertness = 2;
    monster_act(room);
    EXPECT_EQ(0, spider->dir_x);
    EXPECT_EQ(1, spider->dir_y);
    EXPECT_TRUE(stands(spider, 10, 11));
    EXPECT_TRUE(stands(above, 10, 8));
}

TEST_F(monster_move_test, AMonsterHuntsAnotherCreatureItNoticesAndStrikesIt) {
    character_* devil = put(BREED_GREEN_DEVIL, 10, 10);
    devil->alertness = 3;
    devil->props->damage = 9;
    character_* baker = put(BREED_CRAZY_BAKER, 13, 13);
    baker->special_odds = NEVER;
    monster_act(room);
    EXPECT_TRUE(stands(devil, 11, 11));
    monster_act(room);
    EXPECT_TRUE(stands(devil, 12, 12));
    monster_act(room);
    EXPECT_TRUE(stands(devil, 12, 12));
    EXPECT_FLOAT_EQ(91, baker->props->health);
}

TEST_F(monster_move_test, TheBeingInTheHigherRowWinsOverTheNearerOne) {
    character_* devil = put(BREED_GREEN_DEVIL, 10, 10);
    devil->alertness = 3;
    put(BREED_RAT, 13, 7);
    put(BREED_RAT, 9, 10);
    monster_move(devil, room, 10, 10);
    EXPECT_EQ(1, devil->dir_x);
    EXPECT_EQ(-1, devil->dir_y);

    // Within one row the leftmost wins: the gnome's square starts at row 8.
    put(BREED_BAT, 12, 8);
    put(BREED_BAT, 8, 8);
    character_* gnome = put(BREED_GNOME, 10, 11);
    gnome->alertness = 3;
    monster_move(gnome, room, 10, 11);
    EXPECT_EQ(1, gnome->dir_x) << "it flees the bat on (8, 8), not the one on (12, 8)";
    EXPECT_EQ(1, gnome->dir_y);
}

TEST_F(monster_move_test, TheSightLookFindsOnlyThePlayerAndItComesFirst) {
    put_player(12, 12);
    character_* devil = put(BREED_GREEN_DEVIL, 10, 10);
    devil->sight = 2;
    devil->alertness = 2;
    put(BREED_RAT, 8, 8); // noticed first by alertness, but the player is seen
    srand(4);
    monster_move(devil, room, 10, 10);
    EXPECT_EQ(1, devil->dir_x);
    EXPECT_EQ(1, devil->dir_y);
    EXPECT_TRUE(nothing_drawn_since(4));
}

TEST_F(monster_move_test, TheOuterRingIsNeverLookedAt) {
    character_* devil = put(BREED_GREEN_DEVIL, 2, 2, 0, 0);
    devil->sight = 5;
    devil->alertness = 5;
    devil->turn_x_odds = 1;
    devil->turn_y_odds = 1;
    put_player(0, 2);
    put(BREED_RAT, 3, 0);
    put(BREED_RAT, 27, 19);
    for (unsigned seed = 1; seed <= 20; seed++) {
        srand(seed);
        monster_move(devil, room, 2, 2);
        int dx = 0, dy = 0;
        srand(seed);
        replay_wander(&dx, &dy, 1, 1);
        EXPECT_EQ(dx, devil->dir_x) << "seed " << seed;
        EXPECT_EQ(dy, devil->dir_y) << "seed " << seed;
    }
    // One step inside the ring the player is seen.
    tile_put_character(at(1, 1), player);
    tile_remove_character(at(0, 2));
    monster_move(devil, room, 2, 2);
    EXPECT_EQ(-1, devil->dir_x);
    EXPECT_EQ(-1, devil->dir_y);
}

TEST_F(monster_move_test, NoTurningDrawsWhenSomethingWasNoticed) {
    character_* bat = put(BREED_BAT, 10, 10, 1, 1);
    bat->alertness = 2;
    bat->turn_x_odds = 1;
    bat->turn_y_odds = 1;
    put(BREED_RAT, 11, 12);
    srand(21);
    monster_move(bat, room, 10, 10);
    EXPECT_EQ(-1, bat->dir_x);
    EXPECT_EQ(-1, bat->dir_y);
    EXPECT_TRUE(nothing_drawn_since(21));
}

TEST_F(monster_move_test, ACreatureThatNoticesNothingTurnsByItsOdds) {
    character_* rat = put(BREED_RAT, 10, 10, 1, 0);
    rat->turn_x_odds = 3;
    rat->turn_y_odds = 2;
    rat->sight = 0;
    rat->alertness = 0;
    int dx = 1, dy = 0;
    int changes = 0;
    for (int turn = 0; turn < 200; turn++) {
        unsigned seed = 1000 + turn;
        srand(seed);
        monster_move(rat, room, 10, 10);
        int old_dx = dx, old_dy = dy;
        srand(seed);
        replay_wander(&dx, &dy, 3, 2);
        ASSERT_EQ(dx, rat->dir_x) << "turn " << turn;
        ASSERT_EQ(dy, rat->dir_y) << "turn " << turn;
        changes += (old_dx != dx) + (old_dy != dy);
    }
    EXPECT_GT(changes, 0);
}

TEST_F(monster_move_test, OddsOfZeroCountAsAlways) {
    character_* rat = put(BREED_RAT, 10, 10, 1, 1);
    rat->turn_x_odds = 0;
    rat->turn_y_odds = 0;
    srand(3);
    monster_move(rat, room, 10, 10);
    int dx = 1, dy = 1;
    srand(3);
    replay_wander(&dx, &dy, 1, 1);
    EXPECT_EQ(dx, rat->dir_x);
    EXPECT_EQ(dy, rat->dir_y);
}

TEST_F(monster_move_test, OnlyTheBakerDrawsForBaking) {
    character_* baker = put(BREED_CRAZY_BAKER, 10, 10);
    character_* rat = put(BREED_RAT, 15, 15);
    baker->turn_x_odds = rat->turn_x_odds = 2;
    baker->turn_y_odds = rat->turn_y_odds = 2;
    baker->special_odds = 3;
    ASSERT_GT(rat->special_odds, 0) << "the rat has odds of its own but never bakes";
    for (unsigned seed = 1; seed <= 30; seed++) {
        int bx = baker->dir_x, by = baker->dir_y;
        int rx = rat->dir_x, ry = rat->dir_y;
        int breads = objektlist_count_stuff(at(10, 10)->objekts);
        srand(seed);
        monster_move(baker, room, 10, 10);
        monster_move(rat, room, 15, 15);
        srand(seed);
        bool bakes = rand() % baker->special_odds == 0;
        if (bakes)
            skip_draws(7); // the bread's record and its fullness
        replay_wander(&bx, &by, 2, 2);
        replay_wander(&rx, &ry, 2, 2);
        EXPECT_EQ(bx, baker->dir_x) << "seed " << seed;
        EXPECT_EQ(by, baker->dir_y) << "seed " << seed;
        EXPECT_EQ(rx, rat->dir_x) << "seed " << seed;
        EXPECT_EQ(ry, rat->dir_y) << "seed " << seed;
        EXPECT_EQ(breads + (bakes ? 1 : 0), objektlist_count_stuff(at(10, 10)->objekts));
    }
    EXPECT_EQ(nullptr, at(15, 15)->objekts);
}

TEST_F(monster_move_test, TheBakersBreadStaysBehindOnTheOldTile) {
    character_* baker = put(BREED_CRAZY_BAKER, 10, 10, 1, 0);
    baker->special_odds = 1;
    monster_act(room);
    EXPECT_TRUE(stands(baker, 11, 10));
    objekt_* bread = objektlist_get(at(10, 10)->objekts, 0);
    ASSERT_NE(nullptr, bread);
    EXPECT_STREQ("bread", bread->name);
    EXPECT_EQ(nullptr, at(11, 10)->objekts);
}

TEST_F(monster_move_test, AnIdleLookSeesOnlyTheCreaturesOwnTile) {
    character_* devil = put(BREED_GREEN_DEVIL, 10, 10, 1, 0);
    put_player(11, 10);
    srand(8);
    monster_move(devil, room, 10, 10);
    int dx = 1, dy = 0;
    srand(8);
    replay_wander(&dx, &dy, NEVER, NEVER);
    EXPECT_EQ(dx, devil->dir_x);
    EXPECT_EQ(dy, devil->dir_y);
    EXPECT_EQ(1, devil->dir_x) << "the player beside it is not seen";
    EXPECT_EQ(0, devil->dir_y);
}
