// Generated rooms from known seeds: a plain model of the creatures replays
// every draw of each world turn, and every creature must end up where the
// model puts it, heading the same way.
#include "creatures_fixture.h"

#include <algorithm>
#include <vector>

namespace {

struct model_being {
    const character_* who;
    char kind;
    bool baker;
    int dir_x, dir_y;
    int odds_x, odds_y, special;
    int sight, alertness;
    float health;
    int armor, damage;
    bool moved;
};

/// The creatures of a room as plain numbers, and the tiles they may enter.
struct room_model {
    bool floor[ROOM_WIDTH][ROOM_HEIGHT];
    int at[ROOM_WIDTH][ROOM_HEIGHT]; // index into beings, -1 for nobody
    std::vector<model_being> beings;
    bool killed = false;

    explicit room_model(room_* room) {
        for (int x = 0; x < ROOM_WIDTH; x++)
            for (int y = 0; y < ROOM_HEIGHT; y++) {
                const tile& t = room->tiles[x][y];
                floor[x][y] = t.kind == TILE_FLOOR;
                at[x][y] = -1;
                if (!t.being)
                    continue;
                const character_* c = t.being;
                at[x][y] = static_cast<int>(beings.size());
                beings.push_back({c, c->kind, std::string(c->name) == "CrazyBaker", c->dir_x,
                                  c->dir_y, c->turn_x_odds, c->turn_y_odds, c->special_odds,
                                  c->sight, c->alertness, c->props->health, c->props->armor,
                                  c->props->damage, false});
            }
    }

    static int sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }
    static bool chance(int odds) { return rand() % std::max(1, odds) == 0; }

    /// Finds the first being in the square, row by row; its offset goes to
    /// *fdx, *fdy.
    bool look(int self, int x, int y, int r, bool player_only, int* fdx, int* fdy) {
        for (int dy = -r; dy <= r; dy++)
            for (int dx = -r; dx <= r; dx++) {
                int lx = x + dx, ly = y + dy;
                if (lx < 1 || lx > 26 || ly < 1 || ly > 18)
                    continue;
                int other = at[lx][ly];
                if (other < 0 || (player_only ? beings[other].kind != 'u' : other == self))
                    continue;
                *fdx = dx;
                *fdy = dy;
                return true;
            }
        return false;
    }

    void choose(int i, int x, int y) {
        model_being& b = beings[i];
        if (b.baker && chance(b.special))
            skip_draws(7); // the bread: its empty record, then its fullness
        int dx, dy;
        if (look(i, x, y, b.sight, true, &dx, &dy)) {
            b.dir_x = sign(dx);
            b.dir_y = sign(dy);
        } else if (look(i, x, y, b.alertness, false, &dx, &dy)) {
            int way = b.kind == 'm' ? 1 : -1;
            b.dir_x = way * sign(dx);
            b.dir_y = way * sign(dy);
        } else {
            if (chance(b.odds_x))
                b.dir_x = rand() % 3 - 1;
            if (chance(b.odds_y))
                b.dir_y = rand() % 3 - 1;
        }
    }

    /// One world turn of the creatures; stops early (killed) when a blow
    /// would kill a creature, whose remains are beyond this model.
    void turn() {
        for (int y = 0; y < ROOM_HEIGHT && !killed; y++)
            for (int x = 0; x < ROOM_WIDTH && !killed; x++) {
                int i = at[x][y];
                if (i < 0 || beings[i].kind == 'u' || beings[i].moved)
                    continue;
                choose(i, x, y);
                int tx = x + beings[i].dir_x, ty = y + beings[i].dir_y;
                if (floor[tx][ty] && at[tx][ty] < 0) {
                    at[tx][ty] = i;
                    at[x][y] = -1;
                } else if ((tx != x || ty != y) && floor[tx][ty] && beings[i].kind == 'm') {
                    strike(beings[i], beings[at[tx][ty]]);
                }
                beings[i].moved = true;
            }
    }

    void strike(const model_being& attacker, model_being& victim) {
        if (victim.kind == 'u')
            return; // the player's health moves nothing in this turn
        victim.armor = std::max(0, victim.armor);
        victim.health = std::max(0.0f, victim.health);
        victim.health -= attacker.damage / (victim.armor / 10 + 1);
        if (std::max(0.0f, victim.health) < 1.0f)
            killed = true;
    }
};

class seeded_turn : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        event_history_clear();
        end_game = END_RUNNING;
    }
};

} // namespace

TEST_F(seeded_turn, GeneratedRoomsEvolveExactlyAsTheDrawsSay) {
    int compared_turns = 0;
    int moves_seen = 0;
    for (int number : {2, 8, 14, 21}) {
        for (unsigned seed = 1; seed <= 12; seed++) {
            srand(seed);
            room_* head = nullptr;
            room_* room = room_add_new_room(&head, number, 7, 19, 1, 'n');
            ASSERT_NE(nullptr, room);
            character_* player = character_create_user();
            user = player;
            character_calculate_properties(player, &users_calculated_properties);
            tile_put_character(&room->tiles[7][18], player);
            for (int turn = 0; turn < 6; turn++) {
                room_model model(room);
                unsigned turn_seed = seed * 100 + turn;
                srand(turn_seed);
                model.turn();
                int model_next = rand();
                if (model.killed)
                    break;
                srand(turn_seed);
                monster_act(room);
                ASSERT_EQ(model_next, rand())
                    << "room " << number << ", seed " << seed << ", turn " << turn;
                for (int x = 0; x < ROOM_WIDTH; x++)
                    for (int y = 0; y < ROOM_HEIGHT; y++) {
                        int i = model.at[x][y];
                        const character_* real = room->tiles[x][y].being;
                        ASSERT_EQ(i < 0 ? nullptr : model.beings[i].who, real)
                            << "room " << number << ", seed " << seed << ", turn " << turn
                            << ", tile (" << x << ", " << y << ")";
                        if (!real)
                            continue;
                        EXPECT_EQ(model.beings[i].dir_x, real->dir_x);
                        EXPECT_EQ(model.beings[i].dir_y, real->dir_y);
                        moves_seen += model.beings[i].dir_x != 0 || model.beings[i].dir_y != 0;
                    }
                compared_turns++;
            }
            room_remove_all(head);
            character_remove(player);
            user = nullptr;
        }
    }
    EXPECT_GT(compared_turns, 150);
    EXPECT_GT(moves_seen, 100);
}
