// turn_fixture: a hand-built room with the player in it, items made to
// measure, the history's newest lines, and a keyboard that photographs the
// screen while the game waits for a key.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless.h"
#include "main/game.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/room.h"
#include "world/tile.h"

/// A room of the given number: walls all round the edge, floor inside.
room_* turn_make_room(int number);

/// Appends a room to the cave.
void turn_link_room(room_* room);

/// Gives an item an all-zero effect; returns it.
objekt_* turn_plain(objekt_* item);

/// The history line `back` lines above the newest (0 = the newest).
std::string turn_line(int back = 0);

/// The newest `count` history lines, oldest first.
std::vector<std::string> turn_lines(int count);

/// Names of the items of a list, in order.
std::vector<std::string> turn_names(objektlist_* list);

/// Number of beings standing in a room.
int turn_count_beings(room_* room);

/// A keyboard playing its own steps (the keys held after each poll) that
/// copies the screen just before it plays step `shot_before`.
class ScreenSpy {
  public:
    ScreenSpy(const std::vector<std::vector<int>>& steps, int shot_before);
    ~ScreenSpy();
    BITMAP* shot() const;
    int remaining() const;
};

/// The player standing in room 1 of a one-room cave.
class TurnTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    /// The tile at (x, y) of the current room.
    tile* at(int x, int y) { return &current_room->tiles[x][y]; }

    /// Sets the player's own stats and works out the calculated ones.
    void stats(float strength, float health, float fullness, int damage = 0, int armor = 0,
               int zap = 0);

    /// Works out the calculated stats again, as a frame redraw would.
    void recalc();

    /// Moves the player to (x, y) of the current room.
    void place(int x, int y);

    character_* player = nullptr;
    int px = 10, py = 10; // where the player stands
};
