// state: the game in play, as plain globals every part of the game reads and
// writes: the rooms, the player, the turn's frame, how the game ended, the
// player's name and the player's effective stats.
#pragma once

#include "world/properties.h"

struct room_;
struct character_;

extern room_* cave;                            // every room of this game, first room at the head
extern room_* current_room;                    // the room the player is in
extern character_* user;                       // the player; stays valid after death
extern int step;                               // animation frame, 0 or 1
extern int end_game;                           // 0 while running, else the end cause
extern int escape_ended;                       // 1: ended with Escape, end_game staying 0
extern int room_number;                        // room last entered through a door
extern char username[150];                     // the player's name
extern float max_hp;                           // reference for the health thresholds
extern properties users_calculated_properties; // the player's effective stats

/// End causes of end_game.
enum {
    END_RUNNING = 0,
    END_WAY_OUT = 1,
    END_KILLED = 2,
    END_STARVED = 3,
    END_QUIT = 4,
    END_EXPLOSION = 5,
    END_MAGIC = 6,
    END_FOOD = 7
};
