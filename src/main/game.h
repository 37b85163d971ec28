// game: the global game state and the loop from the title screen to
// "Play again?".
#pragma once
#include <allegro.h>

#include "world/properties.h"

struct room_;
struct character_;

extern room_* cave;              // every room of this game, first room at the head
extern room_* current_room;      // the room the player is in
extern character_* user;         // the player; stays valid after death
extern int step;                 // animation frame, 0 or 1
extern int end_game;             // 0 while running, else the end cause
extern int room_number;          // room last entered through a door
extern char username[150];       // the player's name
extern float max_hp;             // reference for the health thresholds
extern properties users_calculated_properties; // the player's effective stats
extern BITMAP* bmp;              // back buffer, 1024 x 768
extern PALETTE pal;              // palette of the last loaded picture

/// End causes of end_game.
enum { END_RUNNING = 0, END_WAY_OUT = 1, END_KILLED = 2, END_STARVED = 3, END_QUIT = 4,
       END_EXPLOSION = 5, END_MAGIC = 6, END_FOOD = 7 };

/// Text colour of the end screen, kept across the games of a run.
extern int game_text_colour;

/// Sets the state every run starts with: max_hp, text colour, text mode,
/// the picture tables, the back buffer, and the random seed from the clock.
void game_init_state();

/// Plays one game from the title to "Play again?"; returns the answer.
int game_play_one();

/// The world part of a game: first room, the turn loop, until it ends.
void game_run_turns();

/// The end of a game: end screen, score, optional history, highscore table
/// and "Play again?"; returns the answer.
int game_show_end();

/// Plays games until "Play again?" is answered no.
void game_run();

/// Frees the rooms, creatures and items of the game just played.
void game_release_world();

/// Sets the graphics library up without a display, for tests and tools: the
/// screen is a 1024 x 768 memory bitmap with the real screen's 0xRRGGBB colour
/// layout. Returns 0 when the library could not start.
int game_init_headless();

/// Lists the data files missing from the working directory on stderr;
/// returns how many are missing.
int game_check_data_files();
