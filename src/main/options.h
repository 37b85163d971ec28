// options: the game's command line, in the usual GNU style.
//
// The parser only reads the arguments into a plain record; main acts on them.
#pragma once
#include <cstdio>

/// What the command line asked for.
struct options_ {
    int help;           // --help, -h: usage on stdout, then exit
    int version;        // --version: the version on stdout, then exit
    int windowed;       // --windowed, -w: a window sized to the monitor; --fullscreen: 0
    int screen_given;   // 1 when --windowed or --fullscreen was given
    int silent;         // --silent: no sound at all
    const char* data;   // --data DIR: pictures and samples; null: working folder
    const char* folder; // --folder DIR: the player's folder; null: the XDG data folder
    int has_seed;       // 1 when --seed was given
    unsigned seed;      // --seed N: the first game's seed
    const char* record; // --record FILE: keys and seeds written there
    const char* replay; // --replay FILE: a recording played back
    int replay_delay;   // --replay-delay MS: pause between replayed keys
    double scale;       // --scale F: picture scale 0.5 to 8; 0: chosen from the desktop
    int watch;          // --watch N: replay table entry N (1 best, up to 15), or last; 0: none
};

/// The value of `watch` for `--watch last`.
enum { OPTIONS_WATCH_LAST = -1 };

/// The pause between replayed keys without --replay-delay, in milliseconds.
enum { OPTIONS_DEFAULT_REPLAY_DELAY = 150 };

/// Reads argv into `out` (set to the defaults first). Returns 0 when the
/// line is good; otherwise prints one line naming --help on stderr and
/// returns 2, the exit status for a bad command line.
int options_parse(int argc, char** argv, options_* out);

/// Prints the usage text to `to`.
void options_print_usage(FILE* to);

/// Prints the program's name and version to `to`.
void options_print_version(FILE* to);
