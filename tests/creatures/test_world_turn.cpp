// The world's half of a turn: creatures stepping, striking and standing,
// their deaths, and the player's death by blows.
#include "creatures_fixture.h"

#include <vector>

using world_turn = cave_test;

TEST_F(world_turn, RoomWithoutCreaturesOrExplosionsStaysAsItWas) {
    objektlist_add_objekt_to_list(objekt_create_bread(), &at(4, 4)->objekts);
    std::vector<unsigned char> before(reinterpret_cast<unsigned char*>(room),
                                      reinterpret_cast<unsigned char*>(room) + sizeof(room_));
    srand(77);
    monster_act(room);
    int next = rand();
    srand(77);
    EXPECT_EQ(next, rand()) << "nothing in the room may draw a number";
    EXPECT_EQ(0, std::memcmp(before.data(), room, sizeof(room_)));
}

TEST_F(world_turn, CreaturesStepOneTileInEveryDirection) {
    character_* right = put(BREED_GREEN_DEVIL, 5, 5, 1, 0);
    character_* down = put(BREED_RAT, 5, 8, 0, 1);
    character_* diagonal = put(BREED_BAT, 5, 12, 1, 1);
    character_* left = put(BREED_GREEN_DEVIL, 10, 5, -1, 0);
    character_* up_left = put(BREED_GNOME, 10, 10, -1, -1);
    monster_act(room);
    EXPECT_TRUE(stands(right, 6, 5));
    EXPECT_TRUE(stands(down, 5, 9));
    EXPECT_TRUE(stands(diagonal, 6, 13));
    EXPECT_TRUE(stands(left, 9, 5));
    EXPECT_TRUE(stands(up_left, 9, 9));
    for (character_* c : {right, down, diagonal, left, up_left})
        EXPECT_EQ(1, c->moved);
    monster_act(room);
    EXPECT_TRUE(stands(right, 7, 5));
    EXPECT_TRUE(stands(down, 5, 10));
    EXPECT_TRUE(stands(diagonal, 7, 14));
}

TEST_F(world_turn, WallsDoorsAndTheRockStopACreature) {
    tile_create_wall(at(6, 5));
    character_* at_wall = put(BREED_GREEN_DEVIL, 5, 5, 1, 0);
    character_* at_door = put(BREED_GREEN_DEVIL, 1, 7, -1, 0);
    tile_create_door(at(0, 7), 0, 'v');
    tile_create_empty(at(12, 12));
    character_* at_rock = put(BREED_RAT, 11, 11, 1, 1);
    for (int turn = 0; turn < 3; turn++)
        monster_act(room);
    EXPECT_TRUE(stands(at_wall, 5, 5));
    EXPECT_TRUE(stands(at_door, 1, 7));
    EXPECT_TRUE(stands(at_rock, 11, 11));
}

TEST_F(world_turn, FacingMonstersStrikeEachOtherFirstInTheSweepFirst) {
    character_* first = put(BREED_GREEN_DEVIL, 10, 10, 1, 0);
    character_* second = put(BREED_EVIL_EYES, 11, 10, -1, 0);
    first->props->damage = 12;
    second->props->damage = 7;
    second->props->health = 50;
    monster_act(room);
    EXPECT_FLOAT_EQ(38, second->props->health);
    EXPECT_FLOAT_EQ(93, first->props->health);
    EXPECT_TRUE(stands(first, 10, 10));
    EXPECT_TRUE(stands(second, 11, 10));
    EXPECT_STREQ("", event_history[EVENT_HISTORY_LINES - 1])
        << "fights between creatures are silent";
}

TEST_F(world_turn, AMonsterKilledBeforeItsTurnDoesNotAct) {
    character_* first = put(BREED_GREEN_DEVIL, 10, 10, 1, 0);
    character_* second = put(BREED_EVIL_EYES, 11, 10, -1, 0);
    first->props->damage = 60;
    second->props->health = 50;
    monster_act(room);
    EXPECT_FLOAT_EQ(100, first->props->health);
    EXPECT_TRUE(stands(first, 10, 10));
    EXPECT_FALSE(tile_has_being(at(11, 10)));
    ASSERT_EQ(1, objektlist_count_stuff(at(11, 10)->objekts));
}

