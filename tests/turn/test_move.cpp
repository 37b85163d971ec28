// Tests of the player's step: walking, blows, talk, and doors into new and
// known rooms, the way out, and a creature standing where the player arrives.
#include "turn_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "shell/history.h"
#include "turn/act.h"
#include "turn/act_rules.h"
#include "turn/move.h"
#include "world/alloc.h"

namespace {

class TurnMove : public TurnTest {
  protected:
    /// One step of the player in direction (dx, dy).
    void step_to(int dx, int dy) {
        player->dir_x = dx;
        player->dir_y = dy;
        user_move(px, py);
        int x = 0, y = 0;
        if (act_find_player(current_room, &x, &y)) {
            px = x;
            py = y;
        }
    }

    /// A creature of the catalogue on (x, y) with the given health and armor.
    character_* put(character_* being, int x, int y, float health = 30, int armor = 0) {
        being->props->health = health;
        being->props->armor = armor;
        tile_put_character(at(x, y), being);
        return being;
    }
};

TEST_F(TurnMove, WalkingLeavesTheItemsOnTheFloor) {
    objektlist_add_objekt_to_list(turn_plain(objekt_create_bread()), &at(11, 10)->objekts);
    step_to(1, 0);
    EXPECT_EQ(at(11, 10)->being, player);
    EXPECT_EQ(at(10, 10)->being, nullptr);
    EXPECT_EQ(player->inventory, nullptr);
    EXPECT_EQ(turn_names(at(11, 10)->objekts), std::vector<std::string>{"bread"});
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 80.0f / 600.0f);
    EXPECT_EQ(turn_line(), "");
}

TEST_F(TurnMove, AKillingBlowLeavesRemainsAndTrainsTheWeak) {
    stats(20, 30, 50, 35);
    put(character_create_GreenDevil(), 11, 10, 11, 25); // 35 / (25 / 10 + 1) = 11
    step_to(1, 0);
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"You hit GreenDevil", "You killed GreenDevil"}));
    EXPECT_EQ(player->kills, 1);
    EXPECT_EQ(at(11, 10)->being, nullptr);
    EXPECT_EQ(objektlist_count_stuff(at(11, 10)->objekts), 1);
    EXPECT_EQ(at(10, 10)->being, player); // the player stays put
    EXPECT_FLOAT_EQ(player->props->strength, 22.0f);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 20.0f * 3 / 600.0f);
}

TEST_F(TurnMove, ABlowThatLeavesOneHealthPointDoesNotKill) {
    stats(20, 30, 50, 35);
    character_* devil = put(character_create_GreenDevil(), 11, 10, 12, 25);
    step_to(1, 0);
    EXPECT_FLOAT_EQ(devil->props->health, 1.0f);
    EXPECT_EQ(at(11, 10)->being, devil);
    EXPECT_EQ(turn_line(), "You hit GreenDevil");
    EXPECT_EQ(player->kills, 0);
}

TEST_F(TurnMove, AHarmlessBlowStillTrainsAndCosts) {
    stats(40, 30, 50, 5);
    character_* devil = put(character_create_GreenDevil(), 10, 9, 20, 100); // 5 / 11 = 0
    step_to(0, -1);
    EXPECT_FLOAT_EQ(devil->props->health, 20.0f);
    EXPECT_EQ(turn_line(), "You hit GreenDevil");
    EXPECT_FLOAT_EQ(player->props->strength, 40.0f + 31.0f / 41.0f);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 40.0f * 3 / 600.0f);
}

TEST_F(TurnMove, FoodCostsAreTakenInFloatButATalkInDouble) {
    // Strengths at which the two ways of working out a cost part company.
    float s = 86.8f;
    stats(s, 30, 50, 5);
    put(character_create_GreenDevil(), 11, 10, 20, 100);
    step_to(1, 0);
    EXPECT_EQ(player->props->fullness, 50.0f - s * 3 / 600);
    EXPECT_NE(player->props->fullness, 50.0f - static_cast<float>(s * 3.0 / 600));
    s = 67.8f;
    stats(s, 30, 50);
    put(character_create_Rat(), 10, 9);
    step_to(0, -1);
    EXPECT_EQ(player->props->fullness, static_cast<float>(50.0f - s * 1.1 / 600));
    EXPECT_NE(player->props->fullness, 50.0f - static_cast<float>(s * 1.1 / 600));
}

TEST_F(TurnMove, NegativeStatsOfTheStruckAreClampedFirst) {
    stats(40, 30, 50, 10);
    character_* devil = put(character_create_GreenDevil(), 11, 10, 20, -50);
    step_to(1, 0);
    EXPECT_EQ(devil->props->armor, 0);
    EXPECT_FLOAT_EQ(devil->props->health, 10.0f);
}

