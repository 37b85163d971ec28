// creatures_fixture: hand-built rooms with creatures and explosions placed by
// the test, for the world turn, monster movement and explosion suites.
#pragma once
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "creatures/explosion.h"
#include "creatures/monster_move.h"
#include "creatures/world_turn.h"
#include "headless.h"
#include "main/game.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "world/alloc.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/room.h"
#include "world/tile.h"

/// Odds so long that a creature practically never turns on its own.
constexpr int32_t NEVER = INT_MAX;

class cave_test : public ::testing::Test {
  protected:
    room_* room = nullptr;
    character_* player = nullptr;

    void SetUp() override {
        headless_init();
        event_history_clear();
        end_game = END_RUNNING;
        user = nullptr;
        srand(1);
        room = make_room();
    }

    void TearDown() override {
        room_remove_all(room);
        character_remove(player);
        user = nullptr;
        end_game = END_RUNNING;
    }

    /// A room with walls all round its edge and floor everywhere inside.
    static room_* make_room() {
        room_* r = static_cast<room_*>(alloc_zeroed(sizeof(room_)));
        r->number = 1;
        for (int x = 0; x < ROOM_WIDTH; x++)
            for (int y = 0; y < ROOM_HEIGHT; y++) {
                bool edge = x == 0 || y == 0 || x == ROOM_WIDTH - 1 || y == ROOM_HEIGHT - 1;
                if (edge)
                    tile_create_wall(&r->tiles[x][y]);
                else
                    tile_create_floor(&r->tiles[x][y]);
            }
        return r;
    }

    tile* at(int x, int y) { return &room->tiles[x][y]; }

    /// A creature of the catalogue with plain stats that notices nothing,
    /// never turns on its own and heads (dx, dy).
    character_* put(character_breed breed, int x, int y, int dx = 0, int dy = 0) {
        character_* c = character_create_breed(breed);
        *c->props = properties{10, 100, 0, 10, 10, 0};
        c->sight = 0;
        c->alertness = 0;
        c->turn_x_odds = NEVER;
        c->turn_y_odds = NEVER;
        c->dir_x = dx;
        c->dir_y = dy;
        tile_put_character(at(x, y), c);
        return c;
    }

    /// The player on (x, y) with the given health and armor, its effective
    /// stats brought up to date.
    character_* put_player(int x, int y, float health = 100, int armor = 0) {
        player = character_create_user();
        *player->props = properties{30, health, armor, 30, 5, 0};
        user = player;
        character_calculate_properties(player, &users_calculated_properties);
        tile_put_character(at(x, y), player);
        return player;
    }

    /// An explosion of the wand's picture laid on (x, y).
    objekt_* put_explosion(int x, int y, int step_x, int step_y, int power) {
        objekt_* e = objekt_create_explosion("wand", zappic[0], step_x, step_y, power);
        objektlist_add_objekt_to_list(e, &at(x, y)->objekts);
        return e;
    }

    /// The position of a being in the room, or (-1, -1).
    void find(const character_* being, int* x, int* y) {
        *x = *y = -1;
        for (int cx = 0; cx < ROOM_WIDTH; cx++)
            for (int cy = 0; cy < ROOM_HEIGHT; cy++)
                if (room->tiles[cx][cy].being == being) {
                    *x = cx;
                    *y = cy;
                }
    }

    /// Tells whether the being stands on (x, y).
    ::testing::AssertionResult stands(const character_* being, int x, int y) {
        int fx, fy;
        find(being, &fx, &fy);
        if (fx == x && fy == y)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "stands on (" << fx << ", " << fy << "), wanted (" << x << ", " << y << ")";
    }

    /// The newest line of the message log, or one `back` lines older.
    static std::string line(int back = 0) { return event_history[EVENT_HISTORY_LINES - 1 - back]; }
};

/// The first seed from 1 on whose draws satisfy `wanted` (given the freshly
/// seeded generator); the generator is left seeded with it.
inline unsigned seed_where(const std::function<bool()>& wanted) {
    for (unsigned seed = 1;; seed++) {
        srand(seed);
        if (wanted()) {
            srand(seed);
            return seed;
        }
    }
}

/// Draws n numbers and throws them away.
inline void skip_draws(int n) {
    for (int i = 0; i < n; i++)
        rand();
}
