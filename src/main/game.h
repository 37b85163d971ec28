// game: the loop of a run, from the title screen to "Play again?", over the
// game state of world/state.h.
#pragma once

#include "world/state.h"

struct options_;

/// Text colour of the end screen, kept across the games of a run.
extern int game_text_colour;

/// How the last game went; kept after its world is released.
struct game_summary_ {
    int seeded;       // 1 when the game was drawn from a seed of its own
    unsigned seed;    // that seed
    int end_cause;    // end_game at its end
    int score;        // its score
    int turns;        // turns played
    int deepest_room; // number of the deepest room entered
};
extern game_summary_ last_game;

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

/// Plays games until "Play again?" is answered no. First, when an earlier
/// run left a game in progress (and no running copy of the game plays it),
/// the title asks "Do you want to go on with your last game?": yes plays it
/// back unseen and hands it to the player where it was left, no ends it as
/// given up (scored, in the table) before a new game begins.
void game_run();

/// From now on each game draws from a seed of its own, told at its end:
/// with `given`, `first`, then first + 1 and so on; else the first is taken
/// from the clock when the first game begins.
void game_seed_games(int given, unsigned first);

/// Acts on the command line's seed, --record and --replay before the window
/// opens. 0, after a message on stderr, when the run cannot start.
int game_prepare_run(const options_* options);

/// Ends the run's recording or replay and its own seeds; a replay watched in
/// the window leaves its last screen with "the replay has ended, press a
/// key" until a key is pressed. The program's exit status (1 when a replay
/// left part of its recording unplayed).
int game_finish_run();

/// Plays the kept game of table entry `entry` (1 the best; -1 the last
/// game) again from the title of a game about to begin, as --watch does:
/// the replay keys steer it, Escape stops it, its last screen waits for a
/// key. The game about to begin stays as it was: its seed, its recording
/// (--record and the kept one: nothing of the watched game goes in), the
/// log, the music. A title_watch_outcome.
int game_watch_kept(int entry);

/// Frees the rooms, creatures and items of the game just played.
void game_release_world();

/// Sets the graphics library up without a display, for tests and tools: the
/// screen is a 1024 x 768 memory bitmap with the real screen's 0xRRGGBB colour
/// layout. Returns 0 when the library could not start.
int game_init_headless();

/// Lists the data files missing from the working directory on stderr;
/// returns how many are missing.
int game_check_data_files();