TEST_F(world_turn, BlowsAreSoftenedByTheVictimsArmor) {
    struct {
        int armor;
        float loss;
    } cases[] = {{0, 20}, {9, 20}, {10, 10}, {25, 6}, {-15, 20}};
    int x = 2;
    std::vector<character_*> victims;
    for (auto c : cases) {
        character_* m = put(BREED_GREEN_DEVIL, x, 3, 0, 1);
        m->props->damage = 20;
        character_* v = put(BREED_RAT, x, 4);
        v->props->armor = c.armor;
        victims.push_back(v);
        x += 3;
    }
    monster_act(room);
    for (size_t i = 0; i < victims.size(); i++) {
        EXPECT_FLOAT_EQ(100 - cases[i].loss, victims[i]->props->health)
            << "armor " << cases[i].armor;
        EXPECT_GE(victims[i]->props->armor, 0) << "the victim's stats are clamped before the blow";
    }
}

TEST_F(world_turn, AMonsterBlockedByANeutralCreatureStrikesIt) {
    character_* monster = put(BREED_GREEN_DEVIL, 10, 10, 1, 0);
    character_* neutral = put(BREED_RAT, 11, 10);
    monster->props->damage = 12;
    monster_act(room);
    EXPECT_TRUE(stands(monster, 10, 10));
    EXPECT_TRUE(stands(neutral, 11, 10));
    EXPECT_FLOAT_EQ(88, neutral->props->health);
}

TEST_F(world_turn, ANeutralCreatureBlockedByAnythingJustStands) {
    character_* neutral = put(BREED_CRAZY_BAKER, 10, 10, 1, 0);
    character_* monster = put(BREED_GREEN_DEVIL, 11, 10);
    character_* other = put(BREED_BAT, 10, 14, 0, -1);
    character_* rat = put(BREED_RAT, 10, 13);
    character_* at_wall = put(BREED_GNOME, 26, 4, 1, 0);
    put_player(5, 6);
    character_* at_player = put(BREED_RAT, 5, 5, 0, 1);
    float player_health = player->props->health;
    monster_act(room);
    EXPECT_TRUE(stands(neutral, 10, 10));
    EXPECT_TRUE(stands(other, 10, 14));
    EXPECT_TRUE(stands(at_wall, 26, 4));
    EXPECT_TRUE(stands(at_player, 5, 5));
    EXPECT_FLOAT_EQ(100, monster->props->health);
    EXPECT_FLOAT_EQ(100, rat->props->health);
    EXPECT_FLOAT_EQ(player_health, player->props->health);
}

/// Each calm creature draws two numbers for turning; a killing blow then
/// draws whether the remains are a corpse (0) or an explosion.
bool explosion_after_one_creature() {
    skip_draws(2);
    return rand() % 4 != 0;
}

TEST_F(world_turn, ADeathExplosionLaidAheadInTheSweepBurstsInTheSameTurn) {
    character_* killer = put(BREED_GREEN_DEVIL, 10, 10, 1, 0);
    killer->props->damage = 200;
    put(BREED_RAT, 11, 10);
    seed_where(explosion_after_one_creature);
    monster_act(room);
    EXPECT_TRUE(stands(killer, 10, 10)) << "a blow is no step";
    EXPECT_FALSE(tile_has_being(at(11, 10)));
    objekt_* ahead = objektlist_get(at(11, 10)->objekts, 0);
    ASSERT_TRUE(objekt_is(ahead, "explosion"));
    EXPECT_STREQ("explosion of rat", ahead->name);
    EXPECT_EQ(2, ahead->age);
}

TEST_F(world_turn, ADeathExplosionLaidBehindTheSweepWaitsForTheNextTurn) {
    // The victim stands still and acts first; the killer comes from below right.
    put(BREED_RAT, 12, 12);
    character_* killer = put(BREED_GREEN_DEVIL, 13, 13, -1, -1);
    killer->props->damage = 200;
    seed_where([] {
        skip_draws(2);
        return explosion_after_one_creature();
    });
    monster_act(room);
    objekt_* behind = objektlist_get(at(12, 12)->objekts, 0);
    ASSERT_TRUE(objekt_is(behind, "explosion"));
    EXPECT_EQ(1, behind->age);
    monster_act(room);
    EXPECT_EQ(2, behind->age);
}

