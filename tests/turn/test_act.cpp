// Tests of the player's actions: which keys take the turn, what each costs
// in food, what it tells the player, picking up, eating and zapping.
#include "turn_fixture.h"

#include <unistd.h>

#include "render/room_view.h"
#include "shell/history.h"
#include "tape/recording.h"
#include "turn/act.h"
#include "turn/act_rules.h"
#include "world/state.h"

namespace {

/// The food a light action takes from a player of calculated strength 40.
constexpr float LIGHT = 40.0f / 600.0f;

using TurnAct = TurnTest;

TEST_F(TurnAct, CapacityTruncatesStrengthTimesThreeOverThirty) {
    EXPECT_EQ(act_capacity(9.9f), 0);
    EXPECT_EQ(act_capacity(10.0f), 1);
    EXPECT_EQ(act_capacity(25.0f), 2);
    EXPECT_EQ(act_capacity(59.9f), 5);
    EXPECT_EQ(act_capacity(100.0f), 10);
}

TEST_F(TurnAct, StandingStillTakesTheTurnAndALittleFood) {
    keys_press(KEY_SPACE);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 2); // the second Space is left for the next turn
    EXPECT_EQ(turn_line(), "This seemed to be a good time to stand still");
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT);
    EXPECT_EQ(end_game, 0);
}

TEST_F(TurnAct, AnEmptyStomachPaysNothing) {
    stats(40, 30, -5); // calculated fullness is clamped to 0
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_FLOAT_EQ(player->props->fullness, -5.0f);
}

TEST_F(TurnAct, AWallTurnsThePlayerButLeavesTheTurn) {
    place(1, 10);
    keys_press(KEY_LEFT);
    keys_press(KEY_SPACE);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 2); // Left and the first Space were read
    EXPECT_EQ(player->dir_x, -1);
    EXPECT_EQ(player->dir_y, 0);
    EXPECT_EQ(at(1, 10)->being, player);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT); // the wall cost nothing
}

TEST_F(TurnAct, KeysWithoutMeaningLetThePlayerActAgain) {
    for (int k : {KEY_Y, KEY_N, KEY_U, KEY_D})
        keys_press(k);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(turn_line(), "This seemed to be a good time to stand still");
    EXPECT_EQ(turn_line(1), "");
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT);
}

TEST_F(TurnAct, GivingUpEndsTheGameAtOnceForFree) {
    keys_press(KEY_Q);
    keys_press(KEY_Y); // "Do you want to end this game?"
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(end_game, END_QUIT);
    EXPECT_EQ(keys_remaining(), 3); // Y's release and Space were not read
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f);
    EXPECT_EQ(turn_line(), "");
}

TEST_F(TurnAct, EscapeReturnsWithoutActingOnceTheEndIsConfirmed) {
    keys_hold_only({KEY_ESC});
    keys_release();
    keys_press(KEY_Y);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(escape_ended, 1);
    EXPECT_EQ(act_left_with_escape(), 1);
    EXPECT_EQ(keys_remaining(), 3);
    EXPECT_EQ(end_game, 0);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f);
    EXPECT_EQ(turn_line(), "");
}

/// A recording of the first version is played as it was made: Q ends the
/// game at once, and Escape returns with the key left held for the game loop.
TEST_F(TurnAct, OldRecordingsEndWithoutTheQuestion) {
    char tape[] = "/tmp/cave-v1-XXXXXX";
    const int fd = mkstemp(tape);
    ASSERT_GE(fd, 0);
    const char text[] = "cave recording 1\ngame 1\nkey -1\nheld 59 1\nkey 16\n";
    ASSERT_EQ(write(fd, text, sizeof text - 1), ssize_t(sizeof text - 1));
    close(fd);
    ASSERT_TRUE(recording_load(tape, 0, 0));
    recording_game_seed(0);
    user_act();
    EXPECT_EQ(act_left_with_escape(), 1); // the look kept in the recording
    EXPECT_EQ(escape_ended, 0);
    user_act();
    EXPECT_EQ(end_game, END_QUIT);
    EXPECT_FALSE(has_text_centre(screen, "Do you want to end this game?", 512, 340, 0xffffff));
    EXPECT_TRUE(recording_finish()); // every line was played
    unlink(tape);
}

TEST_F(TurnAct, WithoutThePlayerOnTheGridNoKeyIsRead) {
    tile_remove_character(at(px, py));
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 2);
    current_room = nullptr;
    user_act();
    EXPECT_EQ(keys_remaining(), 2);
    current_room = cave;
    tile_put_character(at(px, py), player);
}

