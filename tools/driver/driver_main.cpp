// cave_driver: plays whole games of the cave headless with random keys from
// a seed, through the game's own loop, and tells what happened: games and
// turns played, how the games ended, the deepest room reached and how much
// memory the run held. The same seed plays the same games; the checksum of
// the games' ends shows it.
//
//   cave_driver --games N --seed S [--quiet] [--data DIR] [--max-turns T]
//               [--oom CHANCE] [--sturdy]
//   cave_driver --games N --seed S --record FILE [--quiet] [--data DIR] ...
//   cave_driver --replay FILE [--data DIR]
//
// --oom makes allocations fail now and then during play; --sturdy tops the
// player's health and fullness up before every key, so that games reach the
// deep rooms and the way out (a tool for reaching code, not a fair game).
// --record writes the games to a recording (see tape/recording.h), each
// game drawn from a seed of its own, S, S + 1, ...; --replay plays a
// recording (of the driver or of the real game) instead of random keys and
// prints how each of its games ended, as the game itself does.
#include <allegro.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "driver_keys.h"
#include "main/game.h"
#include "screens/highscore.h"
#include "shell/assets.h"
#include "shell/keyboard.h"
#include "shell/sound.h"
#include "tape/player_folder.h"
#include "tape/recording.h"
#include "world/alloc.h"
#include "world/character.h"
#include "world/properties.h"
#include "world/room.h"