TEST_F(world_turn, AKilledCreatureMayLeaveItsCorpse) {
    character_* killer = put(BREED_GREEN_DEVIL, 10, 10, 0, 1);
    killer->props->damage = 200;
    put(BREED_LITTLE_SPIDER, 10, 11);
    seed_where([] {
        skip_draws(2);
        return rand() % 4 == 0;
    });
    monster_act(room);
    objekt_* remains = objektlist_get(at(10, 11)->objekts, 0);
    ASSERT_TRUE(objekt_is(remains, "food"));
    EXPECT_STREQ("corpse of LittleSpider", remains->name);
    EXPECT_FALSE(tile_has_being(at(10, 11)));
}

TEST_F(world_turn, BlowsOnThePlayerAreToldAndCanKill) {
    put_player(10, 10, 30, 10);
    character_* devil = put(BREED_GREEN_DEVIL, 9, 10, 1, 0);
    devil->props->damage = 24;
    monster_act(room);
    EXPECT_FLOAT_EQ(18, player->props->health) << "armor 10 halves the blow";
    EXPECT_EQ("GreenDevil hit you", line());
    EXPECT_FLOAT_EQ(18, users_calculated_properties.health);
    EXPECT_EQ(END_RUNNING, end_game);
    monster_act(room);
    EXPECT_FLOAT_EQ(6, player->props->health);
    EXPECT_EQ(END_RUNNING, end_game);
    monster_act(room);
    EXPECT_FLOAT_EQ(-6, player->props->health) << "the player's own health may go below zero";
    EXPECT_EQ(END_KILLED, end_game);
    EXPECT_EQ("GreenDevil hit you", line(1));
    EXPECT_EQ("You were killed by GreenDevil", line());
    EXPECT_TRUE(stands(player, 10, 10)) << "the player stays on its tile";
}

TEST_F(world_turn, AfterAKillingBlowTheSweepGoesOn) {
    put_player(10, 10, 10, 0);
    character_* devil = put(BREED_GREEN_DEVIL, 9, 9, 1, 1);
    character_* eyes = put(BREED_EVIL_EYES, 11, 11, -1, -1);
    character_* walker = put(BREED_RAT, 5, 15, 1, 0);
    devil->props->damage = 15;
    eyes->props->damage = 3;
    monster_act(room);
    EXPECT_EQ(END_KILLED, end_game);
    EXPECT_FLOAT_EQ(-8, player->props->health);
    EXPECT_EQ("GreenDevil hit you", line(3));
    EXPECT_EQ("You were killed by GreenDevil", line(2));
    EXPECT_EQ("EvilEyes hit you", line(1));
    EXPECT_EQ("You were killed by EvilEyes", line());
    EXPECT_TRUE(stands(walker, 6, 15));
}

TEST_F(world_turn, ThePlayersCarriedArmorSoftensBlows) {
    put_player(10, 10, 50, 0);
    objekt_* ring = objekt_create_ring();
    *ring->props = properties{0, 0, 20, 0, 0, 0};
    objektlist_add_objekt_to_list(ring, &player->inventory);
    character_calculate_properties(player, &users_calculated_properties);
    character_* devil = put(BREED_GREEN_DEVIL, 10, 9, 0, 1);
    devil->props->damage = 30;
    monster_act(room);
    EXPECT_FLOAT_EQ(40, player->props->health);
}

TEST_F(world_turn, ACreatureNeverActsTwiceInOneTurn) {
    character_* runner = put(BREED_GREEN_DEVIL, 3, 3, 1, 1);
    monster_act(room);
    EXPECT_TRUE(stands(runner, 4, 4));
    // A leftover mark from an earlier turn does not stop it.
    runner->moved = 1;
    monster_act(room);
    EXPECT_TRUE(stands(runner, 5, 5));
}

TEST_F(world_turn, RunningOutOfMemoryOnlyLosesTheBreadAndTheRemains) {
    character_* baker = put(BREED_CRAZY_BAKER, 5, 5, 1, 0);
    baker->special_odds = 1;
    character_* killer = put(BREED_GREEN_DEVIL, 10, 10, 1, 0);
    killer->props->damage = 200;
    put(BREED_RAT, 11, 10);
    alloc_fail_at(1, true);
    monster_act(room);
    alloc_fail_at(0);
    EXPECT_TRUE(stands(baker, 6, 5));
    EXPECT_EQ(nullptr, at(5, 5)->objekts);
    EXPECT_FALSE(tile_has_being(at(11, 10)));
    EXPECT_EQ(nullptr, at(11, 10)->objekts);
}
