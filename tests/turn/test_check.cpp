// Tests of the checks on the player's body: healing against max_hp,
// starving, death by lost health, and the carrying limit.
#include "turn_fixture.h"

#include "shell/history.h"
#include "turn/check.h"

namespace {

class TurnCheck : public TurnTest {
  protected:
    /// Own health 50 and fullness 40; the calculated stats are set apart
    /// from them, as if worked out before the last changes.
    void body(float h, float f) {
        player->props->health = 50;
        player->props->fullness = 40;
        users_calculated_properties.health = h;
        users_calculated_properties.fullness = f;
    }

    objekt_* give(objekt_* item) {
        objektlist_add_objekt_to_list(item, &player->inventory);
        return item;
    }
};

struct Healing {
    float h;
    float health_gain;
    float fullness_paid;
};

TEST_F(TurnCheck, HealingDependsOnHowFarHealthIsBelowMaxHp) {
    const Healing cases[] = {{9, 0.5f, 1.0f},   {9.99f, 0.5f, 1.0f},  {10, 0.25f, 0.5f},
                             {15, 0.25f, 0.5f}, {19.9f, 0.25f, 0.5f}, {20, 0, 0},
                             {25, 0, 0}};
    for (const Healing& c : cases) {
        body(c.h, 50);
        user_check_health(player);
        EXPECT_FLOAT_EQ(player->props->health, 50 + c.health_gain) << c.h;
        EXPECT_FLOAT_EQ(player->props->fullness, 40 - c.fullness_paid) << c.h;
        EXPECT_EQ(end_game, 0);
    }
}

TEST_F(TurnCheck, ARaisedMaxHpRaisesTheThresholds) {
    max_hp = 60;
    body(15, 50);
    user_check_health(player);
    EXPECT_FLOAT_EQ(player->props->health, 50.5f);
}

TEST_F(TurnCheck, AnEmptyStomachDoesNotHeal) {
    body(9, 0);
    user_check_health(player);
    EXPECT_FLOAT_EQ(player->props->health, 49.5f); // starving instead
    EXPECT_FLOAT_EQ(player->props->fullness, 40);
    EXPECT_EQ(end_game, 0);
}

TEST_F(TurnCheck, StarvingUndoesTheHealingButNotItsPrice) {
    body(9, 14.9f);
    user_check_health(player);
    EXPECT_FLOAT_EQ(player->props->health, 49.5f);
    EXPECT_FLOAT_EQ(player->props->fullness, 39);
    body(25, 15); // fullness 15 is not starving
    user_check_health(player);
    EXPECT_FLOAT_EQ(player->props->health, 50);
}

TEST_F(TurnCheck, StarvingToDeathIsCauseThree) {
    body(1.2f, 10);
    user_check_health(player);
    EXPECT_EQ(end_game, END_STARVED);
    EXPECT_FLOAT_EQ(player->props->health, 49.5f);
    EXPECT_FLOAT_EQ(player->props->fullness, 39);
}

TEST_F(TurnCheck, HealthBelowOneIsCauseTwoBeforeStarvingIsLookedAt) {
    body(0.5f, 10);
    user_check_health(player);
    EXPECT_EQ(end_game, END_KILLED);
    EXPECT_FLOAT_EQ(player->props->health, 50.5f); // the healing stays
    EXPECT_FLOAT_EQ(player->props->fullness, 39);
}

TEST_F(TurnCheck, StrengthTwentyFiveCarriesTwoOfFour) {
    stats(25, 30, 50);
    for (objekt_* item : {objekt_create_stone(), objekt_create_ring(), objekt_create_diamond(),
                          objekt_create_lamp()})
        give(turn_plain(item));
    user_check_inventory(player, at(px, py));
    EXPECT_EQ(turn_names(player->inventory), (std::vector<std::string>{"stone", "ring"}));
    EXPECT_EQ(turn_names(at(px, py)->objekts),
              (std::vector<std::string>{"shiny stone", "golden lamp"}));
    EXPECT_EQ(turn_lines(3),
              (std::vector<std::string>{"", "You became too weak to carry all of your stuff",
                                        "You became too weak to carry all of your stuff"}));
}

TEST_F(TurnCheck, TheCapacityIsWorkedOutAgainAfterEachDrop) {
    stats(35, 30, 50);
    give(turn_plain(objekt_create_stone()));
    give(turn_plain(objekt_create_ring()));
    give(turn_plain(objekt_create_diamond()))->props->strength = -10; // 25: carries two
    give(turn_plain(objekt_create_lamp()));
    give(turn_plain(objekt_create_cd()));
    user_check_inventory(player, at(px, py));
    // Without the weakening stone strength is 35 again: three may stay.
    EXPECT_EQ(turn_names(at(px, py)->objekts),
              (std::vector<std::string>{"shiny stone", "weird bendy disk"}));
    EXPECT_EQ(objektlist_count_stuff(player->inventory), 3);
    EXPECT_FLOAT_EQ(users_calculated_properties.strength, 35);
}

TEST_F(TurnCheck, ADroppedWeaponIsNoLongerWielded) {
    stats(10, 30, 50);
    give(turn_plain(objekt_create_stone()));
    objekt_* stick = give(turn_plain(objekt_create_stick()));
    stick->in_use = 1;
    stick->selected = 1;
    player->weapon = stick;
    user_check_inventory(player, at(px, py));
    EXPECT_EQ(player->weapon, nullptr);
    EXPECT_EQ(stick->in_use, 0);
    EXPECT_EQ(stick->selected, 0);
    EXPECT_EQ(turn_names(player->inventory), std::vector<std::string>{"stone"});
}

TEST_F(TurnCheck, SixtyIsTheMostAnyoneCarries) {
    stats(1000, 30, 50);
    for (int i = 0; i < 61; i++)
        give(turn_plain(i == 60 ? objekt_create_ring() : objekt_create_stone()));
    user_check_inventory(player, at(px, py));
    EXPECT_EQ(objektlist_count_stuff(player->inventory), 60);
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"ring"});
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"", "You became too weak to carry all of your stuff"}));
}

TEST_F(TurnCheck, AnEmptyPackIsLeftAloneButTheStatsAreFresh) {
    stats(0, 30, 50);
    player->props->armor = 7;
    user_check_inventory(player, at(px, py));
    EXPECT_EQ(at(px, py)->objekts, nullptr);
    EXPECT_EQ(turn_line(), "");
    EXPECT_EQ(users_calculated_properties.armor, 7);
}

TEST_F(TurnCheck, NobodyToCheckIsNoHarm) {
    user_check_health(nullptr);
    user_check_inventory(nullptr, at(px, py));
    EXPECT_EQ(end_game, 0);
}

} // namespace