struct Talk {
    character_* (*make)();
    const char* name;
    const char* answer; // null: no second line
};

TEST_F(TurnMove, NeutralCreaturesAnswerByName) {
    const Talk talks[] = {
        {character_create_CrazyBaker, "CrazyBaker",
         "He stares at you and talks about bread... lovely bread..."},
        {character_create_LittleSpider, "LittleSpider",
         "It answers you, but you can't understand its language"},
        {character_create_Rat, "rat", "Are you maybe going crazy?"},
        {character_create_Bat, "bat", "It sqeeks at you!"},
        {character_create_Gnome, "gnome",
         "She tells you of the wonders of her people. And an evil wizard..."},
    };
    float fullness = 50.0f;
    for (const Talk& talk : talks) {
        character_* creature = put(talk.make(), 11, 10);
        step_to(1, 0);
        EXPECT_EQ(turn_line(1), std::string("You talk to ") + talk.name);
        EXPECT_EQ(turn_line(), talk.answer);
        EXPECT_EQ(at(11, 10)->being, creature);
        EXPECT_FLOAT_EQ(creature->props->health, 30.0f);
        fullness = static_cast<float>(fullness - 40.0f * 1.1 / 600);
        EXPECT_EQ(player->props->fullness, fullness);
        tile_remove_character(at(11, 10));
        character_remove(creature);
        recalc();
    }
}

TEST_F(TurnMove, AStrangerGetsNoAnswer) {
    character_* stranger = put(character_create_Rat(), 11, 10);
    snprintf(stranger->name, sizeof stranger->name, "%s", "mole");
    step_to(1, 0);
    EXPECT_EQ(turn_lines(2), (std::vector<std::string>{"", "You talk to mole"}));
}

TEST_F(TurnMove, TheNextRoomNumberFillsGaps) {
    EXPECT_EQ(move_free_room_number(), 2);
    room_* four = turn_make_room(4);
    turn_link_room(four);
    room_* two = turn_make_room(2);
    turn_link_room(two);
    EXPECT_EQ(move_free_room_number(), 3);
    turn_link_room(turn_make_room(3));
    EXPECT_EQ(move_free_room_number(), 5);
    current_room->number = 7;
    EXPECT_EQ(move_free_room_number(), 1);
}

TEST_F(TurnMove, AnUnexploredDoorMakesTheNextRoomBehindIt) {
    srand(11);
    tile_create_door(at(10, 0), 0, 'u');
    place(10, 1);
    room_* first = current_room;
    step_to(0, -1);
    ASSERT_NE(current_room, first);
    EXPECT_EQ(first->next, current_room);
    EXPECT_EQ(current_room->number, 2);
    EXPECT_EQ(room_number, 2);
    EXPECT_EQ(first->tiles[10][0].door_target, 2);
    tile* back = at(10, 19);
    EXPECT_TRUE(tile_is_door(back));
    EXPECT_EQ(back->door_target, 1);
    EXPECT_EQ(back->door_side, 'n');
    EXPECT_EQ(at(10, 18)->being, player);
    EXPECT_EQ(first->tiles[10][1].being, nullptr);
    EXPECT_EQ(turn_line(), "You went into a new room");
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - 80.0f / 600.0f);
}

struct Passage {
    int door_x, door_y;
    char side;
    int from_x, from_y, dx, dy;
    int new_door_x, new_door_y;
    char new_side;
    int arrive_x, arrive_y;
};

TEST_F(TurnMove, EverySideLeadsToTheOppositeEdge) {
    const Passage passages[] = {
        {10, 0, 'u', 10, 1, 0, -1, 10, 19, 'n', 10, 18},
        {10, 19, 'n', 10, 18, 0, 1, 10, 0, 'u', 10, 1},
        {27, 10, 'h', 26, 10, 1, 0, 0, 10, 'v', 1, 10},
        {0, 10, 'v', 1, 10, -1, 0, 27, 10, 'h', 26, 10},
        // diagonal steps arrive one off the door's line
        {6, 0, 'u', 5, 1, 1, -1, 6, 19, 'n', 5, 18},
        {27, 4, 'h', 26, 5, 1, -1, 0, 4, 'v', 1, 5},
        {12, 19, 'n', 13, 18, -1, 1, 12, 0, 'u', 13, 1},
    };
    for (const Passage& p : passages) {
        room_* first = cave;
        current_room = first;
        srand(3);
        tile_create_door(&first->tiles[p.door_x][p.door_y], 0, p.side);
        place(p.from_x, p.from_y);
        step_to(p.dx, p.dy);
        ASSERT_NE(current_room, first) << p.side;
        tile* door = at(p.new_door_x, p.new_door_y);
        EXPECT_TRUE(tile_is_door(door)) << p.side;
        EXPECT_EQ(door->door_side, p.new_side);
        EXPECT_EQ(door->door_target, 1);
        EXPECT_EQ(at(p.arrive_x, p.arrive_y)->being, player) << p.side;
        // Leave the new room behind: the next passage starts from room 1 again.
        tile_remove_character(at(p.arrive_x, p.arrive_y));
        room_remove_all(first->next);
        first->next = nullptr;
        tile_create_wall(&first->tiles[p.door_x][p.door_y]);
        current_room = first;
        px = p.from_x;
        py = p.from_y;
        tile_put_character(at(px, py), player);
    }
}