namespace {

/// What the command line asked for.
struct driver_options {
    long games = 20;
    uint64_t seed = 1;
    bool quiet = false;
    const char* data = nullptr;
    long max_turns = 600;         // past this the game is brought to its end
    long oom_chance = 0;          // 1 in this many polls arms an allocation failure
    bool sturdy = false;          // the player never runs low on health or food
    const char* record = nullptr; // a recording of the random games
    const char* replay = nullptr; // a recording to play instead of random keys
};

/// The figures of the run.
struct driver_tally {
    long games = 0;
    long turns = 0;
    long causes[8] = {};
    long odd_causes = 0; // end_game outside 0..7: must stay 0
    int deepest = 0;
    int largest_cave = 0;      // most rooms one game made
    long peak_after_first = 0; // KiB
    long released_after = 0;   // the game whose release was measured last
    long rss_after_first = 0;  // KiB, at the title after game 1
    long heap_after_first = 0; // bytes in use then
    long rss_after_last = 0;   // KiB, at the title after the last game but one
    long heap_after_last = 0;  // bytes in use then
    long failures_armed = 0;
    uint64_t checksum = 0xcbf29ce484222325ull;
};

/// What the driver sees of the game being played.
struct game_watch {
    int last_step = 0;
    long turns = 0;
    long polls = 0;
    int deepest = 0;
    bool question_seen = false;
};

/// A game that reads no key for this long has hung.
constexpr unsigned watchdog_seconds = 120;
/// Polls of one game after which it is brought to its end whatever the turns.
constexpr long polls_per_game_limit = 400000;

driver_options options;
driver_tally tally;
game_watch watch;
driver_rng oom_rng;
volatile long polls_total = 0;
long polls_at_last_alarm = -1;
BITMAP* question_probe = nullptr;
int question_x = 0;
constexpr const char* question_text = "Play again?";
constexpr int question_y = 340;
std::string score_dir;

/// Peak resident size so far, in KiB.
long driver_peak_rss() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

/// Resident size now, in KiB.
long driver_rss_now() {
    long pages = 0, resident = 0;
    if (FILE* f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

/// Bytes the C library's allocator has handed out and not had back. Blocks
/// kept in its per-thread cache count as handed out, so the figure wobbles by
/// a few KiB unless the cache is off (GLIBC_TUNABLES=glibc.malloc.tcache_count=0).
long driver_heap_in_use() {
    return (long)mallinfo2().uordblks;
}

/// Notes the memory held once a game is over and released, at the first
/// poll without a cave after it (the next game's title): always the same
/// screen, so the figures after game 1 and after later games compare.
void driver_mark_release() {
    if (tally.games == 0 || tally.released_after == tally.games || cave)
        return;
    tally.released_after = tally.games;
    tally.rss_after_last = driver_rss_now();
    tally.heap_after_last = driver_heap_in_use();
    if (tally.games == 1) {
        tally.rss_after_first = tally.rss_after_last;
        tally.heap_after_first = tally.heap_after_last;
    }
}

/// Folds one number into the checksum (FNV-1a over its eight bytes).
void driver_fold(uint64_t value) {
    for (int i = 0; i < 8; i++) {
        tally.checksum ^= (value >> (8 * i)) & 0xff;
        tally.checksum *= 0x100000001b3ull;
    }
}

/// 1 if the screen shows the "Play again?" question of the last yes/no box:
/// every pixel of its letters white where the box writes them.
bool driver_question_showing() {
    int white = makecol(255, 255, 255);
    for (int j = 0; j < question_probe->h; j++)
        for (int i = 0; i < question_probe->w; i++)
            if (getpixel(question_probe, i, j) == white &&
                getpixel(screen, question_x + i, question_y + j) != white)
                return false;
    return true;
}

/// Records the game that has just asked "Play again?".
void driver_record_game() {
    int cause = end_game;
    tally.games++;
    if (cause >= 0 && cause <= 7)
        tally.causes[cause]++;
    else
        tally.odd_causes++;
    if (watch.deepest > tally.deepest)
        tally.deepest = watch.deepest;
    int rooms = 0;
    for (room_* room = cave; room; room = room->next)
        rooms++;
    if (rooms > tally.largest_cave)
        tally.largest_cave = rooms;
    driver_fold(cause);
    driver_fold(room_number);
    driver_fold(watch.deepest);
    driver_fold(watch.turns);
    if (tally.games == 1)
        tally.peak_after_first = driver_peak_rss();
    if (!options.quiet)
        printf("game %ld: end cause %d, room %d, deepest room %d, %ld turns\n", tally.games, cause,
               room_number, watch.deepest, watch.turns);
    watch = game_watch();
    watch.question_seen = true;
}

/// Follows the game between two polls: turns (the frame flips once a
/// turn, and every turn asks for a key) and the room the player is in.
/// Between games there is no cave, and the next game starts at frame 0.
void driver_watch_game() {
    watch.polls++;
    if (!cave) {
        watch.last_step = 0;
        return;
    }
    if (step != watch.last_step) {
        watch.last_step = step;
        watch.turns++;
        tally.turns++;
    }
    if (current_room && current_room->number > watch.deepest)
        watch.deepest = current_room->number;
}

/// Now and then, during play, makes one of the next few allocations fail,
/// or, one time in four, every allocation for the next hundred polls.
void driver_maybe_fail_allocation() {
    static long dry_until = 0;
    if (dry_until && polls_total >= dry_until) {
        alloc_fail_at(0);
        dry_until = 0;
    }
    // Failures are armed during play; the start of a game without memory is
    // the allocation-failure tests' business.
    if (!cave || options.oom_chance <= 0 ||
        driver_rng_below(&oom_rng, (int)options.oom_chance) != 0)
        return;
    bool every = driver_rng_below(&oom_rng, 4) == 0;
    alloc_fail_at(1 + driver_rng_below(&oom_rng, 20), every);
    dry_until = every ? polls_total + 100 : 0;
    tally.failures_armed++;
}

/// With --sturdy: the player's own health and fullness never sink below
/// what keeps it going.
void driver_keep_player_going() {
    if (!options.sturdy || !cave || !user || !user->props)
        return;
    if (user->props->health < 60)
        user->props->health = 60;
    if (user->props->fullness < 100)
        user->props->fullness = 100;
}

/// The poll point of the game while the driver plays.
void driver_poll() {
    polls_total = polls_total + 1;
    driver_maybe_fail_allocation();
    if (driver_question_showing()) {
        if (!watch.question_seen)
            driver_record_game();
        // Y until the last game, then N; held and released in turn so that
        // the box sees the answer after it waited for the keys to go.
        bool holding = key[KEY_Y] || key[KEY_N];
        for (int i = 0; i < KEY_MAX; i++)
            key[i] = 0;
        if (!holding)
            key[tally.games < options.games ? KEY_Y : KEY_N] = 1;
        return;
    }
    watch.question_seen = false;
    driver_mark_release();
    driver_watch_game();
    driver_keep_player_going();
    bool long_enough = watch.turns >= options.max_turns || watch.polls >= polls_per_game_limit;
    driver_keys_step(long_enough ? MOOD_END : MOOD_PLAY);
}

/// Renders the question once, to compare the screen with.
void driver_make_probe() {
    int w = text_length(font, question_text), h = text_height(font);
    question_probe = create_bitmap(w, h);
    clear_to_color(question_probe, 0);
    textout_ex(question_probe, font, question_text, 0, 0, makecol(255, 255, 255), -1);
    question_x = 512 - w / 2;
}

/// Stops a run whose game spins without asking for keys.
void driver_watchdog(int) {
    if (polls_total == polls_at_last_alarm) {
        const char message[] = "cave_driver: the game asked for no key for two minutes: hung\n";
        ssize_t ignored = write(2, message, sizeof message - 1);
        (void)ignored;
        _exit(3);
    }
    polls_at_last_alarm = polls_total;
    alarm(watchdog_seconds);
}

/// Headless Allegro (memory-bitmap screen) with the driver's hands on the
/// keyboard; false if the library could not start.
bool driver_start_allegro() {
    if (!game_init_headless())
        return false;
    driver_keys_install();
    zelkokey_set_poll(driver_poll);
    return true;
}

/// A highscore table of the run's own, so that a soak never touches the
/// player's table; false if no folder could be made for it.
bool driver_private_scores() {
    char dir[] = "/tmp/cave-driver-XXXXXX";
    if (!mkdtemp(dir))
        return false;
    score_dir = dir;
    return player_folder_open(dir) == 1;
}

/// Removes the run's highscore table and its folder.
void driver_drop_scores() {
    if (score_dir.empty())
        return;
    player_folder_close();
    unlink((score_dir + "/" + PLAYER_FOLDER_TABLE).c_str());
    rmdir(score_dir.c_str());
}

/// Prints the figures of the run; the memory held is measured at the title
/// after game 1 and at the title after the last game but one.
void driver_report() {
    printf("games played: %ld\n", tally.games);
    printf("turns played: %ld\n", tally.turns);
    printf("end causes:");
    for (int c = 0; c < 8; c++)
        printf(" %d:%ld", c, tally.causes[c]);
    printf("%s\n", tally.odd_causes ? " (and some outside 0..7!)" : "");
    printf("deepest room: %d\n", tally.deepest);
    printf("largest cave: %d rooms of %zu bytes\n", tally.largest_cave, sizeof(room_));
    printf("key presses: %ld\n", driver_keys_presses());
    if (options.oom_chance > 0)
        printf("allocation failures armed: %ld\n", tally.failures_armed);
    printf("peak RSS after game 1: %ld KiB\n", tally.peak_after_first);
    printf("peak RSS at the end: %ld KiB\n", driver_peak_rss());
    printf("RSS at the title after game 1: %ld KiB, after game %ld: %ld KiB\n",
           tally.rss_after_first, tally.released_after, tally.rss_after_last);
    printf("heap in use at the title after game 1: %ld bytes, after game %ld: %ld bytes\n",
           tally.heap_after_first, tally.released_after, tally.heap_after_last);
    printf("checksum: %016llx\n", (unsigned long long)tally.checksum);
}

/// Reads the command line; false (after a usage line) when it is wrong.
bool driver_parse(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--quiet")
            options.quiet = true;
        else if (arg == "--games" && has_value)
            options.games = atol(argv[++i]);
        else if (arg == "--seed" && has_value)
            options.seed = strtoull(argv[++i], nullptr, 10);
        else if (arg == "--data" && has_value)
            options.data = argv[++i];
        else if (arg == "--max-turns" && has_value)
            options.max_turns = atol(argv[++i]);
        else if (arg == "--oom" && has_value)
            options.oom_chance = atol(argv[++i]);
        else if (arg == "--sturdy")
            options.sturdy = true;
        else if (arg == "--replay" && has_value)
            options.replay = argv[++i];
        else if (arg == "--record" && has_value)
            options.record = argv[++i];
        else {
            fprintf(stderr, "usage: cave_driver --games N --seed S [--quiet] [--data DIR] "
                            "[--max-turns T] [--oom CHANCE] [--sturdy] [--record FILE]\n"
                            "       cave_driver --replay FILE [--data DIR]\n");
            return false;
        }
    }
    // Failing allocations and the sturdy player change games behind the
    // keyboard's back: a recording of them would not play back the same.
    if (options.record && (options.oom_chance > 0 || options.sturdy || options.replay)) {
        fprintf(stderr, "cave_driver: --record goes with neither --oom, --sturdy nor --replay\n");
        return false;
    }
    return options.games > 0 && options.max_turns > 0;
}

/// Moves into the data folder: --data, else here if the pictures are here,
/// else the folder this build made.
bool driver_enter_data() {
    const char* dir = options.data;
    if (!dir && access("TitelScreen.bmp", R_OK) != 0)
        dir = CAVE_DRIVER_DATA;
    if (dir && chdir(dir) != 0) {
        fprintf(stderr, "cave_driver: cannot enter %s: %s\n", dir, strerror(errno));
        return false;
    }
    return game_check_data_files() == 0;
}

/// Frees what the run made, so that leak checkers see a clean exit.
void driver_release() {
    zelkokey_set_poll(nullptr);
    sound_release();
    draw_release();
    destroy_bitmap(bmp);
    bmp = nullptr;
    destroy_bitmap(question_probe);
    destroy_bitmap(screen);
    screen = nullptr;
    alloc_fail_at(0);
}

/// Plays the recording headless; each game prints its seed and result. The
/// exit status is 1 when the recording is refused or does not fit the game.
int driver_replay(const char* path) {
    atexit(driver_drop_scores); // a replay that does not fit ends in exit(1)
    game_init_state();
    if (!recording_load(path, 0, 0))
        return 1;
    int games = 1;
    while (game_play_one())
        games++;
    int whole = recording_finish();
    printf("games replayed: %d\n", games);
    driver_release();
    return whole ? 0 : 1;
}

/// Starts the recording of the random games, each seeded on its own.
bool driver_start_recording() {
    if (!recording_start(options.record))
        return false;
    game_seed_games(1, (unsigned)options.seed);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!driver_parse(argc, argv))
        return 2;
    // A recording is named from where the driver was started.
    if (options.record && !driver_start_recording())
        return 2;
    if (options.replay && access(options.replay, F_OK) == 0) {
        static char path[4096];
        if (realpath(options.replay, path))
            options.replay = path;
    }
    if (!driver_enter_data())
        return 2;
    if (!driver_private_scores()) {
        fprintf(stderr, "cave_driver: no temporary folder for the highscore table\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!driver_start_allegro()) {
        fprintf(stderr, "cave_driver: the graphics library could not start\n");
        return 2;
    }
    if (options.replay)
        return driver_replay(options.replay);
    driver_make_probe();
    driver_keys_seed(options.seed);
    driver_rng_seed(&oom_rng, options.seed ^ 0x5eed);
    signal(SIGALRM, driver_watchdog);
    alarm(watchdog_seconds);
    game_init_state();
    srand((unsigned)options.seed);
    game_run();
    recording_finish();
    alarm(0);
    driver_release();
    driver_drop_scores();
    driver_report();
    return tally.odd_causes == 0 && tally.games == options.games ? 0 : 1;
}
