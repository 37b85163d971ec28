// options: the game's command line, in the usual GNU style: long options
// with "--name VALUE" or "--name=VALUE", unique abbreviations of them
// ("--win"), a few short ones, "--" ending them. glibc's getopt_long reads
// the words; this file checks the values and gives every refusal one line.
#include "main/options.h"

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifndef CAVE_VERSION
#define CAVE_VERSION "1.0"
#endif

namespace {

/// The codes getopt_long returns for options without a short letter.
enum {
    OPT_FULLSCREEN = 256,
    OPT_VERSION,
    OPT_SILENT,
    OPT_DATA,
    OPT_FOLDER,
    OPT_SEED,
    OPT_RECORD,
    OPT_REPLAY,
    OPT_REPLAY_DELAY,
    OPT_SCALE,
    OPT_WATCH
};

// name            takes a value      flag     code
const struct option long_options[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, OPT_VERSION},
    {"windowed", no_argument, nullptr, 'w'},
    {"fullscreen", no_argument, nullptr, OPT_FULLSCREEN},
    {"silent", no_argument, nullptr, OPT_SILENT},
    {"data", required_argument, nullptr, OPT_DATA},
    {"folder", required_argument, nullptr, OPT_FOLDER},
    {"seed", required_argument, nullptr, OPT_SEED},
    {"record", required_argument, nullptr, OPT_RECORD},
    {"replay", required_argument, nullptr, OPT_REPLAY},
    {"replay-delay", required_argument, nullptr, OPT_REPLAY_DELAY},
    {"scale", required_argument, nullptr, OPT_SCALE},
    {"watch", required_argument, nullptr, OPT_WATCH},
    {nullptr, 0, nullptr, 0},
};

/// The highest entry of the replay table --watch can name.
constexpr int OPTIONS_WATCH_MAX = 15;

/// Says what is wrong with the command line; returns the exit status 2.
int options_complain(const char* what, const char* arg) {
    fprintf(stderr, "cave: %s '%s'; try 'cave --help'\n", what, arg);
    return 2;
}

/// Says that two options cannot go together; returns the exit status 2.
int options_complain_pair(const char* first, const char* second) {
    fprintf(stderr, "cave: %s and %s cannot be combined; try 'cave --help'\n", first, second);
    return 2;
}

/// Reads a whole decimal number from `text` within [low, high].
bool options_read_number(const char* text, long long low, long long high, long long* out) {
    if (*text == '\0' || *text == '-' || *text == '+' || *text == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    long long value = strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return false;
    *out = value;
    return true;
}

/// Reads a decimal fraction such as "2" or "1.5" from `text` within [low, high].
bool options_read_fraction(const char* text, double low, double high, double* out) {
    if (*text < '0' || *text > '9' || text[strspn(text, "0123456789.")] != '\0')
        return false;
    char* end = nullptr;
    double value = strtod(text, &end);
    if (*end != '\0' || !std::isfinite(value) || value < low || value > high)
        return false;
    *out = value;
    return true;
}

/// Stores the value of a numeric option; returns 0 or the exit status 2.
int options_store_number(int code, const char* value, options_* out) {
    long long number = 0;
    switch (code) {
    case OPT_SEED:
        if (!options_read_number(value, 0, UINT_MAX, &number))
            return options_complain("the seed must be a whole number from 0 to 4294967295, not",
                                    value);
        out->seed = static_cast<unsigned>(number);
        out->has_seed = 1;
        return 0;
    case OPT_REPLAY_DELAY:
        if (!options_read_number(value, 0, 60000, &number))
            return options_complain("the replay delay must be from 0 to 60000 ms, not", value);
        out->replay_delay = static_cast<int>(number);
        return 0;
    case OPT_SCALE:
        if (!options_read_fraction(value, 0.5, 8.0, &out->scale))
            return options_complain("the scale must be a number from 0.5 to 8, not", value);
        return 0;
    default: // OPT_WATCH
        if (strcmp(value, "last") == 0)
            number = OPTIONS_WATCH_LAST;
        else if (!options_read_number(value, 1, OPTIONS_WATCH_MAX, &number))
            return options_complain("the entry to watch must be from 1 to 15 or last, not", value);
        out->watch = static_cast<int>(number);
        return 0;
    }
}

/// Stores the value of a text option, refusing an empty one.
int options_store_text(const char* name, const char* value, const char** field) {
    if (*value == '\0')
        return options_complain("an empty value for", name);
    *field = value;
    return 0;
}

/// Acts on one option getopt_long found; returns 0 or the exit status 2.
int options_store(int code, const char* value, options_* out) {
    switch (code) {
    case 'h':
        out->help = 1;
        return 0;
    case 'w':
    case OPT_FULLSCREEN:
        out->windowed = code == 'w';
        out->screen_given = 1;
        return 0;
    case OPT_VERSION:
        out->version = 1;
        return 0;
    case OPT_SILENT:
        out->silent = 1;
        return 0;
    case OPT_DATA:
        return options_store_text("data", value, &out->data);
    case OPT_FOLDER:
        return options_store_text("folder", value, &out->folder);
    case OPT_RECORD:
        return options_store_text("record", value, &out->record);
    case OPT_REPLAY:
        return options_store_text("replay", value, &out->replay);
    default:
        return options_store_number(code, value, out);
    }
}

/// Refuses the options that cannot go together; returns 0 or 2.
int options_check_combinations(const options_* out) {
    if (out->record && out->replay)
        return options_complain_pair("--record", "--replay");
    if (out->watch && (out->record || out->replay))
        return options_complain_pair("--watch", out->record ? "--record" : "--replay");
    return 0;
}

/// The number of long options whose names begin with the `len` characters of `name`.
int options_count_matches(const char* name, size_t len) {
    int matches = 0;
    for (const struct option* o = long_options; o->name; o++)
        matches += strncmp(o->name, name, len) == 0;
    return matches;
}

/// Names the word getopt_long refused, for the one-line message.
int options_refuse(char** argv, int failed_at, int status) {
    const char* word = argv[failed_at];
    if (status == ':')
        return options_complain("a value is missing after", word);
    if (word[0] != '-' || word[1] != '-')
        return options_complain("unknown option", word);
    if (optopt != 0) // a known option that takes no value was given one
        return options_complain("no value is taken by", word);
    size_t len = strcspn(word + 2, "=");
    bool ambiguous = options_count_matches(word + 2, len) > 1;
    return options_complain(ambiguous ? "ambiguous option" : "unknown option", word);
}

} // namespace