TEST_F(TurnMove, DoorsLeadBackAndForthBetweenTheSameRooms) {
    srand(5);
    tile_create_door(at(10, 0), 0, 'u');
    place(10, 1);
    room_* first = current_room;
    step_to(0, -1);
    room_* second = current_room;
    ASSERT_NE(second, first);
    step_to(0, 1); // through the door the player came in by
    EXPECT_EQ(current_room, first);
    EXPECT_EQ(room_number, 1);
    EXPECT_EQ(at(10, 1)->being, player);
    EXPECT_EQ(turn_line(), "You went into another room... it feels familiar");
    step_to(0, -1);
    EXPECT_EQ(current_room, second);
    EXPECT_EQ(at(10, 18)->being, player);
    EXPECT_EQ(second->next, nullptr); // no third room was made
}

TEST_F(TurnMove, AGeneratedCaveKeepsItsDoorsStraight) {
    srand(21);
    room_remove_all(cave);
    cave = current_room = room_create_first();
    character_* first_user = room_find_user(current_room);
    int x = 0, y = 0;
    act_find_player(current_room, &x, &y);
    tile_remove_character(at(x, y));
    character_remove(first_user);
    recalc(); // making that player worked out its stats instead of ours
    // Walk through every door of the first room and straight back again.
    room_* first = cave;
    int passed = 0;
    for (int dx = 0; dx < ROOM_WIDTH; dx++)
        for (int dy = 0; dy < ROOM_HEIGHT; dy++) {
            if (!tile_is_door(&first->tiles[dx][dy]))
                continue;
            tile* door = &first->tiles[dx][dy];
            int ix = dx, iy = dy, sx = 0, sy = 0;
            switch (door->door_side) {
            case 'u':
                iy = 1, sy = -1;
                break;
            case 'n':
                iy = 18, sy = 1;
                break;
            case 'h':
                ix = 26, sx = 1;
                break;
            default:
                ix = 1, sx = -1;
                break;
            }
            current_room = first;
            px = ix;
            py = iy;
            if (at(px, py)->being) // the first room holds nobody but the player
                continue;
            tile_put_character(at(px, py), player);
            step_to(sx, sy);
            room_* behind = current_room;
            ASSERT_NE(behind, first);
            EXPECT_EQ(behind->number, door->door_target);
            step_to(-sx, -sy);
            EXPECT_EQ(current_room, first);
            EXPECT_EQ(at(ix, iy)->being, player);
            tile_remove_character(at(ix, iy));
            passed++;
        }
    EXPECT_GE(passed, 1);
    px = 10;
    py = 10;
    current_room = first;
    tile_put_character(at(px, py), player);
    EXPECT_EQ(move_free_room_number(), passed + 2);
}

TEST_F(TurnMove, NoWayOutBeforeRoomTwentySix) {
    tile_create_door(at(10, 0), 0, 'u');
    for (int number = 1; number <= 25; number++)
        for (unsigned seed = 0; seed < 12; seed++) {
            current_room->number = number;
            srand(seed);
            place(10, 1);
            step_to(0, -1);
            ASSERT_EQ(end_game, 0) << number << " " << seed;
            ASSERT_NE(current_room, cave);
            tile_remove_character(at(px, py));
            room_remove_all(cave->next);
            cave->next = nullptr;
            current_room = cave;
            cave->tiles[10][0].door_target = 0;
            px = 10;
            py = 1;
            tile_put_character(at(px, py), player);
        }
}

