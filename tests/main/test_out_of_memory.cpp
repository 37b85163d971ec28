// Out-of-memory tests: whole games played with scripted hands while the n-th
// zero-filled allocation fails, or every allocation from the n-th on, for
// every n the game reaches (every k-th n when CAVE_OOM_STRIDE is k). Each
// game must run to its end screens and the "Play again?" question, end with
// one of the eight causes, and leave its world released.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "headless.h"
#include "main/game.h"
#include "readme.h"
#include "screens/highscore.h"
#include "shell/history.h"
#include "table_folder.h"
#include "turn/act_rules.h"
#include "world/alloc.h"
#include "world/room.h"

namespace {

/// The world every game of these tests is played in.
constexpr unsigned game_seed = 8;

/// The sweep is cut into parts of this many allocations, each its own test.
constexpr int sweep_part = 5;
constexpr int sweep_parts = 40;

/// Every how many failure points the sweep plays: all of them unless
/// CAVE_OOM_STRIDE asks for every k-th only (./check plays a stride, the soak
/// script the whole sweep).
int sweep_stride() {
    const char* s = getenv("CAVE_OOM_STRIDE");
    int stride = s ? atoi(s) : 1;
    return stride > 1 ? stride : 1;
}

/// Presses of play before the hands only look for the way to the end.
constexpr int play_presses = 160;

/// What the hands do at one press of their cycle.
enum hand_move {
    H_SEEK, // a step toward the nearest unexplored door
    H_KEY   // the key of the line
};

struct hand_step {
    hand_move move;
    int scancode;
};

// The cycle of play: walk to doors (new rooms, new creatures, fights), pick
// up and answer, eat from the floor, list numbers, the inventory screen with
// use, moves, drop and eat, a zap with its aim, standing still.
// move    key
constexpr hand_step play_cycle[] = {
    {H_SEEK, 0},        {H_SEEK, 0},    {H_SEEK, 0},        {H_SEEK, 0},        {H_KEY, KEY_P},
    {H_KEY, KEY_Y},     {H_KEY, KEY_1}, {H_KEY, KEY_ENTER}, {H_SEEK, 0},        {H_SEEK, 0},
    {H_KEY, KEY_E},     {H_KEY, KEY_Y}, {H_KEY, KEY_2},     {H_KEY, KEY_ENTER}, {H_SEEK, 0},
    {H_KEY, KEY_I},     {H_KEY, KEY_U}, {H_KEY, KEY_6_PAD}, {H_KEY, KEY_E},     {H_KEY, KEY_D},
    {H_KEY, KEY_I},     {H_SEEK, 0},    {H_KEY, KEY_Z},     {H_KEY, KEY_8_PAD}, {H_SEEK, 0},
    {H_KEY, KEY_SPACE}, {H_SEEK, 0},    {H_SEEK, 0},
};

// Once play is over: Escape leaves play (Y says yes to ending it, as to the
// questions of the end screens) and the boxes, a digit and Enter close a
// number list.
constexpr int end_cycle[] = {KEY_ESC, KEY_Y, KEY_1, KEY_ENTER};

int presses = 0;
int rooms_seen = 0;

/// 1 if a step onto (x, y) of the current room meets a wall or the edge.
bool blocked(int x, int y) {
    return !room_in_grid(x, y) || tile_is_wall(&current_room->tiles[x][y]);
}

/// The keypad key of a step from the player toward the nearest door that
/// leads nowhere yet (any door if all are explored); keypad 6 without one.
int seek_key() {
    int x = 0, y = 0;
    if (!act_find_player(current_room, &x, &y))
        return KEY_6_PAD;
    int best = -1, tx = x, ty = y;
    for (int i = 0; i < ROOM_WIDTH; i++)
        for (int j = 0; j < ROOM_HEIGHT; j++) {
            const tile* t = &current_room->tiles[i][j];
            int d = abs(i - x) + abs(j - y) + (t->door_target ? 1000 : 0);
            if (tile_is_door(t) && (best < 0 || d < best)) {
                best = d;
                tx = i;
                ty = j;
            }
        }
    int dx = (tx > x) - (tx < x), dy = (ty > y) - (ty < y);
    if (dx && dy && blocked(x + dx, y + dy)) {
        if (!blocked(x + dx, y))
            dy = 0;
        else
            dx = 0;
    }
    static constexpr int pad[3][3] = {{KEY_7_PAD, KEY_8_PAD, KEY_9_PAD},
                                      {KEY_4_PAD, KEY_5_PAD, KEY_6_PAD},
                                      {KEY_1_PAD, KEY_2_PAD, KEY_3_PAD}};
    return pad[dy + 1][dx + 1];
}

/// The hands: press the next key of the cycle, then come back for another.
void hands_next() {
    int n = presses++;
    int rooms = 0;
    for (room_* r = cave; r; r = r->next)
        rooms++;
    rooms_seen = rooms > rooms_seen ? rooms : rooms_seen;
    int scancode;
    if (n < play_presses) {
        const hand_step& s = play_cycle[n % (sizeof play_cycle / sizeof play_cycle[0])];
        scancode = s.move == H_SEEK ? seek_key() : s.scancode;
    } else {
        scancode = end_cycle[n % (sizeof end_cycle / sizeof end_cycle[0])];
    }
    keys_hold_only({scancode});
    keys_release();
    keys_call(hands_next);
}

/// What one game left behind.
struct game_outcome {
    int answer;
    int cause;
    int rooms; // rooms made, counted at the last look during play
    long allocations;
    bool released;
    bool table_written;
    bool history_says_no_cave;
};

/// Games in a folder of their own, so that their table is theirs.
class OutOfMemory : public TableFolderTest {
  public:
    void TearDown() override {
        alloc_fail_at(0);
        TableFolderTest::TearDown();
    }