TEST_F(TurnAct, AStepIntoRockOrTheExitStillEndsTheTurn) {
    tile_create_empty(at(11, 10));
    tile_create_door(at(9, 10), 0, 'v');
    at(9, 10)->kind = TILE_DOOR_OUT;
    for (int k : {KEY_RIGHT, KEY_LEFT}) {
        keys_reset();
        keys_press(k);
        keys_press(KEY_SPACE);
        user_act();
        EXPECT_EQ(keys_remaining(), 2) << k;
        EXPECT_EQ(at(10, 10)->being, player);
    }
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f);
    EXPECT_EQ(turn_line(), "");
}

TEST_F(TurnAct, AStepOntoFloorWalksAndEndsTheCall) {
    keys_press(KEY_9_PAD);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(at(11, 9)->being, player);
    EXPECT_EQ(at(10, 10)->being, nullptr);
    EXPECT_EQ(keys_remaining(), 2);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 80.0f / 600.0f);
    keys_reset(); // a keyboard without a keypad: Home, then the digit 3
    keys_press(KEY_HOME);
    keys_press(KEY_3);
    user_act();
    EXPECT_EQ(at(10, 8)->being, player);
    user_act();
    EXPECT_EQ(at(11, 9)->being, player);
}

// ---- picking up ----

TEST_F(TurnAct, PickingUpAThingShowsItAndTakesTheTurn) {
    objekt_* stone = turn_plain(objekt_create_stone());
    stone->props->armor = 4;
    objektlist_add_objekt_to_list(stone, &at(px, py)->objekts);
    keys_press(KEY_P);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE); // closes the item's box
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 2);
    EXPECT_EQ(turn_names(player->inventory), std::vector<std::string>{"stone"});
    EXPECT_EQ(at(px, py)->objekts, nullptr);
    EXPECT_EQ(turn_line(), "You picked up a stone");
    EXPECT_EQ(users_calculated_properties.armor, 4);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT);
}

TEST_F(TurnAct, AnsweringNoOrFindingNothingCostsNothing) {
    objektlist_add_objekt_to_list(turn_plain(objekt_create_bread()), &at(px, py)->objekts);
    keys_press(KEY_P);
    keys_press(KEY_N);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(player->inventory, nullptr);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT); // only standing still
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"", "This seemed to be a good time to stand still"}));
}

TEST_F(TurnAct, ALoneExplosionIsNeverOffered) {
    objektlist_add_objekt_to_list(objekt_create_explosion("wand", nullptr, 0, 0, 3),
                                  &at(px, py)->objekts);
    keys_press(KEY_ENTER);
    keys_press(KEY_SPACE);
    user_act(); // no question: the next key read is Space
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(player->inventory, nullptr);
    EXPECT_EQ(turn_line(), "This seemed to be a good time to stand still");
}

TEST_F(TurnAct, TheListLeavesExplosionsOut) {
    objektlist_add_objekt_to_list(objekt_create_explosion("wand", nullptr, 0, 0, 3),
                                  &at(px, py)->objekts);
    objektlist_add_objekt_to_list(turn_plain(objekt_create_bread()), &at(px, py)->objekts);
    ScreenSpy spy({{KEY_P}, {}, {KEY_1}, {}, {KEY_ENTER}, {}}, 1);
    user_act();
    BITMAP* shot = spy.shot();
    EXPECT_TRUE(has_text(shot, "Wich do you want to pick up?", 411, 340, 0xffffff));
    EXPECT_TRUE(has_text(shot, "1 - bread", 411, 356, 0xffffff));
    EXPECT_TRUE(has_text(shot, "0 - Nothing", 411, 372, 0xffffff));
    EXPECT_EQ(spy.remaining(), 0);
    EXPECT_EQ(turn_names(player->inventory), std::vector<std::string>{"bread"});
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"explosion of wand"});
    EXPECT_EQ(turn_line(), "You picked up a bread");
}

TEST_F(TurnAct, ZeroOrTooHighAFigureChoosesNothing) {
    for (const char* typed : {"0\r", "3\r"}) {
        keys_reset();
        objektlist_add_objekt_to_list(turn_plain(objekt_create_bread()), &at(px, py)->objekts);
        objektlist_add_objekt_to_list(turn_plain(objekt_create_bread()), &at(px, py)->objekts);
        keys_press(KEY_P);
        keys_type(typed);
        keys_press(KEY_SPACE);
        user_act();
        EXPECT_EQ(keys_remaining(), 0) << typed;
        EXPECT_EQ(player->inventory, nullptr) << typed;
        EXPECT_EQ(turn_line(), "This seemed to be a good time to stand still");
        objektlist_empty(at(px, py)->objekts);
        at(px, py)->objekts = nullptr;
    }
}