int options_parse(int argc, char** argv, options_* out) {
    *out = options_{};
    out->replay_delay = OPTIONS_DEFAULT_REPLAY_DELAY;
    // getopt_long keeps its place in globals: 0 starts it afresh, so the
    // parser can run again (the tests parse many lines in one process). The
    // leading '+' stops at the first word that is no option (nothing is
    // reordered) and ':' leaves the messages to options_refuse.
    optind = 0;
    opterr = 0;
    for (;;) {
        int before = optind ? optind : 1;
        int code = getopt_long(argc, argv, "+:hw", long_options, nullptr);
        if (code == -1)
            break;
        if (code == '?' || code == ':')
            return options_refuse(argv, optind > before + 1 ? optind - 1 : before, code);
        int status = options_store(code, optarg, out);
        if (status != 0)
            return status;
    }
    if (optind < argc)
        return options_complain("unexpected argument", argv[optind]);
    return options_check_combinations(out);
}

void options_print_usage(FILE* to) {
    fputs("Usage: cave [OPTION]...\n"
          "The Wizard's Cave: a turn-based dungeon game, played with the keyboard.\n"
          "\n"
          "  -w, --windowed       play in a window, the largest of 0.5, 0.75, 1, 1.25,\n"
          "                       1.5, 2, 2.5, 3 or 4 x 1024x768 within 90% of the screen\n"
          "      --fullscreen     play full screen at the screen's own size (the default)\n"
          "      --scale F        show the 1024x768 picture F times as large, F from 0.5\n"
          "                       to 8, decimals allowed (default: as large as fits)\n"
          "      --data DIR       read the pictures and samples from DIR\n"
          "                       (default: the working folder)\n"
          "      --folder DIR     keep the highscores and the games in DIR (default:\n"
          "                       $XDG_DATA_HOME/cave, else ~/.local/share/cave)\n"
          "      --silent         play without sound\n"
          "      --seed N         the first game's cave is seed N (0 to 4294967295),\n"
          "                       the next N+1, ...\n"
          "      --record FILE    write the seeds and keys of the games to FILE\n"
          "      --replay FILE    play a recording back (not together with --record)\n"
          "      --replay-delay MS  pause between replayed keys, 0 to 60000 (default 150)\n"
          "      --watch N        play again the game of entry N of the table (1 is the\n"
          "                       best, 15 the last); --watch last: the last game played;\n"
          "                       not together with --record or --replay\n"
          "  -h, --help           show this help and exit\n"
          "      --version        show the version and exit\n"
          "\n"
          "Keys: the arrows, the keypad or the digits 1-9 step (5 picks up); Home,\n"
          "Page Up, End and Page Down step diagonally; M switches the music off/on;\n"
          "F11 or Alt+Enter switches between full screen and a window. Q gives up and\n"
          "Escape ends the game, each after asking (Escape in a yes/no box answers no);\n"
          "both score a third.\n"
          "\n"
          "The window's close button, SIGTERM, SIGHUP and SIGINT end the program at\n"
          "once with status 0: in play it says that the game is kept; on the end\n"
          "screens the score is saved first; a replay stops.\n"
          "The game in progress is always kept, a key at a time, as game-in-progress.rec\n"
          "in the player's folder. The next start asks \"Do you want to go on with your\n"
          "last game?\": Y goes on where it was left, N ends it as given up with Q\n"
          "(scored, into the table) and begins a new one.\n"
          "\n"
          "The highscore table, highscore.zelko, is kept in the player's folder (made on\n"
          "first use), and the recordings of its games and of the last ten games in\n"
          "recordings/ beside it. A recording over 16 MiB is not read. On the title\n"
          "screen, W lists the kept games to watch one again.\n"
          "The file settings there keeps full screen or window, the window's size and\n"
          "the music as the player last chose them, for the next run; --windowed,\n"
          "--fullscreen, --scale and --silent apply to their run only.\n"
          "In play, F1 or ? shows the controls. In a replay, Space pauses and resumes,\n"
          "+ and - make it faster and slower, the right arrow steps one key while paused\n"
          "and Escape stops it.\n",
          to);
}

void options_print_version(FILE* to) {
    fprintf(to, "cave (The Wizard's Cave) %s\n", CAVE_VERSION);
}