    /// Plays one whole game with the n-th allocation from its start failing
    /// (every one from the n-th on with `every`; n = 0 for none).
    game_outcome play(long n, bool every) {
        keys_reset();
        keys_set_exhaust_limit(2000);
        unlink(file.c_str());
        presses = 0;
        rooms_seen = 0;
        max_hp = 30.0f;
        srand(game_seed);
        keys_press(KEY_SPACE); // the title
        keys_type("Memo\r");
        for (int i = 0; i < 5; i++)
            keys_press(KEY_A);
        keys_call(hands_next);
        long before = alloc_count();
        alloc_fail_at(n, every);
        game_outcome out = {};
        out.answer = game_play_one();
        alloc_fail_at(0);
        out.allocations = alloc_count() - before;
        out.cause = end_game;
        out.rooms = rooms_seen;
        out.released = cave == nullptr && current_room == nullptr && user == nullptr;
        struct stat st;
        out.table_written = stat(file.c_str(), &st) == 0 && st.st_size > 0;
        for (auto& line : event_history)
            if (strcmp(line, "The cave could not be made: out of memory") == 0)
                out.history_says_no_cave = true;
        return out;
    }

    /// Checks what every game must leave, whatever memory it had.
    void expect_clean_end(const game_outcome& out, long n, bool every) {
        SCOPED_TRACE(testing::Message() << "allocation " << n << (every ? " on" : "") << " failed");
        EXPECT_GE(out.cause, 0);
        EXPECT_LE(out.cause, 7);
        EXPECT_TRUE(out.released);
        EXPECT_TRUE(out.table_written); // the end screens ran to the table
    }
};

} // namespace

TEST_F(OutOfMemory, TheScriptedGameReachesManyAllocations) {
    game_outcome out = play(0, false);
    expect_clean_end(out, 0, false);
    EXPECT_GE(out.allocations, 120);
    EXPECT_LE(out.allocations, sweep_part * sweep_parts); // the sweep covers them all
    EXPECT_GE(out.rooms, 6);
    printf("the scripted game: %ld allocations, %d rooms, end cause %d; the sweep plays one "
           "failure point in %d\n",
           out.allocations, out.rooms, out.cause, sweep_stride());
    EXPECT_FALSE(out.history_says_no_cave);
    // The README tells this game's figures and the sweep's size.
    const auto told = readme_match("one scripted game \\(seed (\\d+), (\\d+) rooms, (\\d+) "
                                   "allocations\\).*?for n from 1 to (\\d+): (\\d+) failure points");
    ASSERT_EQ(told.size(), 5u) << "the README names the scripted game's seed, rooms, allocations";
    EXPECT_EQ(readme_number(told[0]), game_seed);
    EXPECT_EQ(readme_number(told[1]), out.rooms);
    EXPECT_EQ(readme_number(told[2]), out.allocations);
    EXPECT_EQ(readme_number(told[3]), sweep_part * sweep_parts);
    EXPECT_EQ(readme_number(told[4]), 2 * sweep_part * sweep_parts);
}

TEST_F(OutOfMemory, NoMemoryAtAllEndsTheGameWithAMessage) {
    game_outcome out = play(1, true);
    expect_clean_end(out, 1, true);
    EXPECT_TRUE(out.history_says_no_cave);
    EXPECT_EQ(out.cause, END_RUNNING);
    EXPECT_EQ(out.allocations, 1); // the first room was asked for, and nothing else
}

TEST_F(OutOfMemory, NoPlayerEndsTheGameWithTheSameMessage) {
    // The first room is the first allocation, the player record the second
    // and the player's stats the third.
    for (long n : {2, 3}) {
        game_outcome out = play(n, false);
        expect_clean_end(out, n, false);
        EXPECT_TRUE(out.history_says_no_cave) << n;
        EXPECT_EQ(out.cause, END_RUNNING) << n;
    }
}

/// One part of the sweep over the allocations of the scripted game.
class OutOfMemorySweep : public OutOfMemory, public ::testing::WithParamInterface<int> {};

TEST_P(OutOfMemorySweep, EveryFailurePointEndsTheGameCleanly) {
    const int stride = sweep_stride();
    int played = 0;
    for (long n = GetParam() * sweep_part + 1; n <= (GetParam() + 1) * sweep_part; n++) {
        if ((n - 1) % stride != 0)
            continue;
        played++;
        expect_clean_end(play(n, false), n, false);
        expect_clean_end(play(n, true), n, true);
        if (HasFailure())
            return;
    }
    if (played == 0)
        GTEST_SKIP() << "no failure point of this part is on the stride of " << stride;
}

INSTANTIATE_TEST_SUITE_P(Allocations, OutOfMemorySweep, ::testing::Range(0, sweep_parts));