TEST_F(TurnAct, AFullInventoryRefusesButCostsFoodAndKeepsTheTurn) {
    stats(9.9f, 30, 50); // carries nothing at all
    objektlist_add_objekt_to_list(turn_plain(objekt_create_bread()), &at(px, py)->objekts);
    keys_press(KEY_P);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(player->inventory, nullptr);
    EXPECT_EQ(turn_lines(2), (std::vector<std::string>{
                                 "You tried to pick up a bread but you couldn't carry anymore",
                                 "This seemed to be a good time to stand still"}));
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 2 * (9.9f / 600.0f));
}

TEST_F(TurnAct, AThingThatTakesAllHealthKillsWithCauseSix) {
    objekt_* stone = turn_plain(objekt_create_stone());
    stone->props->health = -40;
    objektlist_add_objekt_to_list(stone, &at(px, py)->objekts);
    keys_press(KEY_P);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(end_game, END_MAGIC);
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"You picked up a stone", "You were killed by the blow"}));
    EXPECT_EQ(at(px, py)->being, nullptr);
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"corpse of "});
    EXPECT_EQ(turn_names(player->inventory), std::vector<std::string>{"stone"});
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f); // the dead don't get hungry
}

// ---- eating from the floor ----

TEST_F(TurnAct, EatingFromTheFloorFeedsAndLetsThePlayerActAgain) {
    objekt_* bread = turn_plain(objekt_create_bread());
    bread->props->fullness = 20;
    objektlist_add_objekt_to_list(bread, &at(px, py)->objekts);
    keys_press(KEY_E);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE); // closes "You were given:"
    keys_press(KEY_SPACE); // stands still
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(at(px, py)->objekts, nullptr);
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"You ate a bread from the floor",
                                        "This seemed to be a good time to stand still"}));
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f + 20.0f - LIGHT - LIGHT);
}

TEST_F(TurnAct, EatingOnBareFloorStillCostsFood) {
    keys_press(KEY_E);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT - LIGHT);
}

TEST_F(TurnAct, ExplosionsAndStonesCannotBeEaten) {
    objektlist_add_objekt_to_list(objekt_create_explosion("wand", nullptr, 0, 0, 3),
                                  &at(px, py)->objekts);
    keys_press(KEY_E);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(turn_lines(3),
              (std::vector<std::string>{"You tried to eat a explosion of wand from the floor",
                                        "It was too hard to catch",
                                        "This seemed to be a good time to stand still"}));
    objektlist_empty(at(px, py)->objekts);
    at(px, py)->objekts = nullptr;

    objektlist_add_objekt_to_list(turn_plain(objekt_create_stone()), &at(px, py)->objekts);
    keys_press(KEY_E);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(turn_line(2), "You tried to eat a stone from the floor");
    EXPECT_EQ(turn_line(1), "It was too hard for your teeth");
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"stone"});
}

TEST_F(TurnAct, TheEatingListOffersExplosionsToo) {
    objektlist_add_objekt_to_list(turn_plain(objekt_create_stone()), &at(px, py)->objekts);
    objektlist_add_objekt_to_list(objekt_create_explosion("wand", nullptr, 0, 0, 3),
                                  &at(px, py)->objekts);
    ScreenSpy spy({{KEY_E}, {}, {KEY_2}, {}, {KEY_ENTER}, {}, {KEY_SPACE}, {}}, 1);
    user_act();
    BITMAP* shot = spy.shot();
    EXPECT_TRUE(has_text(shot, "Wich do you want to eat?", 411, 340, 0xffffff));
    EXPECT_TRUE(has_text(shot, "1 - stone", 411, 356, 0xffffff));
    EXPECT_TRUE(has_text(shot, "2 - explosion of wand", 411, 372, 0xffffff));
    EXPECT_TRUE(has_text(shot, "0 - Nothing", 411, 388, 0xffffff));
    EXPECT_EQ(turn_line(1), "It was too hard to catch");
}

TEST_F(TurnAct, DeadlyFoodLeavesTheCorpseBesideIt) {
    objekt_* bread = turn_plain(objekt_create_bread());
    bread->props->health = -100;
    objektlist_add_objekt_to_list(bread, &at(px, py)->objekts);
    keys_press(KEY_E);
    keys_press(KEY_Y);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(end_game, END_FOOD);
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"You ate a bread from the floor", "It killed you"}));
    EXPECT_EQ(turn_names(at(px, py)->objekts), (std::vector<std::string>{"bread", "corpse of "}));
    EXPECT_EQ(at(px, py)->being, nullptr);
}

// ---- zapping and the inventory key ----

/// Puts a wand with zap damage 17 into the player's hand.
objekt_* wield_wand(character_* player) {
    objekt_* wand = turn_plain(objekt_create_wand());
    wand->props->zap_damage = 17;
    wand->in_use = 1;
    player->weapon = wand;
    objektlist_add_objekt_to_list(wand, &player->inventory);
    character_calculate_properties(player, &users_calculated_properties);
    return wand;
}