TEST_F(TurnMove, FromRoomTwentySixTheDoorMayBeTheWayOut) {
    current_room->number = 26;
    tile_create_door(at(10, 0), 0, 'u');
    place(10, 1);
    int found = 0;
    for (unsigned seed = 0; seed < 540; seed++) {
        srand(seed);
        bool expected = rand() % 27 - 25 > 0;
        srand(seed);
        step_to(0, -1);
        ASSERT_EQ(end_game == END_WAY_OUT, expected) << seed;
        if (expected) {
            found++;
            EXPECT_EQ(at(10, 0)->kind, TILE_DOOR_OUT);
            EXPECT_EQ(at(10, 1)->being, player); // the player stays
            EXPECT_FLOAT_EQ(player->props->fullness, 50.0f);
            EXPECT_EQ(turn_line(), "Oh, joy! You found the way out!");
            end_game = 0;
            tile_create_door(at(10, 0), 0, 'u');
        } else {
            tile_remove_character(at(px, py));
            room_remove_all(cave->next);
            cave->next = nullptr;
            current_room = cave;
            cave->tiles[10][0].door_target = 0;
            place(10, 1);
            player->props->fullness = 50.0f;
        }
    }
    // About one in 27.
    EXPECT_GT(found, 5);
    EXPECT_LT(found, 45);
}

TEST_F(TurnMove, FindingTheWayOutWaitsForNoKey) {
    current_room->number = 60;
    tile_create_door(at(10, 0), 0, 'u');
    place(10, 1);
    unsigned seed = 0;
    for (;; seed++) { // a seed whose first draw is the way out
        srand(seed);
        if (rand() % 61 - 25 > 0)
            break;
    }
    srand(seed);
    keys_press(KEY_UP);
    user_act();
    EXPECT_EQ(end_game, END_WAY_OUT);
    EXPECT_EQ(keys_remaining(), 1); // Up's release is not waited for
}

TEST_F(TurnMove, WithoutMemoryForTheRoomThePlayerStays) {
    tile_create_door(at(10, 0), 0, 'u');
    place(10, 1);
    alloc_fail_at(1);
    step_to(0, -1);
    alloc_fail_at(0);
    EXPECT_EQ(current_room, cave);
    EXPECT_EQ(cave->next, nullptr);
    EXPECT_EQ(at(10, 1)->being, player);
    EXPECT_EQ(at(10, 0)->door_target, 0);
    EXPECT_EQ(room_number, 0);
    EXPECT_EQ(turn_line(), "");
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f);
}

/// Room 2 behind the top door of room 1, made earlier, with beings in it.
class TurnArrival : public TurnMove {
  protected:
    void SetUp() override {
        TurnMove::SetUp();
        tile_create_door(at(10, 0), 2, 'u');
        place(10, 1);
        second = turn_make_room(2);
        tile_create_door(&second->tiles[10][19], 1, 'n');
        turn_link_room(second);
    }
    character_* stand(int x, int y) {
        character_* being = character_create_Rat();
        tile_put_character(&second->tiles[x][y], being);
        return being;
    }
    room_* second = nullptr;
};

TEST_F(TurnArrival, ACreatureOnTheArrivalTileStepsAside) {
    character_* rat = stand(10, 18);
    character_* left = stand(9, 17);
    character_* above = stand(10, 17);
    step_to(0, -1);
    EXPECT_EQ(current_room, second);
    EXPECT_EQ(second->tiles[10][18].being, player);
    // Nearest ring first, row by row from the top, each row from the left.
    EXPECT_EQ(second->tiles[11][17].being, rat);
    EXPECT_EQ(second->tiles[9][17].being, left);
    EXPECT_EQ(second->tiles[10][17].being, above);
    EXPECT_EQ(turn_count_beings(second), 4);
}

TEST_F(TurnArrival, TheSearchGoesRowByRowThenOutward) {
    character_* rat = stand(10, 18);
    for (int x = 9; x <= 11; x++)
        stand(x, 17);
    stand(9, 18);
    step_to(0, -1);
    EXPECT_EQ(second->tiles[11][18].being, rat);
    EXPECT_EQ(turn_count_beings(second), 6);

    // With the whole first ring taken, the rat goes two tiles away.
    step_to(0, 1);
    EXPECT_EQ(current_room, cave);
    tile_remove_character(&second->tiles[11][18]);
    tile_put_character(&second->tiles[10][18], rat); // back where the player arrives
    stand(11, 18);
    step_to(0, -1);
    EXPECT_EQ(second->tiles[10][18].being, player);
    EXPECT_EQ(second->tiles[8][16].being, rat);
}

TEST_F(TurnArrival, WithNoFreeFloorThePlayerStaysBehindTheDoor) {
    for (int x = 1; x < ROOM_WIDTH - 1; x++)
        for (int y = 1; y < ROOM_HEIGHT - 1; y++)
            tile_create_wall(&second->tiles[x][y]);
    tile_create_floor(&second->tiles[10][18]);
    character_* rat = stand(10, 18);
    step_to(0, -1);
    EXPECT_EQ(current_room, cave);
    EXPECT_EQ(at(10, 1)->being, player);
    EXPECT_EQ(second->tiles[10][18].being, rat);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f);
}

} // namespace