TEST_F(TurnAct, ZappingAimsWithTheKeypadAndFiveHitsTheOwnTile) {
    wield_wand(player);
    ScreenSpy spy({{KEY_Z}, {}, {KEY_5_PAD}, {}}, 1);
    user_act();
    EXPECT_TRUE(has_text_centre(spy.shot(), "Zapping...", 512, 384, 0x7f7f00));
    objekt_* burst = objektlist_get(at(px, py)->objekts, 0);
    ASSERT_NE(burst, nullptr);
    EXPECT_STREQ(burst->name, "explosion of wand");
    EXPECT_EQ(burst->step_x, 0);
    EXPECT_EQ(burst->step_y, 0);
    EXPECT_EQ(burst->power, 17);
    EXPECT_EQ(turn_line(), "You zapped your wand");
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 2 * (40.0f * 3 / 600.0f));
}

TEST_F(TurnAct, WhileAimingOtherKeysAreIgnored) {
    wield_wand(player);
    for (int k : {KEY_Z, KEY_SPACE, KEY_E, KEY_D, KEY_7_PAD})
        keys_press(k);
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(end_game, 0);
    objekt_* burst = objektlist_get(at(px - 1, py - 1)->objekts, 0);
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->step_x, -1);
    EXPECT_EQ(burst->step_y, -1);
    EXPECT_EQ(turn_lines(2), (std::vector<std::string>{"", "You zapped your wand"}));
}

/// Escape and Q at each wait of play (the cave, the inventory, aiming the
/// wand) ask first. N, or Escape, leaves the wait as it was, its screen too,
/// and its next key acts; Y ends the game as the key always did.
TEST_F(TurnAct, EndingAsksFirstAtEveryWait) {
    struct wait_ {
        int open;         // the key that reaches the wait (0: the cave's own)
        int next;         // the key it then takes
        const char* line; // the line that key leaves, after no
        const char* yes;  // the line left after yes
    };
    const wait_ waits[] = {
        {0, KEY_SPACE, "This seemed to be a good time to stand still", ""},
        {KEY_I, KEY_I, "You fiddled with your inventory", "You fiddled with your inventory"},
        {KEY_Z, KEY_5_PAD, "You zapped your wand", ""}};
    BITMAP* before = create_bitmap(1024, 768);
    wield_wand(player);
    for (const wait_& w : waits)
        for (int ender : {KEY_ESC, KEY_Q})
            for (int answer : {KEY_N, KEY_ESC, KEY_Y}) {
                SCOPED_TRACE(testing::Message() << w.line << ", " << ender << ", " << answer);
                end_game = escape_ended = 0;
                event_history_clear();
                keys_reset();
                draw_picture(step);
                if (w.open)
                    keys_press(w.open);
                keys_call([&] { blit(screen, before, 0, 0, 0, 0, 1024, 768); });
                keys_press(ender);
                bool asked = false;
                int differ = -1;
                keys_call([&] {
                    asked = has_text_centre(screen, "Do you want to end this game?", 512, 340,
                                            0xffffff);
                });
                keys_press(answer);
                keys_call([&] { differ = screens_differ(screen, before); });
                keys_press(w.next);
                user_act();
                EXPECT_TRUE(asked);
                if (answer != KEY_Y) {
                    EXPECT_EQ(differ, 0);
                    EXPECT_EQ(end_game, 0);
                    EXPECT_EQ(escape_ended, 0);
                    EXPECT_EQ(turn_line(), w.line);
                    continue;
                }
                EXPECT_EQ(end_game, ender == KEY_Q ? END_QUIT : 0);
                EXPECT_EQ(escape_ended, ender == KEY_ESC);
                EXPECT_EQ(turn_line(), w.yes);
            }
    destroy_bitmap(before);
}

TEST_F(TurnAct, WithoutTheWandZDoesNothing) {
    objekt_* stick = turn_plain(objekt_create_stick());
    stick->in_use = 1;
    player->weapon = stick;
    objektlist_add_objekt_to_list(stick, &player->inventory);
    keys_press(KEY_Z);
    keys_press(KEY_SPACE);
    user_act();
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(at(px, py)->objekts, nullptr);
    EXPECT_EQ(turn_line(), "This seemed to be a good time to stand still");
}

TEST_F(TurnAct, AnEmptyInventoryIsStillATurnAtTheInventory) {
    ScreenSpy spy({{KEY_I}, {}, {KEY_SPACE}, {}}, 1);
    user_act();
    EXPECT_TRUE(has_text_centre(spy.shot(), "Your inventory is empty!", 512, 384, 0xff0000));
    EXPECT_EQ(spy.remaining(), 2);
    EXPECT_EQ(turn_line(), "You fiddled with your inventory");
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT);
}

} // namespace
